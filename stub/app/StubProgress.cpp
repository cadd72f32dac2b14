#include "app/StubProgress.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include "app/StubState.h"

namespace {

AbortFlag download_abort;
int activity_position = 0;
int main_step = 1;  // the main bar's step, set at stage 0

}  // namespace

void ProgressBarsCallback(int stage, int /*low*/, int high, const std::string& /*text*/,
                          int step, int position) {
  if (stage == 0) {
    SendMessageA(StubWindow.progress, PBM_SETRANGE32, 0, high);
    SendMessageA(StubWindow.progress, PBM_SETPOS, WPARAM(position), 0);
    SendMessageA(StubWindow.progress, PBM_SETSTEP, WPARAM(step), 0);
    main_step = step;
    activity_position = 0;
    SendMessageA(StubWindow.activity, PBM_SETRANGE32, 0, 5);
    SendMessageA(StubWindow.activity, PBM_SETPOS, 0, 0);
    SendMessageA(StubWindow.activity, PBM_SETSTEP, 1, 0);
  } else if (stage == 1) {
    if (step > 1)  // several steps at once (a large read of a download)
      SendMessageA(StubWindow.progress, PBM_DELTAPOS, WPARAM(step * main_step), 0);
    else
      SendMessageA(StubWindow.progress, PBM_STEPIT, 0, 0);
    activity_position = (activity_position + 1) % 6;
    SendMessageA(StubWindow.activity, PBM_SETPOS, WPARAM(activity_position), 0);
  }
}

void SetDownloadAbort(bool abort) { download_abort.Set(abort); }
bool DownloadAborted() { return download_abort.IsSet(); }

JobProgress StubWindowProgress() { return {ProgressBarsCallback, &download_abort}; }
