#include "text/MarkupText.h"

#include <algorithm>
#include <cstddef>

namespace box {

const char kDefaultButtonTexts[] = "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|";
const char kTitleList[] = "|Error|Attention|Confirm|";

namespace {

LeadByteTest LeadTest(LeadByteTest is_lead) { return is_lead ? is_lead : CurrentLeadByteTest(); }

unsigned char UpperByte(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

bool MatchesAt(const std::string& text, std::size_t at, const std::string& pattern,
               bool ignore_case) {
  if (text.size() - at < pattern.size()) return false;
  for (std::size_t k = 0; k < pattern.size(); ++k) {
    unsigned char a = static_cast<unsigned char>(text[at + k]);
    unsigned char b = static_cast<unsigned char>(pattern[k]);
    if (ignore_case) {
      a = UpperByte(a);
      b = UpperByte(b);
    }
    if (a != b) return false;
  }
  return true;
}

// Byte index of the first match at or after from that starts a character, npos for none.
// A match on the second byte of a double-byte character would cut that character in two (its
// second byte may be a backslash in the double-byte code pages).
std::size_t FindAtCharStart(const std::string& text, const std::string& pattern,
                            std::size_t from, bool ignore_case, LeadByteTest is_lead) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i >= from && MatchesAt(text, i, pattern, ignore_case)) return i;
    if (is_lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
  }
  return std::string::npos;
}

// Left to right; replaced text is not searched again.
std::string ReplaceAtCharStarts(const std::string& text, const std::string& pattern,
                                const std::string& replacement, bool ignore_case,
                                LeadByteTest is_lead) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (MatchesAt(text, i, pattern, ignore_case)) {
      out += replacement;
      i += pattern.size();
    } else if (is_lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      out.append(text, i, 2);
      i += 2;
    } else {
      out += text[i++];
    }
  }
  return out;
}

// Removes count bytes at at and keeps the runs pointing at the same text.
void RemoveKeepingRuns(PlainText& plain, std::size_t at, std::size_t count) {
  plain.text.erase(at, count);
  const int a = static_cast<int>(at), n = static_cast<int>(count);
  for (BoldRun& run : plain.bold) {
    if (run.start > a) run.start = std::max(a, run.start - n);
    if (run.end > a) run.end = std::max(a, run.end - n);
  }
}

}  // namespace

PlainText TranslateMarkup(const std::string& markup, LeadByteTest is_lead) {
  is_lead = LeadTest(is_lead);
  PlainText plain;
  std::string& t = plain.text;
  t = ReplaceAtCharStarts(markup, "\\\\n", "\r\n", false, is_lead);
  t = ReplaceAtCharStarts(t, "\\\\t", "\t", false, is_lead);
  t = ReplaceAtCharStarts(t, "<P>", "\r\n", true, is_lead);
  t = ReplaceAtCharStarts(t, "<T>", "\t", true, is_lead);
  if (t.compare(0, 4, "<<b>") == 0) t.erase(0, 1);

  static const std::string open = "<B>", close = "</B>";
  // The search goes on from where the last "<B>" was removed, so a tag that the removal
  // itself forms ("<<B>B>") is left as text.
  std::size_t from = 0;
  for (;;) {
    const std::size_t p = FindAtCharStart(t, open, from, true, is_lead);
    if (p == std::string::npos) break;
    RemoveKeepingRuns(plain, p, open.size());
    from = p;
    const std::size_t q = FindAtCharStart(t, close, p, true, is_lead);
    if (q == std::string::npos) continue;
    RemoveKeepingRuns(plain, q, close.size());
    if (q > p) plain.bold.push_back({static_cast<int>(p), static_cast<int>(q)});
  }
  for (std::size_t q = FindAtCharStart(t, close, 0, true, is_lead); q != std::string::npos;
       q = FindAtCharStart(t, close, q, true, is_lead))
    RemoveKeepingRuns(plain, q, close.size());
  plain.bold.erase(std::remove_if(plain.bold.begin(), plain.bold.end(),
                                  [](const BoldRun& r) { return r.end <= r.start; }),
                   plain.bold.end());
  return plain;
}

std::string OwnerlessBoxText(const std::string& text, const std::string& title) {
  // Whole items only: a title that merely occurs inside an item ("rror") is not a kind title.
  const bool kind_title = !title.empty() && Pos("|" + title + "|", kTitleList) > 0;
  const std::string heading = kind_title ? UpperText(title) : title;
  return "<<b>" + heading + "</b><P><P>" + text + "<P>";
}

unsigned FlagsForCharset(unsigned flags, int charset) {
  if (charset == 177 || charset == 178) flags |= kRightAligned | kRightToLeft;
  return flags;
}

