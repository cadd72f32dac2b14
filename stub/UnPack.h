// UnPack: the setup job that the stub window's first tick starts in a setup stub.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

// Stops the start timer (the job runs once), runs the setup and posts the quit message. Never
// lets an exception out: errors become the error box.
void SetupJob(HWND window);

// Checks and extracts the archive at archive_path, then launches its setup program. True when
// the setup program succeeded.
bool RunSetup(HWND window, const std::string& extraction_folder, const std::string& archive_path,
              const std::string& agent_name, const std::string& command_text, bool foreground);

// The checksum error box, with the texts and font of the own archive's language table.
void ShowChecksumError(HWND window);
