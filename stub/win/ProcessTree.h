// ProcessTree: the processes a started program starts in turn, held together in a job object so
// that the stub can wait for all of them (a setup that starts its real work in a child and
// ends). The job functions are bound at run time: where the system has none, or the program
// cannot join the job, the tree is just the program itself.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "win/Owners.h"

class ProcessTree {
 public:
  // A new job; the processes in it may leave it on their own (CREATE_BREAKAWAY_FROM_JOB), e.g.
  // to start the installed program, and are never ended with it.
  ProcessTree();
  // Puts the process into the job, before it runs (started suspended) or right after its
  // start; its children then join by themselves. False when it could not join (no job
  // functions, or the process is in a job that forbids another): the error is traceable.
  bool Adopt(HANDLE process);
  bool Adopted() const { return adopted_; }
  DWORD AdoptError() const { return error_; }
  // Processes of the tree still running; 0 when the job cannot tell (or has none).
  DWORD ActiveProcesses() const;
  // Waits, serving messages every 100 ms, until no process of the tree runs or timeout_ms
  // have passed. True when none runs.
  bool WaitEmptyPumping(DWORD timeout_ms) const;

 private:
  OwnedHandle job_;
  bool adopted_ = false;
  DWORD error_ = ERROR_NOT_SUPPORTED;
};
