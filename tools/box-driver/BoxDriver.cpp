#include "BoxDriver.h"

#include <richedit.h>

#include <algorithm>
#include <cstdlib>

#include "win/Owners.h"

namespace box_driver {
namespace {

constexpr UINT kSendTimeout = 5000;

// Memory in the box's process, for the RichEdit messages that carry pointers.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, std::size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OwnedHandle(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (process_.get())
      address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
  }
  bool ok() const { return address_ != nullptr; }
  LPARAM at(std::size_t offset) const {
    return reinterpret_cast<LPARAM>(static_cast<char*>(address_) + offset);
  }
  bool Write(std::size_t offset, const void* data, std::size_t n) {
    SIZE_T done = 0;
    return offset + n <= size_ &&
           WriteProcessMemory(process_.get(), static_cast<char*>(address_) + offset, data, n,
                              &done) &&
           done == n;
  }
  bool Read(std::size_t offset, void* data, std::size_t n) const {
    SIZE_T done = 0;
    return offset + n <= size_ &&
           ReadProcessMemory(process_.get(), static_cast<char*>(address_) + offset, data, n,
                             &done) &&
           done == n;
  }

 private:
  OwnedHandle process_{nullptr};
  void* address_ = nullptr;
  std::size_t size_;
};

LRESULT Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeout,
                           &result))
    return 0;
  return static_cast<LRESULT>(result);
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

bool SameName(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

std::string TextOf(HWND window) {
  const LRESULT n = Send(window, WM_GETTEXTLENGTH, 0, 0);
  if (n <= 0) return std::string();
  // The length may be counted in characters: room for two bytes each.
  std::string text(static_cast<std::size_t>(n) * 2 + 1, '\0');
  const LRESULT got =
      Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<std::size_t>(
      std::max<LRESULT>(0, std::min<LRESULT>(got, static_cast<LRESULT>(text.size()) - 1))));
  return text;
}

