// StubWin: the stub window that every working run lives in (hidden at first), its progress and
// activity bars, its one-second start timer and close logic, and the download abort flag.
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
// Remote control (WM_USER + 99, + 100, + 101).
constexpr UINT kMsgStopCountdown = WM_USER + 99;
constexpr UINT kMsgRegisterListener = WM_USER + 100;
constexpr UINT kMsgCommand = WM_USER + 101;

// Creates the window under WindowClass and runs its message loop until the quit message; then
// stops the timer and sets the download abort flag.
void StubWindowRun();

// The two halves of StubWindowRun; a test creates the window without running the loop. Create
// returns null when the class or the window cannot be made.
HWND StubWindowCreate();
void StubWindowDestroy();

// Progress of extraction and download: stage 0 sets the main bar's range 0..high, its position
// and step, and resets the activity bar to 0 of 0..5; stage 1 steps the main bar and moves the
// activity bar one place on (1, 2, 3, 4, 5, 0, ...). The text is not shown here.
void ProgressBarsCallback(int stage, int low, int high, const std::string& text, int step,
                          int position);

void SetDownloadAbort(bool abort);
bool DownloadAborted();
