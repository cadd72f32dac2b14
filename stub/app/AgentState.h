// AgentState: the update agent's state for one run: what it is doing (answered to command 7),
// its tick guard and first check, and the test mode read from the registry.
#pragma once

#include <cstdint>
#include <string>

#include "rules/AgentProtocol.h"

// What the agent does now; command AgentState answers it.
extern AgentActivity AgentState;
// Cleared after the one check of a run whose "ProbeSecondsInterval" is 0.
extern bool FirstShot;
// True while a tick runs.
extern bool TickBusy;
extern bool TestMode;
extern std::string TestModeURL;

// The registry key of the test mode ("TestMode" = "1", "TestModeURL" = a folder).
extern const char kTestModeKey[];

// Reads the test-mode values when forced or when the last reading is more than 30 s old.
bool IsTestMode(bool force);
