#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "audio/wave.h"
#include "puzzle/gameboard.h"
#include "puzzle/piece.h"
#include "puzzle/tetromino.h"
#include "support/imagetest.h"
#include "support/puzzleboard.h"
#include "view/sprite.h"

namespace {

// Frame f of a normal sheet is solid (10 f + 5, 0x80, 0); of the cycle sheet
// (0, 0, 10 f + 5).
uint32_t NormalColour(int frame) {
    return 0xFF008000u | static_cast<uint32_t>(10 * frame + 5) << 16;
}

uint32_t CycleColour(int frame) {
    return 0xFF000000u | static_cast<uint32_t>(10 * frame + 5);
}

std::vector<uint8_t> Sheet(uint32_t (*colour)(int)) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 160; ++x) {
            pixels.push_back(colour((y / 32) * 5 + x / 32));
        }
    }
    return ArgbPng(160, 128, pixels);
}

// `colour` laid over white at `alpha`.
uint32_t OverWhite(uint32_t colour, int alpha) {
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = static_cast<int>((colour >> shift) & 0xFF);
        out |= static_cast<uint32_t>((c * alpha + 255 * (255 - alpha)) / 255) << shift;
    }
    return out;
}

class PieceDrawingTest : public ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        images->Write("piece_0-20-5-4.png", Sheet(NormalColour));
        images->Write("piece_5-20-5-4.png", Sheet(NormalColour));
        images->Write("piece_9-20-5-4.png", Sheet(CycleColour));
        std::filesystem::create_directory("wavs");
        board = std::make_unique<C_GameBoard>();
        Prompts().reports.clear();  // the board's sounds are not part of these tests
    }

    void TearDown() override {
        board.reset();
        ReleaseAllWaves();
        g_waveCache.clear();
        ImageTest::TearDown();
    }

    C_Piece* Put(int x, int y, const std::string& openings) {
        ForcedDraws draws(PipeDraws(openings));
        board->grid[x][y] = std::make_unique<C_Piece>(0, 0, 0, 0, 0);
        board->grid[x][y]->SetX(x);
        board->grid[x][y]->SetY(y);
        return board->grid[x][y].get();
    }

    void ExpectPixel(int x, int y, uint32_t colour, const char* what) {
        const uint32_t pixel = PixelAt(x, y);
        EXPECT_TRUE(Near(pixel, colour, 6))
            << what << " at (" << x << ", " << y << "): " << std::hex << pixel << " instead of "
            << colour;
    }

    std::unique_ptr<C_GameBoard> board;
};

