#include "StubAU.h"

#include "StubState.h"
#include "Trace.h"

// The check itself (settings, test mode, downloads) is still to come; the tick already counts,
// so a "/SleepX=" start shows its delay in the trace.
void AutoUpdateTick() {
  ++AutoUpdateTimerCount;
  TraceLine() << " AutoUpdateTimerCount=" << AutoUpdateTimerCount;
}
