// The launch of the extracted setup program: its command line, the success atom, the start
// with a handle, the waits for its process and its dialog window, and the shortcut clean-up.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

// Starts the setup program of setup_entry ("Setup.exe" or "Setup.exe*extra text") from the
// extraction folder, hides the stub window and waits for the program and its dialog. True when
// the setup program deleted the success atom. A start that fails (or an atom that cannot be
// added) is reported in the error box and counts as a failure.
bool LaunchSetup(HWND window, const std::string& extraction_folder,
                 const std::string& setup_entry, const std::string& command_text,
                 bool foreground);
