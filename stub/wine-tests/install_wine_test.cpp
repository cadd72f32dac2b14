// Under wine, end to end: setups made by the builder around the real WexlinStub with the sample
// setup program as their "*" entry. The stub extracts, starts the sample setup (which copies
// the files into a target folder and logs its command line), waits and cleans up; its trace
// goes to trace-viewer, its boxes are read and answered through the box driver.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "ArchiveWriter.h"
#include "BoxDriver.h"
#include "format/ArchiveFormat.h"
#include "format/GFileInfo.h"
#include "rules/RunMode.h"
#include "stub_run_support.h"
#include "wine_process.h"

namespace {

std::string g_stub, g_sample;  // wine paths

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  std::uint32_t x = 12345;
  for (char& c : s) {
    x = x * 1103515245 + 12345;
    c = char(x >> 23);
  }
  return s;
}

// One installation: a folder holding the setup, its target and the sample setup's log.
class Install {
 public:
  explicit Install(const std::string& name, const std::string& exe_name = "Setup.exe")
      : dir_(name), viewer_(SharedViewer()) {
    viewer_.Clear();
    exe = dir_.path() + exe_name;
    target = dir_.path() + "target";
    log = dir_.path() + "setup.log";
  }

  // Setup.exe* (the sample, copying to target and logging), a.txt and a 300 KB file.
  pack::PackOptions Options(const std::string& extra_args = "") const {
    pack::PackOptions o;
    o.stub_path = g_stub;
    o.seed = 7;
    pack::PackEntry setup;
    setup.name = "Setup.exe";
    setup.path = g_sample;
    setup.is_setup = true;
    setup.setup_args = (extra_args.empty() ? "" : extra_args + " ") + "/Target=" + target +
                       " /Log=" + log;
    pack::PackEntry a;
    a.name = "a.txt";
    a.data = "alpha";
    pack::PackEntry b;
    b.name = "b.bin";
    b.data = Pattern(300000);
    o.entries = {setup, a, b};
    return o;
  }

  ChildProcess Start(const std::string& args = "") {
    EXPECT_TRUE(viewer_.Ready());
    ChildProcess stub(exe, args);
    EXPECT_TRUE(stub.Started());
    pid_ = stub.Id();
    return stub;
  }
  // Runs the stub to its end (no boxes expected).
  void Run(const std::string& args = "") {
    ChildProcess stub = Start(args);
    EXPECT_TRUE(stub.WaitEnd(90000)) << Trace();
  }

  bool Traced(const std::string& text) const { return viewer_.Has(pid_, text); }
  bool WaitTrace(const std::string& text, DWORD ms) const { return viewer_.WaitFor(pid_, text, ms); }
  std::string Trace() const { return ::testing::PrintToString(viewer_.LinesOf(pid_)); }
  // The text of the first trace line holding the marker, after it; "" when none.
  std::string TracedAfter(const std::string& marker) const {
    for (const std::string& line : viewer_.LinesOf(pid_)) {
      const std::size_t at = line.find(marker);
      if (at != std::string::npos) return line.substr(at + marker.size());
    }
    return std::string();
  }
  std::string ExtractionFolder() const { return TracedAfter(" SetupTempDir="); }
  std::string LaunchedCommandLine() const {
    const std::string line = TracedAfter(">>");
    return line.size() >= 2 ? line.substr(0, line.size() - 2) : line;
  }
  std::string FirstLogLine() const {
    const std::string text = ReadFile(log);
    return text.substr(0, text.find("\r\n"));
  }
  bool SetupStarted() const { return Exists(log); }

  // The stub's own checks after every run: its extraction folder is gone.
  void ExpectFolderRemoved() const {
    const std::string folder = ExtractionFolder();
    ASSERT_FALSE(folder.empty()) << Trace();
    EXPECT_FALSE(Exists(folder)) << folder;
  }

  std::string exe, target, log;

