// Agent time, override slots, when a check is due and the level a check reaches.
#include "rules/AgentRules.h"

#include <gtest/gtest.h>

#include "rules/AgentProtocol.h"

TEST(AgentRules, AgentTimeCountsSecondsFromTheEndOf1899) {
  EXPECT_EQ(AgentSeconds({1899, 12, 30, 0, 0, 0}), 0);
  EXPECT_EQ(AgentSeconds({1899, 12, 29, 23, 59, 59}), -1);
  // 1900 is no leap year: 1 March is day 61.
  EXPECT_EQ(AgentSeconds({1900, 3, 1, 0, 0, 0}), 61 * 86400);
  EXPECT_EQ(AgentSeconds({2006, 4, 8, 8, 50, 34}), 38815LL * 86400 + 8 * 3600 + 50 * 60 + 34);
  EXPECT_EQ(AgentSeconds({2000, 3, 1, 0, 0, 0}) - AgentSeconds({2000, 2, 28, 0, 0, 0}),
            2 * 86400);  // 2000 is one
  EXPECT_EQ(DateTimeText(AgentDateTime(AgentSeconds({2006, 4, 8, 8, 50, 34})), ':'),
            "08-APR-2006  08:50:34");
  for (const DateTimeValue& when : {DateTimeValue{1899, 12, 30, 0, 0, 0},
                                    DateTimeValue{1899, 12, 29, 23, 59, 59},
                                    DateTimeValue{1900, 2, 28, 12, 0, 1},
                                    DateTimeValue{2000, 2, 29, 23, 59, 59},
                                    DateTimeValue{2038, 1, 19, 3, 14, 8}}) {
    const DateTimeValue back = AgentDateTime(AgentSeconds(when));
    EXPECT_EQ(DateTimeText(back, ':'), DateTimeText(when, ':'));
  }
  // An edited file's extreme value still gives a date, not a crash.
  EXPECT_GE(AgentDateTime(INT64_MIN).year, 0);
  EXPECT_GT(AgentDateTime(INT64_MAX).year, 2006);
}

TEST(AgentRules, OverrideListRoundTripKeepsSlotsOfMissingOrBadItems) {
  OverrideSlots slots = InitialOverrideSlots();
  EXPECT_EQ(OverrideListText(slots), "|255|255|255|255|255|255|");
  ApplyOverrideList(slots, "|1|0|x||256|");  // slot 3 empty, slot 4 wraps, slot 5 missing
  EXPECT_EQ(OverrideListText(slots), "|1|0|255|255|0|255|");
  OverrideSlots copy = InitialOverrideSlots();
  ApplyOverrideList(copy, OverrideListText(slots));
  EXPECT_EQ(copy, slots);
  ApplyOverrideList(copy, "");
  EXPECT_EQ(copy, slots);
  // Slot 0 of a file value "1" ignores it; 255 gives the file its say again.
  EXPECT_FALSE(OverriddenYesNo(0, true));
  EXPECT_TRUE(OverriddenYesNo(1, false));
  EXPECT_FALSE(OverriddenYesNo(2, true));
  EXPECT_TRUE(OverriddenYesNo(255, true));
  EXPECT_FALSE(OverriddenYesNo(255, false));
}

