#include "screens/matchscreen.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "core/keycodes.h"
#include "core/padbuttons.h"
#include "input/controller.h"
#include "model/model.h"
#include "model/timer.h"
#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "replay/replay.h"
#include "replay/replayshelf.h"
#include "screens/button.h"
#include "screens/gamekeys.h"
#include "screens/gamesounds.h"
#include "screens/keyhints.h"
#include "screens/overlaylines.h"
#include "screens/replaywatch.h"
#include "screens/seatkeys.h"
#include "screens/watchedmatch.h"
#include "store/playername.h"
#include "store/settings.h"
#include "versus/matchkind.h"
#include "view/font.h"
#include "view/sprite.h"

namespace {

constexpr float kPictureScale = 0.7f;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr float kResultX = kOverlayX;
constexpr float kResultY = kOverlayY;
constexpr uint32_t kResultColour = 0xF0FFFFFF;
constexpr int kHudHeight = 24;
// "MEDIUM" fits its window.
constexpr int kStrengthHeight = 18;
constexpr int kListHeight = 11;
constexpr uint32_t kListStartColour = 0x321E1E1E;
constexpr int kTextInset = 4;

struct ButtonPlace {
    const char* image;
    float x;
    float y;
    float scale;
};
constexpr ButtonPlace kYesPlace = {"yes_button-3-1-3.png", 130, 332, 0.5f};
constexpr ButtonPlace kNoPlace = {"no_button-3-1-3.png", 225, 332, 0.5f};

// The player's next shape, centred in the preview window.
constexpr TextWindow kNextWindow = {414, 156, 538, 256};

constexpr int kMeterFrameSize = 24;
constexpr int kDeviceHeight = 13;
constexpr int kDeviceInset = 6;
// The picture's width: each seat's lists keep to their half of it.
constexpr int kScreenWidth = 713;
// The notes under the seats' result pictures.
constexpr int kSeatNoteTop = 384;
constexpr int kSeatNoteHeight = 13;
// The note that the other player left: under the result, centred on the well.
constexpr int kLeftNoteCentre = 202;
constexpr int kLeftNoteTop = 422;
// The result's keys, and the note that the match cannot pause: under
// the result, centred on the well, over a shadow.
constexpr int kNoteTop = 398;
constexpr int kNoteHeight = 16;
constexpr uint32_t kNoteShadow = 0xC0000000;
constexpr float kPauseNoteSeconds = 2.0f;
constexpr const char* kNoPauseNote = "A network match cannot be paused.";
constexpr int kWaitingFrame = 0;
constexpr int kArrivedFrame = 1;

std::unique_ptr<C_Button> MakeButton(const ButtonPlace& place, const C_Controller& input) {
    auto button = std::make_unique<C_Button>(place.image, input);
    button->SetPosition(place.x, place.y);
    button->SetScale(place.scale, place.scale);
    return button;
}

// `place` over an overlay picture drawn at (x, y) x `scale` instead of where
// the single well's is.
ButtonPlace Moved(const ButtonPlace& place, float x, float y, float scale) {
    const float ratio = scale / kOverlayScale;
    return {place.image, x + (place.x - kOverlayX) * ratio, y + (place.y - kOverlayY) * ratio,
            place.scale * ratio};
}

// The seats' overlay pictures' left edge: each over its well.
float SeatOverlayX(int seat) {
    return static_cast<float>(kSeatPlaces[seat].well.left);
}

int SeatCentre(int seat) {
    const BoardPlace& well = kSeatPlaces[seat].well;
    return well.X(kBoardColumns / 2);
}

}  // namespace

