#pragma once

#include <array>
#include <memory>
#include <string>

#include "model/gamestate.h"
#include "screens/screencontext.h"
#include "screens/textbox.h"

class C_Button;
class C_Font;
class C_Sprite;

// The rows of the picture's controls whose keys the player sets: move,
// rotate, drop, pause, start and menu.
constexpr int kInstructionKeyRows = 6;

// The blank key cap of such a row, where the screen writes its keys.
constexpr TextBox InstructionKeyCell(int row) {
    return {462, 124 + 26 * row, 561, 146 + 26 * row};
}

// Under the controls' notes, the line the code writes when the player's held
// keys repeat.
constexpr TextBox kInstructionMovesLine = {462, 474, 690, 492};

// How to play: a picture, with the keys the player bound written into its
// controls, a button back to the menu and one into a game at the last
// chosen level. Escape quits, F4 plays.
class C_Instructions : public C_GameState {
public:
    explicit C_Instructions(const ScreenContext& context);
    ~C_Instructions() override;

    void HandleInput() override;
    void Update() override;
    void Render() override;

    C_Button* GetMainButton() const { return mainButton.get(); }
    C_Button* GetPlayButton() const { return playButton.get(); }
    // What each bound row's cap shows, top down.
    const std::array<std::string, kInstructionKeyRows>& GetBoundKeys() const { return boundKeys; }
    // What the controls say of held keys: empty when a move comes at the
    // release, as the picture says.
    const std::string& GetMovesLine() const { return movesLine; }

private:
    ScreenContext context;
    std::unique_ptr<C_Sprite> background;
    std::unique_ptr<C_Button> mainButton;
    std::unique_ptr<C_Button> playButton;
    std::unique_ptr<C_Font> keyFont;
    std::array<std::string, kInstructionKeyRows> boundKeys;
    std::string movesLine;
};
