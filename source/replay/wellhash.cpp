#include "replay/wellhash.h"

#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "puzzle/well.h"

namespace {

class Fnv {
public:
    void Add(int number) {
        auto bits = static_cast<uint32_t>(number);
        for (int byte = 0; byte < 4; ++byte) {
            value = (value ^ (bits & 0xFFu)) * 0x100000001B3ULL;
            bits >>= 8u;
        }
    }
    void AddPiece(const WellCell* piece) {
        Add(piece != nullptr);
        if (piece == nullptr) {
            return;
        }
        Add(piece->colourIndex);
        Add(piece->pipeShape);
        Add(piece->rotation);
        Add(piece->flowed);
        Add(piece->marked);
        Add(piece->onCycle);
        for (int d = 0; d < kDirections; ++d) {
            Add(Has(piece->connected, d) ? 1 : 0);
        }
    }
    uint64_t Value() const { return value; }

private:
    uint64_t value = 0xCBF29CE484222325ULL;
};

}  // namespace

uint64_t WellHash(const C_Round& round) {
    Fnv hash;
    const C_GameBoard& board = *round.board;
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            hash.AddPiece(board.PieceAt(x, y));
        }
    }
    hash.Add(round.mode);
    hash.Add(board.level);
    hash.Add(board.rowsCleared);
    if (const C_Tetromino* shape = round.currentShape.get()) {
        hash.Add(shape->GetColumn());
        hash.Add(shape->GetRow());
        for (int i = 0; i < shape->GetBoxSize(); ++i) {
            for (int j = 0; j < shape->GetBoxSize(); ++j) {
                hash.AddPiece(shape->PieceInBox(i, j));
            }
        }
    }
    return hash.Value();
}
