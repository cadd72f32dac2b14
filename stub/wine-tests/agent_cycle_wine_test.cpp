// Under wine, between nginx and the scripted server (net/serve_and_run.py): the real WexlinStub
// as an agent checks on schedule and on command, decides the level, writes its settings and
// reports to a listener program; its trace goes to trace-viewer.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ArchiveWriter.h"
#include "BoxDriver.h"
#include "agent_test_support.h"
#include "format/archive_test_files.h"
#include "protocol_lines.h"
#include "rules/AgentRules.h"
#include "stub_run_support.h"
#include "win/Utils.h"
#include "wine_process.h"

namespace {

std::string g_stub, g_listener;
std::string g_nginx, g_docroot;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

const char kAgentClass[] = ".AutoUpdate.Agent";
const char kUpdateName[] = "TolvaneSetup2.exe";
// The agent's own folder for the files the info file names.
const char kDownloads[] = "TolvaneAU.downloads\\";
const std::size_t kUpdateSize = 30000;

// An agent under another name than its own ("Agent.exe"): the stub window with the update
// cycle; its files are "Tolvane.original" and "Tolvane.info" beside it.
std::string MakeAgent(const TestDir& dir, const std::string& url) {
  pack::PackOptions o;
  o.stub_path = g_stub;
  o.seed = 7;
  o.auto_update_prog = true;
  o.update.url = url;
  o.update.update_file = "Tolvane.info";
  o.update.agent_exe = "TolvaneAU.exe";
  o.update.token = "PRODUCT-TOKEN";
  pack::PackEntry setup;
  setup.name = "Setup.exe";
  setup.is_setup = true;
  setup.data = "setup";
  o.entries = {setup};
  const std::string exe = dir.path() + "Agent.exe";
  pack::WriteArchive(o, exe);
  return exe;
}

std::string Settings(int version, std::int64_t probe_interval, int stamp = 7) {
  return "[OriginalSetup]\r\nProgramName=Tolvane\r\nVersionOriginal=" + std::to_string(version) +
         "\r\nStamp=" + std::to_string(stamp) +
         "\r\nProbeSecondsInterval=" + std::to_string(probe_interval) +
         "\r\n[AutoUpdate]\r\ns21=Nothing new\r\ns22=Check PROG_NAME now?\r\n";
}

std::string InfoFile(const std::string& base, std::size_t size, int version_new = 5,
                     const std::string& valid = "", const std::string& name = kUpdateName) {
  return "[NewSetup]\r\nDownloadURL_UPDATE=" + base + "\r\nNameOfUpdateFile=" + name +
         "\r\nSizeOfUpdateFile=" + std::to_string(size) +
         "\r\nVersionNew=" + std::to_string(version_new) + "\r\nStamp=8\r\nValidVersions=" + valid +
         "\r\n";
}

void Publish(const std::string& name, const std::string& data) {
  WriteFile(WindowsPath(g_docroot + "/" + name), data);
}

// The listener program; its log lines without the first ("window=...").
class Listener {
 public:
  Listener(const std::string& log, const std::string& args) : log_(log) {
    process_ = ChildProcess(g_listener, "\"" + log + "\" " + args);
  }
  bool Started() const { return process_.Started(); }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::string text = ReadFile(log_), line;
    for (char c : text) {
      if (c == '\n') {
        lines.push_back(line);
        line.clear();
      } else if (c != '\r') {
        line += c;
      }
    }
    return lines;
  }
  bool Has(const std::string& line) const {
    for (const std::string& l : Lines())
      if (l == line) return true;
    return false;
  }
  bool WaitFor(const std::string& line, DWORD ms) const {
    const DWORD t0 = GetTickCount();
    do {
      if (Has(line)) return true;
      Sleep(20);
    } while (GetTickCount() - t0 < ms);
    return false;
  }
  bool WaitEnd(DWORD ms) const { return process_.WaitEnd(ms); }

 private:
  std::string log_;
  ChildProcess process_;
};

// The numbers of the ticks the process traced, in order.
std::vector<int> Ticks(const TraceViewer& viewer, DWORD pid) {
  std::vector<int> ticks;
  const std::string key = kTraceTimerCount;
  for (const std::string& line : viewer.LinesOf(pid))
    if (line.compare(0, key.size(), key) == 0) ticks.push_back(std::atoi(line.c_str() + key.size()));
  return ticks;
}

constexpr int kNoTick = INT_MIN;

