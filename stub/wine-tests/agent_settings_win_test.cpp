// The agent's settings and info files beside the program: defaults without files, round trips
// of the keys the agent writes, yes/no texts and the override slots.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "app/AgentSettings.h"
#include "app/StubState.h"
#include "win/Utils.h"

namespace {

// The own information list names "TestAgent.info"; both files are removed before and after.
class AgentFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    OwnInfo = std::make_unique<TGFileInfo>(std::string("no such file"));
    OwnInfo->Info = "|http://127.0.0.1/|TestAgent.info|TestAgentAU.exe||0|";
    Remove();
  }
  void TearDown() override {
    Remove();
    for (int slot = 0; slot < 6; ++slot) SetOverrideSlot(slot, 255);
    OwnInfo.reset();
  }
  static void Remove() {
    DeleteFileA(LocalSettingsPath().c_str());
    SetFileAttributesA(InfoFilePath().c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(InfoFilePath().c_str());
  }
  static void WriteInfo(const std::string& text) {
    std::ofstream(InfoFilePath(), std::ios::binary) << text;
  }
};

TEST_F(AgentFiles, BothFilesLieBesideTheProgramUnderItemOne) {
  EXPECT_EQ(LocalSettingsPath(), ExeDir(true) + "TestAgent.original");
  EXPECT_EQ(InfoFilePath(), ExeDir(true) + "TestAgent.info");
  // A path in item 1 keeps only its file name.
  OwnInfo->Info = "|http://x/|C:\\elsewhere\\Other.dat|A.exe|";
  EXPECT_EQ(LocalSettingsPath(), ExeDir(true) + "Other.original");
  // No information list at all: no file, every getter gives its default and nothing is written.
  OwnInfo->Info.clear();
  EXPECT_EQ(LocalSettingsPath(), "");
  OriginalSetup::SetStamp(5);
  EXPECT_EQ(OriginalSetup::Stamp(), 0);
}

TEST_F(AgentFiles, WithoutFilesEveryGetterGivesItsDefault) {
  EXPECT_EQ(OriginalSetup::VersionOriginal(), 0);
  EXPECT_EQ(OriginalSetup::ProbeSecondsInterval(), 0);
  EXPECT_EQ(OriginalSetup::ProgramName(), "");
  EXPECT_EQ(MsgBox::BtnText(), "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|");
  EXPECT_EQ(MsgBox::Error(), "Error");
  EXPECT_EQ(MsgBox::Confirm(), "Confirm");
  EXPECT_EQ(MsgBox::Attention(), "Attention");
  EXPECT_EQ(MsgBox::FontName(), "Tahoma");
  EXPECT_EQ(MsgBox::FontSize(), 8);
  EXPECT_EQ(MsgBox::CharSet(), 0);
  EXPECT_EQ(AgentText("s3", "File Download Aborted!"), "File Download Aborted!");
  EXPECT_EQ(AgentText("s22", ""), "");
  EXPECT_FALSE(NewSetup::RequestConfirmationBeforeDownload());
  EXPECT_EQ(AutoInform::AutoInformW(), 360);
  EXPECT_EQ(AutoInform::AutoInformH(), 360);
  EXPECT_EQ(General::AutoInform(), 0);
}

TEST_F(AgentFiles, WrittenKeysReadBackAndTimesCarryTheirText) {
  OriginalSetup::SetVersionOriginal(-7);
  OriginalSetup::SetStamp(2147483647);
  OriginalSetup::SetProbeSecondsInterval(-1);
  OriginalSetup::SetReAskSecondsInterval(86400LL * 400);
  const std::int64_t when = AgentSeconds({2006, 4, 8, 8, 50, 34});
  OriginalSetup::SetProbeSecondsLast(when);
  OriginalSetup::SetReAskSecondsLast(when + 10000000000LL);  // past 32 bits
  EXPECT_EQ(OriginalSetup::VersionOriginal(), -7);
  EXPECT_EQ(OriginalSetup::Stamp(), 2147483647);
  EXPECT_EQ(OriginalSetup::ProbeSecondsInterval(), -1);
  EXPECT_EQ(OriginalSetup::ReAskSecondsInterval(), 86400LL * 400);
  EXPECT_EQ(OriginalSetup::ProbeSecondsLast(), when);
  EXPECT_EQ(OriginalSetup::ReAskSecondsLast(), when + 10000000000LL);
  const std::string file = LocalSettingsPath();
  EXPECT_EQ(IniReadText(file, "OriginalSetup", "__ProbeSecondsLast", ""),
            "08-APR-2006  08:50:34");
  EXPECT_NE(IniReadText(file, "OriginalSetup", "__ReAskSecondsLast", ""), "");
  // Read at every use: a change by someone else shows at once.
  IniWriteText(file, "OriginalSetup", "VersionOriginal", "12");
  EXPECT_EQ(OriginalSetup::VersionOriginal(), 12);
  IniWriteText(file, "AutoUpdate", "s2", "Kein Netz");
  EXPECT_EQ(AgentText("s2", ""), "Kein Netz");
}

TEST_F(AgentFiles, OnlyTheText1IsYesAndSlotsOverrideFiveKeys) {
  WriteInfo(
      "[NewSetup]\r\nRequestConfirmationBeforeDownload=1\r\nRequestConfirmationBeforeInstall=yes\r\n"
      "BackgroundUpdate=true\r\nInformFinish=1\r\nRestartProcess=0\r\nVersionNew=4294967301\r\n"
      "[General]\r\nAutoInform=1\r\n");
  EXPECT_TRUE(NewSetup::RequestConfirmationBeforeDownload());
  EXPECT_FALSE(NewSetup::RequestConfirmationBeforeInstall());
  EXPECT_FALSE(NewSetup::BackgroundUpdate());
  EXPECT_TRUE(NewSetup::InformFinish());
  EXPECT_EQ(NewSetup::VersionNew(), 5);  // low 32 bits
  EXPECT_EQ(General::AutoInform(), 1);
  SetOverrideSlot(1, 0);
  EXPECT_FALSE(NewSetup::RequestConfirmationBeforeDownload());
  SetOverrideSlot(1, 255);
  EXPECT_TRUE(NewSetup::RequestConfirmationBeforeDownload());
  ApplyOverrideList("|1|2|1|1|0|1|");
  EXPECT_EQ(OverrideListText(), "|1|2|1|1|0|1|");
  EXPECT_FALSE(NewSetup::RequestConfirmationBeforeDownload());  // 2 is no
  EXPECT_TRUE(NewSetup::RequestConfirmationBeforeInstall());
  EXPECT_TRUE(NewSetup::BackgroundUpdate());
  EXPECT_FALSE(NewSetup::InformFinish());
  EXPECT_TRUE(NewSetup::RestartProcess());
}

TEST_F(AgentFiles, AgentTimeIsTheLocalClock) {
  const std::int64_t before = SecondsNow();
  const std::int64_t local = AgentSeconds(LocalNow());
  EXPECT_LE(before, local);
  EXPECT_LE(local - before, 2);
  // Some time after 2020 and before 2100.
  EXPECT_GT(before, AgentSeconds({2020, 1, 1, 0, 0, 0}));
  EXPECT_LT(before, AgentSeconds({2100, 1, 1, 0, 0, 0}));
}

}  // namespace
