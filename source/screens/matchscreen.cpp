#include "screens/matchscreen.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "core/error.h"
#include "core/globals.h"
#include "core/keycodes.h"
#include "core/padbuttons.h"
#include "input/controller.h"
#include "model/model.h"
#include "model/timer.h"
#include "net/net.h"
#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "screens/button.h"
#include "screens/gamekeys.h"
#include "screens/gamesounds.h"
#include "screens/keyhints.h"
#include "screens/overlaylines.h"
#include "store/settings.h"
#include "versus/match.h"
#include "versus/netmatch.h"
#include "versus/opponent.h"
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

constexpr const char* kStrengthNames[kStrengths] = {"EASY", "MEDIUM", "HARD"};
constexpr int kMeterFrameSize = 24;
// Beyond these the link is called slow on the screen.
constexpr std::chrono::milliseconds kSlowRoundTrip{400};
constexpr std::chrono::seconds kSnapshotGap{1};
constexpr int kPieceColours = 8;
// The note that the other player left: under the result, centred on the well.
constexpr int kLeftNoteCentre = 202;
constexpr int kLeftNoteTop = 422;
// The result's keys, and the note that a network match cannot pause: under
// the result, centred on the well, over a shadow.
constexpr int kNoteTop = 398;
constexpr int kNoteHeight = 16;
constexpr uint32_t kNoteShadow = 0xC0000000;
constexpr float kPauseNoteSeconds = 2.0f;
constexpr const char* kNoPauseNote = "A network match cannot be paused.";
constexpr int kWaitingFrame = 0;
constexpr int kArrivedFrame = 1;

std::unique_ptr<C_Button> MakeButton(const ButtonPlace& place) {
    auto button = std::make_unique<C_Button>(place.image);
    button->SetPosition(place.x, place.y);
    button->SetScale(place.scale, place.scale);
    return button;
}

}  // namespace

C_MatchScreen::C_MatchScreen()
    : timer(g_pModel->GetTimer()), moveKeys(LatchedBindings(*g_pModel->GetSettings())) {
    const C_Settings& chosen = *g_pModel->GetSettings();
    startKey = chosen.GetKey(GameAction::Start);
    startPad = chosen.GetPadButton(GameAction::Start);
    pauseKey = chosen.GetKey(GameAction::Pause);
    pausePad = chosen.GetPadButton(GameAction::Pause);
    menuKey = chosen.GetKey(GameAction::Menu);
    menuPad = chosen.GetPadButton(GameAction::Menu);
    MatchSettings settings;
    settings.seed = static_cast<uint64_t>(std::time(nullptr));
    settings.level = versusLevel;
    C_MatchLink* link = g_pNet->Match();
    if (versusNetwork && link != nullptr && link->GetPhase() == C_MatchLink::Phase::Started) {
        netMatch = std::make_unique<C_NetMatch>(*link, false);
        // Kept: the name goes with the player, and the screen still shows it.
        peerName = g_pNet->PeerName();
    } else {
        match = std::make_unique<C_Match>(settings);
        opponent = std::make_unique<C_Opponent>(static_cast<OpponentStrength>(versusStrength));
    }
    versusNetwork = false;
    for (int colour = 0; colour < kPieceColours; ++colour) {
        viewPieces.push_back(std::make_unique<C_Piece>(colour, 0, 0, 0, 0));
    }
    background = std::make_unique<C_Sprite>(netMatch ? "match_net.png" : "match.png");
    meter = std::make_unique<C_Sprite>("meter-2-1-2.png");
    results[SIDE_PLAYER] = std::make_unique<C_Sprite>("versus_won.png");
    results[SIDE_OPPONENT] = std::make_unique<C_Sprite>("versus_lost.png");
    results[kDraw] = std::make_unique<C_Sprite>("versus_draw.png");
    yesButton = MakeButton(kYesPlace);
    noButton = MakeButton(kNoPlace);
    hudFont = std::make_unique<C_Font>("Arial", kHudHeight, kMatchTextColour);
    strengthFont = std::make_unique<C_Font>("Arial", kStrengthHeight, kMatchTextColour);
    listFont = std::make_unique<C_Font>("Arial Black", kListHeight, kListStartColour);
    noteFont = std::make_unique<C_Font>("Arial", kNoteHeight, kResultColour);
    pausedPicture = std::make_unique<C_Sprite>("paused.png");
    pausedLines = std::make_unique<C_OverlayLines>(PausedLines(chosen));
    sounds = std::make_unique<C_GameSounds>();
    keyPanel = std::make_unique<C_KeyPanel>(KeyHints(chosen, netMatch == nullptr), kMatchKeysPlace);
    PlayerRound().textWidth = [this](const std::string& text) { return TextWidth(text); };
}

C_MatchScreen::~C_MatchScreen() = default;

