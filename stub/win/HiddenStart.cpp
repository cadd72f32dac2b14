#include "win/HiddenStart.h"

#include <utility>

bool StartProcessShown(const std::string& application, const std::string& command_line,
                       const std::string& folder, WORD show, DWORD creation_flags,
                       OwnedHandle* process, DWORD* error_code, OwnedHandle* thread) {
  std::string command = command_line;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = show;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(application.c_str(), &command[0], nullptr, nullptr, FALSE, creation_flags,
                      nullptr, folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
    if (error_code) *error_code = GetLastError();
    return false;
  }
  OwnedHandle owned_process(pi.hProcess), owned_thread(pi.hThread);
  if (process) *process = std::move(owned_process);
  if (thread) *thread = std::move(owned_thread);
  return true;
}

bool StartHiddenProcess(const std::string& application, const std::string& command_line,
                        const std::string& folder, DWORD creation_flags, OwnedHandle* process,
                        DWORD* error_code) {
  return StartProcessShown(application, command_line, folder, SW_HIDE, creation_flags, process,
                           error_code);
}
