#include "rules/FolderMacros.h"

#include <cstddef>

namespace {

struct NameRow {
  const char* macro;
  bool has_value;
  MacroValue value;
};

// Macros of names. Those that an installer's dialogs would fill in are empty for the stub.
const NameRow kNames[] = {
    {"<LoggedUserName>", true, MacroValue::LoggedUserName},
    {"<UserName>", true, MacroValue::OwnerUserName},
    {"<CompanyName>", true, MacroValue::OwnerCompanyName},
    {"<ComputerName>", true, MacroValue::ComputerName},
    {"<CurrentDomainName>", true, MacroValue::CurrentDomainName},
    {"<EnteredUserName>", false, {}},
    {"<EnteredCompanyName>", false, {}},
    {"<VendorCompanyName>", false, {}},
    {"<ProjectName>", false, {}},
    {"<ProgramDescriptiveName>", false, {}},
    {"<ProgramVersion>", false, {}},
};

enum class RowKind {
  Folder,          // the value, with the suffix rule
  Empty,           // the empty text, no suffix
  EmptyIfChanged,  // the empty text, only if an earlier folder row changed the text
  Prefix,          // the first `length` characters of the value, no suffix
};

struct FolderRow {
  const char* macro;
  RowKind kind;
  MacroValue value;
  int length;
};

// In the order of replacement: the older names first, so "<InstallDir>" next to one of them
// is dropped (row "EmptyIfChanged") instead of giving the folder twice.
const FolderRow kFolders[] = {
    {"<RunTimeDir_1>", RowKind::Folder, MacroValue::RunTimeDir1, 0},
    {"<RunTimeDir_2>", RowKind::Folder, MacroValue::RunTimeDir2, 0},
    {"<RunTimeDir_3>", RowKind::Folder, MacroValue::RunTimeDir3, 0},
    {"<Application Folder>", RowKind::Folder, MacroValue::ApplicationFolder, 0},
    {"<Common Folder>", RowKind::Folder, MacroValue::CommonFolder, 0},
    {"<Auxiliary Folder>", RowKind::Folder, MacroValue::AuxiliaryFolder, 0},
    {"<Windows Directory>", RowKind::Folder, MacroValue::WindowsDir, 0},
    {"<System Directory>", RowKind::Folder, MacroValue::SystemDir, 0},
    {"<System16 Directory>", RowKind::Folder, MacroValue::System16Dir, 0},
    {"<InstallDir>", RowKind::EmptyIfChanged, {}, 0},
    {"<AbsoluteDir>", RowKind::Empty, {}, 0},
    {"<InstallDir>", RowKind::Folder, MacroValue::ApplicationFolder, 0},
    {"<InstallCommonDir>", RowKind::Folder, MacroValue::CommonFolder, 0},
    {"<InstallAuxDir>", RowKind::Folder, MacroValue::AuxiliaryFolder, 0},
    {"<AbsoluteDir>", RowKind::Empty, {}, 0},
    {"<WinDir>", RowKind::Folder, MacroValue::WindowsDir, 0},
    {"<WinSysDir>", RowKind::Folder, MacroValue::SystemDir, 0},
    {"<WinSys32Dir>", RowKind::Folder, MacroValue::SystemDir, 0},
    {"<WinSys16Dir>", RowKind::Folder, MacroValue::System16Dir, 0},
    {"<InstallDrive>", RowKind::Prefix, MacroValue::ApplicationFolder, 3},
    {"<WinDrive>", RowKind::Prefix, MacroValue::WindowsDir, 3},
    {"<WinSysDrive>", RowKind::Prefix, MacroValue::SystemDir, 3},
    {"<OriginDrive>", RowKind::Prefix, MacroValue::OriginDir, 3},
    {"<InstallDisk>", RowKind::Prefix, MacroValue::ApplicationFolder, 2},
    {"<WinDisk>", RowKind::Prefix, MacroValue::WindowsDir, 2},
    {"<WinSysDisk>", RowKind::Prefix, MacroValue::SystemDir, 2},
    {"<OriginDisk>", RowKind::Prefix, MacroValue::OriginDir, 2},
    {"<ProgramFilesDir>", RowKind::Folder, MacroValue::ProgramFilesDir, 0},
    {"<CommonFilesDir>", RowKind::Folder, MacroValue::CommonFilesDir, 0},
    {"<StartMenuDir>", RowKind::Folder, MacroValue::StartMenuDir, 0},
    {"<FontDir>", RowKind::Folder, MacroValue::FontsDir, 0},
    {"<SrcDir>", RowKind::Folder, MacroValue::ExeDir, 0},
    {"<OriginDir>", RowKind::Folder, MacroValue::OriginDir, 0},
    {"<TempDir>", RowKind::Folder, MacroValue::TempDir, 0},
    {"<ServiceDir>", RowKind::Folder, MacroValue::ExeDir, 0},
    {"<UserDir>", RowKind::Folder, MacroValue::UserDir, 0},
    {"<UserAppDataDir>", RowKind::Folder, MacroValue::UserAppDataDir, 0},
    {"<MyDocumentsDir>", RowKind::Folder, MacroValue::MyDocumentsDir, 0},
    {"<UserStartMenuDir>", RowKind::Folder, MacroValue::UserStartMenuDir, 0},
    {"<UserDesktopDir>", RowKind::Folder, MacroValue::UserDesktopDir, 0},
    {"<DocumentsAndSettingsDir>", RowKind::Folder, MacroValue::DocumentsAndSettingsDir, 0},
    {"<AllUsersDir>", RowKind::Folder, MacroValue::AllUsersDir, 0},
    {"<AllUsersAppDataDir>", RowKind::Folder, MacroValue::AllUsersAppDataDir, 0},
    {"<AllUsersDocumentsDir>", RowKind::Folder, MacroValue::AllUsersDocumentsDir, 0},
    {"<AllUsersStartMenuDir>", RowKind::Folder, MacroValue::AllUsersStartMenuDir, 0},
    {"<AllUsersDesktopDir>", RowKind::Folder, MacroValue::AllUsersDesktopDir, 0},
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Days from 1 January 1970 to the civil date (proleptic Gregorian calendar).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

// Only the first "<Date=" counts. A macro is "<Date=" + letter + ">"; anything else there (a
// second letter before ">", a letter without format) is left as it stands, like any unknown
// macro, instead of cutting the macro apart.
std::string ExpandDate(const std::string& text, const MacroClock& clock) {
  const int at = PosIC("<Date=", text);
  if (at == 0) return text;
  const std::size_t start = static_cast<std::size_t>(at - 1);
  if (start + 7 >= text.size() || text[start + 7] != '>') return text;
  const std::string date = DateMacroTextFor(text[start + 6], clock);
  if (date.empty()) return text;
  return text.substr(0, start) + date + text.substr(start + 8);
}

// Items of a delimited list with "." or ".." segments made full paths; the rest kept as is.
std::string ResolveListItems(const std::string& list, MacroValues& values) {
  const char d = list.front();
  std::string out(1, d);
  std::size_t start = 1;
  for (std::size_t end = list.find(d, start); end != std::string::npos;
       start = end + 1, end = list.find(d, start)) {
    const std::string item = list.substr(start, end - start);
    const bool dotted = Pos("\\..", item) != 0 || Pos("..\\", item) != 0;
    out += (dotted ? values.FullPath(item) : item) + d;
  }
  return out;
}

}  // namespace

std::string ReplaceFolderMacro(const std::string& text, const std::string& macro,
                               const std::string& value, const std::string& suffix) {
  const int at = PosIC(macro, text);
  if (at == 0) return text;
  const std::size_t after = static_cast<std::size_t>(at - 1) + macro.size();
  bool alone = after >= text.size() || text[after] == ' ';
  if (!alone && text.size() >= 2) {
    const char d = text.front();
    alone = d == text.back() && text[after] == d && d != '<' && !IsLetter(d);
  }
  return ReplaceAllIC(text, macro, alone ? value : value + suffix);
}

long long DaysSince2000(const DateTimeValue& when) {
  const long long days = DaysFromCivil(when.year, static_cast<unsigned>(ClampInt(when.month, 1, 12)),
                                       static_cast<unsigned>(ClampInt(when.day, 1, 31))) -
                         DaysFromCivil(2000, 1, 1);
  const long long seconds =
      days * 86400 + when.hour * 3600LL + when.minute * 60LL + when.second;
  return seconds / 86400;  // whole days: truncated toward zero
}

std::string DateMacroTextFor(char letter, const MacroClock& clock) {
  const DateTimeValue& t = clock.now;
  const std::string dd = ZeroPad(t.day, 2), mm = ZeroPad(t.month, 2);
  const std::string yyyy = ZeroPad(t.year, 4), yy = ZeroPad(t.year % 100, 2);
  switch (letter) {
    case '#':
      return dd + clock.date_separator + clock.month_names[ClampInt(t.month, 1, 12) - 1] +
             clock.date_separator + yyyy;
    case '0': return IntText(DaysSince2000(t));
    case '1': return dd + "-" + mm + "-" + yy;
    case '2': return mm + "-" + dd + "-" + yy;
    case '3': return yy + "-" + mm + "-" + dd;
    case '4': return dd + "-" + mm + "-" + yyyy;
    case '5': return mm + "-" + dd + "-" + yyyy;
    case '6': return yyyy + "-" + mm + "-" + dd;
    case '7':
      return yyyy + "-" + mm + "-" + dd + " " + ZeroPad(t.hour, 2) + clock.time_separator +
             ZeroPad(t.minute, 2) + clock.time_separator + ZeroPad(t.second, 2);
    default: return std::string();
  }
}

// user_macros: the pass over user-defined macros has nothing to do, this system defines none.
std::string ExpandMacrosWith(const std::string& text, const std::string& suffix,
                             bool resolve_dots, bool /*user_macros*/, MacroValues& values) {
  std::string out = text;
  if (Pos("<", out) != 0) {
    if (PosIC("<Date=", out) != 0) out = ExpandDate(out, values.Clock());
    for (const NameRow& row : kNames)
      if (PosIC(row.macro, out) != 0)
        out = ReplaceAllIC(out, row.macro, row.has_value ? values.Value(row.value) : "");

    const std::string before_folders = out;
    for (const FolderRow& row : kFolders) {
      if (row.kind == RowKind::EmptyIfChanged) {
        if (out != before_folders) out = ReplaceAllIC(out, row.macro, "");
        continue;
      }
      if (PosIC(row.macro, out) == 0) continue;  // values are asked only when needed
      switch (row.kind) {
        case RowKind::Folder:
          out = ReplaceFolderMacro(out, row.macro, values.Value(row.value), suffix);
          break;
        case RowKind::Empty:
          out = ReplaceAllIC(out, row.macro, "");
          break;
        case RowKind::Prefix:
          out = ReplaceAllIC(out, row.macro,
                             values.Value(row.value).substr(0, static_cast<std::size_t>(row.length)));
          break;
        case RowKind::EmptyIfChanged:
          break;
      }
    }
    if (out != before_folders) out = CollapseBackslashes(out, false, CurrentLeadByteTest());
  }

  if (resolve_dots && (Pos("\\..", out) != 0 || Pos("..\\", out) != 0)) {
    if ((out.front() == ',' || out.front() == '|') && ListItemCount(out) >= 1)
      out = ResolveListItems(out, values);
    else
      out = values.FullPath(out);
  }
  return out;
}
