// RunSetup: one archive's setup run, for the setup job, the internet setup and the agent's
// update: the space check, the extraction into a folder, the launch of its setup program.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

// Checks and extracts the archive at archive_path, then launches its setup program. True when
// the setup program succeeded.
bool RunSetup(HWND window, const std::string& extraction_folder, const std::string& archive_path,
              const std::string& agent_name, const std::string& command_text, bool foreground);
