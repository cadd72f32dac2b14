// Under wine: the sample setup program started the way the stub starts it (the launch line of
// LaunchCommand, the success atom and the start and waits of SetupRun), from an extraction
// folder whose path has blanks.
#include <gtest/gtest.h>

#include "app/SetupRun.h"
#include "app/StubGlob.h"
#include "rules/LaunchCommand.h"
#include "win/Files.h"
#include "win/Owners.h"
#include "win/Process.h"
#include "win/Utils.h"

namespace {

class SampleSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = CreateOwnFolder(TempDir(true) + "sample setup test");
    ASSERT_FALSE(root_.empty());
    extract_ = root_ + "\\SETUP_1";
    target_ = root_ + "\\Program Files\\Tolvane";
    ASSERT_TRUE(ForceFolders(extract_));
    ASSERT_TRUE(CopyFileA((ExeDir(true) + "SampleSetup.exe").c_str(),
                          (extract_ + "\\Setup.exe").c_str(), FALSE));
    ASSERT_TRUE(WriteFileData(extract_ + "\\a.txt", "alpha", 0, WriteMode::Create));
    ASSERT_TRUE(
        WriteFileData(extract_ + "\\man.3ds", std::string(70000, 'm'), 0, WriteMode::Create));
    token_ = ThreadToken(GetCurrentThreadId());
  }
  void TearDown() override { RemoveOwnFolder(root_, true); }

  // Runs the setup as the stub would: atom, start, and with wait_for_setup the stub's whole
  // wait (process, dialog window, one second); else only the process is waited for. Returns
  // the exit code; succeeded_ tells whether the setup deleted the atom.
  DWORD Run(const std::string& extra_text, bool wait_for_setup = false) {
    const SetupProgram program = SplitSetupEntry("Setup.exe*" + extra_text, "", NoLeadBytes);
    const LaunchLine launch =
        SetupLaunchLine(SetupProgramPath(extract_, program.name, NoLeadBytes), program.command_text,
                        token_, "C:\\My Setups\\Tolvane Setup.exe", false);
    command_line_ = launch.command_line;
    // A leftover reference of the atom (an earlier run's) must not hide a success.
    GlobalAddAtomA(SuccessAtomName(token_).c_str());
    SuccessAtom atom(SuccessAtomName(token_));
    EXPECT_TRUE(atom.Added());
    ProcessTree tree;
    OwnedHandle process;
    DWORD error = 0;
    if (!StartSetupProgram(launch, false, &tree, &process, &error)) {
      ADD_FAILURE() << "cannot start " << launch.program_path << ": " << LastErrorText(error);
      return DWORD(-1);
    }
    if (wait_for_setup)
      EXPECT_TRUE(WaitForSetup(process.get(), tree, token_));
    else
      EXPECT_EQ(WaitForHandlePumping(process.get(), 60000), WaitEnd::Signalled);
    DWORD code = DWORD(-1);
    GetExitCodeProcess(process.get(), &code);
    succeeded_ = atom.Removed();
    return code;
  }
  // Paths on the setup's command line with "*" for blanks, as the stub writes /OriginExe.
  static std::string Starred(const std::string& path) { return ReplaceAll(path, " ", "*"); }
  std::string TargetAndLog() const {
    return "/Target=" + Starred(target_) + " /Log=" + Starred(root_ + "\\setup.log");
  }
  std::string LogLines() const { return ReadFilePart(root_ + "\\setup.log", 0, 0); }
  std::string FirstLogLine() const {
    const std::string log = LogLines();
    return log.substr(0, log.find("\r\n"));
  }
  bool AtomGone() const { return GlobalFindAtomA(SuccessAtomName(token_).c_str()) == 0; }

  std::string root_, extract_, target_, token_, command_line_;
  bool succeeded_ = false;
};

}  // namespace

TEST_F(SampleSetupTest, CopiesTheFolderLogsItsCommandLineAndDeletesTheAtom) {
  EXPECT_EQ(Run(TargetAndLog()), 0u);
  EXPECT_EQ(FirstLogLine(), command_line_);
  EXPECT_NE(command_line_.find("\"" + extract_ + "\\Setup.exe\" /Target="), std::string::npos);
  EXPECT_NE(
      command_line_.find(" /TH_ID=" + token_ + " /OriginExe=C:\\My*Setups\\Tolvane*Setup.exe"),
      std::string::npos);
  EXPECT_EQ(ReadFilePart(target_ + "\\a.txt", 0, 0), "alpha");
  EXPECT_EQ(FileSizeOf(target_ + "\\man.3ds"), 70000u);
  EXPECT_FALSE(FileExists(target_ + "\\Setup.exe"));  // not itself
  EXPECT_TRUE(succeeded_);
  EXPECT_TRUE(AtomGone());  // and the launch left none behind
  EXPECT_NE(LogLines().find("Result=ok"), std::string::npos);
}

TEST_F(SampleSetupTest, QuotedTargetAndTheLogInItsOwnFolderIsNotCopied) {
  const std::string log = extract_ + "\\setup.log";
  EXPECT_EQ(Run("/Target=\"" + target_ + "\" /Log=\"" + log + "\""), 0u);
  EXPECT_TRUE(FileExists(target_ + "\\a.txt"));
  EXPECT_FALSE(FileExists(target_ + "\\setup.log"));
  EXPECT_EQ(ReadFilePart(log, 0, 0).substr(0, command_line_.size()), command_line_);
}

