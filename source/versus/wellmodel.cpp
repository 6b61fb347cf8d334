#include "versus/wellmodel.h"

namespace {

constexpr int kBottomRow = kBoardRows - 1;
// A piece in this row after a landing or a cascade ends the game.
constexpr int kTopOutRow = 1;
// Linked groups are at most a shape; the slack covers nothing but safety.
constexpr int kMaxGroup = 8;

constexpr DirectionBits Bit(int direction) {
    return static_cast<DirectionBits>(1u << direction);
}

DirectionBits Bits(const int (&flags)[kDirections]) {
    DirectionBits bits = 0;
    for (int d = 0; d < kDirections; ++d) {
        if (flags[d] != 0) {
            bits |= Bit(d);
        }
    }
    return bits;
}

// A quarter turn of a piece's directions: clockwise, up becomes right.
DirectionBits TurnBits(DirectionBits bits, bool clockwise) {
    const unsigned b = bits;
    return static_cast<DirectionBits>((clockwise ? (b << 1u) | (b >> 3u) : (b >> 1u) | (b << 3u)) &
                                      0xFu);
}

bool Inside(int x, int y) {
    return x >= 0 && x < kBoardColumns && y >= 0 && y < kBoardRows;
}

}  // namespace

ModelShape ModelShape::Of(const C_Tetromino& shape) {
    ModelShape model;
    model.boxSize = shape.GetBoxSize();
    model.column = shape.GetColumn();
    model.row = shape.GetRow();
    for (int i = 0; i < model.boxSize; ++i) {
        for (int j = 0; j < model.boxSize; ++j) {
            const C_Piece* piece = shape.PieceInBox(i, j);
            if (piece != nullptr && model.count < kShapeCells) {
                model.cells[model.count++] = {i, j, Bits(piece->openings), Bits(piece->shapeLinks)};
            }
        }
    }
    return model;
}

ModelShape ModelShape::Turned(bool clockwise) const {
    ModelShape turned = *this;
    const int n = boxSize;
    for (int c = 0; c < count; ++c) {
        const Cell& cell = cells[c];
        Cell& out = turned.cells[c];
        out.i = clockwise ? n - 1 - cell.j : cell.j;
        out.j = clockwise ? cell.i : n - 1 - cell.i;
        out.openings = TurnBits(cell.openings, clockwise);
        out.links = TurnBits(cell.links, clockwise);
    }
    return turned;
}

C_WellModel::C_WellModel(const C_GameBoard& board) {
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            if (const C_Piece* piece = board.grid[x][y].get()) {
                cells[x][y] = {true, Bits(piece->openings), Bits(piece->connected),
                               Bits(piece->shapeLinks)};
            }
        }
    }
}

bool C_WellModel::Free(int x, int y) const {
    if (x < 0 || x >= kBoardColumns || y >= kBoardRows) {
        return false;
    }
    return y < 0 || !cells[x][y].taken;
}

bool C_WellModel::Fits(const ModelShape& shape) const {
    for (int c = 0; c < shape.count; ++c) {
        if (!Free(shape.column + shape.cells[c].i, shape.row + shape.cells[c].j)) {
            return false;
        }
    }
    return true;
}

void C_WellModel::Drop(ModelShape* shape) const {
    for (;;) {
        shape->row += 1;
        if (!Fits(*shape)) {
            shape->row -= 1;
            return;
        }
    }
}

void C_WellModel::Join(int x, int y) {
    ModelCell& cell = cells[x][y];
    for (int d = 0; d < kDirections; ++d) {
        const int nx = x + kDeltaX[d];
        const int ny = y + kDeltaY[d];
        if (!Inside(nx, ny) || !cells[nx][ny].taken) {
            continue;
        }
        ModelCell& neighbour = cells[nx][ny];
        if ((cell.openings & Bit(d)) != 0 && (neighbour.openings & Bit(Opposite(d))) != 0) {
            cell.connected |= Bit(d);
            neighbour.connected |= Bit(Opposite(d));
        }
    }
}

void C_WellModel::Put(int x, int y, DirectionBits openings, DirectionBits links) {
    cells[x][y] = {true, openings, 0, links};
    Join(x, y);
}

LockOutcome C_WellModel::Lock(const ModelShape& shape) {
    LockOutcome outcome;
    for (int c = 0; c < shape.count; ++c) {
        const int x = shape.column + shape.cells[c].i;
        const int y = shape.row + shape.cells[c].j;
        if (y < 0 || !Inside(x, y) || cells[x][y].taken) {
            outcome.toppedOut = true;
            continue;
        }
        Put(x, y, shape.cells[c].openings, shape.cells[c].links);
    }
    // Each pass is one landing or one settled cascade, as the board counts
    // them; a cascade cannot go on longer than the well has rows.
    for (int pass = 0; pass < kBoardRows && !outcome.toppedOut; ++pass) {
        for (int x = 0; x < kBoardColumns; ++x) {
            outcome.toppedOut = outcome.toppedOut || cells[x][kTopOutRow].taken;
        }
        if (outcome.toppedOut || !Flow(&outcome)) {
            break;
        }
        outcome.chain += 1;
        Settle();
    }
    return outcome;
}

