#include "puzzle/well.h"

#include <string>
#include <utility>

#include "core/error.h"
#include "puzzle/randomdraw.h"

const int kPipeOpenings[kPipeShapes][kDirections] = {
    {1, 1, 1, 1},  // cross
    {1, 0, 1, 0},  // straight
    {1, 1, 0, 1},  // T
    {1, 1, 0, 0},  // corner
    {1, 0, 0, 0},  // end
};

namespace {

constexpr int kRowScore = 2;
constexpr int kRowsPerLevel = 10;
constexpr double kIntervalAtLevel0 = 0.4;
constexpr double kIntervalStep = 0.015;
constexpr int kBannerRows = 200;
constexpr int kBannerTime = 510;
constexpr int kGroupSlots = 4;
constexpr int kBottomRow = kBoardRows - 1;
constexpr int kOBoxSize = 4;

struct ShapeCell {
    int i;
    int j;
    int links[kDirections];  // up, right, down, left
};

// Cells and shape links of the seven shapes, by type.
constexpr ShapeCell kShapes[kShapeTypes][kShapeCells] = {
    {{1, 1, {0, 0, 1, 0}}, {1, 2, {1, 1, 0, 0}}, {2, 2, {0, 1, 0, 1}}, {3, 2, {0, 0, 0, 1}}},  // J
    {{3, 1, {0, 0, 1, 0}}, {1, 2, {0, 1, 0, 0}}, {2, 2, {0, 1, 0, 1}}, {3, 2, {1, 0, 0, 1}}},  // L
    {{1, 1, {0, 1, 0, 0}}, {2, 1, {0, 0, 1, 1}}, {2, 2, {1, 1, 0, 0}}, {3, 2, {0, 0, 0, 1}}},  // Z
    {{2, 1, {0, 1, 1, 0}}, {3, 1, {0, 0, 0, 1}}, {2, 2, {1, 0, 0, 1}}, {1, 2, {0, 1, 0, 0}}},  // S
    {{2, 1, {0, 0, 1, 0}}, {1, 2, {0, 1, 0, 0}}, {2, 2, {1, 1, 0, 1}}, {3, 2, {0, 0, 0, 1}}},  // T
    {{1, 2, {0, 1, 0, 0}}, {2, 2, {0, 1, 0, 1}}, {3, 2, {0, 1, 0, 1}}, {4, 2, {0, 0, 0, 1}}},  // I
    {{1, 1, {0, 1, 1, 0}}, {2, 1, {0, 0, 1, 1}}, {1, 2, {1, 1, 0, 0}}, {2, 2, {1, 0, 0, 1}}},  // O
};

// new[d] = old[d - 1]: what was open up is open right.
DirectionBits TurnedClockwise(DirectionBits bits) {
    return static_cast<DirectionBits>(((bits << 1u) | (bits >> 3u)) & 0xFu);
}

// new[d] = old[d + 1].
DirectionBits TurnedCounterClockwise(DirectionBits bits) {
    return static_cast<DirectionBits>(((bits >> 1u) | (bits << 3u)) & 0xFu);
}

std::string Where(CellSpot spot) {
    return IntToString(spot.x) + ", " + IntToString(spot.y);
}

CellSpot Step(CellSpot spot, int direction) {
    return {spot.x + kDeltaX[direction], spot.y + kDeltaY[direction]};
}

int16_t IndexOf(CellSpot spot) {
    return static_cast<int16_t>(spot.x * kBoardRows + spot.y);
}

CellSpot SpotOf(int index) {
    return {index / kBoardRows, index % kBoardRows};
}

}  // namespace

DirectionBits BitsOf(int up, int right, int down, int left) {
    DirectionBits bits = 0;
    SetBit(bits, DIR_UP, up != 0);
    SetBit(bits, DIR_RIGHT, right != 0);
    SetBit(bits, DIR_DOWN, down != 0);
    SetBit(bits, DIR_LEFT, left != 0);
    return bits;
}

void WellCell::RotateClockwise() {
    rotation = static_cast<uint8_t>((rotation + 1) % kRotations);
    shapeLinks = TurnedClockwise(shapeLinks);
    openings = TurnedClockwise(openings);
}

void WellCell::RotateCounterClockwise() {
    rotation = static_cast<uint8_t>(rotation == 0 ? kRotations - 1 : rotation - 1);
    shapeLinks = TurnedCounterClockwise(shapeLinks);
    openings = TurnedCounterClockwise(openings);
}