std::string ButtonTextsOrDefault(const std::string& button_texts) {
  return button_texts.empty() ? std::string(kDefaultButtonTexts) : button_texts;
}

std::vector<BoxButton> ButtonSet(unsigned flags, const std::string& button_texts) {
  // Items of the caption list: OK, Cancel, Yes, No, Abort, Retry, Ignore.
  struct Entry {
    int id;
    int item;
  };
  static const std::vector<Entry> sets[] = {
      {{kResultOk, 0}},
      {{kResultOk, 0}, {kResultCancel, 1}},
      {{kResultAbort, 4}, {kResultRetry, 5}, {kResultIgnore, 6}},
      {{kResultYes, 2}, {kResultNo, 3}, {kResultCancel, 1}},
      {{kResultYes, 2}, {kResultNo, 3}},
      {{kResultRetry, 5}, {kResultCancel, 1}},
  };
  const unsigned set = flags & kButtonSetMask;
  std::vector<BoxButton> buttons;
  for (const Entry& e : sets[set < 6 ? set : 0])
    buttons.push_back({e.id, ListItem(button_texts, e.item, std::string())});
  return buttons;
}

int DefaultButtonIndex(unsigned flags, int button_count) {
  const int index = static_cast<int>((flags & kDefaultButtonMask) >> 8);
  return index < button_count ? index : 0;
}

unsigned char AccessKey(const std::string& caption, LeadByteTest is_lead) {
  is_lead = LeadTest(is_lead);
  for (std::size_t i = 0; i < caption.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(caption[i]);
    if (c == '&') {
      if (i + 1 >= caption.size()) return 0;
      const unsigned char key = static_cast<unsigned char>(caption[i + 1]);
      if (key == '&') {
        ++i;
        continue;
      }
      return is_lead(key) ? 0 : UpperByte(key);
    }
    if (is_lead(c) && i + 1 < caption.size()) ++i;
  }
  return 0;
}

int ButtonForKey(const std::vector<BoxButton>& buttons, unsigned char typed,
                 LeadByteTest is_lead) {
  if (typed == 0) return -1;
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (AccessKey(buttons[i].caption, is_lead) == UpperByte(typed)) return static_cast<int>(i);
  return -1;
}

int ArrowFocusPlace(int focused, bool forward, int button_count) {
  constexpr int kPlaces = 3;
  if (button_count <= 0) return -1;
  button_count = std::min(button_count, kPlaces);
  int place;
  if (focused < 0 || focused >= kPlaces)
    place = forward ? 0 : 1;
  else
    place = (focused + (forward ? 1 : kPlaces - 1)) % kPlaces;
  while (place >= button_count) place = (place + (forward ? 1 : kPlaces - 1)) % kPlaces;
  return place;
}

std::vector<std::string> MeasuredLines(const std::string& text) {
  if (text.empty()) return {" "};
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t cut = text.find("\r\n", start);
    if (cut == std::string::npos) break;
    lines.push_back(text.substr(start, cut - start));
    start = cut + 2;
  }
  lines.push_back(text.substr(start));
  return lines;
}

Size ControlSize(const std::vector<int>& line_widths, int line_height) {
  int width = 0, height = line_height;
  for (int w : line_widths) {
    w = std::max(w, 0);
    width = std::max(width, w + 10);
    height += (w / kMaxTextWidth + 1) * line_height;
  }
  return {std::min(width, kMaxTextWidth) + 10, height};
}

int WidthForBold(int width, int measured_height, const std::function<Size(int)>& requested) {
  // Never narrower than the width measured without bold: a control that asks for less would
  // only wrap more.
  int widest = width;
  for (int i = 0; i <= 20; ++i) {
    const Size asked = requested(width + 10 * i);
    if (asked.height <= measured_height) return width + 10 * i;
    widest = std::max(widest, asked.width);
  }
  return widest + 10;
}

Size BoxSize(Size control, int frame_width, int frame_height, int caption_height) {
  const int margin_x = control.width < 200 ? 64 : 32;
  const int margin_y = control.height < 39 ? 45 : 32;
  return {std::max(360, control.width + kIconBand + 2 * margin_x + 2 * frame_width),
          control.height + kButtonBand + 2 * margin_y + 2 * frame_height + caption_height};
}

Rect ControlRect(Size client, Size control) {
  return {(client.width - kIconBand - control.width) / 2 + kIconBand,
          (client.height - kButtonBand - control.height) / 2, control.width,
          control.height + 31};
}

Rect ButtonRect(Size client, int index, int count) {
  return {client.width - 80 - kButtonWidth * (count - 1 - index), client.height - 29,
          kButtonWidth, kButtonHeight};
}

}  // namespace box
