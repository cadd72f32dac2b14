#include "win/SelfDelete.h"

#include <vector>

#include "rules/SelfDeleteBatch.h"
#include "rules/ShellDirRules.h"
#include "win/Files.h"
#include "win/HiddenStart.h"
#include "win/Utils.h"

namespace {

// The 8.3 form of an existing path; the path itself when the system gives none.
std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH * 2];
  const DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return (n > 0 && n < sizeof buffer) ? std::string(buffer, n) : path;
}

// The path in the OEM code page; empty when a character has no form there.
std::string OemText(const std::string& ansi) {
  const int wide_size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), nullptr, 0);
  if (wide_size <= 0) return std::string();
  // A vector, not a std::wstring: the library's wide string would add some 35 KB to the stub.
  std::vector<wchar_t> wide(std::size_t(wide_size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), wide.data(), wide_size);
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide.data(), wide_size,
                                       nullptr, 0, nullptr, &lossy);
  if (size <= 0 || lossy) return std::string();
  std::string oem(std::size_t(size), '\0');
  WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide.data(), wide_size, &oem[0], size,
                      nullptr, &lossy);
  return lossy ? std::string() : oem;
}

// cmd reads a batch in the console's (OEM) code page while the stub's paths are ANSI: a path
// with other than ASCII characters goes in as its 8.3 form when that is ASCII (right in every
// code page), else in the OEM code page. Empty when neither can name it.
std::string BatchPathText(const std::string& path) {
  if (IsBatchSafeText(path)) return path;
  const std::string short_path = ShortPath(path);
  if (IsBatchSafeText(short_path)) return short_path;
  return OemText(path);
}

std::string CommandInterpreter() {
  char buffer[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableA("COMSPEC", buffer, sizeof buffer);
  if (n > 0 && n < sizeof buffer) return std::string(buffer, n);
  return SystemDir(true) + "cmd.exe";
}

// Hidden, in the temporary folder: a batch whose current folder were the one it removes
// could not remove it.
bool StartHidden(const std::string& batch_path) {
  const std::string interpreter = CommandInterpreter();
  // The interpreter strips the outer pair of quotes after /C and keeps the inner ones.
  const std::string command = "\"" + interpreter + "\" /C \"\"" + batch_path + "\"\"";
  return StartHiddenProcess(interpreter, command, TempDir(false), CREATE_NO_WINDOW);
}

}  // namespace

bool WriteAndStartSelfDeleteBatch(const std::string& exe, bool remove_folder, bool short_names) {
  if (!IsStubCopyName(ExtractFileName(exe, CurrentLeadByteTest()))) return false;
  const std::string batch_file = TempDir(true) + SelfDeleteBatchName(GetCurrentProcessId());
  SelfDeletePlan plan;
  plan.batch_path = batch_file;
  plan.exe = exe;
  plan.folder = ParentFolder(exe);
  // Never a drive's root or the temporary folder itself, even when empty.
  plan.remove_folder = remove_folder && !plan.folder.empty() && plan.folder.back() != '\\' &&
                       !SameTextIC(plan.folder, TempDir(false));
  // The batch must exist before its short name can be asked.
  if (!WriteFileData(batch_file, "ABC\r\n", 0, WriteMode::Create)) return false;
  if (short_names) {
    plan.batch_path = ShortPath(plan.batch_path);
    plan.exe = ShortPath(plan.exe);
    plan.folder = ShortPath(plan.folder);
  }
  plan.batch_path = BatchPathText(plan.batch_path);
  plan.exe = BatchPathText(plan.exe);
  plan.folder = BatchPathText(plan.folder);
  if (plan.batch_path.empty() || plan.exe.empty() || (plan.remove_folder && plan.folder.empty()) ||
      !WriteFileData(batch_file, SelfDeleteBatchText(plan), 0, WriteMode::Create)) {
    DeleteFileA(batch_file.c_str());
    return false;
  }
  return StartHidden(batch_file);
}
