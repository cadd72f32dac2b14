// Process, Win32 side.
#include "win/Process.h"

#include <tlhelp32.h>

#include <algorithm>
#include <memory>

#include "rules/ProcessRules.h"
#include "win/Owners.h"
#include "win/Utils.h"

// The record handed to Process32First/Next; its size field must match the caller's width.
static_assert(sizeof(PROCESSENTRY32) == (sizeof(void*) == 8 ? 304 : 296),
              "PROCESSENTRY32 has the system's layout for this width");

namespace {

ProcessSearch g_search = ProcessSearch::Auto;

bool UseToolHelp() {
  if (g_search == ProcessSearch::Auto) return !IsWinNT();
  return g_search == ProcessSearch::ToolHelp;
}

// --- Tool help: entry points of kernel32, looked up once ---
using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
using QueryImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

struct ToolHelp {
  CreateSnapshotFn snapshot =
      BindProcAs<CreateSnapshotFn>("kernel32.dll", "CreateToolhelp32Snapshot");
  ProcessWalkFn first = BindProcAs<ProcessWalkFn>("kernel32.dll", "Process32First");
  ProcessWalkFn next = BindProcAs<ProcessWalkFn>("kernel32.dll", "Process32Next");
  bool Available() const { return snapshot && first && next; }
};
const ToolHelp& Tools() {
  static const ToolHelp tools;
  return tools;
}

// --- Process status library, bound at run time from the system folder ---
using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using ModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);

struct ProcessStatus {
  EnumProcessesFn enum_processes = BindProcAs<EnumProcessesFn>("psapi.dll", "EnumProcesses");
  EnumProcessModulesFn enum_modules =
      BindProcAs<EnumProcessModulesFn>("psapi.dll", "EnumProcessModules");
  ModuleNameFn base_name = BindProcAs<ModuleNameFn>("psapi.dll", "GetModuleBaseNameA");
  ModuleNameFn file_name = BindProcAs<ModuleNameFn>("psapi.dll", "GetModuleFileNameExA");
};
// A failed load is tried again at the next use.
const ProcessStatus* Status() {
  static std::unique_ptr<ProcessStatus> status;
  if (!status || !status->enum_processes) status = std::make_unique<ProcessStatus>();
  return status.get();
}

std::string FilePart(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH + 1];
  const DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

// The image path of a process opened with the limited query right, which also works across
// widths and for processes of higher integrity (Vista and later).
std::string ImagePathOf(DWORD pid) {
  static const QueryImageNameFn query =
      BindProcAs<QueryImageNameFn>("kernel32.dll", "QueryFullProcessImageNameA");
  if (!query) return std::string();
  OwnedHandle process(OpenProcess(0x1000 /* PROCESS_QUERY_LIMITED_INFORMATION */, FALSE, pid));
  char buffer[MAX_PATH * 2];
  DWORD size = sizeof buffer;
  if (!process || !query(process.get(), 0, buffer, &size)) return std::string();
  return std::string(buffer, size);
}

// What a searched text is compared with: its trimmed form and its short path.
struct Searched {
  std::string text, short_path;
  explicit Searched(const std::string& program_file)
      : text(TrimText(program_file)), short_path(ShortPath(text)) {}
};

bool Matches(ProcessCandidate& candidate, const Searched& searched, bool full_path_only) {
  if (candidate.base_name.empty()) candidate.base_name = FilePart(candidate.full_path);
  if (!searched.short_path.empty() && candidate.short_path.empty())
    candidate.short_path = ShortPath(candidate.full_path);
  return ProcessMatches(candidate, searched.text, searched.short_path, full_path_only);
}

}  // namespace

void SetProcessSearch(ProcessSearch search) { g_search = search; }

DWORD FindProcess(const std::string& program_file, bool full_path_only) {
  return UseToolHelp() ? FindProcess9x(program_file, full_path_only)
                       : FindProcessNT(program_file, full_path_only);
}

