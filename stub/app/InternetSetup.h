// The internet setup: a stub that carries no setup files downloads a complete setup (itself a
// stub with an archive) from the address in its download block, checks that it carries the same
// download token, and runs it like its own archive.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

// Called by the setup job when the own archive is an internet setup; the downloaded setup is
// extracted into extraction_folder. Errors end in the error box; the user's No ends the job
// silently.
void RunInternetSetup(HWND window, const std::string& extraction_folder);
