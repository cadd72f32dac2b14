// The markup message box's decisions without windows: markup translation, heading, buttons,
// keys and layout.
#include "text/MarkupText.h"

#include <gtest/gtest.h>

#include <vector>

using namespace box;

namespace {

// The text with each bold run bracketed by [ ], to compare translations at a glance.
std::string Shown(const PlainText& plain) {
  std::string out;
  for (int i = 0; i <= static_cast<int>(plain.text.size()); ++i) {
    for (const BoldRun& r : plain.bold)
      if (r.end == i) out += ']';
    for (const BoldRun& r : plain.bold)
      if (r.start == i) out += '[';
    if (i < static_cast<int>(plain.text.size())) out += plain.text[i];
  }
  return out;
}

struct MarkupCase {
  const char* markup;
  const char* shown;
};

TEST(MarkupText, TranslatesTable) {
  const MarkupCase cases[] = {
      {"", ""},
      {"plain text", "plain text"},
      {"<b>one</b>two<p>three", "[one]two\r\nthree"},
      {"one</B>two<B>three", "onetwothree"},  // "<B>" without a later "</B>": nothing bold
      {"a<P>b<p>c", "a\r\nb\r\nc"},
      {"a<T>b<t>c", "a\tb\tc"},
      {"a\\\\nb\\\\tc", "a\r\nb\tc"},           // two backslashes: the escapes
      {"a\\nb\\tc", "a\\nb\\tc"},               // one backslash: ordinary text
      {"a\\\\Nb\\\\Tc", "a\\\\Nb\\\\Tc"},       // escapes are matched exactly
      {"<<b>HEAD</b><P><P>text<P>", "[HEAD]\r\n\r\ntext\r\n"},
      {"x<<b>y</b>", "x<[y]"},                  // only a leading "<<b>" loses its "<"
      {"<P><b>x</b>", "\r\n[x]"},               // CR LF counts two positions
      {"<b>a</b>b<B>c</B>", "[a]b[c]"},
      {"<B></B>x", "x"},                         // an empty run is no run
      {"</b>a<b>b</b>", "a[b]"},                 // a stray "</B>" before a run shifts it
      {"<b>a</b></b>b<b>c</b>", "[a]b[c]"},
      {"<b>a<b>b</b>c</b>", "[a[b]c]"},          // nested: both pairs become runs
      {"<<B>B>x", "<B>x"},                       // a tag formed by a removal stays text
      {"<p>", "\r\n"},
      {"&amp; < > <x>", "&amp; < > <x>"},
  };
  for (const MarkupCase& c : cases)
    EXPECT_EQ(Shown(TranslateMarkup(c.markup, NoLeadBytes)), c.shown) << c.markup;
}

TEST(MarkupText, NestedRunsKeepFinalPositions) {
  const PlainText p = TranslateMarkup("<b>a<b>b</b>c</b>", NoLeadBytes);
  EXPECT_EQ(p.text, "abc");
  EXPECT_EQ(p.bold, (std::vector<BoldRun>{{0, 2}, {1, 3}}));
}

TEST(MarkupText, DoubleByteCharactersAreNotCut) {
  // "\x81\x5C" is one GBK character whose second byte is a backslash: with the "\n" after it
  // the bytes read "\\n", which must not become a line break.
  const std::string text = "\x81\x5C\\n";
  EXPECT_EQ(TranslateMarkup(text, GbkLeadByte).text, text);
  EXPECT_EQ(TranslateMarkup(text, NoLeadBytes).text, "\x81\r\n");
  // Bold positions are byte positions: the GBK character before the run counts two.
  const PlainText p = TranslateMarkup("\xD5\xFD<b>\xCC\xE1</b>x", GbkLeadByte);
  EXPECT_EQ(p.text, "\xD5\xFD\xCC\xE1x");
  EXPECT_EQ(p.bold, (std::vector<BoldRun>{{2, 4}}));
}

TEST(MarkupText, OwnerlessHeading) {
  EXPECT_EQ(OwnerlessBoxText("Disk full", "Error"), "<<b>ERROR</b><P><P>Disk full<P>");
  EXPECT_EQ(OwnerlessBoxText("x", "Attention"), "<<b>ATTENTION</b><P><P>x<P>");
  EXPECT_EQ(OwnerlessBoxText("x", "Confirm"), "<<b>CONFIRM</b><P><P>x<P>");
  EXPECT_EQ(OwnerlessBoxText("x", "Setup"), "<<b>Setup</b><P><P>x<P>");
  EXPECT_EQ(OwnerlessBoxText("x", "rror"), "<<b>rror</b><P><P>x<P>");  // no kind title
  EXPECT_EQ(OwnerlessBoxText("x", "error"), "<<b>error</b><P><P>x<P>");
  EXPECT_EQ(OwnerlessBoxText("x", ""), "<<b></b><P><P>x<P>");
  // The whole text as the box shows it: the heading bold, an empty line, then the text.
  const PlainText p = TranslateMarkup(OwnerlessBoxText("Disk full", "Error"), NoLeadBytes);
  EXPECT_EQ(Shown(p), "[ERROR]\r\n\r\nDisk full\r\n");
}

TEST(MarkupText, CharsetFlags) {
  EXPECT_EQ(FlagsForCharset(0x10, 177), 0x10u | kRightAligned | kRightToLeft);
  EXPECT_EQ(FlagsForCharset(0x10, 178), 0x10u | kRightAligned | kRightToLeft);
  EXPECT_EQ(FlagsForCharset(0x10, 0), 0x10u);
  EXPECT_EQ(FlagsForCharset(0x10, 134), 0x10u);
}

std::vector<int> Ids(const std::vector<BoxButton>& buttons) {
  std::vector<int> ids;
  for (const BoxButton& b : buttons) ids.push_back(b.id);
  return ids;
}

std::vector<std::string> Captions(const std::vector<BoxButton>& buttons) {
  std::vector<std::string> out;
  for (const BoxButton& b : buttons) out.push_back(b.caption);
  return out;
}

TEST(MarkupText, ButtonSets) {
  const std::string list = kDefaultButtonTexts;
  using V = std::vector<int>;
  EXPECT_EQ(Ids(ButtonSet(0, list)), (V{1}));
  EXPECT_EQ(Ids(ButtonSet(1, list)), (V{1, 2}));
  EXPECT_EQ(Ids(ButtonSet(2, list)), (V{3, 4, 5}));
  EXPECT_EQ(Ids(ButtonSet(3, list)), (V{6, 7, 2}));
  EXPECT_EQ(Ids(ButtonSet(4, list)), (V{6, 7}));
  EXPECT_EQ(Ids(ButtonSet(5, list)), (V{4, 2}));
  EXPECT_EQ(Ids(ButtonSet(9, list)), (V{1}));          // unknown set: OK
  EXPECT_EQ(Ids(ButtonSet(0x52123, list)), (V{6, 7, 2}));  // other bits ignored
  using S = std::vector<std::string>;
  EXPECT_EQ(Captions(ButtonSet(2, list)), (S{"&Abort", "&Retry", "&Ignore"}));
  EXPECT_EQ(Captions(ButtonSet(3, list)), (S{"&Yes", "&No", "&Cancel"}));
  // Translated captions, a short list and an empty one: missing captions are empty.
  EXPECT_EQ(Captions(ButtonSet(1, "|&Gut|&Abbruch|")), (S{"&Gut", "&Abbruch"}));
  EXPECT_EQ(Captions(ButtonSet(3, "|&Gut|&Abbruch|")), (S{"", "", "&Abbruch"}));
  EXPECT_EQ(Captions(ButtonSet(2, "|")), (S{"", "", ""}));
  EXPECT_EQ(Captions(ButtonSet(1, "")), (S{"", ""}));
  EXPECT_EQ(ButtonTextsOrDefault(""), list);
  EXPECT_EQ(ButtonTextsOrDefault("|a|"), "|a|");
}

TEST(MarkupText, DefaultButton) {
  EXPECT_EQ(DefaultButtonIndex(0x102, 3), 1);
  EXPECT_EQ(DefaultButtonIndex(0x203, 3), 2);
  EXPECT_EQ(DefaultButtonIndex(0x201, 2), 0);  // no third button: the first
  EXPECT_EQ(DefaultButtonIndex(0xF00, 1), 0);
}

TEST(MarkupText, AccessKeys) {
  EXPECT_EQ(AccessKey("&OK", NoLeadBytes), 'O');
  EXPECT_EQ(AccessKey("&ja", NoLeadBytes), 'J');
  EXPECT_EQ(AccessKey("Re&try", NoLeadBytes), 'T');
  EXPECT_EQ(AccessKey("A&&B&c", NoLeadBytes), 'C');  // "&&" is a literal ampersand
  EXPECT_EQ(AccessKey("OK", NoLeadBytes), 0);
  EXPECT_EQ(AccessKey("", NoLeadBytes), 0);
  EXPECT_EQ(AccessKey("&", NoLeadBytes), 0);
  EXPECT_EQ(AccessKey("x&", NoLeadBytes), 0);
  // A double-byte character after "&" is no access key: it cannot be typed as one character.
  EXPECT_EQ(AccessKey("&\xC8\xB7", GbkLeadByte), 0);
  EXPECT_EQ(AccessKey("\xC8\xB7&Q", GbkLeadByte), 'Q');

  const auto buttons = ButtonSet(2, kDefaultButtonTexts);
  EXPECT_EQ(ButtonForKey(buttons, 'i', NoLeadBytes), 2);
  EXPECT_EQ(ButtonForKey(buttons, 'I', NoLeadBytes), 2);
  EXPECT_EQ(ButtonForKey(buttons, 'r', NoLeadBytes), 1);
  EXPECT_EQ(ButtonForKey(buttons, 'x', NoLeadBytes), -1);
  EXPECT_EQ(ButtonForKey(buttons, 0, NoLeadBytes), -1);
  // Several buttons with the same key: the first wins; empty captions match nothing.
  EXPECT_EQ(ButtonForKey(ButtonSet(3, "|&a|&b|&c|&c|"), 'c', NoLeadBytes), 0);
  EXPECT_EQ(ButtonForKey(ButtonSet(3, "|"), 0, NoLeadBytes), -1);
  EXPECT_EQ(ButtonForKey(ButtonSet(3, ""), 'o', NoLeadBytes), -1);
}

TEST(MarkupText, ArrowKeys) {
  struct Case {
    int focused;
    bool forward;
    int count;
    int expected;
  };
  const Case cases[] = {
      {0, true, 3, 1},  {1, true, 3, 2},  {2, true, 3, 0},    // right wraps to the first
      {0, false, 3, 2}, {2, false, 3, 1}, {1, false, 3, 0},   // left wraps to the third
      {-1, true, 3, 0}, {-1, false, 3, 1},                    // nothing focused
      {1, true, 2, 0},  {0, false, 2, 1},                     // the empty third place is passed
      {-1, false, 2, 1}, {-1, false, 1, 0},
      {0, true, 1, 0},  {0, false, 1, 0},
      {0, true, 0, -1}, {-1, false, 0, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ArrowFocusPlace(c.focused, c.forward, c.count), c.expected)
        << c.focused << " " << c.forward << " " << c.count;
}

TEST(MarkupText, Measurement) {
  EXPECT_EQ(MeasuredLines(""), (std::vector<std::string>{" "}));
  EXPECT_EQ(MeasuredLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(MeasuredLines("a\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(MeasuredLines("a\nb"), (std::vector<std::string>{"a\nb"}));

  // One 2000-pixel line: 600 + 10 wide, one line plus 2000 / 600 + 1 = 4 lines high.
  Size s = ControlSize({2000}, 13);
  EXPECT_EQ(s.width, 610);
  EXPECT_EQ(s.height, 5 * 13);
  s = ControlSize({100, 0, 250}, 10);
  EXPECT_EQ(s.width, 270);
  EXPECT_EQ(s.height, 40);
  s = ControlSize({599, 600}, 10);  // 600 pixels wrap once
  EXPECT_EQ(s.width, 610);
  EXPECT_EQ(s.height, 10 + 10 + 20);
}

TEST(MarkupText, WidthForBold) {
  std::vector<int> tried;
  // The control fits from 330 pixels on.
  int w = WidthForBold(300, 40, [&](int width) {
    tried.push_back(width);
    return Size{width, width >= 330 ? 40 : 60};
  });
  EXPECT_EQ(w, 330);
  EXPECT_EQ(tried, (std::vector<int>{300, 310, 320, 330}));
  // Never fits: the widest requested width + 10, after 21 tries.
  tried.clear();
  w = WidthForBold(300, 40, [&](int width) {
    tried.push_back(width);
    return Size{width == 350 ? 720 : 400, 60};
  });
  EXPECT_EQ(w, 730);
  EXPECT_EQ(tried.size(), 21u);
  EXPECT_EQ(tried.back(), 500);
  // A control that asks for less than it has is not narrowed.
  EXPECT_EQ(WidthForBold(300, 40, [](int) { return Size{100, 60}; }), 310);
}

TEST(MarkupText, Placement) {
  // A small control: wide margins, the minimum box width.
  Size box = BoxSize({100, 30}, 4, 4, 23);
  EXPECT_EQ(box.width, 360);  // 100 + 54 + 128 + 8 = 290 -> 360
  EXPECT_EQ(box.height, 30 + 36 + 90 + 8 + 23);
  box = BoxSize({610, 65}, 4, 4, 23);
  EXPECT_EQ(box.width, 610 + 54 + 64 + 8);
  EXPECT_EQ(box.height, 65 + 36 + 64 + 8 + 23);
  // The margins narrow at 200 pixels wide and 39 high.
  EXPECT_EQ(BoxSize({199, 38}, 0, 0, 0).width, 199 + 54 + 128);
  EXPECT_EQ(BoxSize({200, 38}, 0, 0, 0).width, 360);
  EXPECT_EQ(BoxSize({199, 38}, 0, 0, 0).height, 38 + 36 + 90);
  EXPECT_EQ(BoxSize({200, 39}, 0, 0, 0).height, 39 + 36 + 64);

  const Rect c = ControlRect({728, 196}, {610, 65});
  EXPECT_EQ(c.x, (728 - 54 - 610) / 2 + 54);
  EXPECT_EQ(c.y, (196 - 36 - 65) / 2);
  EXPECT_EQ(c.width, 610);
  EXPECT_EQ(c.height, 96);

  // Buttons touch; the last one starts 80 pixels from the right edge.
  const Size client{400, 150};
  EXPECT_EQ(ButtonRect(client, 2, 3).x, 320);
  EXPECT_EQ(ButtonRect(client, 1, 3).x, 250);
  EXPECT_EQ(ButtonRect(client, 0, 3).x, 180);
  EXPECT_EQ(ButtonRect(client, 0, 1).x, 320);
  EXPECT_EQ(ButtonRect(client, 0, 1).y, 121);
  EXPECT_EQ(ButtonRect(client, 0, 1).width, 70);
  EXPECT_EQ(ButtonRect(client, 0, 1).height, 23);
}

}  // namespace
