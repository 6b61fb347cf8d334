#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/gamestate.h"

class C_Button;
class C_Font;
class C_GameBoard;
class C_Sprite;
class C_Tetromino;
class C_Timer;

enum PlayMode {
    MODE_IDLE = 0,
    MODE_RUNNING = 1,
    MODE_PAUSED = 2,
    MODE_GAMEOVER = 4,
};

// One text line a score list draws, in the list font.
struct ListLine {
    std::string text;
    int x;
    int y;
    uint32_t colour;
};

// What a game key does to the falling shape.
enum GameAction {
    ACTION_TURN_COUNTER_CLOCKWISE,
    ACTION_TURN_CLOCKWISE,
    ACTION_MOVE_LEFT,
    ACTION_MOVE_RIGHT,
    ACTION_STEP_DOWN,
};

struct GameKey {
    int key;
    GameAction action;
};

// The keypad keys, then the arrows and X / Z for keyboards without a keypad.
// Each has its own latch, so every key acts one frame after its own release.
constexpr int kGameKeys = 11;

// One game of the puzzle: the board, the falling and the preview shape, the
// start, pause and stop buttons and the yes/no prompt after the game. It
// turns keys into moves, paces the board's flow, destroy and gravity phases
// by the shared timer, spawns shapes and ends the game when the board tops
// out. Its drawing also runs the two score lists, which is where pipe and
// cycle points reach the score. The fields are open to the tests as the
// board's are.
class C_PlayScreen : public C_GameState {
public:
    C_PlayScreen();
    ~C_PlayScreen() override;

    void HandleInput() override;
    void Update() override;
    // Also run from Update while gravity moves pieces, for its fades and
    // score lists.
    void Render() override;

    // One pass of each score list: its points, records and score, and the
    // lines to draw this time.
    std::vector<ListLine> RunCycleList();
    std::vector<ListLine> RunPipeList();

    int mode = MODE_IDLE;
    std::unique_ptr<C_GameBoard> board;
    // Null from the moment a shape locks until the next spawn.
    std::unique_ptr<C_Tetromino> currentShape;
    std::unique_ptr<C_Tetromino> nextShape;
    C_Timer* timer = nullptr;
    int chain = 0;
    int shownChain = 0;
    std::vector<int> pipeList;
    float pipeFade = -1.0f;
    float cycleFade = -1.0f;
    int pipeHigh = -1;
    int cycleHigh = -1;
    int pipePoints = 0;
    int cyclePoints = 0;
    int infoFade = 0;
    int pausedFade = 0;
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
    void HandleGameKeys();
    void Act(GameAction action);
    // The running game's phases, the first that applies.
    void UpdateRunning();
    // The next shape falls from the top; a new one waits in the preview.
    void Spawn();
    // Runs a drawing pass during the update for what it advances, with
    // nothing put on the screen.
    void RenderUnseen(const std::function<void()>& render);
    bool Phase(float period) const;
    void DrawPicture(C_Sprite* picture, uint32_t colour);
    void DrawHud();
    void DrawLines(const std::vector<ListLine>& lines);
    int TextWidth(const std::string& text) const;
};

// Where a shape of `type` enters the well and where it waits in the preview.
void PlaceAtSpawn(C_Tetromino* shape);
void PlaceInPreview(C_Tetromino* shape);
