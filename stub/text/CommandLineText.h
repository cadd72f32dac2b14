// The pure halves of the command line: the tail after the program path and its switches.
#pragma once

#include <cstdint>
#include <string>

// The command line without the program path and without enclosing quotes.
std::string CommandTailOf(const std::string& command_line, const std::string& exe_file_name);
bool HasSwitchIn(const std::string& tail, const std::string& name);
std::string SwitchValueIn(const std::string& tail, const std::string& name);
std::int64_t SwitchIntIn(const std::string& tail, const std::string& name,
                         std::int64_t default_value);
