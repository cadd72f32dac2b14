// Test driver of the stub's message boxes: finds a box window, reads what it shows (caption,
// text, bold runs, buttons, font) and presses its buttons or keys. Works on a box of another
// process (the RichEdit's own messages are served through memory in the box's process) and on
// one of another thread of the calling process.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

namespace box_driver {

struct ButtonInfo {
  HWND window = nullptr;
  int id = 0;
  std::string caption;
  bool is_default = false;
  bool focused = false;
};

struct BoxInfo {
  HWND window = nullptr;
  std::string caption;
  std::string text;  // the RichEdit's text (WM_GETTEXT), CR LF as stored
  LONG text_style = 0;
  LONG text_ex_style = 0;
  std::vector<ButtonInfo> buttons;  // left to right
  std::string font_face;            // the box font
  int font_charset = -1;
  int font_height = 0;
  std::vector<std::string> bold;  // the bold runs' texts, in order (read only when asked)
};

// The first visible window of the class whose buttons are set up (one of them is the default
// push button); nullptr when none appears within the timeout.
HWND FindBox(const std::string& class_name, DWORD timeout_ms);

BoxInfo ReadBox(HWND box, bool read_bold);

// The lines a test asserts on: "caption=...", "text=...", "style=0x...", "exstyle=0x...",
// "button=ID:CAPTION[ default][ focus]", "font=FACE,CHARSET,HEIGHT", "bold=...". CR, LF, tab
// and backslash in texts are written \r, \n, \t and \\.
std::string FormatBox(const BoxInfo& info);
std::string Escape(const std::string& text);

// The button named by its id ("5") or its caption ("&Ignore"); nullptr when there is none.
HWND FindButton(const BoxInfo& info, const std::string& id_or_caption);

enum class PressWay { Click, Command };
// Presses the button: BM_CLICK to it, or WM_COMMAND BN_CLICKED posted to the box.
bool PressButton(const BoxInfo& info, HWND button, PressWay way);
// A typed character (WM_CHAR) or a key (WM_KEYDOWN) posted to the box's focused window.
bool TypeChar(HWND box, unsigned char ch);
bool PressKey(HWND box, UINT virtual_key);

}  // namespace box_driver
