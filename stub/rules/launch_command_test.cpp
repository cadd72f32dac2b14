// The setup program's command line, atom and window class as the stub makes them.
#include "rules/LaunchCommand.h"

#include <gtest/gtest.h>

TEST(LaunchCommand, NamesCarryTheThreadToken) {
  EXPECT_EQ(ThreadToken(1234), "_1234");
  EXPECT_EQ(ThreadToken(4294967295u), "_4294967295");
  EXPECT_EQ(SuccessAtomName("_1234"), "AutoUpdateAtomTokenByWexlin_1234");
  EXPECT_EQ(SetupDialogClass("_1234"), ".SDialog_Class_Name._1234");
}

TEST(LaunchCommand, SetupEntryWithAndWithoutExtraText) {
  struct Case {
    const char *entry, *received, *name, *text;
  };
  for (const Case& c :
       {Case{"Setup.exe", "", "Setup.exe", ""}, Case{"Setup.exe", "/X", "Setup.exe", "/X"},
        Case{"Setup.exe*", "/X", "Setup.exe", "/X"}, Case{"Setup.exe*", "", "Setup.exe", ""},
        Case{" Setup.exe * /S  ", "/X", "Setup.exe", "/X /S"},
        Case{"Setup.exe*/Target=D:\\T", "", "Setup.exe", "/Target=D:\\T"},
        Case{"Setup.exe*a*b", "", "Setup.exe", "a*b"}}) {
    const SetupProgram p = SplitSetupEntry(c.entry, c.received, NoLeadBytes);
    EXPECT_EQ(p.name, c.name) << c.entry;
    EXPECT_EQ(p.command_text, c.text) << c.entry;
    EXPECT_EQ(p.unsafe_reason, "") << c.entry;
  }
  // The program is started from the extraction folder only: a name that leaves it is refused.
  for (const char* entry : {"..\\x.exe*", "C:\\Windows\\x.exe", "*", "a\\b.exe*/S"})
    EXPECT_NE(SplitSetupEntry(entry, "", NoLeadBytes).unsafe_reason, "") << entry;
}

TEST(LaunchCommand, StarEntryWithSwitchXGetsXBeforeTheThreadId) {
  const SetupProgram p = SplitSetupEntry("Setup.exe*", "/X", NoLeadBytes);
  const std::string path = SetupProgramPath("C:\\TEMP\\SETUP_1\\", p.name, NoLeadBytes);
  EXPECT_EQ(path, "C:\\TEMP\\SETUP_1\\Setup.exe");
  const LaunchLine line = SetupLaunchLine(path, p.command_text, "_77", "C:\\x\\stub.exe", false);
  EXPECT_EQ(line.command_line,
            "C:\\TEMP\\SETUP_1\\Setup.exe /X /TH_ID=_77 /OriginExe=C:\\x\\stub.exe");
  EXPECT_EQ(line.program_path, path);
  EXPECT_EQ(line.parameters, "/X /TH_ID=_77 /OriginExe=C:\\x\\stub.exe");
}

TEST(LaunchCommand, SpacesInTheStubPathBecomeStarsAndAnAgentSaysSo) {
  const LaunchLine line =
      SetupLaunchLine("C:\\T\\Setup.exe", "", "_5", "C:\\My Setups\\set up.exe", true);
  EXPECT_EQ(line.command_line,
            "C:\\T\\Setup.exe /TH_ID=_5 /OriginExe=C:\\My*Setups\\set*up.exe /AutoUpdateProg");
  EXPECT_EQ(OriginExeText("C:\\My Setups\\setup.exe"), "C:\\My*Setups\\setup.exe");
}

TEST(LaunchCommand, ProgramPathWithBlanksIsQuoted) {
  // Unquoted, "C:\Documents and Settings\..." would start "C:\Documents.exe" if one existed.
  const std::string folder = "C:\\Documents and Settings\\u\\Temp\\SETUP_9";
  const std::string path = SetupProgramPath(folder, "Setup.exe", NoLeadBytes);
  EXPECT_EQ(path, folder + "\\Setup.exe");
  const LaunchLine line = SetupLaunchLine(path, "/S", "_1", "C:\\s.exe", false);
  EXPECT_EQ(line.command_line, "\"" + path + "\" /S /TH_ID=_1 /OriginExe=C:\\s.exe");
  EXPECT_EQ(line.program_path, path);
}

TEST(LaunchCommand, FolderEndingInADoubleByteCharacterKeepsIt) {
  // 0x95 0x5C is one GBK character: no backslash is dropped, one is added.
  EXPECT_EQ(SetupProgramPath("C:\\\x95\x5C", "S.exe", GbkLeadByte), "C:\\\x95\x5C\\S.exe");
  EXPECT_EQ(SetupProgramPath("C:\\T\\", "S.exe", GbkLeadByte), "C:\\T\\S.exe");
}