C_MatchScreen::C_MatchScreen(const ScreenContext& given, const MatchSetup& chosenSetup)
    : context(given), setup(chosenSetup), timer(given.model.GetTimer()) {
    const C_Settings& chosen = context.settings;
    Replay watched;
    std::string why;
    if (context.model.TakeReplayToWatch(&watched, &why, &afterWatching)) {
        auto replayed = std::make_unique<C_WatchedMatch>(std::move(watched));
        watch = &replayed->Watch();
        match = std::move(replayed);
    } else {
        match = C_MatchKind::Start(setup, context.net);
    }
    background = std::make_unique<C_Sprite>(match->Picture());
    meter = std::make_unique<C_Sprite>("meter-2-1-2.png");
    results[SIDE_PLAYER] = std::make_unique<C_Sprite>("versus_won.png");
    results[SIDE_OPPONENT] = std::make_unique<C_Sprite>("versus_lost.png");
    results[kDraw] = std::make_unique<C_Sprite>("versus_draw.png");
    hudFont = std::make_unique<C_Font>("Arial", kHudHeight, kMatchTextColour);
    strengthFont = std::make_unique<C_Font>("Arial", kStrengthHeight, kMatchTextColour);
    listFont = std::make_unique<C_Font>("Arial Black", kListHeight, kListStartColour);
    // Under a seat's well, the note fits the narrower well.
    noteFont = std::make_unique<C_Font>(
        "Arial", match->LocalSeats() > 1 ? kSeatNoteHeight : kNoteHeight, kResultColour);
    deviceFont = std::make_unique<C_Font>("Arial", kDeviceHeight, kSeatDeviceColour);
    pausedPicture = std::make_unique<C_Sprite>("paused.png");
    sounds = std::make_unique<C_GameSounds>();
    const int count = match->LocalSeats();
    seats.reserve(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n) {
        Seat& seat = seats.emplace_back(chosen, n);
        const std::vector<KeyHint> hints = KeyHints(chosen, match->CanPause(), n);
        std::vector<OverlayLine> resume =
            PausedLines(chosen.GetKey(GameAction::Start, n), chosen.GetKey(GameAction::Menu, n));
        if (count == 1) {
            seat.keyPanel = std::make_unique<C_KeyPanel>(hints, kMatchKeysPlace);
            seat.pausedLines = std::make_unique<C_OverlayLines>(std::move(resume));
            seat.yesButton = MakeButton(kYesPlace, context.input);
            seat.noButton = MakeButton(kNoPlace, context.input);
        } else {
            // Each player's controller is their own: none until one claims the seat.
            seat.keys.ReadPadWith([this, n](const C_Controller& input, int button) {
                return input.GetPadButtonState(seats[static_cast<size_t>(n)].pad, button);
            });
            const float x = SeatOverlayX(n);
            seat.keyPanel = std::make_unique<C_KeyPanel>(hints, kSeatPlaces[n].keys);
            seat.pausedLines = std::make_unique<C_OverlayLines>(
                MovedLines(std::move(resume), x, kSeatOverlayTop, kSeatOverlayScale));
            seat.yesButton =
                MakeButton(Moved(kYesPlace, x, kSeatOverlayTop, kSeatOverlayScale), context.input);
            seat.noButton =
                MakeButton(Moved(kNoPlace, x, kSeatOverlayTop, kSeatOverlayScale), context.input);
        }
        C_Round& round = match->SeatRound(n);
        round.Listen(sounds.get());
        round.textWidth = [this](const std::string& text) { return TextWidth(text); };
    }
}

C_MatchScreen::~C_MatchScreen() = default;

C_MatchScreen::Seat::Seat(const C_Settings& settings, int seat) : keys(settings, seat) {}
C_MatchScreen::Seat::Seat(Seat&&) noexcept = default;
C_MatchScreen::Seat& C_MatchScreen::Seat::operator=(Seat&&) noexcept = default;
C_MatchScreen::Seat::~Seat() = default;

bool C_MatchScreen::Pausable() const {
    return match->CanPause();
}

float C_MatchScreen::MatchTime() const {
    return timer->GetGameTime() - heldFor;
}

bool C_MatchScreen::AnySeat(GameAction action, int state) const {
    return std::any_of(seats.begin(), seats.end(), [&](const Seat& seat) {
        return seat.keys.ActionIs(context.input, action, state);
    });
}

void C_MatchScreen::HandleInput() {
    if (watch != nullptr) {
        watch->HandleInput(context.input);
        if (AnySeat(GameAction::Menu, KEY_RELEASED)) {
            context.model.SetNextState(afterWatching);
        }
        return;
    }
    if (!match->PlayedHere()) {
        // A watcher's keys move nothing; the first seat's menu key leaves.
        if (seats.front().keys.ActionIs(context.input, GameAction::Menu, KEY_RELEASED)) {
            match->Leave();
            context.model.SetNextState(STATE_VERSUS);
        }
        return;
    }
    if (!match->Over()) {
        if (seats.size() > 1) {
            ClaimPads();
        }
        HandlePause();
        for (size_t n = 0; n < seats.size(); ++n) {
            C_Round& round = match->SeatRound(static_cast<int>(n));
            if (paused) {
                seats[n].keys.Idle(MatchTime());
            } else {
                seats[n].keys.Steer(context.input, MatchTime(), round.cascadeNumber,
                                    [&round](RoundCommand command) { round.Command(command); });
            }
        }
    } else {
        AnswerResult();
    }
    // On the result any controller's B or Back goes back, claimed or not.
    const bool padBack = context.input.GetPadButtonState(PAD_B) == KEY_RELEASED ||
                         context.input.GetPadButtonState(PAD_BACK) == KEY_RELEASED;
    if (AnySeat(GameAction::Menu, KEY_RELEASED) || (match->Over() && padBack)) {
        match->Leave();
        context.model.SetNextState(match->StartsFromLobby() ? STATE_VERSUS : STATE_MENU);
    }
}

