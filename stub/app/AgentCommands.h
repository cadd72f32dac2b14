// AgentCommands: the agent's answers to the commands of message 1125 (AgentProtocol.h): the
// settings read and written, the override slots, the stop countdown, a forced check.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// A command of message 1125 (codes 4 to 31); the result the window procedure returns.
LRESULT AgentCommand(WPARAM code, LPARAM argument);
