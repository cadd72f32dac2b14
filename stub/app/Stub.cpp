// WexlinStub's program entry, main routine and dispatcher: one executable that is a setup stub,
// a CD-span stub or an auto-update agent, decided afresh at every start.
#include <windows.h>

#include <exception>
#include <string>

#include "app/AgentState.h"
#include "app/StubSetup.h"
#include "app/StubState.h"
#include "app/StubWin.h"
#include "format/GFileInfo.h"
#include "rules/AgentProtocol.h"
#include "rules/RunMode.h"
#include "win/Owners.h"
#include "win/Trace.h"
#include "win/Utils.h"

namespace {

// Owns the per-class mutex for the whole run; two starts at the same instant could both miss
// each other's window, but only one can own the mutex.
class RunMutex {
 public:
  explicit RunMutex(const std::string& name) : handle_(CreateMutexA(nullptr, FALSE, name.c_str())) {
    if (!handle_) return;
    const DWORD wait = WaitForSingleObject(handle_.get(), 0);
    owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
  ~RunMutex() {
    if (owned_) ReleaseMutex(handle_.get());
  }
  RunMutex(const RunMutex&) = delete;
  RunMutex& operator=(const RunMutex&) = delete;
  // Without a mutex at all (the system refused one) the window test alone decides.
  bool OtherInstance() const { return handle_ && !owned_; }

 private:
  OwnedHandle handle_;
  bool owned_ = false;
};

bool WindowOfClassExists(const std::string& cls) {
  return FindWindowA(cls.c_str(), nullptr) != nullptr;
}

void Dispatcher() {
  const std::string own_path = OwnExePath();
  const std::string agent_name = OwnInfo->AgentExeName();
  WindowClass = StubWindowClass(IsAutoUpdateProg, own_path);
  // Taken now, before this start can start a copy of its own.
  const bool transient_running =
      IsAutoUpdateProg && WindowOfClassExists(TransientWindowClass(agent_name));
  const RunMutex mutex(StubMutexName(WindowClass));

  RunModeInput in;
  in.auto_update_prog = IsAutoUpdateProg;
  in.span_cd = OwnInfo->SpanCd();
  in.own_file_name = FileNameOfPath(own_path);
  in.agent_file_name = agent_name;
  in.span_cd_level = SwitchInt("/SpanCdLvl=", 1);
  in.already_running = mutex.OtherInstance() || WindowOfClassExists(WindowClass);
  in.transient_running = transient_running;
  const RunModeDecision mode = DecideRunMode(in);
  TraceLine() << kTraceRunMode << RunBranchName(mode.branch);

  switch (mode.branch) {
    case RunBranch::SecondStart:
      break;
    case RunBranch::StartTransientCopy:
      CreateAndRun_X_Exe();
      break;
    case RunBranch::SpanCdHandOver:
      SpanCdHandOver();
      break;
    case RunBranch::TransientCycle:
      // The override list an update's restart hands on is meant for this copy, which runs the
      // checks that read it.
      ApplyTransientOverrides();
      IsTestMode(true);
      StubWindowRun();
      break;
    case RunBranch::StubWindow:
      StubWindowRun();
      break;
  }
  if (mode.self_delete != SelfDelete::None)
    SelfDeleteBatch(mode.self_delete == SelfDelete::FileAndFolder, false);
  if (mode.send_commands) SendCommands(transient_running);
}

void MainRoutine() {
  const std::string command_line = GetCommandLineA();
  TraceLine() << kTraceStubStart << command_line << "<";
  OwnInfo = std::make_unique<TGFileInfo>(OwnExePath());
  IsAutoUpdateProg = OwnInfo->IsAutoUpdateProg();
  TraceLine() << " ThisIs_AutoUpdateProg=" << TraceBool(IsAutoUpdateProg);
  Dispatcher();
  OwnInfo.reset();
  TraceLine() << kTraceStubEnd << command_line << "<";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything can load a DLL: an installer started from a downloads folder must not pick
  // up a DLL planted beside it.
  RestrictDllSearch();
  // Case folding and path cuts must not split a double-byte character of the code page.
  InstallSystemLeadByteRule();
  InstallTraceDevice();
  SetArchiveTrace(TraceArchiveLine);
  try {
    MainRoutine();
  } catch (const std::exception& e) {
    TraceLine() << kTraceStubFailed << " " << e.what();
  } catch (...) {
    TraceLine() << kTraceStubFailed;
  }
  return 0;
}
