// Helpers of the wine tests that run the real WexlinStub: a test folder of its own, the
// trace-viewer tool receiving the stub's trace, closing the stub window.
#pragma once

#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "format/archive_test_files.h"
#include "protocol_lines.h"
#include "wine_process.h"

// The trace-viewer program (a wine path), set by the test's main.
inline std::string& TraceViewerExe() {
  static std::string exe;
  return exe;
}
// What the test folders' names start with, one per test program.
inline std::string& TestDirPrefix() {
  static std::string prefix = "stub_test_";
  return prefix;
}

// The user's temporary folder, with its final backslash.
inline std::string TempFolder() {
  char buffer[MAX_PATH];
  const DWORD n = GetTempPathA(MAX_PATH, buffer);
  return std::string(buffer, n);
}

// A folder of the test's own under the temporary folder, removed with its contents.
class TestDir {
 public:
  explicit TestDir(const std::string& name) {
    path_ = TempFolder() + TestDirPrefix() + std::to_string(GetCurrentProcessId()) + "_" +
            name + "\\";
    std::filesystem::create_directories(path_);
  }
  ~TestDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TestDir(const TestDir&) = delete;
  TestDir& operator=(const TestDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0, end;
  while ((end = text.find("\r\n", start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The trace-viewer tool, keeping the chunks it receives and their lengths in files.
class TraceViewer {
 public:
  TraceViewer(const std::string& dir, const std::string& name, DWORD hang_ms = 0)
      : raw_(dir + name + ".trace"), lengths_(dir + name + ".lengths") {
    std::string args = "\"/lengths=" + lengths_ + "\" \"" + raw_ + "\"";
    if (hang_ms) args = "/hang=" + std::to_string(hang_ms) + " " + args;
    process_ = ChildProcess(TraceViewerExe(), args);
    window_ = WaitForWindow(".WDebug.", 20000, process_.Id());
  }
  ~TraceViewer() {
    if (window_ && process_.Running()) {
      PostMessageA(window_, WM_CLOSE, 0, 0);
      process_.WaitEnd(5000);
    }
  }
  TraceViewer(const TraceViewer&) = delete;
  TraceViewer& operator=(const TraceViewer&) = delete;

  bool Ready() const { return window_ != nullptr; }
  void Kill() { process_.Kill(); }
  // Empties the files between runs of one viewer: wine reuses process ids, so lines of an
  // earlier run could pass for the next one's. The viewer appends at the end of the file,
  // so it writes on from the start.
  void Clear() const {
    for (const std::string& path : {raw_, lengths_}) {
      HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, TRUNCATE_EXISTING, 0, nullptr);
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
  }
  std::vector<std::string> Lines() const { return SplitLines(ReadFile(raw_)); }
  // The lines of one process, without its id.
  std::vector<std::string> LinesOf(DWORD pid) const {
    const std::string prefix = std::to_string(pid);
    std::vector<std::string> out;
    for (const std::string& line : Lines())
      if (line.compare(0, prefix.size(), prefix) == 0 &&
          (line.size() == prefix.size() || !std::isdigit(static_cast<unsigned char>(line[prefix.size()]))))
        out.push_back(line.substr(prefix.size()));
    return out;
  }
  bool Has(DWORD pid, const std::string& text) const {
    for (const std::string& line : LinesOf(pid))
      if (line.find(text) != std::string::npos) return true;
    return false;
  }
  // Waits until a line of the process contains the text.
  bool WaitFor(DWORD pid, const std::string& text, DWORD milliseconds) const {
    const DWORD t0 = GetTickCount();
    do {
      if (Has(pid, text)) return true;
      Sleep(20);
    } while (GetTickCount() - t0 < milliseconds);
    return false;
  }
  std::vector<int> Lengths() const {
    std::vector<int> out;
    std::istringstream in(ReadFile(lengths_));
    for (int n; in >> n;) out.push_back(n);
    return out;
  }

 private:
  std::string raw_, lengths_;
  ChildProcess process_;
  HWND window_ = nullptr;
};

// The first close of the stub window only asks a download to stop; the second closes it.
inline void CloseStubWindow(HWND window) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  PostMessageA(window, WM_CLOSE, 0, 0);
}

// How many ticks of the agent's timer the process traced after its first line holding text;
// -1 when no line holds it.
inline int TicksAfter(const TraceViewer& viewer, DWORD pid, const std::string& text) {
  int n = -1;
  const std::string key = kTraceTimerCount;
  for (const std::string& line : viewer.LinesOf(pid)) {
    if (n < 0 && line.find(text) != std::string::npos) n = 0;
    if (n >= 0 && line.compare(0, key.size(), key) == 0) ++n;
  }
  return n;
}
