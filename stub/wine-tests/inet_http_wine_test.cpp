// Under wine, against servers that stub/wine-tests/net/serve_and_run.py starts on 127.0.0.1: nginx
// and a scripted server for the faults. Downloads into files and memory, resuming after a cut,
// restarting after a change, errors, 404 pages, the abort by the stub window and the bars.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/StubProgress.h"
#include "app/StubState.h"
#include "app/StubWin.h"
#include "format/archive_test_files.h"
#include "win/InetHTTP.h"
#include "wine_process.h"

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string data(n, '\0');
  for (char& c : data) c = char(gen());
  return data;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The progress the download reports, passed on to the stub window's bars.
struct Progress {
  int starts = 0, steps = 0, high = -1, position = -1;
  int moved = 0;  // the bar steps the stage 1 reports ask for
  std::string last_text;
};
Progress progress;
void RecordProgress(int stage, int low, int high, const std::string& text, int step,
                    int position) {
  if (stage == 0) {
    ++progress.starts;
    progress.high = high;
    progress.position = position;
  } else {
    ++progress.steps;
    progress.moved += std::max(step, 1);
  }
  progress.last_text = text;
  ProgressBarsCallback(stage, low, high, text, step, position);
}

// The stub window's abort flag, with or without the recording above.
JobProgress Watch(ProgressNotify notify) { return {notify, StubWindowProgress().abort}; }

class InetHttp : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    nginx_ = Env("WEXLIN_TEST_HTTP");
    fault_ = Env("WEXLIN_TEST_FAULT");
    docroot_ = Env("WEXLIN_TEST_DOCROOT");
  }
  void SetUp() override {
    if (nginx_.empty()) GTEST_SKIP() << "run through stub/wine-tests/net/serve_and_run.py";
    char buffer[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, buffer);
    dir_ = std::string(buffer, n) + "inet_http_" + std::to_string(GetCurrentProcessId()) + "\\";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    progress = Progress{};
    SetDownloadAbort(false);
  }
  void TearDown() override {
    SetDownloadAbort(false);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  // Puts a file on both servers.
  std::string Publish(const std::string& name, const std::string& data) {
    WriteFile(WindowsPath(docroot_ + "/" + name), data);
    return data;
  }
  // The error's text ("" when none); last_fault_ receives its kind.
  std::string Download(const std::string& url, const std::string& target) {
    TransferError error(TransferFault::CannotOpen, "unset");
    const bool ok =
        HTTP_DownloadFile_Incremental(nullptr, url, target, nullptr, Watch(RecordProgress),
                                      &error);
    EXPECT_EQ(ok, error.ok()) << error.text();
    EXPECT_EQ(ok, error.text().empty()) << error.text();
    last_fault_ = error.kind();
    return error.text();
  }
  // The one part file of target in the folder, "" when none.
  std::string PartOf(const std::string& name) {
    for (const std::string& f : FilesIn(dir_))
      if (f.size() > name.size() + 1 && f.compare(0, name.size() + 1, name + ".") == 0) return f;
    return "";
  }

  static std::string nginx_, fault_, docroot_;
  std::string dir_;
  TransferFault last_fault_ = TransferFault::None;
};
std::string InetHttp::nginx_, InetHttp::fault_, InetHttp::docroot_;

TEST_F(InetHttp, AFileFromNginxArrivesWholeAndDrivesTheBar) {
  const std::string data = Publish("f100k.bin", RandomBytes(100000, 1));
  ASSERT_NE(StubWindowCreate(), nullptr);
  const std::string target = dir_ + "f100k.bin";
  EXPECT_EQ(Download(nginx_ + "/f100k.bin", target), "");
  EXPECT_EQ(ReadFile(target), data);
  EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"f100k.bin"});  // no part file left
  EXPECT_EQ(progress.starts, 1);
  EXPECT_EQ(progress.high, 11);
  EXPECT_EQ(progress.position, 0);
  EXPECT_GE(progress.steps, 10);
  EXPECT_EQ(progress.last_text.rfind("100000/100000 Bytes   ", 0), 0u) << progress.last_text;
  EXPECT_EQ(SendMessageA(StubWindow.progress, PBM_GETRANGE, FALSE, 0), 11);
  EXPECT_EQ(SendMessageA(StubWindow.progress, PBM_GETPOS, 0, 0), std::min(progress.steps, 11));
  StubWindowDestroy();
  SetDownloadAbort(false);  // the window's end sets it, as every caller knows
  // Into memory, and the size query.
  std::string content;
  TransferError error;
  EXPECT_TRUE(HTTP_DownloadFile_Incremental(nullptr, nginx_ + "/f100k.bin", "", &content,
                                            Watch(nullptr), &error));
  EXPECT_EQ(content, data);
  EXPECT_EQ(UrlContentLength(nginx_ + "/f100k.bin"), 100000);
  // nginx's 404 page has a length too.
  EXPECT_TRUE(HTTP_DownloadFile_Incremental(nullptr, nginx_ + "/missing.bin", "", &content,
                                            Watch(nullptr), &error));
  EXPECT_GT(content.size(), 0u);
  EXPECT_EQ(UrlContentLength(nginx_ + "/missing.bin"), std::int64_t(content.size()));
  EXPECT_EQ(UrlContentLength("http://127.0.0.1:1/nothing"), -1);
}

