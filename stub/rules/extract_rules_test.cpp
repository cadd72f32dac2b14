// The extraction's pure decisions: the inflate budget, the space question, the volume prompt
// and the agent copy's bytes.
#include <gtest/gtest.h>

#include <string>

#include "rules/ExtractRules.h"

TEST(InflateBudget, AllowsTheDeclaredTotalAndTheMarginNoMore) {
  InflateBudget budget(1000);
  EXPECT_EQ(budget.EntryLimit(), 1000 + InflateBudget::kMargin + InflateBudget::kHeaderRoom);
  EXPECT_TRUE(budget.Take(600));
  EXPECT_EQ(budget.EntryLimit(), 400 + InflateBudget::kMargin + InflateBudget::kHeaderRoom);
  EXPECT_TRUE(budget.Take(400 + InflateBudget::kMargin));  // exactly at the limit
  EXPECT_EQ(budget.EntryLimit(), InflateBudget::kHeaderRoom);
  EXPECT_FALSE(budget.Take(1));
  EXPECT_EQ(budget.EntryLimit(), InflateBudget::kHeaderRoom);  // never below the header room
  // A saturated table (4 GiB - 1) still gives a limit, not an overflow.
  InflateBudget big(0xFFFFFFFFu);
  EXPECT_GT(std::uint64_t(big.EntryLimit()), 0xFFFFFFFFull);
}

TEST(SpaceQuestion, AsksOnlyWhenTheArchiveSaysSoOrSpaceIsShort) {
  const SpaceTexts t{"Extract to (<DRIVE>)<P>", "Limited (<DRIVE>)<P>", "Req <SPACE_REQ> MB<P>",
                     "Avail <SPACE_AVAIL> MB<P>", "Continue?"};
  const double mb = 1048576;
  struct Case {
    double needed, free_bytes;
    bool confirm;
    const char* expected;
  };
  const Case cases[] = {
      {5 * mb, 100 * mb, false, ""},
      {5 * mb, 100 * mb, true, "Extract to (C:)<P>Req 5.00 MB<P>Avail 100.0 MB<P>Continue?"},
      // Short space asks even without the flag, and with it starts with the s3 text.
      {100 * mb, 100 * mb, false, "Limited (C:)<P>Req 100.0 MB<P>Avail 100.0 MB<P>Continue?"},
      {200 * mb, 0.5 * mb, true, "Limited (C:)<P>Req 200.0 MB<P>Avail 0.500 MB<P>Continue?"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SpaceQuestionText(t, "c:\\temp\\SETUP_1", c.needed, c.free_bytes, c.confirm),
              c.expected);
}

TEST(DiskPrompt, FillsTheDiskNumberOrLeavesATextWithoutIt) {
  EXPECT_EQ(DiskPromptText("Please insert <B>DISK #<DISK_NUM></B>", 2),
            "Please insert <B>DISK #2</B>");
  EXPECT_EQ(DiskPromptText("<DISK_NUM> of <DISK_NUM>", 12), "12 of 12");
  EXPECT_EQ(DiskPromptText("Next disk, please", 3), "Next disk, please");
}

TEST(AgentCopy, ClearsTheEndMarkerAndAppendsTheAgentTrailer) {
  EXPECT_TRUE(IsAgentSourcePath("C:\\a\\Setup.EXE"));
  EXPECT_TRUE(IsAgentSourcePath("D:\\Setup.exe.001"));
  EXPECT_FALSE(IsAgentSourcePath("D:\\Setup.002"));
  EXPECT_FALSE(IsAgentSourcePath("D:\\Setup.exe.002"));

  std::string head(300, 'h');
  archive::PutU32(reinterpret_cast<std::uint8_t*>(&head[252]), 123456);
  archive::ArchiveTrailer t;
  t.ArchiveMagic = archive::kArchiveMagic;
  t.FilesCount = 26;
  t.ArchiveChecksum = 0xABCD;
  t.TrailerSize = 60;  // a short trailer as read
  const std::string copy = AgentCopyBytes(head, t);
  ASSERT_EQ(copy.size(), 300u + 74u);
  EXPECT_EQ(archive::GetU32(reinterpret_cast<const std::uint8_t*>(copy.data()) + 252), 0u);
  EXPECT_EQ(copy.substr(0, 252), head.substr(0, 252));
  archive::MemorySource src(copy);
  const archive::ArchiveTrailer back = archive::ReadTrailer(src);
  EXPECT_TRUE(back.HasMagic());
  EXPECT_EQ(back.ThisIs_AutoUpdateProg, 1);
  EXPECT_EQ(back.TrailerSize, 74u);
  EXPECT_EQ(back.FilesCount, 26);
  EXPECT_EQ(back.ArchiveChecksum, 0xABCDu);
}