DWORD FindProcess9x(const std::string& program_file, bool full_path_only) {
  const ToolHelp& tools = Tools();
  const Searched searched(program_file);
  if (!tools.Available() || searched.text.empty()) return 0;
  OwnedHandle snapshot(tools.snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  DWORD found = 0;
  for (BOOL more = tools.first(snapshot.get(), &entry); more;
       more = tools.next(snapshot.get(), &entry)) {
    ProcessCandidate candidate;
    candidate.full_path.assign(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile));
    // The NT family lists only the file name here; the full path comes from the process.
    if (candidate.full_path.find('\\') == std::string::npos) {
      candidate.base_name = candidate.full_path;
      const std::string image = ImagePathOf(entry.th32ProcessID);
      if (!image.empty()) candidate.full_path = image;
    }
    if (Matches(candidate, searched, full_path_only)) found = entry.th32ProcessID;
    entry.dwSize = sizeof entry;
  }
  return found;
}

std::vector<DWORD> EnumProcessIds() {
  const ProcessStatus* status = Status();
  std::vector<DWORD> ids;
  if (!status->enum_processes) return ids;
  for (DWORD bytes = 1024;; bytes += 1024) {
    ids.assign(bytes / sizeof(DWORD), 0);
    DWORD filled = 0;
    if (!status->enum_processes(ids.data(), bytes, &filled)) return {};
    if (filled < bytes) {
      ids.resize(filled / sizeof(DWORD));
      return ids;
    }
  }
}

bool IsPidAlive(DWORD pid) {
  for (DWORD id : EnumProcessIds())
    if (id == pid) return true;
  return false;
}

DWORD FindProcessNT(const std::string& program_file, bool full_path_only) {
  const ProcessStatus* status = Status();
  const Searched searched(program_file);
  if (!status->enum_processes || searched.text.empty()) return 0;
  const std::vector<DWORD> ids = EnumProcessIds();
  for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
    ProcessCandidate candidate;
    OwnedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, *id));
    HMODULE module = nullptr;
    DWORD needed = 0;
    char path[MAX_PATH + 1], base[MAX_PATH + 1];
    if (process && status->enum_modules && status->file_name && status->base_name &&
        status->enum_modules(process.get(), &module, sizeof module, &needed)) {
      const DWORD n = status->file_name(process.get(), module, path, MAX_PATH);
      const DWORD b = status->base_name(process.get(), module, base, MAX_PATH);
      candidate.full_path.assign(path, n);
      candidate.base_name.assign(base, b);
    }
    // A process whose modules cannot be read (another width, higher integrity) is still named
    // by its image path rather than skipped.
    if (candidate.full_path.empty()) candidate.full_path = ImagePathOf(*id);
    if (candidate.full_path.empty()) continue;
    if (Matches(candidate, searched, full_path_only)) return *id;
  }
  return 0;
}

bool IsProcessRunning(const std::string& program_file) {
  return FindProcess(Dequote(program_file, true), false) != 0;
}

WaitEnd WaitForHandlePumping(HANDLE handle, DWORD timeout_ms) {
  const DWORD t0 = GetTickCount();
  bool quit = false;
  WPARAM quit_code = 0;
  WaitEnd result = WaitEnd::Failed;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quit_code = msg.wParam;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    DWORD wait = INFINITE;
    if (timeout_ms != INFINITE) {
      const DWORD elapsed = GetTickCount() - t0;
      wait = elapsed >= timeout_ms ? 0 : timeout_ms - elapsed;
    }
    const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, wait, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) {
      result = WaitEnd::Signalled;
      break;
    }
    if (r == WAIT_TIMEOUT) {
      result = WaitEnd::TimedOut;
      break;
    }
    if (r != WAIT_OBJECT_0 + 1) break;  // WAIT_FAILED: a handle that cannot be waited on
  }
  if (quit) PostQuitMessage(static_cast<int>(quit_code));
  return result;
}