TEST_F(InetHttp, ALargeFileArrivesWholeAndItsBarEndsFullWhateverTheReadSizes) {
  // 1 MiB + 5000: 103 steps of 10240 bytes, the last one short; reads grow on a fast link.
  const std::string data = Publish("f1m.bin", RandomBytes((1 << 20) + 5000, 4));
  ASSERT_NE(StubWindowCreate(), nullptr);
  const std::string target = dir_ + "f1m.bin";
  EXPECT_EQ(Download(nginx_ + "/f1m.bin", target), "");
  EXPECT_EQ(ReadFile(target), data);
  EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"f1m.bin"});
  EXPECT_EQ(progress.high, 104);
  EXPECT_EQ(progress.moved, 103);
  EXPECT_EQ(SendMessageA(StubWindow.progress, PBM_GETPOS, 0, 0), 103);
  StubWindowDestroy();
}

TEST_F(InetHttp, ACutDownloadReportsItAndResumesToAnIdenticalFile) {
  const std::string data = Publish("cut.bin", RandomBytes(100000, 2));
  const std::string target = dir_ + "cut.bin";
  WriteFile(target, "stale");  // must not pass for the download
  const std::string error = Download(fault_ + "/cut/40000/cut.bin", target);
  EXPECT_EQ(error.substr(0, 2), "4 ") << error;
  EXPECT_EQ(last_fault_, TransferFault::ByteCount);
  EXPECT_FALSE(std::filesystem::exists(target));
  const std::string part = PartOf("cut.bin");
  ASSERT_NE(part, "");
  EXPECT_EQ(std::filesystem::file_size(dir_ + part), 40000u);
  // nginx has the same file with the same date: it is asked for the rest only.
  EXPECT_EQ(Download(nginx_ + "/cut.bin", target), "");
  EXPECT_EQ(ReadFile(target), data);
  EXPECT_EQ(progress.position, 4);  // the bar starts where the part ended
  EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"cut.bin"});
  const std::string log = ReadFile(WindowsPath(Env("WEXLIN_TEST_NGINX_LOG")));
  EXPECT_NE(log.find("\"GET /cut.bin HTTP/1.1\" 206 60000"), std::string::npos) << log;
}

TEST_F(InetHttp, APartIsDroppedWhenTheDateChangesOrTheRangeIsIgnored) {
  const std::string data = Publish("moved.bin", RandomBytes(100000, 3));
  const std::string target = dir_ + "moved.bin";
  // A cut, then the same file with a new date: the old part goes, all 100000 bytes come anew.
  EXPECT_EQ(Download(fault_ + "/cut/40000/moved.bin", target).substr(0, 2), "4 ");
  const std::string old_part = PartOf("moved.bin");
  ASSERT_NE(old_part, "");
  EXPECT_EQ(Download(fault_ + "/newdate/moved.bin", target), "");
  EXPECT_EQ(ReadFile(target), data);
  EXPECT_EQ(progress.position, 0);
  EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"moved.bin"});
  // A cut, then a server that answers the range with the whole file: no part grows past the
  // size, the file is whole.
  std::filesystem::remove(target);
  EXPECT_EQ(Download(fault_ + "/cut/30000/moved.bin", target).substr(0, 2), "4 ");
  ASSERT_NE(PartOf("moved.bin"), "");
  EXPECT_EQ(Download(fault_ + "/ignorerange/moved.bin", target), "");
  EXPECT_EQ(ReadFile(target), data);
  EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"moved.bin"});
  // A part file longer than the file starts again from 0 as well.
  std::filesystem::remove(target);
  EXPECT_EQ(Download(fault_ + "/cut/20000/moved.bin", target).substr(0, 2), "4 ");
  const std::string part = PartOf("moved.bin");
  ASSERT_NE(part, "");
  WriteFile(dir_ + part, std::string(120000, 'x'));
  EXPECT_EQ(Download(fault_ + "/moved.bin", target), "");
  EXPECT_EQ(ReadFile(target), data);
}

