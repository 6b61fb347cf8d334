#include "puzzle/round.h"

#include <algorithm>

#include "audio/wave.h"
#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "puzzle/gameboard.h"
#include "puzzle/tetromino.h"

namespace {

constexpr float kFlowPeriod = 0.45f;
constexpr float kDestroyTick = 0.005f;
constexpr float kGravityPeriod = 0.3f;
constexpr float kFirstFadeStep = 0.04f;
constexpr float kSecondFadeStep = 0.16f;
constexpr float kLastFade = -1.4f;
constexpr int kAlphaStep = 2;
constexpr float kFullFade = 0.7f;
constexpr int kOpaque = 255;
constexpr float kListStart = 255.0f;
constexpr float kListFadeStep = 0.4f;

// Points per block: a pipe's, and a cycle's, which counts a simple cycle's
// blocks twice and pays eight times over for its chain.
constexpr int PipeMultiplier(int level) {
    return 2 * level + 2;
}
constexpr int CycleMultiplier(int level) {
    return 8 * level + 8;
}
constexpr int kSimpleCycleWeight = 2;
constexpr int kCycleChainBonus = 8;

// Lighter than the well, which swallows a darker grey.
constexpr uint32_t kListGrey = 0xD0D0D0;
constexpr uint32_t kMarker = 0x6450E1;

constexpr int kListTop = 108;
constexpr int kListLineStep = 20;
constexpr int kCycleEntryX = 60;
constexpr int kCycleNewX = 10;
constexpr int kCycleHighX = 2;
constexpr int kCycleChainX = 26;
constexpr int kCycleBonusX = 1;
constexpr int kPipeRightEdge = 342;
constexpr int kPipeMarkerX = 355;

struct Cell {
    int column;
    int row;
};

constexpr Cell kSpawnCell = {3, -1};
constexpr Cell kSpawnCellI = {3, -2};
constexpr Cell kSpawnCellO = {4, -1};
constexpr Cell kPreviewCell = {16, 18};
constexpr Cell kPreviewCellO = {17, 18};

int ListY(int line) {
    return kListTop + kListLineStep * line;
}

// Where one list puts its entries and their record markers.
struct ListStyle {
    int entryX;  // the right edge when right-aligned
    bool rightAligned;
    int newX;
    int highX;
    uint32_t rgb;
};

constexpr ListStyle kCycleStyle = {kCycleEntryX, false, kCycleNewX, kCycleHighX, kListGrey};
constexpr ListStyle kPipeStyle = {kPipeRightEdge, true, kPipeMarkerX, kPipeMarkerX, kWhiteRgb};

// The entry lines of one list in order, each with "New" / "High!" when it
// beats `best` or is the entry `high` that did; `entry` gives an entry's
// text and adds its points. Returns how many entries there were.
int AddEntries(const std::vector<int>& sizes, float fade, const ListStyle& style,
               const std::function<int(const std::string&)>& width,
               const std::function<std::string(size_t, int)>& entry, int* best, int* high,
               std::vector<ListLine>* lines) {
    int n = 0;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const int s = sizes[i];
        if (s == -1) {
            continue;
        }
        std::string text = entry(i, s);
        if (i != 0) {
            text = "+ " + text;
        }
        const int x = style.rightAligned ? style.entryX - (width ? width(text) : 0) : style.entryX;
        lines->push_back({text, x, ListY(n), FadeColour(fade, style.rgb)});
        const int index = static_cast<int>(i);
        if (s > *best || *high == index) {
            const uint32_t marker = FadeColour(fade, kMarker);
            lines->push_back({"New", style.newX, ListY(n), marker});
            lines->push_back({"High!", style.highX, ListY(n + 1), marker});
            *best = s;
            *high = index;
        }
        n += 1;
    }
    return n;
}

// The chain factor over "Bonus", below a list's entries.
void AddChain(int shownChain, int n, int chainX, int bonusX, float fade,
              std::vector<ListLine>* lines) {
    if (shownChain <= 1) {
        return;
    }
    const uint32_t marker = FadeColour(fade, kMarker);
    lines->push_back({IntToString(shownChain) + "x", chainX, ListY(n), marker});
    lines->push_back({"Bonus", bonusX, ListY(n + 1), marker});
}

