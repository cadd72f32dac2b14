// The copies, the batch and the remote control are still to be built; each routine already
// marks in the trace that the run reached it.
#include "StubSetup.h"

#include "Trace.h"

void CreateAndRun_X_Exe() { TraceLine() << " ==== CreateAndRun_X_Exe (not yet built) ===="; }

void SendCommands(bool copy_was_running) {
  TraceLine() << " ==== SendCommands (not yet built) ==== copy running="
              << TraceBool(copy_was_running);
}

void SpanCdHandOver() { TraceLine() << " ==== SpanCdHandOver (not yet built) ===="; }

void SelfDeleteBatch(bool remove_folder, bool short_names) {
  TraceLine() << " ==== SelfDeleteBatch (not yet built) ==== remove folder="
              << TraceBool(remove_folder) << " short names=" << TraceBool(short_names);
}

void RemoteStopCountdown(WPARAM count) {
  TraceLine() << " ==== RemoteStopCountdown (not yet built) ==== " << count;
}

void RemoteRegisterListener(WPARAM listener_window, LPARAM listener_message) {
  TraceLine() << " ==== RemoteRegisterListener (not yet built) ==== " << listener_window << ":"
              << listener_message;
}

LRESULT RemoteCommand(WPARAM command, LPARAM argument) {
  TraceLine() << " ==== RemoteCommand (not yet built) ==== " << command << " " << argument;
  return 0;
}
