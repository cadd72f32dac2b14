// Under wine, between nginx and the scripted server (net/serve_and_run.py): the real WexlinStub
// agent of an installed program finds version 2 published, downloads the new setup (a real
// setup stub with the same token whose setup program is SampleSetup), stops the running
// WexlinTestApp by the configured method, runs the setup, restarts the program and itself. The
// faults: a foreign token, an older file at the target with a failing download, an empty local
// file. Inform mode shows the inform file's text.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ArchiveWriter.h"
#include "BoxDriver.h"
#include "InformWriter.h"
#include "TokenScramble.h"
#include "agent_test_support.h"
#include "format/GFileInfo.h"
#include "format/Signing.h"
#include "format/archive_test_files.h"
#include "net/test_ca.h"
#include "protocol_lines.h"
#include "stub_run_support.h"
#include "text/UtilsText.h"
#include "win/Utils.h"
#include "wine_process.h"

namespace {

std::string g_stub, g_sample, g_app, g_listener, g_nginx, g_docroot;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

const char kToken[] = "PRODUCT-TOKEN";
const char kAgentName[] = "TolvaneAU.exe";
const char kCopyClass[] = ".AutoUpdate.X_TolvaneAU";
const char kUpdateName[] = "TolvaneSetup2.exe";
const char kAppClass[] = "WexlinTestApp";

// The publisher's key, a second key the agent does not trust, and the key that a built stub
// trusts while a Signed guard is alive (none otherwise).
sig::SecretKey g_key, g_other;
std::string g_update_key;

class Signed {
 public:
  explicit Signed(const sig::SecretKey& key) { g_update_key = sig::PublicKeyText(key.public_key); }
  ~Signed() { g_update_key.clear(); }
  Signed(const Signed&) = delete;
  Signed& operator=(const Signed&) = delete;
};

pack::UpdateInfo UpdateBlock() {
  pack::UpdateInfo u;
  u.url = g_nginx;
  u.update_file = "Tolvane.info";
  u.agent_exe = kAgentName;
  u.token = kToken;
  u.update_key = g_update_key;
  return u;
}

std::string SignatureOf(const std::string& data, const sig::SecretKey& key = g_key) {
  return sig::SignatureText(sig::SignBytes(key, data));
}

// The test program's log: every start and stop of app.exe, the restarted one included (it is
// started without switches, so both write the default log).
std::string AppLog() { return TempFolder() + "WexlinTestApp.log"; }

std::vector<std::string> AppLogLines(const std::string& start) {
  std::vector<std::string> lines;
  for (const std::string& l : SplitLines(ReadFile(AppLog())))
    if (l.compare(0, start.size(), start) == 0) lines.push_back(l);
  return lines;
}

// The start lines of the log once there are n (or after 10 s).
std::vector<std::string> WaitForStarts(std::size_t n) {
  const DWORD t0 = GetTickCount();
  while (AppLogLines("start").size() < n && GetTickCount() - t0 < 10000) Sleep(20);
  return AppLogLines("start");
}

// Posts WM_CLOSE to every window of the class and waits (bounded) until none is left, their
// programs have ended and a copy's self-deleting batch is done: a program still on its way out
// could be taken for the next test's (the agent finds programs by name), and a batch still at
// work could delete the next copy. A window still there is asked again every 200 ms; the ends
// are seen within 20.
void CloseAllOfClass(const char* cls) {
  const DWORD t0 = GetTickCount();
  const auto in_time = [t0] { return GetTickCount() - t0 <= 15000; };
  std::map<DWORD, HANDLE> closed;
  HWND asked = nullptr;
  DWORD asked_at = 0;
  while (HWND w = FindWindowA(cls, nullptr)) {
    if (w != asked || GetTickCount() - asked_at >= 200) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid && !closed.count(pid)) closed[pid] = OpenProcess(SYNCHRONIZE, FALSE, pid);
      PostMessageA(w, WM_CLOSE, 0, 0);
      PostMessageA(w, WM_CLOSE, 0, 0);
      asked = w;
      asked_at = GetTickCount();
    }
    Sleep(20);
    if (!in_time()) break;
  }
  for (const auto& [pid, process] : closed) {
    if (process) {
      while (in_time() && WaitForSingleObject(process, 20) == WAIT_TIMEOUT) {
      }
      CloseHandle(process);
    }
    const std::string batch = TempFolder() + "_DEL_ME_" + std::to_string(pid) + ".BAT";
    while (in_time() && std::filesystem::exists(batch)) Sleep(20);
  }
}

// The agent's transient copy, "X_" + the agent's name, found by its window: the process that
// checks and updates.
class AgentCopy {
 public:
  explicit AgentCopy(DWORD except_pid) {
    const DWORD t0 = GetTickCount();
    while (!pid_ && GetTickCount() - t0 < 20000) {
      for (HWND w = FindWindowExA(nullptr, nullptr, kCopyClass, nullptr); w;
           w = FindWindowExA(nullptr, w, kCopyClass, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != except_pid) pid_ = pid;
      }
      if (!pid_) Sleep(20);
    }
    if (pid_) process_ = OpenProcess(SYNCHRONIZE, FALSE, pid_);
  }
  ~AgentCopy() {
    if (process_) CloseHandle(process_);
  }
  AgentCopy(AgentCopy&& other) noexcept : pid_(other.pid_), process_(other.process_) {
    other.process_ = nullptr;
  }
  AgentCopy(const AgentCopy&) = delete;
  AgentCopy& operator=(const AgentCopy&) = delete;
  AgentCopy& operator=(AgentCopy&&) = delete;

  DWORD Id() const { return pid_; }
  bool WaitEnd(DWORD ms) const { return process_ && WaitForSingleObject(process_, ms) == WAIT_OBJECT_0; }
  bool Running() const { return process_ && !WaitEnd(0); }

 private:
  DWORD pid_ = 0;
  HANDLE process_ = nullptr;
};

