// UnPack: the setup job that the stub window's first tick starts in a setup stub: the own
// archive (or its internet setup) run in a new temporary folder that the job removes.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

// Runs the setup (once: the window has stopped its start timer), removes the extraction folder
// and posts the quit message. Never lets an exception out: errors become the error box.
void SetupJob(HWND window);
