#include "rules/SelfDeleteBatch.h"

#include "text/UtilsText.h"

namespace {

const char kEol[] = "\r\n";

bool StartsWithIC(const std::string& text, const char* prefix) {
  const std::string p(prefix);
  return text.size() > p.size() && SameTextIC(text.substr(0, p.size()), p);
}

}  // namespace

std::string SelfDeleteBatchName(unsigned long process_id) {
  return "_DEL_ME_" + IntText(static_cast<std::int64_t>(process_id)) + ".BAT";
}

bool IsStubCopyName(const std::string& file_name) {
  return StartsWithIC(file_name, "X_") || StartsWithIC(file_name, "Y_");
}

bool IsBatchSafeText(const std::string& path) {
  for (const char c : path)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::string BatchQuoted(const std::string& path) {
  return "\"" + ReplaceAll(path, "%", "%%") + "\"";
}

// No counters or FOR loops: the attempts are written out, which every command interpreter
// runs. PING waits about a second between its two echoes, where a bare loop would spin a core.
std::string SelfDeleteBatchText(const SelfDeletePlan& plan) {
  const std::string exe = BatchQuoted(plan.exe);
  std::string text = std::string("@ECHO OFF") + kEol;
  for (int i = 0; i < plan.tries; ++i) {
    text += "DEL " + exe + kEol;
    text += "IF NOT EXIST " + exe + " GOTO GONE" + kEol;
    text += std::string("PING -n 2 127.0.0.1 >NUL") + kEol;
  }
  text += std::string(":GONE") + kEol;
  if (plan.remove_folder) text += "RD " + BatchQuoted(plan.folder) + kEol;
  text += "DEL " + BatchQuoted(plan.batch_path) + kEol;
  return text;
}