WellCell DrawnPiece(int colour, DirectionBits shapeLinks, C_RandomDraw& draws) {
    WellCell cell;
    cell.colourIndex = static_cast<int8_t>(colour);
    cell.shapeLinks = shapeLinks;
    cell.pipeShape = static_cast<uint8_t>(draws.Index(kPipeShapes));
    cell.rotation = static_cast<uint8_t>(draws.Index(kRotations));
    const int* open = kPipeOpenings[cell.pipeShape];
    cell.openings = BitsOf(open[DIR_UP], open[DIR_RIGHT], open[DIR_DOWN], open[DIR_LEFT]);
    // The shape links keep their direction: only the pipe is drawn turned.
    for (int turn = 0; turn < cell.rotation; ++turn) {
        cell.openings = TurnedClockwise(cell.openings);
    }
    return cell;
}

WellShape DrawnShape(C_RandomDraw& draws) {
    WellShape shape;
    shape.type = draws.Index(kShapeTypes);
    if (shape.type == SHAPE_I) {
        shape.column = 4;
        shape.row = -1;
    } else if (shape.type == SHAPE_O) {
        shape.column = 3;
        shape.row = 3;
        shape.boxSize = kOBoxSize;
    } else {
        shape.column = 4;
        shape.row = 0;
    }
    for (auto& column : shape.box) {
        for (int8_t& cell : column) {
            cell = -1;
        }
    }
    for (int n = 0; n < kShapeCells; ++n) {
        const ShapeCell& cell = kShapes[shape.type][n];
        const int* links = cell.links;
        shape.cells[n] = DrawnPiece(
            shape.type, BitsOf(links[DIR_UP], links[DIR_RIGHT], links[DIR_DOWN], links[DIR_LEFT]),
            draws);
        shape.box[cell.i][cell.j] = static_cast<int8_t>(n);
    }
    return shape;
}

WellShape Turned(const WellShape& shape, bool clockwise) {
    WellShape turned = shape;
    const int n = shape.boxSize;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            if (clockwise) {
                turned.box[n - 1 - j][i] = shape.box[i][j];
            } else {
                turned.box[j][n - 1 - i] = shape.box[i][j];
            }
        }
    }
    for (WellCell& cell : turned.cells) {
        if (clockwise) {
            cell.RotateClockwise();
        } else {
            cell.RotateCounterClockwise();
        }
    }
    return turned;
}

C_Well::C_Well(int startLevel)
    : level(startLevel),
      fallInterval(static_cast<float>(kIntervalAtLevel0 - startLevel * kIntervalStep)) {}

void C_Well::Trace(const std::string& line) const {
    if (Tracing()) {
        events->Line(line);
    }
}

void C_Well::Tell(RoundEvent event) const {
    if (events != nullptr) {
        events->Happened(event);
    }
}

const WellCell* C_Well::PieceAt(int x, int y) const {
    if (x < 0 || x >= kBoardColumns || y < 0 || y >= kBoardRows || !cells[x][y].Taken()) {
        return nullptr;
    }
    return &cells[x][y];
}

WellCell* C_Well::PieceAt(int x, int y) {
    return const_cast<WellCell*>(std::as_const(*this).PieceAt(x, y));
}

const WellCell* C_Well::Neighbour(CellSpot spot, int direction) const {
    return PieceAt(spot.x + kDeltaX[direction], spot.y + kDeltaY[direction]);
}

bool C_Well::CellFree(int x, int y) const {
    if (x < 0 || x >= kBoardColumns || y >= kBoardRows) {
        return false;
    }
    // Above the well nothing stands in the way.
    return y < 0 || !cells[x][y].Taken();
}

bool C_Well::Fits(const WellShape& shape, int dx, int dy) const {
    for (int i = 0; i < shape.boxSize; ++i) {
        for (int j = 0; j < shape.boxSize; ++j) {
            if (shape.box[i][j] >= 0 && !CellFree(shape.column + i + dx, shape.row + j + dy)) {
                return false;
            }
        }
    }
    return true;
}

int C_Well::RowsToLanding(const WellShape& shape) const {
    int rows = 0;
    while (Fits(shape, 0, rows + 1)) {
        ++rows;
    }
    return rows;
}

bool C_Well::StepDown(WellShape* shape) const {
    if (!Fits(*shape, 0, 1)) {
        return false;
    }
    shape->row += 1;
    return true;
}

