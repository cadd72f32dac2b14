#include "win/ShellDir.h"

#include <cstring>

#include "rules/ShellDirRules.h"
#include "win/Files.h"
#include "win/Utils.h"

namespace {

// The shell's buffer size for a folder path.
constexpr DWORD kFolderBuffer = 1025;

using SpecialFolderPathFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
using FolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

// SHGFP_TYPE_CURRENT: the folder as it is now, not its default.
constexpr DWORD kFolderTypeCurrent = 0;

std::string BufferText(const char* buffer) {
  return StripTrailingBackslash(std::string(buffer, strnlen(buffer, kFolderBuffer)));
}

class SystemShellFacts : public ShellFacts {
 public:
  std::string FolderPath(int folder_id) override { return ::FolderPath(folder_id); }
  std::string SpecialFolderPath(int folder_id) override {
    return ::SpecialFolderPath(folder_id);
  }
  bool DirExists(const std::string& path) override { return FolderExists(path); }
  std::string WindowsDir() override { return ::WindowsDir(false); }
  std::string OwnerUserName() override { return ::OwnerUserName(); }
};

std::string Standard(StandardFolder which, bool with_slash) {
  SystemShellFacts facts;
  return FixTrailingBackslash(StandardFolderOf(which, facts), with_slash);
}

}  // namespace

// Bound at every call: the stub asks rarely, and a failed binding is simply a failed call.
std::string SpecialFolderPath(int folder_id) {
  auto get = BindProcAs<SpecialFolderPathFn>("shell32.dll", "SHGetSpecialFolderPathA");
  char buffer[kFolderBuffer] = {};
  if (!get || !get(nullptr, buffer, folder_id, FALSE)) return std::string();
  return BufferText(buffer);
}

std::string FolderPath(int folder_id) {
  auto get = BindProcAs<FolderPathFn>("shfolder.dll", "SHGetFolderPathA");
  char buffer[kFolderBuffer] = {};
  if (!get || get(nullptr, folder_id, nullptr, kFolderTypeCurrent, buffer) != 0)
    return std::string();
  return BufferText(buffer);
}

std::string DocumentsAndSettingsDir(bool s) { return Standard(StandardFolder::DocumentsAndSettings, s); }
std::string UserDir(bool s) { return Standard(StandardFolder::User, s); }
std::string AllUsersDir(bool s) { return Standard(StandardFolder::AllUsers, s); }
std::string UserAppDataDir(bool s) { return Standard(StandardFolder::UserAppData, s); }
std::string AllUsersAppDataDir(bool s) { return Standard(StandardFolder::AllUsersAppData, s); }
std::string MyDocumentsDir(bool s) { return Standard(StandardFolder::MyDocuments, s); }
std::string AllUsersDocumentsDir(bool s) { return Standard(StandardFolder::AllUsersDocuments, s); }
std::string UserStartMenuDir(bool s) { return Standard(StandardFolder::UserStartMenu, s); }
std::string AllUsersStartMenuDir(bool s) { return Standard(StandardFolder::AllUsersStartMenu, s); }
std::string UserDesktopDir(bool s) { return Standard(StandardFolder::UserDesktop, s); }
std::string AllUsersDesktopDir(bool s) { return Standard(StandardFolder::AllUsersDesktop, s); }
