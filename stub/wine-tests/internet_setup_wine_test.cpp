// Under wine, between nginx and the scripted server (net/serve_and_run.py): the real WexlinStub
// as an internet setup downloads its setup, checks its token, resumes after a cut, recognises a
// 404 page and takes a setup lying beside it without a download. Its trace goes to
// trace-viewer, its boxes are read and answered through the box driver.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ArchiveWriter.h"
#include "BoxDriver.h"
#include "format/GFileInfo.h"
#include "format/Signing.h"
#include "format/archive_test_files.h"
#include "stub_run_support.h"
#include "wine_process.h"

namespace {

std::string g_stub, g_sample, g_nginx, g_fault, g_docroot;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The program the published setup installs.
const std::string kProgram = "Tolvane program " + std::string(60000, 't');

// A setup that an internet setup downloads: a stub with an archive and the download token, the
// sample setup program installing Tolvane.exe into dir\target.
std::string PublishedSetup(const std::string& token, const std::string& dir) {
  pack::PackOptions o;
  o.stub_path = g_stub;
  o.seed = 11;
  pack::PackEntry setup;
  setup.name = "Setup.exe";
  setup.path = g_sample;
  setup.is_setup = true;
  setup.setup_args = "/Target=" + dir + "target /Log=" + dir + "setup.log";
  pack::PackEntry program;
  program.name = "Tolvane.exe";
  program.data = kProgram;
  o.entries = {setup, program};
  pack::DownloadInfo d;
  d.token = token;
  o.download = d;
  const std::string path = WindowsPath(g_docroot + "/built.tmp");
  pack::WriteArchive(o, path);
  std::string bytes = ReadFile(path);
  std::filesystem::remove(path);
  return bytes;
}

// The internet setup itself: no entries, a download block naming url/name.
std::string MakeInternetSetup(const TestDir& dir, const std::string& url, const std::string& name,
                              bool confirm, bool write_agent = false,
                              const std::string& update_key = "",
                              const std::string& agent_exe = "TolvaneAU.exe") {
  pack::PackOptions o;
  o.stub_path = g_stub;
  o.seed = 12;
  o.internet_setup = true;
  o.confirm_download = confirm;
  o.write_agent = write_agent;
  o.update.agent_exe = agent_exe;
  o.update.update_key = update_key;
  pack::DownloadInfo d;
  d.url = url;
  d.file_name = name;
  d.token = "DL-TOKEN";
  d.size = "123456";
  o.download = d;
  const std::string exe = dir.path() + "NetSetup.exe";
  pack::WriteArchive(o, exe);
  return exe;
}

std::string TempPath() {
  char buffer[MAX_PATH];
  const DWORD n = GetTempPathA(MAX_PATH, buffer);
  return std::string(buffer, n);
}

// Removes the downloaded setup and its part files from the temporary folder, before and after.
class TempSetupFiles {
 public:
  explicit TempSetupFiles(const std::string& name) : name_(name) { Clean(); }
  ~TempSetupFiles() { Clean(); }
  TempSetupFiles(const TempSetupFiles&) = delete;
  TempSetupFiles& operator=(const TempSetupFiles&) = delete;
  // The part files of the name now in the temporary folder.
  std::vector<std::string> Parts() const {
    std::vector<std::string> parts;
    for (const auto& e : std::filesystem::directory_iterator(TempPath())) {
      const std::string f = e.path().filename().string();
      if (f.size() > name_.size() + 1 && f.compare(0, name_.size() + 1, name_ + ".") == 0)
        parts.push_back(TempPath() + f);
    }
    return parts;
  }

