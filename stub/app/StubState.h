// The state that every stub unit shares, alive for the whole run. Set up by the main routine
// (Stub.cpp) and the stub window (StubWin.cpp); one thread reads and writes it.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "format/GFileInfo.h"
#include "win/Owners.h"

// The stub's own executable read as an archive; created first by the main routine, freed last.
extern std::unique_ptr<TGFileInfo> OwnInfo;
// The trailer byte ThisIs_AutoUpdateProg of the own executable.
extern bool IsAutoUpdateProg;
// Class of the stub window; set by the dispatcher before any window exists.
extern std::string WindowClass;
// Ticks until the agent ends (-1: never); message 1123 or command 30.
extern std::int32_t StopCountdown;
// Where the stub posts its notifications (message 1124).
extern HWND ListenerWindow;
extern UINT ListenerMessage;
// The update cycle's tick counter; "/SleepX=" n sets it to -n.
extern std::int32_t AutoUpdateTimerCount;
// Set by command 31, read by the update cycle.
extern bool ForceShot;
extern std::int32_t CheckMode;

// The stub window and its controls (StubWin.cpp); null while none exists.
struct StubWindowHandles {
  HWND window = nullptr;
  HWND status = nullptr;
  HWND progress = nullptr;
  HWND activity = nullptr;
  FontOwner status_font;  // the status line's font, replaced by every SetStatusText
};
extern StubWindowHandles StubWindow;

// Own executable helpers on top of OwnInfo.
std::string OwnExePath();
std::string OwnFileName();
