// JobProgress: what a long job (a download, an extraction) reports its progress to and learns
// from that it should stop. The stub window supplies both; the jobs and the network do not know
// the window.
#pragma once

#include <string>

// Stage 0 once: the main bar's range 0..high, its step and position; stage 1 after every step
// (with step > 1: that many steps at once).
using ProgressNotify = void (*)(int stage, int low, int high, const std::string& text, int step,
                                int position);

// A stop request that the window sets and a job reads between two steps.
class AbortFlag {
 public:
  void Set(bool abort) { set_ = abort; }
  bool IsSet() const { return set_; }

 private:
  bool set_ = false;
};

struct JobProgress {
  ProgressNotify notify = nullptr;  // null: nothing is shown
  const AbortFlag* abort = nullptr;  // null: the job never stops early

  void Report(int stage, int low, int high, const std::string& text, int step,
              int position) const {
    if (notify) notify(stage, low, high, text, step, position);
  }
  bool Aborted() const { return abort && abort->IsSet(); }
};