 private:
  void Clean() const {
    std::error_code ignored;
    std::filesystem::remove(TempPath() + name_, ignored);
    for (const std::string& p : Parts()) std::filesystem::remove(p, ignored);
  }
  std::string name_;
};

// Reads the one box that appears, checks its text and presses the button.
std::string AnswerBox(const std::string& button) {
  const HWND box = box_driver::FindBox("WMsgBox", 30000);
  if (!box) return "no box";
  const box_driver::BoxInfo info = box_driver::ReadBox(box, false);
  for (const auto& b : info.buttons)
    if (b.caption == button) box_driver::PressButton(info, b.window, box_driver::PressWay::Command);
  return info.caption + ": " + info.text;
}

class InternetSetup : public ::testing::Test {
 protected:
  void SetUp() override {
    if (g_nginx.empty()) GTEST_SKIP() << "run through stub/wine-tests/net/serve_and_run.py";
  }
};

TEST_F(InternetSetup, ARightTokenRunsTheDownloadedSetupAfterTheQuestion) {
  TestDir dir("inet_ok");
  const TempSetupFiles temp("NetOk.exe");
  const std::string published = PublishedSetup("DL-TOKEN", dir.path());
  WriteFile(WindowsPath(g_docroot + "/NetOk.exe"), published);
  const std::string exe = MakeInternetSetup(dir, g_nginx, "NetOk.exe", true, true);
  TraceViewer viewer(dir.path(), "inet_ok");
  ASSERT_TRUE(viewer.Ready());
  ChildProcess stub(exe, "");
  const std::string question = AnswerBox("&Yes");
  EXPECT_EQ(question.find("Confirm: INTERNET DOWNLOAD"), 0u) << question;
  EXPECT_NE(question.find("Size: 0.118 MB"), std::string::npos) << question;
  ASSERT_TRUE(stub.WaitEnd(30000)) << ::testing::PrintToString(viewer.LinesOf(stub.Id()));
  // The downloaded setup is extracted and its setup program installs Tolvane; then it goes.
  EXPECT_TRUE(viewer.Has(stub.Id(), " RunInternetSetup: " + g_nginx + "/NetOk.exe"));
  EXPECT_TRUE(viewer.Has(stub.Id(), "sound=TRUE"));
  EXPECT_EQ(ReadFile(dir.path() + "target\\Tolvane.exe"), kProgram);
  // The archive asked for an agent copy of the internet setup beside the downloaded files.
  const archive::ArchiveTrailer agent = ReadTrailer(dir.path() + "target\\TolvaneAU.exe");
  EXPECT_TRUE(agent.HasMagic());
  EXPECT_EQ(agent.ThisIs_AutoUpdateProg, 1);
  EXPECT_FALSE(viewer.Has(stub.Id(), "HTTP_DownloadFile_Incremental:"));
  EXPECT_FALSE(std::filesystem::exists(TempPath() + "NetOk.exe"));
  EXPECT_TRUE(temp.Parts().empty());
}

TEST_F(InternetSetup, AWrongTokenAndA404PageEndInTheErrorBox) {
  TestDir dir("inet_bad");
  const TempSetupFiles temp("NetBad.exe");
  struct Case {
    const char* what;
    std::string published;  // empty: not on the server
    std::string message;  // the start of the box's text
  };
  const Case cases[] = {
      {"wrong token", PublishedSetup("OTHER-TOKEN", dir.path()), "Bad Secret Token!"},
      {"missing file", "", "404 File Not Found..."},
  };
  for (const Case& c : cases) {
    const std::string on_server = WindowsPath(g_docroot + "/NetBad.exe");
    if (c.published.empty())
      std::filesystem::remove(on_server);
    else
      WriteFile(on_server, c.published);
    const std::string exe = MakeInternetSetup(dir, g_nginx, "NetBad.exe", false);
    TraceViewer viewer(dir.path(), "inet_bad");
    ASSERT_TRUE(viewer.Ready());
    ChildProcess stub(exe, "");
    const std::string box = AnswerBox("&OK");
    EXPECT_EQ(box.find("Error: " + c.message), 0u) << c.what << ": " << box;
    if (c.published.empty()) {
      EXPECT_NE(box.find("URL:  " + g_nginx + "/NetBad.exe."), std::string::npos) << box;
    }
    ASSERT_TRUE(stub.WaitEnd(30000)) << c.what;
    EXPECT_FALSE(viewer.Has(stub.Id(), "sound=")) << c.what;  // nothing was run
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "target")) << c.what;
    EXPECT_FALSE(std::filesystem::exists(TempPath() + "NetBad.exe")) << c.what;
  }
}