// One installed product: the folder with app.exe, the agent and its settings file. The agent
// checks on its first tick ("/SleepX=0"; interval 0: once per run).
class Installed {
 public:
  explicit Installed(const std::string& name) : dir_(name) {
    CloseAllOfClass(kCopyClass);  // none of an earlier test may pass for this one's copy
    // A folder of the same name that an earlier run could not remove (its copy's batch was
    // still at work) would hand this run a left copy and an old trace.
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path(), ignored))
      std::filesystem::remove_all(entry.path(), ignored);
    std::remove(AppLog().c_str());
    CopyFileA(g_app.c_str(), (dir_.path() + "app.exe").c_str(), FALSE);
    pack::PackOptions o;
    o.stub_path = g_stub;
    o.seed = 7;
    o.auto_update_prog = true;
    o.update = UpdateBlock();
    pack::PackEntry setup;
    setup.name = "Setup.exe";
    setup.is_setup = true;
    setup.data = "setup";
    o.entries = {setup};
    pack::WriteArchive(o, dir_.path() + kAgentName);
    Settings({});
    WriteFile(Version(), "1");
  }
  ~Installed() {
    CloseAllOfClass(kCopyClass);
    CloseAllOfClass(kAppClass);
  }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;

  const std::string& Dir() const { return dir_.path(); }
  // The agent's own folder for the files the info file names.
  std::string Downloads() const { return dir_.path() + "TolvaneAU.downloads\\"; }
  // The folder without its final backslash, as "TargetDir" holds it.
  std::string Folder() const { return dir_.path().substr(0, dir_.path().size() - 1); }
  std::string Version() const { return dir_.path() + "version.txt"; }
  std::string SettingsFile() const { return dir_.path() + "Tolvane.original"; }
  std::string VersionOriginal() const {
    return IniReadText(SettingsFile(), "OriginalSetup", "VersionOriginal", "");
  }
  std::string SetupLog() const { return dir_.path() + "setup.log"; }

  void Settings(const std::map<std::string, std::string>& texts) const {
    std::string s = "[OriginalSetup]\r\nProgramName=Tolvane\r\nVersionOriginal=1\r\nStamp=7\r\n"
                    "ProbeSecondsInterval=0\r\n[Directories]\r\nTargetDir=" + Folder() +
                    "\r\n[AutoUpdate]\r\ns15=Please close PROG_NAME.\r\n";
    for (const auto& t : texts) s += t.first + "=" + t.second + "\r\n";
    WriteFile(SettingsFile(), s);
  }

  // The new version's setup: the product's token (or another), installing app.exe and
  // version.txt into this folder.
  std::string SetupBytes(const std::string& version, const std::string& token = kToken) const {
    pack::PackOptions o;
    o.stub_path = g_stub;
    o.seed = 9;
    o.level = 1;  // the programs inside are large; the tests need no small file
    o.update = UpdateBlock();
    o.update.token = token;
    pack::PackEntry setup;
    setup.name = "Setup.exe";
    setup.path = g_sample;
    setup.is_setup = true;
    setup.setup_args = "/Target=" + Dir() + " /Log=" + SetupLog();
    pack::PackEntry app;
    app.name = "app.exe";
    app.path = g_app;
    pack::PackEntry ver;
    ver.name = "version.txt";
    ver.data = version;
    o.entries = {setup, app, ver};
    const std::string path = dir_.path() + "built.tmp";
    pack::WriteArchive(o, path);
    std::string bytes = ReadFile(path);
    std::filesystem::remove(path);
    return bytes;
  }

  ChildProcess StartApp(const std::string& args) const {
    ChildProcess app(dir_.path() + "app.exe", args);
    WaitForWindow(kAppClass, 10000, app.Id());
    return app;
  }
  // The agent under its own name; its transient copy checks at its first tick.
  // "/STOP=" reaches the copy: a copy told to stop in N ticks does not restart the agent.
  AgentCopy StartAgent(const std::string& args = "") const {
    ChildProcess agent(dir_.path() + kAgentName, "/DELAY=0" + (args.empty() ? "" : " " + args));
    AgentCopy copy(agent.Id());
    // The agent ends once its copy runs and has its commands.
    EXPECT_TRUE(agent.WaitEnd(20000));
    return copy;
  }

 private:
  TestDir dir_;
};

// The info file: version 2 of size bytes at base, plus the given keys of section NewSetup.
std::string InfoFile(const std::string& base, std::size_t size,
                     const std::map<std::string, std::string>& keys) {
  std::string s = "[NewSetup]\r\nDownloadURL_UPDATE=" + base + "\r\nNameOfUpdateFile=" +
                  kUpdateName + "\r\nSizeOfUpdateFile=" + std::to_string(size) +
                  "\r\nVersionNew=2\r\nStamp=8\r\nProgramName=Tolvane\r\n"
                  "RunningProcess=<InstallDir>app.exe\r\nRestartProcess=1\r\nBackgroundUpdate=1\r\n";
  for (const auto& k : keys) s += k.first + "=" + k.second + "\r\n";
  return s;
}

void Publish(const std::string& name, const std::string& data) {
  WriteFile(WindowsPath(g_docroot + "/" + name), data);
}

// The file and its signature beside it, as the publisher uploads them.
void PublishSigned(const std::string& name, const std::string& data,
                   const sig::SecretKey& key = g_key) {
  Publish(name, data);
  Publish(name + ".sig", SignatureOf(data, key));
}

// The listener program registered with the agent's copy; its log lines.
class Listener {
 public:
  explicit Listener(const std::string& log) : log_(log) {
    process_ = ChildProcess(g_listener, "\"" + log + "\" /register=" + kCopyClass);
  }
  std::vector<std::string> Notes() const {
    std::vector<std::string> notes;
    for (const std::string& l : SplitLines(ReplaceAll(ReplaceAll(ReadFile(log_), "\r", ""), "\n", "\r\n")))
      if (l.rfind(NoticePrefix(AgentNotice::FileDownload), 0) == 0 ||
          l.rfind(NoticePrefix(AgentNotice::SetupRun), 0) == 0 ||
          l.rfind(NoticePrefix(AgentNotice::WindowEnd), 0) == 0)
        notes.push_back(l);
    return notes;
  }

 private:
  std::string log_;
  ChildProcess process_;
};

bool Press(const box_driver::BoxInfo& info, const std::string& caption) {
  const HWND button = box_driver::FindButton(info, caption);
  return button && box_driver::PressButton(info, button, box_driver::PressWay::Command);
}

// The trace of every process, and the agent's box if one is up.
std::string Dump(const TraceViewer& viewer) {
  std::string text = "\n";
  for (const std::string& line : viewer.Lines()) text += line + "\n";
  if (const HWND box = box_driver::FindBox("WMsgBox", 0))
    text += "box up: " + box_driver::FormatBox(box_driver::ReadBox(box, false)) + "\n";
  return text;
}

// Whether a line of any process contains the text.
bool AnyLineHas(const TraceViewer& viewer, const std::string& text) {
  for (const std::string& line : viewer.Lines())
    if (line.find(text) != std::string::npos) return true;
  return false;
}

class AutoUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    if (g_nginx.empty()) GTEST_SKIP() << "run through stub/wine-tests/net/serve_and_run.py";
  }
};

