// The text rules of the stub's copies: the transient copy's arguments, the remote-control posts
// of the agent's switches, and the CD-span copy's forwarded command line, read back the way the
// copy reads its own command line.
#include "rules/CopyRules.h"

#include <gtest/gtest.h>

#include "rules/AgentProtocol.h"
#include "text/UtilsText.h"

namespace {

constexpr std::uint64_t kCheckNow = std::uint64_t(AgentCommandCode::CheckNow);

TEST(CopyRules, TransientCopyArguments) {
  const struct {
    const char* tail;
    const char* args;
  } rows[] = {
      {"", ""},
      {"/STOP=3 /WM_MSG=1:2", ""},
      {"/TRANSIENT=|1|0|255|255|1|0|", " /TRANSIENTx=|1|0|255|255|1|0|"},
      {"/DELAY=20", " /SleepX=20"},
      // A delay no longer drops the override list that an update's restart hands on.
      {"/_ZZ=99 /WAIT=3 /TRANSIENT=|0|1|2|3|4|5| /DELAY=7",
       " /TRANSIENTx=|0|1|2|3|4|5| /SleepX=7"},
      // "/TRANSIENTx=" is the copy's switch, not the agent's "/TRANSIENT=".
      {"/TRANSIENTx=|1|1|1|1|1|1|", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(TransientCopyArguments(row.tail), row.args) << row.tail;
}

TEST(CopyRules, RemoteCommandPostsFollowTheSwitches) {
  using M = RemoteMessage;
  const struct {
    const char* tail;
    bool fresh;
    std::vector<RemotePost> posts;
  } rows[] = {
      {"", true, {}},
      {"/STOP=-1 /TEST=-4", true, {}},
      {"/STOP=0", false, {{M::StopCountdown, 0, 0}}},
      {"/STOP=12", true, {{M::StopCountdown, 12, 0}}},
      {"/WM_MSG=4294967298:32775", false, {{M::RegisterListener, 4294967298u, 32775}}},
      {"/WM_MSG=abc:", false, {{M::RegisterListener, 0, 0}}},
      {"/WM_MSG=77", false, {{M::RegisterListener, 77, 0}}},
      {"/TEST=1", false, {{M::Command, kCheckNow, 1}}},
      // A new copy also ends two ticks after the test check.
      {"/TEST=1", true, {{M::Command, kCheckNow, 1}, {M::StopCountdown, 2, 0}}},
      {"/test=2 /wm_msg=5:6 /stop=9", true,
       {{M::StopCountdown, 9, 0},
        {M::RegisterListener, 5, 6},
        {M::Command, kCheckNow, 2},
        {M::StopCountdown, 2, 0}}},
  };
  for (const auto& row : rows)
    EXPECT_TRUE(RemoteCommandPosts(row.tail, row.fresh) == row.posts) << row.tail;
}

TEST(CopyRules, WithoutSwitchRemovesTheSwitchAndTheValueItReads) {
  const struct {
    const char* tail;
    const char* name;
    const char* rest;
  } rows[] = {
      {"/SpanCdLvl=1", "/SpanCdLvl=", ""},
      {"/hide /spancdlvl=1 /x=2", "/SpanCdLvl=", "/hide /x=2"},
      {"/SpanCdLvl=1/hide", "/SpanCdLvl=", "/hide"},
      {"/SpanCdLvl=1 /SpanCdLvl=2 /a", "/SpanCdLvl=", "/a"},
      {"/a /SpanDiskFName1=\"C:\\My CD\\Setup.exe.001\" /b", "/SpanDiskFName1=", "/a /b"},
      {"/a /SpanDiskFName1=\"C:\\open", "/SpanDiskFName1=", "/a"},
      {"/a /SpanDiskFName1=C:\\CD\\Setup.exe.001", "/SpanDiskFName1=", "/a"},
      {"/a /SpanDiskFName1=", "/SpanDiskFName1=", "/a"},
      {"/a /b", "/SpanCdLvl=", "/a /b"},
  };
  for (const auto& row : rows) EXPECT_EQ(WithoutSwitch(row.tail, row.name), row.rest) << row.tail;
}

// The copy's command line, read back as the copy reads it: level 2, volume 1 beside the stub on
// the medium (spaces and all), and the user's other switches; never a second level or name.
TEST(CopyRules, SpanCdCopyReadsLevelTwoAndTheWholeVolumePath) {
  const std::string own = "D:\\My Disc\\Setup.exe";
  const std::string copy = "C:\\TEMP\\SETUP_1\\Y_Setup.exe";
  const char* tails[] = {"", "/SpanCdLvl=1", "/hide /SpanCdLvl=1 /SpanDiskFName1=E:\\old.001",
                         "/SpanDiskFName1=\"E:\\a b\\old.001\" /Dir=\"C:\\x y"};
  for (const char* tail : tails) {
    const std::string args = SpanCdCopyArguments(tail, own);
    const std::string copy_tail = CommandTailOf("\"" + copy + "\" " + args, copy);
    EXPECT_EQ(SwitchIntIn(copy_tail, "/SpanCdLvl=", 1), 2) << args;
    EXPECT_EQ(SwitchValueIn(copy_tail, "/SpanDiskFName1="), own + ".001") << args;
    EXPECT_EQ(PosIC("/SpanCdLvl=", WithoutSwitch(copy_tail, "/SpanCdLvl=")), 0) << args;
    EXPECT_EQ(PosIC("/SpanDiskFName1=", WithoutSwitch(copy_tail, "/SpanDiskFName1=")), 0) << args;
    // Handed on again, the line stays the same: no growth, no second hand-over.
    EXPECT_EQ(SpanCdCopyArguments(copy_tail, own), args) << args;
  }
  EXPECT_EQ(SpanCdCopyArguments("/hide /SpanCdLvl=1", own),
            "/SpanDiskFName1=\"D:\\My Disc\\Setup.exe.001\" /SpanCdLvl=2 /hide");
}

}  // namespace
