// Process: finding a running program by its file, finding its main window, asking it to close
// or quit, terminating it, and waits that keep the calling thread's windows responsive. The
// process-status library and the tool-help functions are bound at run time; the rules behind
// the searches are in ProcessRules.h.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Which enumeration FindProcess and the waits use. Auto follows IsWinNT: the process-status
// library on the NT family, tool help otherwise. Tests set the others to run both paths.
enum class ProcessSearch { Auto, ToolHelp, ProcessStatus };
void SetProcessSearch(ProcessSearch search);

// The id of a process running program_file (a full path, or a bare name unless full_path_only),
// 0 when none.
DWORD FindProcess(const std::string& program_file, bool full_path_only);
// Tool-help search; the last match in the snapshot wins.
DWORD FindProcess9x(const std::string& program_file, bool full_path_only);
// Process-status search, from the end of the process list; the first match wins.
DWORD FindProcessNT(const std::string& program_file, bool full_path_only);
std::vector<DWORD> EnumProcessIds();
bool IsPidAlive(DWORD pid);
// program_file may be enclosed in double quotes; base names match.
bool IsProcessRunning(const std::string& program_file);

// How a wait on a handle ended.
enum class WaitEnd { Signalled, TimedOut, Failed };
// Waits until the handle (a process, for one) is signalled or timeout_ms have passed (INFINITE:
// no limit), serving the thread's messages meanwhile. A quit message that arrives during the
// wait is posted again when the wait ends, so the caller's message loop still sees it.
WaitEnd WaitForHandlePumping(HANDLE handle, DWORD timeout_ms);

// How a wait for a program's end ended.
enum class ProgramWait { Ended, TimedOut, Stopped };
// Waits, serving messages, until no process runs program_file (quotes allowed, base names
// match), timeout_ms have passed, or stop (when given) says so or a quit message is pending
// (it stays pending for the caller's loop). Wakes at the end of the process it found and at
// every message; searches again at least once a second.
ProgramWait WaitForProcessEnd(const std::string& program_file, DWORD timeout_ms,
                              const std::function<bool()>& stop = {});
// Waits, serving messages every 100 ms, while a top-level window of that class (and, when not
// empty, that title) exists.
void WaitWhileWindowExists(const std::string& window_class, const std::string& window_title);

// The last window of the owner chain above window; none if window has no owner.
HWND TopOwner(HWND window);

// Collects the top-level windows of one process and scores them to pick its main window.
class TAnalizer {
 public:
  static constexpr int kCapacity = 2001;

  explicit TAnalizer(DWORD pid);
  // Adds the window when its process is the one searched; further windows beyond the table
  // are ignored (a program with more than 2001 top-level windows is not a setup's concern).
  void Collect(HWND window);
  // Scores the collected windows and returns the best, none when every score is 0.
  HWND MainWindow();
  int Count() const { return static_cast<int>(count_); }

 private:
  HWND windows_[kCapacity];
  std::uint16_t scores_[kCapacity];
  std::uint32_t count_;
  std::uint32_t pid_;
};

// The main window of the process running program_file; none when there is no such process or
// it has no scored window.
HWND FindMainWindow(const std::string& program_file, bool full_path_only);
bool PostToMainWindow(const std::string& program_file, bool full_path_only, UINT message,
                      WPARAM w_param, LPARAM l_param);
// WM_CLOSE (wParam 15, lParam 255) to the main window.
bool CloseProgram(const std::string& program_file, bool full_path_only);
// WM_QUIT with exit code 15 to the main window.
bool QuitProgram(const std::string& program_file, bool full_path_only);
// Terminates the process with exit code 0; true when the termination succeeded.
bool TerminateProgram(const std::string& program_file, bool full_path_only);
