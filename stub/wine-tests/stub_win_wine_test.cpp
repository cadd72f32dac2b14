// Under wine, in the test's own process: the stub window's controls as ProgressBarsCallback
// moves them, its close logic, its timer in an agent, and the auto-play answer.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "app/StubProgress.h"
#include "app/StubState.h"
#include "app/StubWin.h"
#include "win/InfoWindow.h"
#include "win/Utils.h"

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
  ProgressBarsCallback(1, 0, 0, "", 0, 0);
  EXPECT_EQ(Pos(StubWindow.progress), 5);
  const int activity[] = {2, 3, 4, 5, 0, 1};
  for (const int a : activity) {
    ProgressBarsCallback(1, 0, 0, "", 0, 0);
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

// --- InfoWindow, run modally on this thread and looked at from a second one ---

std::vector<std::string> opened;
bool RecordOpen(const std::string& address) {
  opened.push_back(address);
  return true;
}
bool FailOpen(const std::string& address) {
  opened.push_back(address);
  return false;
}

HWND FindInfoWindow() {
  for (int i = 0; i < 200; ++i) {
    if (const HWND w = FindWindowA("WRichEditBox", nullptr)) return w;
    Sleep(25);
  }
  return nullptr;
}

std::string ClassOf(HWND w) {
  char name[64] = {};
  GetClassNameA(w, name, sizeof name);
  return name;
}

struct InfoSeen {
  std::string caption, text, button, face;
  RECT text_rect{}, button_rect{}, client{};
  bool has_button = false;
};

// Runs InfoWindow here; the second thread reads the window, then presses the button (when
// there is one and press is set) or closes it.
bool ShowInfo(const std::string& body, const std::string& address, const std::string& font,
              bool press, InfoSeen* seen) {
  std::thread looker([&] {
    const HWND w = FindInfoWindow();
    if (!w) {
      ADD_FAILURE() << "no information window";
      return;
    }
    Sleep(200);
    seen->caption = WindowText(w);
    GetClientRect(w, &seen->client);
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      RECT r;
      GetWindowRect(c, &r);
      MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&r), 2);
      if (ClassOf(c) == "Button") {
        seen->has_button = true;
        seen->button = WindowText(c);
        seen->button_rect = r;
      } else {
        seen->text = WindowText(c);
        seen->text_rect = r;
        // RichEdit 1.0 keeps the font as its default character format.
        CHARFORMATA format = {};
        format.cbSize = sizeof format;
        SendMessageA(c, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
        seen->face = format.szFaceName;
      }
    }
    if (press && seen->has_button)
      PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(w, IDOK)));
    else
      PostMessageA(w, WM_CLOSE, 0, 0);
  });
  const bool shown = InfoWindow(nullptr, "News", "&Download", body, address, 400, 300, false,
                                font, 8, 0);
  looker.join();
  return shown;
}

class InfoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    opened.clear();
    SetInfoWindowOpener(RecordOpen);
  }
  void TearDown() override { SetInfoWindowOpener(nullptr); }
};

TEST_F(InfoWindowTest, EmptyBodyOpensTheAddressOrShowsNothing) {
  EXPECT_TRUE(InfoWindow(nullptr, "t", "b", "", "  http://127.0.0.1/new.htm ", 400, 300, false,
                         "Tahoma", 8, 0));
  EXPECT_EQ(opened, std::vector<std::string>{"http://127.0.0.1/new.htm"});
  EXPECT_FALSE(InfoWindow(nullptr, "t", "b", "", "", 400, 300, false, "Tahoma", 8, 0));
  EXPECT_EQ(FindWindowA("WRichEditBox", nullptr), nullptr);
}

TEST_F(InfoWindowTest, BodyAndButtonLaidOutAndTheButtonOpensTheAddress) {
  InfoSeen seen;
  EXPECT_TRUE(ShowInfo("Version 2 is out.", "https://127.0.0.1/v2", "Tahoma", true, &seen));
  EXPECT_EQ(seen.caption, "News");
  EXPECT_EQ(seen.text, "Version 2 is out.");
  EXPECT_EQ(seen.face, "Verdana");  // "Tahoma" is the dialogs' default, not a choice
  ASSERT_TRUE(seen.has_button);
  EXPECT_EQ(seen.button, "&Download");
  EXPECT_EQ(seen.button_rect.right - seen.button_rect.left, 160);
  EXPECT_EQ(seen.button_rect.top, seen.client.bottom - 33);
  EXPECT_EQ(seen.text_rect.left, 3);
  EXPECT_EQ(seen.text_rect.bottom, seen.client.bottom - 43);
  EXPECT_EQ(opened, std::vector<std::string>{"https://127.0.0.1/v2"});
  EXPECT_EQ(FindWindowA("WRichEditBox", nullptr), nullptr);
}

// The agent advances the version only on a true result: an address the system could not open
// is no news delivered, whether opened at once or by the button; a window closed without the
// button is.
TEST_F(InfoWindowTest, AnAddressThatCouldNotBeOpenedMakesTheResultFalse) {
  SetInfoWindowOpener(FailOpen);
  bool failed = false;
  EXPECT_FALSE(InfoWindow(nullptr, "t", "b", "", "http://127.0.0.1/new.htm", 400, 300, false,
                          "Tahoma", 8, 0, &failed));
  EXPECT_TRUE(failed);
  InfoSeen seen;
  EXPECT_FALSE(ShowInfo("Version 2 is out.", "https://127.0.0.1/v2", "Tahoma", true, &seen));
  EXPECT_TRUE(seen.has_button);
  EXPECT_EQ(opened, (std::vector<std::string>{"http://127.0.0.1/new.htm", "https://127.0.0.1/v2"}));
  InfoSeen closed;
  EXPECT_TRUE(ShowInfo("Version 2 is out.", "https://127.0.0.1/v2", "Tahoma", false, &closed));
  EXPECT_EQ(opened.size(), 2u);
}

TEST_F(InfoWindowTest, AnAddressThatIsNotAWebPageIsNeverOpened) {
  EXPECT_FALSE(InfoWindow(nullptr, "t", "b", "", "C:\\windows\\notepad.exe", 400, 300, false,
                          "Tahoma", 8, 0));
  InfoSeen seen;
  EXPECT_TRUE(ShowInfo("Body", "file:///C:/x.exe", "Arial", true, &seen));
  EXPECT_FALSE(seen.has_button);
  EXPECT_EQ(seen.text_rect.bottom, seen.client.bottom);  // no band without a button
  EXPECT_EQ(seen.face, "Arial");
  EXPECT_TRUE(opened.empty());
}

}  // namespace