BOOL CALLBACK AddChild(HWND child, LPARAM list) {
  try {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(parent, AddChild, reinterpret_cast<LPARAM>(&out));
  return out;
}

bool IsDefaultButton(HWND button) {
  return (GetWindowLongA(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
}

bool IsReady(HWND box) {
  if (!IsWindowVisible(box)) return false;
  for (HWND child : Children(box))
    if (SameName(ClassOf(child), "Button") && IsDefaultButton(child)) return true;
  return false;
}

HWND FocusOfThread(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// The box font: the font object of a button where the box lives in this process, otherwise
// the RichEdit's default character format (which the box font set).
void ReadFont(BoxInfo& info, HWND rich_edit) {
  for (const ButtonInfo& b : info.buttons) {
    const HFONT font = reinterpret_cast<HFONT>(Send(b.window, WM_GETFONT, 0, 0));
    LOGFONTA lf = {};
    if (font && GetObjectA(font, sizeof lf, &lf) == sizeof lf) {
      info.font_face = lf.lfFaceName;
      info.font_charset = lf.lfCharSet;
      info.font_height = lf.lfHeight;
      return;
    }
  }
  if (!rich_edit) return;
  RemoteBuffer remote(rich_edit, sizeof(CHARFORMATA));
  CHARFORMATA format = {};
  format.cbSize = sizeof format;
  if (!remote.ok() || !remote.Write(0, &format, sizeof format)) return;
  Send(rich_edit, EM_GETCHARFORMAT, SCF_DEFAULT, remote.at(0));
  if (!remote.Read(0, &format, sizeof format)) return;
  format.szFaceName[LF_FACESIZE - 1] = '\0';
  info.font_face = format.szFaceName;
  info.font_charset = format.bCharSet;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring out(static_cast<std::size_t>(std::max(n, 0)), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                        nullptr, nullptr);
  return out;
}

// Asks the control about one character at a time (positions are characters) and collects
// the bold ones into runs. The characters themselves come from the text already read: the
// control's selected-text answer cuts double-byte characters short under wine.
std::vector<std::string> ReadBold(HWND rich_edit, const std::string& text) {
  std::vector<std::string> runs;
  const std::wstring chars = Wide(text);
  constexpr std::size_t kRange = 0, kFormat = 16;
  RemoteBuffer remote(rich_edit, kFormat + sizeof(CHARFORMATA));
  if (!remote.ok()) return runs;
  std::wstring run;
  for (std::size_t i = 0; i <= chars.size(); ++i) {
    bool bold = false;
    // A line break shows nothing; the control may give it the format of the text before it.
    if (i < chars.size() && chars[i] != L'\r' && chars[i] != L'\n') {
      const CHARRANGE range = {static_cast<LONG>(i), static_cast<LONG>(i + 1)};
      CHARFORMATA format = {};
      format.cbSize = sizeof format;
      if (!remote.Write(kRange, &range, sizeof range) ||
          !remote.Write(kFormat, &format, sizeof format))
        break;
      Send(rich_edit, EM_EXSETSEL, 0, remote.at(kRange));
      Send(rich_edit, EM_GETCHARFORMAT, SCF_SELECTION, remote.at(kFormat));
      if (!remote.Read(kFormat, &format, sizeof format)) break;
      bold = (format.dwMask & CFM_BOLD) && (format.dwEffects & CFE_BOLD);
    }
    if (bold) {
      run += chars[i];
    } else if (!run.empty()) {
      runs.push_back(Narrow(run));
      run.clear();
    }
  }
  const CHARRANGE none = {0, 0};
  if (remote.Write(kRange, &none, sizeof none)) Send(rich_edit, EM_EXSETSEL, 0, remote.at(kRange));
  return runs;
}

}  // namespace

HWND FindBox(const std::string& class_name, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    for (HWND w = FindWindowExA(nullptr, nullptr, class_name.c_str(), nullptr); w;
         w = FindWindowExA(nullptr, w, class_name.c_str(), nullptr))
      if (IsReady(w)) return w;
    if (GetTickCount() - start >= timeout_ms) return nullptr;
    Sleep(50);
  }
}

BoxInfo ReadBox(HWND box, bool read_bold) {
  BoxInfo info;
  info.window = box;
  info.caption = TextOf(box);
  const HWND focus = FocusOfThread(box);
  HWND rich_edit = nullptr;
  for (HWND child : Children(box)) {
    const std::string cls = ClassOf(child);
    if (SameName(cls, "RICHEDIT") || SameName(cls, "EDIT")) {
      if (SameName(cls, "RICHEDIT")) rich_edit = child;
      info.text = TextOf(child);
      info.text_style = GetWindowLongA(child, GWL_STYLE);
      info.text_ex_style = GetWindowLongA(child, GWL_EXSTYLE);
    } else if (SameName(cls, "Button")) {
      ButtonInfo b;
      b.window = child;
      b.id = GetDlgCtrlID(child);
      b.caption = TextOf(child);
      b.is_default = IsDefaultButton(child);
      b.focused = child == focus;
      info.buttons.push_back(b);
    }
  }
  std::sort(info.buttons.begin(), info.buttons.end(),
            [](const ButtonInfo& a, const ButtonInfo& b) {
              RECT ra, rb;
              GetWindowRect(a.window, &ra);
              GetWindowRect(b.window, &rb);
              return ra.left < rb.left;
            });
  ReadFont(info, rich_edit);
  if (read_bold && rich_edit) info.bold = ReadBold(rich_edit, info.text);
  return info;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

std::string FormatBox(const BoxInfo& info) {
  char number[32];
  std::string out = "caption=" + Escape(info.caption) + "\n";
  out += "text=" + Escape(info.text) + "\n";
  snprintf(number, sizeof number, "0x%lX", static_cast<unsigned long>(info.text_style));
  out += std::string("style=") + number + "\n";
  snprintf(number, sizeof number, "0x%lX", static_cast<unsigned long>(info.text_ex_style));
  out += std::string("exstyle=") + number + "\n";
  for (const ButtonInfo& b : info.buttons) {
    out += "button=" + std::to_string(b.id) + ":" + Escape(b.caption);
    if (b.is_default) out += " default";
    if (b.focused) out += " focus";
    out += "\n";
  }
  out += "font=" + info.font_face + "," + std::to_string(info.font_charset) + "\n";
  for (const std::string& run : info.bold) out += "bold=" + Escape(run) + "\n";
  return out;
}

HWND FindButton(const BoxInfo& info, const std::string& id_or_caption) {
  const bool numeric = !id_or_caption.empty() &&
                       id_or_caption.find_first_not_of("0123456789") == std::string::npos;
  for (const ButtonInfo& b : info.buttons) {
    if (numeric ? b.id == std::atoi(id_or_caption.c_str()) : b.caption == id_or_caption)
      return b.window;
  }
  return nullptr;
}

bool PressButton(const BoxInfo& info, HWND button, PressWay way) {
  if (!button) return false;
  if (way == PressWay::Click) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout,
                               &result) != 0;
  }
  return PostMessageA(info.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                      reinterpret_cast<LPARAM>(button)) != 0;
}

namespace {

HWND KeyTarget(HWND box) {
  const HWND focus = FocusOfThread(box);
  return focus && (focus == box || IsChild(box, focus)) ? focus : box;
}

}  // namespace

bool TypeChar(HWND box, unsigned char ch) {
  return PostMessageA(KeyTarget(box), WM_CHAR, ch, 1) != 0;
}

bool PressKey(HWND box, UINT virtual_key) {
  return PostMessageA(KeyTarget(box), WM_KEYDOWN, virtual_key, 1) != 0;
}

}  // namespace box_driver
