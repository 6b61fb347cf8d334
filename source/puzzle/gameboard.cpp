#include "puzzle/gameboard.h"

#include <string>
#include <utility>

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "puzzle/randomdraw.h"

int outerLevel = 0;

namespace {

constexpr int kRowScore = 2;
constexpr int kRowsPerLevel = 10;
constexpr double kIntervalAtLevel0 = 0.4;
constexpr double kIntervalStep = 0.015;
constexpr int kBannerRows = 200;
constexpr int kBannerTime = 510;
constexpr int kSoundVolume = 100;
constexpr int kGroupSlots = 4;
constexpr int kBottomRow = kBoardRows - 1;

std::string Where(const C_Piece* piece) {
    return IntToString(piece->x) + ", " + IntToString(piece->y);
}

}  // namespace

C_GameBoard::C_GameBoard() : C_GameBoard(outerLevel, nullptr) {}

C_GameBoard::C_GameBoard(int startLevel, C_RoundEvents* eventsIn) : events(eventsIn) {
    typeId = OBJECT_GAMEBOARD;
    Trace("outerLevel = " + IntToString(startLevel));
    level = startLevel;
    fallInterval = static_cast<float>(kIntervalAtLevel0 - startLevel * kIntervalStep);
    // A quiet round (the computer's look-ahead, its well in a match) plays none.
    if (events != nullptr && !events->Audible()) {
        return;
    }
    ghostSound = std::make_unique<C_Wave>("ghost.wav", 1);
    if (!ghostSound->Load()) {
        DXError("gameboard", __LINE__, 0, "Failed to load wave!");
    }
    bonusSound = std::make_unique<C_Wave>("bonus.wav", 1);
    if (!bonusSound->Load()) {
        DXError("gameboard", __LINE__, 0, "Failed to load wave!");
    }
}

C_GameBoard::~C_GameBoard() = default;

void C_GameBoard::Trace(const std::string& line) {
    if (!Tracing()) {
        return;
    }
    if (events != nullptr) {
        events->Line(line);
    } else if (g_pConsole != nullptr) {
        g_pConsole->AddLine(line);
    }
}

void C_GameBoard::Play(RoundSound sound) {
    if (events != nullptr) {
        events->Sound(sound);
    } else {
        (sound == SOUND_GHOST ? ghostSound : bonusSound)->Play(kSoundVolume);
    }
}

void C_GameBoard::DrawStep() {
    for (auto& column : grid) {
        for (auto& piece : column) {
            if (piece != nullptr) {
                piece->DrawStep();
            }
        }
    }
}

HRESULT C_GameBoard::Render() {
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            if (C_Piece* piece = grid[x][y].get()) {
                piece->DrawAt(kBoardLeft + kCellPitch * x, kBoardTop + kCellPitch * y, fade,
                              boardAlpha);
            }
        }
    }
    return S_OK;
}

C_Piece* C_GameBoard::PieceAt(int x, int y) const {
    if (x < 0 || x >= kBoardColumns || y < 0 || y >= kBoardRows) {
        return nullptr;
    }
    return grid[x][y].get();
}

C_Piece* C_GameBoard::Neighbour(const C_Piece* piece, int direction) const {
    return PieceAt(piece->x + kDeltaX[direction], piece->y + kDeltaY[direction]);
}

bool C_GameBoard::ClearFullRows() {
    pipeIDs = 0;
    cycleIDs = 0;
    for (int y = kBottomRow; y >= 0; --y) {
        bool full = true;
        bool any = false;
        for (int x = 0; x < kBoardColumns; ++x) {
            full = full && grid[x][y] != nullptr;
            any = any || grid[x][y] != nullptr;
        }
        if (y == 1 && (any || toppedOut != 0)) {
            return true;
        }
        if (!full) {
            continue;
        }
        score += kRowScore;
        rowsCleared += 1;
        if (rowsCleared % kRowsPerLevel == 0) {
            level += 1;
            fallInterval = static_cast<float>(fallInterval - kIntervalStep);
        }
        if (rowsCleared == kBannerRows) {
            bannerTimer = kBannerTime;
        }
        StartRowFlow(y);
    }
    return false;
}