void C_MatchScreen::ClaimPads() {
    for (Seat& seat : seats) {
        if (seat.pad != kNoPad && !context.input.PadPlugged(seat.pad)) {
            SetPaused(true);
            seat.lostPad = seat.pad;
            seat.pad = kNoPad;
        }
    }
    for (const int pad : context.input.Pads()) {
        const bool claimed = std::any_of(seats.begin(), seats.end(),
                                         [pad](const Seat& seat) { return seat.pad == pad; });
        if (claimed || !context.input.PadHeld(pad)) {
            continue;
        }
        const auto free = std::find_if(seats.begin(), seats.end(),
                                       [](const Seat& seat) { return seat.pad == kNoPad; });
        if (free != seats.end()) {
            free->pad = pad;
        }
    }
}

void C_MatchScreen::HandlePause() {
    // Both seats' keys may read one controller's button: one toggle a frame.
    if (AnySeat(GameAction::Pause, KEY_RELEASED)) {
        if (match->CanPause()) {
            SetPaused(!paused);
        } else {
            pauseNoteUntil = timer->GetGameTime() + kPauseNoteSeconds;
        }
    } else if (paused && AnySeat(GameAction::Start, KEY_RELEASED)) {
        SetPaused(false);
    }
}

void C_MatchScreen::SetPaused(bool on) {
    if (on == paused) {
        return;
    }
    // The match's clock stands still while held: rows on their way wait on.
    if (on) {
        pausedAt = timer->GetGameTime();
    } else {
        heldFor += timer->GetGameTime() - pausedAt;
        for (Seat& seat : seats) {
            seat.lostPad = kNoPad;
        }
    }
    paused = on;
}

void C_MatchScreen::AnswerResult() {
    // Enter answers for the first seat; the other seats' start keys for them.
    bool confirmHeld = context.input.IsKeyHeld(DIK_RETURN) ||
                       context.input.IsKeyHeld(DIK_NUMPADENTER) ||
                       context.input.GetPadButtonState(PAD_A) == KEY_HELD ||
                       context.input.GetPadButtonState(PAD_START) == KEY_HELD;
    bool confirmed = context.input.IsKeyReleased(DIK_RETURN) ||
                     context.input.IsKeyReleased(DIK_NUMPADENTER) ||
                     context.input.GetPadButtonState(PAD_A) == KEY_RELEASED ||
                     context.input.GetPadButtonState(PAD_START) == KEY_RELEASED;
    bool yes = false;
    bool no = false;
    for (size_t n = 0; n < seats.size(); ++n) {
        const Seat& seat = seats[n];
        if (n > 0) {
            confirmHeld =
                confirmHeld || seat.keys.ActionIs(context.input, GameAction::Start, KEY_HELD);
            confirmed =
                confirmed || seat.keys.ActionIs(context.input, GameAction::Start, KEY_RELEASED);
        }
        yes = yes || seat.yesButton->GetState() == BUTTON_CLICKED;
        no = no || seat.noButton->GetState() == BUTTON_CLICKED;
    }
    if (yes || (answerArmed && confirmed)) {
        if (match->StartsFromLobby()) {
            context.model.SetNextState(STATE_VERSUS);
        } else {
            MatchSetup again = setup;
            if (again.with == MatchWith::Network) {
                again.with = MatchWith::Computer;
            }
            context.model.SetNextState(STATE_MATCH, again);
        }
    }
    if (no) {
        context.model.SetNextState(STATE_MENU);
    }
    answerArmed = answerArmed || (!confirmHeld && !confirmed);
}

void C_MatchScreen::Update() {
    if (paused) {
        return;
    }
    const int sent = match->RowsSent();
    match->Update(replayClock.Advance(MatchTime()));
    if (match->RowsSent() > sent) {
        sounds->Play(GAME_SOUND_SENT);
    }
    if (match->Over()) {
        for (Seat& seat : seats) {
            seat.yesButton->Update();
            seat.noButton->Update();
        }
    }
}