// The round's lines on the console.
class C_ConsoleLines : public C_RoundEvents {
public:
    void Line(const std::string& line) override {
        if (g_pConsole != nullptr) {
            g_pConsole->AddLine(line);
        }
    }
};

}  // namespace

uint32_t FadeColour(float fade, uint32_t rgb) {
    return (static_cast<uint32_t>(static_cast<int>(fade)) & 0xFFu) << 24 | (rgb & 0xFFFFFFu);
}

void PlaceAtSpawn(C_Tetromino* shape) {
    Cell cell = kSpawnCell;
    if (shape->GetShapeType() == SHAPE_I) {
        cell = kSpawnCellI;
    } else if (shape->GetShapeType() == SHAPE_O) {
        cell = kSpawnCellO;
    }
    shape->SetGridPosition(cell.column, cell.row, 0);
}

void PlaceInPreview(C_Tetromino* shape) {
    const Cell cell = shape->GetShapeType() == SHAPE_O ? kPreviewCellO : kPreviewCell;
    shape->SetGridPosition(cell.column, cell.row, 0);
}

C_Round::C_Round(const RoundSettings& settings) : draws(settings.seed), record(settings.record) {
    if (!settings.quiet) {
        consoleLines = std::make_unique<C_ConsoleLines>();
        boardSounds = std::make_unique<C_BoardSounds>();
        Listen(consoleLines.get());
        Listen(boardSounds.get());
    }
    if (settings.observer != nullptr) {
        Listen(settings.observer);
    }
    if (record != nullptr) {
        record->seed = settings.seed;
        record->level = settings.level;
        record->inputs.clear();
    }
    C_RoundEvents* events = this;
    board = std::make_unique<C_GameBoard>(settings.level, events);
    currentShape = std::make_unique<C_Tetromino>(board.get(), draws);
    nextShape = std::make_unique<C_Tetromino>(board.get(), draws);
    PlaceAtSpawn(currentShape.get());
    PlaceInPreview(nextShape.get());
}

C_Round::~C_Round() {
    // The shapes hold the board; they go first.
    currentShape.reset();
    nextShape.reset();
    board.reset();
}

void C_Round::Record(RoundInput::Kind kind, RoundCommand command, float gameTime,
                     uint64_t rowSeed) {
    if (record != nullptr) {
        record->inputs.push_back({kind, command, gameTime, rowSeed});
    }
}

void C_Round::Receive(uint64_t rowSeed) {
    Record(RoundInput::RECEIVE, COMMAND_START, 0.0f, rowSeed);
    incoming.push_back(rowSeed);
    Tell(EVENT_ROW_RECEIVED);
}

void C_Round::Listen(C_RoundEvents* listener) {
    if (std::find(listeners.begin(), listeners.end(), listener) == listeners.end()) {
        listeners.push_back(listener);
    }
}

