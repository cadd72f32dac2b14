// Under wine: the real WexlinStub as an agent under its own name starts, reuses and replaces its
// transient copy "X_", forwards the remote-control switches to it, and the copy deletes itself
// through its batch; a CD-span setup runs from its copy "Y_" in the extraction folder and
// removes it and the folder afterwards. Traces go to trace-viewer, notifications to the
// listener program. The agent's checks are off (probe interval -1), so nothing uses the network.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ArchiveWriter.h"
#include "format/ArchiveFormat.h"
#include "format/archive_test_files.h"
#include "protocol_lines.h"
#include "rules/RunMode.h"
#include "stub_run_support.h"
#include "wine_process.h"

namespace {

std::string g_stub, g_listener, g_sample;

const char kAgent[] = "TolvaneAU.exe";

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Polls until the condition holds or the time is up; the condition's last answer.
template <class Condition>
bool WaitUntil(Condition condition, DWORD milliseconds) {
  const DWORD t0 = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - t0 >= milliseconds) return condition();
    Sleep(20);
  }
  return true;
}

bool WaitProcessEnd(DWORD pid, DWORD milliseconds) {
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return true;  // already gone
  const bool ended = WaitForSingleObject(process, milliseconds) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

std::string BatchOf(DWORD pid) { return TempFolder() + "_DEL_ME_" + std::to_string(pid) + ".BAT"; }

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The process id of the first stub started from a file of that name; 0 when none.
DWORD PidOfStart(const TraceViewer& viewer, const std::string& file_name) {
  for (const std::string& line : viewer.Lines())
    if (line.find(std::string(kTraceStubStart)) != std::string::npos &&
        line.find("\\" + file_name) != std::string::npos)
      return DWORD(std::strtoul(line.c_str(), nullptr, 10));
  return 0;
}

// The listener program, without registering itself: the agent does that with "/WM_MSG=".
class Listener {
 public:
  explicit Listener(const std::string& log) : log_(log), process_(g_listener, "\"" + log + "\"") {}
  // "window:message" from its first log line, for "/WM_MSG=".
  std::string Address() const {
    std::string first;
    WaitUntil([&] { return (first = FirstLine()).find("message=") != std::string::npos; }, 20000);
    unsigned long long window = 0;
    unsigned message = 0;
    std::sscanf(first.c_str(), "window=%llu message=%u", &window, &message);
    return std::to_string(window) + ":" + std::to_string(message);
  }
  bool WaitFor(const std::string& line, DWORD ms) const {
    return WaitUntil([&] { return ReadFile(log_).find(line + "\r\n") != std::string::npos; }, ms);
  }

 private:
  std::string FirstLine() const {
    const std::string text = ReadFile(log_);
    return text.substr(0, text.find('\n'));
  }
  std::string log_;
  ChildProcess process_;
};

// A folder with the agent "TolvaneAU.exe" (its checks off) and a file the batch must leave.
class AgentFolder {
 public:
  explicit AgentFolder(const std::string& name) : dir_(name), viewer_(dir_.path(), name) {
    pack::PackOptions o;
    o.stub_path = g_stub;
    o.seed = 3;
    o.auto_update_prog = true;
    o.update.url = "http://127.0.0.1:1/";
    o.update.update_file = "Tolvane.info";
    o.update.agent_exe = kAgent;
    pack::PackEntry setup;
    setup.name = "Setup.exe";
    setup.is_setup = true;
    setup.data = "setup";
    o.entries = {setup};
    agent = dir_.path() + kAgent;
    copy = dir_.path() + "X_" + kAgent;
    pack::WriteArchive(o, agent);
    WriteFile(dir_.path() + "Tolvane.original",
              "[OriginalSetup]\r\nProgramName=Tolvane\r\nVersionOriginal=1\r\n"
              "ProbeSecondsInterval=-1\r\n");
    WriteFile(dir_.path() + "X_other.txt", "stays");
  }
  ~AgentFolder() {
    // A copy left running by a failed test must not hold the folder.
    if (const HWND window = FindWindowA(TransientWindowClass(kAgent).c_str(), nullptr)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      CloseStubWindow(window);
      WaitProcessEnd(pid, 10000);
    }
  }

  const TraceViewer& viewer() const { return viewer_; }
  const std::string& path() const { return dir_.path(); }

  // Runs the agent to its end; its process id.
  DWORD RunAgent(const std::string& args) {
    EXPECT_TRUE(viewer_.Ready());
    ChildProcess process(agent, args);
    EXPECT_TRUE(process.WaitEnd(30000)) << args;
    return process.Id();
  }
  // The running copy's window (waiting for it) and its process.
  HWND CopyWindow(DWORD* pid, DWORD ms = 15000) const {
    const HWND window = WaitForWindow(TransientWindowClass(kAgent), ms);
    *pid = 0;
    if (window) GetWindowThreadProcessId(window, pid);
    return window;
  }
  // After the copy's process has ended: its batch deletes the file, then itself.
  void ExpectCopyDeletedBy(DWORD copy_pid) const {
    ASSERT_TRUE(WaitProcessEnd(copy_pid, 20000));
    EXPECT_TRUE(viewer_.Has(copy_pid, " SelfDeleteBatch remove folder=FALSE short names=FALSE started=TRUE"));
    EXPECT_TRUE(WaitUntil([&] { return !Exists(copy) && !Exists(BatchOf(copy_pid)); }, 20000));
    EXPECT_TRUE(Exists(agent));
    EXPECT_TRUE(Exists(dir_.path() + "X_other.txt"));
    EXPECT_TRUE(Exists(dir_.path() + "Tolvane.original"));
  }

  std::string agent, copy;

 private:
  TestDir dir_;
  TraceViewer viewer_;
};

TEST(TransientCopy, TheAgentStartsOneCopyWhichDeletesOnlyItselfWhenItEnds) {
  AgentFolder f("one");
  // Two quick starts: one copy between them.
  ChildProcess first(f.agent, ""), second(f.agent, "");
  ASSERT_TRUE(first.WaitEnd(30000));
  ASSERT_TRUE(second.WaitEnd(30000));
  DWORD pid = 0;
  const HWND window = f.CopyWindow(&pid);
  ASSERT_NE(window, nullptr);
  const int started = int(f.viewer().Has(first.Id(), " CreateAndRun_X_Exe: started ")) +
                      int(f.viewer().Has(second.Id(), " CreateAndRun_X_Exe: started "));
  EXPECT_EQ(started, 1) << ::testing::PrintToString(f.viewer().Lines());
  EXPECT_TRUE(f.viewer().Has(pid, std::string(kTraceRunMode) + "TransientCycle"));
  EXPECT_TRUE(f.viewer().WaitFor(pid, TraceValue(kTraceTimerCount, -1), 10000));
  // A later start finds the copy and makes none.
  const DWORD third = f.RunAgent("");
  EXPECT_TRUE(f.viewer().Has(third, " CreateAndRun_X_Exe: the transient copy runs"));
  EXPECT_FALSE(f.viewer().Has(third, " CreateAndRun_X_Exe: started "));
  // What the batch relies on, under wine as on Windows: a running program cannot be deleted.
  EXPECT_FALSE(DeleteFileA(f.copy.c_str()));
  EXPECT_TRUE(Exists(f.copy));
  CloseStubWindow(window);
  f.ExpectCopyDeletedBy(pid);
}

TEST(TransientCopy, SwitchesReachACopyMadeByTheSameStartAndARunningOne) {
  AgentFolder f("commands");
  {  // The very first start: the copy does not run yet.
    Listener listener(f.path() + "first.log");
    const DWORD agent = f.RunAgent("/WM_MSG=" + listener.Address() + " /TEST=1 /STOP=3");
    DWORD pid = 0;
    const HWND window = f.CopyWindow(&pid);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(f.viewer().Has(agent, " SendCommands copy running=FALSE"));
    EXPECT_TRUE(listener.WaitFor(NoticePrefix(AgentNotice::TransientWindow) + std::to_string(reinterpret_cast<unsigned long long>(window)), 15000));
    EXPECT_TRUE(listener.WaitFor(NoticeLine(AgentNotice::CommandMessage, kMsgCommand), 5000));
    // "/TEST=1" gives command 31 with 1; a new copy also ends two ticks later.
    EXPECT_TRUE(f.viewer().WaitFor(pid, " RemoteCommand 31 1", 10000));
    EXPECT_TRUE(f.viewer().Has(pid, TraceValue(kTraceStopCountdown, 3)));
    EXPECT_TRUE(listener.WaitFor(NoticeLine(AgentNotice::WindowEnd, 0), 20000));
    ASSERT_TRUE(WaitProcessEnd(pid, 10000));
    // 2, 1, 0: the third tick after the countdown ends the copy.
    EXPECT_EQ(TicksAfter(f.viewer(), pid, TraceValue(kTraceStopCountdown, 2)), 3)
        << ::testing::PrintToString(f.viewer().LinesOf(pid));
    f.ExpectCopyDeletedBy(pid);
  }
  {  // A running copy: the stop count as given, no countdown of a new copy.
    const DWORD starter = f.RunAgent("");
    EXPECT_TRUE(f.viewer().Has(starter, " CreateAndRun_X_Exe: started "));
    DWORD pid = 0;
    ASSERT_NE(f.CopyWindow(&pid), nullptr);
    Listener listener(f.path() + "second.log");
    const DWORD agent = f.RunAgent("/STOP=1 /TEST=1 /WM_MSG=" + listener.Address());
    EXPECT_TRUE(f.viewer().Has(agent, " SendCommands copy running=TRUE"));
    EXPECT_TRUE(listener.WaitFor(NoticeLine(AgentNotice::CommandMessage, kMsgCommand), 15000));
    EXPECT_TRUE(listener.WaitFor(NoticeLine(AgentNotice::WindowEnd, 0), 20000));
    ASSERT_TRUE(WaitProcessEnd(pid, 10000));
    EXPECT_TRUE(f.viewer().Has(pid, " RemoteCommand 31 1"));
    EXPECT_FALSE(f.viewer().Has(pid, TraceValue(kTraceStopCountdown, 2)));
    EXPECT_EQ(TicksAfter(f.viewer(), pid, TraceValue(kTraceStopCountdown, 1)), 2)
        << ::testing::PrintToString(f.viewer().LinesOf(pid));
    f.ExpectCopyDeletedBy(pid);
  }
}

TEST(TransientCopy, ZZ99ReplacesTheRunningCopyUnderTheSameName) {
  AgentFolder f("replace");
  f.RunAgent("");
  DWORD old_pid = 0;
  ASSERT_NE(f.CopyWindow(&old_pid), nullptr);
  ASSERT_TRUE(f.viewer().WaitFor(old_pid, kTraceTimerCount, 10000));
  // As an update's restart calls it, with the override list for the new copy.
  const DWORD agent = f.RunAgent("/_ZZ=99 /WAIT=1 /TRANSIENT=|1|0|255|255|1|0|");
  EXPECT_TRUE(f.viewer().Has(agent, " CreateAndRun_X_Exe-1 99"));
  EXPECT_TRUE(f.viewer().Has(agent, " CreateAndRun_X_Exe: ending the running copy"));
  EXPECT_TRUE(WaitProcessEnd(old_pid, 1000));  // the agent waited for it
  EXPECT_TRUE(f.viewer().Has(old_pid, TraceValue(kTraceStopCountdown, 0)));
  EXPECT_TRUE(f.viewer().Has(old_pid, " SelfDeleteBatch remove folder=FALSE short names=FALSE started=TRUE"));
  // The old batch was done before the new copy was written: it cannot delete the new one.
  EXPECT_FALSE(Exists(BatchOf(old_pid)));
  DWORD new_pid = 0;
  const HWND window = f.CopyWindow(&new_pid);
  ASSERT_NE(window, nullptr);
  EXPECT_NE(new_pid, old_pid);
  EXPECT_TRUE(f.viewer().Has(new_pid, " TRANSIENTx=|1|0|255|255|1|0|"))
      << ::testing::PrintToString(f.viewer().LinesOf(new_pid));
  EXPECT_TRUE(f.viewer().WaitFor(new_pid, kTraceTimerCount, 10000));
  EXPECT_TRUE(Exists(f.copy));
  CloseStubWindow(window);
  f.ExpectCopyDeletedBy(new_pid);
}

// --- The CD-span copy ---

TEST(SpanCdCopy, RunsFromYCopyInTheExtractionFolderAndRemovesBoth) {
  const char* switches[] = {"", "/SpanCdLvl=1 /hide"};
  for (const char* args : switches) {
    SCOPED_TRACE(args);
    TestDir dir("span");
    const std::string medium = dir.path() + "my disc\\";
    CreateDirectoryA(medium.c_str(), nullptr);
    const std::string log = dir.path() + "setup.log";
    pack::PackOptions o;
    o.stub_path = g_stub;
    o.seed = 9;
    o.flags = archive::kFlagSpanCd;
    o.separate_first_volume = true;
    pack::PackEntry setup;
    setup.name = "Setup.exe";
    setup.path = g_sample;
    setup.is_setup = true;
    setup.setup_args = "/Target=" + dir.path() + "target /Log=" + log;
    pack::PackEntry a;
    a.name = "a.txt";
    a.data = "alpha";
    o.entries = {setup, a};
    pack::WriteArchive(o, medium + "Setup.exe");
    TraceViewer viewer(dir.path(), "span");
    ASSERT_TRUE(viewer.Ready());

    ChildProcess launcher(medium + "Setup.exe", args);
    ASSERT_TRUE(launcher.WaitEnd(20000));
    const std::string marker = " SpanCdHandOver: \"";
    std::string copy;
    for (const std::string& line : viewer.LinesOf(launcher.Id()))
      if (line.rfind(marker, 0) == 0) copy = line.substr(marker.size(), line.find('"', marker.size()) - marker.size());
    ASSERT_FALSE(copy.empty()) << ::testing::PrintToString(viewer.LinesOf(launcher.Id()));
    EXPECT_EQ(copy.substr(copy.size() - 12), "\\Y_Setup.exe");
    const std::string folder = copy.substr(0, copy.size() - 12);
    EXPECT_EQ(folder.rfind(TempFolder() + "SETUP_", 0), 0u) << folder;

    DWORD copy_pid = 0;
    WaitUntil([&] { return (copy_pid = PidOfStart(viewer, "Y_Setup.exe")) != 0; }, 10000);
    ASSERT_NE(copy_pid, 0u);
    ASSERT_TRUE(WaitProcessEnd(copy_pid, 60000));
    EXPECT_TRUE(viewer.Has(copy_pid, std::string(kTraceRunMode) + "StubWindow"));
    EXPECT_TRUE(viewer.Has(copy_pid, " SelfDeleteBatch remove folder=TRUE short names=FALSE started=TRUE"))
        << ::testing::PrintToString(viewer.LinesOf(copy_pid));
    // The sample setup ran from the copy, extracting volume 1 from the medium (path with a
    // space), and got the level once, with the other switches.
    EXPECT_TRUE(Exists(dir.path() + "target\\a.txt"));
    const std::string command = ReadFile(log).substr(0, ReadFile(log).find("\r\n"));
    EXPECT_EQ(Count(command, "/SpanCdLvl="), 1) << command;
    EXPECT_EQ(Count(command, "/SpanCdLvl=2"), 1) << command;
    EXPECT_EQ(Count(command, "/SpanDiskFName1=\"" + medium + "Setup.exe.001\""), 1) << command;
    EXPECT_EQ(Count(command, "/hide"), Count(args, "/hide")) << command;
    EXPECT_NE(command.find("Y_Setup.exe"), std::string::npos) << command;
    for (const std::string& line : viewer.Lines()) EXPECT_EQ(line.find("Y_Y_"), std::string::npos) << line;
    // The batch removes the copy and then its folder.
    EXPECT_TRUE(WaitUntil([&] { return !Exists(copy) && !Exists(folder) && !Exists(BatchOf(copy_pid)); }, 20000))
        << copy;
    EXPECT_TRUE(Exists(medium + "Setup.exe"));
    EXPECT_TRUE(Exists(medium + "Setup.exe.001"));
  }
}

// With "--non-ascii-temp": TEMP and TMP (inherited by every stub the tests start) name a folder
// "José" (or "张三" where the ANSI code page has no "é") inside the current temporary folder, so
// the copies, their batches and the extraction folders all lie under a non-ASCII path.
bool UseNonAsciiTemp() {
  const wchar_t* names[] = {L"Jos\u00e9", L"\u5f20\u4e09"};
  for (const wchar_t* name : names) {
    char ansi[64];
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, ansi, sizeof ansi,
                                      nullptr, &lossy);
    if (n <= 0 || lossy) continue;
    const std::string folder = TempFolder() + ansi + "\\Temp";
    CreateDirectoryA((TempFolder() + ansi).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    return GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES &&
           SetEnvironmentVariableA("TEMP", folder.c_str()) &&
           SetEnvironmentVariableA("TMP", folder.c_str());
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1 && std::string(argv[argc - 1]) == "--non-ascii-temp") {
    if (!UseNonAsciiTemp()) {
      std::fprintf(stderr, "no non-ASCII temporary folder in this code page\n");
      return 2;
    }
    --argc;
    std::fprintf(stderr, "TEMP=%s\n", TempFolder().c_str());
  }
  if (argc < 5) {
    std::fprintf(stderr, "usage: transient_copy_wine_test WEXLINSTUB_EXE TRACE_VIEWER_EXE "
                         "LISTENER_EXE SAMPLE_SETUP_EXE\n");
    return 2;
  }
  g_stub = WindowsPath(argv[1]);
  TraceViewerExe() = WindowsPath(argv[2]);
  g_listener = WindowsPath(argv[3]);
  g_sample = WindowsPath(argv[4]);
  TestDirPrefix() = "copies_test_";
  QuickStubPace();
  return RUN_ALL_TESTS();
}
