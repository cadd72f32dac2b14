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