 private:
  TestDir dir_;
  // One viewer serves every run: starting and closing one per run costs seconds under wine.
  static TraceViewer& SharedViewer() {
    static TestDir dir("viewer");
    static TraceViewer viewer(dir.path(), "trace");
    return viewer;
  }
  TraceViewer& viewer_;
  DWORD pid_ = 0;
};

// Waits for the stub's box, checks that its text holds the part and presses the button.
box_driver::BoxInfo AnswerBox(const std::string& text_part, const std::string& button) {
  box_driver::BoxInfo info;
  const HWND box = box_driver::FindBox("WMsgBox", 30000);
  EXPECT_NE(box, nullptr) << "no box for " << text_part;
  if (!box) return info;
  info = box_driver::ReadBox(box, false);
  EXPECT_NE(info.text.find(text_part), std::string::npos) << info.text;
  const HWND pressed = box_driver::FindButton(info, button);
  EXPECT_NE(pressed, nullptr) << button;
  if (pressed) box_driver::PressButton(info, pressed, box_driver::PressWay::Command);
  return info;
}

// Runs a setup that must end in an error box holding text_part: answered, nothing started,
// the folder removed.
void ExpectRefused(Install& install, const std::string& text_part, const std::string& args = "") {
  ChildProcess stub = install.Start(args);
  const box_driver::BoxInfo info = AnswerBox(text_part, "&OK");
  EXPECT_EQ(info.caption, "Error");
  EXPECT_TRUE(stub.WaitEnd(30000)) << install.Trace();
  EXPECT_FALSE(install.SetupStarted());
  EXPECT_FALSE(install.Traced(">>"));
  install.ExpectFolderRemoved();
}

void PutTrailerU32(std::string& bytes, std::size_t field, std::uint32_t value) {
  archive::MemorySource src(bytes);
  const archive::ArchiveTrailer t = archive::ReadTrailer(src);
  const std::uint64_t end = archive::ArchiveEndOf(src);
  archive::PutU32(reinterpret_cast<std::uint8_t*>(&bytes[end - t.TrailerSize + field]), value);
}

// Recomputes and stores the checksum, so that a planted fault gets past it as a hostile or
// large (unsummed) archive would.
void RepairChecksum(std::string& bytes) {
  archive::MemorySource src(bytes);
  const archive::ArchiveTrailer t = archive::ReadTrailer(src);
  const archive::ChecksumResult sum = archive::ArchiveChecksum(src, t.TrailerSize);
  ASSERT_TRUE(sum.has_value());
  PutTrailerU32(bytes, archive::trailer::kChecksum, *sum);
}

// Volume 1 holds the stub, the sample setup and part of b.bin (300 KB that do not compress);
// the rest of b.bin goes to volume 2.
std::uint64_t SplittingVolumeSize() {
  return ReadFile(g_stub).size() + pack::CompressEntry(ReadFile(g_sample), 9).size() + 150000;
}

// File offset of the first entry block (after the header blocks).
std::uint64_t FirstEntryOffset(const std::string& exe) {
  return std::uint64_t(TGFileInfo(exe).Trailer.DataOffset);
}

std::string DosTimeStem(const std::string& exe) {
  HANDLE h = CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  FILETIME written, local;
  WORD date = 0, time = 0;
  GetFileTime(h, nullptr, nullptr, &written);
  CloseHandle(h);
  FileTimeToLocalFileTime(&written, &local);
  FileTimeToDosDateTime(&local, &date, &time);
  char temp[MAX_PATH];
  const DWORD n = GetTempPathA(MAX_PATH, temp);
  return std::string(temp, n) + "SETUP_" + std::to_string(time);
}

}  // namespace

// --- Runs that install ---

