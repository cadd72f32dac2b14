// Child program of process_win_test: a captioned main window that owns a dialog, plus a hidden
// window without caption, so that the main-window choice has something to choose from. Ends
// with exit code 7 when its main window is closed, with the code of a quit message, or with
// 99 after a minute in any case. With /NoWindow it makes no window and only sleeps.
#include <windows.h>

#include <cstring>

namespace {

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM w_param, LPARAM l_param) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(7);
      return 0;
    case WM_TIMER:
      PostQuitMessage(99);
      return 0;
  }
  return DefWindowProcA(window, message, w_param, l_param);
}

HWND MakeWindow(const char* class_name, const char* caption, DWORD style, HWND owner) {
  return CreateWindowExA(0, class_name, caption, style, 10, 10, 200, 120, owner, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  if (std::strstr(command_line, "/NoWindow")) {
    Sleep(60000);
    return 99;
  }
  WNDCLASSA main_class{};
  main_class.lpfnWndProc = MainProc;
  main_class.hInstance = instance;
  main_class.lpszClassName = "WexlinProcessChild";
  WNDCLASSA other_class = main_class;
  other_class.lpfnWndProc = DefWindowProcA;
  other_class.lpszClassName = "WexlinProcessChildOther";
  if (!RegisterClassA(&main_class) || !RegisterClassA(&other_class)) return 2;
  MakeWindow("WexlinProcessChildOther", "", WS_POPUP, nullptr);  // hidden, no caption
  HWND main =
      MakeWindow("WexlinProcessChild", "Process child", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr);
  MakeWindow("WexlinProcessChildOther", "Owned dialog", WS_POPUP | WS_CAPTION | WS_VISIBLE, main);
  SetTimer(main, 1, 60000, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
