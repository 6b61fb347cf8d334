#include "screens/matchscreen.h"

#include <algorithm>
#include <ctime>

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
#include "screens/watchedmatch.h"
#include "store/playername.h"
#include "store/settings.h"
#include "versus/matchkind.h"
#include "view/font.h"
#include "view/sprite.h"

namespace {

constexpr float kPictureScale = 0.7f;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr float kResultX = 61.0f;
constexpr float kResultY = 240.0f;
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

}  // namespace

C_MatchScreen::C_MatchScreen(const ScreenContext& given, const MatchSetup& chosenSetup)
    : context(given), setup(chosenSetup), timer(given.model.GetTimer()), keys(given.settings, 0) {
    const C_Settings& chosen = context.settings;
    actions = ScreenBindingsOf(chosen);
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
    yesButton = MakeButton(kYesPlace, context.input);
    noButton = MakeButton(kNoPlace, context.input);
    hudFont = std::make_unique<C_Font>("Arial", kHudHeight, kMatchTextColour);
    strengthFont = std::make_unique<C_Font>("Arial", kStrengthHeight, kMatchTextColour);
    listFont = std::make_unique<C_Font>("Arial Black", kListHeight, kListStartColour);
    noteFont = std::make_unique<C_Font>("Arial", kNoteHeight, kResultColour);
    pausedPicture = std::make_unique<C_Sprite>("paused.png");
    pausedLines = std::make_unique<C_OverlayLines>(PausedLines(chosen));
    sounds = std::make_unique<C_GameSounds>();
    match->PlayerRound().Listen(sounds.get());
    keyPanel = std::make_unique<C_KeyPanel>(KeyHints(chosen, match->CanPause()), kMatchKeysPlace);
    match->PlayerRound().textWidth = [this](const std::string& text) { return TextWidth(text); };
}

C_MatchScreen::~C_MatchScreen() = default;

bool C_MatchScreen::Pausable() const {
    return match->CanPause();
}

float C_MatchScreen::MatchTime() const {
    return timer->GetGameTime() - heldFor;
}

void C_MatchScreen::Give(RoundCommand command) {
    match->PlayerRound().Command(command);
}

void C_MatchScreen::HandleInput() {
    if (watch != nullptr) {
        watch->HandleInput(context.input);
        if (actions.menu.Is(context.input, KEY_RELEASED)) {
            context.model.SetNextState(afterWatching);
        }
        return;
    }
    if (!match->Over()) {
        HandlePause();
        if (!paused) {
            keys.Steer(context.input, MatchTime(), match->PlayerRound().cascadeNumber,
                       [this](RoundCommand command) { Give(command); });
        }
    } else {
        AnswerResult();
    }
    if (actions.menu.Is(context.input, KEY_RELEASED) ||
        (match->Over() && context.input.GetPadButtonState(PAD_B) == KEY_RELEASED)) {
        match->Leave();
        context.model.SetNextState(match->StartsFromLobby() ? STATE_VERSUS : STATE_MENU);
    }
}

void C_MatchScreen::HandlePause() {
    if (actions.pause.Is(context.input, KEY_RELEASED)) {
        if (match->CanPause()) {
            SetPaused(!paused);
        } else {
            pauseNoteUntil = timer->GetGameTime() + kPauseNoteSeconds;
        }
    } else if (paused && actions.start.Is(context.input, KEY_RELEASED)) {
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
    }
    paused = on;
}

