// Which running program is the searched one, and which window is a process's main window.
#include "rules/ProcessRules.h"

#include <gtest/gtest.h>

TEST(ProcessRules, MatchByFullPathBaseNameOrShortPath) {
  const ProcessCandidate app{"C:\\Program Files\\App\\app.exe", "app.exe",
                             "C:\\PROGRA~1\\App\\app.exe"};
  struct Case {
    const char *searched, *searched_short;
    bool full_only, match;
  };
  for (const Case& c : {
           Case{"C:\\Program Files\\App\\app.exe", "", false, true},
           Case{" c:\\program files\\app\\APP.EXE ", "", true, true},
           Case{"app.exe", "", false, true},
           Case{"APP.EXE", "", true, false},  // only full paths with full_only
           Case{"C:\\other\\app.exe", "", false, false},
           Case{"C:\\PROGRA~1\\App\\app.exe", "C:\\PROGRA~1\\App\\app.exe", true, true},
           Case{"C:\\link\\app.exe", "c:\\progra~1\\app\\app.exe", true, true},
           Case{"", "", false, false},
           Case{"  ", "", false, false},
           Case{"*X*", "", true, false},
           Case{"*XX*", "", true, false},
       }) {
    EXPECT_EQ(ProcessMatches(app, c.searched, c.searched_short, c.full_only), c.match)
        << c.searched << " / " << c.searched_short << " / " << c.full_only;
  }
  // A candidate without a short path never matches a searched file without one.
  const ProcessCandidate bare{"C:\\a\\b.exe", "b.exe", ""};
  EXPECT_FALSE(ProcessMatches(bare, "C:\\x\\y.exe", "", false));
}

TEST(ProcessRules, MainWindowOwnsMostThenCaptionThenVisible) {
  // A visible captioned main window owning two dialogs scores 4 x 2 + 2 + 1 = 11; each visible
  // captioned dialog 3.
  const std::vector<WindowFacts> windows = {
      {-1, true, true}, {0, true, true}, {0, true, true}, {-1, false, false}};
  const std::vector<std::uint16_t> scores = ScoreWindows(windows);
  EXPECT_EQ(scores, (std::vector<std::uint16_t>{11, 3, 3, 0}));
  EXPECT_EQ(BestScoredWindow(scores), 0);
  // Without any captioned visible window, the one that owns most still wins.
  EXPECT_EQ(BestScoredWindow(ScoreWindows(
                {{-1, false, false}, {2, false, false}, {-1, false, false}, {2, false, false}})),
            2);
  // Equal scores: the earlier window; all zero: none.
  EXPECT_EQ(BestScoredWindow({3, 3}), 0);
  EXPECT_EQ(BestScoredWindow({0, 0, 0}), -1);
  EXPECT_EQ(BestScoredWindow({}), -1);
}
