#include "screens/scorescreen.h"

#include <string>

#include "console/console.h"
#include "core/globals.h"
#include "core/keycodes.h"
#include "input/controller.h"
#include "replay/replayshelf.h"
#include "screens/button.h"
#include "store/playername.h"
#include "store/settings.h"
#include "view/font.h"
#include "view/sprite.h"

namespace {

constexpr float kScale = 0.7f;
constexpr uint32_t kButtonColour = 0xC8FFFFFF;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr int kTextHeight = 13;
constexpr int kCellInset = 6;
constexpr int kTextInsetY = 8;
constexpr char kBackspace = 8;
constexpr char kFirstPrintable = 32;
constexpr char kLastPrintable = 126;

// The columns' left edges, and the table's right edge.
constexpr int kColumnEdges[C_ScoreScreen::kColumns + 1] = {36, 80, 290, 380, 440, 505, 570, 680};

// The name as it is being typed, the caret after it; none after a name offered
// whole, or one that is full.
constexpr const char* kCaret = "_";
constexpr const char* kFirstPlaceText = "New high score! Type your name, then press Enter.";
constexpr const char* kWatchText = "Click a game to watch its replay.";
constexpr int kLeftButton = 0;
constexpr const char* kPlaceText = "Your score is in the table! Type your name, then press Enter.";

std::string FullText() {
    return "A name holds " + std::to_string(kMaxPlayerNameCharacters) +
           " characters: the rest was cut. Enter takes it.";
}

bool Finishing(const C_Controller& input) {
    return input.IsKeyReleased(DIK_RETURN) || input.IsKeyReleased(DIK_NUMPADENTER) ||
           input.IsKeyReleased(DIK_ESCAPE);
}

bool ContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    for (const char c : text) {
        count += ContinuationByte(c) ? 0 : 1;
    }
    return count;
}

// Drops the last character, whole, of UTF-8 text.
void RemoveLastCharacter(std::string& text) {
    while (!text.empty() && ContinuationByte(text.back())) {
        text.pop_back();
    }
    if (!text.empty()) {
        text.pop_back();
    }
}

}  // namespace

TextBox C_ScoreScreen::LineBox(int line) {
    const int top = kLineTop + kLineStep * line;
    return {kColumnEdges[0], top, kColumnEdges[kColumns], top + kLineHeight};
}

TextBox C_ScoreScreen::CellBox(int line, int column) {
    const TextBox lineBox = LineBox(line);
    return {kColumnEdges[column], lineBox.top, kColumnEdges[column + 1], lineBox.bottom};
}

C_ScoreScreen::C_ScoreScreen(const ScreenContext& given)
    : context(given),
      background(std::make_unique<C_Sprite>("scores.png")),
      font(std::make_unique<C_Font>("Arial", kTextHeight, kTextColour)) {
    if (context.model.TakeFinishedGame(&finished)) {
        askingName = true;
        nextState = finished.nextState;
        name = DefaultPlayerName(context.settings.GetLastName());
        offered = true;
        place = context.scores.PlaceFor(finished.game.score);
    }
    C_StoreFile::Damage damage;
    if (context.scores.TakeDamage(damage)) {
        damageLine = DamageLine(damage);
    }
    doneButton = std::make_unique<C_Button>(
        nextState == STATE_PLAY ? "play_button-3-1-3.png" : "main_button-3-1-3.png", context.input);
    doneButton->SetColour(kButtonColour);
    doneButton->SetScale(kScale, kScale);
    doneButton->SetPosition(580, 590);
}

C_ScoreScreen::~C_ScoreScreen() = default;

void C_ScoreScreen::HandleInput() {
    if (askingName) {
        Type(context.input.GetTypedText());
        if (Finishing(context.input)) {
            EnterName();
        }
        return;
    }
    if (Finishing(context.input) || doneButton->GetState() == BUTTON_CLICKED) {
        context.model.SetNextState(nextState);
    }
    const std::string replay = ReplayClicked();
    if (!replay.empty()) {
        context.model.WatchReplay(C_ReplayShelf::Player().PathOf(replay), STATE_SCORES);
    }
}

void C_ScoreScreen::Type(const std::string& typed) {
    for (const char c : typed) {
        const bool printable = c >= kFirstPrintable && c <= kLastPrintable;
        if (offered && (printable || c == kBackspace)) {
            // The offer is taken as a whole or typed over, never added to.
            name.clear();
            offered = false;
            if (c == kBackspace) {
                continue;
            }
        }
        if (c == kBackspace) {
            RemoveLastCharacter(name);
            nameCut = false;
        } else if (printable && CharacterCount(name) < kMaxPlayerNameCharacters) {
            // The table's font draws printable ASCII alone.
            name += c;
        } else if (printable) {
            nameCut = true;
        }
    }
}

