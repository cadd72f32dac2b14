// SetupJobStop: whether the setup job is under way, and the stop request that closing the stub
// window makes while it is. The extraction reads the request between blocks.
#pragma once

#include "rules/JobProgress.h"

// Whether the setup job is under way; closing the stub window then only asks it to stop
// (RequestSetupJobStop), so that its folder is removed by the job itself once it has ended.
bool SetupJobRunning();
// Extraction stops before its next block and starts nothing; a setup program already started
// is still waited for, since it reads the extracted files.
void RequestSetupJobStop();
bool SetupJobStopRequested();
// The request as the flag an extraction's JobProgress reads.
const AbortFlag& SetupJobStopFlag();

// Marks the job as under way for its whole run, whichever way it ends; clears the request.
class SetupJobScope {
 public:
  SetupJobScope();
  ~SetupJobScope();
  SetupJobScope(const SetupJobScope&) = delete;
  SetupJobScope& operator=(const SetupJobScope&) = delete;
};