bool C_Well::Shift(WellShape* shape, int dx) const {
    if (!Fits(*shape, dx, 0)) {
        return false;
    }
    shape->column += dx;
    return true;
}

bool C_Well::Turn(WellShape* shape, bool clockwise) const {
    const WellShape turned = Turned(*shape, clockwise);
    const bool fits = Fits(turned, 0, 0);
    if (Tracing()) {
        Trace(std::string("Ccheck was: ") + (fits ? "0" : "1"));
    }
    if (fits) {
        *shape = turned;
    }
    return fits;
}

void C_Well::Lock(const WellShape& shape) {
    bool placed[kBoxSize][kBoxSize] = {};
    CellSpot unplaced[kShapeCells];
    int unplacedCount = 0;
    for (int i = 0; i < shape.boxSize; ++i) {
        for (int j = 0; j < shape.boxSize; ++j) {
            const WellCell* piece = shape.At(i, j);
            if (piece == nullptr) {
                continue;
            }
            const CellSpot spot = {shape.column + i, shape.row + j};
            // Only above the well (or on a taken cell) for a shape that fits;
            // a cell outside the walls or the floor cannot be placed either.
            const bool inside =
                spot.x >= 0 && spot.x < kBoardColumns && spot.y >= 0 && spot.y < kBoardRows;
            if (!inside || cells[spot.x][spot.y].Taken()) {
                toppedOut = 1;
                unplaced[unplacedCount++] = spot;
                continue;
            }
            WellCell& cell = At(spot);
            cell = *piece;
            placed[i][j] = true;
            for (int d = 0; d < kDirections; ++d) {
                WellCell* neighbour = PieceAt(spot.x + kDeltaX[d], spot.y + kDeltaY[d]);
                if (Has(cell.openings, d) && neighbour != nullptr &&
                    Has(neighbour->openings, Opposite(d))) {
                    SetBit(cell.connected, d, true);
                    SetBit(neighbour->connected, Opposite(d), true);
                }
            }
        }
    }
    // The placed pieces let go of the shape links toward those left out.
    for (int n = 0; n < unplacedCount; ++n) {
        const CellSpot gone = unplaced[n];
        const WellCell& goneCell = *shape.At(gone.x - shape.column, gone.y - shape.row);
        for (int d = 0; d < kDirections; ++d) {
            const CellSpot partner = Step(gone, d);
            const int i = partner.x - shape.column;
            const int j = partner.y - shape.row;
            const bool own = i >= 0 && i < shape.boxSize && j >= 0 && j < shape.boxSize &&
                             placed[i][j] && PieceAt(partner.x, partner.y) != nullptr;
            if (Has(goneCell.shapeLinks, d) && own) {
                SetBit(At(partner).shapeLinks, Opposite(d), false);
            }
        }
    }
}

