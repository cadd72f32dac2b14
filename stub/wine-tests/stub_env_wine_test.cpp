// Under wine: the standard folders through the shell functions bound at run time, the folder
// macros with this computer's values, and the self-deleting batch deleting a copy that was still
// running when it started.
#include <gtest/gtest.h>

#include "app/StubGlob.h"
#include "rules/SelfDeleteBatch.h"
#include "rules/ShellDirRules.h"
#include "win/Files.h"
#include "win/Global.h"
#include "win/SelfDelete.h"
#include "win/ShellDir.h"
#include "win/Utils.h"
#include "wine_process.h"

namespace {

TEST(ShellDir, BoundFunctionsGiveTheProfileFolders) {
  const std::string documents = MyDocumentsDir(false);
  ASSERT_FALSE(documents.empty());
  EXPECT_TRUE(FolderExists(documents)) << documents;
  EXPECT_EQ(FolderPath(kCsidlPersonal), SpecialFolderPath(kCsidlPersonal));  // both bound
  EXPECT_EQ(UserDir(false), ParentFolder(documents));
  EXPECT_EQ(DocumentsAndSettingsDir(false), ParentFolder(UserDir(false)));
  EXPECT_EQ(UserAppDataDir(false), FolderPath(kCsidlAppData));
  EXPECT_EQ(MyDocumentsDir(true), documents + "\\");
  const std::string all[] = {
      DocumentsAndSettingsDir(false), UserDir(false),        AllUsersDir(false),
      UserAppDataDir(false),          AllUsersAppDataDir(false), AllUsersDocumentsDir(false),
      UserStartMenuDir(false),        UserDesktopDir(false),
  };
  for (const std::string& folder : all) {
    EXPECT_TRUE(FolderExists(folder)) << folder;
    EXPECT_NE(folder.back(), '\\') << folder;
  }
  EXPECT_FALSE(FolderExists(""));
  EXPECT_FALSE(FolderExists(documents + "\\no such folder"));
  EXPECT_EQ(FolderPath(0x7ffe), "");  // an id the shell does not know
}

TEST(Global, MacrosWithThisComputersValues) {
  SetInstallFolders("C:\\Apps\\Tolvane", "C:\\Common", "");
  EXPECT_EQ(ExpandMacros("<InstallDir>\\app.exe", "\\", true, true), "C:\\Apps\\Tolvane\\app.exe");
  EXPECT_EQ(ExpandMacros("<InstallDir>app.exe", "\\", true, true), "C:\\Apps\\Tolvane\\app.exe");
  EXPECT_EQ(ExpandMacros("<InstallDir>..\\x.exe", "\\", true, true), "C:\\Apps\\x.exe");
  EXPECT_EQ(ExpandMacros("|<WinDir>|<WinSysDir>|", "\\", true, true),
            "|" + WindowsDir(false) + "|" + SystemDir(false) + "|");
  EXPECT_EQ(ExpandMacros("<SrcDir>", "\\", true, true), ExeDir(false));
  EXPECT_EQ(ExpandMacros("<OriginDir>", "\\", true, true), ExeDir(false));  // no /OriginExe=
  EXPECT_EQ(ExpandMacros("<UserAppDataDir>", "\\", true, true), UserAppDataDir(false));
  // No registered owner under wine: the log-on name.
  EXPECT_EQ(ExpandMacros("<UserName>", "\\", true, true), LoggedUserName());
  EXPECT_FALSE(LoggedUserName().empty());
  EXPECT_TRUE(FolderExists(ExpandMacros("<FontDir>", "\\", true, true)));
  EXPECT_TRUE(FolderExists(ExpandMacros("<WinSys16Dir>", "\\", true, true)));
  const std::string system16 = System16Dir(false);
  if (FolderExists(WindowsDir(true) + "system")) {
    EXPECT_TRUE(SameTextIC(system16, WindowsDir(true) + "system")) << system16;
  }

  SYSTEMTIME before{}, after{};
  GetLocalTime(&before);
  const std::string date = ExpandMacros("<Date=6>", "\\", false, true);
  GetLocalTime(&after);
  auto iso = [](const SYSTEMTIME& t) {
    return ZeroPad(t.wYear, 4) + "-" + ZeroPad(t.wMonth, 2) + "-" + ZeroPad(t.wDay, 2);
  };
  EXPECT_TRUE(date == iso(before) || date == iso(after)) << date;
  EXPECT_EQ(ExpandMacros("<Date=9>", "\\", false, true), "<Date=9>");
  SetInstallFolders("", "", "");
}

// A copy of the test application, still running when its batch starts.
class SelfDeleteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = CreateOwnFolder(TempDir(true) + "self delete 100%");
    ASSERT_FALSE(folder_.empty());
    copy_ = folder_ + "\\X_test app.exe";
    ASSERT_TRUE(CopyFileA((ExeDir(true) + "WexlinTestApp.exe").c_str(), copy_.c_str(), FALSE));
    batch_ = TempDir(true) + SelfDeleteBatchName(GetCurrentProcessId());
    log_ = TempDir(true) + "self-delete-app.log";
  }
  void TearDown() override {
    app_.Kill();
    DeleteFileA(batch_.c_str());
    DeleteFileA(log_.c_str());
    RemoveOwnFolder(folder_, true);
  }
  // Starts the copy; it exits by itself after two seconds and holds its file until then.
  void StartCopy() {
    app_ = ChildProcess(copy_, "/Log=\"" + log_ + "\" /ExitAfter=2000");
    ASSERT_TRUE(app_.Started());
    ASSERT_NE(WaitForWindow("WexlinTestApp", 10000, app_.Id()), nullptr);
    ASSERT_FALSE(DeleteFileA(copy_.c_str())) << "the copy must be locked while it runs";
  }
  // Waits until the path is gone; false after the time.
  static bool Vanishes(const std::string& path, DWORD milliseconds) {
    const DWORD t0 = GetTickCount();
    while (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
      if (GetTickCount() - t0 > milliseconds) return false;
      Sleep(200);
    }
    return true;
  }

  std::string folder_, copy_, batch_, log_;
  ChildProcess app_;
};