TEST(Install, ForegroundRunInstallsAndPassesItsExactCommandLine) {
  // A stub in a folder with a blank: the setup gets its path with "*" for each blank.
  Install install("fg");
  const std::string spaced = install.target + "_src\\My Setups\\";
  std::filesystem::create_directories(spaced);
  install.exe = spaced + "Setup.exe";
  pack::WriteArchive(install.Options(), install.exe);
  // A folder of the first name the stub tries, with a file of someone else's in it.
  const std::string stem = DosTimeStem(install.exe);
  std::filesystem::create_directories(stem);
  WriteFile(stem + "\\keep.txt", "not the stub's");

  ChildProcess stub = install.Start("/X");
  const HWND window = WaitForWindow(StubWindowClass(false, install.exe), 20000, stub.Id());
  bool shown = false;
  while (!stub.WaitEnd(50)) shown = shown || (window && IsWindowVisible(window));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(install.Traced(" Setup success=TRUE")) << install.Trace();

  // The command line: program path, the stub's own text, the entry's text, then the token and
  // the stub's path.
  const std::string folder = install.ExtractionFolder();
  EXPECT_NE(folder, stem);
  EXPECT_EQ(ReadFile(stem + "\\keep.txt"), "not the stub's");
  const std::string line = install.FirstLogLine();
  EXPECT_EQ(line, install.LaunchedCommandLine());
  std::smatch m;
  ASSERT_TRUE(std::regex_match(line, m, std::regex(R"(.* /TH_ID=(_\d+) .*)"))) << line;
  std::string origin = install.exe;
  for (char& c : origin)
    if (c == ' ') c = '*';
  EXPECT_EQ(line, folder + "\\Setup.exe /X /Target=" + install.target + " /Log=" + install.log +
                      " /TH_ID=" + m[1].str() + " /OriginExe=" + origin);
  EXPECT_EQ(ReadFile(install.target + "\\a.txt"), "alpha");
  EXPECT_EQ(ReadFile(install.target + "\\b.bin"), Pattern(300000));
  EXPECT_FALSE(Exists(folder));
  std::filesystem::remove_all(stem);
}

TEST(Install, HiddenRunNeverShowsTheWindowAndStillInstalls) {
  for (const bool by_switch : {true, false}) {
    Install install(by_switch ? "hide" : "hide_info");
    pack::PackOptions o = install.Options();
    o.update.run_hidden = !by_switch;  // update info item 4
    o.flags = archive::kFlagConfirmExtract;  // a hidden run asks no space question
    pack::WriteArchive(o, install.exe);
    ChildProcess stub = install.Start(by_switch ? "/hide" : "");
    const HWND window = WaitForWindow(StubWindowClass(false, install.exe), 20000, stub.Id());
    bool shown = false;
    while (!stub.WaitEnd(50)) shown = shown || (window && IsWindowVisible(window));
    EXPECT_FALSE(shown);
    EXPECT_TRUE(install.Traced("ForegroundOp=FALSE"));
    EXPECT_TRUE(install.Traced(" Setup success=TRUE")) << install.Trace();
    EXPECT_EQ(ReadFile(install.target + "\\a.txt"), "alpha");
    install.ExpectFolderRemoved();
  }
}

TEST(Install, AFailingSetupLeavesTheAtomAndIsReportedAsFailed) {
  Install install("fail");
  pack::WriteArchive(install.Options("/Fail"), install.exe);
  install.Run("/hide");
  EXPECT_TRUE(install.SetupStarted());
  EXPECT_TRUE(install.Traced(" Setup success=FALSE")) << install.Trace();
  EXPECT_FALSE(Exists(install.target));
  install.ExpectFolderRemoved();
}

// An ordinary setup that finds the agent's settings and info files beside it (planted, or left
// by an update) deletes none of the shortcuts they name: not a file elsewhere, not even a
// shortcut in the start-up folder.
TEST(Install, ShortcutFilesBesideAnOrdinarySetupDeleteNothing) {
  Install install("links");
  pack::PackOptions o = install.Options();
  o.update.update_file = "Tolvane.info";
  pack::WriteArchive(o, install.exe);
  char start_up[MAX_PATH] = "";
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, start_up, CSIDL_STARTUP, TRUE));
  const std::string outside = install.target + "_keep.txt";
  const std::string link = std::string(start_up) + "\\WexlinTestPlanted.lnk";
  WriteFile(outside, "not a shortcut");
  WriteFile(link, "a shortcut of someone else's");
  const std::string folder = install.exe.substr(0, install.exe.rfind('\\') + 1);
  WriteFile(folder + "Tolvane.original", "[UnInstall]\r\nStartUpLink=" + outside +
                                             "\r\nCheckforNewUpdateLink=" + link + "\r\n");
  WriteFile(folder + "Tolvane.info", "[NewSetup]\r\nRemoveStartUpShortcut=1\r\n"
                                     "RemoveCheckForNewUpdateShortcut=1\r\n");
  install.Run("/hide");
  EXPECT_TRUE(install.Traced(" Setup success=TRUE")) << install.Trace();
  EXPECT_EQ(ReadFile(outside), "not a shortcut");
  EXPECT_EQ(ReadFile(link), "a shortcut of someone else's");
  DeleteFileA(link.c_str());
  install.ExpectFolderRemoved();
}

