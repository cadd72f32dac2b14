#include "win/InfoWindow.h"

#include <richedit.h>

#include <exception>

#include "format/InformFile.h"
#include "rules/InfoWindowRules.h"
#include "win/Owners.h"
#include "win/Trace.h"
#include "win/Utils.h"

namespace {

constexpr char kInfoClass[] = "WRichEditBox";
constexpr int kTextId = 100;
constexpr int kButtonId = IDOK;

AddressOpener address_opener = nullptr;

bool OpenAddress(const std::string& address) {
  const bool opened =
      address_opener ? address_opener(address) : ShellOpen(address, "", SW_SHOWNORMAL);
  if (!opened) TraceLine() << " InfoWindow: could not open " << address;
  return opened;
}

// The one information window of the process.
struct InfoState {
  HWND text = nullptr;
  HWND button = nullptr;
  std::string address;
  bool open = false;
  bool open_failed = false;
};
InfoState info;

void Place(HWND control, const info_window::Rect& r) {
  if (control) MoveWindow(control, r.x, r.y, r.width, r.height, TRUE);
}

void LayOut(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const info_window::Layout l =
      info_window::LayoutFor(client.right, client.bottom, !info.address.empty());
  Place(info.text, l.text);
  Place(info.button, l.button);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  if (!info.address.empty()) {
    RECT line = {0, client.bottom - 43, client.right, client.bottom - 42};
    FillRect(dc, &line, GetSysColorBrush(COLOR_3DDKSHADOW));
    RECT band = {0, client.bottom - 42, client.right, client.bottom};
    FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
  }
  EndPaint(window, &ps);
}

LRESULT HandleInfoMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      LayOut(window);
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_COMMAND:
      if (LOWORD(wparam) == kButtonId && HIWORD(wparam) == BN_CLICKED && info.button) {
        info.open_failed = !OpenAddress(info.address);
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_DESTROY:
      info.open = false;
      // Wakes the loop when the window was destroyed by a message sent from elsewhere.
      PostMessageA(nullptr, WM_NULL, 0, 0);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT CALLBACK InfoProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    return HandleInfoMessage(window, message, wparam, lparam);
  } catch (const std::exception& e) {
    TraceLine() << " InfoWindow: " << e.what();
  } catch (...) {
    TraceLine() << " InfoWindow: unknown error";
  }
  return 0;
}

void RunLoop(HWND window) {
  MSG msg;
  while (info.open && IsWindow(window)) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // A quit meant for the outer loop: close this window and hand the quit on.
      DestroyWindow(window);
      PostQuitMessage(int(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (!IsDialogMessageA(window, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

}  // namespace

void SetInfoWindowOpener(AddressOpener opener) { address_opener = opener; }

bool InfoWindow(HWND owner, const std::string& title, const std::string& button_caption,
                const std::string& body, const std::string& address, int width, int height,
                bool right_to_left, const std::string& font_name, int font_size, int charset,
                bool* open_failed) {
  if (open_failed) *open_failed = false;
  std::string web = TrimText(address);
  if (!web.empty() && !IsWebAddress(web)) {
    TraceLine() << " InfoWindow: not a web address, not opened: " << web;
    web.clear();
  }
  if (body.empty()) {
    if (web.empty()) return false;
    const bool opened = OpenAddress(web);
    if (open_failed) *open_failed = !opened;
    return opened;
  }
  if (info.open) return false;  // one at a time: its state is process-wide

  const ModuleOwner rich_edit(LoadSystemLibrary("riched32.dll"));
  const FontOwner button_font =
      MakeDialogFont(-PointsToPixels(font_size), charset, font_name.c_str());
  const FontOwner text_font =
      MakeDialogFont(-15, charset, info_window::TextFace(font_name).c_str());

  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const ClassOwner info_class = RegisterDialogClass(kInfoClass, InfoProc);

  info = InfoState();
  info.address = web;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  WindowOwner window(CreateWindowExA(WS_EX_DLGMODALFRAME, kInfoClass, title.c_str(),
                                     WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, x, y,
                                     width, height, owner, nullptr, instance, nullptr));
  if (!window.get()) {
    const DWORD code = GetLastError();
    TraceLine() << " InfoWindow: " << LastErrorText(code);
    return false;
  }
  info.open = true;

  DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY;
  DWORD ex_style = 0;
  if (right_to_left) {
    style |= ES_RIGHT;
    ex_style |= WS_EX_RTLREADING;
  }
  const bool rich = rich_edit.get() != nullptr;
  info.text = CreateWindowExA(ex_style, rich ? "RICHEDIT" : "EDIT", "", style, 0, 0, 10, 10,
                              window.get(), reinterpret_cast<HMENU>(INT_PTR(kTextId)), instance,
                              nullptr);
  if (info.text) {
    if (rich) {
      SendMessageA(info.text, EM_SETEVENTMASK, 0, ENM_REQUESTRESIZE);
      SendMessageA(info.text, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));
    }
    SendMessageA(info.text, WM_SETFONT, reinterpret_cast<WPARAM>(text_font.get()), FALSE);
    SetWindowTextA(info.text, body.c_str());
  }
  if (!web.empty()) {
    info.button = CreateWindowExA(0, "BUTTON", button_caption.c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 160,
                                  25, window.get(), reinterpret_cast<HMENU>(INT_PTR(kButtonId)),
                                  instance, nullptr);
    SendMessageA(info.button, WM_SETFONT, reinterpret_cast<WPARAM>(button_font.get()), FALSE);
    SendMessageA(window.get(), DM_SETDEFID, kButtonId, 0);
    SetFocus(info.button);
  }
  LayOut(window.get());
  RunLoop(window.get());
  const bool failed = info.open_failed;
  info = InfoState();
  if (open_failed) *open_failed = failed;
  return !failed;
}
