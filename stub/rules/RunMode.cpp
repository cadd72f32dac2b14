#include "rules/RunMode.h"

#include "text/UtilsText.h"

namespace {

// FNV-1a, 64 bits: stable across builds and processes, which is all a shared name needs.
std::uint64_t NameHash(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string HexText(std::uint64_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text(16, '0');
  for (std::size_t i = text.size(); i-- > 0; value >>= 4) text[i] = kDigits[value & 15];
  return text;
}

// A class text that fits as it is stays as it is. A longer one (a deep folder) becomes a fixed
// prefix plus the hash of its upper-cased form: still one class per file, and as class names
// compare without regard to case, so does the hash.
std::string FitWindowClass(const std::string& text) {
  if (text.size() <= kMaxWindowClassLength) return text;
  return ".WexlinStub#" + HexText(NameHash(UpperText(text)));
}

}  // namespace

bool IsAgentOwnName(const std::string& own_file_name, const std::string& agent_file_name) {
  return !TrimText(agent_file_name).empty() && SameTextTrimmed(own_file_name, agent_file_name);
}

bool IsTransientCopyName(const std::string& own_file_name, const std::string& agent_file_name) {
  const std::string agent = TrimText(agent_file_name);
  return !agent.empty() && SameTextTrimmed(own_file_name, "X_" + agent);
}

std::string StubWindowClass(bool auto_update_prog, const std::string& own_path) {
  if (auto_update_prog)
    return FitWindowClass(".AutoUpdate." + FileNameWithoutExt(FileNameOfPath(own_path)));
  return FitWindowClass(own_path);
}

std::string TransientWindowClass(const std::string& agent_file_name) {
  return FitWindowClass(".AutoUpdate.X_" + FileNameWithoutExt(TrimText(agent_file_name)));
}

// Mutex names are case-sensitive and may not hold a backslash, hence the hash.
std::string StubMutexName(const std::string& window_class) {
  return "WexlinStub.Run." + HexText(NameHash(UpperText(window_class)));
}

RunModeDecision DecideRunMode(const RunModeInput& in) {
  RunModeDecision out;
  const bool agent_own_name =
      in.auto_update_prog && IsAgentOwnName(in.own_file_name, in.agent_file_name);
  const bool transient_copy =
      in.auto_update_prog && IsTransientCopyName(in.own_file_name, in.agent_file_name);
  // Commands reach the transient copy whether or not this start does anything else.
  out.send_commands = agent_own_name;
  if (in.already_running) {
    out.branch = RunBranch::SecondStart;
  } else if (agent_own_name) {
    out.branch = RunBranch::StartTransientCopy;
  } else if (transient_copy) {
    out.branch = RunBranch::TransientCycle;
    out.self_delete = SelfDelete::FileOnly;
  } else if (in.span_cd && in.span_cd_level == 1) {
    out.branch = RunBranch::SpanCdHandOver;
  } else {
    out.branch = RunBranch::StubWindow;
    // Only the CD-span copy removes itself and its folder: a plain setup started with
    // "/SpanCdLvl=2" by hand must not delete itself or the folder it was started from.
    if (in.span_cd && in.span_cd_level == 2) out.self_delete = SelfDelete::FileAndFolder;
  }
  return out;
}

const char* RunBranchName(RunBranch branch) {
  switch (branch) {
    case RunBranch::SecondStart: return "SecondStart";
    case RunBranch::StartTransientCopy: return "StartTransientCopy";
    case RunBranch::TransientCycle: return "TransientCycle";
    case RunBranch::SpanCdHandOver: return "SpanCdHandOver";
    case RunBranch::StubWindow: return "StubWindow";
  }
  return "?";
}
