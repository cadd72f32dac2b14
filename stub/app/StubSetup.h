// StubSetup: the stub's copies of itself (the agent's transient copy "X_", the CD-span copy
// "Y_"), the self-deleting batch, and the remote control of a running transient copy.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// Agent under its own name: starts (or reuses) the transient copy.
void CreateAndRun_X_Exe();
// Forwards "/STOP=", "/WM_MSG=", "/TEST=" and "/TRANSIENTx=" to the transient copy.
void SendCommands(bool copy_was_running);
// Sets the override slots from "/TRANSIENTx=" when the command line has one.
void ApplyTransientOverrides();
// CD-span stub on the medium: copies itself to the extraction folder and starts the copy.
void SpanCdHandOver();
// Writes and starts "_DEL_ME_.BAT", which deletes the executable (and its folder) after it ends.
void SelfDeleteBatch(bool remove_folder, bool short_names);

// The stub window's remote-control messages.
void RemoteStopCountdown(WPARAM count);
void RemoteRegisterListener(WPARAM listener_window, LPARAM listener_message);
LRESULT RemoteCommand(WPARAM command, LPARAM argument);
