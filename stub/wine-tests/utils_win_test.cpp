// Win32 side of the Utils unit, run under wine: registry and INI, the command line of a real
// child process, system names, DLL binding from the system folder, waits and window helpers.
#include "win/Utils.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Unique(const std::string& stem) {
  return stem + IntText(GetCurrentProcessId()) + "_" + IntText(GetTickCount());
}

// Folder that a module was mapped from, with its final backslash.
std::string ModuleFolder(HMODULE module) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(module, path, sizeof path);
  std::string p(path, n);
  return p.substr(0, p.rfind('\\') + 1);
}

// Runs the child program with the given command line (application name given separately, so
// the command line may name it any way) and returns what it wrote.
std::string RunChild(const std::string& exe, const std::string& command_line) {
  const std::string out = TempDir(true) + Unique("wexlin_child_") + ".txt";
  SetEnvironmentVariableA("WEXLIN_CHILD_OUT", out.c_str());
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string line = command_line;
  if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    ADD_FAILURE() << "CreateProcess " << exe << ": " << LastErrorText();
    return std::string();
  }
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u) << command_line;
  const std::string report = ReadFile(out);
  DeleteFileA(out.c_str());
  return report;
}

std::string ChildExe() { return ExeDir(true) + "utils_child.exe"; }

// --- Registry ---

class UtilsRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sub_key_ = "Software\\WexlinUtilsTest\\" + Unique("k");
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, sub_key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, sub_key_.c_str());
  }
  void Set(const char* name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }
  std::string sub_key_;
  HKEY key_ = nullptr;
};

TEST_F(UtilsRegistryTest, ReadsTextsNumbersAndDefaults) {
  Set("Text", REG_SZ, std::string("\xD5\xFD\xCC\xE1 ok\0", 8));  // GBK bytes stay as they are
  Set("AllBits", REG_DWORD, std::string(4, '\xFF'));
  Set("Seven", REG_DWORD, std::string("\x07\0\0\0", 4));
  Set("Binary", REG_BINARY, std::string("ab\0cd", 5));
  Set("", REG_SZ, std::string("default value\0", 14));
  Set("Long", REG_SZ, std::string(3000, 'x') + '\0');  // longer than the 2048-byte buffer
  const std::string path = "HKEY_CURRENT_USER\\" + sub_key_;
  EXPECT_EQ(RegReadText(path, "Text", "d"), "\xD5\xFD\xCC\xE1 ok");
  EXPECT_EQ(RegReadText(path, "AllBits", "d"), "4294967295");
  EXPECT_EQ(RegReadText(path, "Seven", "d"), "7");
  EXPECT_EQ(RegReadText(path, "Binary", "d"), "ab");
  EXPECT_EQ(RegReadText(path, "", "d"), "default value");
  EXPECT_EQ(RegReadText(path, "Long", "d"), "d");
  EXPECT_EQ(RegReadText(path, "Missing", "d"), "d");
  EXPECT_EQ(RegReadText(path + "\\NoSuchKey", "Text", "d"), "d");
  // Root names without regard to case; no root name means the current user.
  EXPECT_EQ(RegReadText("hkey_current_user\\" + sub_key_, "Seven", "d"), "7");
  EXPECT_EQ(RegReadText(sub_key_, "Seven", "d"), "7");
  EXPECT_EQ(RegReadText("HKLM\\" + sub_key_, "Seven", "d"), "d");  // HKLM is no root name
}

