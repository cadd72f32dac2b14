#include "text/CommandLineText.h"

#include "text/PathText.h"
#include "text/TextBasics.h"
#include "text/TextSearch.h"

namespace {

std::string TrimLeadingQuotes(std::string text) {
  for (;;) {
    text = TrimText(text);
    if (text.empty() || text.front() != '"') return text;
    text.erase(0, 1);
  }
}

std::string TrimTrailingQuotes(std::string text) {
  for (;;) {
    text = TrimText(text);
    if (text.empty() || text.back() != '"') return text;
    text.pop_back();
  }
}

// The first argument as the command line writes it: a quoted word up to its closing quote, or
// a plain one up to the first blank (the system's own rule); rest receives what follows.
std::string FirstArgument(const std::string& command_line, std::string& rest) {
  std::size_t i = 0;
  while (i < command_line.size() && static_cast<unsigned char>(command_line[i]) <= 32) ++i;
  std::size_t end;
  std::string word;
  if (i < command_line.size() && command_line[i] == '"') {
    const std::size_t close = command_line.find('"', i + 1);
    end = close == std::string::npos ? command_line.size() : close + 1;
    word = command_line.substr(i + 1, (close == std::string::npos ? end : close) - i - 1);
  } else {
    end = i;
    while (end < command_line.size() && static_cast<unsigned char>(command_line[end]) > 32) ++end;
    word = command_line.substr(i, end - i);
  }
  rest = command_line.substr(end);
  return word;
}

}  // namespace

// When the full program path does not occur in the command line (a program started by a
// relative or short name), a first argument that names the program's file, with or without
// ".exe", is removed instead: otherwise the program name would stay in the tail, and a folder
// called "/hide" would read as a switch. A command line of arguments only is left whole.
std::string CommandTailOf(const std::string& command_line, const std::string& exe_file_name) {
  std::string text = command_line;
  const int at = PosIC(exe_file_name, text);
  if (at > 0) {
    text.erase(static_cast<std::size_t>(at - 1), exe_file_name.size());
  } else {
    std::string rest;
    const std::string word = FirstArgument(text, rest);
    const std::string first = ExtractFileName(word, CurrentLeadByteTest());
    const std::string own = ExtractFileName(exe_file_name, CurrentLeadByteTest());
    const bool is_switch = !word.empty() && word[0] == '/';
    if (!is_switch && !first.empty() && (SameTextIC(first, own) || SameTextIC(first + ".exe", own)))
      text = rest;
  }
  text = TrimLeadingQuotes(text);
  text = TrimTrailingQuotes(text);
  return TrimText(text);
}

bool HasSwitchIn(const std::string& tail, const std::string& name) { return PosIC(name, tail) > 0; }

std::string SwitchValueIn(const std::string& tail, const std::string& name) {
  const int at = PosIC(name, tail);
  if (at == 0) return std::string();
  std::string value = tail.substr(static_cast<std::size_t>(at - 1) + name.size());
  if (value.empty()) return "TRUE";
  if (value.front() == '"') {
    value.erase(0, 1);
    value = value.substr(0, value.find('"'));
  } else {
    value = value.substr(0, value.find(' '));
    value = value.substr(0, value.find('/'));
  }
  return TrimText(value);
}

std::int64_t SwitchIntIn(const std::string& tail, const std::string& name,
                         std::int64_t default_value) {
  return ParseDecimal(SwitchValueIn(tail, name), default_value);
}
