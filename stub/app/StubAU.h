// StubAU: the update cycle of the auto-update agent, driven by the stub window's timer. Every
// tick decides whether a check is due; a check fetches the info file (AgentDownload.h) and
// decides, level by level, whether the published update is offered; an offer hands over to the
// update or inform run (AgentRuns.h). Single-threaded; boxes and waits serve messages, so ticks
// and commands arrive while a tick runs, and TickBusy (AgentState.h) turns such ticks away.
#pragma once

// Called for every tick of the stub window's timer in an agent.
void AutoUpdateTick();
// 0 no check, 1 a check, 2 the one check of a run with interval 0; clears ForceShot.
int GetShotTimeStatus();
// Asks before an interactive check; a No sets status to 0.
void ConfirmManualCheck(int& status);
// One check: fetches the info file, decides, hands an offer over, reports interactive checks.
void PerformShot();
// The level (0..6) the check reaches; true for 6.
bool GetOkToPerformAU(bool info_received, int& level);
