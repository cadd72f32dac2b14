// StubAU: the update cycle of the auto-update agent, driven by the stub window's timer.
#pragma once

// Called for every tick of the stub window's start timer in an agent.
void AutoUpdateTick();