// The tick number traced last before the first line containing text; kNoTick when none.
int TickBefore(const TraceViewer& viewer, DWORD pid, const std::string& text) {
  int tick = kNoTick;
  const std::string key = kTraceTimerCount;
  for (const std::string& line : viewer.LinesOf(pid)) {
    if (line.find(text) != std::string::npos) return tick;
    if (line.compare(0, key.size(), key) == 0) tick = std::atoi(line.c_str() + key.size());
  }
  return kNoTick;
}

void CloseAgent(ChildProcess& agent) {
  if (const HWND window = WaitForWindow(kAgentClass, 1000, agent.Id())) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  EXPECT_TRUE(agent.WaitEnd(15000));
}

// The update offered here is no setup of this product: the update run deletes it and says so.
void DismissBadToken() {
  const box_driver::BoxInfo info = WaitForBox("Error");
  EXPECT_NE(info.text.find("Bad Secret Token!"), std::string::npos) << info.text;
  ASSERT_FALSE(info.buttons.empty());
  EXPECT_TRUE(box_driver::PressButton(info, info.buttons[0].window, box_driver::PressWay::Command));
}

class AgentCycle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (g_nginx.empty()) GTEST_SKIP() << "run through stub/wine-tests/net/serve_and_run.py";
  }
};

TEST_F(AgentCycle, TheFourthTickFetchesTheInfoFileOffersAndTellsTheListener) {
  TestDir dir("offer");
  const std::string exe = MakeAgent(dir, g_nginx + "/");
  WriteFile(dir.path() + "Tolvane.original", Settings(4, 0));
  Publish("Tolvane.info", InfoFile(g_nginx, kUpdateSize));
  Publish(kUpdateName, std::string(kUpdateSize, 'u'));
  TraceViewer viewer(dir.path(), "offer");
  ASSERT_TRUE(viewer.Ready());
  const std::int64_t before = AgentSeconds(LocalNow());
  ChildProcess agent(exe, "");
  Listener listener(dir.path() + "listener.log", std::string("/register=") + kAgentClass);
  ASSERT_TRUE(listener.Started());
  EXPECT_TRUE(listener.WaitFor(NoticeLine(AgentNotice::CommandMessage, kMsgCommand), 20000));
  DismissBadToken();
  ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformShot, 2), 30000))
      << ::testing::PrintToString(viewer.LinesOf(agent.Id()));
  EXPECT_EQ(TickBefore(viewer, agent.Id(), " Fire  "), 1);  // -3 + 4 ticks
  EXPECT_TRUE(viewer.Has(agent.Id(), TraceValue(kTraceShotTimeStatus, 2)));
  EXPECT_TRUE(viewer.Has(agent.Id(), TraceValue(kTraceCheckLevel, kLevelOffered)));
  EXPECT_TRUE(viewer.Has(agent.Id(), StageLine(kStagePerformAutoUpdate, 12)));
  EXPECT_FALSE(std::filesystem::exists(dir.path() + kUpdateName));
  EXPECT_FALSE(std::filesystem::exists(dir.path() + kDownloads + kUpdateName));
  EXPECT_TRUE(listener.WaitFor(NoticeLine(AgentNotice::InfoDownload, kNoticeEnds), 5000));
  // The check writes its bookkeeping and removes the info file.
  const std::string settings = dir.path() + "Tolvane.original";
  EXPECT_EQ(IniReadText(settings, "OriginalSetup", "Stamp", ""), "8");
  EXPECT_GE(ParseDecimal(IniReadText(settings, "OriginalSetup", "ProbeSecondsLast", ""), 0), before);
  EXPECT_GE(ParseDecimal(IniReadText(settings, "OriginalSetup", "ReAskSecondsLast", ""), 0), before);
  EXPECT_NE(IniReadText(settings, "OriginalSetup", "__ProbeSecondsLast", ""), "");
  EXPECT_TRUE(viewer.WaitFor(agent.Id(), TraceValue(kTraceTimerCount, 3), 10000));
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "Tolvane.info"));
  // Interval 0: one check per run; later ticks do not check again.
  EXPECT_TRUE(viewer.Has(agent.Id(), TraceValue(kTraceShotTimeStatus, 0)));
  const HWND window = WaitForWindow(kAgentClass, 5000, agent.Id());
  ASSERT_NE(window, nullptr);
  CloseAgent(agent);
  EXPECT_TRUE(listener.WaitEnd(10000));
  const std::vector<std::string> lines = listener.Lines();
  std::vector<std::string> notes;
  for (const std::string& l : lines)
    if (l.compare(0, 7, "notify ") == 0 &&
        l.rfind(NoticePrefix(AgentNotice::TransientWindow), 0) != 0)
      notes.push_back(l);
  EXPECT_EQ(notes, (std::vector<std::string>{NoticeLine(AgentNotice::CommandMessage, kMsgCommand), NoticeLine(AgentNotice::InfoDownload, kNoticeBegins), NoticeLine(AgentNotice::InfoDownload, kNoticeEnds),
                                              NoticeLine(AgentNotice::FileDownload, kNoticeBegins), NoticeLine(AgentNotice::FileDownload, kNoticeEnds), NoticeLine(AgentNotice::WindowEnd, 0)}));
  EXPECT_TRUE(listener.Has(NoticePrefix(AgentNotice::TransientWindow) + std::to_string(reinterpret_cast<long long>(window))));
}

