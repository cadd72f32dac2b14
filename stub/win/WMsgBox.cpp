#include "win/WMsgBox.h"

#include <richedit.h>

#include <vector>

#include "text/MarkupText.h"
#include "win/Owners.h"
#include "win/Paced.h"
#include "win/Utils.h"

namespace {

constexpr char kBoxClass[] = "WMsgBox";
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr int kTextId = 100;
constexpr COLORREF kBandColour = RGB(0, 78, 152);

// The disabled previous active window, enabled again however the box ends.
class DisabledWindow {
 public:
  explicit DisabledWindow(HWND window) : window_(window) {
    if (window_) EnableWindow(window_, FALSE);
  }
  DisabledWindow(const DisabledWindow&) = delete;
  DisabledWindow& operator=(const DisabledWindow&) = delete;
  ~DisabledWindow() {
    if (window_ && IsWindow(window_)) EnableWindow(window_, TRUE);
  }

 private:
  HWND window_;
};

// --- Box settings and the state of one box ---

struct BoxFont {
  std::string name = "Tahoma";
  int charset = 1;
  int size = 8;
};
BoxFont box_font;

struct Box {
  HWND window = nullptr;
  HWND text = nullptr;
  HICON icon = nullptr;
  std::vector<box::BoxButton> buttons;
  HWND button_windows[3] = {};
  HWND previous_active = nullptr;
  UINT timeout = 0;
  int result = box::kResultClosed;
  box::Size requested;
  bool destroyed = false;
};

Box* BoxOf(HWND window) {
  return reinterpret_cast<Box*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void CloseBox(Box& box) {
  if (box.previous_active && IsWindow(box.previous_active)) {
    EnableWindow(box.previous_active, TRUE);
    SetActiveWindow(box.previous_active);
    SetFocus(box.previous_active);
  }
  KillTimer(box.window, kTimeoutTimer);
  DestroyWindow(box.window);
}

void ChooseButton(Box& box, int index) {
  box.result = box.buttons[index].id;
  PostMessageA(box.window, WM_CLOSE, 0, 0);
}

int FocusedPlace(const Box& box) {
  const HWND focus = GetFocus();
  for (int i = 0; i < 3; ++i)
    if (focus && box.button_windows[i] == focus) return i;
  return -1;
}

// The box's keys, looked at before a message is dispatched; true when consumed.
bool HandleBoxKey(Box& box, const MSG& msg) {
  if (!msg.hwnd || (msg.hwnd != box.window && !IsChild(box.window, msg.hwnd))) return false;
  if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
    const int index = box::ButtonForKey(box.buttons, static_cast<unsigned char>(msg.wParam));
    if (index < 0) return false;
    ChooseButton(box, index);
    return true;
  }
  if (msg.message != WM_KEYDOWN) return false;
  switch (msg.wParam) {
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
      const bool forward = msg.wParam == VK_RIGHT || msg.wParam == VK_DOWN;
      const int place = box::ArrowFocusPlace(FocusedPlace(box), forward,
                                             static_cast<int>(box.buttons.size()));
      if (place >= 0) SetFocus(box.button_windows[place]);
      return true;
    }
    case VK_RETURN: {
      const int place = FocusedPlace(box);
      if (place < 0) return false;
      ChooseButton(box, place);
      return true;
    }
    default:
      return false;
  }
}

void PaintBox(const Box& box) {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(box.window, &ps);
  if (!dc) return;
  RECT client;
  GetClientRect(box.window, &client);
  const int bottom = client.bottom;
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  RECT line = {0, bottom - 37, client.right, bottom - 36};
  FillRect(dc, &line, GetSysColorBrush(COLOR_3DDKSHADOW));
  line = {0, bottom - 36, client.right, bottom - 35};
  FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT band = {0, bottom - 35, client.right, bottom};
  FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
  band = {0, 0, box::kIconBand, bottom - 37};
  if (const HBRUSH blue = CreateSolidBrush(kBandColour)) {
    FillRect(dc, &band, blue);
    DeleteObject(blue);
  }
  if (box.icon) DrawIcon(dc, 11, 20, box.icon);
  EndPaint(box.window, &ps);
}

