// trace-viewer: the window that receives WexlinStub's trace. It shows the lines and, when asked,
// keeps what it received in files so that tests can check text and chunking.
//
//   trace-viewer [/lengths=FILE] [/hang=MS] [FILE]
//     FILE        every chunk appended as received (raw bytes, flushed per chunk)
//     /lengths=   one line per chunk with its byte length
//     /hang=MS    sleeps MS milliseconds inside every trace message: a viewer that hangs
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kViewerClass[] = ".WDebug.";
constexpr WPARAM kTraceText = 1;

UINT trace_message = 0;
HWND list = nullptr;
std::string pending_line;  // text after the last line end, shown once the line is complete
DWORD hang_ms = 0;

// An append-only file that is closed on every path.
class OutFile {
 public:
  OutFile() = default;
  ~OutFile() {
    if (file_) std::fclose(file_);
  }
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  bool Open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "ab");
    return file_ != nullptr;
  }
  void Append(const char* data, std::size_t n) {
    if (!file_) return;
    std::fwrite(data, 1, n, file_);
    std::fflush(file_);
  }

 private:
  std::FILE* file_ = nullptr;
};

OutFile raw_file;
OutFile length_file;

void ShowText(const char* text, std::size_t n) {
  pending_line.append(text, n);
  std::size_t end;
  while ((end = pending_line.find("\r\n")) != std::string::npos) {
    const std::string line = pending_line.substr(0, end);
    pending_line.erase(0, end + 2);
    const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, LPARAM(line.c_str()));
    if (index >= 0) SendMessageA(list, LB_SETTOPINDEX, WPARAM(index), 0);
  }
}

// The atom is deleted as soon as the sender's call returns: read it now.
void OnTraceText(ATOM atom) {
  if (hang_ms) Sleep(hang_ms);
  char text[256];
  const UINT n = GlobalGetAtomNameA(atom, text, sizeof text);
  if (n == 0) return;
  raw_file.Append(text, n);
  const std::string length_line = std::to_string(n) + "\n";
  length_file.Append(length_line.data(), length_line.size());
  ShowText(text, n);
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == trace_message && trace_message != 0) {
    if (wparam == kTraceText) OnTraceText(ATOM(lparam));
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 0,
                             0, window, nullptr, GetModuleHandleA(nullptr), nullptr);
      SendMessageA(list, WM_SETFONT, WPARAM(GetStockObject(ANSI_FIXED_FONT)), FALSE);
      return 0;
    case WM_SIZE:
      MoveWindow(list, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

bool StartsWith(const char* text, const char* prefix) {
  return _strnicmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  for (int i = 1; i < __argc; ++i) {
    const char* arg = __argv[i];
    if (StartsWith(arg, "/hang=")) {
      hang_ms = DWORD(std::strtoul(arg + 6, nullptr, 10));
    } else if (StartsWith(arg, "/lengths=")) {
      if (!length_file.Open(arg + 9)) return 2;
    } else if (!raw_file.Open(arg)) {
      return 2;
    }
  }
  trace_message = RegisterWindowMessageA(".W_DebugMsg.");
  WNDCLASSA cls = {};
  cls.lpfnWndProc = ViewerProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
  cls.lpszClassName = kViewerClass;
  if (!RegisterClassA(&cls)) return 1;
  const HWND window = CreateWindowExA(0, kViewerClass, "Trace viewer", WS_OVERLAPPEDWINDOW,
                                      CW_USEDEFAULT, CW_USEDEFAULT, 800, 400, nullptr, nullptr,
                                      instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