TEST_F(AgentCycle, LevelsStopAtTheFirstUnmetStepAndNothingIsDownloaded) {
  struct Case {
    const char* what;
    std::string settings, info;
    int level;
  };
  const Case cases[] = {
      {"size differs", Settings(4, 0), InfoFile(g_nginx, kUpdateSize + 1), 5},
      {"ValidVersions 3,5 with version 4", Settings(4, 0), InfoFile(g_nginx, kUpdateSize, 5, "3,5"), 4},
      {"same stamp, never re-asked", Settings(4, 0, 8), InfoFile(g_nginx, kUpdateSize), 2},
      {"no installed version", Settings(0, 0), InfoFile(g_nginx, kUpdateSize), 1},
      {"a 404 page instead of the info file", Settings(4, 0), "", 0},
      // Names from the info file are data: a path, or the agent's own files, are never asked for.
      {"a name with a folder", Settings(4, 0),
       InfoFile(g_nginx, kUpdateSize, 5, "", std::string("..\\") + kUpdateName), 5},
      {"the settings file's name", Settings(4, 0),
       InfoFile(g_nginx, kUpdateSize, 5, "", "Tolvane.original"), 5},
  };
  Publish(kUpdateName, std::string(kUpdateSize, 'u'));
  for (const Case& c : cases) {
    TestDir dir("levels");
    const std::string exe = MakeAgent(dir, g_nginx);
    WriteFile(dir.path() + "Tolvane.original", c.settings);
    if (c.info.empty())
      std::remove(WindowsPath(g_docroot + "/Tolvane.info").c_str());
    else
      Publish("Tolvane.info", c.info);
    TraceViewer viewer(dir.path(), "levels");
    ASSERT_TRUE(viewer.Ready());
    ChildProcess agent(exe, "/SleepX=0");
    const std::string line = kTraceCheckLevel + std::to_string(c.level);
    EXPECT_TRUE(viewer.WaitFor(agent.Id(), line, 30000))
        << c.what << ::testing::PrintToString(viewer.LinesOf(agent.Id()));
    EXPECT_EQ(TickBefore(viewer, agent.Id(), " Fire  "), 1) << c.what;  // "/SleepX=0": first tick
    EXPECT_FALSE(viewer.Has(agent.Id(), std::string(kStagePerformShot) + "-1")) << c.what;
    EXPECT_FALSE(std::filesystem::exists(dir.path() + kUpdateName)) << c.what;
    EXPECT_FALSE(std::filesystem::exists(dir.path() + kDownloads + kUpdateName)) << c.what;
    CloseAgent(agent);
  }
}

