#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "puzzle/randomdraw.h"
#include "puzzle/roundclock.h"
#include "puzzle/roundevents.h"
#include "puzzle/roundsnapshot.h"

class C_BoardSounds;
class C_GameBoard;
class C_Tetromino;

enum PlayMode {
    MODE_IDLE = 0,
    MODE_RUNNING = 1,
    MODE_PAUSED = 2,
    MODE_GAMEOVER = 4,
};

// What a player (a keyboard, a computer, a network peer) asks of a round.
enum RoundCommand : uint8_t {
    COMMAND_LEFT,
    COMMAND_RIGHT,
    COMMAND_TURN_CLOCKWISE,
    COMMAND_TURN_COUNTER_CLOCKWISE,
    // One row down; never locks the shape and leaves the clock alone.
    COMMAND_DROP_STEP,
    COMMAND_START,
    COMMAND_PAUSE,
};

constexpr uint32_t kWhiteRgb = 0xFFFFFF;

// `rgb` with the integer part of `fade` as its alpha.
uint32_t FadeColour(float fade, uint32_t rgb);

// One call a round took from outside, in the order taken.
struct RoundInput {
    enum Kind : uint8_t { COMMAND, UPDATE, DRAW_STEP, RECEIVE };
    Kind kind;
    RoundCommand command;
    float gameTime;
    // The seed of a received row.
    uint64_t rowSeed = 0;
};

// All a round needs to be played again: its seed, its level and its inputs.
struct RoundRecord {
    uint64_t seed = 0;
    int level = 0;
    std::vector<RoundInput> inputs;
};

struct RoundSettings {
    uint64_t seed = 0;
    int level = 0;
    // Nobody listens from the start: no console line and no flow sound, as
    // for a computer opponent's well.
    bool quiet = false;
    // Hears every line and event, quiet or not.
    C_RoundEvents* observer = nullptr;
    // Takes the seed, the level and every input, if given.
    RoundRecord* record = nullptr;
};

// One round of the puzzle: the board, the falling and the preview shape, the
// cascade's chain and the two score lists, paced by a clock and fed by a
// generator of its own. It takes commands, an update per frame with the
// frame's game time and a step per drawn frame; the same seed and inputs
// give the same round, bit for bit, anywhere. What happens in it goes to its
// listeners: unless quiet, the console and the board's flow sounds from the
// start, and whoever else asks. Its fields are open, as the board's are.
class C_Round : private C_RoundEvents {
public:
    explicit C_Round(const RoundSettings& settings);
    ~C_Round() override;
    C_Round(const C_Round&) = delete;
    C_Round& operator=(const C_Round&) = delete;

    // `listener` hears the round's lines and events from now on, until the
    // round ends; it must outlive the round or stop listening first.
    void Listen(C_RoundEvents* listener);
    void StopListening(C_RoundEvents* listener);

    // Moves act only while the round runs and a shape falls.
    void Command(RoundCommand command);
    // The phases at `gameTime`, once per frame unless the console's pause
    // holds the update. True when it ran a per-draw step of its own (the
    // gravity phase), which a screen's own fades follow.
    bool Update(float gameTime);
    // What each drawn frame advances: the pulses, the lists' fades and the
    // points they add, the banner. Once per frame after Update, also while
    // the console's pause holds Update.
    void DrawStep();
    // A row sent by an opponent, made from `rowSeed` alone: it is pushed in
    // from the bottom at the next landing that starts no cascade.
    void Receive(uint64_t rowSeed);

    // The round as a value, and back to it: seeking in a replay.
    RoundSnapshot Snapshot() const;
    void Restore(const RoundSnapshot& snapshot);

    // One pass of each score list: its points, records and score, and the
    // lines it shows.
    std::vector<ListLine> RunCycleList();
    std::vector<ListLine> RunPipeList();

    int mode = MODE_IDLE;
    std::unique_ptr<C_GameBoard> board;
    // Null from the moment a shape locks until the next spawn.
    std::unique_ptr<C_Tetromino> currentShape;
    std::unique_ptr<C_Tetromino> nextShape;
    int chain = 0;
    int shownChain = 0;
    std::vector<int> pipeList;
    float pipeFade = -1.0f;
    float cycleFade = -1.0f;
    int pipeHigh = -1;
    int cycleHigh = -1;
    int pipePoints = 0;
    int cyclePoints = 0;
    // What the last DrawStep shows: the lists' lines and whether the banner.
    std::vector<ListLine> cycleLines;
    std::vector<ListLine> pipeLines;
    bool bannerShown = false;
    // The width of a list text as drawn; the pipe list aligns on it.
    std::function<int(const std::string&)> textWidth;
    C_RoundClock clock;
    C_RandomDraw draws;
    // The seeds of the rows received and not yet pushed in, oldest first.
    std::vector<uint64_t> incoming;
    // Every received row pushed into the well so far.
    int rowsPushedIn = 0;
    // The cascade under way, or the last one until the next spawn: one
    // number per spawned shape, the flows it ran (its chain) and the cycles
    // they closed.
    int cascadeNumber = 0;
    int cascadeFlows = 0;
    int cascadeCycles = 0;

private:
    // The board's lines and events, passed on to every listener.
    void Line(const std::string& line) override;
    void Happened(RoundEvent event) override;
    bool Listening() const override;
    void Tell(RoundEvent event) { Happened(event); }
    void Lose();

    // The running phases, the first that applies; true as Update.
    bool UpdateRunning();
    // One tick of the flowed pieces' fade; true when the update goes on.
    bool FadeFlowed();
    void FallStep();
    // The board's full rows, told when there were any; true when topped out.
    bool ClearFullRows();
    // After the rows were looked for: the game ends, the next flow begins,
    // or the next shape comes (true).
    bool SpawnAfterRows(bool toppedOut);
    // One flow step of the board, counting the cycles of a flow that ends.
    void FlowStep();
    // Pushes in the rows received; true when that tops the well out.
    bool PushIncoming();
    // The next shape falls from the top; a new one waits in the preview.
    void Spawn();
    void RunDrawStep();
    void Record(RoundInput::Kind kind, RoundCommand command, float gameTime, uint64_t rowSeed = 0);
    int Width(const std::string& text) const { return textWidth ? textWidth(text) : 0; }

    std::vector<C_RoundEvents*> listeners;
    std::unique_ptr<C_RoundEvents> consoleLines;
    std::unique_ptr<C_BoardSounds> boardSounds;
    RoundRecord* record;
};

// A fresh quiet round given `record`'s seed, level and inputs, telling
// `observer` its lines and sounds.
std::unique_ptr<C_Round> PlayBack(const RoundRecord& record, C_RoundEvents* observer);

// Where a shape enters the well and where it waits in the preview.
void PlaceAtSpawn(C_Tetromino* shape);
void PlaceInPreview(C_Tetromino* shape);
