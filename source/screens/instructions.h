#pragma once

#include <memory>

#include "model/gamestate.h"

class C_Button;
class C_Sprite;

// How to play: a picture, a button back to the menu and one into a game at
// the last chosen level. Escape quits, F4 plays.
class C_Instructions : public C_GameState {
public:
    C_Instructions();
    ~C_Instructions() override;

    void HandleInput() override;
    void Update() override;
    void Render() override;

    C_Button* GetMainButton() const { return mainButton.get(); }
    C_Button* GetPlayButton() const { return playButton.get(); }

private:
    std::unique_ptr<C_Sprite> background;
    std::unique_ptr<C_Button> mainButton;
    std::unique_ptr<C_Button> playButton;
};
