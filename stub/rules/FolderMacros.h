// Folder macros of the Global unit, the text rules: "<InstallDir>", "<WinSysDir>", "<Date=6>"
// and the other names in angle brackets, expanded against values that a MacroValues supplies.
// Pure code (no <windows.h>): Global.h gives the system's values, tests give fixed ones.
#pragma once

#include <string>

#include "text/UtilsText.h"

// The values a macro can stand for. Folders come without a final backslash.
enum class MacroValue {
  // names
  LoggedUserName, OwnerUserName, OwnerCompanyName, ComputerName, CurrentDomainName,
  // folders
  RunTimeDir1, RunTimeDir2, RunTimeDir3,
  ApplicationFolder, CommonFolder, AuxiliaryFolder,
  WindowsDir, SystemDir, System16Dir, OriginDir, ExeDir, TempDir,
  ProgramFilesDir, CommonFilesDir, StartMenuDir, FontsDir,
  UserDir, UserAppDataDir, MyDocumentsDir, UserStartMenuDir, UserDesktopDir,
  DocumentsAndSettingsDir, AllUsersDir, AllUsersAppDataDir, AllUsersDocumentsDir,
  AllUsersStartMenuDir, AllUsersDesktopDir,
};

// The date, time and locale facts of the date macro.
struct MacroClock {
  DateTimeValue now;
  std::string month_names[12];  // full names of the user's locale, January first
  std::string date_separator = "/";
  std::string time_separator = ":";
};

class MacroValues {
 public:
  virtual ~MacroValues() = default;
  virtual std::string Value(MacroValue which) = 0;
  virtual MacroClock Clock() = 0;
  // The system's full path of a relative path, "." and ".." resolved against the current folder.
  virtual std::string FullPath(const std::string& path) = 0;
};

// The macro replaced by value (+ suffix) everywhere, without regard to case. The suffix is left
// off when the macro ends the text, is followed by a space, or is followed by the delimiter of
// the delimited list that the text is.
std::string ReplaceFolderMacro(const std::string& text, const std::string& macro,
                               const std::string& value, const std::string& suffix);

// The date in the format of a date macro's letter ('#', '0'..'7'); "" for any other letter.
std::string DateMacroTextFor(char letter, const MacroClock& clock);
// Whole days from 1 January 2000 00:00 to the moment (negative before it).
long long DaysSince2000(const DateTimeValue& when);

// Every known macro of the text expanded: dates, names, then folders in their fixed order, the
// suffix appended to folder values by ReplaceFolderMacro's rule; doubled backslashes collapsed
// when a folder was inserted; with resolve_dots, "." and ".." segments resolved. Values are
// asked only for macros that occur. Unknown macros stay as they are.
std::string ExpandMacrosWith(const std::string& text, const std::string& suffix,
                             bool resolve_dots, bool user_macros, MacroValues& values);
