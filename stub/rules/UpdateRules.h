// Decisions of the agent's update and inform runs that need no system call: the shut-down
// method named in the info file, the questions and messages, the command lines that start the
// updated program and the agent again. Pure code; StubAU.cpp acts on them.
#pragma once

#include <string>

#include "text/UtilsText.h"

// How the running program is stopped before the new setup runs ("ShutDownMethod").
enum class ShutDown {
  Close,       // "Using WM_CLOSE": WM_CLOSE to its main window
  Quit,        // "Using WM_QUIT": WM_QUIT to its main window
  Terminate,   // "Using Terminate Process"
  AskUser,     // "Issue a Message Box": the user is asked until the program has gone
  DontStop,    // "Don't Shut Down": neither stopped nor waited for
  WaitOnly,    // any other text, the empty one too: nothing is sent, the end is waited for
};
// The texts are compared exactly: the builder writes them, a near miss is "any other text".
ShutDown ParseShutDown(const std::string& text);
// Every method except "Don't Shut Down" waits until the program has ended.
bool WaitsForProgramEnd(ShutDown method);
// How long the update run asks the user to close the program, and then waits for its end,
// before it gives up until the next due check.
constexpr unsigned kProgramEndWaitMs = 120000;

// "PROG_NAME" replaced by the program's name, everywhere, case-sensitively.
std::string WithProgramName(const std::string& text, const std::string& program_name);
// The question before the download: s11 and then s13 when a question before installing follows,
// else s12.
std::string DownloadQuestion(const std::string& s11, const std::string& s12,
                             const std::string& s13, bool confirm_install,
                             const std::string& program_name);

// The setup's switch that names the settings it updates: /OriginalInfoFile="PATH".
std::string OriginalInfoArgument(const std::string& info_file_path);

// What is said once the new setup has run successfully (and the result of a question).
enum class FinishNotice { None, Tell, AskRestart };
// After a good run, when the user wants to hear of it ("InformFinish") or asked for the check:
// a program that will be restarted makes a yes/no question of the message, otherwise the
// message is only shown. A failed run says nothing here (the setup showed its own errors).
FinishNotice DecideFinishNotice(bool setup_ok, bool inform_finish, bool interactive,
                                bool restart);

// The updated program started again: its quoted path as the command line, and its own folder
// (without a final backslash, "C:\" for a drive's root) as the working folder.
struct ProgramStart {
  std::string command_line;
  std::string folder;
};
ProgramStart RestartCommand(const std::string& program_path, LeadByteTest is_lead);

// The agent started again after an update: the agent program in exe_dir (which ends in "\")
// with "/_ZZ=99 /WAIT=3 /TRANSIENT=" and the override list, unquoted as the agent reads it.
std::string AgentRestartCommand(const std::string& exe_dir, const std::string& agent_name,
                                const std::string& override_list);

// Why a check that the user asked for offers nothing, for the result box under s21: the text of
// key s40 + level (levels 0 to 5 of CheckLevel), or its built-in English sentence, with
// "VERSION_NEW" and "VERSION_ORIGINAL" filled in.
std::string CheckLevelCauseKey(int level);
std::string CheckLevelCauseDefault(int level);
std::string CheckLevelCause(const std::string& text, int version_new, int version_original);
// The whole result box: s21, the cause and the level in brackets, as it was before the cause.
std::string NoUpdateResultText(const std::string& s21, const std::string& cause, int level);