bool C_GameBoard::PushRowUnder(C_RandomDraw& draws) {
    for (int x = 0; x < kBoardColumns; ++x) {
        if (grid[x][0] != nullptr) {
            toppedOut = 1;
        }
        for (int y = 0; y < kBottomRow; ++y) {
            grid[x][y] = std::move(grid[x][y + 1]);
            if (grid[x][y] != nullptr) {
                grid[x][y]->SetY(y);
            }
        }
    }
    const int gap = draws.Index(kBoardColumns);
    for (int x = 0; x < kBoardColumns; ++x) {
        if (x == gap) {
            continue;
        }
        grid[x][kBottomRow] = std::make_unique<C_Piece>(kJunkColour, 0, 0, 0, 0, draws);
        grid[x][kBottomRow]->SetX(x);
        grid[x][kBottomRow]->SetY(kBottomRow);
    }
    for (int x = 0; x < kBoardColumns; ++x) {
        if (C_Piece* piece = grid[x][kBottomRow].get()) {
            UpdateConnections(piece);
        }
    }
    bool reachesTop = toppedOut != 0;
    for (int x = 0; x < kBoardColumns; ++x) {
        reachesTop = reachesTop || grid[x][1] != nullptr;
    }
    return reachesTop;
}

void C_GameBoard::CutShapeLinksToward(const C_Piece* piece) {
    for (int d = 0; d < kDirections; ++d) {
        if (piece->shapeLinks[d] == 0) {
            continue;
        }
        if (C_Piece* neighbour = Neighbour(piece, d)) {
            neighbour->shapeLinks[Opposite(d)] = 0;
        }
    }
}

void C_GameBoard::MarkFlowed(int remove) {
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            C_Piece* piece = grid[x][y].get();
            if (piece == nullptr) {
                continue;
            }
            if (remove != 0) {
                if (piece->marked != 0) {
                    grid[x][y].reset();
                }
                continue;
            }
            if (piece->flowed != 0) {
                CutShapeLinksToward(piece);
                piece->marked = 1;
            }
            if (piece->marked != 0) {
                CutShapeLinksToward(piece);
                piece->marked = 1;
            }
        }
    }
}

void C_GameBoard::CollectGroup(C_Piece* group[4], int index, int count, int fallFlag) {
    C_Piece* expanded = group[index];
    for (int d = 0; d < kDirections; ++d) {
        if (expanded->shapeLinks[d] == 0) {
            continue;
        }
        C_Piece* neighbour = Neighbour(expanded, d);
        if (neighbour == nullptr) {
            continue;
        }
        if (d == DIR_UP) {
            neighbour->canFall = fallFlag;
        }
        int slot = 0;
        while (slot < kGroupSlots && group[slot] != nullptr && group[slot] != neighbour) {
            ++slot;
        }
        // A shape has four cells, so a fifth member cannot exist.
        if (slot < kGroupSlots && group[slot] == nullptr) {
            count += 1;
            group[count] = neighbour;
        }
    }
    if (count < kGroupSlots && index < count) {
        CollectGroup(group, index + 1, count, group[index + 1]->canFall);
    }
    for (int i = 0; i <= count && group[i] != nullptr; ++i) {
        for (int j = i + 1; j <= count; ++j) {
            if (group[j]->y > group[i]->y) {
                std::swap(group[i], group[j]);
            }
        }
    }
}

bool C_GameBoard::GroupCanFall(C_Piece* const group[4]) const {
    for (int i = 0; i < kGroupSlots && group[i] != nullptr; ++i) {
        if (group[i]->canFall == 0) {
            return false;
        }
        if (group[i]->y == kBottomRow) {
            group[i]->canFall = 0;
            return false;
        }
    }
    return true;
}

bool C_GameBoard::GravityStep() {
    for (int y = kBottomRow - 1; y >= 1; --y) {
        for (int x = 0; x < kBoardColumns; ++x) {
            C_Piece* piece = grid[x][y].get();
            if (piece == nullptr || grid[x][y + 1] != nullptr) {
                if (piece != nullptr) {
                    piece->canFall = 0;
                }
                continue;
            }
            C_Piece* group[kGroupSlots] = {piece, nullptr, nullptr, nullptr};
            piece->canFall = 1;
            CollectGroup(group, 0, 0, 1);
            if (!GroupCanFall(group)) {
                continue;
            }
            for (int i = 0; i < kGroupSlots && group[i] != nullptr; ++i) {
                C_Piece* member = group[i];
                member->canFall = 0;
                grid[member->x][member->y + 1] = std::move(grid[member->x][member->y]);
                member->y += 1;
            }
        }
    }
    for (int y = kBottomRow - 1; y >= 1; --y) {
        for (int x = 0; x < kBoardColumns; ++x) {
            C_Piece* piece = grid[x][y].get();
            if (piece == nullptr || grid[x][y + 1] != nullptr) {
                continue;
            }
            C_Piece* group[kGroupSlots] = {piece, nullptr, nullptr, nullptr};
            piece->canFall = 1;
            CollectGroup(group, 0, 0, 1);
            if (GroupCanFall(group)) {
                return false;
            }
        }
    }
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = kBottomRow; y >= 1; --y) {
            if (C_Piece* piece = grid[x][y].get()) {
                piece->canFall = 0;
                UpdateConnections(piece);
            }
        }
    }
    moving = 0;
    pipeSizes.clear();
    return true;
}

