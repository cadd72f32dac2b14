#include "rules/LaunchCommand.h"

#include "format/EntryName.h"

const char kSuccessAtomPrefix[] = "AutoUpdateAtomTokenByWexlin";
const char kSetupDialogClassPrefix[] = ".SDialog_Class_Name.";
const char kThreadIdSwitch[] = "/TH_ID=";
const char kOriginExeSwitch[] = "/OriginExe=";
const char kAutoUpdateProgSwitch[] = "/AutoUpdateProg";

std::string ThreadToken(std::uint32_t thread_id) { return "_" + IntText(thread_id); }

std::string SuccessAtomName(const std::string& thread_token) {
  return kSuccessAtomPrefix + thread_token;
}

std::string SetupDialogClass(const std::string& thread_token) {
  return kSetupDialogClassPrefix + thread_token;
}

std::string OriginExeText(const std::string& stub_path) { return ReplaceAll(stub_path, " ", "*"); }

SetupProgram SplitSetupEntry(const std::string& setup_entry, const std::string& received_text,
                             LeadByteTest is_lead) {
  SetupProgram p;
  const std::size_t star = setup_entry.find('*');
  if (star == std::string::npos) {
    p.name = setup_entry;
    p.command_text = received_text;
  } else {
    p.name = TrimText(setup_entry.substr(0, star));
    p.command_text = TrimText(received_text + " " + TrimText(setup_entry.substr(star + 1)));
  }
  p.unsafe_reason = archive::UnsafeEntryNameReason(p.name, is_lead);
  return p;
}

std::string SetupProgramPath(const std::string& folder, const std::string& name,
                             LeadByteTest is_lead) {
  return FixTrailingBackslash(folder, true, is_lead) + name;
}

LaunchLine SetupLaunchLine(const std::string& program_path, const std::string& command_text,
                           const std::string& thread_token, const std::string& stub_path,
                           bool auto_update_prog) {
  LaunchLine line;
  line.program_path = program_path;
  if (!command_text.empty()) line.parameters = command_text + " ";
  line.parameters += kThreadIdSwitch + thread_token;
  line.parameters += std::string(" ") + kOriginExeSwitch + OriginExeText(stub_path);
  if (auto_update_prog) line.parameters += std::string(" ") + kAutoUpdateProgSwitch;
  line.command_line =
      (program_path.find(' ') == std::string::npos ? program_path : "\"" + program_path + "\"") +
      " " + line.parameters;
  return line;
}
