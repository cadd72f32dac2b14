// Under wine: the process control on a real child program (process_child.exe), found through
// both enumerations, its main window chosen, closed, quit and terminated, and the waits.
#include <gtest/gtest.h>

#include "app/StubGlob.h"
#include "win/Files.h"
#include "win/Owners.h"
#include "win/Process.h"
#include "win/Utils.h"

namespace {

// The child copied to a folder and file name with blanks, so that its short path differs.
class ProcessTest : public ::testing::TestWithParam<ProcessSearch> {
 protected:
  static void SetUpTestSuite() {
    folder_ = CreateOwnFolder(TempDir(true) + "process test folder");
    exe_ = folder_ + "\\process child.exe";
    CopyFileA((ExeDir(true) + "process_child.exe").c_str(), exe_.c_str(), FALSE);
  }
  static void TearDownTestSuite() { RemoveOwnFolder(folder_, true); }
  void SetUp() override {
    ASSERT_TRUE(FileExists(exe_));
    SetProcessSearch(GetParam());
  }
  void TearDown() override {
    if (child_) {
      TerminateProcess(child_.get(), 1);
      WaitForSingleObject(child_.get(), 10000);
    }
    SetProcessSearch(ProcessSearch::Auto);
  }

  // Starts the child and waits until its windows are up.
  void Start(const std::string& switches = "") {
    std::string line = "\"" + exe_ + "\" " + switches;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(exe_.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    CloseHandle(pi.hThread);
    child_ = OwnedHandle(pi.hProcess);
    pid_ = pi.dwProcessId;
    if (switches.empty()) WaitForInputIdle(child_.get(), 10000);
  }
  DWORD ExitCode() {
    EXPECT_EQ(WaitForHandlePumping(child_.get(), 10000), WaitEnd::Signalled);
    DWORD code = 12345;
    GetExitCodeProcess(child_.get(), &code);
    child_.Close();
    return code;
  }

  static std::string folder_, exe_;
  OwnedHandle child_;
  DWORD pid_ = 0;
};
std::string ProcessTest::folder_, ProcessTest::exe_;

// Timer callbacks of the waits; they run only when the wait serves messages.
int g_ticks = 0;
std::string g_close_target;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }
void CALLBACK CloseTarget(HWND, UINT, UINT_PTR id, DWORD) {
  ++g_ticks;
  KillTimer(nullptr, id);
  CloseProgram(g_close_target, true);
}

std::string ShortForm(const std::string& path) {
  char buffer[MAX_PATH];
  const DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  return std::string(buffer, n);
}

}  // namespace

TEST_P(ProcessTest, FindsTheChildByPathShortPathAndBaseName) {
  Start();
  const std::string shorter = ShortForm(exe_);
  ASSERT_FALSE(shorter.empty());
  EXPECT_NE(shorter, exe_);
  EXPECT_EQ(FindProcess(exe_, true), pid_);
  EXPECT_EQ(FindProcess("  " + UpperText(exe_) + " ", true), pid_);
  EXPECT_EQ(FindProcess(shorter, true), pid_);
  EXPECT_EQ(FindProcess("process child.exe", false), pid_);
  EXPECT_EQ(FindProcess("process child.exe", true), 0u);  // only full paths
  EXPECT_EQ(FindProcess(folder_ + "\\other.exe", false), 0u);
  EXPECT_EQ(FindProcess("", false), 0u);
  EXPECT_TRUE(IsProcessRunning("\"" + exe_ + "\""));
  EXPECT_EQ(
      GetParam() == ProcessSearch::ToolHelp ? FindProcess9x(exe_, true) : FindProcessNT(exe_, true),
      pid_);
  EXPECT_TRUE(IsPidAlive(pid_));
  EXPECT_TRUE(TerminateProgram(exe_, true));
  EXPECT_EQ(ExitCode(), 0u);
  EXPECT_FALSE(IsProcessRunning(exe_));
  EXPECT_FALSE(TerminateProgram(exe_, true));
}

TEST_P(ProcessTest, MainWindowIsTheCaptionedOwnerAndCloseEndsIt) {
  Start();
  HWND main = FindMainWindow(exe_, true);
  ASSERT_NE(main, nullptr);
  char class_name[64] = {};
  GetClassNameA(main, class_name, sizeof class_name);
  EXPECT_STREQ(class_name, "WexlinProcessChild");
  DWORD owner_pid = 0;
  GetWindowThreadProcessId(main, &owner_pid);
  EXPECT_EQ(owner_pid, pid_);
  HWND owned = FindWindowA("WexlinProcessChildOther", "Owned dialog");
  EXPECT_EQ(TopOwner(owned), main);
  EXPECT_EQ(TopOwner(main), nullptr);
  EXPECT_TRUE(CloseProgram(exe_, true));
  EXPECT_EQ(ExitCode(), 7u);
  EXPECT_FALSE(CloseProgram(exe_, true));
  EXPECT_EQ(FindMainWindow(exe_, true), nullptr);
}

