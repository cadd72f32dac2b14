// AgentRuns: what follows an offer of the agent's check: the inform run (the news window), the
// update run (download, stop the program, run the setup, restart the program), and the restart
// of the agent's transient copy after an update.
#pragma once

bool PerformAutoInform();
// put_off (when given) is set when the program did not end in time or the agent was told to
// stop meanwhile: the update is due again at the next check.
bool PerformAutoUpdate(bool* put_off = nullptr);
void RestartAgentTransient();
