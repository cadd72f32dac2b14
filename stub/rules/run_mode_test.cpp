// The run-mode decision for every mode a start can take, the window class rule and the names
// the decision compares.
#include <gtest/gtest.h>

#include "rules/RunMode.h"
#include "text/UtilsText.h"

namespace {

struct ModeRow {
  const char* what;
  RunModeInput in;
  RunBranch branch;
  bool send_commands;
  SelfDelete self_delete;
};

RunModeInput Input(bool agent, bool span_cd, const char* own, const char* agent_name,
                   std::int64_t level = 1, bool running = false, bool transient = false) {
  RunModeInput in;
  in.auto_update_prog = agent;
  in.span_cd = span_cd;
  in.own_file_name = own;
  in.agent_file_name = agent_name;
  in.span_cd_level = level;
  in.already_running = running;
  in.transient_running = transient;
  return in;
}

TEST(DecideRunMode, OneRowPerModeAndEdge) {
  using B = RunBranch;
  using D = SelfDelete;
  const ModeRow rows[] = {
      {"setup stub", Input(false, false, "Setup.exe", "TolvaneAU.exe"), B::StubWindow, false,
       D::None},
      {"setup stub started with /SpanCdLvl=2 by hand keeps its file and folder",
       Input(false, false, "Setup.exe", "", 2), B::StubWindow, false, D::None},
      {"CD-span stub on the medium", Input(false, true, "Setup.exe", "", 1), B::SpanCdHandOver,
       false, D::None},
      {"CD-span copy", Input(false, true, "Y_Setup.exe", "", 2), B::StubWindow, false,
       D::FileAndFolder},
      {"SpanCdLvl=3: neither hand-over nor self-deletion", Input(false, true, "Setup.exe", "", 3),
       B::StubWindow, false, D::None},
      {"SpanCdLvl=0", Input(false, true, "Setup.exe", "", 0), B::StubWindow, false, D::None},
      {"agent under its own name", Input(true, false, "TolvaneAU.exe", "TolvaneAU.exe"),
       B::StartTransientCopy, true, D::None},
      {"agent under its own name, other case and blanks",
       Input(true, false, "tolvaneau.EXE", " TolvaneAU.exe "), B::StartTransientCopy, true,
       D::None},
      {"agent under its own name while its copy runs",
       Input(true, false, "TolvaneAU.exe", "TolvaneAU.exe", 1, false, true),
       B::StartTransientCopy, true, D::None},
      {"agent under its own name, second start: commands only",
       Input(true, false, "TolvaneAU.exe", "TolvaneAU.exe", 1, true, true), B::SecondStart, true,
       D::None},
      {"transient copy", Input(true, false, "X_TolvaneAU.exe", "TolvaneAU.exe"),
       B::TransientCycle, false, D::FileOnly},
      {"transient copy, lower case", Input(true, false, "x_tolvaneau.exe", "TolvaneAU.exe"),
       B::TransientCycle, false, D::FileOnly},
      {"agent under another name", Input(true, false, "Other.exe", "TolvaneAU.exe"),
       B::StubWindow, false, D::None},
      {"agent with an empty agent name", Input(true, false, "TolvaneAU.exe", ""), B::StubWindow,
       false, D::None},
      {"agent with an empty agent name named X_", Input(true, false, "X_", "  "), B::StubWindow,
       false, D::None},
      {"agent whose trailer also says SpanCd", Input(true, true, "TolvaneAU.exe", "TolvaneAU.exe"),
       B::StartTransientCopy, true, D::None},
      {"setup named like the agent is no agent", Input(false, false, "TolvaneAU.exe",
       "TolvaneAU.exe"), B::StubWindow, false, D::None},
      {"second start of a setup", Input(false, false, "Setup.exe", "", 1, true), B::SecondStart,
       false, D::None},
      {"second start of a transient copy",
       Input(true, false, "X_TolvaneAU.exe", "TolvaneAU.exe", 1, true, true), B::SecondStart,
       false, D::None},
      {"second start of a CD-span stub", Input(false, true, "Setup.exe", "", 1, true),
       B::SecondStart, false, D::None},
  };
  for (const ModeRow& row : rows) {
    const RunModeDecision d = DecideRunMode(row.in);
    EXPECT_EQ(RunBranchName(d.branch), std::string(RunBranchName(row.branch))) << row.what;
    EXPECT_EQ(d.send_commands, row.send_commands) << row.what;
    EXPECT_EQ(int(d.self_delete), int(row.self_delete)) << row.what;
  }
}

TEST(StubWindowClass, PathForSetupsNameForAgents) {
  EXPECT_EQ(StubWindowClass(false, "C:\\Temp\\Setup.exe"), "C:\\Temp\\Setup.exe");
  EXPECT_EQ(StubWindowClass(true, "C:\\Prog\\TolvaneAU.exe"), ".AutoUpdate.TolvaneAU");
  EXPECT_EQ(StubWindowClass(true, "C:\\Prog\\X_TolvaneAU.exe"), ".AutoUpdate.X_TolvaneAU");
  EXPECT_EQ(TransientWindowClass(" TolvaneAU.exe "), ".AutoUpdate.X_TolvaneAU");
  // The copy finds itself under the class the agent looks for.
  EXPECT_EQ(StubWindowClass(true, "C:\\Prog\\X_TolvaneAU.exe"),
            TransientWindowClass("TolvaneAU.exe"));
}

TEST(StubWindowClass, LongPathsStayWithinTheLimitAndApart) {
  const std::string deep = "C:\\" + std::string(300, 'd') + "\\Setup.exe";
  const std::string fits = "C:\\" + std::string(kMaxWindowClassLength - 3, 'f');
  EXPECT_EQ(StubWindowClass(false, fits), fits);
  const std::string cls = StubWindowClass(false, deep);
  EXPECT_LE(cls.size(), kMaxWindowClassLength);
  // FNV-1a of the upper-cased text in 16 hex digits: the same in every build, so that copies
  // from two builds still find each other.
  EXPECT_EQ(cls, ".WexlinStub#7D3262E56B47F423");
  EXPECT_EQ(cls, StubWindowClass(false, UpperText(deep)));  // classes ignore case
  EXPECT_NE(cls, StubWindowClass(false, "C:\\" + std::string(300, 'd') + "\\Setup2.exe"));
  EXPECT_NE(cls, StubWindowClass(false, fits));
  const std::string long_agent = std::string(250, 'a') + ".exe";
  EXPECT_LE(StubWindowClass(true, "C:\\" + long_agent).size(), kMaxWindowClassLength);
  EXPECT_EQ(StubWindowClass(true, "C:\\X_" + long_agent), TransientWindowClass(long_agent));
}

TEST(StubMutexName, OnePerClassWithoutBackslashes) {
  const std::string a = StubMutexName("C:\\Temp\\Setup.exe");
  EXPECT_EQ(a, StubMutexName("c:\\temp\\setup.EXE"));
  EXPECT_NE(a, StubMutexName("C:\\Temp\\Setup2.exe"));
  EXPECT_EQ(a.find('\\'), std::string::npos);
  EXPECT_LT(a.size(), 260u);
}

}  // namespace
