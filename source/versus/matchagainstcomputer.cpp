#include "versus/matchagainstcomputer.h"

#include <algorithm>

#include "puzzle/gameboard.h"
#include "puzzle/tetromino.h"

namespace {

constexpr const char* kStrengthNames[] = {"EASY", "MEDIUM", "HARD"};
constexpr int kOpaque = 255;

}  // namespace

C_MatchAgainstComputer::C_MatchAgainstComputer(const MatchSettings& settings,
                                               OpponentStrength chosen)
    : match(settings), opponent(chosen), strength(chosen) {}

void C_MatchAgainstComputer::Update(float gameTime) {
    if (match.Over()) {
        return;
    }
    opponent.Play(&match.Round(SIDE_OPPONENT), gameTime, match.Incoming(SIDE_OPPONENT));
    match.Update(gameTime);
}

int C_MatchAgainstComputer::Arrived(int side) const {
    return static_cast<int>(match.Round(side).incoming.size());
}

std::string C_MatchAgainstComputer::OtherLabel() const {
    constexpr int kNames = static_cast<int>(std::size(kStrengthNames));
    return kStrengthNames[std::clamp(static_cast<int>(strength), 0, kNames - 1)];
}

const std::vector<SeenCell>& C_MatchAgainstComputer::OtherWell() {
    seen.clear();
    const C_Round& round = match.Round(SIDE_OPPONENT);
    const C_GameBoard& board = *round.board;
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            if (C_Piece* piece = board.PieceAt(x, y)) {
                seen.push_back({x, y, piece, board.boardAlpha});
            }
        }
    }
    // The falling shape over the well, its cells above the top left out.
    if (const C_Tetromino* shape = round.currentShape.get()) {
        for (int i = 0; i < kBoxSize; ++i) {
            for (int j = 0; j < kBoxSize; ++j) {
                C_Piece* piece = shape->PieceInBox(i, j);
                const int row = shape->GetRow() + j;
                if (piece != nullptr && row >= 0) {
                    seen.push_back({shape->GetColumn() + i, row, piece, kOpaque});
                }
            }
        }
    }
    return seen;
}
