#include "screens/scorescreen.h"

#include "core/globals.h"
#include "core/keycodes.h"
#include "input/controller.h"
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

// The name as it is being typed, the caret after it.
constexpr const char* kCaret = "_";
constexpr const char* kAskText = "A new high score! Type your name, then press Enter.";

bool Finishing() {
    return g_pController->IsKeyReleased(DIK_RETURN) ||
           g_pController->IsKeyReleased(DIK_NUMPADENTER) ||
           g_pController->IsKeyReleased(DIK_ESCAPE);
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

C_ScoreScreen::C_ScoreScreen()
    : background(std::make_unique<C_Sprite>("scores.png")),
      font(std::make_unique<C_Font>("Arial", kTextHeight, kTextColour)) {
    if (g_pModel->TakeFinishedGame(&finished)) {
        askingName = true;
        nextState = finished.nextState;
        name = DefaultPlayerName(g_pModel->GetSettings()->GetLastName());
    }
    doneButton = std::make_unique<C_Button>(nextState == STATE_PLAY ? "play_button-3-1-3.png"
                                                                    : "main_button-3-1-3.png");
    doneButton->SetColour(kButtonColour);
    doneButton->SetScale(kScale, kScale);
    doneButton->SetPosition(580, 590);
}

C_ScoreScreen::~C_ScoreScreen() = default;

void C_ScoreScreen::HandleInput() {
    if (askingName) {
        Type(g_pController->GetTypedText());
        if (Finishing()) {
            EnterName();
        }
        return;
    }
    if (Finishing() || doneButton->GetState() == BUTTON_CLICKED) {
        g_pModel->SetNextState(nextState);
    }
}

void C_ScoreScreen::Type(const std::string& typed) {
    for (const char c : typed) {
        if (c == kBackspace) {
            RemoveLastCharacter(name);
        } else if (c >= kFirstPrintable && c <= kLastPrintable &&
                   CharacterCount(name) < kMaxPlayerNameCharacters) {
            // The table's font draws printable ASCII alone.
            name += c;
        }
    }
}

void C_ScoreScreen::EnterName() {
    askingName = false;
    C_Settings* settings = g_pModel->GetSettings();
    C_HighScores* scores = g_pModel->GetHighScores();
    finished.game.name = name;
    settings->SetLastName(name);
    settings->Save();
    marked = scores->Insert(finished.game) - 1;
    scores->Save();
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
    std::vector<HighScore> shown = g_pModel->GetHighScores()->GetEntries();
    int highlighted = marked;
    if (askingName) {
        // The game in its place, its name as typed so far.
        highlighted = g_pModel->GetHighScores()->PlaceFor(finished.game.score) - 1;
        HighScore typing = finished.game;
        typing.name = name + kCaret;
        shown.insert(shown.begin() + highlighted, typing);
        font->SetColour(kMarkedColour);
        font->DrawText(kAskText, kPromptBox.left + kCellInset, kPromptBox.top + kTextInsetY,
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
    g_pController->DrawMousePointer();
}