// Every published address (the agent's info URL and the info file's base) is `base` while it
// lives: the https servers serve the same folder as nginx's http server.
class PublishedAt {
 public:
  explicit PublishedAt(const std::string& base) : saved_(g_nginx) { g_nginx = base; }
  ~PublishedAt() { g_nginx = saved_; }
  PublishedAt(const PublishedAt&) = delete;
  PublishedAt& operator=(const PublishedAt&) = delete;

 private:
  std::string saved_;
};

// An inform file as the builder writes it.
std::string InformFileText(const std::string& token, const std::string& body) {
  std::mt19937 rng(3);
  return pack::InformFileText(token, body, rng);
}

// The whole update; signed: the agent trusts g_key, every published file is signed with it, the
// setup asks before it installs (while the agent holds the verified setup), and version 2 is
// built to trust g_other, which its agent copy must then carry.
void WholeUpdate(bool is_signed) {
  std::unique_ptr<Signed> trust;
  if (is_signed) trust = std::make_unique<Signed>(g_key);
  Installed in(is_signed ? "whole_signed" : "whole");
  in.Settings({{"s11", "Download PROG_NAME version 2?<P>"}, {"s12", "It installs at once."},
               {"s13", "You will be asked again."}});
  if (is_signed) g_update_key = sig::PublicKeyText(g_other.public_key);
  const std::string setup = in.SetupBytes("2");
  std::map<std::string, std::string> keys = {{"ShutDownMethod", "Using WM_CLOSE"},
                                             {"RequestConfirmationBeforeDownload", "1"}};
  if (is_signed) keys["RequestConfirmationBeforeInstall"] = "1";
  const std::string info = InfoFile(g_nginx, setup.size(), keys);
  if (is_signed) {
    PublishSigned(kUpdateName, setup);
    PublishSigned("Tolvane.info", info);
  } else {
    Publish(kUpdateName, setup);
    Publish("Tolvane.info", info);
  }
  ChildProcess app = in.StartApp("");
  TraceViewer viewer(in.Dir(), is_signed ? "whole_signed" : "whole");
  ASSERT_TRUE(viewer.Ready());
  AgentCopy agent = in.StartAgent();
  Listener listener(in.Dir() + "listener.log");

  const box_driver::BoxInfo question = WaitForBox("Confirm");
  // A setup that asks before it installs says so instead of "It installs at once".
  EXPECT_NE(question.text.find(std::string("\r\nDownload Tolvane version 2?\r\n") +
                               (is_signed ? "You will be asked again." : "It installs at once.")),
            std::string::npos) << question.text;
  EXPECT_TRUE(Press(question, "&Yes"));
  if (is_signed) {
    // Verified and held: no other process can write, delete or rename the setup until it ran.
    const box_driver::BoxInfo install = WaitForBox("Confirm", 20000, question.window);
    const std::string held = in.Downloads() + kUpdateName;
    EXPECT_TRUE(viewer.Has(agent.Id(), " Verified " + held)) << Dump(viewer);
    EXPECT_TRUE(viewer.Has(agent.Id(), " Verified " + in.Dir() + "Tolvane.info")) << Dump(viewer);
    const HANDLE writer = CreateFileA(held.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    EXPECT_FALSE(DeleteFileA(held.c_str()));
    EXPECT_TRUE(Press(install, "&Yes"));
  }
  ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 12), 60000)) << Dump(viewer);

  // The program was closed by its window, the setup of version 2 ran as an agent's update with
  // the settings named, and the program started again in its own folder.
  EXPECT_TRUE(app.WaitEnd(5000));
  const std::vector<std::string> stops = AppLogLines("stop pid=" + std::to_string(app.Id()));
  ASSERT_EQ(stops.size(), 1u);
  EXPECT_NE(stops[0].find("how=close"), std::string::npos) << stops[0];
  EXPECT_TRUE(viewer.Has(agent.Id(), " RunningProcess=" + in.Dir() + "app.exe running=TRUE"));
  EXPECT_EQ(ReadFile(in.Version()), "2");
  EXPECT_EQ(in.VersionOriginal(), "2");
  const std::vector<std::string> setup_log = SplitLines(ReadFile(in.SetupLog()));
  ASSERT_FALSE(setup_log.empty());
  EXPECT_NE(setup_log[0].find("/OriginalInfoFile=\"" + in.Dir() + "Tolvane.info\""),
            std::string::npos) << setup_log[0];
  EXPECT_NE(setup_log[0].find(" /AutoUpdateProg"), std::string::npos) << setup_log[0];
  EXPECT_FALSE(std::filesystem::exists(in.Downloads() + kUpdateName));  // deleted after its run
  const std::vector<std::string> starts = WaitForStarts(2);
  ASSERT_EQ(starts.size(), 2u) << ReadFile(AppLog());
  EXPECT_NE(starts[1].find(" dir=" + in.Folder() + " args="), std::string::npos) << starts[1];

  // The copy starts the agent program again and ends, deleting itself through its batch; the
  // agent makes a new copy in its place.
  const std::string restart =
      in.Dir() + kAgentName + " /_ZZ=99 /WAIT=3 /TRANSIENT=|255|255|255|255|255|255|";
  EXPECT_TRUE(viewer.Has(agent.Id(), std::string(kTraceRestartAgent) + restart)) << Dump(viewer);
  EXPECT_TRUE(agent.WaitEnd(15000));
  EXPECT_TRUE(viewer.WaitFor(agent.Id(), " SelfDeleteBatch", 15000)) << Dump(viewer);
  const AgentCopy next(agent.Id());
  ASSERT_NE(next.Id(), 0u) << Dump(viewer);
  EXPECT_TRUE(viewer.WaitFor(next.Id(), " TRANSIENTx=|255|255|255|255|255|255|", 15000))
      << Dump(viewer);
  // Lines of processes tracing at once may interleave in the viewer: the start line is matched
  // up to the switches, and the agent's own reading of "/_ZZ=99" stands for the rest.
  EXPECT_TRUE(AnyLineHas(viewer, std::string(kTraceStubStart) + in.Dir() + kAgentName + " /_ZZ=99 /WAIT=3"))
      << Dump(viewer);
  EXPECT_TRUE(AnyLineHas(viewer, " CreateAndRun_X_Exe-1 99")) << Dump(viewer);
  EXPECT_FALSE(AnyLineHas(viewer, "replacing a left copy")) << Dump(viewer);
  EXPECT_EQ(listener.Notes(), (std::vector<std::string>{NoticeLine(AgentNotice::FileDownload, kNoticeBegins), NoticeLine(AgentNotice::FileDownload, kNoticeEnds),
                                                         NoticeLine(AgentNotice::SetupRun, kNoticeBegins), NoticeLine(AgentNotice::SetupRun, kNoticeEnds),
                                                         NoticeLine(AgentNotice::WindowEnd, 0)}));
  // The key rotates with the update: the agent now trusts the key version 2 was built with.
  if (is_signed) {
    EXPECT_EQ(TGFileInfo(in.Dir() + kAgentName).UpdateKey(),
              sig::PublicKeyText(g_other.public_key));
  }
}