ProgramWait WaitForProcessEnd(const std::string& program_file, DWORD timeout_ms,
                              const std::function<bool()>& stop) {
  const std::string file = Dequote(program_file, true);
  const DWORD t0 = GetTickCount();
  for (;;) {
    MSG quit;
    if ((stop && stop()) || PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
      return ProgramWait::Stopped;
    const DWORD pid = FindProcess(file, false);
    if (pid == 0) return ProgramWait::Ended;
    const DWORD elapsed = GetTickCount() - t0;
    if (elapsed >= timeout_ms) return ProgramWait::TimedOut;
    // Woken by the end of the process found or by a message (a stop arrives as one); the search
    // runs again at least once a second, for another process of that name.
    const DWORD step = std::min<DWORD>(1000, timeout_ms - elapsed);
    const OwnedHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) {
      WaitPumping(std::min<DWORD>(250, step), 0);
      continue;
    }
    HANDLE handle = process.get();
    if (MsgWaitForMultipleObjects(1, &handle, FALSE, step, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
      PumpMessages(0);
  }
}

void WaitWhileWindowExists(const std::string& window_class, const std::string& window_title) {
  const char* title = window_title.empty() ? nullptr : window_title.c_str();
  while (FindWindowA(window_class.c_str(), title)) PumpMessages(100);
}

HWND TopOwner(HWND window) {
  HWND owner = window ? GetWindow(window, GW_OWNER) : nullptr;
  // A chain longer than any real one is a loop; it ends the walk.
  for (int depth = 0; owner && depth < 1000; ++depth) {
    HWND above = GetWindow(owner, GW_OWNER);
    if (!above) break;
    owner = above;
  }
  return owner;
}

TAnalizer::TAnalizer(DWORD pid) : windows_{}, scores_{}, count_(0), pid_(pid) {}

void TAnalizer::Collect(HWND window) {
  DWORD owner_pid = 0;
  GetWindowThreadProcessId(window, &owner_pid);
  if (owner_pid == pid_ && count_ < kCapacity) windows_[count_++] = window;
}

HWND TAnalizer::MainWindow() {
  std::vector<WindowFacts> facts(count_);
  for (std::uint32_t i = 0; i < count_; ++i) {
    const HWND top = TopOwner(windows_[i]);
    for (std::uint32_t j = 0; top && j < count_; ++j)
      if (windows_[j] == top) facts[i].top_owner = int(j);
    facts[i].has_caption = !WindowText(windows_[i]).empty();
    facts[i].visible = IsWindowVisible(windows_[i]) != FALSE;
  }
  const std::vector<std::uint16_t> scores = ScoreWindows(facts);
  for (std::uint32_t i = 0; i < count_; ++i) scores_[i] = scores[i];
  const int best = BestScoredWindow(scores);
  return best < 0 ? nullptr : windows_[best];
}

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM analizer) noexcept {
  reinterpret_cast<TAnalizer*>(analizer)->Collect(window);
  return TRUE;
}

}  // namespace

HWND FindMainWindow(const std::string& program_file, bool full_path_only) {
  const DWORD pid = FindProcess(program_file, full_path_only);
  if (pid == 0) return nullptr;
  auto analizer = std::make_unique<TAnalizer>(pid);  // about 20 KB: not on the stack
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(analizer.get()));
  return analizer->MainWindow();
}

bool PostToMainWindow(const std::string& program_file, bool full_path_only, UINT message,
                      WPARAM w_param, LPARAM l_param) {
  HWND window = FindMainWindow(program_file, full_path_only);
  return window && PostMessageA(window, message, w_param, l_param);
}

bool CloseProgram(const std::string& program_file, bool full_path_only) {
  return PostToMainWindow(program_file, full_path_only, WM_CLOSE, 15, 255);
}

bool QuitProgram(const std::string& program_file, bool full_path_only) {
  return PostToMainWindow(program_file, full_path_only, WM_QUIT, 15, 255);
}

bool TerminateProgram(const std::string& program_file, bool full_path_only) {
  const DWORD pid = FindProcess(program_file, full_path_only);
  if (pid == 0) return false;
  OwnedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  return process && TerminateProcess(process.get(), 0);
}
