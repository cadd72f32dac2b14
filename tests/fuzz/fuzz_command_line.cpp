// The stub's command line (its tail and switches), the run mode it decides from its own and the
// agent's names, and the folder macros of paths from the archive, expanded against a fixed clock
// and folder table.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "rules/FolderMacros.h"
#include "rules/RunMode.h"
#include "text/UtilsText.h"

namespace {

void check_command_line(FuzzedDataProvider& in) {
  const std::string exe = in.ConsumeRandomLengthString(64);
  const std::string name = in.ConsumeRandomLengthString(16);
  const std::string line = in.ConsumeRemainingBytesAsString();
  const std::string tail = CommandTailOf(line, exe);
  check(tail.size() <= line.size());
  check(tail == TrimText(tail));
  check(tail.empty() || (tail.front() != '"' && tail.back() != '"'));
  const std::string value = SwitchValueIn(tail, name);
  // A value comes from a switch that is there, and is a piece of the tail.
  if (!value.empty()) check(HasSwitchIn(tail, name) && (value == "TRUE" || Pos(value, tail) > 0));
  check(value == TrimText(value));
  const std::int64_t number = SwitchIntIn(tail, name, -7);
  check(number == -7 || number == ParseDecimal(value, -7));
}

void check_run_mode(FuzzedDataProvider& in) {
  RunModeInput mode;
  mode.auto_update_prog = in.ConsumeBool();
  mode.span_cd = in.ConsumeBool();
  mode.already_running = in.ConsumeBool();
  mode.transient_running = in.ConsumeBool();
  mode.agent_file_name = in.ConsumeRandomLengthString(32);
  const std::string tail = in.ConsumeRandomLengthString(128);
  mode.own_file_name = in.ConsumeRemainingBytesAsString();
  mode.span_cd_level = SwitchIntIn(tail, "/SpanCdLvl=", 1);
  const RunModeDecision d = DecideRunMode(mode);
  // One name is never both the agent and its transient copy.
  check(!(IsAgentOwnName(mode.own_file_name, mode.agent_file_name) &&
          IsTransientCopyName(mode.own_file_name, mode.agent_file_name)));
  if (mode.already_running) check(d.branch == RunBranch::SecondStart);
  // Only the agent forwards commands; only the transient copy and the CD-span copy delete
  // themselves, and only the CD-span copy its folder.
  if (d.send_commands) check(mode.auto_update_prog);
  if (d.self_delete == SelfDelete::FileOnly) check(d.branch == RunBranch::TransientCycle);
  if (d.self_delete == SelfDelete::FileAndFolder)
    check(mode.span_cd && mode.span_cd_level == 2 && d.branch == RunBranch::StubWindow);
  if (!mode.auto_update_prog)
    check(d.branch != RunBranch::StartTransientCopy && d.branch != RunBranch::TransientCycle);
  const std::string window = StubWindowClass(mode.auto_update_prog, mode.own_file_name);
  check(window.size() <= kMaxWindowClassLength);
  check(TransientWindowClass(mode.agent_file_name).size() <= kMaxWindowClassLength);
}

class FixedValues : public MacroValues {
 public:
  std::string Value(MacroValue which) override {
    ++asked;
    return which == MacroValue::TempDir ? "C:\\Temp\\" : "C:\\Folder " + IntText(int(which));
  }
  MacroClock Clock() override {
    ++asked;
    MacroClock clock;
    clock.now = DateTimeValue{2006, 3, 5, 8, 50, 4};
    for (int i = 0; i < 12; ++i) clock.month_names[i] = "Month" + IntText(i + 1);
    return clock;
  }
  std::string FullPath(const std::string& path) override {
    ++asked;
    return "C:\\Current\\" + path;
  }
  int asked = 0;
};

void check_macros(FuzzedDataProvider& in) {
  const std::string suffix = in.ConsumeRandomLengthString(8);
  const bool resolve_dots = in.ConsumeBool();
  const bool user_macros = in.ConsumeBool();
  const std::string text = in.ConsumeRemainingBytesAsString();
  FixedValues values;
  const std::string out = ExpandMacrosWith(text, suffix, resolve_dots, user_macros, values);
  // Without a macro nothing is asked and, dots aside, nothing changes.
  if (text.find('<') == std::string::npos && !resolve_dots) check(out == text);
  if (text.find('<') == std::string::npos) check(values.asked == 0 || resolve_dots);
  const MacroClock clock = values.Clock();
  for (std::size_t i = 0; i < text.size() && i < 8; ++i) {
    const char letter = text[i];
    const bool known = letter == '#' || (letter >= '0' && letter <= '7');
    check(DateMacroTextFor(letter, clock).empty() != known);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0: check_command_line(in); break;
    case 1: check_run_mode(in); break;
    default: check_macros(in); break;
  }
  return 0;
}