TEST_P(ProcessTest, QuitCarriesExitCode15) {
  Start();
  EXPECT_TRUE(QuitProgram(exe_, true));
  EXPECT_EQ(ExitCode(), 15u);
  EXPECT_FALSE(QuitProgram(exe_, true));
}

TEST_P(ProcessTest, ProcessWithoutWindowsHasNoMainWindow) {
  Start("/NoWindow");
  Sleep(300);
  EXPECT_EQ(FindProcess(exe_, true), pid_);
  EXPECT_EQ(FindMainWindow(exe_, true), nullptr);
  EXPECT_FALSE(CloseProgram(exe_, true));
}

TEST_P(ProcessTest, WaitForProcessEndServesMessagesUntilTheProgramIsGone) {
  Start();
  g_ticks = 0;
  g_close_target = exe_;
  const UINT_PTR timer = SetTimer(nullptr, 0, 1500, CloseTarget);
  EXPECT_EQ(WaitForProcessEnd("\"" + exe_ + "\"", 20000), ProgramWait::Ended);
  KillTimer(nullptr, timer);
  EXPECT_GE(g_ticks, 1);  // the close came from a timer served by the wait itself
  EXPECT_EQ(WaitForSingleObject(child_.get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCode(), 7u);
  // Nothing running: the wait returns after its first pause.
  const DWORD t0 = GetTickCount();
  EXPECT_EQ(WaitForProcessEnd(exe_, 20000), ProgramWait::Ended);
  EXPECT_LT(GetTickCount() - t0, 5000u);
}

// A program that does not end holds the wait only for its bound, and a stop ends it at once:
// asked for, or by a quit meant for the caller's loop (which still finds it).
TEST_P(ProcessTest, WaitForProcessEndIsBoundedAndStoppable) {
  Start();
  DWORD t0 = GetTickCount();
  EXPECT_EQ(WaitForProcessEnd(exe_, 1500), ProgramWait::TimedOut);
  EXPECT_GE(GetTickCount() - t0, 1400u);
  EXPECT_LT(GetTickCount() - t0, 5000u);
  g_ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, CountTick);
  t0 = GetTickCount();
  EXPECT_EQ(WaitForProcessEnd(exe_, 60000, [] { return g_ticks >= 2; }), ProgramWait::Stopped);
  KillTimer(nullptr, timer);
  EXPECT_LT(GetTickCount() - t0, 5000u);
  PostQuitMessage(3);
  EXPECT_EQ(WaitForProcessEnd(exe_, 60000), ProgramWait::Stopped);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_EQ(WaitForSingleObject(child_.get(), 0), DWORD(WAIT_TIMEOUT));  // never touched
}

TEST_P(ProcessTest, WaitWhileWindowExistsEndsWhenTheWindowCloses) {
  Start();
  g_ticks = 0;
  g_close_target = exe_;
  const UINT_PTR timer = SetTimer(nullptr, 0, 500, CloseTarget);
  WaitWhileWindowExists("WexlinProcessChild", "");
  KillTimer(nullptr, timer);
  EXPECT_EQ(FindWindowA("WexlinProcessChild", nullptr), nullptr);
  EXPECT_EQ(g_ticks, 1);
  EXPECT_EQ(ExitCode(), 7u);
  WaitWhileWindowExists("WexlinNoSuchClass", "");  // none: returns at once
}

INSTANTIATE_TEST_SUITE_P(BothEnumerations, ProcessTest,
                         ::testing::Values(ProcessSearch::ProcessStatus, ProcessSearch::ToolHelp),
                         [](const auto& info) {
                           return info.param == ProcessSearch::ToolHelp ? "ToolHelp"
                                                                        : "ProcessStatus";
                         });

TEST(WaitForHandle, TimesOutServingMessagesAndKeepsAQuitForTheCaller) {
  OwnedHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  g_ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, CountTick);
  PostQuitMessage(3);
  EXPECT_EQ(WaitForHandlePumping(event.get(), 600), WaitEnd::TimedOut);
  KillTimer(nullptr, timer);
  EXPECT_GE(g_ticks, 3);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  SetEvent(event.get());
  EXPECT_EQ(WaitForHandlePumping(event.get(), INFINITE), WaitEnd::Signalled);
  EXPECT_EQ(WaitForHandlePumping(nullptr, 100), WaitEnd::Failed);
}
