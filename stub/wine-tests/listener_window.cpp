// A listener program for the agent's tests: opens a window, logs every notification the agent
// posts to it, and can register itself and send the remote-control messages.
//
//   listener_window LOG [/register=CLASS] [/stop=N] [/command=CODE:ARG]... [/quit_after=MS]
//
// The first log line is "window=HWND message=MSG" (decimal), for an agent started with
// "/WM_MSG=HWND:MSG". "/register=CLASS" sends 1124 to the window of that class (waiting up to
// 20 s for it), then "/stop=N" posts 1123 and each "/command=" sends 1125 and logs
// "result CODE ARG VALUE". Every notification is logged as "notify CODE VALUE"; the program
// ends after the notice WindowEnd (43), on WM_CLOSE, or after /quit_after (default 120000) ms.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "rules/AgentProtocol.h"

namespace {

constexpr UINT kListenerMessage = WM_APP + 7;
std::FILE* log_file = nullptr;

void Log(const std::string& line) {
  if (!log_file) return;
  std::fprintf(log_file, "%s\n", line.c_str());
  std::fflush(log_file);
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kListenerMessage) {
    Log("notify " + std::to_string(static_cast<unsigned long long>(wparam)) + " " +
        std::to_string(static_cast<long long>(lparam)));
    if (wparam == WPARAM(AgentNotice::WindowEnd)) PostQuitMessage(0);
    return 0;
  }
  if (message == WM_TIMER || message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

HWND WaitForClass(const std::string& cls, DWORD ms) {
  const DWORD t0 = GetTickCount();
  do {
    if (HWND w = FindWindowA(cls.c_str(), nullptr)) return w;
    Sleep(50);
  } while (GetTickCount() - t0 < ms);
  return nullptr;
}

std::string ValueOf(const std::string& arg, const std::string& name) {
  return arg.compare(0, name.size(), name) == 0 ? arg.substr(name.size()) : std::string();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: listener_window LOG [/register=CLASS] [/stop=N] "
                         "[/command=CODE:ARG]... [/quit_after=MS]\n");
    return 2;
  }
  log_file = std::fopen(argv[1], "w");
  if (!log_file) return 1;
  std::string target_class;
  long stop = -1;
  std::vector<std::pair<long, long>> commands;
  unsigned quit_after = 120000;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!ValueOf(arg, "/register=").empty()) target_class = ValueOf(arg, "/register=");
    if (!ValueOf(arg, "/stop=").empty()) stop = std::atol(ValueOf(arg, "/stop=").c_str());
    if (!ValueOf(arg, "/quit_after=").empty())
      quit_after = unsigned(std::atol(ValueOf(arg, "/quit_after=").c_str()));
    const std::string command = ValueOf(arg, "/command=");
    if (!command.empty()) {
      const std::size_t colon = command.find(':');
      commands.emplace_back(std::atol(command.substr(0, colon).c_str()),
                            colon == std::string::npos ? 0 : std::atol(command.c_str() + colon + 1));
    }
  }

  WNDCLASSA cls = {};
  cls.lpfnWndProc = Proc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "WexlinTestListener";
  RegisterClassA(&cls);
  const HWND window = CreateWindowExA(0, cls.lpszClassName, "listener", WS_OVERLAPPED, 0, 0, 10,
                                      10, nullptr, nullptr, cls.hInstance, nullptr);
  if (!window) return 1;
  Log("window=" + std::to_string(reinterpret_cast<unsigned long long>(window)) +
      " message=" + std::to_string(kListenerMessage));
  SetTimer(window, 1, quit_after, nullptr);

  if (!target_class.empty()) {
    const HWND agent = WaitForClass(target_class, 20000);
    if (!agent) {
      Log("no window of class " + target_class);
      return 1;
    }
    SendMessageA(agent, kMsgRegisterListener, reinterpret_cast<WPARAM>(window), kListenerMessage);
    if (stop >= 0) PostMessageA(agent, kMsgStopCountdown, WPARAM(stop), 0);
    for (const auto& c : commands) {
      const LRESULT result = SendMessageA(agent, kMsgCommand, WPARAM(c.first), LPARAM(c.second));
      Log("result " + std::to_string(c.first) + " " + std::to_string(c.second) + " " +
          std::to_string(static_cast<long long>(result)));
    }
  }

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  Log("end");
  std::fclose(log_file);
  return 0;
}