TEST_F(AgentCycle, CommandsReadAndWriteSettingsAndCheckNowWithoutTimerChecks) {
  TestDir dir("commands");
  const std::string exe = MakeAgent(dir, g_nginx);
  WriteFile(dir.path() + "Tolvane.original", Settings(4, -1));
  Publish("Tolvane.info", InfoFile(g_nginx, kUpdateSize));
  Publish(kUpdateName, std::string(kUpdateSize, 'u'));
  TraceViewer viewer(dir.path(), "commands");
  ASSERT_TRUE(viewer.Ready());
  ChildProcess agent(exe, "/SleepX=0");
  {
    using C = AgentCommandCode;
    const C set_slot_1 = C(int(C::SetOverrideSlot0) + 1);
    Listener listener(dir.path() + "l1.log",
                      std::string("/register=") + kAgentClass +
                          CommandSwitch(C::VersionOriginal, 0) +
                          CommandSwitch(C::ProbeSecondsInterval, 0) +
                          CommandSwitch(C::SetReAskSecondsInterval, -5) +
                          CommandSwitch(C::ReAskSecondsInterval, 0) + CommandSwitch(set_slot_1, 1) +
                          CommandSwitch(C::AgentState, 0));
    ASSERT_TRUE(listener.WaitFor(ResultLine(C::AgentState, 0, int(AgentActivity::Idle)), 20000));
    EXPECT_TRUE(listener.Has(ResultLine(C::VersionOriginal, 0, 4)));
    EXPECT_TRUE(listener.Has(ResultLine(C::ProbeSecondsInterval, 0, -1)));
    // SetReAskSecondsInterval wrote it, sign-extended.
    EXPECT_TRUE(listener.Has(ResultLine(C::ReAskSecondsInterval, 0, -5)));
    EXPECT_EQ(IniReadText(dir.path() + "Tolvane.original", "OriginalSetup",
                          "ReAskSecondsInterval", ""),
              "-5");
  }
  // Interval -1: no check by timer.
  ASSERT_TRUE(viewer.WaitFor(agent.Id(), TraceValue(kTraceTimerCount, 5), 15000));
  EXPECT_FALSE(viewer.Has(agent.Id(), " Fire  "));
  // CheckNow checks at the next tick.
  Listener check(dir.path() + "l2.log", std::string("/register=") + kAgentClass +
                                                 CommandSwitch(AgentCommandCode::CheckNow, 1));
  EXPECT_TRUE(check.WaitFor(NoticeLine(AgentNotice::InfoDownload, kNoticeEnds), 20000));
  EXPECT_TRUE(viewer.WaitFor(agent.Id(), TraceValue(kTraceCheckLevel, kLevelOffered), 10000));
  // Override slot 1 was set: the update run asks before it downloads, and No downloads nothing.
  const box_driver::BoxInfo question = WaitForBox("Confirm");
  ASSERT_EQ(question.caption, "Confirm");
  EXPECT_TRUE(box_driver::PressButton(question, box_driver::FindButton(question, "&No"),
                                      box_driver::PressWay::Command));
  EXPECT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 12), 10000));
  EXPECT_FALSE(viewer.Has(agent.Id(), StageLine(kStagePerformAutoUpdate, 6)));
  EXPECT_FALSE(std::filesystem::exists(dir.path() + kUpdateName));
  EXPECT_FALSE(std::filesystem::exists(dir.path() + kDownloads + kUpdateName));
  CloseAgent(agent);
}

TEST_F(AgentCycle, StopCountdownThreeEndsTheAgentOnTheFourthTick) {
  TestDir dir("stop");
  const std::string exe = MakeAgent(dir, g_nginx);
  TraceViewer viewer(dir.path(), "stop");
  ASSERT_TRUE(viewer.Ready());
  ChildProcess agent(exe, "/SleepX=100");
  Listener listener(dir.path() + "stop.log", std::string("/register=") + kAgentClass + " /stop=3");
  ASSERT_TRUE(agent.WaitEnd(20000));
  EXPECT_TRUE(listener.WaitFor(NoticeLine(AgentNotice::WindowEnd, 0), 5000));
  // The ticks after the command: 3 -> 2 -> 1 -> 0, and the fourth posts the quit message.
  EXPECT_EQ(TicksAfter(viewer, agent.Id(), TraceValue(kTraceStopCountdown, 3)), 4)
      << ::testing::PrintToString(viewer.LinesOf(agent.Id()));
}

// The answer to the agent's interactive-check question, pressed through the box driver.
void AnswerCheckQuestion(const TraceViewer& viewer, DWORD pid, const char* button) {
  const box_driver::BoxInfo info = WaitForBox("Confirm");
  ASSERT_EQ(info.caption, "Confirm") << ::testing::PrintToString(viewer.LinesOf(pid));
  EXPECT_EQ(info.text.find("Check Tolvane now?"), 0u) << info.text;
  EXPECT_NE(info.text.find("Test Mode"), std::string::npos) << info.text;
  // Timer messages keep arriving while the box is up; the tick that asks holds the guard, so
  // they return before they count. A second is ten ticks at the tests' pace.
  const std::size_t ticks = Ticks(viewer, pid).size();
  Sleep(1000);
  EXPECT_EQ(Ticks(viewer, pid).size(), ticks);
  bool pressed = false;
  for (const auto& b : info.buttons)
    if (b.caption == button)
      pressed = box_driver::PressButton(info, b.window, box_driver::PressWay::Command);
  EXPECT_TRUE(pressed) << button;
}