void C_MatchScreen::DrawStep() {
    if (paused) {
        return;
    }
    match->DrawStep();
    if (match->Over() && !replayKept) {
        KeepReplay();
    }
}

void C_MatchScreen::KeepReplay() {
    replayKept = true;
    const std::string player = DefaultPlayerName(context.settings.GetLastName());
    const std::array<std::string, kMatchSides> names = {player.empty() ? kReplayPlayerName : player,
                                                        match->OtherLabel()};
    const std::string date = ReplayDate(std::time(nullptr));
    const C_Match* played = match->RecordedMatch();
    const auto* records = match->Records();
    Replay replay;
    if (match->NetRecord() != nullptr && match->RecordedNetMatch() != nullptr) {
        replay = NetworkMatchReplay(*match->NetRecord(), *match->RecordedNetMatch(), names, date);
    } else if (played != nullptr && records != nullptr) {
        const std::array<const RoundRecord*, kMatchSides> both = {&(*records)[SIDE_PLAYER],
                                                                  &(*records)[SIDE_OPPONENT]};
        replay = match->LocalSeats() > 1
                     ? TwoPlayersReplay(both, *played, names, date)
                     : ComputerMatchReplay(both, *played, setup.strength, names[SIDE_PLAYER], date);
    } else {
        return;
    }
    std::string why;
    if (C_ReplayShelf::Player().Keep(replay, NamedReplays(context.scores), why).empty() &&
        g_pConsole != nullptr) {
        g_pConsole->AddLine(why);
    }
}

int C_MatchScreen::TextWidth(const std::string& text) const {
    return listFont->Width(text);
}

void C_MatchScreen::DrawLines(const std::vector<ListLine>& lines) {
    for (const ListLine& line : lines) {
        listFont->SetColour(line.colour);
        listFont->DrawText(line.text, line.x, line.y, TEXT_FILTERED);
    }
}

void C_MatchScreen::DrawSeatLines(const std::vector<ListLine>& lines, const SeatPlace& place,
                                  int seat) {
    // The lists lie about the single game's well; here about the seat's,
    // kept inside the seat's half of the screen.
    const float zoom = place.well.Zoom();
    const int halfLeft = seat == 0 ? 0 : kScreenWidth / 2;
    const int halfRight = seat == 0 ? kScreenWidth / 2 : kScreenWidth;
    std::vector<ListLine> moved;
    for (const ListLine& line : lines) {
        const int x =
            place.well.left + static_cast<int>(static_cast<float>(line.x - kBoardLeft) * zoom);
        const int y =
            place.well.top + static_cast<int>(static_cast<float>(line.y - kBoardTop) * zoom);
        const int width = listFont->Width(line.text);
        moved.push_back({line.text, std::clamp(x, halfLeft, std::max(halfLeft, halfRight - width)),
                         y, line.colour});
    }
    DrawLines(moved);
}

void C_MatchScreen::DrawNumbers() {
    hudFont->SetColour(kMatchTextColour);
    hudFont->DrawText(IntToString(match->PlayerRound().board->level), kMatchLevelWindow.x0 + 9,
                      kMatchLevelWindow.y0 + kTextInset, TEXT_FILTERED);
    for (int side = 0; side < kMatchSides; ++side) {
        const int score =
            side == SIDE_PLAYER ? match->PlayerRound().board->score : match->OtherScore();
        const TextWindow& window = kMatchScoreWindows[side];
        hudFont->DrawText(IntToString(score), window.x0 + 10, window.y0 + kTextInset,
                          TEXT_FILTERED);
    }
    const std::string name = match->OtherLabel();
    strengthFont->SetColour(kMatchTextColour);
    constexpr int kNameWidth = kMatchStrengthWindow.x1 - kMatchStrengthWindow.x0 - 16;
    strengthFont->DrawText(strengthFont->Fitted(name, kNameWidth), kMatchStrengthWindow.x0 + 8,
                           kMatchStrengthWindow.y0 + kTextInset, TEXT_FILTERED);
}

