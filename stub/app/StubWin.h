// StubWin: the stub window that every working run lives in (hidden at first), its one-second
// start timer, its remote-control messages and its close logic. Its bars and the download abort
// flag are in StubProgress.h.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

constexpr int kStubWindowWidth = 492;
constexpr int kStubWindowHeight = 110;
constexpr UINT_PTR kStartTimerId = 1;
constexpr UINT kStartTimerMs = 1000;

// Creates the window under WindowClass and runs its message loop until the quit message; then
// stops the timer and sets the download abort flag.
void StubWindowRun();

// The two halves of StubWindowRun; a test creates the window without running the loop. Create
// returns null when the class or the window cannot be made.
HWND StubWindowCreate();
void StubWindowDestroy();