TEST(UtilsRegistry, MachineValuesAndOwner) {
  char program_files[MAX_PATH];
  ASSERT_GT(GetEnvironmentVariableA("ProgramFiles", program_files, sizeof program_files), 0u);
  EXPECT_TRUE(SameTextIC(
      RegReadText("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                  "ProgramFilesDir", ""),
      program_files));
  EXPECT_TRUE(IsWinNT());
  EXPECT_EQ(WindowsVersionKey(),
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
  HKEY root;
  std::string sub;
  SplitRegPath(WindowsVersionKey(), root, sub);
  EXPECT_EQ(root, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(RegRootFromName("HKEY_CLASSES_ROOT"), HKEY_CLASSES_ROOT);
  char owner[512];
  DWORD size = sizeof owner;
  const bool has_owner = RegGetValueA(HKEY_LOCAL_MACHINE, sub.c_str(), "RegisteredOwner",
                                      RRF_RT_REG_SZ, nullptr, owner, &size) == ERROR_SUCCESS;
  const bool blank = !has_owner || TrimText(owner).empty();
  EXPECT_EQ(OwnerUserName(), blank ? LoggedUserName() : TrimText(owner));
}

// --- INI files ---

class UtilsIniTest : public ::testing::Test {
 protected:
  void TearDown() override { DeleteFileA(file_.c_str()); }
  std::string file_ = TempDir(true) + Unique("wexlin_ini_") + ".ini";
};

TEST_F(UtilsIniTest, WritesAndReadsBack) {
  EXPECT_EQ(IniReadText(file_, "AutoUpdate", "URL", "none"), "none");  // no file yet
  ASSERT_TRUE(IniWriteText(file_, "AutoUpdate", "URL", "http://127.0.0.1/u.info"));
  ASSERT_TRUE(IniWriteText(file_, "MsgBox", "s1", "\xD5\xFD\xCC\xE1\xC8\xA1"));
  ASSERT_TRUE(IniWriteInt(file_, "AutoUpdate", "ProbeSecondsLast", 3000000000123LL));
  ASSERT_TRUE(IniWriteText(file_, "AutoUpdate", "Bad", "12x"));
  EXPECT_EQ(IniReadText(file_, "autoupdate", "url", "none"), "http://127.0.0.1/u.info");
  EXPECT_EQ(IniReadText(file_, "MsgBox", "s1", ""), "\xD5\xFD\xCC\xE1\xC8\xA1");
  EXPECT_EQ(IniReadText(file_, "MsgBox", "missing", "dflt"), "dflt");
  EXPECT_EQ(IniReadInt(file_, "AutoUpdate", "ProbeSecondsLast", -1), 3000000000123LL);
  EXPECT_EQ(IniReadInt(file_, "AutoUpdate", "Bad", -5), -5);
  EXPECT_EQ(IniReadInt(file_, "AutoUpdate", "Missing", -5), -5);
  EXPECT_FALSE(IniWriteText(TempDir(true) + Unique("no_such_dir_") + "\\x.ini", "S", "K", "V"));
}

TEST_F(UtilsIniTest, LongValueArrivesCut) {
  ASSERT_TRUE(IniWriteText(file_, "S", "K", std::string(12000, 'v')));
  const std::string value = IniReadText(file_, "S", "K", "");
  EXPECT_EQ(value, std::string(10240, 'v'));
}

// --- Command line of a real process ---

class UtilsChildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A copy of the child in a folder whose name has a blank, as under "Program Files", and
    // ends in a GBK character whose second byte is a backslash (0xB1 0x5C).
    folder_ = TempDir(true) + Unique("wexlin utils ") + "\xD5\xFD\xB1\\";
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    copy_ = folder_ + "\\utils child.exe";
    ASSERT_TRUE(CopyFileA(ChildExe().c_str(), copy_.c_str(), FALSE)) << LastErrorText();
  }
  void TearDown() override {
    DeleteFileA(copy_.c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  std::string folder_, copy_;
};

TEST_F(UtilsChildTest, CommandTailAndSwitches) {
  EXPECT_EQ(RunChild(copy_, "\"" + copy_ + "\" /WAIT=3 /HIDE /P=\"C:\\my dir\\sub dir\""),
            "/WAIT=3 /HIDE /P=\"C:\\my dir\\sub dir\nC:\\my dir\\sub dir\n3\nhide\n" + folder_ +
                "\n");
  // Started by a relative name: the program name still does not reach the tail.
  EXPECT_EQ(RunChild(copy_, "\"utils child.exe\" /WAIT= 5 /P=x"),
            "/WAIT= 5 /P=x\nx\n-1\n-\n" + folder_ + "\n");
  EXPECT_EQ(RunChild(copy_, "\"" + copy_ + "\""), "\n\n-1\n-\n" + folder_ + "\n");
  // A starter that passes the arguments alone: none of them is taken for the program.
  EXPECT_EQ(RunChild(copy_, "/WAIT=4 /hide"), "/WAIT=4 /hide\n\n4\nhide\n" + folder_ + "\n");
}

TEST_F(UtilsChildTest, ShellOpenStartsAProgram) {
  const std::string out = TempDir(true) + Unique("wexlin_shell_") + ".txt";
  SetEnvironmentVariableA("WEXLIN_CHILD_OUT", out.c_str());
  ASSERT_TRUE(ShellOpen(copy_, "/WAIT=9", SW_HIDE));
  std::string report;
  for (int i = 0; i < 200 && report.empty(); ++i) {
    Sleep(50);
    report = ReadFile(out);
  }
  Sleep(100);  // let the child close the file
  EXPECT_EQ(ReadFile(out), "/WAIT=9\n\n9\n-\n" + folder_ + "\n");
  DeleteFileA(out.c_str());
  EXPECT_FALSE(ShellOpen(folder_ + "\\missing.exe", "", SW_HIDE));
}

// --- Names, folders, texts ---

TEST(UtilsSystem, NamesAndFolders) {
  char env[256];
  ASSERT_GT(GetEnvironmentVariableA("USERNAME", env, sizeof env), 0u);
  EXPECT_TRUE(SameTextIC(LoggedUserName(), env)) << LoggedUserName();
  ASSERT_GT(GetEnvironmentVariableA("COMPUTERNAME", env, sizeof env), 0u);
  EXPECT_TRUE(SameTextIC(ComputerName(), env)) << ComputerName();
  EXPECT_FALSE(CurrentDomainName().empty());
  EXPECT_EQ(AccountDomain("no such account 7f3a9"), "");

  EXPECT_TRUE(EndsWithText("\\utils_win_test.exe", ExeFileName(), true)) << ExeFileName();
  EXPECT_EQ(ExeDir(true) + "utils_win_test.exe", ExeFileName());
  EXPECT_EQ(ExeDir(false) + "\\", ExeDir(true));
  for (const std::string& dir : {WindowsDir(false), SystemDir(false), TempDir(false)}) {
    EXPECT_NE(dir.back(), '\\') << dir;
    const DWORD attributes = GetFileAttributesA(dir.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << dir;
  }
  EXPECT_EQ(SystemDir(true), SystemDir(false) + "\\");
  EXPECT_EQ(GetACP(), 936u);  // the test bed runs with the Chinese code page
  EXPECT_TRUE(IsLeadByte(0xB1));
  EXPECT_FALSE(IsLeadByte('\\'));
  InstallSystemLeadByteRule();
  EXPECT_EQ(CurrentLeadByteTest(), &IsLeadByte);
  EXPECT_EQ(UpperText("a\xB1" "a"), "A\xB1" "a");
  EXPECT_EQ(FixTrailingBackslash("C:\\\xB1\\", false), "C:\\\xB1\\");
  EXPECT_EQ(CollapseBackslashes("C:\\\\\xB1\\\\\\x", true), "C:\\\xB1\\\\x");
}

TEST(UtilsSystem, TextsOfTheSystem) {
  const std::string text = LastErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(text.empty());
  EXPECT_GT(static_cast<unsigned char>(text.back()), 32);
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(LastErrorText(), LastErrorText(ERROR_ACCESS_DENIED));

  DateTimeValue when;
  when.year = 2006, when.month = 3, when.day = 1, when.hour = 8, when.minute = 50,
  when.second = 34;
  const std::string stamp = DateTimeText(when);
  ASSERT_EQ(stamp.size(), 21u) << stamp;
  EXPECT_EQ(ReplaceAll(stamp, std::string(1, stamp[15]), ":"), "01-MAR-2006  08:50:34");
  const DateTimeValue now = LocalNow();
  EXPECT_GE(now.year, 2020);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);

  EXPECT_EQ(SystemColorValue(static_cast<std::int32_t>(0x8000000F)), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(SystemColorValue(0x123456), 0x123456u);
  const int dpi = GetDeviceCaps(GetDC(nullptr), LOGPIXELSY);
  EXPECT_EQ(PointsToPixels(72), dpi);
  EXPECT_EQ(PointsToPixels(0), 0);

  SetAutoPlayCancel(true);
  EXPECT_EQ(AutoPlayCancelMessage(), RegisterWindowMessageA("QueryCancelAutoPlay"));
  EXPECT_GE(AutoPlayCancelMessage(), 0xC000u);
  SetAutoPlayCancel(false);
  EXPECT_EQ(AutoPlayCancelMessage(), 0u);
}

// --- Binding system DLLs ---

TEST(UtilsDll, BindProcTakesTheSystemCopyNotThePlantedOne) {
  // shfolder.dll is not a KnownDLL: a load by bare name would look beside the program first.
  const std::string planted = ExeDir(true) + "shfolder.dll";
  ASSERT_NE(GetFileAttributesA(planted.c_str()), INVALID_FILE_ATTRIBUTES) << planted;
  ASSERT_EQ(GetModuleHandleA("shfolder.dll"), nullptr);
  EXPECT_EQ(BindProc("shfolder.dll", "PlantedMarker"), nullptr);
  const FARPROC real = BindProc("shfolder.dll", "SHGetFolderPathA");
  ASSERT_NE(real, nullptr);
  HMODULE owner = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                     GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 reinterpret_cast<LPCSTR>(reinterpret_cast<void*>(real)), &owner));
  EXPECT_TRUE(SameTextIC(ModuleFolder(owner), SystemDir(true))) << ModuleFolder(owner);

  // The older systems' way also maps a module from the system folder.
  HMODULE by_path = LoadSystemLibraryByPath("shfolder.dll");
  ASSERT_NE(by_path, nullptr);
  EXPECT_EQ(GetProcAddress(by_path, "PlantedMarker"), nullptr);
  EXPECT_TRUE(SameTextIC(ModuleFolder(by_path), SystemDir(true))) << ModuleFolder(by_path);
  EXPECT_EQ(LoadSystemLibraryByPath("..\\shfolder.dll"), nullptr);

  EXPECT_EQ(BindProc("shfolder.dll", "NoSuchFunction"), nullptr);
  EXPECT_EQ(BindProc("no_such_library_7f3a.dll", "X"), nullptr);
  // Only bare names: a path could point anywhere.
  EXPECT_EQ(LoadSystemLibrary(planted), nullptr);
  EXPECT_EQ(LoadSystemLibrary("..\\shfolder.dll"), nullptr);
  EXPECT_NE(BindProcAs<DWORD(WINAPI*)()>("kernel32.dll", "GetCurrentProcessId"), nullptr);
}

TEST(UtilsDll, PlainLoadTakesThePlantRestrictedSearchDoesNot) {
  // The fault being guarded against, shown in a fresh process: a load by bare name takes the
  // planted copy. After RestrictDllSearch the same load takes the system's. Wine prefers its
  // own builtin DLLs to a file beside the program unless told to search as Windows does.
  char saved[512] = "";
  const bool had = GetEnvironmentVariableA("WINEDLLOVERRIDES", saved, sizeof saved) > 0;
  SetEnvironmentVariableA("WINEDLLOVERRIDES", "mscoree,mshtml=;shfolder=n,b");
  EXPECT_EQ(RunChild(ChildExe(), "utils_child.exe /PlainLoad"), "planted");
  EXPECT_EQ(RunChild(ChildExe(), "utils_child.exe /RestrictedLoad"), "restricted system");
  EXPECT_EQ(RunChild(ChildExe(), "utils_child.exe /ByPathLoad"), "system");
  SetEnvironmentVariableA("WINEDLLOVERRIDES", had ? saved : nullptr);
}

// --- Waiting and windows ---

struct CountingWindow {
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_APP + 1) ++count;
    return DefWindowProcA(w, m, wp, lp);
  }
  static int count;
};
int CountingWindow::count = 0;

