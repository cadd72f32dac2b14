// Under wine: the real WexlinStub image with archives written at test time. Its trace goes to
// the trace-viewer tool, its boxes are read and answered through the box driver, its window is
// read back with window messages.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ArchiveWriter.h"
#include "BoxDriver.h"
#include "format/ArchiveFormat.h"
#include "format/GFileInfo.h"
#include "format/archive_test_files.h"
#include "protocol_lines.h"
#include "rules/RunMode.h"
#include "stub_run_support.h"
#include "wine_process.h"

namespace {

std::string g_stub;  // wine path
const char kAgent[] = "TolvaneAU.exe";


pack::PackOptions SetupOptions() {
  pack::PackOptions o;
  o.stub_path = g_stub;
  o.seed = 5;
  o.update.agent_exe = kAgent;
  // No program and not marked "*": the job extracts it and, without a setup entry, ends.
  pack::PackEntry setup;
  setup.name = "Setup.exe";
  setup.data = std::string(20000, 's');
  o.entries = {setup};
  return o;
}

pack::PackOptions AgentOptions() {
  pack::PackOptions o = SetupOptions();
  o.auto_update_prog = true;
  return o;
}

void WriteStub(const pack::PackOptions& options, const std::string& path, bool damage = false) {
  pack::WriteArchive(options, path);
  if (!damage) return;
  std::string bytes = ReadFile(path);
  const archive::ArchiveTrailer t = ReadTrailer(path);
  bytes[std::size_t(t.DataOffset) + 10] ^= 0x01;
  WriteFile(path, bytes);
}




std::string GetText(HWND window) {
  char buffer[512] = {};
  const LRESULT n = SendMessageA(window, WM_GETTEXT, sizeof buffer, LPARAM(buffer));
  return std::string(buffer, std::size_t(n > 0 ? n : 0));
}

RECT ClientRectIn(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectRect(HWND parent, HWND child, int x, int y, int w, int h, const char* what) {
  const RECT r = ClientRectIn(parent, child);
  EXPECT_EQ(r.left, x) << what;
  EXPECT_EQ(r.top, y) << what;
  EXPECT_EQ(r.right - r.left, w) << what;
  EXPECT_EQ(r.bottom - r.top, h) << what;
}

struct StubControls {
  HWND status = nullptr, progress = nullptr, activity = nullptr;
};

StubControls ControlsOf(HWND window) {
  StubControls c;
  c.status = FindWindowExA(window, nullptr, "Static", nullptr);
  c.progress = FindWindowExA(window, nullptr, PROGRESS_CLASSA, nullptr);
  c.activity = c.progress ? FindWindowExA(window, c.progress, PROGRESS_CLASSA, nullptr) : nullptr;
  return c;
}

// Another process's window is found as soon as it exists; its controls follow while it handles
// its creation, so they are looked for until all three are there (at most five seconds).
StubControls WaitForControls(HWND window) {
  StubControls c = ControlsOf(window);
  for (int i = 0; i < 100 && !(c.status && c.progress && c.activity); ++i) {
    Sleep(50);
    c = ControlsOf(window);
  }
  return c;
}

// The stub window as tabled: hidden, 492 x 110, status line, bar and hidden activity bar. The
// bar's range is 0..100 until an extraction sets it (to 0 when it resets it).
void ExpectStubWindowLayout(HWND window, const std::string& title, int range_high = 100) {
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  RECT outer;
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.right - outer.left, 492);
  EXPECT_EQ(outer.bottom - outer.top, 110);
  char caption[256] = {};
  GetWindowTextA(window, caption, sizeof caption);
  EXPECT_EQ(std::string(caption), title);
  const StubControls c = WaitForControls(window);
  ASSERT_NE(c.status, nullptr);
  ASSERT_NE(c.progress, nullptr);
  ASSERT_NE(c.activity, nullptr);
  ExpectRect(window, c.status, 70, 20, 340, 18, "status line");
  ExpectRect(window, c.progress, 70, 38, 392, 13, "progress bar");
  ExpectRect(window, c.activity, 416, 20, 46, 13, "activity bar");
  EXPECT_TRUE(GetWindowLongA(c.progress, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongA(c.activity, GWL_STYLE) & WS_VISIBLE);
  // Without a PBRANGE pointer, which could not cross into the stub's process.
  EXPECT_EQ(SendMessageA(c.progress, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageA(c.progress, PBM_GETRANGE, FALSE, 0), range_high);
  EXPECT_EQ(SendMessageA(c.progress, PBM_GETPOS, 0, 0), 0);
}

std::size_t Digits(DWORD n) { return std::to_string(n).size(); }

// --- Trace ---

TEST(StubTrace, StartAndEndLinesReachTheViewerIn128ByteChunks) {
  TestDir dir("trace");
  const std::string exe = dir.path() + "Setup.exe";
  WriteStub(SetupOptions(), exe);
  const std::string start_text = std::string(kTraceStubStart);
  // The START line (process id, text, command line, "<") is made 300 characters long; the
  // process id's digits are known only after the start, so a wrong guess is run again (wine's
  // ids wander between two and four digits while other tests start processes).
  std::size_t pid_digits = Digits(GetCurrentProcessId());
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string name = "run" + std::to_string(attempt);
    TraceViewer viewer(dir.path(), name);
    ASSERT_TRUE(viewer.Ready());
    const std::size_t fixed = pid_digits + start_text.size() + exe.size() + 2 + 1 + 1;
    ASSERT_LT(fixed + 6, 300u);
    const std::string args = "/pad=" + std::string(300 - fixed - 5, 'p');
    ChildProcess stub(exe, args);
    ASSERT_TRUE(stub.Started());
    ASSERT_TRUE(stub.WaitEnd(30000));
    EXPECT_EQ(stub.ExitCode(), 0);
    const std::string pid = std::to_string(stub.Id());
    if (pid.size() != pid_digits) {
      pid_digits = pid.size();
      continue;
    }
    const std::vector<std::string> lines = viewer.Lines();
    ASSERT_GE(lines.size(), 3u);
    const std::string start_line = pid + start_text + stub.CommandLine() + "<";
    EXPECT_EQ(start_line.size(), 300u);
    EXPECT_EQ(lines.front(), start_line);
    EXPECT_EQ(lines.back(), pid + std::string(kTraceStubEnd) + stub.CommandLine() + "<");
    for (const std::string& line : lines) EXPECT_EQ(line.compare(0, pid.size(), pid), 0) << line;
    EXPECT_TRUE(viewer.Has(stub.Id(), " ThisIs_AutoUpdateProg=FALSE"));
    EXPECT_TRUE(viewer.Has(stub.Id(), std::string(kTraceRunMode) + "StubWindow"));
    EXPECT_TRUE(viewer.Has(stub.Id(), "sound=TRUE"));
    EXPECT_TRUE(viewer.Has(stub.Id(), " No setup entry in the archive"));
    // 300 characters and CR LF: 128 + 128 + 46; the END line is 2 shorter.
    const std::vector<int> n = viewer.Lengths();
    ASSERT_GE(n.size(), 6u);
    EXPECT_EQ(std::vector<int>(n.begin(), n.begin() + 3), (std::vector<int>{128, 128, 46}));
    EXPECT_EQ(std::vector<int>(n.end() - 3, n.end()), (std::vector<int>{128, 128, 44}));
    for (int k : n) EXPECT_LE(k, 128);
    return;
  }
  FAIL() << "the process id kept changing its length";
}

TEST(StubTrace, AHungViewerDoesNotHoldUpTheStub) {
  TestDir dir("hang");
  const std::string exe = dir.path() + "Setup.exe";
  WriteStub(SetupOptions(), exe);
  TraceViewer viewer(dir.path(), "hung", 120000);
  ASSERT_TRUE(viewer.Ready());
  ChildProcess stub(exe, "");
  ASSERT_TRUE(stub.Started());
  // Each trace line would otherwise wait for the viewer for good.
  EXPECT_TRUE(stub.WaitEnd(20000));
  viewer.Kill();
}

// --- One stub per file ---

TEST(StubStart, ASecondStartEndsAtOnceWhileTheFirstRuns) {
  TestDir dir("second");
  const std::string exe = dir.path() + "Other.exe";  // agent under another name
  WriteStub(AgentOptions(), exe);
  TraceViewer viewer(dir.path(), "second");
  ASSERT_TRUE(viewer.Ready());
  ChildProcess first(exe, "/SleepX=2");
  const HWND window = WaitForWindow(".AutoUpdate.Other", 20000, first.Id());
  ASSERT_NE(window, nullptr);
  ExpectStubWindowLayout(window, "Wexlin Installation Suite");
  ChildProcess second(exe, "/SleepX=2");
  EXPECT_TRUE(second.WaitEnd(10000));
  EXPECT_EQ(second.ExitCode(), 0);
  EXPECT_TRUE(viewer.Has(second.Id(), std::string(kTraceRunMode) + "SecondStart"));
  EXPECT_TRUE(first.Running());
  // The agent's timer keeps ticking into the update cycle: -2 from "/SleepX=2", then -1, 0, 1.
  EXPECT_TRUE(viewer.WaitFor(first.Id(), TraceValue(kTraceTimerCount, 1), 15000));
  EXPECT_TRUE(viewer.Has(first.Id(), TraceValue(kTraceTimerCount, -1)));
  EXPECT_FALSE(viewer.Has(first.Id(), TraceValue(kTraceTimerCount, -2)));
  CloseStubWindow(window);
  EXPECT_TRUE(first.WaitEnd(10000));
  EXPECT_TRUE(viewer.Has(first.Id(), std::string(kTraceStubEnd)));
}

TEST(StubStart, TwoStartsAtTheSameInstantRunOnlyOne) {
  TestDir dir("twin");
  const std::string exe = dir.path() + "Twin.exe";
  WriteStub(AgentOptions(), exe);
  ChildProcess a(exe, "/SleepX=100");
  ChildProcess b(exe, "/SleepX=100");
  ASSERT_TRUE(a.Started() && b.Started());
  const HWND window = WaitForWindow(".AutoUpdate.Twin", 20000);
  ASSERT_NE(window, nullptr);
  // The loser ends on its own; wait for it, then check that the winner stays.
  const DWORD t0 = GetTickCount();
  while (a.Running() && b.Running() && GetTickCount() - t0 < 15000) Sleep(20);
  Sleep(1500);
  EXPECT_NE(a.Running(), b.Running());
  CloseStubWindow(window);
  EXPECT_TRUE(a.WaitEnd(10000));
  EXPECT_TRUE(b.WaitEnd(10000));
}

TEST(StubStart, AStubAtAPathLongerThan255CharactersRunsOnce) {
  TestDir dir("long");
  // 258 characters: beyond a class name, within MAX_PATH; a folder of many levels so that no
  // single name is too long for the file system.
  std::string folder = dir.path();
  while (249 - folder.size() > 41) folder += std::string(40, 'd') + "\\";
  folder += std::string(249 - folder.size() - 1, 'e') + "\\";
  std::filesystem::create_directories(folder);
  const std::string exe = folder + "Setup.exe";
  ASSERT_EQ(exe.size(), 258u);
  WriteStub(SetupOptions(), exe, /*damage=*/true);  // the error box keeps it running
  ChildProcess first(exe, "");
  const HWND window = WaitForWindow(StubWindowClass(false, exe), 20000, first.Id());
  ASSERT_NE(window, nullptr);
  ChildProcess second(exe, "");
  EXPECT_TRUE(second.WaitEnd(10000));
  EXPECT_TRUE(first.Running());
  const HWND box = box_driver::FindBox("WMsgBox", 20000);
  ASSERT_NE(box, nullptr);
  const box_driver::BoxInfo info = box_driver::ReadBox(box, false);
  ASSERT_FALSE(info.buttons.empty());
  EXPECT_TRUE(box_driver::PressButton(info, info.buttons[0].window, box_driver::PressWay::Command));
  EXPECT_TRUE(first.WaitEnd(10000));
}

// --- The setup job's checksum step and the language table ---

struct BoxExpectation {
  std::string window_title, status_text, box_caption, box_text_start, button, font_face;
};

void RunDamagedSetup(const pack::PackOptions& options, const BoxExpectation& expect) {
  TestDir dir("damaged");
  const std::string exe = dir.path() + "Setup.exe";
  WriteStub(options, exe, /*damage=*/true);
  TraceViewer viewer(dir.path(), "damaged");
  ASSERT_TRUE(viewer.Ready());
  ChildProcess stub(exe, "/hide");  // hidden: the window stays as created
  const HWND box = box_driver::FindBox("WMsgBox", 20000);
  ASSERT_NE(box, nullptr);
  const box_driver::BoxInfo info = box_driver::ReadBox(box, false);
  EXPECT_EQ(info.caption, expect.box_caption);
  EXPECT_EQ(info.text.compare(0, expect.box_text_start.size(), expect.box_text_start), 0)
      << info.text;
  ASSERT_EQ(info.buttons.size(), 1u);
  EXPECT_EQ(info.buttons[0].caption, expect.button);
  EXPECT_EQ(info.font_face, expect.font_face);
  // The stub window stays while the box is up: read it back.
  const HWND window = WaitForWindow(StubWindowClass(false, exe), 5000, stub.Id());
  ExpectStubWindowLayout(window, expect.window_title, 0);
  EXPECT_EQ(GetText(ControlsOf(window).status), expect.status_text);
  EXPECT_TRUE(box_driver::PressButton(info, info.buttons[0].window, box_driver::PressWay::Command));
  EXPECT_TRUE(stub.WaitEnd(10000)) << ::testing::PrintToString(viewer.LinesOf(stub.Id()));
  EXPECT_EQ(stub.ExitCode(), 0);
  EXPECT_TRUE(viewer.Has(stub.Id(), "sound=FALSE"));
  EXPECT_FALSE(viewer.Has(stub.Id(), "UnpackArchive"));
}

TEST(StubSetup, ADamagedChecksumShowsTheBadCrcBox) {
  RunDamagedSetup(SetupOptions(), {"Wexlin Installation Suite",
                                   "\xD5\xFD\xCC\xE1\xC8\xA1\xCE\xC4\xBC\xFE...", "Error",
                                   "Bad CRC!", "&OK", "Tahoma"});
}

TEST(StubSetup, ALanguageBlockReplacesTheTextsAndTheFont) {
  pack::PackOptions o = SetupOptions();
  // The only block is taken on every system. Its delimiter is "#" so that the button list
  // can keep its "|".
  o.languages = {"#Deutsch#s0=Wexlin Einrichtung#s1=Bitte warten#s7=Datei defekt!<P>Neu laden"
                 "#Error=Fehler#BtnText=|&Gut|&Abbrechen|&Ja|&Nein|&Abbruch|&Wiederholen|&Ignorieren|"
                 "#FontName=Arial#FontSize=10#Charset=0#"};
  RunDamagedSetup(o, {"Wexlin Einrichtung", "Bitte warten", "Fehler", "Datei defekt!", "&Gut",
                      "Arial"});
}

// --- Each run mode reaches its branch ---

TEST(RunModes, EachModeReachesItsBranch) {
  TestDir dir("modes");
  TraceViewer viewer(dir.path(), "modes");
  ASSERT_TRUE(viewer.Ready());

  {  // The agent under its own name starts its transient copy and forwards commands.
    const std::string exe = dir.path() + kAgent;
    WriteStub(AgentOptions(), exe);
    ChildProcess agent(exe, "/STOP=3");
    ASSERT_TRUE(agent.WaitEnd(20000));
    EXPECT_TRUE(viewer.Has(agent.Id(), std::string(kTraceRunMode) + "StartTransientCopy"));
    EXPECT_TRUE(viewer.Has(agent.Id(), " CreateAndRun_X_Exe: started "));
    EXPECT_TRUE(viewer.Has(agent.Id(), " SendCommands copy running=FALSE"));
    // The copy ends after its countdown and its batch deletes it.
    const std::string copy = dir.path() + "X_" + kAgent;
    const DWORD t0 = GetTickCount();
    while (GetFileAttributesA(copy.c_str()) != INVALID_FILE_ATTRIBUTES && GetTickCount() - t0 < 30000)
      Sleep(20);
    EXPECT_EQ(GetFileAttributesA(copy.c_str()), INVALID_FILE_ATTRIBUTES);
  }
  {  // The transient copy runs the update cycle until closed, then deletes its file.
    const std::string exe = dir.path() + "X_" + kAgent;
    WriteStub(AgentOptions(), exe);
    ChildProcess copy(exe, "/SleepX=0");
    const HWND window = WaitForWindow(TransientWindowClass(kAgent), 20000, copy.Id());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(viewer.WaitFor(copy.Id(), TraceValue(kTraceTimerCount, 2), 15000));
    // A second agent start now sees its copy running.
    ChildProcess agent(dir.path() + kAgent, "");
    ASSERT_TRUE(agent.WaitEnd(20000));
    EXPECT_TRUE(viewer.Has(agent.Id(), " SendCommands copy running=TRUE"));
    EXPECT_TRUE(viewer.Has(agent.Id(), " CreateAndRun_X_Exe: the transient copy runs"));
    CloseStubWindow(window);
    ASSERT_TRUE(copy.WaitEnd(10000));
    EXPECT_TRUE(viewer.Has(copy.Id(), std::string(kTraceRunMode) + "TransientCycle"));
    EXPECT_TRUE(viewer.Has(copy.Id(),
                           " SelfDeleteBatch remove folder=FALSE short names=FALSE started=TRUE"));
    EXPECT_FALSE(viewer.Has(copy.Id(), "SendCommands"));
  }
  pack::PackOptions span = SetupOptions();
  span.flags |= archive::kFlagSpanCd;
  const std::string span_exe = dir.path() + "Span.exe";
  WriteStub(span, span_exe);
  {  // On the medium: hands over to its copy, which extracts volume 1 (here the whole archive
     // again) and deletes itself; the stub on the medium ends at once.
    ASSERT_TRUE(CopyFileA(span_exe.c_str(), (span_exe + ".001").c_str(), FALSE));
    ChildProcess stub(span_exe, "");
    ASSERT_TRUE(stub.WaitEnd(20000));
    const std::string marker = " SpanCdHandOver: \"";
    std::string copy;
    for (const std::string& line : viewer.LinesOf(stub.Id()))
      if (line.rfind(marker, 0) == 0)
        copy = line.substr(marker.size(), line.find('"', marker.size()) - marker.size());
    EXPECT_NE(copy.find("\\Y_Span.exe"), std::string::npos) << copy;
    EXPECT_FALSE(viewer.Has(stub.Id(), "ForegroundOp"));
    const DWORD t0 = GetTickCount();
    while (GetFileAttributesA(copy.c_str()) != INVALID_FILE_ATTRIBUTES && GetTickCount() - t0 < 30000)
      Sleep(20);
    EXPECT_EQ(GetFileAttributesA(copy.c_str()), INVALID_FILE_ATTRIBUTES) << copy;
  }
  {  // The CD-span copy: the setup job, then the batch that removes its folder.
    ChildProcess stub(span_exe, "/SpanCdLvl=2");
    ASSERT_TRUE(stub.WaitEnd(20000));
    EXPECT_TRUE(viewer.Has(stub.Id(), " No setup entry in the archive"));
    // Started by hand it is no copy: it does not delete itself.
    EXPECT_TRUE(viewer.Has(stub.Id(),
                           " SelfDeleteBatch remove folder=TRUE short names=FALSE started=FALSE"));
    EXPECT_NE(GetFileAttributesA(span_exe.c_str()), INVALID_FILE_ATTRIBUTES);
  }
  {  // "/SpanCdLvl=3": a plain setup stub.
    ChildProcess stub(span_exe, "/SpanCdLvl=3");
    ASSERT_TRUE(stub.WaitEnd(20000));
    EXPECT_TRUE(viewer.Has(stub.Id(), " No setup entry in the archive"));
    EXPECT_FALSE(viewer.Has(stub.Id(), "SelfDeleteBatch"));
    EXPECT_FALSE(viewer.Has(stub.Id(), "SpanCdHandOver"));
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  TestDirPrefix() = "stub_shell_";
  if (argc < 3) {
    std::fprintf(stderr, "usage: stub_shell_wine_test WEXLINSTUB_EXE TRACE_VIEWER_EXE\n");
    return 2;
  }
  g_stub = WindowsPath(argv[1]);
  TraceViewerExe() = WindowsPath(argv[2]);
  QuickStubPace();
  return RUN_ALL_TESTS();
}
