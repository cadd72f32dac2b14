// Under wine: the test application answers each shut-down method of the process control as its
// mode says, and logs its start and (when it ends by itself) its stop.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/StubGlob.h"
#include "win/Files.h"
#include "win/Process.h"
#include "win/Utils.h"
#include "wine_process.h"

namespace {

class TestAppTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = CreateOwnFolder(TempDir(true) + "test app folder");
    exe_ = folder_ + "\\Wexlin Test App.exe";
    CopyFileA((ExeDir(true) + "WexlinTestApp.exe").c_str(), exe_.c_str(), FALSE);
  }
  static void TearDownTestSuite() { RemoveOwnFolder(folder_, true); }
  void SetUp() override {
    ASSERT_TRUE(FileExists(exe_));
    log_ = folder_ + "\\app.log";
    DeleteFileA(log_.c_str());
  }

  // Starts the application and waits for its windows.
  void Start(const std::string& mode) {
    app_ = ChildProcess(exe_, "/Log=\"" + log_ + "\" /Mode=" + mode);
    ASSERT_TRUE(app_.Started());
    ASSERT_NE(WaitForWindow("WexlinTestApp", 10000, app_.Id()), nullptr);
    Sleep(200);  // the dialog follows the main window
  }
  std::string Log() const {
    std::ifstream in(log_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string Pid() const { return std::to_string(app_.Id()); }

  static std::string folder_, exe_;
  std::string log_;
  ChildProcess app_;
};
std::string TestAppTest::folder_, TestAppTest::exe_;

TEST_F(TestAppTest, MainWindowIsTheCaptionedOneAndNotItsDialog) {
  Start("Close");
  HWND main = FindMainWindow(exe_, true);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WindowText(main), "Wexlin Test Application");
  HWND dialog = FindWindowA(nullptr, "Test dialog");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TopOwner(dialog), main);
  EXPECT_NE(Log().find("start pid=" + Pid() + " dir="), std::string::npos) << Log();
  EXPECT_NE(Log().find("args=/Log="), std::string::npos) << Log();
}

TEST_F(TestAppTest, CloseModeEndsOnClose) {
  Start("Close");
  EXPECT_TRUE(CloseProgram(exe_, true));
  ASSERT_TRUE(app_.WaitEnd(10000));
  EXPECT_EQ(app_.ExitCode(), 0);
  EXPECT_NE(Log().find("stop pid=" + Pid() + " how=close code=0"), std::string::npos) << Log();
}

TEST_F(TestAppTest, QuitOnlyModeIgnoresCloseAndEndsOnQuit) {
  Start("QuitOnly");
  EXPECT_TRUE(CloseProgram(exe_, true));
  EXPECT_FALSE(app_.WaitEnd(1500));
  EXPECT_TRUE(IsProcessRunning(exe_));
  EXPECT_TRUE(QuitProgram(exe_, true));
  ASSERT_TRUE(app_.WaitEnd(10000));
  EXPECT_EQ(app_.ExitCode(), 15);
  EXPECT_NE(Log().find("stop pid=" + Pid() + " how=quit code=15"), std::string::npos) << Log();
}

TEST_F(TestAppTest, IgnoreModeEndsOnlyWhenTerminated) {
  Start("Ignore");
  EXPECT_TRUE(CloseProgram(exe_, true));
  EXPECT_TRUE(QuitProgram(exe_, true));
  EXPECT_FALSE(app_.WaitEnd(1500));
  EXPECT_TRUE(TerminateProgram(exe_, true));
  ASSERT_TRUE(app_.WaitEnd(10000));
  EXPECT_FALSE(IsProcessRunning(exe_));
  EXPECT_EQ(Log().find("stop pid="), std::string::npos) << "a terminated program logs no stop";
}

TEST_F(TestAppTest, ExitAfterEndsEvenAProgramThatIgnoresEverything) {
  app_ = ChildProcess(exe_, "/Log=\"" + log_ + "\" /Mode=Ignore /ExitAfter=500");
  ASSERT_TRUE(app_.WaitEnd(10000));
  EXPECT_EQ(app_.ExitCode(), 3);
  EXPECT_NE(Log().find("how=timer code=3"), std::string::npos) << Log();
}

}  // namespace