TEST(AgentRules, ShotTimeStatusFollowsTheInterval) {
  struct Case {
    const char* what;
    ShotTimeInput in;
    int status;
  };
  const std::int64_t now = 1000000;
  const Case cases[] = {
      {"interval passed", {true, false, false, 60, now - 60, now}, 1},
      {"interval not passed", {true, false, false, 60, now - 59, now}, 0},
      {"interval 0: the one check of the run", {true, false, false, 0, now, now}, 2},
      {"interval 0 after that check", {false, false, false, 0, 0, now}, 0},
      {"interval 0, checked by command", {false, true, false, 0, now, now}, 1},
      {"interval -1: never by timer", {true, false, false, -1, 0, now}, 0},
      {"interval -1: command 31 still checks", {true, true, false, -1, now, now}, 1},
      {"test mode: every 5 s", {true, false, true, 3600, now - 5, now}, 1},
      {"test mode: not within 5 s", {true, false, true, 3600, now - 4, now}, 0},
      {"test mode, interval 0: once per run", {true, false, true, 0, now - 5, now}, 2},
      {"test mode, interval -1: never by timer", {true, false, true, -1, 0, now}, 0},
      {"last check in the future", {true, false, false, 60, now + 3600, now}, 0},
      {"edited file: no overflow", {true, false, false, INT64_MAX, INT64_MAX, now}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ShotTimeStatus(c.in), c.status) << c.what;
}

TEST(AgentRules, ValidVersionsAndReAsk) {
  EXPECT_TRUE(IsValidVersion("", 4));
  EXPECT_FALSE(IsValidVersion("3,5", 4));
  EXPECT_TRUE(IsValidVersion("3,5", 5));
  EXPECT_TRUE(IsValidVersion("3,5", 3));
  EXPECT_FALSE(IsValidVersion("13,50", 3));  // whole items only
  EXPECT_FALSE(IsValidVersion("13,50", 5));
  EXPECT_FALSE(IsReAskDue(1000, 0, 0));  // 0: never again
  EXPECT_FALSE(IsReAskDue(1000, 0, -5));
  EXPECT_FALSE(IsReAskDue(1000, 900, 100));  // not yet: strictly past
  EXPECT_TRUE(IsReAskDue(1001, 900, 100));
  EXPECT_FALSE(IsReAskDue(1000, INT64_MAX, 100));
}

namespace {

// A check that would reach the last level (kLevelOffered): every row below changes one thing.
CheckLevelInput Offer() {
  CheckLevelInput in;
  in.info_received = true;
  in.version_original = 4;
  in.version_new = 5;
  in.stamp_original = 7;
  in.stamp_new = 8;
  in.now = 100000;
  in.reask_last = 50000;
  in.reask_interval = 0;
  in.size_matches = [] { return true; };
  return in;
}

}  // namespace

TEST(AgentRules, CheckLevelStopsAtTheFirstUnmetStep) {
  struct Case {
    const char* what;
    void (*change)(CheckLevelInput&);
    int level;
  };
  const Case cases[] = {
      {"everything met", [](CheckLevelInput&) {}, kLevelOffered},
      {"no info file", [](CheckLevelInput& in) { in.info_received = false; }, 0},
      {"no installed version", [](CheckLevelInput& in) { in.version_original = 0; }, 1},
      {"negative installed version", [](CheckLevelInput& in) { in.version_original = -3; }, 1},
      {"same stamp, never re-asked", [](CheckLevelInput& in) { in.stamp_new = 7; }, 2},
      {"same stamp, re-ask not yet due",
       [](CheckLevelInput& in) {
         in.stamp_new = 7;
         in.reask_interval = 50000;
       },
       2},
      {"same stamp, re-ask due",
       [](CheckLevelInput& in) {
         in.stamp_new = 7;
         in.reask_interval = 49999;
       },
       kLevelOffered},
      {"same stamp, interactive check",
       [](CheckLevelInput& in) {
         in.stamp_new = 7;
         in.interactive = true;
       },
       kLevelOffered},
      {"same version", [](CheckLevelInput& in) { in.version_new = 4; }, 3},
      {"older version", [](CheckLevelInput& in) { in.version_new = 3; }, 3},
      {"ValidVersions 3,5 with version 4",
       [](CheckLevelInput& in) { in.valid_versions = "3,5"; }, 4},
      {"ValidVersions 3,4", [](CheckLevelInput& in) { in.valid_versions = "3,4"; },
       kLevelOffered},
      {"size mismatch", [](CheckLevelInput& in) { in.size_matches = [] { return false; }; }, 5},
      {"no size query", [](CheckLevelInput& in) { in.size_matches = nullptr; }, 5},
  };
  for (const Case& c : cases) {
    CheckLevelInput in = Offer();
    c.change(in);
    EXPECT_EQ(CheckLevel(in), c.level) << c.what;
  }
}

TEST(AgentRules, TheSizeIsAskedOnlyOnceLevelFiveIsReached) {
  int asked = 0;
  CheckLevelInput in = Offer();
  in.size_matches = [&asked] {
    ++asked;
    return true;
  };
  in.valid_versions = "3,5";
  EXPECT_EQ(CheckLevel(in), 4);
  EXPECT_EQ(asked, 0);
  in.valid_versions = "";
  EXPECT_EQ(CheckLevel(in), kLevelOffered);
  EXPECT_EQ(asked, 1);
}

TEST(AgentRules, NamesFromTheInfoFileArePlainAndNeverTheAgentsOwn) {
  const std::vector<std::string> kept = {"TolvaneAU.exe", "X_TolvaneAU.exe", "Tolvane.original",
                                         "Tolvane.info", "Tolvane.exe", ""};
  struct Case {
    const char* name;
    bool refused;
  };
  for (const Case& c : {Case{"TolvaneSetup2.exe", false}, Case{"Tolvane.exe", true},
                        Case{"tolvane.EXE", true}, Case{" X_TolvaneAU.exe ", true},
                        Case{"Tolvane.info", true}, Case{"TOLVANE.ORIGINAL", true},
                        Case{"..\\Tolvane.exe", true}, Case{"C:Setup.exe", true},
                        Case{"sub/Setup.exe", true}, Case{"", true}, Case{"CON", true},
                        Case{"Setup.exe.", true}})
    EXPECT_EQ(!AgentTargetRefusal(c.name, kept, NoLeadBytes).empty(), c.refused) << c.name;
}

TEST(AgentRules, UpdateSourceIsAWebAddressOrALocalFolder) {
  const struct {
    const char* base;
    bool allowed;
  } cases[] = {
      {"http://example.test/tolvane", true},   {"HTTPS://example.test", true},
      {"  https://example.test/a/  ", true},   {"C:\\Updates", true},
      {"d:/updates", true},                    {"\\\\host\\share", false},
      {"//host/share", false},                 {"\\\\?\\C:\\Updates", false},
      {"\\\\.\\pipe\\x", false},               {"file://host/share", false},
      {"ftp://example.test", false},           {"C:", false},
      {"C:updates", false},                    {"updates", false},
      {"http://", false},                      {"", false},
      {"1:\\x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsAllowedUpdateSource(c.base), c.allowed) << c.base;
}

TEST(AgentRules, InsideFolderMeansBelowItWithRealNames) {
  const struct {
    const char* path;
    const char* folder;
    bool inside;
  } cases[] = {
      {"C:\\Program Files\\Tolvane\\app.exe", "C:\\Program Files\\Tolvane", true},
      {"c:\\program files\\TOLVANE\\bin\\app.exe", "C:\\Program Files\\Tolvane\\", true},
      {"C:\\Program Files\\Tolvane/app.exe", "C:\\Program Files\\Tolvane", true},
      {"C:\\Program Files\\TolvaneX\\app.exe", "C:\\Program Files\\Tolvane", false},
      {"C:\\Windows\\notepad.exe", "C:\\Program Files\\Tolvane", false},
      {"C:\\Program Files\\Tolvane\\..\\Other\\app.exe", "C:\\Program Files\\Tolvane", false},
      {"C:\\Program Files\\Tolvane\\.\\app.exe", "C:\\Program Files\\Tolvane", false},
      {"C:\\Program Files\\Tolvane\\\\app.exe", "C:\\Program Files\\Tolvane", false},
      {"C:\\Program Files\\Tolvane\\", "C:\\Program Files\\Tolvane", false},
      {"C:\\Program Files\\Tolvane", "C:\\Program Files\\Tolvane", false},
      {"app.exe", "", false},
      {"\\app.exe", "\\", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsInsideFolder(c.path, c.folder), c.inside) << c.path << " in " << c.folder;
}

TEST(AgentRules, DownloadFolderIsNamedAfterTheAgent) {
  const LeadByteTest kNoLead = [](unsigned char) { return false; };
  EXPECT_EQ(AgentDownloadFolderName("TolvaneAU.exe", kNoLead), "TolvaneAU.downloads");
  EXPECT_EQ(AgentDownloadFolderName("Tolvane.Agent.EXE", kNoLead), "Tolvane.Agent.downloads");
  EXPECT_EQ(AgentDownloadFolderName("Agent", kNoLead), "Agent.downloads");
  // Never a path: a name that is none gets a plain one.
  EXPECT_EQ(AgentDownloadFolderName("", kNoLead), "Agent.downloads");
  EXPECT_EQ(AgentDownloadFolderName("..\\x.exe", kNoLead), "Agent.downloads");
  EXPECT_EQ(AgentDownloadFolderName(".exe", kNoLead), "Agent.downloads");
}
