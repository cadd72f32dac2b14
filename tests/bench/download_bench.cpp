// Windows (under wine, started by download_bench.sh with nginx on 127.0.0.1): the stub's own
// download (HTTP_DownloadFile_Incremental into a file, the bars of the stub window driven, as the
// agent and the internet setup run it) against a plain InternetOpenUrl / InternetReadFile loop
// into a file in the same process, in rounds that alternate which goes first. Prints figures
// only; the medians count on a shared, noisy machine.
// Usage: download_bench URL WORK_DIR [ROUNDS]
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/StubProgress.h"
#include "app/StubWin.h"
#include "bench_figures.h"
#include "win/Files.h"
#include "win/InetHTTP.h"
#include "win/Utils.h"

namespace {

// The loop any program would write: 64 KiB reads, each written to the open file. The bytes
// written; -1 when a call fails.
std::int64_t PlainDownload(const std::string& url, const std::string& target) {
  HINTERNET session = InternetOpenA("download_bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                                    nullptr, 0);
  HINTERNET request =
      session ? InternetOpenUrlA(session, url.c_str(), nullptr, 0,
                                 INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
              : nullptr;
  HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  std::int64_t total = request && file != INVALID_HANDLE_VALUE ? 0 : -1;
  std::vector<char> buffer(65536);
  DWORD read = 0;
  while (total >= 0 && InternetReadFile(request, buffer.data(), DWORD(buffer.size()), &read) &&
         read > 0) {
    DWORD wrote = 0;
    if (!WriteFile(file, buffer.data(), read, &wrote, nullptr) || wrote != read) total = -1;
    else total += read;
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (request) InternetCloseHandle(request);
  if (session) InternetCloseHandle(session);
  return total;
}

bool SameFiles(const std::string& a, const std::string& b) {
  return FileSizeOf(a) == FileSizeOf(b) && ReadFilePart(a, 0, 0) == ReadFilePart(b, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: download_bench URL WORK_DIR [ROUNDS]\n");
    return 2;
  }
  const std::string url = argv[1];
  const std::string dir = FixTrailingBackslash(argv[2], true);
  const int rounds = std::max(1, argc > 3 ? std::atoi(argv[3]) : 5);
  const std::int64_t size = UrlContentLength(url);
  if (size <= 0) {
    std::printf("no file at %s\n", url.c_str());
    return 1;
  }
  const double mb = double(size) / 1048576.0;
  std::printf("%s: %.1f MB\n", url.c_str(), mb);
  // The bars are driven as in a real download (the window stays hidden; the agent's is too).
  const HWND window = StubWindowCreate();
  if (!window) {
    std::printf("no stub window\n");
    return 1;
  }
  KillTimer(window, kStartTimerId);  // no setup job here: only the bars are wanted
  const std::string stub_file = dir + "download_bench_stub.bin";
  const std::string plain_file = dir + "download_bench_plain.bin";
  std::vector<double> stub_speeds, plain_speeds, ratios;
  for (int round = 0; round < rounds; ++round) {
    double stub_speed = 0, plain_speed = 0;
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == (round % 2 == 0)) {
        DeleteFileA(plain_file.c_str());
        const auto t0 = Clock::now();
        const std::int64_t got = PlainDownload(url, plain_file);
        plain_speed = double(got) / 1048576.0 / Seconds(t0);
        if (got != size) {
          std::printf("plain download failed: %lld of %lld bytes\n", (long long)got,
                      (long long)size);
          return 1;
        }
      } else {
        SetDownloadAbort(false);
        TransferError error;
        const auto t0 = Clock::now();
        const bool ok = HTTP_DownloadFile_Incremental(nullptr, url, stub_file, nullptr,
                                                      StubWindowProgress(), &error);
        stub_speed = mb / Seconds(t0);
        if (!ok || std::int64_t(FileSizeOf(stub_file)) != size) {
          std::printf("stub download failed: %s\n", error.text().c_str());
          return 1;
        }
      }
    }
    // Checked outside the timing, once: both files hold the same bytes.
    if (round == 0 && !SameFiles(stub_file, plain_file)) {
      std::printf("the two downloads differ\n");
      return 1;
    }
    stub_speeds.push_back(stub_speed);
    plain_speeds.push_back(plain_speed);
    ratios.push_back(stub_speed / plain_speed);
    std::printf("round %d: stub %7.1f MB/s, plain %7.1f MB/s, ratio %.2f\n", round + 1,
                stub_speed, plain_speed, stub_speed / plain_speed);
    std::fflush(stdout);
  }
  std::printf("stub download (HTTP_DownloadFile_Incremental): %8.1f MB/s median of %d\n",
              Median(stub_speeds), rounds);
  std::printf("plain WinINet loop (64 KiB reads): %8.1f MB/s median of %d\n",
              Median(plain_speeds), rounds);
  std::printf("speed ratio stub / plain: %.2f median of the rounds' ratios (aim >= 0.9)\n",
              Median(ratios));
  DeleteFileA(stub_file.c_str());
  DeleteFileA(plain_file.c_str());
  StubWindowDestroy();
  FreeWinINet();
  return 0;
}
