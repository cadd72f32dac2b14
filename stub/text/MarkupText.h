// The decisions of the markup message box that need no window: the markup translation into
// plain text and bold runs, the heading of an ownerless box, the button set and its keys, and
// the layout arithmetic. WMsgBox.cpp does the Win32 half.
//
// Pure code (no <windows.h>). Texts are byte strings of the ANSI code page, as everywhere in
// the stub; the double-byte rules come from the lead-byte test of UtilsText.h.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "text/UtilsText.h"

namespace box {

// --- Flags and result codes (the system message box's values) ---

constexpr unsigned kButtonSetMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;
constexpr unsigned kIconStop = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconExclamation = 0x30;
constexpr unsigned kIconInformation = 0x40;
constexpr unsigned kDefaultButtonMask = 0xF00;
constexpr unsigned kRightAligned = 0x80000;
constexpr unsigned kRightToLeft = 0x100000;
// Added by ShowBox to every box: task-modal, set-foreground and topmost in the system's terms.
constexpr unsigned kShowBoxFlags = 0x52000;

constexpr int kResultClosed = 0;
constexpr int kResultOk = 1;
constexpr int kResultCancel = 2;
constexpr int kResultAbort = 3;
constexpr int kResultRetry = 4;
constexpr int kResultIgnore = 5;
constexpr int kResultYes = 6;
constexpr int kResultNo = 7;

extern const char kDefaultButtonTexts[];  // "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|"
extern const char kTitleList[];           // "|Error|Attention|Confirm|"

// --- Markup ---

// A bold run [start, end) in byte positions of the plain text (CR LF counts as two).
struct BoldRun {
  int start = 0;
  int end = 0;
  bool operator==(const BoldRun& o) const { return start == o.start && end == o.end; }
};

struct PlainText {
  std::string text;
  std::vector<BoldRun> bold;
};

// "\\n" -> CR LF and "\\t" -> tab (exact), "<P>" -> CR LF and "<T>" -> tab (any case), a
// leading "<<b>" loses its first character, then "<B>".."</B>" become bold runs; an unpaired
// "<B>" and every remaining "</B>" are removed. No match starts on the second byte of a
// double-byte character (is_lead decides; the default is the installed test).
PlainText TranslateMarkup(const std::string& markup, LeadByteTest is_lead = nullptr);

// The text of a box without owner: the title as a bold heading, upper-cased when it is one of
// the kind titles, an empty line, then the text.
std::string OwnerlessBoxText(const std::string& text, const std::string& title);

// Hebrew (177) and Arabic (178) boxes read right to left and are right-aligned.
unsigned FlagsForCharset(unsigned flags, int charset);

// The list to use: empty button texts mean the default list.
std::string ButtonTextsOrDefault(const std::string& button_texts);

// --- Buttons ---

struct BoxButton {
  int id = 0;           // the result code it gives
  std::string caption;  // may be empty (missing from the caption list)
};

// The buttons of bits 0-3 of the flags, captioned from the seven-item list (OK, Cancel, Yes,
// No, Abort, Retry, Ignore). A set number above 5 gives OK alone, as the system box does.
std::vector<BoxButton> ButtonSet(unsigned flags, const std::string& button_texts);

// The index of the default button (bits 8-11), 0 when that index has no button.
int DefaultButtonIndex(unsigned flags, int button_count);

// The access key of a caption: the single-byte character after its first single "&" ("&&" is
// a literal ampersand), upper-cased; 0 when there is none.
unsigned char AccessKey(const std::string& caption, LeadByteTest is_lead = nullptr);

// The index of the first button whose access key matches the typed character (any case);
// -1 for none.
int ButtonForKey(const std::vector<BoxButton>& buttons, unsigned char typed,
                 LeadByteTest is_lead = nullptr);

// The button place that an arrow key focuses; focused is the place of the focused button or
// -1 when no button has the focus. Places without a button are passed over in the direction
// of travel, so the focus always stays on a button. -1 when there is no button at all.
int ArrowFocusPlace(int focused, bool forward, int button_count);

// --- Layout ---

constexpr int kMaxTextWidth = 600;
constexpr int kIconBand = 54;     // the coloured band left of the text
constexpr int kButtonBand = 36;   // the band of the buttons at the bottom
constexpr int kButtonWidth = 70;
constexpr int kButtonHeight = 23;

// The lines as the box measures them: split at CR LF; an empty text is one space.
std::vector<std::string> MeasuredLines(const std::string& text);

struct Size {
  int width = 0;
  int height = 0;
};

// The control's size from the pixel widths of the lines: each line is as wide as its text
// plus 10 (at most 600) and wraps every 600 pixels; one line height is added for the margin.
// The control is 10 pixels wider than its widest line.
Size ControlSize(const std::vector<int>& line_widths, int line_height);

// Widening for bold text: tries width, width + 10, ... width + 200 until the control asks for
// no more than measured_height; otherwise the widest width it asked for + 10.
// requested(width) sizes the control and returns the size it asks for.
int WidthForBold(int width, int measured_height, const std::function<Size(int)>& requested);

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The box window's outer size for a control of the given size.
Size BoxSize(Size control, int frame_width, int frame_height, int caption_height);
// The control's place in the client area.
Rect ControlRect(Size client, Size control);
// The place of button index of count: right-aligned, touching, above the bottom edge.
Rect ButtonRect(Size client, int index, int count);

}  // namespace box