void C_GameBoard::UpdateConnections(C_Piece* piece) {
    for (int d = 0; d < kDirections; ++d) {
        C_Piece* neighbour = Neighbour(piece, d);
        if (neighbour == nullptr) {
            piece->connected[d] = 0;
            continue;
        }
        const int joined = piece->openings[d] != 0 && neighbour->openings[Opposite(d)] != 0;
        piece->connected[d] = joined;
        neighbour->connected[Opposite(d)] = joined;
    }
}

void C_GameBoard::LinkPieces(C_Piece* piece, int direction) {
    C_Piece* neighbour = Neighbour(piece, direction);
    if (neighbour == nullptr) {
        return;
    }
    piece->linked[direction] = 1;
    piece->p_Links[direction] = neighbour;
    neighbour->linked[Opposite(direction)] = 1;
    neighbour->p_Links[Opposite(direction)] = piece;
}

void C_GameBoard::StartRowFlow(int y) {
    cycleSizes.clear();
    cycleMulti.clear();
    for (int x = 0; x < kBoardColumns; ++x) {
        C_Piece* piece = grid[x][y].get();
        piece->marked = 1;
        for (int d = 0; d < kDirections; ++d) {
            // A flag toward an empty cell (left over in row 0) joins nothing.
            C_Piece* neighbour = piece->connected[d] != 0 ? Neighbour(piece, d) : nullptr;
            if (neighbour == nullptr) {
                continue;
            }
            if (piece->pipeID == -1 && neighbour->pipeID == -1) {
                piece->pipeID = pipeIDs;
                neighbour->pipeID = pipeIDs;
                piece->flowed = 1;
                neighbour->flowed = 1;
                flowFrontier.push_back(piece);
                flowFrontier.push_back(neighbour);
                LinkPieces(piece, d);
                pipeSizes.push_back(2);
                pipeIDs += 1;
            } else if (piece->pipeID == -1) {
                pipeSizes[neighbour->pipeID] += 1;
                piece->pipeID = neighbour->pipeID;
                piece->flowed = 1;
                flowFrontier.push_back(piece);
                LinkPieces(piece, d);
            } else if (neighbour->pipeID == -1) {
                pipeSizes[piece->pipeID] += 1;
                neighbour->pipeID = piece->pipeID;
                neighbour->flowed = 1;
                flowFrontier.push_back(neighbour);
                LinkPieces(piece, d);
            }
        }
    }
    Trace("pipeIDs " + IntToString(pipeIDs));
    if (!flowFrontier.empty()) {
        Play(SOUND_BONUS);
        piping = 1;
    }
}

bool C_GameBoard::FlowStep() {
    const size_t steps = flowFrontier.size();
    for (size_t step = 0; step < steps; ++step) {
        C_Piece* piece = flowFrontier.back();
        flowFrontier.pop_back();
        if (Tracing()) {
            Trace("pipes after getfirst " + IntToString(static_cast<int>(flowFrontier.size())));
        }
        piece->flowed = 1;
        bool closes = false;
        for (int d = 0; d < kDirections; ++d) {
            C_Piece* neighbour = piece->connected[d] != 0 ? Neighbour(piece, d) : nullptr;
            if (neighbour == nullptr) {
                continue;
            }
            if (neighbour->flowed == 0) {
                neighbour->flowed = 1;
                neighbour->pipeID = piece->pipeID;
                LinkPieces(piece, d);
                pipeSizes[piece->pipeID] += 1;
                flowFrontier.push_back(neighbour);
            } else if (neighbour->linked[Opposite(d)] == 0) {
                if (neighbour->pipeID == piece->pipeID) {
                    if (piece->onCycle == 0) {
                        Trace("cycle called by " + IntToString(d) + " at " + Where(piece));
                        LinkPieces(piece, d);
                        closes = true;
                    }
                } else if (neighbour->pipeID < piece->pipeID) {
                    pipeSizes[neighbour->pipeID] += pipeSizes[piece->pipeID];
                    pipeSizes[piece->pipeID] = -1;
                    RelabelPipe(piece, piece->pipeID, neighbour->pipeID);
                    LinkPieces(piece, d);
                } else {
                    pipeSizes[piece->pipeID] += pipeSizes[neighbour->pipeID];
                    pipeSizes[neighbour->pipeID] = -1;
                    RelabelPipe(neighbour, neighbour->pipeID, piece->pipeID);
                    LinkPieces(piece, d);
                }
            }
        }
        if (closes && piece->onCycle == 0) {
            ExtractCycle(piece);
            Play(SOUND_GHOST);
            RecountCycles();
        }
    }
    if (flowFrontier.empty()) {
        piping = 0;
        MarkFlowed();
        destroying = 1;
        moving = 0;
        return false;
    }
    Play(SOUND_BONUS);
    piping = 1;
    return true;
}