LRESULT HandleBoxMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return DefWindowProcA(window, message, wparam, lparam);
  }
  Box* box = BoxOf(window);
  if (!box) return DefWindowProcA(window, message, wparam, lparam);
  const UINT auto_play = AutoPlayCancelMessage();
  if (auto_play != 0 && message == auto_play) return 1;
  switch (message) {
    case WM_CREATE:
      box->window = window;
      if (box->timeout) SetTimer(window, kTimeoutTimer, box->timeout, nullptr);
      return 0;
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED && lparam) {
        for (std::size_t i = 0; i < box->buttons.size() && i < 3; ++i) {
          if (box->button_windows[i] == reinterpret_cast<HWND>(lparam)) {
            box->result = box->buttons[i].id;
            CloseBox(*box);
            return 0;
          }
        }
      }
      return 0;
    case WM_TIMER:
      if (wparam != kTimeoutTimer) return 0;
      box->result = box->buttons.empty() ? box::kResultClosed : box->buttons[0].id;
      CloseBox(*box);
      return 0;
    case WM_CLOSE:
      CloseBox(*box);
      return 0;
    case WM_DESTROY:
      box->destroyed = true;
      // GetMessage serves sent messages without returning: when a sent message (a click sent
      // by another thread) closed the box, this wakes the box's loop so that it can end.
      PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header && header->hwndFrom == box->text && header->code == EN_REQUESTRESIZE) {
        const RECT& rc = reinterpret_cast<const REQRESIZE*>(lparam)->rc;
        box->requested = {rc.right - rc.left, rc.bottom - rc.top};
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole client area
    case WM_PAINT:
      PaintBox(*box);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    return HandleBoxMessage(window, message, wparam, lparam);
  } catch (...) {
    return DefWindowProcA(window, message, wparam, lparam);
  }
}

// RichEdit 1.0 counts positions in characters: a double-byte character of the ANSI code page
// is one position, CR LF two. The markup's runs are byte positions.
LONG CharPosition(const std::string& text, int byte_position) {
  if (byte_position <= 0) return 0;
  return MultiByteToWideChar(CP_ACP, 0, text.data(), byte_position, nullptr, 0);
}

void SetText(HWND control, bool rich, const box::PlainText& plain) {
  SetWindowTextA(control, plain.text.c_str());
  if (!rich) return;
  for (const box::BoldRun& run : plain.bold) {
    CHARRANGE range = {CharPosition(plain.text, run.start), CharPosition(plain.text, run.end)};
    SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    format.dwEffects = CFE_BOLD;
    SendMessageA(control, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
  CHARRANGE none = {0, 0};
  SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&none));
}

box::Size MeasureText(HWND control, HFONT font, const std::string& text) {
  const WindowDC dc(control);
  const ObjectSelection selected(dc.get(), font);
  TEXTMETRICA metrics = {};
  int line_height = 16;
  std::vector<int> widths;
  if (dc.get() && GetTextMetricsA(dc.get(), &metrics)) {
    line_height = metrics.tmHeight + metrics.tmExternalLeading;
    if (box_font.name == "MS PGothic") ++line_height;
  }
  for (const std::string& line : box::MeasuredLines(text)) {
    const DWORD extent =
        dc.get() ? GetTabbedTextExtentA(dc.get(), line.data(), static_cast<int>(line.size()), 0,
                                        nullptr)
                 : 0;
    widths.push_back(LOWORD(extent));
  }
  return box::ControlSize(widths, line_height);
}