void C_MatchScreen::DrawMeter(int side, const MeterPlace& place) {
    const TextWindow& slot = place.slot;
    const int rows = (slot.y1 - slot.y0) / place.rowHeight;
    const int arrived = match->Arrived(side);
    const int shown = std::min(rows, match->Incoming(side));
    const float scaleX = static_cast<float>(slot.x1 - slot.x0) / kMeterFrameSize;
    const float scaleY = static_cast<float>(place.rowHeight) / kMeterFrameSize;
    for (int n = 0; n < shown; ++n) {
        meter->SetFrame(n < arrived ? kArrivedFrame : kWaitingFrame);
        const float y = static_cast<float>(slot.y1 - place.rowHeight * (n + 1));
        meter->Draw({static_cast<float>(slot.x0), y}, {0.0f, 0.0f}, 0.0f, {scaleX, scaleY},
                    kOpaqueWhite);
    }
}

void C_MatchScreen::DrawNext(const C_Round& round, const TextWindow& window, int pitch) {
    const C_Tetromino* next = round.nextShape.get();
    if (next == nullptr) {
        return;
    }
    int left = kBoxSize;
    int right = -1;
    int top = kBoxSize;
    int bottom = -1;
    for (int i = 0; i < kBoxSize; ++i) {
        for (int j = 0; j < kBoxSize; ++j) {
            if (next->PieceInBox(i, j) != nullptr) {
                left = std::min(left, i);
                right = std::max(right, i);
                top = std::min(top, j);
                bottom = std::max(bottom, j);
            }
        }
    }
    const BoardPlace place = {(window.x0 + window.x1 - pitch * (right - left + 1)) / 2,
                              (window.y0 + window.y1 - pitch * (bottom - top + 1)) / 2, pitch};
    for (int i = left; i <= right; ++i) {
        for (int j = top; j <= bottom; ++j) {
            if (const WellCell* piece = next->PieceInBox(i, j)) {
                painter.DrawAt(*piece, 0.0f, 0.0f, place.X(i - left), place.Y(j - top),
                               kPictureScale, 255, place.Zoom());
            }
        }
    }
}

void C_MatchScreen::DrawSmallWell() {
    const auto cell = static_cast<float>(kSmallCell);
    const C_Well& well = match->OtherWell();
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            if (well.cells[x][y].Taken()) {
                painter.DrawSmall(well.cells[x][y], kSmallWellLeft + cell * static_cast<float>(x),
                                  kSmallWellTop + cell * static_cast<float>(y), cell,
                                  well.boardAlpha);
            }
        }
    }
}

void C_MatchScreen::Render() {
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {kPictureScale, kPictureScale},
                     kOpaqueWhite);
    if (seats.size() > 1) {
        RenderSeats();
    } else {
        RenderOneSeat();
    }
    DrawNotes();
    if (watch != nullptr) {
        watch->Render(*listFont);
    }
    context.input.DrawMousePointer();
}

void C_MatchScreen::DrawResult(int seat, float x, float y, float scale) {
    // Each seat's own: won where its side won.
    const int winner = match->Winner();
    const int shown = winner == kDraw ? kDraw : (winner == seat ? SIDE_PLAYER : SIDE_OPPONENT);
    results[static_cast<size_t>(shown)]->Draw({x, y}, {0.0f, 0.0f}, 0.0f, {scale, scale},
                                              kResultColour);
    if (match->PlayedHere()) {
        seats[static_cast<size_t>(seat)].yesButton->Render();
        seats[static_cast<size_t>(seat)].noButton->Render();
    }
}

void C_MatchScreen::RenderOneSeat() {
    DrawNumbers();
    C_Round& player = match->PlayerRound();
    player.board->Render();
    if (player.mode == MODE_RUNNING) {
        DrawLines(player.cycleLines);
        DrawLines(player.pipeLines);
    }
    if (player.currentShape) {
        player.currentShape->Render();
    }
    DrawNext(player, kNextWindow, kCellPitch);
    DrawSmallWell();
    DrawMeter(SIDE_PLAYER, kMatchMeters[SIDE_PLAYER]);
    DrawMeter(SIDE_OPPONENT, kMatchMeters[SIDE_OPPONENT]);
    Seat& seat = seats.front();
    seat.keyPanel->Render();
    if (paused) {
        pausedPicture->Draw({kResultX, kResultY}, {0.0f, 0.0f}, 0.0f,
                            {kPictureScale, kPictureScale}, kResultColour);
        seat.pausedLines->Render(kResultColour);
    }
    if (match->Over()) {
        DrawResult(SIDE_PLAYER, kResultX, kResultY, kPictureScale);
        if (match->OtherLeft()) {
            // Under the result, across the well.
            constexpr const char* kLeft = "The other player left.";
            strengthFont->SetColour(kResultColour);
            strengthFont->DrawText(kLeft, kLeftNoteCentre - strengthFont->Width(kLeft) / 2,
                                   kLeftNoteTop, TEXT_FILTERED);
        }
    }
}

