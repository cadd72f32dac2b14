#include "rules/UpdateRules.h"

ShutDown ParseShutDown(const std::string& text) {
  if (text == "Using WM_CLOSE") return ShutDown::Close;
  if (text == "Using WM_QUIT") return ShutDown::Quit;
  if (text == "Using Terminate Process") return ShutDown::Terminate;
  if (text == "Issue a Message Box") return ShutDown::AskUser;
  if (text == "Don't Shut Down") return ShutDown::DontStop;
  return ShutDown::WaitOnly;
}

bool WaitsForProgramEnd(ShutDown method) { return method != ShutDown::DontStop; }

std::string WithProgramName(const std::string& text, const std::string& program_name) {
  return ReplaceAll(text, "PROG_NAME", program_name);
}

std::string DownloadQuestion(const std::string& s11, const std::string& s12,
                             const std::string& s13, bool confirm_install,
                             const std::string& program_name) {
  return WithProgramName(s11 + (confirm_install ? s13 : s12), program_name);
}

std::string OriginalInfoArgument(const std::string& info_file_path) {
  return "/OriginalInfoFile=\"" + info_file_path + "\"";
}

FinishNotice DecideFinishNotice(bool setup_ok, bool inform_finish, bool interactive,
                                bool restart) {
  if (!setup_ok || !(inform_finish || interactive)) return FinishNotice::None;
  return restart ? FinishNotice::AskRestart : FinishNotice::Tell;
}

ProgramStart RestartCommand(const std::string& program_path, LeadByteTest is_lead) {
  ProgramStart start;
  start.command_line = "\"" + program_path + "\"";
  const std::string name = ExtractFileName(program_path, is_lead);
  std::string folder = program_path.substr(0, program_path.size() - name.size());
  // "C:\" stays whole: without its backslash it would mean the drive's current folder.
  if (folder.size() > 3 || (folder.size() == 3 && folder[1] != ':'))
    folder = StripTrailingBackslash(folder, is_lead);
  start.folder = folder;
  return start;
}

std::string AgentRestartCommand(const std::string& exe_dir, const std::string& agent_name,
                                const std::string& override_list) {
  return exe_dir + agent_name + " /_ZZ=99 /WAIT=3 /TRANSIENT=" + override_list;
}

std::string CheckLevelCauseKey(int level) { return "s" + IntText(40 + level); }

std::string CheckLevelCauseDefault(int level) {
  switch (level) {
    case 0: return "The update information could not be fetched from the server.";
    case 1: return "No installed version is recorded in the settings (VersionOriginal).";
    case 2: return "This version was offered before; it is offered again when the re-ask time "
                   "has passed.";
    case 3: return "The published version VERSION_NEW is not newer than the installed version "
                   "VERSION_ORIGINAL.";
    case 4: return "This update is not meant for the installed version VERSION_ORIGINAL.";
    case 5: return "The published size differs from the file on the server, or the file is "
                   "missing there.";
    default: return std::string();
  }
}

std::string CheckLevelCause(const std::string& text, int version_new, int version_original) {
  return ReplaceAll(ReplaceAll(text, "VERSION_NEW", IntText(version_new)), "VERSION_ORIGINAL",
                    IntText(version_original));
}

std::string NoUpdateResultText(const std::string& s21, const std::string& cause, int level) {
  return s21 + (cause.empty() ? std::string() : "<P><P>" + cause) + "   (" + IntText(level) +
         ")   ";
}