TEST_F(SelfDeleteTest, DeletesTheCopyOnceItEndsThenItselfAndNothingElse) {
  const std::string keep = folder_ + "\\keep.txt";
  ASSERT_TRUE(WriteFileData(keep, "keep", 0, WriteMode::Create));
  StartCopy();
  ASSERT_TRUE(WriteAndStartSelfDeleteBatch(copy_, true, false));
  EXPECT_TRUE(FileExists(batch_));
  EXPECT_TRUE(Vanishes(copy_, 30000));
  EXPECT_TRUE(app_.WaitEnd(0)) << "deleted only after the copy ended";
  EXPECT_TRUE(Vanishes(batch_, 10000));
  EXPECT_TRUE(FileExists(keep));  // the folder is not empty: RD leaves it
  EXPECT_NE(ReadFilePart(log_, 0, 0).find("how=timer"), std::string::npos) << "ended by itself";
}

TEST_F(SelfDeleteTest, RemovesTheEmptiedFolderWithShortNames) {
  StartCopy();
  ASSERT_TRUE(WriteAndStartSelfDeleteBatch(copy_, true, true));
  const std::string text = ReadFilePart(batch_, 0, 0);
  EXPECT_EQ(text.find("X_test app"), std::string::npos) << "short names expected: " << text;
  EXPECT_TRUE(Vanishes(copy_, 30000));
  EXPECT_TRUE(Vanishes(folder_, 10000));  // emptied by the batch, then removed
  EXPECT_TRUE(Vanishes(batch_, 10000));
}

TEST_F(SelfDeleteTest, RefusesAProgramThatIsNoCopy) {
  const std::string program = folder_ + "\\WexlinStub.exe";
  ASSERT_TRUE(CopyFileA(copy_.c_str(), program.c_str(), FALSE));
  EXPECT_FALSE(WriteAndStartSelfDeleteBatch(program, false, false));
  EXPECT_FALSE(FileExists(batch_));
  Sleep(1500);
  EXPECT_TRUE(FileExists(program));
}

}  // namespace
