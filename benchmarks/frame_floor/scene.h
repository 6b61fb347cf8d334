// What both sides of frame_floor draw, written once so that the bare program
// and the game harness cannot drift apart: the window, the pacing, the
// settled board of the play scene and the numbers its score lists show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace floor_bench {

constexpr int kWidth = 713;
constexpr int kHeight = 653;
constexpr int kWarmUp = 30;
// The game paces its frames at this rate; so does the bare program, as the
// renderer's threads cost differently when frames come back to back.
constexpr double kFramesPerSecond = 75.0;
constexpr int kDemoBalls = 1000;

// Still is the untouched menu, which stands still; every other scene changes
// every frame, so its frames measure drawing.
enum class Scene { Still, Menu, Play, Pong, DemoB };
constexpr int kSceneCount = 5;

// What a child prints on one line: processor time per timed frame, the time
// from exec to its first presented frame, and its peak resident memory.
struct Result {
    double microsecondsPerFrame = -1;
    double startMilliseconds = -1;
    long peakKilobytes = -1;
};

// "still", "menu", "play", "pong" or "demob".
Scene SceneNamed(const char* name);
const char* NameOf(Scene scene);
// A child's one line, and the parent's reading of it.
void PrintResult(const Result& result);

// Waits until the renderer has drawn everything sent so far. The offscreen
// driver's swap hands nothing to a screen, so without this the OpenGL
// rasteriser would let whole frames of commands pile up unbounded, where a
// window's swap waits for them: both sides call it after every present.
void FinishFrame();

// Processor time of the whole process (the renderer's threads included).
double ProcessMicroseconds();
// Monotonic time in nanoseconds, comparable between processes.
long long MonotonicNanoseconds();
// VmHWM of this process in kilobytes, or -1.
long PeakKilobytes();

// One settled piece of the play scene's board.
struct BoardPiece {
    int column;
    int row;
    int colour;    // the sheet piece_<colour>-20-5-4.png
    int shape;     // pipe form, the sheet's column
    int rotation;  // quarter turns, the sheet's row
};

constexpr int kBoardColumns = 12;
constexpr int kBoardRows = 24;
constexpr int kBoardLeft = 70;
constexpr int kBoardTop = 84;
constexpr int kCellPitch = 22;
constexpr float kPieceScale = 0.7f;

// Columns filled from the floor up to a varying height, so nothing can fall
// and no row is full.
std::vector<BoardPiece> PlayBoard();

// Where demo B's ball `n` lies in the pile both sides draw: in view, in rows
// on the floor, each turned a little.
struct BallPlace {
    float x;
    float y;
    float radians;
};
BallPlace PlaceOfBall(int n);

// Where the pointer is in frame `frame` of the menu scene: sweeping over
// the level buttons and the column beside them, so buttons light and go dark.
struct PointerPlace {
    int x;
    int y;
};
PointerPlace PointerAt(int frame);

// The menu's buttons: the ten levels in a staircase, then the column of
// instructions, versus, scores and settings; each sheet holds idle, hover
// and pressed frames one above another.
struct MenuButton {
    const char* sheet;
    float x;
    float y;
    float scale;
    uint8_t alpha;
};
std::vector<MenuButton> MenuButtons();

// The play scene's shape falls a row every this many frames (the level's
// fall interval at 75 frames a second) from the top to kFallRows, then
// starts at the top again.
constexpr int kFramesPerRow = 20;
constexpr int kFallRows = 8;
// The score lists' fade in frame `frame`: falling, then starting again, so
// the lists' colours change every frame as they do while they run.
float ListFadeAt(int frame);

// The play scene's fixed numbers, and its score lists: two cycles (one of
// them multi), two pipes, a chain of two; best pipe and cycle above every
// entry, so no "New High!" marker shows.
struct PlayNumbers {
    int level = 9;
    int score = 48213;
    int rowsCleared = 27;
    int pipeTotal = 61;
    int bestPipe = 14;
    int bestCycle = 12;
    int chain = 2;
    std::vector<int> cycleSizes{6, 9};
    std::vector<int> cycleMulti{0, 1};
    std::vector<int> pipeSizes{12, 7};
};

}  // namespace floor_bench