TEST(Install, ADialogKeptOpenAfterTheSetupEndsIsWaitedFor) {
  Install install("dialog");
  pack::WriteArchive(install.Options("/DialogAfterExit=4000"), install.exe);
  ChildProcess stub = install.Start("/hide");
  ASSERT_TRUE(install.WaitTrace(">>", 30000));
  const std::string line = install.LaunchedCommandLine();
  const std::size_t at = line.find("/TH_ID=");
  ASSERT_NE(at, std::string::npos);
  const std::string token = line.substr(at + 7, line.find(' ', at) - at - 7);
  const HWND dialog = WaitForWindow(".SDialog_Class_Name." + token, 20000);
  ASSERT_NE(dialog, nullptr);
  // The setup process is gone once its dialog is up; the stub keeps waiting for the window.
  Sleep(1500);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_TRUE(stub.Running());
  EXPECT_TRUE(Exists(install.ExtractionFolder()));
  EXPECT_TRUE(stub.WaitEnd(30000));
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(install.Traced(" Setup success=TRUE")) << install.Trace();
  install.ExpectFolderRemoved();
}

// A bootstrap setup hands its work to a child and ends, leaving the atom: the stub waits for the
// child too, which finds its files in the folder and succeeds; then the folder goes.
TEST(Install, ASetupThatStartsAChildAndEndsIsWaitedForWithTheChild) {
  Install install("bootstrap");
  pack::WriteArchive(install.Options("/Bootstrap=3000"), install.exe);
  ChildProcess stub = install.Start("/hide");
  ASSERT_TRUE(install.WaitTrace(">>", 30000));
  const std::string folder = install.ExtractionFolder();
  ASSERT_FALSE(folder.empty());
  // The child runs from the folder until its work is done.
  Sleep(2000);
  EXPECT_TRUE(stub.Running());
  EXPECT_TRUE(Exists(folder + "\\a.txt"));
  EXPECT_TRUE(stub.WaitEnd(60000));
  EXPECT_TRUE(install.Traced(" Setup success=TRUE")) << install.Trace();
  EXPECT_NE(install.FirstLogLine().find("/Sleep=3000"), std::string::npos) << install.FirstLogLine();
  EXPECT_EQ(ReadFile(install.target + "\\b.bin"), Pattern(300000));
  install.ExpectFolderRemoved();
}

TEST(Install, ClosingTheWindowDuringTheWaitOnlyAsksTheJobToStop) {
  Install install("close");
  pack::WriteArchive(install.Options("/Sleep=3000"), install.exe);
  ChildProcess stub = install.Start("/hide");
  ASSERT_TRUE(install.WaitTrace(">>", 30000));
  const HWND window = WaitForWindow(StubWindowClass(false, install.exe), 5000, stub.Id());
  ASSERT_NE(window, nullptr);
  CloseStubWindow(window);
  // The setup still finds its files and succeeds; then the stub cleans up and ends.
  EXPECT_TRUE(stub.WaitEnd(30000));
  EXPECT_TRUE(install.Traced(" Setup success=TRUE")) << install.Trace();
  EXPECT_EQ(ReadFile(install.target + "\\b.bin"), Pattern(300000));
  install.ExpectFolderRemoved();
}