bool C_WellModel::Flow(LockOutcome* outcome) {
    int fullRows = 0;
    bool reached[kBoardColumns][kBoardRows] = {};
    int stack[kBoardColumns * kBoardRows];
    int pieces = 0;
    int joins = 0;
    int networks = 0;
    for (int y = kBottomRow; y > kTopOutRow; --y) {
        bool full = true;
        for (int x = 0; x < kBoardColumns && full; ++x) {
            full = cells[x][y].taken;
        }
        if (!full) {
            continue;
        }
        fullRows += 1;
        for (int x = 0; x < kBoardColumns; ++x) {
            if (reached[x][y]) {
                continue;
            }
            // One network: everything joined to this piece by pipes.
            networks += 1;
            reached[x][y] = true;
            int top = 0;
            stack[top++] = x * kBoardRows + y;
            while (top > 0) {
                const int at = stack[--top];
                const int px = at / kBoardRows;
                const int py = at % kBoardRows;
                pieces += 1;
                for (int d = 0; d < kDirections; ++d) {
                    const int nx = px + kDeltaX[d];
                    const int ny = py + kDeltaY[d];
                    // A flag toward an emptied cell (row 0 keeps stale ones)
                    // joins nothing.
                    if ((cells[px][py].connected & Bit(d)) == 0 || !Inside(nx, ny) ||
                        !cells[nx][ny].taken) {
                        continue;
                    }
                    joins += 1;
                    if (!reached[nx][ny]) {
                        reached[nx][ny] = true;
                        stack[top++] = nx * kBoardRows + ny;
                    }
                }
            }
        }
    }
    outcome->rows += fullRows;
    // Full rows without a single joined pipe start no flow and stay.
    if (joins == 0) {
        return false;
    }
    outcome->flowed += pieces;
    // Each join was seen from both ends.
    outcome->cycles += joins / 2 - pieces + networks;
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            if (!reached[x][y]) {
                continue;
            }
            for (int d = 0; d < kDirections; ++d) {
                const int nx = x + kDeltaX[d];
                const int ny = y + kDeltaY[d];
                if (Inside(nx, ny)) {
                    cells[nx][ny].links &= static_cast<DirectionBits>(~Bit(Opposite(d)));
                }
            }
            cells[x][y] = ModelCell();
        }
    }
    return true;
}

bool C_WellModel::FallGroup(int x, int y, bool (&moved)[kBoardColumns][kBoardRows]) {
    int gx[kMaxGroup];
    int gy[kMaxGroup];
    int n = 0;
    gx[n] = x;
    gy[n++] = y;
    for (int k = 0; k < n; ++k) {
        for (int d = 0; d < kDirections; ++d) {
            const int nx = gx[k] + kDeltaX[d];
            const int ny = gy[k] + kDeltaY[d];
            if ((cells[gx[k]][gy[k]].links & Bit(d)) == 0 || !Inside(nx, ny) ||
                !cells[nx][ny].taken) {
                continue;
            }
            bool known = false;
            for (int m = 0; m < n; ++m) {
                known = known || (gx[m] == nx && gy[m] == ny);
            }
            if (!known && n < kMaxGroup) {
                gx[n] = nx;
                gy[n++] = ny;
            }
        }
    }
    for (int k = 0; k < n; ++k) {
        if (gy[k] == kBottomRow || moved[gx[k]][gy[k]]) {
            return false;
        }
        bool belowIsMember = false;
        for (int m = 0; m < n; ++m) {
            belowIsMember = belowIsMember || (gx[m] == gx[k] && gy[m] == gy[k] + 1);
        }
        if (!belowIsMember && cells[gx[k]][gy[k] + 1].taken) {
            return false;
        }
    }
    // Lowest first, so no member lands on one not yet moved.
    for (int row = kBottomRow - 1; row >= 0; --row) {
        for (int k = 0; k < n; ++k) {
            if (gy[k] != row) {
                continue;
            }
            const int mx = gx[k];
            cells[mx][row + 1] = cells[mx][row];
            cells[mx][row] = ModelCell();
            moved[mx][row + 1] = true;
        }
    }
    return true;
}

void C_WellModel::Settle() {
    bool any = true;
    for (int pass = 0; pass < kBoardRows && any; ++pass) {
        any = false;
        bool moved[kBoardColumns][kBoardRows] = {};
        // Row 0 never starts a fall, as on the board.
        for (int y = kBottomRow - 1; y >= 1; --y) {
            for (int x = 0; x < kBoardColumns; ++x) {
                if (cells[x][y].taken && !moved[x][y] && !cells[x][y + 1].taken) {
                    any = FallGroup(x, y, moved) || any;
                }
            }
        }
    }
    // Settling joins the pipes anew from row 1 down.
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 1; y < kBoardRows; ++y) {
            ModelCell& cell = cells[x][y];
            if (!cell.taken) {
                continue;
            }
            for (int d = 0; d < kDirections; ++d) {
                const int nx = x + kDeltaX[d];
                const int ny = y + kDeltaY[d];
                const bool joined = Inside(nx, ny) && cells[nx][ny].taken &&
                                    (cell.openings & Bit(d)) != 0 &&
                                    (cells[nx][ny].openings & Bit(Opposite(d))) != 0;
                cell.connected = static_cast<DirectionBits>(joined ? cell.connected | Bit(d)
                                                                   : cell.connected & ~Bit(d));
                if (Inside(nx, ny) && cells[nx][ny].taken) {
                    ModelCell& other = cells[nx][ny];
                    const DirectionBits back = Bit(Opposite(d));
                    other.connected = static_cast<DirectionBits>(joined ? other.connected | back
                                                                        : other.connected & ~back);
                }
            }
        }
    }
}
