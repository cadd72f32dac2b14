// Write pieces, free-space arithmetic, drive roots and the choice of a temporary drive.
#include "rules/FileRules.h"

#include <gtest/gtest.h>

TEST(FileRules, WritePiecesAreATenthOfLargeDataAtMostOneMebibyte) {
  struct Case {
    std::size_t total, piece, pieces;  // pieces including the short last one
  };
  for (const Case& c :
       {Case{0, 0, 0}, Case{1, 1, 1}, Case{1048576, 1048576, 1}, Case{1048577, 104857, 11},
        Case{3145728, 314572, 11}, Case{3145720, 314572, 10}, Case{20971520, 1048576, 20},
        Case{20971521, 1048576, 21}}) {
    const std::size_t piece = WritePieceSize(c.total);
    EXPECT_EQ(piece, c.piece) << c.total;
    const std::size_t pieces = piece == 0 ? 0 : (c.total + piece - 1) / piece;
    EXPECT_EQ(pieces, c.pieces) << c.total;
  }
  // 3 MiB: ten pieces of 314 572 bytes and a last one of 8.
  EXPECT_EQ(3145728 - 10 * WritePieceSize(3145728), 8u);
  EXPECT_EQ(1048577 - 10 * WritePieceSize(1048577), 7u);
}

TEST(FileRules, FirstPieceOfANameCreatesLaterPiecesAppend) {
  ExtractedNames run;
  EXPECT_FALSE(run.Seen("Tolvane.exe"));
  EXPECT_EQ(run.ModeFor("Tolvane.exe"), WriteMode::Create);
  EXPECT_TRUE(run.Seen("TOLVANE.EXE"));
  EXPECT_EQ(run.ModeFor("data.bin"), WriteMode::Create);
  EXPECT_EQ(run.ModeFor("TOLVANE.exe"), WriteMode::Append);  // same file for the system
  EXPECT_EQ(run.ModeFor("data.bin"), WriteMode::Append);
  ExtractedNames next_run;  // a new run truncates again
  EXPECT_EQ(next_run.ModeFor("Tolvane.exe"), WriteMode::Create);
}

TEST(FileRules, ClassicFreeSpaceDoesNotWrapAboveFourGibibytes) {
  EXPECT_EQ(ClassicFreeBytes(8, 512, 0), 0.0);
  EXPECT_EQ(ClassicFreeBytes(8, 512, 1000), 4096000.0);
  // 64 KiB clusters, 2^20 of them free: 64 GiB, far past what 32 bits hold.
  EXPECT_EQ(ClassicFreeBytes(128, 512, 1u << 20), 68719476736.0);
  EXPECT_EQ(ClassicFreeBytes(0xFFFFFFFFu, 0xFFFFFFFFu, 1), 18446744065119617025.0);
}

TEST(FileRules, DriveRootsAndQueryPaths) {
  EXPECT_EQ(DriveRootOf("c:\\temp\\x"), "C:\\");
  EXPECT_EQ(DriveRootOf("Z:"), "Z:\\");
  EXPECT_EQ(DriveRootOf("\\\\server\\share"), "");
  EXPECT_EQ(DriveRootOf("1:\\"), "");
  EXPECT_EQ(DriveRootOf(""), "");
  EXPECT_EQ(FreeSpaceQueryPath("d:"), "D:\\");
  EXPECT_EQ(FreeSpaceQueryPath("C:\\Users\\x"), "C:\\Users\\x");
  EXPECT_EQ(DriveDeviceOf("e:\\setup.exe"), "\\\\.\\E:");
  EXPECT_EQ(DriveDeviceOf("\\\\.\\x"), "");
}

TEST(FileRules, SpaceIsShortWhenNeededReachesFree) {
  EXPECT_TRUE(SpaceIsShort(100, 100));
  EXPECT_TRUE(SpaceIsShort(101, 100));
  EXPECT_FALSE(SpaceIsShort(99, 100));
  EXPECT_TRUE(SpaceIsShort(0, 0));  // an unknown free space (0) is short
}

TEST(FileRules, NameWithoutExt) {
  EXPECT_EQ(NameWithoutExt("C:\\a.b\\setup.exe", NoLeadBytes), "setup");
  EXPECT_EQ(NameWithoutExt("setup", NoLeadBytes), "setup");
  EXPECT_EQ(NameWithoutExt("C:\\x\\a.tar.gz", NoLeadBytes), "a.tar");
  EXPECT_EQ(NameWithoutExt("C:\\x\\", NoLeadBytes), "");
  // 0x95 0x5C is one GBK character: the name is not cut after its second byte.
  EXPECT_EQ(NameWithoutExt("C:\\x\\\x95\x5C"
                           "a.exe",
                           GbkLeadByte),
            "\x95\x5C"
            "a");
  EXPECT_EQ(NameWithoutExt("C:\\x\\\x95\x5C"
                           "a.exe",
                           NoLeadBytes),
            "a");
}

TEST(FileRules, BestTempDriveTakesTheLargestNotedSpaceEarlierOnTies) {
  EXPECT_EQ(BestTempDrive('C', {}), 'C');
  EXPECT_EQ(BestTempDrive('C', {{'C', 0}, {'D', 0}}), 'C');
  EXPECT_EQ(BestTempDrive('C', {{'C', 5e9}, {'D', 9e9}, {'E', 1e9}}), 'D');
  EXPECT_EQ(BestTempDrive('C', {{'D', 9e9}, {'E', 9e9}}), 'D');
  EXPECT_EQ(BestTempDrive('E', {{'C', 2e9}, {'D', 1e9}}), 'C');
  EXPECT_EQ(BestTempDrive('c', {{'d', 1}}), 'D');
  EXPECT_EQ(TempBaseOn('d', false), "D:\\TEMP");
  EXPECT_EQ(TempBaseOn('D', true), "D:\\TEMP\\TEMP");
}