std::string C_ScoreScreen::GetPromptLine() const {
    if (!askingName) {
        if (damageLine.empty()) {
            for (const HighScore& entry : context.scores.GetEntries()) {
                if (!entry.replay.empty()) {
                    return kWatchText;
                }
            }
        }
        return damageLine;
    }
    if (nameCut) {
        return FullText();
    }
    // A game that scored nothing may fill an empty place, but beats no one.
    return place == 1 && finished.game.score > 0 ? kFirstPlaceText : kPlaceText;
}

std::string C_ScoreScreen::DamageLine(const C_StoreFile::Damage& damage) const {
    std::string line = "Scores file damaged: ";
    if (damage.kept == 0) {
        line += "nothing could be read";
    } else {
        line += "kept " + std::to_string(damage.kept) + (damage.kept == 1 ? " entry" : " entries");
    }
    if (damage.original.empty()) {
        return line + "; the file is left as it was";
    }
    line += "; the original is ";
    // The path's end says the most: its folder's start is cut first.
    const int room = kPromptBox.right - kPromptBox.left - 2 * kCellInset - font->Width(line);
    return line + font->Fitted(damage.original, room, true);
}

void C_ScoreScreen::EnterName() {
    askingName = false;
    C_Settings* settings = &context.settings;
    C_HighScores* scores = &context.scores;
    finished.game.name = name;
    marked = scores->Insert(finished.game) - 1;
    if (marked < 0) {
        return;
    }
    // What the table holds, "Player" for an empty name, is offered next time,
    // and is the name the game's replay shows.
    const std::string& entered = scores->GetEntries()[static_cast<std::size_t>(marked)].name;
    settings->SetLastName(entered);
    std::string why;
    if (!finished.game.replay.empty() &&
        !C_ReplayShelf::Player().NamePlayer(finished.game.replay, entered, why) &&
        g_pConsole != nullptr) {
        g_pConsole->AddLine(why);
    }
    settings->Save();
    scores->Save();
}

std::string C_ScoreScreen::ReplayClicked() const {
    if (context.input.GetMouseButtonState(kLeftButton) != KEY_RELEASED) {
        return "";
    }
    const int x = context.input.GetMouseX();
    const int y = context.input.GetMouseY();
    const std::vector<HighScore>& entries = context.scores.GetEntries();
    for (int line = 0; line < static_cast<int>(entries.size()); ++line) {
        const TextBox box = LineBox(line);
        if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) {
            return entries[static_cast<std::size_t>(line)].replay;
        }
    }
    return "";
}

void C_ScoreScreen::Update() {
    if (!askingName) {
        doneButton->Update();
    }
}

void C_ScoreScreen::DrawLine(int line, const HighScore& game, uint32_t colour) {
    const std::string cells[kColumns] = {
        std::to_string(line + 1),
        game.name,
        std::to_string(game.score),
        std::to_string(game.startingLevel),
        std::to_string(game.rows),
        std::to_string(game.piecesPiped),
        game.date,
    };
    font->SetColour(colour);
    for (int column = 0; column < kColumns; ++column) {
        const TextBox box = CellBox(line, column);
        font->DrawText(cells[column], box.left + kCellInset, box.top + kTextInsetY, TEXT_FILTERED);
    }
}

void C_ScoreScreen::Render() {
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {kScale, kScale}, kOpaqueWhite);
    std::vector<HighScore> shown = context.scores.GetEntries();
    int highlighted = marked;
    if (askingName) {
        // The game in its place, its name as typed so far.
        highlighted = context.scores.PlaceFor(finished.game.score) - 1;
        HighScore typing = finished.game;
        const bool full = CharacterCount(name) >= kMaxPlayerNameCharacters;
        typing.name = offered || full ? name : name + kCaret;
        shown.insert(shown.begin() + highlighted, typing);
    }
    const std::string prompt = GetPromptLine();
    if (!prompt.empty()) {
        font->SetColour(kMarkedColour);
        font->DrawText(prompt, kPromptBox.left + kCellInset, kPromptBox.top + kTextInsetY,
                       TEXT_FILTERED);
    }
    for (int line = 0; line < static_cast<int>(shown.size()) && line < C_HighScores::kPlaces;
         ++line) {
        DrawLine(line, shown[static_cast<size_t>(line)],
                 line == highlighted ? kMarkedColour : kTextColour);
    }
    if (!askingName) {
        doneButton->Render();
    }
    context.input.DrawMousePointer();
}
