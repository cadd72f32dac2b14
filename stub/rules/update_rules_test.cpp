// The decisions of the update run: shut-down methods, questions, the finish notice and the
// command lines that start the program and the agent again.
#include "rules/UpdateRules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(UpdateRules, ShutDownMethodsAreMatchedExactly) {
  struct Case {
    const char* text;
    ShutDown method;
    bool waits;
  };
  for (const Case& c : {
           Case{"Using WM_CLOSE", ShutDown::Close, true},
           Case{"Using WM_QUIT", ShutDown::Quit, true},
           Case{"Using Terminate Process", ShutDown::Terminate, true},
           Case{"Issue a Message Box", ShutDown::AskUser, true},
           Case{"Don't Shut Down", ShutDown::DontStop, false},
           // Anything else sends nothing but still waits for the user to close the program.
           Case{"", ShutDown::WaitOnly, true},
           Case{"using wm_close", ShutDown::WaitOnly, true},
           Case{" Using WM_CLOSE", ShutDown::WaitOnly, true},
           Case{"Don't Shut Down ", ShutDown::WaitOnly, true},
       }) {
    EXPECT_EQ(ParseShutDown(c.text), c.method) << "'" << c.text << "'";
    EXPECT_EQ(WaitsForProgramEnd(ParseShutDown(c.text)), c.waits) << "'" << c.text << "'";
  }
}

TEST(UpdateRules, DownloadQuestionTakesThePartThatFitsTheInstallQuestion) {
  EXPECT_EQ(DownloadQuestion("Get PROG_NAME? ", "Installs at once.", "Asks again.", false, "Tolvane"),
            "Get Tolvane? Installs at once.");
  EXPECT_EQ(DownloadQuestion("Get PROG_NAME? ", "Installs at once.", "PROG_NAME asks.", true, "T"),
            "Get T? T asks.");
  // Case-sensitive: only the exact placeholder is replaced.
  EXPECT_EQ(WithProgramName("prog_name PROG_NAMEPROG_NAME", "X"), "prog_name XX");
  EXPECT_EQ(OriginalInfoArgument("C:\\My App\\Tolvane.info"),
            "/OriginalInfoFile=\"C:\\My App\\Tolvane.info\"");
}

TEST(UpdateRules, FinishNoticeOnlyAfterAGoodRunThatSomeoneWantsToHearOf) {
  struct Case {
    bool ok, inform_finish, interactive, restart;
    FinishNotice notice;
  };
  for (const Case& c : {
           Case{true, true, false, true, FinishNotice::AskRestart},
           Case{true, false, true, true, FinishNotice::AskRestart},
           Case{true, true, false, false, FinishNotice::Tell},
           Case{true, false, true, false, FinishNotice::Tell},
           Case{true, false, false, true, FinishNotice::None},
           Case{false, true, true, true, FinishNotice::None},
       }) {
    EXPECT_EQ(DecideFinishNotice(c.ok, c.inform_finish, c.interactive, c.restart), c.notice)
        << c.ok << c.inform_finish << c.interactive << c.restart;
  }
}

TEST(UpdateRules, ProgramRestartsQuotedInItsOwnFolder) {
  struct Case {
    const char *path, *line, *folder;
  };
  for (const Case& c : {
           Case{"C:\\Program Files\\Tolvane\\Tolvane.exe", "\"C:\\Program Files\\Tolvane\\Tolvane.exe\"",
                "C:\\Program Files\\Tolvane"},
           Case{"C:\\app.exe", "\"C:\\app.exe\"", "C:\\"},
           Case{"app.exe", "\"app.exe\"", ""},
           // A GBK character whose second byte is 0x5C is no separator.
           Case{"C:\\\x95\x5C\\a.exe", "\"C:\\\x95\x5C\\a.exe\"", "C:\\\x95\x5C"},
       }) {
    const ProgramStart start = RestartCommand(c.path, GbkLeadByte);
    EXPECT_EQ(start.command_line, c.line) << c.path;
    EXPECT_EQ(start.folder, c.folder) << c.path;
  }
}

TEST(UpdateRules, AgentRestartLineCarriesTheSwitchesAndOverrides) {
  EXPECT_EQ(AgentRestartCommand("C:\\Program Files\\Tolvane\\", "TolvaneAU.exe",
                                "|255|1|255|255|255|255|"),
            "C:\\Program Files\\Tolvane\\TolvaneAU.exe /_ZZ=99 /WAIT=3 "
            "/TRANSIENT=|255|1|255|255|255|255|");
}

// Each level below the offer has its own key and a sentence of its own, with the versions named
// where they are the cause; the box keeps s21 and the level after the sentence.
TEST(UpdateRules, ANoUpdateResultNamesItsCause) {
  std::set<std::string> sentences;
  for (int level = 0; level <= 5; ++level) {
    EXPECT_EQ(CheckLevelCauseKey(level), "s" + std::to_string(40 + level));
    EXPECT_FALSE(CheckLevelCauseDefault(level).empty()) << level;
    sentences.insert(CheckLevelCauseDefault(level));
  }
  EXPECT_EQ(sentences.size(), 6u);
  EXPECT_EQ(CheckLevelCause(CheckLevelCauseDefault(3), 2, 5),
            "The published version 2 is not newer than the installed version 5.");
  EXPECT_EQ(NoUpdateResultText("No update.", "The published size differs.", 5),
            "No update.<P><P>The published size differs.   (5)   ");
  EXPECT_EQ(NoUpdateResultText("No update.", "", 2), "No update.   (2)   ");
}
