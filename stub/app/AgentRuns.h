// AgentRuns: what follows an offer of the agent's check: the inform run (the news window), the
// update run (download, stop the program, run the setup, restart the program), and the restart
// of the agent's transient copy after an update.
#pragma once

bool PerformAutoInform();
bool PerformAutoUpdate();
void RestartAgentTransient();
