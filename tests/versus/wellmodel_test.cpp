#include "versus/wellmodel.h"

#include <gtest/gtest.h>

#include <string>

#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "versus/opponent.h"

namespace {

constexpr float kFrame = 1.0f / 75;
#if defined(__SANITIZE_ADDRESS__)
constexpr uint64_t kSeeds = 6;
#else
constexpr uint64_t kSeeds = 20;
#endif

// Which cells are taken, row by row.
std::string Cells(const C_WellModel& well) {
    std::string text;
    for (int y = 0; y < kBoardRows; ++y) {
        for (int x = 0; x < kBoardColumns; ++x) {
            text += well.At(x, y).taken ? '#' : '.';
        }
        text += '\n';
    }
    return text;
}

// In seeded games the copy foretells each landing: the well the round shows
// once its cascade is over, the rows it counted, and whether the game ended.
TEST(WellModel, ForetellsTheWellAfterEachLandingAndItsCascade) {
    int landings = 0;
    int flows = 0;
    int wrong = 0;
    for (uint64_t seed = 1; seed <= kSeeds; ++seed) {
        RoundSettings settings;
        settings.seed = seed;
        settings.level = 5;
        settings.quiet = true;
        C_Round round(settings);
        C_Opponent opponent(STRENGTH_HARD);
        round.Command(COMMAND_START);
        C_WellModel foretold;
        LockOutcome outcome;
        bool waiting = false;
        int rowsBefore = 0;
        for (int frame = 0; frame < 75 * 600 && round.mode != MODE_GAMEOVER; ++frame) {
            const float gameTime = static_cast<float>(frame + 1) * kFrame;
            opponent.Play(&round, gameTime, 0);
            const C_Tetromino* falling = round.currentShape.get();
            C_WellModel before(*round.board);
            const int rows = round.board->rowsCleared;
            const ModelShape shape = falling ? ModelShape::Of(*falling) : ModelShape();
            round.Update(gameTime);
            round.DrawStep();
            if (falling != nullptr && round.currentShape.get() != falling) {
                foretold = before;
                outcome = foretold.Lock(shape);
                rowsBefore = rows;
                waiting = true;
                landings += 1;
                flows += outcome.chain > 0 ? 1 : 0;
            }
            if (waiting && (round.currentShape || round.mode == MODE_GAMEOVER)) {
                waiting = false;
                const bool over = round.mode == MODE_GAMEOVER;
                // The rows of a topped-out well are not all counted.
                const bool same = outcome.toppedOut == over &&
                                  (over || outcome.rows == round.board->rowsCleared - rowsBefore) &&
                                  Cells(foretold) == Cells(C_WellModel(*round.board));
                wrong += same ? 0 : 1;
            }
        }
    }
    std::cout << landings << " landings, " << flows << " with a flow, " << wrong << " wrong\n";
    EXPECT_GT(flows, static_cast<int>(kSeeds) * 10);
    EXPECT_EQ(wrong, 0);
}

}  // namespace
