#pragma once

#include <cstdint>
#include <memory>

#include "model/gamestate.h"

class C_Font;
class C_Paddle;
class C_PongBall;
class C_Sprite;
class C_Wall;

// The Pong field is 800 x 600; the whole screen is drawn through one uniform
// scale that fits the field's width to the window, centred vertically. Every
// rule works in field units.
constexpr float kPongFieldScale = 713.0f / 800.0f;
constexpr float kPongFieldTop = (653.0f - 600.0f * kPongFieldScale) / 2.0f;
// The scoreboard's top-left corner and the scores' (the player's, then the
// computer's), in field units. The scores are light, for the scoreboard's
// dark windows, whatever colour the shared font was last given.
constexpr float kPongScoreboardX = 298.0f;
constexpr float kPongScoreboardY = 500.0f;
constexpr int kPongScoreX[] = {308, 406};
constexpr int kPongScoreY = 536;
constexpr uint32_t kPongScoreColour = 0xFFE0E0E0;

// One player against the computer, first to five points. Each round counts
// down 3, 2, 1 and serves with "GO!"; Escape returns to the menu.
class C_Pong : public C_GameState {
public:
    C_Pong();
    ~C_Pong() override;

    void HandleInput() override;
    // Objects, the collision sweep, then a ball that left the field scores.
    void Update() override;
    // Field, scores, objects and the countdown, which also serves the ball.
    void Render() override;

    // The ball back to the centre and the countdown from now.
    void NewRound();

    C_PongBall* GetBall() const { return ball.get(); }
    C_Paddle* GetLeftPaddle() const { return leftPaddle.get(); }
    C_Paddle* GetRightPaddle() const { return rightPaddle.get(); }
    int GetLeftScore() const { return leftScore; }
    int GetRightScore() const { return rightScore; }
    float GetRoundStart() const { return roundStart; }
    C_Font* GetCountdownFont() const { return countdownFont.get(); }

private:
    void ReportFailure(int line, const C_GameObject& object);

    std::unique_ptr<C_Wall> topWall;
    std::unique_ptr<C_Wall> bottomWall;
    std::unique_ptr<C_PongBall> ball;
    std::unique_ptr<C_Paddle> leftPaddle;
    std::unique_ptr<C_Paddle> rightPaddle;
    std::unique_ptr<C_Sprite> background;
    std::unique_ptr<C_Sprite> scoreboard;
    std::unique_ptr<C_Font> countdownFont;
    float roundStart = 0.0f;
    int leftScore = 0;
    int rightScore = 0;
    int winningScore = 5;
};
