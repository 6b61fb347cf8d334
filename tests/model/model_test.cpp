#include "model/model.h"

#include <gtest/gtest.h>

#include "console/console.h"
#include "model/quitstate.h"
#include "screens/instructions.h"
#include "screens/menu.h"
#include "screens/playscreen.h"
#include "support/framework.h"

namespace {

class ModelTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        StartGame();
        ASSERT_TRUE(Prompts().reports.empty());
    }

    template <typename T>
    static bool StateIs() {
        return dynamic_cast<T*>(g_pModel->GetState()) != nullptr;
    }
};

// An object that marks the state it was added to, so a rebuilt state shows.
class Marker : public C_GameObject {};

TEST_F(ModelTest, StartsAtTheMenuAndSwitchesAtTheEndOfTheUpdate) {
    EXPECT_TRUE(StateIs<C_Menu>());
    g_pModel->SetNextState(STATE_INSTRUCTIONS);
    EXPECT_TRUE(StateIs<C_Menu>());  // nothing happens before the update ends
    g_pModel->Update();
    EXPECT_TRUE(StateIs<C_Instructions>());
    g_pModel->Update();
    EXPECT_TRUE(StateIs<C_Instructions>());  // the request was used up
}

TEST_F(ModelTest, TheLastRequestWins) {
    g_pModel->SetNextState(STATE_INSTRUCTIONS);
    g_pModel->SetNextState(STATE_PLAY);
    g_pModel->Update();
    EXPECT_TRUE(StateIs<C_PlayScreen>());
}

TEST_F(ModelTest, RequestingTheCurrentStateRebuildsIt) {
    g_pModel->SetNextState(STATE_PLAY);
    g_pModel->Update();
    Marker marker;
    g_pModel->GetState()->AddObject(&marker);
    ASSERT_EQ(g_pModel->GetState()->GetObjects().size(), 1u);

    g_pModel->SetNextState(STATE_PLAY);
    g_pModel->Update();
    ASSERT_TRUE(StateIs<C_PlayScreen>());
    EXPECT_TRUE(g_pModel->GetState()->GetObjects().empty());
}

TEST_F(ModelTest, SwitchingHappensWhilePaused) {
    g_pConsole->SetPaused(true);
    g_pModel->SetNextState(STATE_INSTRUCTIONS);
    g_pModel->Update();
    EXPECT_TRUE(StateIs<C_Instructions>());
}

TEST_F(ModelTest, AnUnknownIdIsReportedAndLeavesNoState) {
    for (int id : {0x7FFF, -1, 42}) {
        Prompts().reports.clear();
        g_pModel->SetNextState(STATE_MENU);
        g_pModel->Update();
        ASSERT_NE(g_pModel->GetState(), nullptr);

        g_pModel->SetNextState(id);
        g_pModel->Update();
        EXPECT_EQ(g_pModel->GetState(), nullptr) << id;
        ASSERT_EQ(Prompts().reports.size(), 1u) << id;
        EXPECT_TRUE(Prompts().Saw("C_Model tried to change to an unknown state"));
        EXPECT_EQ(Prompts().reports[0].text.rfind("model\n", 0), 0u);

        // Frames go on without a state: white, nothing reported, no crash.
        g_pConsole->SetFpsOn(true);
        ASSERT_TRUE(RunFrames(3));
        EXPECT_EQ(Prompts().reports.size(), 1u);
        EXPECT_EQ(PixelAt(356, 326), 0xFFFFFFFFu);
    }
}

TEST_F(ModelTest, SetFrameRatePrintsTheNewRate) {
    g_pModel->SetFrameRate(30);
    EXPECT_EQ(g_pModel->GetFrameRate(), 30);
    EXPECT_EQ(g_pConsole->GetLines().front(), "New frame rate: 30");
}

TEST_F(ModelTest, TheQuitStateEndsTheLoopAfterItsFrameIsDrawn) {
    ASSERT_TRUE(DrainEvents());
    g_bActive = 1;
    g_pModel->SetNextState(STATE_QUIT);
    EXPECT_EQ(RunEventLoop(*game), 1);
    EXPECT_TRUE(StateIs<C_QuitState>());
    EXPECT_EQ(PixelAt(0, 0), 0xFFFFFFFFu);
}

}  // namespace
