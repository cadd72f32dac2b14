// Folder macros against fixed values: the name, folder and date tables, the suffix rule, the
// clean-up of backslashes and the resolution of "." and ".." segments.
#include "rules/FolderMacros.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

class FixedValues : public MacroValues {
 public:
  FixedValues() {
    values[MacroValue::LoggedUserName] = "logon";
    values[MacroValue::OwnerUserName] = "Owner";
    values[MacroValue::OwnerCompanyName] = "Firm";
    values[MacroValue::ComputerName] = "BOX";
    values[MacroValue::CurrentDomainName] = "DOMAIN";
    values[MacroValue::ApplicationFolder] = "C:\\Apps\\Tolvane";
    values[MacroValue::CommonFolder] = "C:\\Common";
    values[MacroValue::AuxiliaryFolder] = "D:\\Aux";
    values[MacroValue::WindowsDir] = "C:\\WINDOWS";
    values[MacroValue::SystemDir] = "C:\\WINDOWS\\system32";
    values[MacroValue::System16Dir] = "C:\\WINDOWS\\system";
    values[MacroValue::OriginDir] = "E:\\Setup";
    values[MacroValue::ExeDir] = "C:\\Apps\\Tolvane";
    values[MacroValue::TempDir] = "C:\\Temp";
    values[MacroValue::ProgramFilesDir] = "C:\\Program Files";
    values[MacroValue::UserDir] = "C:\\users\\logon";
    values[MacroValue::AllUsersDesktopDir] = "C:\\users\\Public\\Desktop";
    clock.now = DateTimeValue{2006, 3, 5, 8, 50, 4};
    const char* months[12] = {"January", "February", "March", "April", "May", "June", "July",
                              "August", "September", "October", "November", "December"};
    for (int i = 0; i < 12; ++i) clock.month_names[i] = months[i];
    clock.date_separator = ".";
    clock.time_separator = ":";
  }
  std::string Value(MacroValue which) override {
    asked.insert(which);
    auto it = values.find(which);
    return it == values.end() ? std::string() : it->second;
  }
  MacroClock Clock() override { return clock; }
  std::string FullPath(const std::string& path) override { return "FULL(" + path + ")"; }

  std::map<MacroValue, std::string> values;
  std::set<MacroValue> asked;
  MacroClock clock;
};

std::string Expand(const std::string& text, FixedValues& values, bool resolve_dots = false) {
  return ExpandMacrosWith(text, "\\", resolve_dots, true, values);
}

struct Case {
  const char* text;
  const char* expected;
};

TEST(FolderMacros, NameTable) {
  FixedValues values;
  const Case cases[] = {
      {"<LoggedUserName>", "logon"},
      {"<username> of <CompanyName>", "Owner of Firm"},  // any case, every occurrence
      {"<ComputerName>-<ComputerName>", "BOX-BOX"},
      {"<CurrentDomainName>\\x", "DOMAIN\\x"},          // names get no suffix
      {"[<EnteredUserName><EnteredCompanyName><VendorCompanyName>]", "[]"},
      {"[<ProjectName><ProgramDescriptiveName><ProgramVersion>]", "[]"},
  };
  for (const Case& c : cases) EXPECT_EQ(Expand(c.text, values), c.expected) << c.text;
}

TEST(FolderMacros, FolderTableAndSuffixRule) {
  FixedValues values;
  const Case cases[] = {
      {"<InstallDir>\\app.exe", "C:\\Apps\\Tolvane\\app.exe"},
      {"<InstallDir>app.exe", "C:\\Apps\\Tolvane\\app.exe"},
      {"<INSTALLDIR>", "C:\\Apps\\Tolvane"},
      {"<InstallDir> /x", "C:\\Apps\\Tolvane /x"},  // a space: no suffix
      {"|<WinDir>|<WinSysDir>|", "|C:\\WINDOWS|C:\\WINDOWS\\system32|"},
      {"<WinSys32Dir>\\k.dll", "C:\\WINDOWS\\system32\\k.dll"},
      {"<WinSys16Dir>", "C:\\WINDOWS\\system"},
      {"<System16 Directory>x", "C:\\WINDOWS\\system\\x"},
      {"<Windows Directory>", "C:\\WINDOWS"},
      {"<InstallCommonDir>a", "C:\\Common\\a"},
      {"<InstallAuxDir>a", "D:\\Aux\\a"},
      {"<InstallDrive>x", "C:\\x"},  // drives and disks never take the suffix
      {"<WinDrive>|<WinSysDrive>|<OriginDrive>", "C:\\|C:\\|E:\\"},
      {"<InstallDisk><WinDisk><WinSysDisk><OriginDisk>", "C:C:C:E:"},
      {"<AbsoluteDir>x", "x"},
      {"<ProgramFilesDir>\\Tolvane", "C:\\Program Files\\Tolvane"},
      {"<SrcDir>s.ini", "C:\\Apps\\Tolvane\\s.ini"},
      {"<ServiceDir>", "C:\\Apps\\Tolvane"},
      {"<OriginDir>\\Setup.exe", "E:\\Setup\\Setup.exe"},
      {"<TempDir>\\\\t", "C:\\Temp\\t"},  // every doubled backslash collapsed
      {"<UserDir>\\a", "C:\\users\\logon\\a"},
      {"<AllUsersDesktopDir>", "C:\\users\\Public\\Desktop"},
      {"<RunTimeDir_1>\\x.exe", "\\\\x.exe"},  // empty folder, the suffix still added
      // the older name before "<InstallDir>" drops the newer one
      {"<Application Folder><InstallDir>x", "C:\\Apps\\Tolvane\\x"},
      {"<Common Folder>", "C:\\Common"},
      {"<Auxiliary Folder>", "D:\\Aux"},
      {"<System Directory>", "C:\\WINDOWS\\system32"},
  };
  for (const Case& c : cases) EXPECT_EQ(Expand(c.text, values), c.expected) << c.text;

  values.values[MacroValue::ApplicationFolder] = "";
  EXPECT_EQ(Expand("<InstallDir>\\app.exe", values), "\\\\app.exe");
}