TEST_F(AutoUpdate, WholeUpdateStopsInstallsRestartsTheProgramAndTheAgent) { WholeUpdate(false); }

TEST_F(AutoUpdate, SignedWholeUpdateRunsFromTheHeldSetupAndRotatesTheKey) { WholeUpdate(true); }

// Over https with the test CA trusted the signed update installs; from a server whose
// certificate does not verify nothing is taken, with the certificate named in the trace.
TEST_F(AutoUpdate, SignedUpdateOverHttpsOnlyFromATrustedServer) {
  if (Env("WEXLIN_TEST_HTTPS").empty()) GTEST_SKIP() << "run with the https servers (TLS)";
  const TrustedTestCa ca(WindowsPath(Env("WEXLIN_TEST_CA_DER")));
  ASSERT_TRUE(ca.trusted());
  const Signed trust(g_key);
  for (const char* server : {"WEXLIN_TEST_HTTPS", "WEXLIN_TEST_HTTPS_UNTRUSTED",
                             "WEXLIN_TEST_HTTPS_OTHER_CA"}) {
    const bool trusted = std::string(server) == "WEXLIN_TEST_HTTPS";
    const PublishedAt at(Env(server));
    Installed in("https");
    const std::string setup = in.SetupBytes("2");
    PublishSigned(kUpdateName, setup);
    PublishSigned("Tolvane.info",
                  InfoFile(g_nginx, setup.size(), {{"ShutDownMethod", "Using WM_CLOSE"}}));
    ChildProcess app = in.StartApp("");
    TraceViewer viewer(in.Dir(), "https");
    ASSERT_TRUE(viewer.Ready());
    AgentCopy agent = in.StartAgent("/STOP=100");
    ASSERT_TRUE(viewer.WaitFor(agent.Id(), kTraceCheckLevel, 30000)) << server << Dump(viewer);
    if (trusted) {
      ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 12), 60000))
          << Dump(viewer);
      EXPECT_TRUE(viewer.Has(agent.Id(), " Verified " + in.Downloads() + kUpdateName)) << Dump(viewer);
      EXPECT_TRUE(app.WaitEnd(5000));
    } else {
      EXPECT_TRUE(viewer.Has(agent.Id(), " HTTP_DownloadFile_Incremental: 6 Certificate not trusted"))
          << server << Dump(viewer);
      EXPECT_TRUE(viewer.Has(agent.Id(), TraceValue(kTraceCheckLevel, 0))) << server;
      EXPECT_TRUE(app.Running()) << server;
      EXPECT_FALSE(std::filesystem::exists(in.SetupLog())) << server;
    }
    EXPECT_EQ(ReadFile(in.Version()), trusted ? "2" : "1") << server;
    EXPECT_EQ(in.VersionOriginal(), trusted ? "2" : "1") << server;
  }
}

// Each refusal leaves version 1 installed, the program running, nothing started; the file
// that failed is deleted and named in the trace with its reason, and a box says so.
TEST_F(AutoUpdate, SignedUpdatesRefuseEveryFileThatIsNotGenuine) {
  enum class Fault { SetupOfOtherKey, InfoChanged, SetupSigMissing, InformUnsigned, OldInfo };
  struct Case {
    Fault fault;
    const char* file;    // the refused file, the info file in the agent's folder, the others in
                         // its download folder; "" when none is refused
    const char* reason;  // the trace's reason
    std::string end;     // the agent's trace line that ends the check (after the stamp is
                         // given back)
  };
  const Case cases[] = {
      {Fault::SetupOfOtherKey, kUpdateName, "signed by another key", StageLine(kStagePerformShot, 2)},
      // Not read at all: the check ends as if there were no info file (level 0).
      {Fault::InfoChanged, "Tolvane.info", "signature does not match", TraceValue(kTraceCheckLevel, 0)},
      {Fault::SetupSigMissing, kUpdateName, "no signature", StageLine(kStagePerformShot, 2)},
      {Fault::InformUnsigned, "TolvaneNews.txt", "no signature", StageLine(kStagePerformShot, 2)},
      // A genuine old info file replayed: never offered (the version level), no box.
      {Fault::OldInfo, "", "", TraceValue(kTraceCheckLevel, 3)},
  };
  const Signed trust(g_key);
  for (const Case& c : cases) {
    const std::string what = std::string(c.file) + " " + c.reason;
    Installed in("refused");
    const std::string setup = in.SetupBytes("2");
    std::string info = InfoFile(g_nginx, setup.size(), {{"ShutDownMethod", "Using Terminate Process"}});
    PublishSigned(kUpdateName, setup, c.fault == Fault::SetupOfOtherKey ? g_other : g_key);
    if (c.fault == Fault::SetupSigMissing)
      std::filesystem::remove(WindowsPath(g_docroot + "/" + kUpdateName + ".sig"));
    if (c.fault == Fault::InformUnsigned) {
      const std::string inform = InformFileText(kToken, "Version 2");
      Publish("TolvaneNews.txt", inform);
      std::filesystem::remove(WindowsPath(g_docroot + "/TolvaneNews.txt.sig"));
      info += "[General]\r\nAutoInform=1\r\n[AutoInform]\r\nNameOfInformFile=TolvaneNews.txt\r\n"
              "SizeOfInformFile=" + std::to_string(inform.size()) + "\r\n";
    }
    if (c.fault == Fault::OldInfo) info = ReplaceAll(info, "VersionNew=2", "VersionNew=1");
    PublishSigned("Tolvane.info", info);
    if (c.fault == Fault::InfoChanged)
      Publish("Tolvane.info", ReplaceAll(info, "Using Terminate Process", "Using WM_CLOSE"));
    ChildProcess app = in.StartApp("");
    TraceViewer viewer(in.Dir(), "refused");
    ASSERT_TRUE(viewer.Ready());
    AgentCopy agent = in.StartAgent("/STOP=100");
    const std::string folder = c.fault == Fault::InfoChanged ? in.Dir() : in.Downloads();
    if (*c.file) {
      const box_driver::BoxInfo error = WaitForBox("Error");
      EXPECT_NE(error.text.find("\r\nUpdate not genuine!\r\n"), std::string::npos) << what << error.text;
      EXPECT_NE(error.text.find(c.file), std::string::npos) << what << error.text;
      EXPECT_FALSE(std::filesystem::exists(folder + c.file)) << what;  // gone before the box
      EXPECT_FALSE(std::filesystem::exists(folder + c.file + ".sig")) << what;
      EXPECT_TRUE(Press(error, error.buttons.empty() ? "" : error.buttons[0].caption));
    }
    ASSERT_TRUE(viewer.WaitFor(agent.Id(), c.end, 30000)) << what << Dump(viewer);
    if (*c.file) {
      EXPECT_TRUE(AnyLineHas(viewer, " Not genuine, deleted " + folder + c.file + ": " + c.reason))
          << what << Dump(viewer);
    } else {
      EXPECT_FALSE(AnyLineHas(viewer, "Not genuine")) << Dump(viewer);
    }
    EXPECT_FALSE(viewer.Has(agent.Id(), StageLine(kStagePerformAutoUpdate, 7))) << what;
    EXPECT_FALSE(viewer.Has(agent.Id(), StageLine(kStagePerformAutoInform, 3))) << what;
    EXPECT_TRUE(app.Running()) << what;
    EXPECT_EQ(ReadFile(in.Version()), "1") << what;
    EXPECT_EQ(in.VersionOriginal(), "1") << what;
    // The refused offer is not taken as seen: the next due check offers it again.
    EXPECT_EQ(IniReadText(in.SettingsFile(), "OriginalSetup", "Stamp", ""), "7") << what;
    EXPECT_FALSE(std::filesystem::exists(in.SetupLog())) << what;
    EXPECT_TRUE(agent.Running()) << what;
  }
}