HWND MakeWindow(const char* class_name, HWND parent, DWORD style) {
  return CreateWindowExA(0, class_name, "", style, 0, 0, 200, 40, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TEST(UtilsWait, PumpingServesTheQueueAndKeepsQuit) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = CountingWindow::Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "WexlinUtilsCounting";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND window = MakeWindow(wc.lpszClassName, nullptr, WS_OVERLAPPED);
  ASSERT_NE(window, nullptr);
  CountingWindow::count = 0;
  PostMessageA(window, WM_APP + 1, 0, 0);
  PostMessageA(window, WM_APP + 1, 0, 0);
  const DWORD t0 = GetTickCount();
  WaitPumping(60, 0);
  EXPECT_GE(GetTickCount() - t0, 60u);
  EXPECT_EQ(CountingWindow::count, 2);

  PostMessageA(window, WM_APP + 1, 0, 0);
  PostQuitMessage(7);
  PumpMessages(0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // still there
  EXPECT_EQ(msg.wParam, 7u);
  DestroyWindow(window);
  UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

TEST(UtilsWindow, StatusTextStylesFontAndText) {
  HWND parent = MakeWindow("STATIC", nullptr, WS_OVERLAPPED);
  ASSERT_NE(parent, nullptr);
  HWND status = MakeWindow("STATIC", parent, WS_CHILD);
  ASSERT_NE(status, nullptr);

  FontOwner font;
  SetStatusText(status, font, "\xD5\xFD\xCC\xE1\xC8\xA1\xCE\xC4\xBC\xFE...", "Tahoma", 9, 178);
  EXPECT_EQ(WindowText(status), "\xD5\xFD\xCC\xE1\xC8\xA1\xCE\xC4\xBC\xFE...");
  EXPECT_TRUE(GetWindowLongA(status, GWL_EXSTYLE) & WS_EX_RTLREADING);
  const LONG rtl_style = GetWindowLongA(status, GWL_STYLE);
  EXPECT_EQ(rtl_style & (WS_CHILD | WS_VISIBLE | SS_RIGHT), WS_CHILD | WS_VISIBLE | SS_RIGHT);
  HFONT first = reinterpret_cast<HFONT>(SendMessageA(status, WM_GETFONT, 0, 0));
  ASSERT_NE(first, nullptr);
  LOGFONTA lf = {};
  ASSERT_EQ(GetObjectA(first, sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfHeight, -PointsToPixels(9));
  EXPECT_EQ(lf.lfCharSet, 178);
  EXPECT_STREQ(lf.lfFaceName, "Tahoma");

  SetStatusText(status, font, "ok", "Arial", 12, 0);
  EXPECT_EQ(WindowText(status), "ok");
  EXPECT_EQ(GetWindowLongA(status, GWL_EXSTYLE) & WS_EX_RTLREADING, 0);
  EXPECT_EQ(GetWindowLongA(status, GWL_STYLE) & SS_RIGHT, 0);
  HFONT second = reinterpret_cast<HFONT>(SendMessageA(status, WM_GETFONT, 0, 0));
  EXPECT_NE(second, first);
  EXPECT_EQ(GetObjectType(first), 0u);  // the replaced font was deleted
  font.reset();
  EXPECT_EQ(GetObjectType(second), 0u);
  EXPECT_EQ(WindowText(nullptr), "");
  DestroyWindow(parent);
}

}  // namespace