TEST(FolderMacros, UnknownMacrosAndTextsWithoutMacrosStay) {
  FixedValues values;
  const Case cases[] = {
      {"C:\\a\\\\b", "C:\\a\\\\b"},  // no macro: not even collapsed
      {"<NoSuchDir>\\x", "<NoSuchDir>\\x"},
      {"<NoSuchDir>\\\\x <WinDir>", "<NoSuchDir>\\x C:\\WINDOWS"},
      {"<InstallDir", "<InstallDir"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Expand(c.text, values), c.expected) << c.text;
}

TEST(FolderMacros, ValuesAreAskedOnlyForMacrosThatOccur) {
  FixedValues values;
  EXPECT_EQ(Expand("<WinDir>\\x", values), "C:\\WINDOWS\\x");
  EXPECT_EQ(values.asked, std::set<MacroValue>{MacroValue::WindowsDir});
  values.asked.clear();
  Expand("no macro", values);
  EXPECT_TRUE(values.asked.empty());
}

TEST(FolderMacros, SuffixRule) {
  const Case cases[] = {
      {"<M>", "V"},           {"<M>x", "V\\x"},       {"<M> x", "V x"},
      {"|<M>|", "|V|"},       {",<M>,a,", ",V,a,"},   {"<M>|", "V\\|"},  // not a list
      {"a<M>a", "aV\\a"},     // a letter is no delimiter
      {"<m>x<M>", "V\\xV\\"},  // every occurrence gets the text chosen at the first
      {"x", "x"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReplaceFolderMacro(c.text, "<M>", "V", "\\"), c.expected) << c.text;
}

TEST(FolderMacros, DateMacros) {
  FixedValues values;
  const Case cases[] = {
      {"<Date=6>", "2006-03-05"},
      {"<date=#>", "05.March.2006"},
      {"<Date=0>", "2255"},
      {"<Date=1>", "05-03-06"},
      {"<Date=2>", "03-05-06"},
      {"<Date=3>", "06-03-05"},
      {"<Date=4>", "05-03-2006"},
      {"<Date=5>", "03-05-2006"},
      {"<Date=7>", "2006-03-05 08:50:04"},
      {"<Date=9>", "<Date=9>"},
      {"<Date=6", "<Date=6"},
      {"<Date=12>", "<Date=12>"},  // not a one-letter format: kept, not cut apart
      {"a<Date=6>b<Date=6>", "a2006-03-05b<Date=6>"},  // only the first
      {"<Date=6>\\<WinDir>", "2006-03-05\\C:\\WINDOWS"},
  };
  for (const Case& c : cases) EXPECT_EQ(Expand(c.text, values), c.expected) << c.text;
}

TEST(FolderMacros, DaysSince2000) {
  EXPECT_EQ(DaysSince2000({2000, 1, 1, 0, 0, 0}), 0);
  EXPECT_EQ(DaysSince2000({2000, 1, 1, 23, 59, 59}), 0);
  EXPECT_EQ(DaysSince2000({2000, 3, 1, 0, 0, 0}), 60);  // 2000 is a leap year
  EXPECT_EQ(DaysSince2000({2001, 1, 1, 12, 0, 0}), 366);
  EXPECT_EQ(DaysSince2000({1999, 12, 31, 0, 0, 0}), -1);
}

TEST(FolderMacros, RelativeSegmentsResolved) {
  FixedValues values;
  EXPECT_EQ(Expand("<InstallDir>..\\x.exe", values, true),
            "FULL(C:\\Apps\\Tolvane\\..\\x.exe)");
  EXPECT_EQ(Expand("<InstallDir>..\\x.exe", values, false), "C:\\Apps\\Tolvane\\..\\x.exe");
  EXPECT_EQ(Expand("|a\\..\\b|c|..\\d|", values, true), "|FULL(a\\..\\b)|c|FULL(..\\d)|");
  EXPECT_EQ(Expand(",,a\\..\\b,", values, true), ",,FULL(a\\..\\b),");
  EXPECT_EQ(Expand("plain\\path", values, true), "plain\\path");
  EXPECT_EQ(Expand("|a\\..\\b", values, true), "FULL(|a\\..\\b)");  // no list: the whole text
}

}  // namespace