TEST_F(AutoUpdate, EveryShutDownMethodStopsTheProgramItIsMeantFor) {
  struct Case {
    const char* method;
    const char* app_mode;
    const char* stop;  // what the program's stop line says; "" when it writes none
  };
  const Case cases[] = {
      {"Using WM_QUIT", "/Mode=QuitOnly", "how=quit code=15"},
      {"Using Terminate Process", "/Mode=Ignore", ""},
      // The user is asked until the program has gone; here the test closes it.
      {"Issue a Message Box", "/Mode=Close", "how=close"},
      // Any other text sends nothing and waits until the user ends the program.
      {"Close it", "/Mode=Ignore", ""},
  };
  for (const Case& c : cases) {
    Installed in("method");
    const std::string setup = in.SetupBytes("2");
    Publish(kUpdateName, setup);
    Publish("Tolvane.info", InfoFile(g_nginx, setup.size(), {{"ShutDownMethod", c.method}}));
    ChildProcess app = in.StartApp(c.app_mode);
    const HWND app_window = WaitForWindow(kAppClass, 10000, app.Id());
    TraceViewer viewer(in.Dir(), "method");
    ASSERT_TRUE(viewer.Ready());
    AgentCopy agent = in.StartAgent("/STOP=100");
    if (std::string(c.method) == "Issue a Message Box") {
      const box_driver::BoxInfo ask = WaitForBox("Attention");
      EXPECT_NE(ask.text.find("\r\nPlease close app.exe.\r\n"), std::string::npos) << ask.text;
      PostMessageA(app_window, WM_CLOSE, 0, 0);
      EXPECT_TRUE(app.WaitEnd(10000));
      EXPECT_TRUE(Press(ask, ask.buttons.empty() ? "" : ask.buttons[0].caption));
    }
    if (std::string(c.method) == "Close it") {
      ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 8), 30000)) << Dump(viewer);
      Sleep(2000);
      EXPECT_TRUE(app.Running());
      // The wait serves messages: the copy answers a command (its state: 2, fetching the update).
      DWORD_PTR state = 0;
      EXPECT_TRUE(SendMessageTimeoutA(WaitForWindow(kCopyClass, 1000, agent.Id()), kMsgCommand,
                                      WPARAM(AgentCommandCode::AgentState), 0, SMTO_ABORTIFHUNG,
                                      5000, &state));
      EXPECT_EQ(state, DWORD_PTR(AgentActivity::FetchingFile));
      EXPECT_FALSE(viewer.Has(agent.Id(), StageLine(kStagePerformAutoUpdate, 9)));
      app.Kill();
    }
    ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 12), 60000))
        << c.method << Dump(viewer);
    EXPECT_TRUE(app.WaitEnd(5000)) << c.method;
    const std::vector<std::string> stops = AppLogLines("stop pid=" + std::to_string(app.Id()));
    if (*c.stop) {
      ASSERT_EQ(stops.size(), 1u) << c.method;
      EXPECT_NE(stops[0].find(c.stop), std::string::npos) << c.method << ": " << stops[0];
    } else {
      EXPECT_TRUE(stops.empty()) << c.method;
    }
    EXPECT_EQ(ReadFile(in.Version()), "2") << c.method;
    EXPECT_EQ(in.VersionOriginal(), "2") << c.method;
    EXPECT_EQ(WaitForStarts(2).size(), 2u) << c.method << ReadFile(AppLog());
    EXPECT_TRUE(viewer.Has(agent.Id(), TraceValue(kTraceStopCountdown, 100))) << c.method << Dump(viewer);
    EXPECT_FALSE(viewer.Has(agent.Id(), kTraceRestartAgent)) << c.method;
  }
}

// A program that never closes holds the agent only until "/STOP=": the question goes, the
// update is put off (nothing installed, its offer not held back) and the agent ends.
TEST_F(AutoUpdate, AProgramThatNeverClosesLeavesTheAgentStoppable) {
  Installed in("never_closes");
  const std::string setup = in.SetupBytes("2");
  Publish(kUpdateName, setup);
  Publish("Tolvane.info",
          InfoFile(g_nginx, setup.size(), {{"ShutDownMethod", "Issue a Message Box"}}));
  ChildProcess app = in.StartApp("/Mode=Ignore");
  TraceViewer viewer(in.Dir(), "never_closes");
  ASSERT_TRUE(viewer.Ready());
  AgentCopy agent = in.StartAgent("/STOP=100");
  const box_driver::BoxInfo ask = WaitForBox("Attention");
  EXPECT_NE(ask.text.find("\r\nPlease close app.exe.\r\n"), std::string::npos) << ask.text;
  PostMessageA(WaitForWindow(kCopyClass, 1000, agent.Id()), kMsgStopCountdown, 0, 0);
  ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 12), 15000))
      << Dump(viewer);
  EXPECT_TRUE(viewer.Has(agent.Id(), " Told to stop, update put off: " + in.Dir() + "app.exe"))
      << Dump(viewer);
  EXPECT_TRUE(agent.WaitEnd(15000)) << Dump(viewer);
  EXPECT_TRUE(app.Running());
  EXPECT_EQ(ReadFile(in.Version()), "1");
  EXPECT_EQ(in.VersionOriginal(), "1");
  EXPECT_EQ(IniReadText(in.SettingsFile(), "OriginalSetup", "Stamp", ""), "7");
  EXPECT_FALSE(std::filesystem::exists(in.Downloads() + kUpdateName));
  EXPECT_FALSE(std::filesystem::exists(in.SetupLog()));
}

