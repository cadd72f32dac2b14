// The copies and the batch are still to be built; each routine already marks in the trace that
// the run reached it. The remote control passes its commands to the update cycle.
#include "StubSetup.h"

#include <cstdint>

#include "StubAU.h"
#include "StubState.h"
#include "StubWin.h"
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
  StopCountdown = std::int32_t(count);
  TraceLine() << " StopCountdown=" << StopCountdown;
}

void RemoteRegisterListener(WPARAM listener_window, LPARAM listener_message) {
  ListenerWindow = reinterpret_cast<HWND>(listener_window);
  ListenerMessage = UINT(listener_message);
  TraceLine() << " Listener=" << listener_window << ":" << ListenerMessage;
  NotifyListener(50, reinterpret_cast<LPARAM>(StubWindow.window));
  NotifyListener(51, kMsgCommand);
}

LRESULT RemoteCommand(WPARAM command, LPARAM argument) { return AgentCommand(command, argument); }