void C_MatchScreen::RenderSeats() {
    hudFont->SetColour(kMatchTextColour);
    const std::string level = IntToString(match->PlayerRound().board->level);
    hudFont->DrawText(level,
                      (kSeatLevelWindow.x0 + kSeatLevelWindow.x1 - hudFont->Width(level)) / 2,
                      kSeatLevelWindow.y0 + kTextInset, TEXT_FILTERED);
    for (size_t n = 0; n < seats.size(); ++n) {
        const int at = static_cast<int>(n);
        const SeatPlace& place = kSeatPlaces[at];
        C_Round& round = match->SeatRound(at);
        round.board->RenderAt(place.well);
        if (round.mode == MODE_RUNNING) {
            DrawSeatLines(round.cycleLines, place, at);
            DrawSeatLines(round.pipeLines, place, at);
        }
        if (round.currentShape) {
            round.currentShape->RenderAt(place.well);
        }
        DrawNext(round, place.next, kSeatNextPitch);
        DrawMeter(at, place.meter);
        hudFont->SetColour(kMatchTextColour);
        hudFont->DrawText(IntToString(round.board->score), place.score.x0 + 10,
                          place.score.y0 + kTextInset, TEXT_FILTERED);
        const int deviceWidth = place.device.x1 - place.device.x0 - 2 * kDeviceInset;
        deviceFont->DrawText(deviceFont->Fitted(Device(at), deviceWidth),
                             place.device.x0 + kDeviceInset, place.device.y0 + kTextInset,
                             TEXT_FILTERED);
        Seat& seat = seats[n];
        if (match->PlayedHere()) {
            seat.keyPanel->Render();
        }
        const float x = SeatOverlayX(at);
        if (paused) {
            pausedPicture->Draw({x, kSeatOverlayTop}, {0.0f, 0.0f}, 0.0f,
                                {kSeatOverlayScale, kSeatOverlayScale}, kResultColour);
            seat.pausedLines->Render(kResultColour);
        }
        if (match->Over()) {
            DrawResult(at, x, kSeatOverlayTop, kSeatOverlayScale);
        }
    }
}

std::string C_MatchScreen::Device(int seat) const {
    // A replay names who played the seat; a watched room, its players.
    if (watch != nullptr) {
        return watch->Watched().sides[static_cast<size_t>(seat)].name;
    }
    const std::string name = match->SeatName(seat);
    if (!name.empty()) {
        return name;
    }
    // The seat's keys work as well, but the controller is what claimed it.
    const int pad = seats[static_cast<size_t>(seat)].pad;
    return pad != kNoPad ? "PAD " + IntToString(pad + 1) : "KEYBOARD";
}

std::string C_MatchScreen::Note(int seat) const {
    if (watch != nullptr) {
        return "";
    }
    const Seat& at = seats[static_cast<size_t>(seat)];
    const ScreenBindings& actions = at.keys.Actions();
    if (!match->PlayedHere()) {
        return match->Over() && seat == 0 ? ShownKeyName(actions.menu.key) + ": leave the room"
                                          : "";
    }
    if (match->Over()) {
        const std::string again = seat == 0 ? "ENTER" : ShownKeyName(actions.start.key);
        return again + ": play again   " + ShownKeyName(actions.menu.key) + ": back";
    }
    if (at.lostPad != kNoPad) {
        return "PAD " + IntToString(at.lostPad + 1) + " unplugged: paused";
    }
    return seat == 0 && timer->GetGameTime() < pauseNoteUntil ? kNoPauseNote : "";
}

void C_MatchScreen::DrawNote(const std::string& note, int centre, int top) {
    if (note.empty()) {
        return;
    }
    const int x = centre - noteFont->Width(note) / 2;
    noteFont->SetColour(kNoteShadow);
    noteFont->DrawText(note, x + 1, top + 1, TEXT_FILTERED);
    noteFont->SetColour(kResultColour);
    noteFont->DrawText(note, x, top, TEXT_FILTERED);
}

void C_MatchScreen::DrawNotes() {
    if (seats.size() == 1) {
        DrawNote(Note(0), kLeftNoteCentre, kNoteTop);
        return;
    }
    for (size_t n = 0; n < seats.size(); ++n) {
        DrawNote(Note(static_cast<int>(n)), SeatCentre(static_cast<int>(n)), kSeatNoteTop);
    }
}