C_Round& C_MatchScreen::PlayerRound() {
    return netMatch ? netMatch->Round() : match->Round(SIDE_PLAYER);
}

bool C_MatchScreen::Over() const {
    return netMatch ? netMatch->Over() : match->Over();
}

int C_MatchScreen::Winner() const {
    return netMatch ? netMatch->winner : match->winner;
}

int C_MatchScreen::Incoming(int side) const {
    if (!netMatch) {
        return match->Incoming(side);
    }
    if (side == SIDE_PLAYER) {
        return netMatch->Incoming();
    }
    return netMatch->PeerWell() ? netMatch->PeerWell()->incoming : 0;
}

int C_MatchScreen::Arrived(int side) const {
    if (!netMatch) {
        return static_cast<int>(match->Round(side).incoming.size());
    }
    return side == SIDE_PLAYER ? static_cast<int>(netMatch->Round().incoming.size()) : 0;
}

int C_MatchScreen::RowsSent() const {
    return netMatch ? netMatch->rowsSent : match->rowsSent[SIDE_PLAYER];
}

float C_MatchScreen::MatchTime() const {
    return timer->GetGameTime() - heldFor;
}

void C_MatchScreen::Give(RoundCommand command) {
    sounds->Give(&PlayerRound(), command);
}

void C_MatchScreen::HandleInput() {
    if (!Over()) {
        HandlePause();
        if (!paused) {
            SteerWithBindings(&moveKeys, [this](RoundCommand command) { Give(command); });
        }
    } else {
        AnswerResult();
    }
    if (KeyOrPadIs(menuKey, menuPad, KEY_RELEASED) ||
        (Over() && g_pController->GetPadButtonState(PAD_B) == KEY_RELEASED)) {
        if (netMatch) {
            // Leaving loses the match; the session stays for the next.
            netMatch->Forfeit(g_pNet->Match());
        }
        g_pModel->SetNextState(netMatch ? STATE_VERSUS : STATE_MENU);
    }
}

void C_MatchScreen::HandlePause() {
    if (KeyOrPadIs(pauseKey, pausePad, KEY_RELEASED)) {
        if (netMatch) {
            // The other machine plays on.
            pauseNoteUntil = timer->GetGameTime() + kPauseNoteSeconds;
        } else {
            SetPaused(!paused);
        }
    } else if (paused && KeyOrPadIs(startKey, startPad, KEY_RELEASED)) {
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
    const bool confirmHeld = g_pController->IsKeyHeld(DIK_RETURN) ||
                             g_pController->IsKeyHeld(DIK_NUMPADENTER) ||
                             g_pController->GetPadButtonState(PAD_A) == KEY_HELD ||
                             g_pController->GetPadButtonState(PAD_START) == KEY_HELD;
    const bool confirmed = g_pController->IsKeyReleased(DIK_RETURN) ||
                           g_pController->IsKeyReleased(DIK_NUMPADENTER) ||
                           g_pController->GetPadButtonState(PAD_A) == KEY_RELEASED ||
                           g_pController->GetPadButtonState(PAD_START) == KEY_RELEASED;
    // Over the network the next match starts from the versus screen, where
    // the host offers it.
    if (yesButton->GetState() == BUTTON_CLICKED || (answerArmed && confirmed)) {
        g_pModel->SetNextState(netMatch ? STATE_VERSUS : STATE_MATCH);
    }
    if (noButton->GetState() == BUTTON_CLICKED) {
        g_pModel->SetNextState(STATE_MENU);
    }
    answerArmed = answerArmed || (!confirmHeld && !confirmed);
}

void C_MatchScreen::Update() {
    if (paused) {
        return;
    }
    const float gameTime = MatchTime();
    C_Round& player = PlayerRound();
    const RoundGlance before = C_GameSounds::Glance(player);
    const int sent = RowsSent();
    if (netMatch) {
        netMatch->Update(gameTime, g_pNet->Match());
    } else if (!match->Over()) {
        opponent->Play(&match->Round(SIDE_OPPONENT), gameTime, match->Incoming(SIDE_OPPONENT));
        match->Update(gameTime);
    }
    sounds->PlayChanges(before, player);
    if (RowsSent() > sent) {
        sounds->Play(GAME_SOUND_SENT);
    }
    if (Over()) {
        yesButton->Update();
        noButton->Update();
    }
}

void C_MatchScreen::DrawStep() {
    if (paused) {
        return;
    }
    if (netMatch) {
        netMatch->DrawStep();
    } else {
        match->DrawStep();
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
    hudFont->DrawText(IntToString(PlayerRound().board->level), kMatchLevelWindow.x0 + 9,
                      kMatchLevelWindow.y0 + kTextInset, TEXT_FILTERED);
    for (int side = 0; side < kMatchSides; ++side) {
        int score = 0;
        if (!netMatch) {
            score = match->Round(side).board->score;
        } else if (side == SIDE_PLAYER) {
            score = netMatch->Round().board->score;
        } else if (netMatch->PeerWell()) {
            score = static_cast<int>(netMatch->PeerWell()->score);
        }
        const TextWindow& window = kMatchScoreWindows[side];
        hudFont->DrawText(IntToString(score), window.x0 + 10, window.y0 + kTextInset,
                          TEXT_FILTERED);
    }
    std::string name = kStrengthNames[std::clamp(versusStrength, 0, kStrengths - 1)];
    if (netMatch) {
        // Who is playing; a slow link says so instead, the game going on.
        const bool slow =
            !netMatch->Over() && !netMatch->PeerEnded() &&
            (g_pNet->RoundTrip() > kSlowRoundTrip || g_pNet->SinceLastSnapshot() > kSnapshotGap);
        name = slow ? "SLOW LINK" : peerName;
    }
    strengthFont->SetColour(kMatchTextColour);
    constexpr int kNameWidth = kMatchStrengthWindow.x1 - kMatchStrengthWindow.x0 - 16;
    strengthFont->DrawText(strengthFont->Fitted(name, kNameWidth), kMatchStrengthWindow.x0 + 8,
                           kMatchStrengthWindow.y0 + kTextInset, TEXT_FILTERED);
}

void C_MatchScreen::DrawMeter(int side) {
    const MeterPlace& place = kMatchMeters[side];
    const TextWindow& slot = place.slot;
    const int rows = (slot.y1 - slot.y0) / place.rowHeight;
    const int arrived = Arrived(side);
    const int shown = std::min(rows, Incoming(side));
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
    const C_Tetromino* next = PlayerRound().nextShape.get();
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
            if (C_Piece* piece = next->PieceInBox(i, j)) {
                piece->DrawAt(x0 + kCellPitch * (i - left), y0 + kCellPitch * (j - top),
                              kPictureScale, 255);
            }
        }
    }
}