// An info file that names a file of the product (here its version.txt) reaches only the
// agent's own download of that name: the product's file stays as it is.
TEST_F(AutoUpdate, AnUpdateNamedLikeAFileOfTheProductLeavesThatFileAlone) {
  Installed in("own_name");
  const std::string setup = in.SetupBytes("2", "OTHER-PRODUCT");
  Publish("version.txt", setup);
  Publish("Tolvane.info", ReplaceAll(InfoFile(g_nginx, setup.size(), {}),
                                     std::string("NameOfUpdateFile=") + kUpdateName,
                                     "NameOfUpdateFile=version.txt"));
  TraceViewer viewer(in.Dir(), "own_name");
  ASSERT_TRUE(viewer.Ready());
  AgentCopy agent = in.StartAgent("/STOP=100");
  const box_driver::BoxInfo error = WaitForBox("Error");
  EXPECT_NE(error.text.find("\r\nBad Secret Token!\r\n"), std::string::npos) << error.text;
  EXPECT_TRUE(Press(error, error.buttons.empty() ? "" : error.buttons[0].caption));
  ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 12), 20000)) << Dump(viewer);
  EXPECT_EQ(ReadFile(in.Version()), "1");
  EXPECT_FALSE(std::filesystem::exists(in.Downloads() + "version.txt"));
  EXPECT_EQ(in.VersionOriginal(), "1");
}

// Without an update key the announced size still holds for the file that runs: a setup
// replaced on the server after the size was probed is not run.
TEST_F(AutoUpdate, AnUnsignedSetupOfAnotherSizeThanAnnouncedNeverRuns) {
  Installed in("size");
  const std::string setup = in.SetupBytes("2");
  Publish(kUpdateName, setup);
  Publish("Tolvane.info", InfoFile(g_nginx, setup.size(),
                                   {{"ShutDownMethod", "Using WM_CLOSE"},
                                    {"RequestConfirmationBeforeDownload", "1"}}));
  TraceViewer viewer(in.Dir(), "size");
  ASSERT_TRUE(viewer.Ready());
  AgentCopy agent = in.StartAgent("/STOP=100");
  const box_driver::BoxInfo question = WaitForBox("Confirm");
  const std::string other = in.SetupBytes("other");
  ASSERT_NE(other.size(), setup.size());
  Publish(kUpdateName, other);
  EXPECT_TRUE(Press(question, "&Yes"));
  const box_driver::BoxInfo report = WaitForBox("Error");
  EXPECT_NE(report.text.find(kUpdateName), std::string::npos) << report.text;
  EXPECT_TRUE(Press(report, report.buttons.empty() ? "" : report.buttons[0].caption));
  ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 12), 20000)) << Dump(viewer);
  EXPECT_FALSE(viewer.Has(agent.Id(), StageLine(kStagePerformAutoUpdate, 7))) << Dump(viewer);
  EXPECT_EQ(ReadFile(in.Version()), "1");
  EXPECT_EQ(in.VersionOriginal(), "1");
  EXPECT_FALSE(std::filesystem::exists(in.SetupLog()));
  EXPECT_FALSE(std::filesystem::exists(in.Downloads() + kUpdateName));
}

// Every way out of an update run goes through its one clean-up: declining to install leaves
// no downloaded setup behind.
TEST_F(AutoUpdate, ADeclinedInstallLeavesNothingBehind) {
  Installed in("declined");
  const std::string setup = in.SetupBytes("2");
  Publish(kUpdateName, setup);
  Publish("Tolvane.info", InfoFile(g_nginx, setup.size(),
                                   {{"ShutDownMethod", "Using WM_CLOSE"},
                                    {"RequestConfirmationBeforeInstall", "1"}}));
  ChildProcess app = in.StartApp("");
  TraceViewer viewer(in.Dir(), "declined");
  ASSERT_TRUE(viewer.Ready());
  AgentCopy agent = in.StartAgent("/STOP=100");
  const box_driver::BoxInfo install = WaitForBox("Confirm");
  EXPECT_TRUE(std::filesystem::exists(in.Downloads() + kUpdateName));
  EXPECT_TRUE(Press(install, "&No"));
  ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 12), 20000)) << Dump(viewer);
  EXPECT_FALSE(std::filesystem::exists(in.Downloads() + kUpdateName));
  EXPECT_TRUE(app.Running());
  EXPECT_EQ(ReadFile(in.Version()), "1");
}

TEST_F(AutoUpdate, ForeignTokenIsDeletedReportedAndNothingIsStopped) {
  Installed in("foreign");
  const std::string setup = in.SetupBytes("2", "OTHER-PRODUCT");
  Publish(kUpdateName, setup);
  Publish("Tolvane.info",
          InfoFile(g_nginx, setup.size(), {{"ShutDownMethod", "Using Terminate Process"}}));
  ChildProcess app = in.StartApp("");
  TraceViewer viewer(in.Dir(), "foreign");
  ASSERT_TRUE(viewer.Ready());
  AgentCopy agent = in.StartAgent();
  const box_driver::BoxInfo error = WaitForBox("Error");
  EXPECT_NE(error.text.find("\r\nBad Secret Token!\r\n"), std::string::npos) << error.text;
  EXPECT_FALSE(std::filesystem::exists(in.Downloads() + kUpdateName));  // gone before the box
  EXPECT_TRUE(Press(error, error.buttons.empty() ? "" : error.buttons[0].caption));
  ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 12), 20000)) << Dump(viewer);
  EXPECT_FALSE(viewer.Has(agent.Id(), StageLine(kStagePerformAutoUpdate, 7)));
  EXPECT_TRUE(app.Running());
  EXPECT_EQ(ReadFile(in.Version()), "1");
  EXPECT_EQ(in.VersionOriginal(), "1");
  EXPECT_FALSE(std::filesystem::exists(in.SetupLog()));
  // The agent keeps running.
  EXPECT_TRUE(agent.Running());
}