// --- Volumes ---

TEST(Install, TwoVolumesPresentExtractWithoutAPrompt) {
  Install install("vol");
  pack::PackOptions o = install.Options();
  o.volume_size = SplittingVolumeSize();
  const pack::PackResult r = pack::WriteArchive(o, install.exe);
  ASSERT_GE(r.volumes.size(), 2u);
  install.Run("/hide");
  EXPECT_FALSE(install.Traced(" Asking for volume"));
  EXPECT_TRUE(install.Traced(" Volume 2 ArchiveChecksum="));
  EXPECT_TRUE(install.Traced(" Setup success=TRUE")) << install.Trace();
  EXPECT_EQ(ReadFile(install.target + "\\b.bin"), Pattern(300000));
  install.ExpectFolderRemoved();
}

TEST(Install, AMissingVolumeIsAskedForWithDisk2) {
  for (const bool supply : {true, false}) {
    Install install(supply ? "askvol" : "cancelvol");
    pack::PackOptions o = install.Options();
    o.volume_size = SplittingVolumeSize();
    const pack::PackResult r = pack::WriteArchive(o, install.exe);
    ASSERT_EQ(r.volumes.size(), 2u);
    const std::string away = r.volumes[1] + ".away";
    ASSERT_TRUE(MoveFileA(r.volumes[1].c_str(), away.c_str()));
    ChildProcess stub = install.Start("/hide");
    if (supply) {
      const HWND box = box_driver::FindBox("WMsgBox", 30000);
      ASSERT_NE(box, nullptr);
      const box_driver::BoxInfo info = box_driver::ReadBox(box, false);
      EXPECT_EQ(info.caption, "Attention");
      EXPECT_NE(info.text.find("DISK #2"), std::string::npos) << info.text;
      ASSERT_TRUE(MoveFileA(away.c_str(), r.volumes[1].c_str()));
      box_driver::PressButton(info, box_driver::FindButton(info, "&OK"),
                              box_driver::PressWay::Command);
    } else {
      AnswerBox("DISK #2", "&Cancel");
    }
    EXPECT_TRUE(stub.WaitEnd(60000)) << install.Trace();
    EXPECT_EQ(install.Traced(" Setup success=TRUE"), supply) << install.Trace();
    EXPECT_EQ(install.SetupStarted(), supply);
    if (supply) {
      EXPECT_EQ(ReadFile(install.target + "\\b.bin"), Pattern(300000));
    }
    // A cancel ends without an error box.
    if (!supply) {
      EXPECT_EQ(box_driver::FindBox("WMsgBox", 1500), nullptr);
    }
    install.ExpectFolderRemoved();
  }
}

// --- Archives that must not install ---

TEST(Refused, ACorruptedByteGivesTheBadCrcBoxAndStartsNothing) {
  Install install("crc");
  pack::WriteArchive(install.Options(), install.exe);
  std::string bytes = ReadFile(install.exe);
  bytes[std::size_t(FirstEntryOffset(install.exe)) + 40] ^= 0x10;
  WriteFile(install.exe, bytes);
  ExpectRefused(install, "Bad CRC!", "/hide");
}

TEST(Refused, HostileEntryNamesWriteNothingOutsideAndStartNothing) {
  char temp[MAX_PATH];
  const std::string temp_dir(temp, GetTempPathA(MAX_PATH, temp));
  const std::string unique = "escape_" + std::to_string(GetCurrentProcessId()) + ".txt";
  struct Case {
    std::string name, outside;  // the entry name, where it would land
  };
  const Case cases[] = {{"..\\" + unique, temp_dir + unique},
                        {"C:\\" + unique, "C:\\" + unique},
                        {"a\\b", ""}};
  for (const Case& c : cases) {
    Install install("hostile");
    pack::PackOptions o = install.Options();
    o.unchecked_names_for_tests = true;
    pack::PackEntry evil;
    evil.name = c.name;
    evil.data = "evil";
    o.entries.insert(o.entries.begin() + 1, evil);
    pack::WriteArchive(o, install.exe);
    ExpectRefused(install, "would be written outside its folder", "/hide");
    if (!c.outside.empty()) {
      EXPECT_FALSE(Exists(c.outside)) << c.name;
    }
  }
}

