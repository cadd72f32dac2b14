// Starting a program from the stub (its copies, its batch, the setup program, the updated
// program), with a handle to the started process.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "win/Owners.h"

// Starts application with the full command line (which repeats the program, quoted) and the
// show state, in folder (the caller's current folder when empty). process, when given,
// receives the process handle, thread that of its first thread (to resume a program started
// with CREATE_SUSPENDED). False with *error_code (when given) set when it could not be started.
bool StartProcessShown(const std::string& application, const std::string& command_line,
                       const std::string& folder, WORD show, DWORD creation_flags,
                       OwnedHandle* process = nullptr, DWORD* error_code = nullptr,
                       OwnedHandle* thread = nullptr);
// The same, hidden.
bool StartHiddenProcess(const std::string& application, const std::string& command_line,
                        const std::string& folder, DWORD creation_flags,
                        OwnedHandle* process = nullptr, DWORD* error_code = nullptr);
