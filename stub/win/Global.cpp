#include "win/Global.h"

#include "rules/FolderMacros.h"
#include "rules/ShellDirRules.h"
#include "win/Files.h"
#include "win/RunTimeDir.h"
#include "win/ShellDir.h"
#include "win/Utils.h"

namespace {

std::string application_folder, common_folder, auxiliary_folder;

const char kCurrentVersionKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kShellFoldersKey[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string LocaleText(LCTYPE type, const std::string& default_value) {
  char buffer[128];
  const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  return n > 1 ? std::string(buffer, static_cast<std::size_t>(n - 1)) : default_value;
}

class SystemMacroValues : public MacroValues {
 public:
  std::string Value(MacroValue which) override {
    switch (which) {
      case MacroValue::LoggedUserName: return LoggedUserName();
      case MacroValue::OwnerUserName: return OwnerUserName();
      case MacroValue::OwnerCompanyName: return OwnerCompanyName();
      case MacroValue::ComputerName: return ComputerName();
      case MacroValue::CurrentDomainName: return CurrentDomainName();
      case MacroValue::RunTimeDir1: return RunTimeDir1(false);
      case MacroValue::RunTimeDir2: return RunTimeDir2(false);
      case MacroValue::RunTimeDir3: return RunTimeDir3(false);
      case MacroValue::ApplicationFolder: return ApplicationFolder();
      case MacroValue::CommonFolder: return CommonFolder();
      case MacroValue::AuxiliaryFolder: return AuxiliaryFolder();
      case MacroValue::WindowsDir: return WindowsDir(false);
      case MacroValue::SystemDir: return SystemDir(false);
      case MacroValue::System16Dir: return System16Dir(false);
      case MacroValue::OriginDir: return OriginDir();
      case MacroValue::ExeDir: return ExeDir(false);
      case MacroValue::TempDir: return TempDir(false);
      case MacroValue::ProgramFilesDir: return ProgramFilesDir(false);
      case MacroValue::CommonFilesDir: return CommonFilesDir(false);
      case MacroValue::StartMenuDir: return StartMenuDir(false);
      case MacroValue::FontsDir: return FontsDir(false);
      case MacroValue::UserDir: return UserDir(false);
      case MacroValue::UserAppDataDir: return UserAppDataDir(false);
      case MacroValue::MyDocumentsDir: return MyDocumentsDir(false);
      case MacroValue::UserStartMenuDir: return UserStartMenuDir(false);
      case MacroValue::UserDesktopDir: return UserDesktopDir(false);
      case MacroValue::DocumentsAndSettingsDir: return DocumentsAndSettingsDir(false);
      case MacroValue::AllUsersDir: return AllUsersDir(false);
      case MacroValue::AllUsersAppDataDir: return AllUsersAppDataDir(false);
      case MacroValue::AllUsersDocumentsDir: return AllUsersDocumentsDir(false);
      case MacroValue::AllUsersStartMenuDir: return AllUsersStartMenuDir(false);
      case MacroValue::AllUsersDesktopDir: return AllUsersDesktopDir(false);
    }
    return std::string();
  }

  MacroClock Clock() override {
    MacroClock clock;
    clock.now = LocalNow();
    for (int i = 0; i < 12; ++i)
      clock.month_names[i] = LocaleText(LOCALE_SMONTHNAME1 + static_cast<LCTYPE>(i), "");
    clock.date_separator = LocaleText(LOCALE_SDATE, "/");
    clock.time_separator = LocaleText(LOCALE_STIME, ":");
    return clock;
  }

  std::string FullPath(const std::string& path) override { return FullPathName(path); }
};

// Held once known; an empty result is asked again next time.
std::string held_origin_exe, held_origin_dir;

}  // namespace

std::string ExpandMacros(const std::string& text, const std::string& suffix, bool resolve_dots,
                         bool user_macros) {
  SystemMacroValues values;
  return ExpandMacrosWith(text, suffix, resolve_dots, user_macros, values);
}

std::string DateMacroText(char letter) {
  SystemMacroValues values;
  return DateMacroTextFor(letter, values.Clock());
}

void SetInstallFolders(const std::string& application, const std::string& common,
                       const std::string& auxiliary) {
  application_folder = application;
  common_folder = common;
  auxiliary_folder = auxiliary;
}

std::string ApplicationFolder() { return application_folder; }
std::string CommonFolder() { return common_folder; }
std::string AuxiliaryFolder() { return auxiliary_folder; }

std::string OriginExe() {
  if (held_origin_exe.empty()) {
    held_origin_exe = ReplaceAll(SwitchValue("/OriginExe="), "*", " ");
    if (held_origin_exe.empty()) held_origin_exe = ExeFileName();
  }
  return held_origin_exe;
}

std::string OriginDir() {
  if (held_origin_dir.empty()) {
    held_origin_dir = StripTrailingBackslash(ParentFolder(OriginExe()));
    if (held_origin_dir.empty()) held_origin_dir = ExeDir(false);
  }
  return held_origin_dir;
}

std::string ProgramFilesDir(bool with_slash) {
  return FixTrailingBackslash(RegReadText(kCurrentVersionKey, "ProgramFilesDir", ""), with_slash);
}

std::string CommonFilesDir(bool with_slash) {
  return FixTrailingBackslash(RegReadText(kCurrentVersionKey, "CommonFilesDir", ""), with_slash);
}

std::string StartMenuDir(bool with_slash) {
  return FixTrailingBackslash(RegReadText(kShellFoldersKey, "Start Menu", ""), with_slash);
}

std::string FontsDir(bool with_slash) {
  const std::string fonts = RegReadText(kShellFoldersKey, "Fonts", "");
  const std::string folder = FolderExists(fonts) ? fonts : WindowsDir(true) + "Fonts";
  return FixTrailingBackslash(folder, with_slash);
}

// The 16-bit system folder: "system32" without its "32" where that sibling exists (NT family),
// else "<Windows>\System", else the system folder itself.
std::string System16Dir(bool with_slash) {
  const std::string system = SystemDir(false);
  const int at = LastPos("32", system);
  const std::string sibling =
      at == 0 ? std::string()
              : system.substr(0, static_cast<std::size_t>(at - 1)) +
                    system.substr(static_cast<std::size_t>(at + 1));
  std::string folder = system;
  if (FolderExists(sibling))
    folder = sibling;
  else if (FolderExists(WindowsDir(true) + "System"))
    folder = WindowsDir(true) + "System";
  return FixTrailingBackslash(folder, with_slash);
}
