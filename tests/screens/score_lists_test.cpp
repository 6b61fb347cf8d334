#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/console.h"
#include "puzzle/gameboard.h"
#include "screens/playscreen.h"
#include "support/screentest.h"
#include "view/font.h"

namespace {

class ScoreListTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        play = std::make_unique<C_PlayScreen>(g_pModel->GetScreenContext());
        play->round->mode = MODE_RUNNING;
    }

    void TearDown() override {
        play.reset();
        ScreenTest::TearDown();
    }

    static const ListLine* Find(const std::vector<ListLine>& lines, const std::string& text) {
        for (const ListLine& line : lines) {
            if (line.text == text) {
                return &line;
            }
        }
        return nullptr;
    }

    static std::vector<std::string> Texts(const std::vector<ListLine>& lines) {
        std::vector<std::string> texts;
        for (const ListLine& line : lines) {
            texts.push_back(line.text);
        }
        return texts;
    }

    int Width(const std::string& text) const {
        TextSize size;
        EXPECT_EQ(play->listFont->GetTextureFont()->MeasureText(text.c_str(), &size), S_OK);
        return size.cx;
    }

    std::unique_ptr<C_PlayScreen> play;
};

TEST_F(ScoreListTest, ASimpleAndAMultiCycleAtLevel0) {
    play->round->board->level = 0;
    play->round->board->cycleSizes = {4, 6};
    play->round->board->cycleMulti = {0, 1};
    play->round->chain = 1;
    play->round->pipeFade = 255.0f;
    play->round->cycleFade = 255.0f;
    const std::vector<ListLine> lines = play->round->RunCycleList();
    const std::vector<std::string> expected = {
        "4 Block Cycle", "New", "High!", "+ 6 Block Multi Cycle", "New", "High!", "pts : 112"};
    EXPECT_EQ(Texts(lines), expected);
    EXPECT_EQ(play->round->board->score, 896);
    EXPECT_EQ(play->round->board->bestCycle, 6);
    EXPECT_EQ(play->round->cycleHigh, 1);
    EXPECT_EQ(play->round->shownChain, 1);

    const ListLine* first = Find(lines, "4 Block Cycle");
    EXPECT_EQ(first->x, 60);
    EXPECT_EQ(first->y, 108);
    EXPECT_EQ(first->colour, 0xFFD0D0D0u);
    EXPECT_EQ(lines[1].x, 10);
    EXPECT_EQ(lines[1].y, 108);
    EXPECT_EQ(lines[2].x, 2);
    EXPECT_EQ(lines[2].y, 128);
    EXPECT_EQ(lines[1].colour, 0xFF6450E1u);
    EXPECT_EQ(Find(lines, "+ 6 Block Multi Cycle")->y, 128);
    const ListLine* points = Find(lines, "pts : 112");
    EXPECT_EQ(points->x, 60);
    EXPECT_EQ(points->y, 148);
    EXPECT_EQ(points->colour, 0xFFFFFFFFu);

    // Shown again, the list adds nothing; the entry that set the record keeps
    // its marker while the list is on show, the other only had one.
    const std::vector<ListLine> again = play->round->RunCycleList();
    EXPECT_EQ(Texts(again), (std::vector<std::string>{"4 Block Cycle", "+ 6 Block Multi Cycle",
                                                      "New", "High!", "pts : 112"}));
    EXPECT_EQ(play->round->board->score, 896);
    EXPECT_EQ(again[0].colour, 0xFED0D0D0u);  // 254.6 truncated
}