// With an update key in its header the internet setup runs only a setup that key signed
// (URL.sig beside it); any other signature, or none, ends in the error box with nothing run.
TEST_F(InternetSetup, AStubWithAnUpdateKeyRunsOnlyASetupSignedWithIt) {
  const sig::SecretKey key = sig::GenerateKey(), other = sig::GenerateKey();
  struct Case {
    const char* what;
    const sig::SecretKey* signer;  // null: no .sig published
    bool runs;
  };
  for (const Case& c : {Case{"signed", &key, true}, Case{"signed by another key", &other, false},
                        Case{"no signature", nullptr, false}}) {
    TestDir dir("inet_signed");
    const TempSetupFiles temp("NetSigned.exe");
    const std::string published = PublishedSetup("DL-TOKEN", dir.path());
    const std::string on_server = WindowsPath(g_docroot + "/NetSigned.exe");
    WriteFile(on_server, published);
    std::filesystem::remove(on_server + ".sig");
    if (c.signer) WriteFile(on_server + ".sig", sig::SignatureText(sig::SignBytes(*c.signer, published)));
    const std::string exe = MakeInternetSetup(dir, g_nginx, "NetSigned.exe", false, false,
                                              sig::PublicKeyText(key.public_key));
    TraceViewer viewer(dir.path(), "inet_signed");
    ASSERT_TRUE(viewer.Ready());
    ChildProcess stub(exe, "");
    if (!c.runs) {
      const std::string box = AnswerBox("&OK");
      EXPECT_EQ(box.find("Error: Update not genuine!"), 0u) << c.what << ": " << box;
    }
    ASSERT_TRUE(stub.WaitEnd(30000)) << c.what;
    EXPECT_EQ(viewer.Has(stub.Id(), "sound=TRUE"), c.runs) << c.what;
    EXPECT_EQ(std::filesystem::exists(dir.path() + "target\\Tolvane.exe"), c.runs) << c.what;
    EXPECT_EQ(viewer.Has(stub.Id(), " Verified " + TempPath() + "NetSigned.exe"), c.runs) << c.what;
    EXPECT_FALSE(std::filesystem::exists(TempPath() + "NetSigned.exe")) << c.what;
    EXPECT_FALSE(std::filesystem::exists(TempPath() + "NetSigned.exe.sig")) << c.what;
  }
}

TEST_F(InternetSetup, ACutDownloadIsReportedAndTheNextStartResumesIt) {
  TestDir dir("inet_cut");
  const TempSetupFiles temp("NetCut.exe");
  const std::string published = PublishedSetup("DL-TOKEN", dir.path());
  ASSERT_GT(published.size(), 40000u);
  WriteFile(WindowsPath(g_docroot + "/NetCut.exe"), published);
  const std::string exe = MakeInternetSetup(dir, g_fault + "/cut/40000", "NetCut.exe", false);
  {
    TraceViewer viewer(dir.path(), "cut1");
    ASSERT_TRUE(viewer.Ready());
    ChildProcess stub(exe, "");
    const std::string box = AnswerBox("&OK");
    EXPECT_EQ(box.find("Error: 4 Connection broken: 40000 of " + std::to_string(published.size())),
              0u)
        << box << ::testing::PrintToString(viewer.LinesOf(stub.Id()));
    ASSERT_TRUE(stub.WaitEnd(30000));
    EXPECT_FALSE(viewer.Has(stub.Id(), "sound="));
    ASSERT_EQ(temp.Parts().size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(temp.Parts()[0]), 40000u);
  }
  {
    TraceViewer viewer(dir.path(), "cut2");
    ASSERT_TRUE(viewer.Ready());
    ChildProcess stub(exe, "");
    ASSERT_TRUE(stub.WaitEnd(30000)) << ::testing::PrintToString(viewer.LinesOf(stub.Id()));
    EXPECT_TRUE(viewer.Has(stub.Id(), "sound=TRUE"));  // the whole file, its sum intact
    EXPECT_EQ(ReadFile(dir.path() + "target\\Tolvane.exe"), kProgram);
    EXPECT_TRUE(temp.Parts().empty());
  }
}