void C_GameBoard::RecountCycles() {
    for (size_t k = 0; k < cycleSizes.size(); ++k) {
        int count = 0;
        for (int x = 0; x < kBoardColumns; ++x) {
            for (int y = 0; y < kBoardRows; ++y) {
                const C_Piece* piece = grid[x][y].get();
                count += piece != nullptr && piece->cycleID == static_cast<int>(k) ? 1 : 0;
            }
        }
        if (cycleSizes[k] != -1) {
            if (Tracing()) {
                Trace("found " + IntToString(count) + " in cycle " +
                      IntToString(static_cast<int>(k)));
            }
            cycleSizes[k] = count;
        }
    }
}

void C_GameBoard::RelabelPipe(C_Piece* start, int oldID, int newID) {
    Trace("pipe ID " + IntToString(oldID) + " becomes " + IntToString(newID));
    relabelStack.push_back(start);
    while (!relabelStack.empty()) {
        C_Piece* piece = relabelStack.back();
        piece->pipeID = newID;
        relabelStack.pop_back();
        for (C_Piece* link : piece->p_Links) {
            if (link != nullptr && link->pipeID != newID) {
                relabelStack.push_back(link);
            }
        }
    }
}

int C_GameBoard::ExtractCycle(C_Piece* root) {
    const int cycle = cycleIDs;
    cycleMulti.push_back(0);
    cycleSizes.push_back(0);
    visitedList.clear();
    root->onCycle = 1;
    cycleStack.push_back(root);
    while (!cycleStack.empty()) {
        C_Piece* p_Cycle = cycleStack.back();
        cycleStack.pop_back();
        visitedList.push_back(p_Cycle);
        if (p_Cycle->cycleVisited != 0) {
            continue;
        }
        p_Cycle->cycleVisited = 1;
        p_Cycle->cycleID = cycle;
        if (Tracing()) {
            TraceSearch(p_Cycle);
        }
        for (C_Piece* next : p_Cycle->p_Links) {
            if (next == nullptr || next == p_Cycle->p_cyp) {
                continue;
            }
            if (next->cycleVisited == 0) {
                next->p_cyp = p_Cycle;
                cycleStack.push_back(next);
            } else if (next->onCycle == 0) {
                if (next->cycleID == cycle) {
                    TraceBack(next);
                    TraceBack(p_Cycle);
                }
            } else if (next->cycleID == cycle || next->cycleID == -1) {
                if (next->cycleID == cycle) {
                    TraceBack(next);
                }
                TraceBack(p_Cycle);
            } else {
                const int other = next->cycleID;
                TraceBack(p_Cycle);
                if (other < cycle) {
                    cycleMulti[other] = 1;
                    RelabelCycle(cycle, other);
                    cycleSizes[cycle] = -1;
                } else {
                    cycleMulti[cycle] = 1;
                    RelabelCycle(other, cycle);
                    cycleSizes[other] = -1;
                }
            }
        }
    }
    for (auto it = visitedList.rbegin(); it != visitedList.rend(); ++it) {
        C_Piece* piece = *it;
        if (piece->onCycle == 0) {
            piece->cycleVisited = 0;
            piece->p_cyp = nullptr;
            piece->cycleID = -1;
        }
    }
    const int visited = static_cast<int>(visitedList.size());
    Trace("cycle count was " + IntToString(visited));
    cycleIDs += 1;
    cycleStack.clear();
    return visited;
}

void C_GameBoard::TraceSearch(const C_Piece* p_Cycle) {
    Trace("p_Cycle at " + Where(p_Cycle));
    Trace("p_cyp is : " + (p_Cycle->p_cyp != nullptr ? Where(p_Cycle->p_cyp) : "none"));
    std::string links = "p_Links are :";
    for (const C_Piece* link : p_Cycle->p_Links) {
        links += link != nullptr ? " (" + Where(link) + ")" : " -";
    }
    Trace(links);
}

int C_GameBoard::TraceBack(C_Piece* piece) {
    Trace("cycle back");
    int steps = 0;
    for (C_Piece* at = piece; at != nullptr; at = at->p_cyp) {
        if (Tracing()) {
            Trace("cycling  back at block " + Where(at));
        }
        at->onCycle = 1;
        ++steps;
    }
    return steps - 1;
}

void C_GameBoard::RelabelCycle(int oldID, int newID) {
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            C_Piece* piece = grid[x][y].get();
            if (piece != nullptr && piece->cycleID == oldID) {
                piece->cycleID = newID;
            }
        }
    }
}
