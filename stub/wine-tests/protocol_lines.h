// The agent protocol's lines as the Wine tests look for them, written from the names of
// rules/AgentProtocol.h: what listener_window logs and what the stub's trace says.
#pragma once

#include <string>

#include "rules/AgentProtocol.h"

// "notify CODE VALUE": a notification as listener_window logs it; the prefix without a value.
inline std::string NoticePrefix(AgentNotice notice) {
  return "notify " + std::to_string(int(notice)) + " ";
}
inline std::string NoticeLine(AgentNotice notice, long long value) {
  return NoticePrefix(notice) + std::to_string(value);
}
// " /command=CODE:ARG" on listener_window's command line, and the "result CODE ARG VALUE" it logs.
inline std::string CommandSwitch(AgentCommandCode code, long long argument) {
  return " /command=" + std::to_string(int(code)) + ":" + std::to_string(argument);
}
inline std::string ResultLine(AgentCommandCode code, long long argument, long long value) {
  return "result " + std::to_string(int(code)) + " " + std::to_string(argument) + " " +
         std::to_string(value);
}
// A trace line of key and a number (" ShotTimeStatus=2").
inline std::string TraceValue(const char* key, long long value) {
  return key + std::to_string(value);
}
