// StubProgress: the stub window's progress and activity bars and its download abort flag, as
// the JobProgress that the setup job, the internet setup and the agent hand to their downloads.
#pragma once

#include <string>

#include "rules/JobProgress.h"

// Progress of extraction and download: stage 0 sets the main bar's range 0..high, its position
// and step, and resets the activity bar to 0 of 0..5; stage 1 steps the main bar (step > 1: that
// many steps at once) and moves the activity bar one place on (1, 2, 3, 4, 5, 0, ...). The text
// is not shown here.
void ProgressBarsCallback(int stage, int low, int high, const std::string& text, int step,
                          int position);

// Set when the stub window closes (the first close only stops a download); cleared by each
// caller before its download.
void SetDownloadAbort(bool abort);
bool DownloadAborted();

// The bars with the download abort flag.
JobProgress StubWindowProgress();