TEST_F(InetHttp, NoContentLengthIsError3AndLeavesNoFile) {
  Publish("plain.bin", RandomBytes(5000, 4));
  for (const char* kind : {"/nolength/", "/chunked/"}) {
    const std::string target = dir_ + "plain.bin";
    const std::string url = fault_ + kind + "plain.bin";
    EXPECT_EQ(Download(url, target), "3 " + url + "<P><P>File Not Found !");
    EXPECT_EQ(last_fault_, TransferFault::NotPublished) << kind;
    EXPECT_TRUE(FilesIn(dir_).empty()) << kind;
    EXPECT_EQ(progress.starts, 0);
  }
}

TEST_F(InetHttp, FourOhFourPagesAreDownloadedAndRecognised) {
  const std::string target = dir_ + "Setup.exe";
  const std::string url = nginx_ + "/Setup.exe";  // not published
  EXPECT_EQ(Download(url, target), "");
  EXPECT_EQ(NotFoundPageText(target, "", url, false, "Bad Secret Token!"),
            "<b>404 File Not Found...</b><P><P>URL:  " + url + ".");
  std::string content;
  TransferError error;
  HTTP_DownloadFile_Incremental(nullptr, fault_ + "/status/500/x", "", &content, Watch(nullptr),
                                &error);
  EXPECT_EQ(NotFoundPageText("", content, "u", false, "d"), "d");
  HTTP_DownloadFile_Incremental(nullptr, fault_ + "/status/404/x", "", &content, Watch(nullptr),
                                &error);
  EXPECT_EQ(NotFoundPageText("", content, "u", false, "d"),
            "<b>404 File Not Found...</b><P><P>URL:  u.");
  // A file that is there is not such a page.
  Publish("real.bin", "MZ" + RandomBytes(3000, 5));
  EXPECT_EQ(Download(nginx_ + "/real.bin", target), "");
  EXPECT_EQ(NotFoundPageText(target, "", url, false, "Bad Secret Token!"), "Bad Secret Token!");
}

TEST_F(InetHttp, ClosingTheStubWindowAbortsAndKeepsThePart) {
  Publish("slow.bin", RandomBytes(60000, 6));
  const HWND window = StubWindowCreate();
  ASSERT_NE(window, nullptr);
  std::thread closer([window] {
    Sleep(1500);
    PostMessageA(window, WM_CLOSE, 0, 0);  // the first close only asks the download to stop
  });
  const std::string target = dir_ + "slow.bin";
  EXPECT_EQ(Download(fault_ + "/slow/slow.bin", target), "Download Aborted");
  EXPECT_EQ(last_fault_, TransferFault::Aborted);
  closer.join();
  EXPECT_TRUE(IsWindow(window));
  StubWindowDestroy();
  EXPECT_FALSE(std::filesystem::exists(target));
  const std::string part = PartOf("slow.bin");
  ASSERT_NE(part, "");
  const auto size = std::filesystem::file_size(dir_ + part);
  EXPECT_GT(size, 0u);
  EXPECT_LT(size, 60000u);
}

TEST_F(InetHttp, CleanUpTakesOnlyPartFilesAndTinyFilesDownload) {
  const std::string data = Publish("Tolvane", "12345");
  WriteFile(dir_ + "Tolvane.exe", "the application");
  WriteFile(dir_ + "Tolvane.123", "an old part");
  WriteFile(dir_ + "Tolvane.ini", "settings");
  EXPECT_EQ(Download(nginx_ + "/Tolvane", dir_ + "Tolvane"), "");
  EXPECT_EQ(ReadFile(dir_ + "Tolvane"), data);
  EXPECT_EQ(FilesIn(dir_), (std::vector<std::string>{"Tolvane", "Tolvane.exe", "Tolvane.ini"}));
  // Five bytes: one-byte reads, a bar of 6.
  EXPECT_EQ(progress.high, 6);
  EXPECT_EQ(progress.steps, 5);
}

bool Offline() { return false; }

TEST_F(InetHttp, TheConnectedStateHasASeam) {
  EXPECT_TRUE(InternetConnected());
  SetConnectedStateQuery(Offline);
  EXPECT_FALSE(InternetConnected());
  SetConnectedStateQuery(nullptr);
  EXPECT_TRUE(InternetConnected());
  // Released and bound again.
  FreeWinINet();
  Publish("again.bin", "12345678");
  EXPECT_EQ(UrlContentLength(nginx_ + "/again.bin"), 8);
}

}  // namespace