void C_Round::StopListening(C_RoundEvents* listener) {
    listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

void C_Round::Line(const std::string& line) {
    for (C_RoundEvents* listener : listeners) {
        if (listener->Listening()) {
            listener->Line(line);
        }
    }
}

void C_Round::Happened(RoundEvent event) {
    for (C_RoundEvents* listener : listeners) {
        listener->Happened(event);
    }
}

bool C_Round::Listening() const {
    return std::any_of(listeners.begin(), listeners.end(),
                       [](const C_RoundEvents* listener) { return listener->Listening(); });
}

void C_Round::Lose() {
    mode = MODE_GAMEOVER;
    Tell(EVENT_LOST);
}

void C_Round::Command(RoundCommand command) {
    Record(RoundInput::COMMAND, command, 0.0f);
    switch (command) {
        case COMMAND_START:
            if (mode != MODE_GAMEOVER) {
                mode = MODE_RUNNING;
            }
            return;
        case COMMAND_PAUSE:
            if (mode == MODE_RUNNING || mode == MODE_PAUSED) {
                mode = MODE_PAUSED;
            }
            return;
        default:
            break;
    }
    if (mode != MODE_RUNNING || !currentShape) {
        return;
    }
    const int column = currentShape->GetColumn();
    const int rotation = currentShape->Shape().cells[0].rotation;
    switch (command) {
        case COMMAND_LEFT:
            currentShape->MoveLeft();
            break;
        case COMMAND_RIGHT:
            currentShape->MoveRight();
            break;
        case COMMAND_TURN_CLOCKWISE:
            currentShape->RotateClockwise();
            break;
        case COMMAND_TURN_COUNTER_CLOCKWISE:
            currentShape->RotateCounterClockwise();
            break;
        default:
            currentShape->StepDown();
            return;
    }
    if (currentShape->GetColumn() != column) {
        Tell(EVENT_SHAPE_MOVED);
    } else if (currentShape->Shape().cells[0].rotation != rotation) {
        Tell(EVENT_SHAPE_TURNED);
    }
}

bool C_Round::Update(float gameTime) {
    Record(RoundInput::UPDATE, COMMAND_START, gameTime);
    clock.Advance(gameTime);
    return mode == MODE_RUNNING && UpdateRunning();
}

bool C_Round::UpdateRunning() {
    if (board->piping != 0) {
        board->DrawStep();
        if (clock.Crossed(kFlowPeriod)) {
            Line("piping");
            pipeFade = kListStart;
            FlowStep();
        }
        return false;
    }
    if (board->destroying != 0 && !FadeFlowed()) {
        return false;
    }
    if (board->moving == 0) {
        FallStep();
        return false;
    }
    // The gravity phase steps its drawing once more in its update, so its
    // fades and pulses go twice as fast.
    RunDrawStep();
    if (!clock.Crossed(kGravityPeriod)) {
        return true;
    }
    Line("moving");
    if (!board->GravityStep()) {
        return true;
    }
    chain += 1;
    if (SpawnAfterRows(ClearFullRows())) {
        FallStep();
    }
    return true;
}

bool C_Round::FadeFlowed() {
    if (!clock.Crossed(kDestroyTick)) {
        return false;
    }
    Line("destroying");
    if (board->fade > kLastFade) {
        board->fade -= board->fade > 0.0f ? kFirstFadeStep : kSecondFadeStep;
        board->boardAlpha -= kAlphaStep;
        return true;
    }
    board->RemoveMarked();
    board->moving = 1;
    pipeFade = kListStart;
    cycleFade = kListStart;
    pipeHigh = -1;
    cycleHigh = -1;
    pipeList = board->pipeSizes;
    board->pipeSizes.clear();
    board->fade = kFullFade;
    board->boardAlpha = kOpaque;
    board->destroying = 0;
    return false;
}

void C_Round::FallStep() {
    if (!clock.Crossed(board->fallInterval) || !currentShape) {
        return;
    }
    if (currentShape->StepDown() != 0) {
        clock.Reset();
        return;
    }
    currentShape->LockIntoBoard();
    Tell(EVENT_SHAPE_LANDED);
    const bool toppedOut = ClearFullRows();
    currentShape.reset();
    if (SpawnAfterRows(toppedOut)) {
        clock.Reset();
    }
}

bool C_Round::ClearFullRows() {
    const int rowsBefore = board->rowsCleared;
    const bool toppedOut = board->ClearFullRows();
    if (board->rowsCleared > rowsBefore) {
        Tell(EVENT_ROWS_FULL);
    }
    return toppedOut;
}

bool C_Round::SpawnAfterRows(bool toppedOut) {
    if (toppedOut) {
        Lose();
        return false;
    }
    if (board->piping != 0) {
        cascadeFlows += 1;
        Line("piping");
        FlowStep();
        return false;
    }
    if (!incoming.empty() && PushIncoming()) {
        Lose();
        return false;
    }
    Spawn();
    return true;
}

void C_Round::FlowStep() {
    if (board->FlowStep()) {
        return;
    }
    for (const int size : board->cycleSizes) {
        cascadeCycles += size > 0 ? 1 : 0;
    }
}

bool C_Round::PushIncoming() {
    bool lost = false;
    for (const uint64_t rowSeed : incoming) {
        C_RandomDraw rowDraws(rowSeed);
        lost = board->PushRowUnder(rowDraws) || lost;
    }
    rowsPushedIn += static_cast<int>(incoming.size());
    incoming.clear();
    Tell(EVENT_ROWS_PUSHED_IN);
    return lost;
}

void C_Round::Spawn() {
    chain = 1;
    cascadeNumber += 1;
    cascadeFlows = 0;
    cascadeCycles = 0;
    currentShape = std::move(nextShape);
    PlaceAtSpawn(currentShape.get());
    nextShape = std::make_unique<C_Tetromino>(board.get(), draws);
    PlaceInPreview(nextShape.get());
}

void C_Round::DrawStep() {
    Record(RoundInput::DRAW_STEP, COMMAND_START, 0.0f);
    RunDrawStep();
}

void C_Round::RunDrawStep() {
    board->DrawStep();
    cycleLines.clear();
    pipeLines.clear();
    bannerShown = false;
    if (mode != MODE_RUNNING) {
        return;
    }
    if (cycleFade > 0.0f) {
        cycleLines = RunCycleList();
    }
    if (pipeFade > 0.0f) {
        pipeLines = RunPipeList();
    }
    if (board->bannerTimer > 0) {
        board->bannerTimer -= 1;
        bannerShown = true;
    }
}

std::vector<ListLine> C_Round::RunCycleList() {
    std::vector<ListLine> lines;
    cyclePoints = 0;
    const std::vector<int>& multi = board->cycleMulti;
    const int n = AddEntries(
        board->cycleSizes, cycleFade, kCycleStyle, textWidth,
        [this, &multi](size_t i, int s) {
            if (i < multi.size() && multi[i] != 0) {
                cyclePoints += s;
                return IntToString(s) + " Block Multi Cycle";
            }
            cyclePoints += kSimpleCycleWeight * s;
            return IntToString(s) + " Block Cycle";
        },
        &board->bestCycle, &cycleHigh, &lines);
    cyclePoints *= CycleMultiplier(board->level);
    if (cycleFade == kListStart) {
        board->score += cyclePoints * chain * kCycleChainBonus;
        shownChain = chain;
    }
    cycleFade -= kListFadeStep;
    if (cyclePoints > 0) {
        // Both in the pipe list's fade.
        AddChain(shownChain, n, kCycleChainX, kCycleBonusX, pipeFade, &lines);
        lines.push_back({"pts : " + IntToString(cyclePoints), kCycleEntryX, ListY(n),
                         FadeColour(pipeFade, kWhiteRgb)});
    }
    if (cycleFade <= 0.0f) {
        cycleFade = -1.0f;
        cycleHigh = -1;
    }
    return lines;
}

std::vector<ListLine> C_Round::RunPipeList() {
    std::vector<ListLine> lines;
    pipePoints = 0;
    const int n = AddEntries(
        pipeList, pipeFade, kPipeStyle, textWidth,
        [this](size_t, int s) {
            pipePoints += s;
            return IntToString(s) + " Block Pipe";
        },
        &board->bestPipe, &pipeHigh, &lines);
    if (pipeFade == kListStart) {
        board->pipeTotal += pipePoints;
    }
    pipePoints *= PipeMultiplier(board->level);
    if (pipeFade == kListStart) {
        board->score += pipePoints * chain;
        shownChain = chain;
    }
    if (pipePoints > 0) {
        AddChain(shownChain, n, kPipeMarkerX, kPipeMarkerX, pipeFade, &lines);
        const std::string text = "pts : " + IntToString(pipePoints);
        const int w = Width(text);
        if (Listening()) {
            Line("xOff" + IntToString(w));
        }
        lines.push_back({text, kPipeRightEdge - w, ListY(n), FadeColour(pipeFade, kListGrey)});
    }
    pipeFade -= kListFadeStep;
    if (pipeFade < 0.0f) {
        pipeList.clear();
        pipeHigh = -1;
        pipeFade = -1.0f;
    }
    return lines;
}

std::unique_ptr<C_Round> PlayBack(const RoundRecord& record, C_RoundEvents* observer) {
    RoundSettings settings;
    settings.seed = record.seed;
    settings.level = record.level;
    settings.quiet = true;
    settings.observer = observer;
    auto round = std::make_unique<C_Round>(settings);
    for (const RoundInput& input : record.inputs) {
        switch (input.kind) {
            case RoundInput::COMMAND:
                round->Command(input.command);
                break;
            case RoundInput::UPDATE:
                round->Update(input.gameTime);
                break;
            case RoundInput::DRAW_STEP:
                round->DrawStep();
                break;
            case RoundInput::RECEIVE:
                round->Receive(input.rowSeed);
                break;
        }
    }
    return round;
}

RoundSnapshot C_Round::Snapshot() const {
    RoundSnapshot snapshot;
    snapshot.mode = mode;
    snapshot.well = board->Rules();
    snapshot.pulses = board->Pulses();
    if (currentShape) {
        snapshot.currentShape = currentShape->State();
    }
    if (nextShape) {
        snapshot.nextShape = nextShape->State();
    }
    snapshot.chain = chain;
    snapshot.shownChain = shownChain;
    snapshot.pipeList = pipeList;
    snapshot.pipeFade = pipeFade;
    snapshot.cycleFade = cycleFade;
    snapshot.pipeHigh = pipeHigh;
    snapshot.cycleHigh = cycleHigh;
    snapshot.pipePoints = pipePoints;
    snapshot.cyclePoints = cyclePoints;
    snapshot.cycleLines = cycleLines;
    snapshot.pipeLines = pipeLines;
    snapshot.bannerShown = bannerShown;
    snapshot.clock = clock;
    snapshot.draws = draws;
    snapshot.incoming = incoming;
    snapshot.rowsPushedIn = rowsPushedIn;
    snapshot.cascadeNumber = cascadeNumber;
    snapshot.cascadeFlows = cascadeFlows;
    snapshot.cascadeCycles = cascadeCycles;
    return snapshot;
}

namespace {

void RestoreShape(const std::optional<ShapeState>& state, C_GameBoard* board,
                  std::unique_ptr<C_Tetromino>& shape) {
    if (!state) {
        shape.reset();
        return;
    }
    if (!shape) {
        C_RandomDraw unused;
        shape = std::make_unique<C_Tetromino>(board, unused);
    }
    shape->Restore(*state);
}

}  // namespace

void C_Round::Restore(const RoundSnapshot& snapshot) {
    mode = snapshot.mode;
    C_Well& well = *board;
    C_RoundEvents* events = well.events;
    well = snapshot.well;
    well.events = events;
    board->RestorePulses(snapshot.pulses);
    RestoreShape(snapshot.currentShape, board.get(), currentShape);
    RestoreShape(snapshot.nextShape, board.get(), nextShape);
    chain = snapshot.chain;
    shownChain = snapshot.shownChain;
    pipeList = snapshot.pipeList;
    pipeFade = snapshot.pipeFade;
    cycleFade = snapshot.cycleFade;
    pipeHigh = snapshot.pipeHigh;
    cycleHigh = snapshot.cycleHigh;
    pipePoints = snapshot.pipePoints;
    cyclePoints = snapshot.cyclePoints;
    cycleLines = snapshot.cycleLines;
    pipeLines = snapshot.pipeLines;
    bannerShown = snapshot.bannerShown;
    clock = snapshot.clock;
    draws = snapshot.draws;
    incoming = snapshot.incoming;
    rowsPushedIn = snapshot.rowsPushedIn;
    cascadeNumber = snapshot.cascadeNumber;
    cascadeFlows = snapshot.cascadeFlows;
    cascadeCycles = snapshot.cascadeCycles;
}
