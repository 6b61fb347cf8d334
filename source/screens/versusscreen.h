#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "model/gamestate.h"

class C_Button;
class C_Font;
class C_Sprite;

// The choices a match starts with, kept for the run like outerLevel: the
// computer's strength (an OpponentStrength) and the starting level.
extern int versusStrength;
extern int versusLevel;

constexpr int kStrengths = 3;

// Where the versus screen's code draws the level, in screen pixels; the
// picture keeps this window dark.
struct TextWindow {
    int x0;
    int y0;
    int x1;
    int y1;
};
constexpr TextWindow kVersusLevelWindow = {312, 388, 400, 436};
constexpr uint32_t kVersusLevelColour = 0xFFF0F0FF;

// Versus: a match against the computer at one of three strengths (a button
// or 1, 2, 3), from a starting level (the - and + buttons or the arrows).
// The match over the network is announced as coming and does nothing yet.
// Escape goes back to the menu.
class C_VersusScreen : public C_GameState {
public:
    C_VersusScreen();
    ~C_VersusScreen() override;

    void HandleInput() override;
    void Update() override;
    void Render() override;

    C_Button* GetStrengthButton(int strength) const {
        return strengthButtons[static_cast<size_t>(strength)].get();
    }

private:
    void Play(int strength);
    void StepLevel(int step);

    std::unique_ptr<C_Sprite> background;
    std::array<std::unique_ptr<C_Button>, kStrengths> strengthButtons;
    std::unique_ptr<C_Button> lessButton;
    std::unique_ptr<C_Button> moreButton;
    std::unique_ptr<C_Font> levelFont;
};