bool C_Well::ClearFullRows() {
    pipeIDs = 0;
    cycleIDs = 0;
    for (int y = kBottomRow; y >= 0; --y) {
        bool full = true;
        bool any = false;
        for (int x = 0; x < kBoardColumns; ++x) {
            full = full && cells[x][y].Taken();
            any = any || cells[x][y].Taken();
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

bool C_Well::PushRowUnder(C_RandomDraw& draws) {
    for (int x = 0; x < kBoardColumns; ++x) {
        if (cells[x][0].Taken()) {
            toppedOut = 1;
        }
        for (int y = 0; y < kBottomRow; ++y) {
            cells[x][y] = cells[x][y + 1];
        }
        cells[x][kBottomRow] = WellCell();
    }
    const int gap = draws.Index(kBoardColumns);
    for (int x = 0; x < kBoardColumns; ++x) {
        if (x != gap) {
            cells[x][kBottomRow] = DrawnPiece(kJunkColour, 0, draws);
        }
    }
    for (int x = 0; x < kBoardColumns; ++x) {
        if (cells[x][kBottomRow].Taken()) {
            UpdateConnections({x, kBottomRow});
        }
    }
    bool reachesTop = toppedOut != 0;
    for (int x = 0; x < kBoardColumns; ++x) {
        reachesTop = reachesTop || cells[x][1].Taken();
    }
    return reachesTop;
}

void C_Well::CutShapeLinksToward(CellSpot spot) {
    const DirectionBits links = At(spot).shapeLinks;
    for (int d = 0; d < kDirections; ++d) {
        if (!Has(links, d)) {
            continue;
        }
        if (WellCell* neighbour = PieceAt(spot.x + kDeltaX[d], spot.y + kDeltaY[d])) {
            SetBit(neighbour->shapeLinks, Opposite(d), false);
        }
    }
}

void C_Well::MarkFlowed(int remove) {
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            WellCell& piece = cells[x][y];
            if (!piece.Taken()) {
                continue;
            }
            if (remove != 0) {
                if (piece.marked) {
                    piece = WellCell();
                }
                continue;
            }
            if (piece.flowed || piece.marked) {
                CutShapeLinksToward({x, y});
                piece.marked = true;
            }
        }
    }
}

void C_Well::CollectGroup(CellSpot group[4], int index, int count, int fallFlag) {
    const CellSpot expanded = group[index];
    const DirectionBits links = At(expanded).shapeLinks;
    for (int d = 0; d < kDirections; ++d) {
        if (!Has(links, d)) {
            continue;
        }
        const CellSpot spot = Step(expanded, d);
        WellCell* neighbour = PieceAt(spot.x, spot.y);
        if (neighbour == nullptr) {
            continue;
        }
        if (d == DIR_UP) {
            neighbour->canFall = fallFlag != 0;
        }
        int slot = 0;
        while (slot < kGroupSlots && group[slot].Valid() && group[slot] != spot) {
            ++slot;
        }
        // A shape has four cells, so a fifth member cannot exist.
        if (slot < kGroupSlots && !group[slot].Valid()) {
            count += 1;
            group[count] = spot;
        }
    }
    if (count < kGroupSlots && index < count) {
        CollectGroup(group, index + 1, count, At(group[index + 1]).canFall ? 1 : 0);
    }
    for (int i = 0; i <= count && group[i].Valid(); ++i) {
        for (int j = i + 1; j <= count; ++j) {
            if (group[j].y > group[i].y) {
                std::swap(group[i], group[j]);
            }
        }
    }
}

bool C_Well::GroupCanFall(const CellSpot group[4]) {
    for (int i = 0; i < kGroupSlots && group[i].Valid(); ++i) {
        WellCell& member = At(group[i]);
        if (!member.canFall) {
            return false;
        }
        if (group[i].y == kBottomRow) {
            member.canFall = false;
            return false;
        }
    }
    return true;
}

bool C_Well::GravityStep() {
    for (int y = kBottomRow - 1; y >= 1; --y) {
        for (int x = 0; x < kBoardColumns; ++x) {
            WellCell& piece = cells[x][y];
            if (!piece.Taken() || cells[x][y + 1].Taken()) {
                piece.canFall = false;
                continue;
            }
            CellSpot group[kGroupSlots] = {{x, y}, {}, {}, {}};
            piece.canFall = true;
            CollectGroup(group, 0, 0, 1);
            if (!GroupCanFall(group)) {
                continue;
            }
            for (int i = 0; i < kGroupSlots && group[i].Valid(); ++i) {
                const CellSpot member = group[i];
                cells[member.x][member.y].canFall = false;
                cells[member.x][member.y + 1] = cells[member.x][member.y];
                cells[member.x][member.y] = WellCell();
            }
        }
    }
    for (int y = kBottomRow - 1; y >= 1; --y) {
        for (int x = 0; x < kBoardColumns; ++x) {
            WellCell& piece = cells[x][y];
            if (!piece.Taken() || cells[x][y + 1].Taken()) {
                continue;
            }
            CellSpot group[kGroupSlots] = {{x, y}, {}, {}, {}};
            piece.canFall = true;
            CollectGroup(group, 0, 0, 1);
            if (GroupCanFall(group)) {
                return false;
            }
        }
    }
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = kBottomRow; y >= 1; --y) {
            if (cells[x][y].Taken()) {
                cells[x][y].canFall = false;
                UpdateConnections({x, y});
            }
        }
    }
    moving = 0;
    pipeSizes.clear();
    return true;
}

void C_Well::UpdateConnections(CellSpot spot) {
    WellCell& piece = At(spot);
    for (int d = 0; d < kDirections; ++d) {
        const CellSpot next = Step(spot, d);
        WellCell* neighbour = PieceAt(next.x, next.y);
        if (neighbour == nullptr) {
            SetBit(piece.connected, d, false);
            continue;
        }
        const bool joined = Has(piece.openings, d) && Has(neighbour->openings, Opposite(d));
        SetBit(piece.connected, d, joined);
        SetBit(neighbour->connected, Opposite(d), joined);
    }
}

