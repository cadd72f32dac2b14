// StubAU: the update cycle of the auto-update agent, driven by the stub window's timer. Every
// tick decides whether a check is due; a check fetches the info file and decides, level by
// level, whether the published update is offered; an offer hands over to the update or inform
// run. Single-threaded; boxes and waits serve messages, so ticks and commands arrive while a
// tick runs, and TickBusy turns such ticks away.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <string>

// 0 idle, 1 fetching the info file, 2 fetching the update or inform file, 3 running the setup.
extern std::int32_t AgentState;
// Cleared after the one check of a run whose "ProbeSecondsInterval" is 0.
extern bool FirstShot;
// True while a tick runs.
extern bool TickBusy;
extern bool TestMode;
extern std::string TestModeURL;

// The registry key of the test mode ("TestMode" = "1", "TestModeURL" = a folder).
extern const char kTestModeKey[];

// File kinds of DownloadFileAU.
enum class AgentFile { Info = 1, Update = 2, Inform = 3 };

// Called for every tick of the stub window's timer in an agent.
void AutoUpdateTick();
// Reads the test-mode values when forced or when the last reading is more than 30 s old.
bool IsTestMode(bool force);
// 0 no check, 1 a check, 2 the one check of a run with interval 0; clears ForceShot.
int GetShotTimeStatus();
// Asks before an interactive check; a No sets status to 0.
void ConfirmManualCheck(int& status);
// One check: fetches the info file, decides, hands an offer over, reports interactive checks.
void PerformShot();
// The level (0..6) the check reaches; true for 6.
bool GetOkToPerformAU(bool info_received, int& level);
// Whether the update (or, in inform mode, the inform) file has exactly the announced size in
// base (a folder, or in test mode TestModeURL) or on the web server.
bool UpdateSizeMatches(const std::string& base, const std::string& update_name,
                       const std::string& inform_name);
// Posts (code, value) to the listener when one is registered.
void NotifyListener(WPARAM code, LPARAM value);

// Fetches an agent file from base (a folder or a URL; TestModeURL in test mode) into ExeDir.
// The info file must be there and not be a web server's error page; an info file that is not
// published is no error. error receives what went wrong.
bool DownloadFileAU(const std::string& base, const std::string& name, AgentFile kind,
                    std::string& error);

// The runs that follow an offer (inform mode, update mode) and the restart of the agent.
bool PerformAutoInform();
bool PerformAutoUpdate();
void RestartAgentTransient();

// A command of message 1125 (codes 4 to 31); the result the window procedure returns.
LRESULT AgentCommand(WPARAM code, LPARAM argument);