// The info file may neither send the agent to a host by a UNC path nor stop a program that
// the product did not install: both are refused and nothing is fetched, stopped or installed.
TEST_F(AutoUpdate, InfoValuesThatReachBeyondTheProductAreRefused) {
  for (const bool unc : {true, false}) {
    Installed in("reach");
    // A sibling whose name starts like the installed folder's is still outside it.
    TestDir outside("reach_outside");
    CopyFileA(g_app.c_str(), (outside.path() + "app.exe").c_str(), FALSE);
    const std::string setup = in.SetupBytes("2");
    Publish(kUpdateName, setup);
    const std::string info = InfoFile(unc ? "\\\\127.0.0.1\\share" : g_nginx, setup.size(),
                                      {{"ShutDownMethod", "Using Terminate Process"}});
    Publish("Tolvane.info", unc ? info
                                : ReplaceAll(info, "RunningProcess=<InstallDir>app.exe",
                                             "RunningProcess=" + outside.path() + "app.exe"));
    ChildProcess app(outside.path() + "app.exe", "");
    WaitForWindow(kAppClass, 10000, app.Id());
    TraceViewer viewer(in.Dir(), "reach");
    ASSERT_TRUE(viewer.Ready());
    AgentCopy agent = in.StartAgent("/STOP=100");
    if (unc) {
      ASSERT_TRUE(viewer.WaitFor(agent.Id(), kTraceCheckLevel, 30000)) << Dump(viewer);
      EXPECT_TRUE(viewer.Has(agent.Id(), " DownloadURL_UPDATE refused")) << Dump(viewer);
      EXPECT_FALSE(viewer.Has(agent.Id(), kStagePerformAutoUpdate)) << Dump(viewer);
    } else {
      ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 12), 30000))
          << Dump(viewer);
      EXPECT_TRUE(viewer.Has(agent.Id(), " RunningProcess refused")) << Dump(viewer);
      EXPECT_FALSE(viewer.Has(agent.Id(), StageLine(kStagePerformAutoUpdate, 6))) << Dump(viewer);
    }
    EXPECT_TRUE(app.Running()) << unc;
    EXPECT_FALSE(std::filesystem::exists(in.Downloads() + kUpdateName)) << unc;
    EXPECT_EQ(ReadFile(in.Version()), "1") << unc;
    EXPECT_EQ(in.VersionOriginal(), "1") << unc;
    app.Kill();
  }
}

TEST_F(AutoUpdate, AnOlderFileAtTheTargetIsNeverInstalledWhenTheDownloadFails) {
  Installed in("stale");
  // A good setup of the same product from an earlier run lies at the target.
  std::filesystem::create_directories(in.Downloads());
  WriteFile(in.Downloads() + kUpdateName, in.SetupBytes("stale"));
  const std::string setup = in.SetupBytes("2");
  Publish(kUpdateName, setup);
  Publish("Tolvane.info",
          InfoFile(g_nginx, setup.size(),
                   {{"ShutDownMethod", "Using WM_CLOSE"}, {"RequestConfirmationBeforeDownload", "1"}}));
  TraceViewer viewer(in.Dir(), "stale");
  ASSERT_TRUE(viewer.Ready());
  AgentCopy agent = in.StartAgent();
  // The size was checked; the file goes from the server before the download asks for it.
  const box_driver::BoxInfo question = WaitForBox("Confirm");
  std::filesystem::remove(WindowsPath(g_docroot + "/" + kUpdateName));
  EXPECT_TRUE(Press(question, "&Yes"));
  // The server's page for a missing file is told apart from a foreign setup.
  const box_driver::BoxInfo report = WaitForBox("Error");
  EXPECT_NE(report.text.find("\r\n404 File Not Found"), std::string::npos) << report.text;
  EXPECT_TRUE(Press(report, report.buttons.empty() ? "" : report.buttons[0].caption));
  ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 12), 20000)) << Dump(viewer);
  EXPECT_FALSE(viewer.Has(agent.Id(), StageLine(kStagePerformAutoUpdate, 7)));
  EXPECT_FALSE(std::filesystem::exists(in.Downloads() + kUpdateName));
  EXPECT_EQ(ReadFile(in.Version()), "1");
  EXPECT_EQ(in.VersionOriginal(), "1");
  EXPECT_FALSE(std::filesystem::exists(in.SetupLog()));
}

TEST_F(AutoUpdate, ALocalFolderIsCopiedWithoutDownloadAndStillChecked) {
  enum class Kind { Good, Foreign, EmptyOverStale };
  struct Case {
    const char* what;
    Kind kind;
  };
  for (const Case& c : {Case{"good, in the agent's own folder", Kind::Good},
                        Case{"foreign token", Kind::Foreign},
                        Case{"empty file, older one at the target", Kind::EmptyOverStale}}) {
    Installed in("local");
    TestDir other("local_source");
    // The agent's own folder as the source holds the update itself: it must not be deleted as
    // a stale file before it is read.
    const std::string folder = c.kind == Kind::Good ? in.Dir() : other.path();
    std::string setup;
    if (c.kind == Kind::Good) setup = in.SetupBytes("2");
    if (c.kind == Kind::Foreign) setup = in.SetupBytes("2", "OTHER-PRODUCT");
    if (c.kind == Kind::EmptyOverStale) {
      std::filesystem::create_directories(in.Downloads());
      WriteFile(in.Downloads() + kUpdateName, in.SetupBytes("stale"));
    }
    WriteFile(folder + kUpdateName, setup);
    // The web address leads nowhere: everything must come from the folder.
    WriteFile(folder + "Tolvane.info",
              InfoFile("http://127.0.0.1:1", setup.size(), {{"ShutDownMethod", "Using WM_CLOSE"}}));
    const TestModeKey key(folder);
    ChildProcess app = in.StartApp("");
    TraceViewer viewer(in.Dir(), "local");
    ASSERT_TRUE(viewer.Ready());
    AgentCopy agent = in.StartAgent("/STOP=100");
    if (c.kind == Kind::Foreign) {
      const box_driver::BoxInfo error = WaitForBox("Error");
      EXPECT_NE(error.text.find("\r\nBad Secret Token!\r\n"), std::string::npos) << error.text;
      EXPECT_TRUE(Press(error, error.buttons.empty() ? "" : error.buttons[0].caption));
    }
    ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformAutoUpdate, 12), 60000))
        << c.what << Dump(viewer);
    EXPECT_TRUE(viewer.Has(agent.Id(), std::string(kTraceDownloadFile) + "TRUE " + folder + kUpdateName))
        << c.what;
    const bool good = c.kind == Kind::Good;
    EXPECT_EQ(ReadFile(in.Version()), good ? "2" : "1") << c.what;
    EXPECT_EQ(in.VersionOriginal(), good ? "2" : "1") << c.what;
    EXPECT_EQ(app.Running(), !good) << c.what;
    EXPECT_FALSE(std::filesystem::exists(in.Downloads() + kUpdateName)) << c.what;
    if (c.kind == Kind::EmptyOverStale) {
      EXPECT_TRUE(viewer.Has(agent.Id(), std::string(kTraceDownloadFile) + "Empty file: " + folder + kUpdateName))
          << Dump(viewer);
    }
  }
}