void C_Well::LinkPieces(CellSpot spot, int direction) {
    const CellSpot next = Step(spot, direction);
    WellCell* neighbour = PieceAt(next.x, next.y);
    if (neighbour == nullptr) {
        return;
    }
    SetBit(At(spot).linked, direction, true);
    SetBit(neighbour->linked, Opposite(direction), true);
}

void C_Well::StartRowFlow(int y) {
    cycleSizes.clear();
    cycleMulti.clear();
    for (int x = 0; x < kBoardColumns; ++x) {
        const CellSpot spot = {x, y};
        WellCell& piece = At(spot);
        piece.marked = true;
        for (int d = 0; d < kDirections; ++d) {
            // A flag toward an empty cell (left over in row 0) joins nothing.
            WellCell* neighbour = nullptr;
            if (Has(piece.connected, d)) {
                neighbour = PieceAt(x + kDeltaX[d], y + kDeltaY[d]);
            }
            if (neighbour == nullptr) {
                continue;
            }
            const int16_t next = IndexOf(Step(spot, d));
            if (piece.pipeID == -1 && neighbour->pipeID == -1) {
                piece.pipeID = static_cast<int16_t>(pipeIDs);
                neighbour->pipeID = static_cast<int16_t>(pipeIDs);
                piece.flowed = true;
                neighbour->flowed = true;
                flowFrontier.push_back(IndexOf(spot));
                flowFrontier.push_back(next);
                LinkPieces(spot, d);
                pipeSizes.push_back(2);
                pipeIDs += 1;
            } else if (piece.pipeID == -1) {
                pipeSizes[neighbour->pipeID] += 1;
                piece.pipeID = neighbour->pipeID;
                piece.flowed = true;
                flowFrontier.push_back(IndexOf(spot));
                LinkPieces(spot, d);
            } else if (neighbour->pipeID == -1) {
                pipeSizes[piece.pipeID] += 1;
                neighbour->pipeID = piece.pipeID;
                neighbour->flowed = true;
                flowFrontier.push_back(next);
                LinkPieces(spot, d);
            }
        }
    }
    Trace("pipeIDs " + IntToString(pipeIDs));
    if (!flowFrontier.empty()) {
        Tell(EVENT_FLOW_STEP);
        piping = 1;
    }
}

