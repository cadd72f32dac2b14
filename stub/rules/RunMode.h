// The stub's run mode: which of its roles one start plays, decided from the trailer flags, the
// own file name, the agent name of the update info block, "/SpanCdLvl=" and which stub windows
// are already open. Pure code (no <windows.h>) so that every mode is tested natively.
#pragma once

#include <cstdint>
#include <string>

// Running as the agent under its own name: the own file name equals the agent file name (item 2
// of the update info block), trimmed and without regard to case. An empty agent name matches
// nothing.
bool IsAgentOwnName(const std::string& own_file_name, const std::string& agent_file_name);
// Running as the transient copy: the own file name equals "X_" + the agent file name.
bool IsTransientCopyName(const std::string& own_file_name, const std::string& agent_file_name);

// Window classes are limited to 255 characters; longer texts give this prefix plus a hash.
constexpr std::size_t kMaxWindowClassLength = 255;

// The class of the stub window: ".AutoUpdate." + own file name without extension for an agent,
// otherwise the own full path; two starts of the same file share it.
std::string StubWindowClass(bool auto_update_prog, const std::string& own_path);
// The class of the transient copy's window: ".AutoUpdate.X_" + agent name without extension.
std::string TransientWindowClass(const std::string& agent_file_name);
// The name of the mutex that only one process per window class can own.
std::string StubMutexName(const std::string& window_class);

struct RunModeInput {
  bool auto_update_prog = false;
  bool span_cd = false;                // trailer flag SpanCd
  std::string own_file_name;           // without folder
  std::string agent_file_name;         // update info item 2
  std::int64_t span_cd_level = 1;      // "/SpanCdLvl=", default 1
  bool already_running = false;        // a stub of the same class runs (window or mutex)
  bool transient_running = false;      // the transient copy's window existed at the start
};

enum class RunBranch {
  SecondStart,         // a stub of this class runs already: nothing starts
  StartTransientCopy,  // agent under its own name: CreateAndRun_X_Exe
  TransientCycle,      // transient copy: stub window with the update cycle
  SpanCdHandOver,      // CD-span stub on the medium: hands over to its copy
  StubWindow,          // setup job, or the update cycle of an agent under another name
};

enum class SelfDelete { None, FileOnly, FileAndFolder };

struct RunModeDecision {
  RunBranch branch = RunBranch::StubWindow;
  bool send_commands = false;  // forward "/STOP=" and friends to the transient copy
  SelfDelete self_delete = SelfDelete::None;
};

RunModeDecision DecideRunMode(const RunModeInput& input);

const char* RunBranchName(RunBranch branch);
