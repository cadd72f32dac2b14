// WexlinTestApp: the program that the update tests stop and restart. A captioned main window
// that owns a captioned dialog, so the process control picks the main window; how it answers
// the shut-down messages is chosen on its command line, so every shut-down method can be shown.
//
//   WexlinTestApp.exe [/Log=FILE] [/Mode=Close|QuitOnly|Ignore] [/ExitAfter=MS]
//
// /Mode=Close (default): WM_CLOSE closes the window and ends the program; WM_QUIT ends it too.
// /Mode=QuitOnly: WM_CLOSE is ignored; only WM_QUIT ends it.
// /Mode=Ignore: WM_CLOSE and WM_QUIT are both ignored; only termination ends it.
// /ExitAfter=MS: ends by itself after MS milliseconds whatever the mode.
//
// The log (FILE, default "WexlinTestApp.log" in the temporary folder) gets a line
// "start pid=P dir=CURRENT_FOLDER args=ARGUMENTS" when the program starts and a line
// "stop pid=P how=close|quit|timer code=N" when it ends by itself (a terminated program writes
// none). Lines are appended, so a restarted program continues the log. Exit code: 0 after
// WM_CLOSE, the quit message's code after WM_QUIT, 3 after /ExitAfter.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kMainClass[] = "WexlinTestApp";
const char kMainCaption[] = "Wexlin Test Application";
const UINT_PTR kExitTimer = 1;

enum class Mode { Close, QuitOnly, Ignore };

std::string log_path;
Mode mode = Mode::Close;
const char* stop_how = "quit";

// The command line after the program path (quoted or not).
std::string Arguments() {
  const char* line = GetCommandLineA();
  if (*line == '"') {
    line = std::strchr(line + 1, '"');
    line = line ? line + 1 : "";
  } else {
    while (*line && *line != ' ') ++line;
  }
  while (*line == ' ') ++line;
  return line;
}

// The value of "/Name=" up to the next blank, or in double quotes.
std::string SwitchValue(const std::string& args, const std::string& name) {
  const std::size_t at = args.find(name);
  if (at == std::string::npos) return std::string();
  std::size_t start = at + name.size();
  if (start < args.size() && args[start] == '"') {
    const std::size_t end = args.find('"', start + 1);
    return args.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
  }
  const std::size_t end = args.find(' ', start);
  return args.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void LogLine(const std::string& line) {
  if (FILE* file = std::fopen(log_path.c_str(), "ab")) {
    std::fprintf(file, "%s\r\n", line.c_str());
    std::fclose(file);
  }
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM w_param, LPARAM l_param) {
  switch (message) {
    case WM_CLOSE:
      if (mode != Mode::Close) return 0;
      stop_how = "close";
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_TIMER:
      if (w_param == kExitTimer) {
        stop_how = "timer";
        KillTimer(window, kExitTimer);
        mode = Mode::Close;
        PostQuitMessage(3);
      }
      return 0;
  }
  return DefWindowProcA(window, message, w_param, l_param);
}

INT_PTR CALLBACK DialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// A captioned modeless dialog owned by the main window, from an in-memory template.
HWND MakeDialog(HWND owner) {
  struct alignas(4) {
    DLGTEMPLATE header;
    WORD menu, window_class;
    wchar_t title[12];
  } dialog{};
  dialog.header.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME;
  dialog.header.cx = 120;
  dialog.header.cy = 40;
  const wchar_t title[] = L"Test dialog";
  for (int i = 0; i < 12; ++i) dialog.title[i] = title[i];
  return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &dialog.header, owner, DialogProc,
                                    0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::string args = Arguments();
  log_path = SwitchValue(args, "/Log=");
  if (log_path.empty()) {
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    log_path = std::string(temp, n < MAX_PATH ? n : 0) + "WexlinTestApp.log";
  }
  const std::string mode_text = SwitchValue(args, "/Mode=");
  if (mode_text == "QuitOnly") mode = Mode::QuitOnly;
  if (mode_text == "Ignore") mode = Mode::Ignore;
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  const DWORD pid = GetCurrentProcessId();
  LogLine("start pid=" + std::to_string(pid) + " dir=" + folder + " args=" + args);

  WNDCLASSA main_class{};
  main_class.lpfnWndProc = MainProc;
  main_class.hInstance = instance;
  main_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  main_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  main_class.lpszClassName = kMainClass;
  if (!RegisterClassA(&main_class)) return 2;
  HWND main = CreateWindowExA(0, kMainClass, kMainCaption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                              40, 320, 200, nullptr, nullptr, instance, nullptr);
  if (!main) return 2;
  HWND dialog = MakeDialog(main);
  const std::string exit_after = SwitchValue(args, "/ExitAfter=");
  if (!exit_after.empty())
    SetTimer(main, kExitTimer, static_cast<UINT>(std::atoi(exit_after.c_str())), nullptr);

  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      if (mode == Mode::Ignore) continue;  // a quit message changes nothing
      break;
    }
    if (dialog && IsDialogMessageA(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  const int code = static_cast<int>(msg.wParam);
  LogLine("stop pid=" + std::to_string(pid) + " how=" + stop_how + " code=" + std::to_string(code));
  return code;
}
