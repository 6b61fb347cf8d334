#pragma once

#include <memory>

#include "model/gamestate.h"
#include "screens/screencontext.h"

class C_Button;
class C_Sprite;
class C_Wave;

// The end of a game of Pong, won (1, with a cheer) or lost (0): buttons to
// the menu and to another game. Escape returns to the menu.
class C_GameOver : public C_GameState {
public:
    C_GameOver(const ScreenContext& context, int won);
    ~C_GameOver() override;

    void HandleInput() override;
    void Update() override;
    void Render() override;

    C_Button* GetMenuButton() const { return menuButton.get(); }
    C_Button* GetPlayAgainButton() const { return playAgainButton.get(); }
    // Null in the lost variant.
    C_Wave* GetCrowdSound() const { return crowdSound.get(); }

private:
    ScreenContext context;
    std::unique_ptr<C_Wave> crowdSound;
    std::unique_ptr<C_Sprite> background;
    std::unique_ptr<C_Button> playAgainButton;
    std::unique_ptr<C_Button> menuButton;
};