HICON BoxIcon(UINT flags) {
  switch (flags & box::kIconMask) {
    case box::kIconStop:
      return LoadIconA(nullptr, IDI_HAND);
    case box::kIconQuestion:
      return LoadIconA(nullptr, IDI_QUESTION);
    case box::kIconExclamation:
      return LoadIconA(nullptr, IDI_EXCLAMATION);
    case box::kIconInformation:
      return LoadIconA(nullptr, IDI_ASTERISK);
    default:
      return LoadIconA(GetModuleHandleA(nullptr), "MainIcon");
  }
}

// Sizes and places the text control and the box, then centres the box on the screen.
void PlaceBox(Box& box, HFONT font, bool rich, const box::PlainText& plain) {
  box::Size control = MeasureText(box.text, font, plain.text);
  SetWindowPos(box.text, nullptr, 0, 0, control.width, control.height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (rich && !plain.bold.empty()) {
    control.width = box::WidthForBold(control.width, control.height, [&](int width) {
      SetWindowPos(box.text, nullptr, 0, 0, width, control.height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      box.requested = {};
      SendMessageA(box.text, EM_REQUESTRESIZE, 0, 0);
      return box.requested;
    });
  }
  const box::Size outer =
      box::BoxSize(control, GetSystemMetrics(SM_CXSIZEFRAME), GetSystemMetrics(SM_CYSIZEFRAME),
                   GetSystemMetrics(SM_CYCAPTION));
  SetWindowPos(box.window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - outer.width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - outer.height) / 2, outer.width, outer.height,
               SWP_NOZORDER | SWP_SHOWWINDOW);
  RECT client;
  GetClientRect(box.window, &client);
  const box::Size client_size{client.right, client.bottom};
  const box::Rect r = box::ControlRect(client_size, control);
  MoveWindow(box.text, r.x, r.y, r.width, r.height, TRUE);
}

void CreateButtons(Box& box, HFONT font, UINT flags) {
  RECT client;
  GetClientRect(box.window, &client);
  const box::Size client_size{client.right, client.bottom};
  const int count = static_cast<int>(box.buttons.size());
  for (int i = 0; i < count && i < 3; ++i) {
    const box::Rect r = box::ButtonRect(client_size, i, count);
    box.button_windows[i] = CreateWindowExA(
        0, "BUTTON", box.buttons[i].caption.c_str(),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, r.x, r.y, r.width, r.height,
        box.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(box.buttons[i].id)),
        GetModuleHandleA(nullptr), nullptr);
    if (box.button_windows[i])
      SendMessageA(box.button_windows[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  const int chosen = box::DefaultButtonIndex(flags, count);
  SetForegroundWindow(box.window);
  for (int i = 0; i < count && i < 3; ++i)
    if (box.button_windows[i])
      SendMessageA(box.button_windows[i], BM_SETSTYLE, i == chosen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                   TRUE);
  if (count > 0 && box.button_windows[chosen]) SetFocus(box.button_windows[chosen]);
}

// Serves the thread's messages until the box is gone. A WM_QUIT meant for an outer loop
// closes the box and is posted again.
void RunBoxLoop(Box& box) {
  bool quit = false;
  WPARAM quit_code = 0;
  MSG msg;
  while (!box.destroyed) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      quit = true;
      quit_code = msg.wParam;
      SendMessageA(box.window, WM_CLOSE, 0, 0);
      continue;
    }
    if (HandleBoxKey(box, msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (quit) PostQuitMessage(static_cast<int>(quit_code));
}

}  // namespace

void SetBoxFont(const std::string& font_name, int font_size, int charset) {
  box_font.name = font_name;
  if (font_size != 0) box_font.size = font_size;
  box_font.charset = charset;
}

int MarkupBox(HWND owner, const std::string& text, const std::string& title,
              const std::string& button_texts, UINT flags, UINT timeout) {
  Box box;
  box.timeout = timeout;
  box.buttons = box::ButtonSet(flags, box::ButtonTextsOrDefault(button_texts));
  const HINSTANCE instance = GetModuleHandleA(nullptr);

  FontOwner font =
      MakeDialogFont(-PointsToPixels(box_font.size), box_font.charset, box_font.name.c_str());
  // Without RichEdit the text still shows, without bold, in a plain edit control.
  ModuleOwner rich_edit(LoadSystemLibrary("riched32.dll"));
  const bool rich = rich_edit.get() != nullptr;

  // A box opened while another one is open (from a timer of another window) shares its class.
  ClassOwner box_class = RegisterDialogClass(kBoxClass, BoxProc);

  box.previous_active = GetActiveWindow();
  DisabledWindow previous(box.previous_active);
  WindowOwner window(CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kBoxClass,
                                     title.c_str(), WS_CAPTION | WS_SYSMENU | WS_VISIBLE, -100,
                                     -100, 10, 10, owner, nullptr, instance, &box));
  if (!window.get()) return box::kResultClosed;

  DWORD style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_WANTRETURN;
  if (flags & box::kRightAligned) style |= ES_RIGHT;
  const DWORD ex_style = (flags & box::kRightToLeft) ? WS_EX_RTLREADING : 0;
  box.text = CreateWindowExA(ex_style, rich ? "RICHEDIT" : "EDIT", "", style, 0, 0, 10, 10,
                             window.get(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), instance,
                             nullptr);
  if (box.text) {
    SendMessageA(box.text, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    if (rich) {
      SendMessageA(box.text, EM_SETEVENTMASK, 0, ENM_REQUESTRESIZE);
      SendMessageA(box.text, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));
    }
    const box::PlainText plain = box::TranslateMarkup(text);
    SetText(box.text, rich, plain);
    PlaceBox(box, font.get(), rich, plain);
  }
  box.icon = BoxIcon(flags);
  CreateButtons(box, font.get(), flags);
  RunBoxLoop(box);
  return box.result;
}

int ShowBox(HWND owner, const std::string& text, const std::string& title,
            const std::string& button_texts, int charset, UINT flags, UINT timeout) {
  flags = box::FlagsForCharset(flags, charset);
  const std::string shown = owner ? text : box::OwnerlessBoxText(text, title);
  if (!owner || owner == BOX_OWNER_ACTIVE) owner = GetActiveWindow();
  const int result = MarkupBox(owner, shown, title, button_texts, flags | box::kShowBoxFlags,
                               timeout);
  WaitPumping(Paced(100), 0);
  return result;
}

namespace {

std::string TitleOr(const std::string& title, int kind) {
  return title.empty() ? ListItem(box::kTitleList, kind, std::string()) : title;
}

}  // namespace

int ErrorBox(HWND owner, const std::string& text, const std::string& title,
             const std::string& button_texts, int charset) {
  return ShowBox(owner, text, TitleOr(title, 0), button_texts, charset,
                 box::kIconStop, 0);
}

int WarningBox(HWND owner, const std::string& text, const std::string& title,
               const std::string& button_texts, int charset, UINT timeout) {
  return ShowBox(owner, text, TitleOr(title, 1), button_texts, charset,
                 box::kIconExclamation, timeout);
}

bool AskYesNo(HWND owner, const std::string& text, const std::string& title,
              const std::string& button_texts, int charset) {
  return ShowBox(owner, text, TitleOr(title, 2), button_texts, charset,
                 box::kIconQuestion | 4, 0) == box::kResultYes;
}

bool AskOkCancel(HWND owner, const std::string& text, const std::string& title,
                 const std::string& button_texts, int charset) {
  return ShowBox(owner, text, TitleOr(title, 2), button_texts, charset,
                 box::kIconQuestion | 1, 0) == box::kResultOk;
}

namespace {

BOOL CALLBACK CloseIfBox(HWND window, LPARAM) noexcept {
  char name[16] = {};
  if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, kBoxClass) == 0)
    PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

void CloseThreadBoxes() { EnumThreadWindows(GetCurrentThreadId(), CloseIfBox, 0); }