int CountLines(const TraceViewer& viewer, DWORD pid, const std::string& start) {
  int n = 0;
  for (const std::string& l : viewer.LinesOf(pid)) n += l.compare(0, start.size(), start) == 0;
  return n;
}

TEST_F(AgentCycle, TestModeTakesItsFilesFromTheRegistryFolderAndAsksWithANote) {
  TestDir dir("testmode");
  TestDir source("testmode_source");
  // The web address leads nowhere: everything must come from the folder. Interval -1: only
  // commands check.
  const std::string exe = MakeAgent(dir, "http://127.0.0.1:1");
  WriteFile(dir.path() + "Tolvane.original", Settings(4, -1, 8));
  WriteFile(source.path() + "Tolvane.info", InfoFile("http://127.0.0.1:1", kUpdateSize));
  WriteFile(source.path() + kUpdateName, std::string(kUpdateSize, 'u'));
  const TestModeKey key(source.path());
  TraceViewer viewer(dir.path(), "testmode");
  ASSERT_TRUE(viewer.Ready());
  ChildProcess agent(exe, "/SleepX=0");
  ASSERT_TRUE(viewer.WaitFor(agent.Id(), TraceValue(kTraceTimerCount, 2), 15000));
  {  // An interactive check: Yes checks at once; the same stamp does not hold it back.
    Listener ask(dir.path() + "yes.log", std::string("/register=") + kAgentClass +
                     CommandSwitch(AgentCommandCode::CheckNow, kCheckNowInteractive));
    AnswerCheckQuestion(viewer, agent.Id(), "&Yes");
    DismissBadToken();
    ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformShot, 2), 15000))
        << ::testing::PrintToString(viewer.LinesOf(agent.Id()));
    EXPECT_EQ(CountLines(viewer, agent.Id(), " Fire  "), 1);  // the ticks under the box did not
    EXPECT_TRUE(viewer.Has(agent.Id(), std::string(kTraceDownloadFile) + "TRUE " + source.path() + "Tolvane.info"));
    EXPECT_TRUE(viewer.Has(agent.Id(), TraceValue(kTraceCheckLevel, kLevelOffered)));
  }
  {  // Nothing to offer: the interactive check says so, why, and its level.
    IniWriteText(dir.path() + "Tolvane.original", "OriginalSetup", "VersionOriginal", "0");
    Listener ask(dir.path() + "none.log", std::string("/register=") + kAgentClass +
                     CommandSwitch(AgentCommandCode::CheckNow, kCheckNowInteractive));
    AnswerCheckQuestion(viewer, agent.Id(), "&Yes");
    const box_driver::BoxInfo info = WaitForBox("Attention");
    EXPECT_EQ(info.caption, "Attention");
    EXPECT_EQ(info.text,
              "Nothing new\r\n\r\nNo installed version is recorded in the settings "
              "(VersionOriginal).   (1)   ");
    ASSERT_FALSE(info.buttons.empty());
    EXPECT_TRUE(box_driver::PressButton(info, info.buttons[0].window, box_driver::PressWay::Command));
    EXPECT_TRUE(viewer.WaitFor(agent.Id(), " TestMode=TRUE InternetConnected=TRUE", 5000));
    EXPECT_EQ(CountLines(viewer, agent.Id(), " Fire  "), 2);
  }
  {  // No skips the check.
    Listener ask(dir.path() + "no.log", std::string("/register=") + kAgentClass +
                     CommandSwitch(AgentCommandCode::CheckNow, kCheckNowInteractive));
    AnswerCheckQuestion(viewer, agent.Id(), "&No");
    const int ticks = int(Ticks(viewer, agent.Id()).size());
    const DWORD t0 = GetTickCount();
    while (int(Ticks(viewer, agent.Id()).size()) < ticks + 2 && GetTickCount() - t0 < 10000)
      Sleep(20);
    EXPECT_EQ(CountLines(viewer, agent.Id(), " Fire  "), 2);
  }
  CloseAgent(agent);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: agent_cycle_wine_test WEXLINSTUB_EXE TRACE_VIEWER_EXE LISTENER_EXE\n");
    return 2;
  }
  g_stub = WindowsPath(argv[1]);
  TraceViewerExe() = WindowsPath(argv[2]);
  TestDirPrefix() = "net_test_";
  g_listener = WindowsPath(argv[3]);
  g_nginx = Env("WEXLIN_TEST_HTTP");
  g_docroot = Env("WEXLIN_TEST_DOCROOT");
  QuickStubPace();
  return RUN_ALL_TESTS();
}
