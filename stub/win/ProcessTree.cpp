#include "win/ProcessTree.h"

#include "win/Utils.h"

namespace {

using CreateJobObjectFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCSTR);
using AssignProcessFn = BOOL(WINAPI*)(HANDLE, HANDLE);
using QueryJobFn = BOOL(WINAPI*)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD, LPDWORD);
using SetJobFn = BOOL(WINAPI*)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD);

// The systems of the 9x family have no jobs: the functions are looked up, not imported.
template <class Fn>
Fn Kernel32Function(const char* name) {
  const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  return kernel32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel32, name)))
                  : nullptr;
}

}  // namespace

ProcessTree::ProcessTree() {
  const auto create = Kernel32Function<CreateJobObjectFn>("CreateJobObjectA");
  if (!create) return;
  job_ = OwnedHandle(create(nullptr, nullptr));
  if (!job_) {
    error_ = GetLastError();
    return;
  }
  if (const auto set = Kernel32Function<SetJobFn>("SetInformationJobObject")) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    set(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
  }
}

bool ProcessTree::Adopt(HANDLE process) {
  const auto assign = Kernel32Function<AssignProcessFn>("AssignProcessToJobObject");
  if (!job_ || !assign) return false;
  adopted_ = assign(job_.get(), process) != FALSE;
  error_ = adopted_ ? ERROR_SUCCESS : GetLastError();
  return adopted_;
}

DWORD ProcessTree::ActiveProcesses() const {
  const auto query = Kernel32Function<QueryJobFn>("QueryInformationJobObject");
  if (!adopted_ || !query) return 0;
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
  if (!query(job_.get(), JobObjectBasicAccountingInformation, &info, sizeof info, nullptr))
    return 0;
  return info.ActiveProcesses;
}

bool ProcessTree::WaitEmptyPumping(DWORD timeout_ms) const {
  const DWORD t0 = GetTickCount();
  while (ActiveProcesses() > 0) {
    if (GetTickCount() - t0 >= timeout_ms) return ActiveProcesses() == 0;
    WaitPumping(100, 0);
  }
  return true;
}