TEST(Refused, ATruncatedArchiveGivesItsBox) {
  Install install("trunc");
  pack::WriteArchive(install.Options(), install.exe);
  const std::string sound = ReadFile(install.exe);
  {  // A block length that runs past the end, in an archive whose sum was made to fit.
    std::string bytes = sound;
    const std::uint64_t at = FirstEntryOffset(install.exe);
    archive::PutU32(reinterpret_cast<std::uint8_t*>(&bytes[at]), std::uint32_t(bytes.size()));
    RepairChecksum(bytes);
    WriteFile(install.exe, bytes);
    ExpectRefused(install, "incomplete or damaged", "/hide");
  }
  {  // The file cut short: its trailer is gone.
    WriteFile(install.exe, sound.substr(0, sound.size() - 5000));
    ExpectRefused(install, "Bad CRC!", "/hide");
  }
}

TEST(Refused, ABombGivesItsBoxBeforeItFillsTheDisk) {
  Install install("bomb");
  pack::PackOptions o = install.Options();
  pack::PackEntry zeros;
  zeros.name = "zeros.bin";
  zeros.data = std::string(32u << 20, '\0');
  o.entries.push_back(zeros);
  pack::WriteArchive(o, install.exe);
  std::string bytes = ReadFile(install.exe);
  // The space table claims 1 MB in every slot.
  for (std::size_t i = 0; i < archive::kSpaceSlots; ++i)
    PutTrailerU32(bytes, archive::trailer::kSpaceNeeded + 4 * i, 1000000);
  RepairChecksum(bytes);
  WriteFile(install.exe, bytes);
  ExpectRefused(install, "holds more data than it declares", "/hide");
}

TEST(Refused, ADamagedEntryGivesZlibsMessage) {
  Install install("zlib");
  pack::WriteArchive(install.Options(), install.exe);
  std::string bytes = ReadFile(install.exe);
  // Inside the second entry's deflate data (a.txt is short: its stream is damaged whole).
  const std::uint64_t first = FirstEntryOffset(install.exe);
  const std::uint32_t first_len = archive::GetU32(reinterpret_cast<const std::uint8_t*>(&bytes[first]));
  const std::uint64_t second = first + 4 + first_len;
  bytes[second + 4 + 2] = char(0xFF);  // the first deflate byte: a reserved block type
  RepairChecksum(bytes);
  WriteFile(install.exe, bytes);
  ExpectRefused(install, "A file of the setup is damaged:", "/hide");
}

TEST(Refused, ConfirmSpaceAsksAndNoEndsTheJobQuietly) {
  Install install("confirm");
  pack::PackOptions o = install.Options();
  o.flags = archive::kFlagConfirmExtract;
  pack::WriteArchive(o, install.exe);
  ChildProcess stub = install.Start("");
  const box_driver::BoxInfo info =
      AnswerBox("Wexlin will extract files to your Temp Drive (C:)", "&No");
  EXPECT_EQ(info.caption, "Confirm");
  EXPECT_NE(info.text.find("Continue with Setup?"), std::string::npos);
  EXPECT_TRUE(stub.WaitEnd(30000));
  EXPECT_EQ(box_driver::FindBox("WMsgBox", 1500), nullptr);
  EXPECT_FALSE(install.SetupStarted());
  EXPECT_TRUE(install.Traced("ConfirmExtract=TRUE"));
  install.ExpectFolderRemoved();
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: install_wine_test WEXLINSTUB_EXE TRACE_VIEWER_EXE SAMPLE_SETUP_EXE\n");
    return 2;
  }
  TestDirPrefix() = "install_";
  g_stub = WindowsPath(argv[1]);
  TraceViewerExe() = WindowsPath(argv[2]);
  g_sample = WindowsPath(argv[3]);
  QuickStubPace();
  return RUN_ALL_TESTS();
}