TEST_F(PieceDrawingTest, TheBoardDrawsEachOfTheFourLooksInItsCell) {
    Put(0, 0, "RD");                        // corner, rotation 1: frame 8
    C_Piece* marked = Put(2, 0, "UD");      // straight, rotation 0: frame 1
    C_Piece* flowed = Put(4, 0, "URL");     // T, rotation 0: frame 2
    C_Piece* cycling = Put(7, 0, "L");      // end, rotation 3: frame 19
    C_Piece* lowest = Put(11, 23, "URDL");  // cross: frame 0 or 5, 10, 15
    marked->marked = 1;
    flowed->flowed = 1;
    flowed->pulse = 2.0f;
    cycling->onCycle = 1;
    board->fade = 0.35f;
    board->boardAlpha = 128;
    ClearFrame();
    board->DrawStep();
    ASSERT_EQ(board->Render(), S_OK);

    ExpectPixel(81, 95, NormalColour(8), "plain piece");
    ExpectPixel(91, 95, NormalColour(8), "plain piece, right edge");
    ExpectPixel(95, 95, 0xFFFFFFFF, "right of the plain piece");
    ExpectPixel(125, 95, OverWhite(NormalColour(1), 128), "marked piece at the board's alpha");
    // Flowed: 11.2 pixels square about the middle of its cell (163.6..174.8).
    ExpectPixel(169, 95, OverWhite(CycleColour(2), 128), "flowed piece");
    ExpectPixel(160, 87, 0xFFFFFFFF, "corner of the flowed piece's cell");
    EXPECT_EQ(flowed->pulse, 0.0f);
    // On a cycle at pulse 0: 1.2 x 0.7 about the middle (216..254.4 across),
    // alpha (int)(cos 0.1 x 100) + 126.
    const int beat = static_cast<int>(std::cos(0.1f) * 100) + 126;
    ExpectPixel(224 + 11, 95, OverWhite(CycleColour(19), beat), "cycle piece");
    ExpectPixel(224 + 22 + 5, 95, OverWhite(CycleColour(19), beat), "cycle piece stretched wide");
    ExpectPixel(224 + 11, 84 + 24, 0xFFFFFFFF, "below the cycle piece");
    EXPECT_FLOAT_EQ(cycling->pulse, 0.1f);
    ExpectPixel(70 + 22 * 11 + 11, 84 + 22 * 23 + 11, NormalColour(lowest->GetFrame()),
                "bottom-right cell");

    ClearFrame();
    board->DrawStep();
    board->Render();
    EXPECT_FLOAT_EQ(cycling->pulse, 0.2f);  // the pulse moves at every draw
    ExpectPixel(81, 95, NormalColour(8), "plain piece again");
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(PieceDrawingTest, AShapeDrawsItsCellsAtTheBoardsPitchAboveTheWellToo) {
    ForcedDraws draws({DrawFor(SHAPE_I, kShapeTypes)});
    C_Tetromino shape(board.get());
    shape.SetGridPosition(3, -2, 0);  // the bar in row 0, columns 4 to 7
    ClearFrame();
    ASSERT_EQ(shape.Render(), S_OK);
    for (int column = 4; column <= 7; ++column) {
        const C_Piece* piece = shape.PieceInBox(column - 3, 2);
        ExpectPixel(70 + 22 * column + 11, 84 + 11, NormalColour(piece->GetFrame()), "bar");
    }
    ExpectPixel(70 + 22 * 3 + 11, 84 + 11, 0xFFFFFFFF, "left of the bar");

    shape.RotateClockwise();  // column 5, rows -1 to 2
    ClearFrame();
    shape.Render();
    ExpectPixel(70 + 22 * 5 + 11, 84 - 22 + 11, NormalColour(shape.PieceInBox(2, 1)->GetFrame()),
                "cell above the well");
    ExpectPixel(70 + 22 * 5 + 11, 84 + 22 * 2 + 11,
                NormalColour(shape.PieceInBox(2, 4)->GetFrame()), "lowest cell");
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(PieceDrawingTest, MissingSheetsAreReportedAtTheFirstDrawAndNothingIsDrawn) {
    images->Remove("piece_0-20-5-4.png");
    Put(0, 0, "UD");
    ClearFrame();
    board->Render();
    EXPECT_TRUE(Prompts().Saw("Could not create texture from piece_0-20-5-4.png"));
    ExpectPixel(81, 95, 0xFFFFFFFF, "missing sheet");
}

// Pieces share one sprite per sheet, each showing its own frame, and the
// sheets leave the texture cache with the last piece.
TEST_F(PieceDrawingTest, PiecesShareTheirSheetsOnlyWhileAnyIsAlive) {
    C_Piece* straight = Put(0, 0, "UD");
    C_Piece* corner = Put(1, 0, "UR");
    ClearFrame();
    board->Render();
    ExpectPixel(81, 95, NormalColour(straight->GetFrame()), "straight");
    ExpectPixel(81 + 22, 95, NormalColour(corner->GetFrame()), "corner");
    EXPECT_EQ(straight->sprite, corner->sprite);
    EXPECT_EQ(straight->cycleSprite, corner->cycleSprite);
    ASSERT_EQ(g_textureCache.count("piece_0-20-5-4.png"), 1u);
    EXPECT_EQ(g_textureCache.at("piece_0-20-5-4.png")->referenceCount, 1);
    board.reset();
    EXPECT_EQ(g_textureCache.count("piece_0-20-5-4.png"), 0u);
    EXPECT_EQ(g_textureCache.count("piece_9-20-5-4.png"), 0u);
}

}  // namespace
