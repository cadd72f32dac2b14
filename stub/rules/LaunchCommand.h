// What passes between the stub and the setup program it starts: the command line, the success
// atom and the class of the setup's dialog window. Pure code, shared with the sample setup
// program that plays the other side in the tests.
#pragma once

#include <cstdint>
#include <string>

#include "text/UtilsText.h"

extern const char kSuccessAtomPrefix[];       // "AutoUpdateAtomTokenByWexlin"
extern const char kSetupDialogClassPrefix[];  // ".SDialog_Class_Name."
extern const char kThreadIdSwitch[];          // "/TH_ID="
extern const char kOriginExeSwitch[];         // "/OriginExe="
extern const char kAutoUpdateProgSwitch[];    // "/AutoUpdateProg"

// "_" and the decimal thread id: what makes the atom and the window class of one stub its own.
std::string ThreadToken(std::uint32_t thread_id);
std::string SuccessAtomName(const std::string& thread_token);
std::string SetupDialogClass(const std::string& thread_token);
// The stub's path as the setup program gets it: every space written as "*".
std::string OriginExeText(const std::string& stub_path);

// The setup entry ("Setup.exe" or "Setup.exe*extra text") taken apart: the program's file name
// and the command-line text it is given (the stub's own text, then the entry's extra text).
struct SetupProgram {
  std::string name;
  std::string command_text;
  // Why the name may not be started from the extraction folder; "" when it may.
  std::string unsafe_reason;
};
SetupProgram SplitSetupEntry(const std::string& setup_entry, const std::string& received_text,
                             LeadByteTest is_lead);

// The extraction folder with exactly one "\" and the program's name.
std::string SetupProgramPath(const std::string& folder, const std::string& name,
                             LeadByteTest is_lead);

struct LaunchLine {
  std::string program_path;  // what CreateProcess is given as the application
  std::string command_line;  // the whole command line, the program path first
  std::string parameters;    // the command line after the program path (for the shell)
};
// The command line the setup program is started with: its path (in double quotes when it holds
// a blank, so that no shorter path is started in its place), the command text when there is
// one, " /TH_ID=" and the token, " /OriginExe=" and the stub's path with spaces as "*", and
// " /AutoUpdateProg" for an agent.
LaunchLine SetupLaunchLine(const std::string& program_path, const std::string& command_text,
                           const std::string& thread_token, const std::string& stub_path,
                           bool auto_update_prog);