TEST_F(ScoreListTest, APipeListWithAGapAtLevel2InASecondRound) {
    play->round->board->level = 2;
    play->round->pipeList = {12, -1};
    play->round->chain = 2;
    play->round->pipeFade = 255.0f;
    g_pConsole->Update();
    const std::vector<ListLine> lines = play->round->RunPipeList();
    const std::vector<std::string> expected = {"12 Block Pipe", "New",     "High!", "2x",
                                               "Bonus",         "pts : 72"};
    EXPECT_EQ(Texts(lines), expected);
    EXPECT_EQ(play->round->board->score, 144);
    EXPECT_EQ(play->round->board->pipeTotal, 12);
    EXPECT_EQ(play->round->board->bestPipe, 12);
    EXPECT_EQ(play->round->pipePoints, 72);

    const ListLine* entry = Find(lines, "12 Block Pipe");
    EXPECT_EQ(entry->x, 342 - Width("12 Block Pipe"));
    EXPECT_EQ(entry->y, 108);
    EXPECT_EQ(entry->colour, 0xFFFFFFFFu);
    EXPECT_EQ(Find(lines, "New")->x, 355);
    EXPECT_EQ(Find(lines, "High!")->y, 128);
    EXPECT_EQ(Find(lines, "2x")->x, 355);
    EXPECT_EQ(Find(lines, "2x")->y, 128);
    EXPECT_EQ(Find(lines, "Bonus")->y, 148);
    EXPECT_EQ(Find(lines, "Bonus")->colour, 0xFF6450E1u);
    const ListLine* points = Find(lines, "pts : 72");
    const int w = Width("pts : 72");
    EXPECT_GT(w, 0);
    EXPECT_EQ(points->x, 342 - w);
    EXPECT_EQ(points->y, 128);
    EXPECT_EQ(points->colour, 0xFFD0D0D0u);
    g_pConsole->Update();
    EXPECT_EQ(g_pConsole->GetLines().front(), "xOff" + std::to_string(w));

    play->round->RunPipeList();
    EXPECT_EQ(play->round->board->score, 144);
    EXPECT_EQ(play->round->board->pipeTotal, 12);
}

TEST_F(ScoreListTest, AnEntryThatOnlyEqualsTheRecordGetsNoMarker) {
    play->round->board->bestPipe = 12;
    play->round->board->bestCycle = 4;
    play->round->board->cycleSizes = {4};
    play->round->board->cycleMulti = {0};
    play->round->pipeList = {12};
    play->round->chain = 1;
    play->round->pipeFade = 255.0f;
    play->round->cycleFade = 255.0f;
    const std::vector<std::string> cycles = Texts(play->round->RunCycleList());
    EXPECT_EQ(cycles, (std::vector<std::string>{"4 Block Cycle", "pts : 64"}));
    const std::vector<std::string> pipes = Texts(play->round->RunPipeList());
    EXPECT_EQ(pipes, (std::vector<std::string>{"12 Block Pipe", "pts : 24"}));
    EXPECT_EQ(play->round->pipeHigh, -1);
    EXPECT_EQ(play->round->cycleHigh, -1);
}

TEST_F(ScoreListTest, ListsRunOutAfterTheirFadeAndForgetTheirMarkers) {
    play->round->pipeList = {3, 5};
    play->round->chain = 1;
    play->round->pipeFade = 255.0f;
    play->round->cycleFade = 255.0f;
    int calls = 0;
    while (play->round->pipeFade > 0.0f && calls < 1000) {
        const std::vector<ListLine> lines = play->round->RunPipeList();
        if (calls == 0) {
            EXPECT_EQ(Texts(lines),
                      (std::vector<std::string>{"3 Block Pipe", "New", "High!", "+ 5 Block Pipe",
                                                "New", "High!", "pts : 16"}));
        }
        ++calls;
    }
    EXPECT_EQ(calls, 638);
    EXPECT_EQ(play->round->pipeFade, -1.0f);
    EXPECT_TRUE(play->round->pipeList.empty());
    EXPECT_EQ(play->round->pipeHigh, -1);
    EXPECT_EQ(play->round->board->score, 16);
    EXPECT_EQ(play->round->board->pipeTotal, 8);

    // An empty cycle list scores nothing and shows no points line.
    EXPECT_TRUE(play->round->RunCycleList().empty());
    EXPECT_EQ(play->round->board->score, 16);
}

TEST_F(ScoreListTest, TheDrawRunsTheListsOnlyWhileTheGameRuns) {
    play->round->pipeList = {7};
    play->round->pipeFade = 255.0f;
    play->round->chain = 3;
    play->round->mode = MODE_GAMEOVER;
    play->DrawStep();
    EXPECT_EQ(play->round->board->score, 0);
    EXPECT_EQ(play->round->pipeFade, 255.0f);
    play->round->mode = MODE_RUNNING;
    play->DrawStep();
    EXPECT_EQ(play->round->board->score, 7 * 2 * 3);
    EXPECT_EQ(play->round->shownChain, 3);
    EXPECT_LT(play->round->pipeFade, 255.0f);
}

TEST_F(ScoreListTest, TheBannerFadesOverItsDraws) {
    play->round->board->bannerTimer = 3;
    play->DrawStep();
    EXPECT_EQ(play->round->board->bannerTimer, 2);
    play->DrawStep();
    play->DrawStep();
    play->DrawStep();
    EXPECT_EQ(play->round->board->bannerTimer, 0);
}

}  // namespace