TEST_F(SampleSetupTest, FailSwitchLeavesTheAtomAndCopiesNothing) {
  EXPECT_EQ(Run("/Fail " + TargetAndLog()), 1u);
  EXPECT_FALSE(succeeded_);
  EXPECT_TRUE(AtomGone());  // deleted by the launch in any case
  EXPECT_FALSE(FolderExists(target_));
  EXPECT_EQ(FirstLogLine(), command_line_);
}

TEST_F(SampleSetupTest, DialogWindowOutlivesTheProcessUntilItCloses) {
  const std::string dialog_class = SetupDialogClass(token_);
  EXPECT_EQ(Run("/DialogAfterExit=1500 " + TargetAndLog()), 0u);
  // The setup process has ended, its dialog window is still there: a stub must keep waiting.
  EXPECT_NE(FindWindowA(dialog_class.c_str(), nullptr), nullptr);
  EXPECT_TRUE(succeeded_);
  WaitWhileWindowExists(dialog_class, "");
  EXPECT_EQ(FindWindowA(dialog_class.c_str(), nullptr), nullptr);
  WaitPumping(500, 0);  // the helper ends right after its window
}

TEST_F(SampleSetupTest, TheStubsWaitCoversTheDialogAfterTheProcess) {
  const std::string dialog_class = SetupDialogClass(token_);
  const DWORD t0 = GetTickCount();
  EXPECT_EQ(Run("/DialogAfterExit=1500 " + TargetAndLog(), true), 0u);
  EXPECT_GE(GetTickCount() - t0, 1500u);
  EXPECT_EQ(FindWindowA(dialog_class.c_str(), nullptr), nullptr);
  EXPECT_TRUE(succeeded_);
}

TEST_F(SampleSetupTest, AMissingProgramIsAStartFailure) {
  LaunchLine launch = SetupLaunchLine(extract_ + "\\Missing.exe", "", token_, "C:\\s.exe", false);
  ProcessTree tree;
  OwnedHandle process;
  DWORD error = 0;
  EXPECT_FALSE(StartSetupProgram(launch, true, &tree, &process, &error));
  EXPECT_EQ(error, DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(process);
}

TEST_F(SampleSetupTest, DialogInItsOwnProcessAndSleep) {
  const DWORD t0 = GetTickCount();
  EXPECT_EQ(Run("/Sleep=300 /Dialog=300 " + TargetAndLog()), 0u);
  EXPECT_GE(GetTickCount() - t0, 600u);
  EXPECT_NE(LogLines().find("Dialog=shown"), std::string::npos);
  EXPECT_TRUE(succeeded_);
}

TEST_F(SampleSetupTest, DefaultLogIsInTheTemporaryFolder) {
  const std::string log = TempDir(true) + "WexlinSampleSetup.log";
  DeleteFileA(log.c_str());
  EXPECT_EQ(Run("/Fail"), 1u);
  const std::string text = ReadFilePart(log, 0, 0);
  EXPECT_EQ(text.substr(0, text.find("\r\n")), command_line_);
  DeleteFileA(log.c_str());
}

TEST_F(SampleSetupTest, AnInstalledSettingsFileKeepsTheAgentsBookkeeping) {
  const std::string installed = target_ + "\\T.original";
  ASSERT_TRUE(ForceFolders(target_));
  ASSERT_TRUE(WriteFileData(installed,
                            "[OriginalSetup]\r\nVersionOriginal=1\r\nStamp=7\r\n"
                            "ProbeSecondsLast=3900000000\r\n__ProbeSecondsLast=08-APR-2006\r\n"
                            "ReAskSecondsLast=3900000001\r\nProbeSecondsInterval=86400\r\n"
                            "[AutoUpdate]\r\ns16=old\r\n",
                            0, WriteMode::Create));
  ASSERT_TRUE(WriteFileData(extract_ + "\\T.original",
                            "[OriginalSetup]\r\nVersionOriginal=2\r\nProbeSecondsInterval=0\r\n"
                            "[AutoUpdate]\r\ns16=new\r\n",
                            0, WriteMode::Create));
  EXPECT_EQ(Run(TargetAndLog()), 0u);
  auto value = [&](const char* section, const char* key) {
    char text[64] = "";
    GetPrivateProfileStringA(section, key, "", text, sizeof text, installed.c_str());
    return std::string(text);
  };
  EXPECT_EQ(value("OriginalSetup", "VersionOriginal"), "2");
  EXPECT_EQ(value("OriginalSetup", "ProbeSecondsInterval"), "0");
  EXPECT_EQ(value("AutoUpdate", "s16"), "new");
  EXPECT_EQ(value("OriginalSetup", "Stamp"), "7");
  EXPECT_EQ(value("OriginalSetup", "ProbeSecondsLast"), "3900000000");
  EXPECT_EQ(value("OriginalSetup", "__ProbeSecondsLast"), "08-APR-2006");
  EXPECT_EQ(value("OriginalSetup", "ReAskSecondsLast"), "3900000001");
  // A key the old file lacked is not invented.
  EXPECT_EQ(value("OriginalSetup", "__ReAskSecondsLast"), "");
}