bool C_Well::FlowStep() {
    const size_t steps = flowFrontier.size();
    for (size_t step = 0; step < steps; ++step) {
        const CellSpot spot = SpotOf(flowFrontier.back());
        flowFrontier.pop_back();
        if (Tracing()) {
            Trace("pipes after getfirst " + IntToString(static_cast<int>(flowFrontier.size())));
        }
        WellCell& piece = At(spot);
        piece.flowed = true;
        bool closes = false;
        for (int d = 0; d < kDirections; ++d) {
            const CellSpot next = Step(spot, d);
            WellCell* neighbour = Has(piece.connected, d) ? PieceAt(next.x, next.y) : nullptr;
            if (neighbour == nullptr) {
                continue;
            }
            if (!neighbour->flowed) {
                neighbour->flowed = true;
                neighbour->pipeID = piece.pipeID;
                LinkPieces(spot, d);
                pipeSizes[piece.pipeID] += 1;
                flowFrontier.push_back(IndexOf(next));
            } else if (!Has(neighbour->linked, Opposite(d))) {
                if (neighbour->pipeID == piece.pipeID) {
                    if (!piece.onCycle) {
                        Trace("cycle called by " + IntToString(d) + " at " + Where(spot));
                        LinkPieces(spot, d);
                        closes = true;
                    }
                } else if (neighbour->pipeID < piece.pipeID) {
                    pipeSizes[neighbour->pipeID] += pipeSizes[piece.pipeID];
                    pipeSizes[piece.pipeID] = -1;
                    RelabelPipe(spot, piece.pipeID, neighbour->pipeID);
                    LinkPieces(spot, d);
                } else {
                    pipeSizes[piece.pipeID] += pipeSizes[neighbour->pipeID];
                    pipeSizes[neighbour->pipeID] = -1;
                    RelabelPipe(next, neighbour->pipeID, piece.pipeID);
                    LinkPieces(spot, d);
                }
            }
        }
        if (closes && !piece.onCycle) {
            ExtractCycle(spot);
            Tell(EVENT_CYCLE_CLOSED);
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
    Tell(EVENT_FLOW_STEP);
    piping = 1;
    return true;
}

void C_Well::RecountCycles() {
    for (size_t k = 0; k < cycleSizes.size(); ++k) {
        int count = 0;
        for (const auto& column : cells) {
            for (const WellCell& piece : column) {
                count += piece.Taken() && piece.cycleID == static_cast<int>(k) ? 1 : 0;
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

void C_Well::RelabelPipe(CellSpot start, int oldID, int newID) {
    Trace("pipe ID " + IntToString(oldID) + " becomes " + IntToString(newID));
    std::vector<CellSpot> relabelStack{start};
    while (!relabelStack.empty()) {
        const CellSpot spot = relabelStack.back();
        WellCell& piece = At(spot);
        piece.pipeID = static_cast<int16_t>(newID);
        relabelStack.pop_back();
        for (int d = 0; d < kDirections; ++d) {
            const CellSpot next = Step(spot, d);
            const WellCell* link = Has(piece.linked, d) ? PieceAt(next.x, next.y) : nullptr;
            if (link != nullptr && link->pipeID != newID) {
                relabelStack.push_back(next);
            }
        }
    }
}

int C_Well::ExtractCycle(CellSpot root) {
    const int cycle = cycleIDs;
    cycleMulti.push_back(0);
    cycleSizes.push_back(0);
    std::vector<CellSpot> visitedList;
    std::vector<CellSpot> cycleStack{root};
    At(root).onCycle = true;
    while (!cycleStack.empty()) {
        const CellSpot spot = cycleStack.back();
        cycleStack.pop_back();
        visitedList.push_back(spot);
        WellCell& p_Cycle = At(spot);
        if (p_Cycle.cycleVisited) {
            continue;
        }
        p_Cycle.cycleVisited = true;
        p_Cycle.cycleID = static_cast<int16_t>(cycle);
        if (Tracing()) {
            TraceSearch(spot);
        }
        for (int d = 0; d < kDirections; ++d) {
            const CellSpot nextSpot = Step(spot, d);
            WellCell* next = Has(p_Cycle.linked, d) ? PieceAt(nextSpot.x, nextSpot.y) : nullptr;
            if (next == nullptr || d == p_Cycle.parent) {
                continue;
            }
            if (!next->cycleVisited) {
                next->parent = static_cast<int8_t>(Opposite(d));
                cycleStack.push_back(nextSpot);
            } else if (!next->onCycle) {
                if (next->cycleID == cycle) {
                    TraceBack(nextSpot);
                    TraceBack(spot);
                }
            } else if (next->cycleID == cycle || next->cycleID == -1) {
                if (next->cycleID == cycle) {
                    TraceBack(nextSpot);
                }
                TraceBack(spot);
            } else {
                const int other = next->cycleID;
                TraceBack(spot);
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
        WellCell& piece = At(*it);
        if (!piece.onCycle) {
            piece.cycleVisited = false;
            piece.parent = -1;
            piece.cycleID = -1;
        }
    }
    const int visited = static_cast<int>(visitedList.size());
    Trace("cycle count was " + IntToString(visited));
    cycleIDs += 1;
    return visited;
}

void C_Well::TraceSearch(CellSpot spot) {
    const WellCell& p_Cycle = At(spot);
    Trace("p_Cycle at " + Where(spot));
    Trace("p_cyp is : " + (p_Cycle.parent >= 0 ? Where(Step(spot, p_Cycle.parent)) : "none"));
    std::string links = "p_Links are :";
    for (int d = 0; d < kDirections; ++d) {
        links += Has(p_Cycle.linked, d) ? " (" + Where(Step(spot, d)) + ")" : " -";
    }
    Trace(links);
}

int C_Well::TraceBack(CellSpot spot) {
    Trace("cycle back");
    int steps = 0;
    for (CellSpot at = spot;;) {
        if (Tracing()) {
            Trace("cycling  back at block " + Where(at));
        }
        WellCell& piece = At(at);
        piece.onCycle = true;
        ++steps;
        if (piece.parent < 0) {
            break;
        }
        at = Step(at, piece.parent);
    }
    return steps - 1;
}

void C_Well::RelabelCycle(int oldID, int newID) {
    for (auto& column : cells) {
        for (WellCell& piece : column) {
            if (piece.Taken() && piece.cycleID == oldID) {
                piece.cycleID = static_cast<int16_t>(newID);
            }
        }
    }
}