TEST_F(InternetSetup, ASetupBesideTheStubIsTakenWithoutADownload) {
  TestDir dir("inet_local");
  const std::string exe = MakeInternetSetup(dir, g_nginx, "NetLocal.exe", true);
  WriteFile(dir.path() + "NetLocal.exe", PublishedSetup("DL-TOKEN", dir.path()));
  std::filesystem::remove(WindowsPath(g_docroot + "/NetLocal.exe"));
  TraceViewer viewer(dir.path(), "inet_local");
  ASSERT_TRUE(viewer.Ready());
  ChildProcess stub(exe, "");
  // No question either: the stub runs straight to the setup's check.
  ASSERT_TRUE(stub.WaitEnd(30000)) << ::testing::PrintToString(viewer.LinesOf(stub.Id()));
  EXPECT_TRUE(viewer.Has(stub.Id(), "sound=TRUE"));
  EXPECT_EQ(ReadFile(dir.path() + "target\\Tolvane.exe"), kProgram);
  EXPECT_FALSE(viewer.Has(stub.Id(), " RunInternetSetup: http"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() + "NetLocal.exe"));  // not deleted
  const std::string log = ReadFile(WindowsPath(Env("WEXLIN_TEST_NGINX_LOG")));
  EXPECT_EQ(log.find("NetLocal.exe"), std::string::npos) << log;
}

// An agent copy that cannot be written (no file may bear its name) is told in a box; the setup
// then goes on and installs the product.
TEST_F(InternetSetup, AnAgentCopyThatCannotBeWrittenIsShown) {
  TestDir dir("inet_noagent");
  const std::string agent = "Tolvane|AU.exe";
  const std::string exe = MakeInternetSetup(dir, g_nginx, "NetNoAgent.exe", true, true, "", agent);
  WriteFile(dir.path() + "NetNoAgent.exe", PublishedSetup("DL-TOKEN", dir.path()));
  TraceViewer viewer(dir.path(), "inet_noagent");
  ASSERT_TRUE(viewer.Ready());
  ChildProcess stub(exe, "");
  const std::string box = AnswerBox("&OK");
  EXPECT_EQ(box.find("Error: Unable to write the auto-update agent " + agent), 0u) << box;
  ASSERT_TRUE(stub.WaitEnd(30000)) << ::testing::PrintToString(viewer.LinesOf(stub.Id()));
  EXPECT_TRUE(viewer.Has(stub.Id(), " RunInternetSetup: no agent copy, "));
  EXPECT_TRUE(viewer.Has(stub.Id(), "sound=TRUE"));
  EXPECT_EQ(ReadFile(dir.path() + "target\\Tolvane.exe"), kProgram);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: internet_setup_wine_test WEXLINSTUB_EXE TRACE_VIEWER_EXE SAMPLE_SETUP\n");
    return 2;
  }
  g_stub = WindowsPath(argv[1]);
  TraceViewerExe() = WindowsPath(argv[2]);
  TestDirPrefix() = "net_test_";
  g_sample = WindowsPath(argv[3]);
  g_nginx = Env("WEXLIN_TEST_HTTP");
  g_fault = Env("WEXLIN_TEST_FAULT");
  g_docroot = Env("WEXLIN_TEST_DOCROOT");
  QuickStubPace();
  return RUN_ALL_TESTS();
}
