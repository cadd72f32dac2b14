// Helpers of the wine tests that start Windows programs: Unix paths as wine paths, a started
// process owned by one object, waiting for a window of a class.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "rules/Pace.h"

inline std::string WindowsPath(std::string unix_path) {
  if (unix_path.empty() || unix_path[0] != '/') return unix_path;
  for (char& c : unix_path)
    if (c == '/') c = '\\';
  return "Z:" + unix_path;  // wine maps the Unix root to Z:
}

// A started program; ended by force if it still runs when the object goes.
class ChildProcess {
 public:
  ChildProcess() = default;
  // arguments follow the quoted program path after a space.
  ChildProcess(const std::string& exe, const std::string& arguments) {
    std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &si, &info_)) {
      CloseHandle(info_.hThread);
      info_.hThread = nullptr;
      command_line_ = command;
    }
  }
  ~ChildProcess() { Reset(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ChildProcess(ChildProcess&& other) noexcept : info_(other.info_), command_line_(other.command_line_) {
    other.info_ = PROCESS_INFORMATION{};
  }
  ChildProcess& operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
      Reset();
      info_ = other.info_;
      command_line_ = other.command_line_;
      other.info_ = PROCESS_INFORMATION{};
    }
    return *this;
  }

  bool Started() const { return info_.hProcess != nullptr; }
  DWORD Id() const { return info_.dwProcessId; }
  const std::string& CommandLine() const { return command_line_; }
  // True when the program ended within the time.
  bool WaitEnd(DWORD milliseconds) const {
    return Started() && WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
  }
  bool Running() const { return Started() && !WaitEnd(0); }
  long ExitCode() const {
    DWORD code = DWORD(-1);
    if (Started()) GetExitCodeProcess(info_.hProcess, &code);
    return long(code);
  }
  void Kill() {
    if (Running()) {
      TerminateProcess(info_.hProcess, 99);
      WaitEnd(10000);
    }
  }

 private:
  void Reset() {
    Kill();
    if (info_.hProcess) CloseHandle(info_.hProcess);
    info_ = PROCESS_INFORMATION{};
  }
  PROCESS_INFORMATION info_{};
  std::string command_line_;
};

// Runs a program to its end; its exit code, or -1 when it cannot start or does not end.
inline long RunProgram(const std::string& exe, const std::string& arguments = "",
                       DWORD milliseconds = 60000) {
  ChildProcess child(exe, arguments);
  return child.WaitEnd(milliseconds) ? child.ExitCode() : -1;
}

// The top-level window of the class (of the process, when given), waiting for it to appear.
inline HWND WaitForWindow(const std::string& cls, DWORD milliseconds, DWORD process_id = 0) {
  const DWORD t0 = GetTickCount();
  do {
    for (HWND w = FindWindowExA(nullptr, nullptr, cls.c_str(), nullptr); w;
         w = FindWindowExA(nullptr, w, cls.c_str(), nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (process_id == 0 || owner == process_id) return w;
    }
    Sleep(20);
  } while (GetTickCount() - t0 < milliseconds);
  return nullptr;
}

// The stub's fixed pauses and its one-second tick at the quickest pace, for every program the
// test starts: these tests check what follows a pause, not its length, and count ticks rather
// than time them.
inline void QuickStubPace() {
  SetEnvironmentVariableA(kPaceVariable, std::to_string(kMaxPaceDivisor).c_str());
}
