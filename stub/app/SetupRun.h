// The Win32 half of the setup launch: the success atom, the start of the setup program with a
// handle to wait on, and the wait for its end and for its dialog window. The command line comes
// from LaunchCommand.h.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "rules/LaunchCommand.h"
#include "win/Owners.h"
#include "win/ProcessTree.h"

// How long the processes a setup program leaves running are waited for after it ended. A child
// may still wait for the user; past this the stub stops waiting and leaves it its folder.
constexpr DWORD kSetupTreeWaitMs = 2 * 60 * 60 * 1000;

// Owner of the global success atom of one launch. Construction removes any atom of that name
// left by an earlier run (a second reference would survive the setup program's one deletion and
// make a good setup look failed) and adds it anew; destruction deletes it if it is still there.
class SuccessAtom {
 public:
  explicit SuccessAtom(const std::string& name);
  ~SuccessAtom();
  SuccessAtom(const SuccessAtom&) = delete;
  SuccessAtom& operator=(const SuccessAtom&) = delete;
  SuccessAtom(SuccessAtom&& other) noexcept;
  SuccessAtom& operator=(SuccessAtom&& other) noexcept;

  // False when the atom could not be added: the setup program must not be started then, since
  // its success could not be told.
  bool Added() const { return added_; }
  // The system's code of the failed addition.
  unsigned long AddError() const { return error_; }
  // The setup program deleted the atom: it succeeded.
  bool Removed() const;

 private:
  void Release();
  std::string name_;
  bool added_ = false;
  unsigned long error_ = 0;
};

// Starts the setup program of the launch line in its own folder, shown or hidden, in tree, and
// gives a handle to its process. A program that needs elevation is started through the shell.
// False with *error_code (when given) set when it could not be started.
bool StartSetupProgram(const LaunchLine& line, bool shown, ProcessTree* tree,
                       OwnedHandle* process, DWORD* error_code = nullptr);

// Waits, serving messages, until the setup process has ended, then until no process of its tree
// runs (at most kSetupTreeWaitMs) and no window of the setup dialog class of thread_token
// remains, then one second more. False when processes of the tree still run.
bool WaitForSetup(HANDLE process, const ProcessTree& tree, const std::string& thread_token);
