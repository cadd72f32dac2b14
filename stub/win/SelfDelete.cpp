#include "win/SelfDelete.h"

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
  SelfDeletePlan plan;
  plan.batch_path = TempDir(true) + SelfDeleteBatchName(GetCurrentProcessId());
  plan.exe = exe;
  plan.folder = ParentFolder(exe);
  // Never a drive's root or the temporary folder itself, even when empty.
  plan.remove_folder = remove_folder && !plan.folder.empty() && plan.folder.back() != '\\' &&
                       !SameTextIC(plan.folder, TempDir(false));
  // The batch must exist before its short name can be asked.
  if (!WriteFileData(plan.batch_path, "ABC\r\n", 0, WriteMode::Create)) return false;
  if (short_names) {
    plan.batch_path = ShortPath(plan.batch_path);
    plan.exe = ShortPath(plan.exe);
    plan.folder = ShortPath(plan.folder);
  }
  if (!WriteFileData(plan.batch_path, SelfDeleteBatchText(plan), 0, WriteMode::Create))
    return false;
  return StartHidden(plan.batch_path);
}