void C_MatchScreen::AnswerResult() {
    const bool confirmHeld = context.input.IsKeyHeld(DIK_RETURN) ||
                             context.input.IsKeyHeld(DIK_NUMPADENTER) ||
                             context.input.GetPadButtonState(PAD_A) == KEY_HELD ||
                             context.input.GetPadButtonState(PAD_START) == KEY_HELD;
    const bool confirmed = context.input.IsKeyReleased(DIK_RETURN) ||
                           context.input.IsKeyReleased(DIK_NUMPADENTER) ||
                           context.input.GetPadButtonState(PAD_A) == KEY_RELEASED ||
                           context.input.GetPadButtonState(PAD_START) == KEY_RELEASED;
    if (yesButton->GetState() == BUTTON_CLICKED || (answerArmed && confirmed)) {
        if (match->StartsFromLobby()) {
            context.model.SetNextState(STATE_VERSUS);
        } else {
            MatchSetup again = setup;
            again.network = false;
            context.model.SetNextState(STATE_MATCH, again);
        }
    }
    if (noButton->GetState() == BUTTON_CLICKED) {
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
        yesButton->Update();
        noButton->Update();
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
    const C_Match* played = match->RecordedMatch();
    const auto* records = match->Records();
    if (played == nullptr || records == nullptr) {
        return;
    }
    std::string name = DefaultPlayerName(context.settings.GetLastName());
    const Replay replay = ComputerMatchReplay(
        {&(*records)[SIDE_PLAYER], &(*records)[SIDE_OPPONENT]}, *played, setup.strength,
        name.empty() ? kReplayPlayerName : name, ReplayDate(std::time(nullptr)));
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

void C_MatchScreen::DrawMeter(int side) {
    const MeterPlace& place = kMatchMeters[side];
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

void C_MatchScreen::DrawNext() {
    const C_Tetromino* next = match->PlayerRound().nextShape.get();
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
    const int x0 = (kNextWindow.x0 + kNextWindow.x1 - kCellPitch * (right - left + 1)) / 2;
    const int y0 = (kNextWindow.y0 + kNextWindow.y1 - kCellPitch * (bottom - top + 1)) / 2;
    for (int i = left; i <= right; ++i) {
        for (int j = top; j <= bottom; ++j) {
            if (const WellCell* piece = next->PieceInBox(i, j)) {
                painter.DrawAt(*piece, 0.0f, 0.0f, x0 + kCellPitch * (i - left),
                               y0 + kCellPitch * (j - top), kPictureScale, 255);
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
    DrawNext();
    DrawSmallWell();
    DrawMeter(SIDE_PLAYER);
    DrawMeter(SIDE_OPPONENT);
    keyPanel->Render();
    if (paused) {
        pausedPicture->Draw({kResultX, kResultY}, {0.0f, 0.0f}, 0.0f,
                            {kPictureScale, kPictureScale}, kResultColour);
        pausedLines->Render(kResultColour);
    }
    if (match->Over()) {
        results[static_cast<size_t>(match->Winner())]->Draw({kResultX, kResultY}, {0.0f, 0.0f},
                                                            0.0f, {kPictureScale, kPictureScale},
                                                            kResultColour);
        yesButton->Render();
        noButton->Render();
        if (match->OtherLeft()) {
            // Under the result, across the well.
            constexpr const char* kLeft = "The other player left.";
            strengthFont->SetColour(kResultColour);
            strengthFont->DrawText(kLeft, kLeftNoteCentre - strengthFont->Width(kLeft) / 2,
                                   kLeftNoteTop, TEXT_FILTERED);
        }
    }
    DrawNotes();
    if (watch != nullptr) {
        watch->Render(*listFont);
    }
    context.input.DrawMousePointer();
}

std::string C_MatchScreen::Note() const {
    if (watch != nullptr) {
        return "";
    }
    if (match->Over()) {
        return "ENTER: play again   " + ShownKeyName(actions.menu.key) + ": back";
    }
    return timer->GetGameTime() < pauseNoteUntil ? kNoPauseNote : "";
}

void C_MatchScreen::DrawNotes() {
    const std::string note = Note();
    if (note.empty()) {
        return;
    }
    const int x = kLeftNoteCentre - noteFont->Width(note) / 2;
    noteFont->SetColour(kNoteShadow);
    noteFont->DrawText(note, x + 1, kNoteTop + 1, TEXT_FILTERED);
    noteFont->SetColour(kResultColour);
    noteFont->DrawText(note, x, kNoteTop, TEXT_FILTERED);
}