void C_MatchScreen::DrawPeerWell() {
    if (!netMatch->PeerWell()) {
        return;
    }
    const auto cell = static_cast<float>(kSmallCell);
    const C_MatchMessage& well = *netMatch->PeerWell();
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            const int value = well.cells[static_cast<size_t>(y * kBoardColumns + x)];
            if (value > 0 && value <= kPieceColours) {
                viewPieces[static_cast<size_t>(value - 1)]->DrawSmall(
                    kSmallWellLeft + cell * x, kSmallWellTop + cell * y, cell, 255);
            }
        }
    }
}

void C_MatchScreen::DrawSmallWell() {
    if (netMatch) {
        DrawPeerWell();
        return;
    }
    const C_Round& round = match->Round(SIDE_OPPONENT);
    const C_GameBoard& board = *round.board;
    const auto cell = static_cast<float>(kSmallCell);
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            if (C_Piece* piece = board.PieceAt(x, y)) {
                piece->DrawSmall(kSmallWellLeft + cell * x, kSmallWellTop + cell * y, cell,
                                 board.boardAlpha);
            }
        }
    }
    const C_Tetromino* shape = round.currentShape.get();
    if (shape == nullptr) {
        return;
    }
    for (int i = 0; i < kBoxSize; ++i) {
        for (int j = 0; j < kBoxSize; ++j) {
            C_Piece* piece = shape->PieceInBox(i, j);
            const int row = shape->GetRow() + j;
            if (piece != nullptr && row >= 0) {
                piece->DrawSmall(kSmallWellLeft + cell * (shape->GetColumn() + i),
                                 kSmallWellTop + cell * row, cell, 255);
            }
        }
    }
}

void C_MatchScreen::Render() {
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {kPictureScale, kPictureScale},
                     kOpaqueWhite);
    DrawNumbers();
    C_Round& player = PlayerRound();
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
    if (Over()) {
        results[static_cast<size_t>(Winner())]->Draw({kResultX, kResultY}, {0.0f, 0.0f}, 0.0f,
                                                     {kPictureScale, kPictureScale}, kResultColour);
        yesButton->Render();
        noButton->Render();
        if (netMatch && netMatch->peerGone) {
            // Under the result, across the well.
            constexpr const char* kLeft = "The other player left.";
            strengthFont->SetColour(kResultColour);
            strengthFont->DrawText(kLeft, kLeftNoteCentre - strengthFont->Width(kLeft) / 2,
                                   kLeftNoteTop, TEXT_FILTERED);
        }
    }
    DrawNotes();
    g_pController->DrawMousePointer();
}

std::string C_MatchScreen::Note() const {
    if (Over()) {
        return "ENTER: play again   " + ShownKeyName(menuKey) + ": back";
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
