#pragma once

#include <array>
#include <memory>

#include "model/gamestate.h"
#include "screens/screencontext.h"

class C_Button;
class C_Sprite;

constexpr int kLevelButtons = 10;

// The first screen: ten level buttons that start a game at that level,
// buttons to the instructions, versus (F7), the score table (F8) and the
// settings (F9), F4 to play again at the last level, F5 for Pong, F6 for
// the sprite demos, and Escape to quit. The level travels to the game
// through outerLevel.
class C_Menu : public C_GameState {
public:
    explicit C_Menu(const ScreenContext& context);
    ~C_Menu() override;

    void HandleInput() override;
    void Update() override;
    void Render() override;

    C_Button* GetLevelButton(int n) const { return levelButtons[static_cast<size_t>(n)].get(); }
    C_Button* GetInstructionsButton() const { return instructionsButton.get(); }
    C_Button* GetVersusButton() const { return versusButton.get(); }
    C_Button* GetScoresButton() const { return scoresButton.get(); }
    C_Button* GetSettingsButton() const { return settingsButton.get(); }

private:
    ScreenContext context;
    std::unique_ptr<C_Sprite> background;
    std::array<std::unique_ptr<C_Button>, kLevelButtons> levelButtons;
    std::unique_ptr<C_Button> instructionsButton;
    std::unique_ptr<C_Button> versusButton;
    std::unique_ptr<C_Button> scoresButton;
    std::unique_ptr<C_Button> settingsButton;
};
