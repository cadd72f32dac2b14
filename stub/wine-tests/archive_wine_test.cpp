// Under Wine: the linked and moved WexlinStub image runs, reads its own archive written at test
// time by the builder's Windows build (a sound one ends by itself, a damaged or missing one shows
// the checksum box), and SpaceNeededFor asks the C: drive.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ArchiveWriter.h"
#include "BoxDriver.h"
#include "format/ArchiveFormat.h"
#include "format/GFileInfo.h"
#include "format/archive_test_files.h"
#include "wine_process.h"

namespace {

std::string g_stub;  // the WexlinStub image, as a Windows path

std::string TempDir() {
  char buffer[MAX_PATH];
  const DWORD n = GetTempPathA(MAX_PATH, buffer);
  std::string dir =
      std::string(buffer, n) + "archive_wine_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir + "\\";
}

// Runs the stub, which must show its checksum error box ("s7", default texts); answers it and
// returns the stub's exit code.
long RunAnsweringChecksumBox(const std::string& exe) {
  ChildProcess stub(exe, "/hide");  // hidden: no space question comes first
  const HWND box = box_driver::FindBox("WMsgBox", 20000);
  if (!box) return -1;
  const box_driver::BoxInfo info = box_driver::ReadBox(box, false);
  EXPECT_EQ(info.caption, "Error");
  EXPECT_EQ(info.text.compare(0, 8, "Bad CRC!"), 0) << info.text;
  if (info.buttons.empty()) return -1;
  box_driver::PressButton(info, info.buttons[0].window, box_driver::PressWay::Command);
  return stub.WaitEnd(20000) ? stub.ExitCode() : -1;
}

pack::PackOptions Options() {
  pack::PackOptions o;
  o.stub_path = g_stub;
  o.seed = 3;
  o.flags = archive::kFlagConfirmExtract;
  o.write_agent = true;
  o.update.update_file = "Tolvane.dat";
  o.update.agent_exe = "TolvaneAU.exe";
  o.update.token = "wine-token";
  o.download = pack::DownloadInfo{"http://127.0.0.1/", "Setup.exe", true, "dl", {}, "42"};
  // No program and not marked "*": the job extracts it (and the agent copy) and ends.
  pack::PackEntry setup;
  setup.name = "Setup.exe";
  setup.data = std::string(100000, 's');
  pack::PackEntry data;
  data.name = "00000#dm.tz";
  data.data = "309\r\n";
  o.entries = {setup, data};
  return o;
}

}  // namespace

TEST(StubImage, HasItsPeHeaderAt256AndRuns) {
  const std::string image = ReadFile(g_stub);
  ASSERT_GT(image.size(), 1024u);
  EXPECT_TRUE(IsExecutableImage(g_stub));
  EXPECT_EQ(archive::GetU32(reinterpret_cast<const std::uint8_t*>(image.data()) + 0x3C), 256u);
  EXPECT_EQ(archive::GetU32(reinterpret_cast<const std::uint8_t*>(image.data()) + 252), 0u);
  EXPECT_FALSE(ReadTrailer(g_stub).HasMagic());
  // The moved image starts; without an archive it shows the checksum error and ends with 0.
  EXPECT_EQ(RunAnsweringChecksumBox(g_stub), 0);
}

TEST(StubImage, ReadsItsOwnArchive) {
  const std::string dir = TempDir();
  const std::string packed = dir + "Setup.exe";
  const pack::PackResult result = pack::WriteArchive(Options(), packed);
  ASSERT_EQ(result.volumes.size(), 1u);

  const TGFileInfo info(packed);
  EXPECT_TRUE(info.Trailer.HasMagic());
  EXPECT_EQ(info.Trailer.FilesCount, 2);
  EXPECT_TRUE(info.ConfirmExtract());
  EXPECT_TRUE(info.WriteAgent());
  EXPECT_EQ(info.UpdateToken(true), "wine-token");
  EXPECT_EQ(info.InfoFileName(), "Tolvane.info");
  EXPECT_EQ(info.AgentExeName(), "TolvaneAU.exe");
  EXPECT_EQ(info.DownloadSize(), "42");
  EXPECT_EQ(info.Trailer.DataOffset - 4 * 3 -
                std::int32_t(info.Languages.size() + info.Info.size() + info.Download.size()),
            std::int32_t(ReadFile(g_stub).size()));
  EXPECT_EQ(RunProgram(packed, "/hide"), 0);  // hidden: no space question

  // One damaged byte inside the entries: the stub finds the checksum wrong and says so.
  std::string bytes = ReadFile(packed);
  bytes[std::size_t(info.Trailer.DataOffset) + 20] ^= 0x01;
  WriteFile(packed, bytes);
  EXPECT_EQ(RunAnsweringChecksumBox(packed), 0);
  DeleteFileA(packed.c_str());
  RemoveDirectoryA(dir.c_str());
}

TEST(SpaceNeededFor, UsesTheClusterSizeOfDriveC) {
  const std::uint64_t cluster = ClusterSize("C:\\windows");
  ASSERT_GT(cluster, 0u);
  EXPECT_EQ(cluster & (cluster - 1), 0u) << cluster;  // a power of two
  const std::string dir = TempDir();
  const std::string packed = dir + "space.exe";
  pack::PackOptions o = Options();
  o.entries[1].data = std::string(1, 'x');  // rounds differently for every cluster size
  pack::WriteArchive(o, packed);
  const TGFileInfo info(packed);
  const double expected = info.Trailer.SpaceNeeded[archive::SpaceSlotForCluster(cluster)];
  EXPECT_EQ(info.SpaceNeededFor("C:\\windows\\temp"), expected);
  EXPECT_NE(info.Trailer.SpaceNeeded[0], info.Trailer.SpaceNeeded[1]);
  // A drive that does not exist cannot be queried: the exact total.
  for (char letter = 'Y'; letter > 'M'; --letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) != DRIVE_NO_ROOT_DIR) continue;
    EXPECT_EQ(ClusterSize(root), 0u);
    EXPECT_EQ(info.SpaceNeededFor(root + "x"), double(info.Trailer.SpaceNeeded[0]));
    break;
  }
  DeleteFileA(packed.c_str());
  RemoveDirectoryA(dir.c_str());
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: archive_wine_test WEXLINSTUB_EXE\n");
    return 2;
  }
  g_stub = WindowsPath(argv[1]);
  QuickStubPace();
  return RUN_ALL_TESTS();
}
