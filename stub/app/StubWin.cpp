#include "app/StubWin.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <exception>

#include "app/AgentListener.h"
#include "app/SetupJobStop.h"
#include "app/StubAU.h"
#include "app/StubGlob.h"
#include "app/StubProgress.h"
#include "app/StubSetup.h"
#include "app/StubState.h"
#include "app/UnPack.h"
#include "rules/AgentProtocol.h"
#include "win/InetHTTP.h"
#include "win/Owners.h"
#include "win/Paced.h"
#include "win/Trace.h"
#include "win/Utils.h"
#include "win/WMsgBox.h"

namespace {

// comctl32 is not a KnownDLL, so it is bound at run time from the system folder rather than
// imported (a copy planted beside an installer in a downloads folder must not load).
void InitCommonControlsAtRunTime() {
  using InitProc = void(WINAPI*)();
  if (const auto init = BindProcAs<InitProc>("comctl32.dll", "InitCommonControls")) init();
}

HICON MainIcon() { return LoadIconA(GetModuleHandleA(nullptr), "MainIcon"); }

HWND Child(HWND parent, const char* cls, DWORD style, int x, int y, int w, int h) {
  return CreateWindowExA(0, cls, "", WS_CHILD | style, x, y, w, h, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void OnCreate(HWND window) {
  StubWindow.window = window;
  StubWindow.status = Child(window, "Static", WS_VISIBLE, 70, 20, 340, 18);
  StubWindow.progress = Child(window, PROGRESS_CLASSA, WS_VISIBLE, 70, 38, 392, 13);
  StubWindow.activity = Child(window, PROGRESS_CLASSA, 0, 416, 20, 46, 13);
  StubWindow.status_font = FontOwner(CreateFontA(
      -11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma"));
  if (StubWindow.status && StubWindow.status_font)
    SendMessageA(StubWindow.status, WM_SETFONT,
                 reinterpret_cast<WPARAM>(StubWindow.status_font.get()), FALSE);
  SetTimer(window, kStartTimerId, Paced(kStartTimerMs), nullptr);
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  if (HDC dc = BeginPaint(window, &paint)) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (HICON icon = MainIcon()) DrawIcon(dc, 18, 20, icon);
    EndPaint(window, &paint);
  }
}

void OnDestroy(HWND window) {
  SetDownloadAbort(true);
  // Only this process's own extraction folder, and never under a job still using it.
  if (!SetupJobRunning()) RemoveSetupTempDir();
  KillTimer(window, kStartTimerId);
  StubWindow = StubWindowHandles{};
  PostQuitMessage(0);
}

// Only the setup job stops the start timer (it runs once); the update cycle counts this same
// timer every second, so in an agent it keeps ticking.
void OnTimer(HWND window) {
  if (IsAutoUpdateProg) {
    AutoUpdateTick();
  } else {
    KillTimer(window, kStartTimerId);
    SetupJob(window);
  }
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_TIMER:
      if (wparam == kStartTimerId) OnTimer(window);
      return 0;
    case WM_CLOSE:
      // While the setup job runs, closing only asks it to stop: the job ends its extraction,
      // waits for a setup program it has started, and removes its folder itself.
      if (SetupJobRunning()) {
        SetDownloadAbort(true);
        RequestSetupJobStop();
        return 0;
      }
      // The first close asks a running download to stop; the second closes the window.
      if (!DownloadAborted()) {
        SetDownloadAbort(true);
        return 0;
      }
      break;
    case WM_DESTROY:
      OnDestroy(window);
      return 0;
    case kMsgStopCountdown:
      RemoteStopCountdown(wparam);
      break;
    case kMsgRegisterListener:
      RemoteRegisterListener(wparam, lparam);
      break;
    case kMsgCommand:
      return RemoteCommand(wparam, lparam);
    default:
      if (message != 0 && message == AutoPlayCancelMessage()) return 1;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT CALLBACK StubWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    return HandleMessage(window, message, wparam, lparam);
  } catch (const std::exception& e) {
    TraceLine() << " StubWindow: " << e.what();
  } catch (...) {
    TraceLine() << " StubWindow: unknown error";
  }
  return 0;
}

}  // namespace

HWND StubWindowCreate() {
  InitCommonControlsAtRunTime();
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA cls = {};
  cls.style = CS_DBLCLKS;
  cls.lpfnWndProc = StubWindowProc;
  cls.hInstance = instance;
  cls.hIcon = MainIcon();
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.lpszClassName = WindowClass.c_str();
  if (!RegisterClassA(&cls)) {
    const DWORD code = GetLastError();
    TraceLine() << " RegisterClass failed: " << LastErrorText(code);
    return nullptr;
  }
  const std::string title = OwnInfo ? OwnInfo->LangText("s0", "Wexlin Installation Suite")
                                    : std::string("Wexlin Installation Suite");
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kStubWindowWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kStubWindowHeight) / 2;
  const HWND window =
      CreateWindowExA(0, WindowClass.c_str(), title.c_str(),
                      WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, x, y, kStubWindowWidth,
                      kStubWindowHeight, nullptr, nullptr, instance, nullptr);
  const DWORD create_code = window ? 0 : GetLastError();
  if (OwnInfo) SetBoxFont(OwnInfo->FontName(), OwnInfo->FontSize(), OwnInfo->Charset());
  if (!window) {
    TraceLine() << " CreateWindow failed: " << LastErrorText(create_code);
    UnregisterClassA(WindowClass.c_str(), instance);
  }
  return window;
}

void StubWindowDestroy() {
  if (StubWindow.window) DestroyWindow(StubWindow.window);
  UnregisterClassA(WindowClass.c_str(), GetModuleHandleA(nullptr));
}

void StubWindowRun() {
  const std::int64_t sleep = SwitchInt("/SleepX=", -1);
  if (sleep >= 0) AutoUpdateTimerCount = std::int32_t(-std::min<std::int64_t>(sleep, INT32_MAX));
  if (const HWND window = StubWindowCreate()) {
    ShowWindow(window, SW_HIDE);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    // Destroying a window still there stops its timer (OnDestroy).
    StubWindowDestroy();
  }
  SetDownloadAbort(true);
  FreeWinINet();
  NotifyListener(AgentNotice::WindowEnd, 0);
}
