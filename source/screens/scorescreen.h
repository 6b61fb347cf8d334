#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/gamestate.h"
#include "model/model.h"
#include "screens/screencontext.h"
#include "screens/textbox.h"
#include "store/highscores.h"

class C_Button;
class C_Font;
class C_Sprite;

// The score table. Opened from the menu it shows the ten best games; after
// a game that makes the table it first asks the name (typed, at most 16
// characters; the last name entered is offered, and the first key typed
// replaces it), then shows the table with the new line marked, and goes on
// to where the game-over prompt pointed. A scores file found damaged is told
// in one line the first time the table is shown.
class C_ScoreScreen : public C_GameState {
public:
    explicit C_ScoreScreen(const ScreenContext& context);
    ~C_ScoreScreen() override;

    void HandleInput() override;
    void Update() override;
    void Render() override;

    bool IsAskingName() const { return askingName; }
    const std::string& GetTypedName() const { return name; }
    // The line under the table: the greeting or a word on the name while it
    // is asked, then what became of a damaged scores file, if anything.
    std::string GetPromptLine() const;
    // The marked line's index in the table, -1 for none.
    int GetMarkedLine() const { return marked; }

    // Where the table's text goes, in screen pixels: a line of seven columns
    // (place, name, score, starting level, rows, pieces piped, date).
    static constexpr int kColumns = 7;
    static constexpr int kLineTop = 128;
    static constexpr int kLineStep = 40;
    static constexpr int kLineHeight = 34;
    static TextBox LineBox(int line);
    static TextBox CellBox(int line, int column);
    static constexpr TextBox kPromptBox = {30, 540, 683, 580};
    static constexpr uint32_t kTextColour = 0xFFEAF0F7;
    static constexpr uint32_t kMarkedColour = 0xFFFFB03C;

private:
    // The replay of the entry a click has just chosen, or empty.
    std::string ReplayClicked() const;
    // Takes the typed name into the table and saves it.
    void EnterName();
    void Type(const std::string& typed);
    // What is said of a damaged scores file, cut to the prompt's width.
    std::string DamageLine(const C_StoreFile::Damage& damage) const;
    void DrawLine(int line, const HighScore& game, uint32_t colour);

    ScreenContext context;
    std::unique_ptr<C_Sprite> background;
    std::unique_ptr<C_Button> doneButton;
    std::unique_ptr<C_Font> font;
    FinishedGame finished;
    bool askingName = false;
    std::string name;
    // The name shown is the one offered, not yet typed over.
    bool offered = false;
    // A character was refused because the name was full.
    bool nameCut = false;
    // The game's place while its name is asked.
    int place = 0;
    std::string damageLine;
    int marked = -1;
    int nextState = STATE_MENU;
};
