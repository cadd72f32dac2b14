// Under wine, in the test's own process: the stub window's controls as ProgressBarsCallback
// moves them, its close logic, its timer in an agent, and the auto-play answer.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "StubState.h"
#include "StubWin.h"
#include "Utils.h"

namespace {

class StubWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OwnInfo = std::make_unique<TGFileInfo>(std::string("Z:\\no\\such\\stub.exe"));
    WindowClass = "StubWinTest." + std::to_string(GetCurrentProcessId());
    IsAutoUpdateProg = true;  // the timer must not start the setup job here
    SetDownloadAbort(false);
    window_ = StubWindowCreate();
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    StubWindowDestroy();
    // The window's destruction posts the quit message; the next test's loop must not see it.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    OwnInfo.reset();
  }
  HWND window_ = nullptr;
};

int Pos(HWND bar) { return int(SendMessageA(bar, PBM_GETPOS, 0, 0)); }
int High(HWND bar) { return int(SendMessageA(bar, PBM_GETRANGE, FALSE, 0)); }
int Low(HWND bar) { return int(SendMessageA(bar, PBM_GETRANGE, TRUE, 0)); }

TEST_F(StubWindowTest, ProgressBarsFollowTheCallback) {
  ProgressBarsCallback(0, 0, 10, "ignored", 2, 3);
  EXPECT_EQ(Low(StubWindow.progress), 0);
  EXPECT_EQ(High(StubWindow.progress), 10);
  EXPECT_EQ(Pos(StubWindow.progress), 3);
  EXPECT_EQ(High(StubWindow.activity), 5);
  EXPECT_EQ(Pos(StubWindow.activity), 0);
  const int activity[] = {1, 2, 3, 4, 5, 0, 1};
  int expected_pos = 3;
  for (const int a : activity) {
    ProgressBarsCallback(1, 0, 0, "", 0, 0);
    expected_pos = std::min(expected_pos + 2, 10);
    EXPECT_EQ(Pos(StubWindow.activity), a);
  }
  // A new stage 0 starts the activity bar over.
  ProgressBarsCallback(0, 0, 400, "", 1, 0);
  EXPECT_EQ(High(StubWindow.progress), 400);
  EXPECT_EQ(Pos(StubWindow.progress), 0);
  ProgressBarsCallback(1, 0, 0, "", 0, 0);
  EXPECT_EQ(Pos(StubWindow.progress), 1);
  EXPECT_EQ(Pos(StubWindow.activity), 1);
  EXPECT_FALSE(IsWindowVisible(StubWindow.activity));  // moved while hidden
}

TEST_F(StubWindowTest, FirstCloseAbortsTheDownloadSecondClosesTheWindow) {
  SendMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_TRUE(DownloadAborted());
  SendMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(StubWindow.window, nullptr);
}

TEST_F(StubWindowTest, TheAgentsTimerKeepsTicking) {
  AutoUpdateTimerCount = -3;
  WaitPumping(3500, 20);
  // Started on creation, once a second: three ticks or more, not one.
  EXPECT_GE(AutoUpdateTimerCount, -1);
}

TEST_F(StubWindowTest, AnswersQueryCancelAutoPlay) {
  SetAutoPlayCancel(true);
  EXPECT_EQ(SendMessageA(window_, AutoPlayCancelMessage(), 0, 0), 1);
  SetAutoPlayCancel(false);
}

}  // namespace
