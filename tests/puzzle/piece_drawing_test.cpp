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

    WellCell* Put(int x, int y, const std::string& openings) {
        ForcedDraws draws(PipeDraws(openings));
        board->cells[x][y] = DrawnPiece(0, 0, LooseDraws());
        return &board->cells[x][y];
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
    Put(0, 0, "RD");                         // corner, rotation 1: frame 8
    WellCell* marked = Put(2, 0, "UD");      // straight, rotation 0: frame 1
    WellCell* flowed = Put(4, 0, "URL");     // T, rotation 0: frame 2
    WellCell* cycling = Put(7, 0, "L");      // end, rotation 3: frame 19
    WellCell* lowest = Put(11, 23, "URDL");  // cross: frame 0 or 5, 10, 15
    marked->marked = true;
    flowed->flowed = true;
    cycling->onCycle = true;
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
    // On a cycle at pulse 0: 1.2 x 0.7 about the middle (216..254.4 across),
    // alpha (int)(cos 0.1 x 100) + 126.
    const int beat = static_cast<int>(std::cos(0.1f) * 100) + 126;
    ExpectPixel(224 + 11, 95, OverWhite(CycleColour(19), beat), "cycle piece");
    ExpectPixel(224 + 22 + 5, 95, OverWhite(CycleColour(19), beat), "cycle piece stretched wide");
    ExpectPixel(224 + 11, 84 + 24, 0xFFFFFFFF, "below the cycle piece");
    ExpectPixel(70 + 22 * 11 + 11, 84 + 22 * 23 + 11, NormalColour(lowest->GetFrame()),
                "bottom-right cell");

    ClearFrame();
    board->DrawStep();
    board->Render();
    // The pulse moves at every draw.
    const int nextBeat = static_cast<int>(std::cos(0.2f) * 100) + 126;
    ExpectPixel(224 + 11, 95, OverWhite(CycleColour(19), nextBeat), "cycle piece, a beat on");
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
        const WellCell* piece = shape.PieceInBox(column - 3, 2);
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
// sheets leave the texture cache with the board that drew them.
TEST_F(PieceDrawingTest, PiecesShareTheirSheetsOnlyWhileAnyIsAlive) {
    WellCell* straight = Put(0, 0, "UD");
    WellCell* corner = Put(1, 0, "UR");
    ClearFrame();
    board->Render();
    ExpectPixel(81, 95, NormalColour(straight->GetFrame()), "straight");
    ExpectPixel(81 + 22, 95, NormalColour(corner->GetFrame()), "corner");
    ASSERT_EQ(g_textureCache.count("piece_0-20-5-4.png"), 1u);
    EXPECT_EQ(g_textureCache.at("piece_0-20-5-4.png")->referenceCount, 1);
    board.reset();
    EXPECT_EQ(g_textureCache.count("piece_0-20-5-4.png"), 0u);
    EXPECT_EQ(g_textureCache.count("piece_9-20-5-4.png"), 0u);
}

}  // namespace
