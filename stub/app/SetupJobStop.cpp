#include "app/SetupJobStop.h"

namespace {

bool job_running = false;
AbortFlag stop_requested;

}  // namespace

bool SetupJobRunning() { return job_running; }
void RequestSetupJobStop() {
  if (job_running) stop_requested.Set(true);
}
bool SetupJobStopRequested() { return stop_requested.IsSet(); }
const AbortFlag& SetupJobStopFlag() { return stop_requested; }

SetupJobScope::SetupJobScope() {
  job_running = true;
  stop_requested.Set(false);
}
SetupJobScope::~SetupJobScope() { job_running = false; }
