#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/gamestate.h"
#include "puzzle/round.h"

class C_Button;
class C_Font;
class C_Sprite;
class C_Timer;

struct GameKey {
    int key;
    RoundCommand command;
};

// The keypad keys, then the arrows and X / Z for keyboards without a keypad.
// Each has its own latch, so every key acts one frame after its own release.
constexpr int kGameKeys = 11;

// Turns the game keys into `round`'s commands through their latches: a move
// or turn one frame after its key's release, a drop step every second frame
// a drop key is held. The match screen steers the player's round the same way.
void SteerWithKeys(C_Round* round, std::array<int, kGameKeys>* latches);

// One game of the puzzle on screen: it owns the round and drives it, turning
// keys and buttons into its commands and feeding it the frame's game time;
// it draws the round, the start, pause and stop buttons, the pictures of
// each mode and the yes/no prompt after the game. The fields are open to the
// tests as the round's are.
class C_PlayScreen : public C_GameState {
public:
    C_PlayScreen();
    ~C_PlayScreen() override;

    void HandleInput() override;
    void Update() override;
    void DrawStep() override;
    void Render() override;

    std::unique_ptr<C_Round> round;
    C_Timer* timer = nullptr;
    int infoFade = 0;
    int pausedFade = 0;
    // The alphas the info and paused pictures fade at in this frame, or -1.
    int infoShown = -1;
    int pausedShown = -1;
    std::array<int, kGameKeys> keyLatch{};
    std::unique_ptr<C_Font> hudFont;
    std::unique_ptr<C_Font> listFont;
    std::unique_ptr<C_Sprite> background;
    std::unique_ptr<C_Sprite> infoPicture;
    std::unique_ptr<C_Sprite> pausedPicture;
    std::unique_ptr<C_Sprite> bannerPicture;
    std::unique_ptr<C_Sprite> gameOverPicture;
    std::unique_ptr<C_Button> startButton;
    std::unique_ptr<C_Button> pauseButton;
    std::unique_ptr<C_Button> stopButton;
    std::unique_ptr<C_Button> yesButton;
    std::unique_ptr<C_Button> noButton;

private:
    // The info and paused pictures' fades, once per drawn frame.
    void StepPictures();
    void DrawPicture(C_Sprite* picture, uint32_t colour);
    void DrawHud();
    void DrawLines(const std::vector<ListLine>& lines);
    int TextWidth(const std::string& text) const;
};