TEST_F(AutoUpdate, InformModeShowsTheInformTextOnlyForTheProductsToken) {
  const std::string body = "Version 2 of Tolvane is out | see the page.";
  for (const char* token : {kToken, "OTHER-PRODUCT"}) {
    const bool same = std::string(token) == kToken;
    Installed in("inform");
    const std::string inform = InformFileText(token, body);
    Publish("TolvaneNews.txt", inform);
    Publish("Tolvane.info",
            InfoFile(g_nginx, 1, {}) + "[General]\r\nAutoInform=1\r\n[AutoInform]\r\n"
                                       "NameOfInformFile=TolvaneNews.txt\r\nSizeOfInformFile=" +
                std::to_string(inform.size()) + "\r\nDownloadURL_INFORM=" + g_nginx + "/news\r\n");
    TraceViewer viewer(in.Dir(), "inform");
    ASSERT_TRUE(viewer.Ready());
    AgentCopy agent = in.StartAgent();
    Listener listener(in.Dir() + "listener.log");
    if (same) {
      const HWND window = WaitForWindow("WRichEditBox", 30000, agent.Id());
      ASSERT_NE(window, nullptr) << Dump(viewer);
      // The window is there a moment before its text.
      char text[256] = {};
      const DWORD t0 = GetTickCount();
      while (!text[0] && GetTickCount() - t0 < 5000) {
        SendMessageA(FindWindowExA(window, nullptr, "RICHEDIT", nullptr), WM_GETTEXT, sizeof text,
                     reinterpret_cast<LPARAM>(text));
        if (!text[0]) Sleep(20);
      }
      EXPECT_EQ(std::string(text), body);
      GetWindowTextA(window, text, sizeof text);
      EXPECT_EQ(std::string(text), "New Version");
      PostMessageA(window, WM_CLOSE, 0, 0);
    } else {
      const box_driver::BoxInfo error = WaitForBox("Error");
      EXPECT_NE(error.text.find("\r\nBad Secret Token!\r\n"), std::string::npos) << error.text;
      EXPECT_EQ(FindWindowA("WRichEditBox", nullptr), nullptr);
      EXPECT_TRUE(Press(error, error.buttons.empty() ? "" : error.buttons[0].caption));
    }
    ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformShot, 2), 20000)) << Dump(viewer);
    EXPECT_EQ(viewer.Has(agent.Id(), StageLine(kStagePerformAutoInform, 4)), same);
    EXPECT_EQ(in.VersionOriginal(), same ? "2" : "1");
    // The inform file stays in the program folder; one of another product does not.
    EXPECT_EQ(std::filesystem::exists(in.Downloads() + "TolvaneNews.txt"), same);
    EXPECT_FALSE(viewer.Has(agent.Id(), kStagePerformAutoUpdate));
    const std::vector<std::string> notes = listener.Notes();
    EXPECT_EQ(std::vector<std::string>(notes.begin(), notes.begin() + std::min<std::size_t>(2, notes.size())),
              (std::vector<std::string>{NoticeLine(AgentNotice::FileDownload, kNoticeBegins), NoticeLine(AgentNotice::FileDownload, kNoticeEnds)}));
  }
}

// The system's handler of http addresses replaced by a program that does not exist while it
// lives: no address can be opened.
class NoWebHandler {
 public:
  NoWebHandler() {
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_,
                    nullptr);
    char old[1024] = {};
    DWORD size = sizeof old - 1;
    if (RegQueryValueExA(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) ==
        ERROR_SUCCESS)
      saved_ = old;
    Set("\"C:\\no-such-browser.exe\" \"%1\"");
  }
  ~NoWebHandler() {
    if (!saved_.empty()) Set(saved_);
    RegCloseKey(key_);
  }
  NoWebHandler(const NoWebHandler&) = delete;
  NoWebHandler& operator=(const NoWebHandler&) = delete;

 private:
  static constexpr char kKey[] = "Software\\Classes\\http\\shell\\open\\command";
  void Set(const std::string& value) {
    RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD(value.size() + 1));
  }
  HKEY key_ = nullptr;
  std::string saved_;
};

TEST_F(AutoUpdate, InformAddressThatCannotBeOpenedKeepsTheVersionAndIsReported) {
  Installed in("inform_fail");
  const std::string inform = InformFileText(kToken, "");  // no text: the address opens at once
  Publish("TolvaneNews.txt", inform);
  Publish("Tolvane.info",
          InfoFile(g_nginx, 1, {}) + "[General]\r\nAutoInform=1\r\n[AutoInform]\r\n"
                                     "NameOfInformFile=TolvaneNews.txt\r\nSizeOfInformFile=" +
              std::to_string(inform.size()) + "\r\nDownloadURL_INFORM=" + g_nginx + "/news\r\n");
  const NoWebHandler no_handler;
  TraceViewer viewer(in.Dir(), "inform_fail");
  ASSERT_TRUE(viewer.Ready());
  AgentCopy agent = in.StartAgent("/STOP=100");
  const box_driver::BoxInfo error = WaitForBox("Error", 30000);
  EXPECT_NE(error.text.find("Unable to open\r\n\r\n" + g_nginx + "/news"), std::string::npos)
      << error.text;
  EXPECT_TRUE(Press(error, error.buttons.empty() ? "" : error.buttons[0].caption));
  ASSERT_TRUE(viewer.WaitFor(agent.Id(), StageLine(kStagePerformShot, 2), 20000)) << Dump(viewer);
  EXPECT_TRUE(viewer.Has(agent.Id(), " InfoWindow: could not open " + g_nginx + "/news"))
      << Dump(viewer);
  EXPECT_EQ(in.VersionOriginal(), "1");
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 6) {
    std::fprintf(stderr,
                 "usage: auto_update_wine_test WEXLINSTUB_EXE TRACE_VIEWER_EXE LISTENER_EXE "
                 "SAMPLE_SETUP_EXE TEST_APP_EXE\n");
    return 2;
  }
  g_stub = WindowsPath(argv[1]);
  TraceViewerExe() = WindowsPath(argv[2]);
  TestDirPrefix() = "au_test_";
  g_listener = WindowsPath(argv[3]);
  g_sample = WindowsPath(argv[4]);
  g_app = WindowsPath(argv[5]);
  g_nginx = Env("WEXLIN_TEST_HTTP");
  g_docroot = Env("WEXLIN_TEST_DOCROOT");
  g_key = sig::GenerateKey();
  g_other = sig::GenerateKey();
  QuickStubPace();
  return RUN_ALL_TESTS();
}
