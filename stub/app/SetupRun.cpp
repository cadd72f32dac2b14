// Setup launch, Win32 side.
#include "app/SetupRun.h"

#include <shellapi.h>

#include "win/HiddenStart.h"
#include "win/Paced.h"
#include "win/Process.h"
#include "win/Utils.h"

namespace {

// ERROR_ELEVATION_REQUIRED: the program's manifest asks for administrator rights (Vista on).
constexpr DWORD kElevationRequired = 740;

// A global atom added n times needs n deletions; a bounded loop also ends on a system that
// keeps answering the lookup.
void DeleteAtomsNamed(const std::string& name) {
  for (int i = 0; i < 1000; ++i) {
    const ATOM atom = GlobalFindAtomA(name.c_str());
    if (!atom) return;
    GlobalDeleteAtom(atom);
  }
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

SuccessAtom::SuccessAtom(const std::string& name) : name_(name) {
  DeleteAtomsNamed(name_);
  added_ = GlobalAddAtomA(name_.c_str()) != 0;
  if (!added_) error_ = GetLastError();
}

SuccessAtom::~SuccessAtom() { Release(); }

SuccessAtom::SuccessAtom(SuccessAtom&& other) noexcept
    : name_(other.name_), added_(other.added_), error_(other.error_) {
  other.added_ = false;
}

SuccessAtom& SuccessAtom::operator=(SuccessAtom&& other) noexcept {
  if (this != &other) {
    Release();
    name_ = other.name_;
    added_ = other.added_;
    error_ = other.error_;
    other.added_ = false;
  }
  return *this;
}

// Deleted by name: once the setup program has deleted it, its old number may name another atom.
void SuccessAtom::Release() {
  if (added_) DeleteAtomsNamed(name_);
  added_ = false;
}

bool SuccessAtom::Removed() const { return added_ && GlobalFindAtomA(name_.c_str()) == 0; }

bool StartSetupProgram(const LaunchLine& line, bool shown, ProcessTree* tree,
                       OwnedHandle* process, DWORD* error_code) {
  const std::string folder = FolderOf(line.program_path);
  const char* directory = folder.empty() ? nullptr : folder.c_str();
  DWORD error = ERROR_SUCCESS;
  OwnedHandle thread;
  // Suspended until it is in the tree, so that no child it starts escapes the wait.
  if (StartProcessShown(line.program_path, line.command_line, folder,
                        WORD(shown ? SW_SHOWNORMAL : SW_HIDE), CREATE_SUSPENDED, process, &error,
                        &thread)) {
    tree->Adopt(process->get());
    ResumeThread(thread.get());
  } else if (error == kElevationRequired) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = line.program_path.c_str();
    info.lpParameters = line.parameters.c_str();
    info.lpDirectory = directory;
    info.nShow = shown ? SW_SHOWNORMAL : SW_HIDE;
    if (ShellExecuteExA(&info) && info.hProcess) {
      *process = OwnedHandle(info.hProcess);
      // Already running: its tree is what it has not started yet.
      tree->Adopt(process->get());
      error = ERROR_SUCCESS;
    } else {
      error = GetLastError();
    }
  }
  if (error_code) *error_code = error;
  return error == ERROR_SUCCESS;
}

bool WaitForSetup(HANDLE process, const ProcessTree& tree, const std::string& thread_token) {
  WaitForHandlePumping(process, INFINITE);
  const bool tree_ended = tree.WaitEmptyPumping(kSetupTreeWaitMs);
  WaitWhileWindowExists(SetupDialogClass(thread_token), "");
  WaitPumping(Paced(1000), 0);
  return tree_ended;
}
