#include "atlas/popup_menu_state.h"

#include <gtest/gtest.h>

namespace {

// Opened by a press at (100, 100) of an 800 x 600 window: entries start at (102, 106).
struct Popup : ::testing::Test {
  PopupMenuState s;
  void SetUp() override { s.open_at(100, 100, 800, 600, 35); }
  int entry_y(int i) const { return s.geometry().top + s.geometry().entry_top(i) + 10; }
  int entry_x() const { return s.geometry().left + 20; }
};

TEST_F(Popup, ReleaseOverAnEntryChoosesIt) {
  EXPECT_TRUE(s.shown());
  EXPECT_TRUE(s.motion(entry_x(), entry_y(6)).redraw);
  EXPECT_EQ(s.highlighted(), 6);
  PopupResult r = s.release(entry_x(), entry_y(6));
  EXPECT_TRUE(r.closed);
  EXPECT_EQ(r.chosen, 7);
  EXPECT_FALSE(s.takes_input());
}

TEST_F(Popup, AClickStaysOpenAndTheNextClickChooses) {
  PopupResult r = s.release(100, 100);
  EXPECT_FALSE(r.closed);
  EXPECT_TRUE(s.shown());
  // Left or right alike: the press on an entry is the pop-up's, the release chooses.
  EXPECT_EQ(s.press(entry_x(), entry_y(6)).chosen, 0);
  EXPECT_TRUE(s.shown());
  r = s.release(entry_x(), entry_y(6));
  EXPECT_EQ(r.chosen, 7);
  EXPECT_FALSE(s.takes_input());
}

TEST_F(Popup, ReleasedAwayWithoutReachingAnEntryStaysOpen) {
  s.motion(600, 300);
  EXPECT_FALSE(s.release(600, 300).closed);
  EXPECT_TRUE(s.shown());
}

TEST_F(Popup, ReleasedAwayAfterReachingAnEntryCloses) {
  s.motion(entry_x(), entry_y(3));
  s.motion(600, 300);
  EXPECT_EQ(s.highlighted(), -1);
  PopupResult r = s.release(600, 300);
  EXPECT_TRUE(r.closed);
  EXPECT_EQ(r.chosen, 0);
}

TEST_F(Popup, AClickElsewhereClosesAndIsSwallowedToItsRelease) {
  s.release(100, 100);
  PopupResult r = s.press(600, 300);
  EXPECT_TRUE(r.closed);
  EXPECT_EQ(r.chosen, 0);
  EXPECT_FALSE(s.shown());
  EXPECT_TRUE(s.takes_input()) << "the closing click's drag and release are the pop-up's";
  EXPECT_FALSE(s.motion(entry_x(), entry_y(2)).redraw);
  EXPECT_EQ(s.release(entry_x(), entry_y(2)).chosen, 0);
  EXPECT_FALSE(s.takes_input());
}

TEST_F(Popup, EscapeAndEnterFromTheKeyboard) {
  s.release(100, 100);
  PopupResult r = s.key(PopupKey::kEscape);
  EXPECT_TRUE(r.closed);
  EXPECT_EQ(r.chosen, 0);
  EXPECT_FALSE(s.takes_input());

  s.open_at(100, 100, 800, 600, 35);
  s.release(100, 100);
  EXPECT_EQ(s.key(PopupKey::kOther).closed, false);
  s.key(PopupKey::kUp);
  EXPECT_EQ(s.highlighted(), kMeridianCount - 1) << "up from nothing starts at the last entry";
  s.key(PopupKey::kDown);
  EXPECT_EQ(s.highlighted(), 0) << "and wraps";
  s.key(PopupKey::kDown);
  EXPECT_EQ(s.key(PopupKey::kEnter).chosen, 2);

  // Escape while the opening button is still held: its release is swallowed.
  s.open_at(100, 100, 800, 600, 35);
  EXPECT_TRUE(s.key(PopupKey::kEscape).closed);
  EXPECT_TRUE(s.takes_input());
  s.release(100, 100);
  EXPECT_FALSE(s.takes_input());
}

TEST(PopupNarrow, TheOpeningClickDoesNotChooseTheEntryUnderIt) {
  // 100 x 330: the pop-up fits beside the pointer neither across nor up and down, so it lies
  // under it (top 14: entry 6 at y 150).
  PopupMenuState s;
  s.open_at(50, 150, 100, 330, 35);
  ASSERT_EQ(s.geometry().top, 14);
  ASSERT_EQ(s.highlighted(), 6);
  EXPECT_FALSE(s.release(50, 150).closed);
  EXPECT_TRUE(s.shown());
  s.press(50, 150);
  EXPECT_EQ(s.release(50, 150).chosen, 7) << "a later click on it does";
}

TEST(PopupShort, ArrowsAndTheWheelScrollToEveryEntry) {
  PopupMenuState s;
  s.open_at(300, 60, 800, 150, 35);
  s.release(300, 60);
  const PopupGeometry& g = s.geometry();
  ASSERT_TRUE(g.scrolls());
  const int x = g.left + 20;
  const int down = g.top + g.height() - 4;
  const int last_entry = kMeridianCount - 1;
  for (int i = 0; i < kMeridianCount && !g.entry_shown(last_entry); ++i) {
    EXPECT_TRUE(s.press(x, down).redraw);
    EXPECT_FALSE(s.release(x, down).closed) << "an arrow click keeps it open";
  }
  ASSERT_TRUE(g.entry_shown(last_entry));
  EXPECT_FALSE(s.wheel(-1).redraw) << "at the end already";
  EXPECT_TRUE(s.wheel(1).redraw);
  EXPECT_TRUE(s.wheel(-1).redraw);
  const int last = g.top + g.entry_top(last_entry) + 10;
  s.press(x, last);
  EXPECT_EQ(s.release(x, last).chosen, kMeridianCount);
}

TEST(PopupClosed, IgnoresEverything) {
  PopupMenuState s;
  EXPECT_FALSE(s.takes_input());
  EXPECT_FALSE(s.press(10, 10).closed);
  EXPECT_EQ(s.release(10, 10).chosen, 0);
  EXPECT_FALSE(s.key(PopupKey::kEnter).closed);
  EXPECT_FALSE(s.wheel(1).redraw);
}

}  // namespace
