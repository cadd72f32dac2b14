// The builder's archives read back by the stub's reader: trailers, header blocks, entries,
// checksums, end markers and volumes, compared in full.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "ArchiveLister.h"
#include "ArchiveWriter.h"
#include "format/ArchiveFormat.h"
#include "format/GFileInfo.h"
#include "format/archive_test_files.h"
#include "format/entry_name_cases.h"
#include "text/UtilsText.h"

using namespace archive;

namespace {

const std::string& TempDirectory() {
  static const std::string dir =
      ::testing::TempDir() + "archive_roundtrip_" + std::to_string(getpid());
  return dir;
}

// The folder and its archives (two of them near 50 MiB) go when the tests end.
class TempFolder : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_EQ(std::system(("mkdir -p '" + TempDirectory() + "'").c_str()), 0);
  }
  void TearDown() override { std::system(("rm -rf '" + TempDirectory() + "'").c_str()); }
};
::testing::Environment* const temp_folder = ::testing::AddGlobalTestEnvironment(new TempFolder);

std::string TempPath(const std::string& name) { return TempDirectory() + "/" + name; }

// A stand-in stub image: "MZ", "PE" at 256, some code-like bytes, no archive.
std::string FakeStub(std::size_t size = 3000) {
  std::string b(size, '\0');
  for (std::size_t i = 512; i < size; ++i) b[i] = char(i * 7 + 3);
  b[0] = 'M';
  b[1] = 'Z';
  b[256] = 'P';
  b[257] = 'E';
  return b;
}

struct ReadEntry {
  std::string name, setup_args;
  bool is_setup = false;
  std::uint32_t date = 0;
  std::string data;
};

struct ReadBack {
  std::vector<ReadEntry> entries;            // every entry block of every volume
  std::map<std::string, std::string> files;  // entries of one name joined, as extraction does
  std::vector<bool> checksum_ok;             // per volume
  std::vector<ArchiveTrailer> trailers;
};

// Reads every volume the way the extraction walks them (header blocks counted over volumes).
ReadBack ReadArchive(const std::string& path) {
  ReadBack r;
  int counter = 0;
  int header_blocks = 0;
  const std::string base = VolumeBaseName(path);
  for (int disk = 1;; ++disk) {
    auto file = OpenArchiveSource(disk == 1 ? path : VolumeName(base, disk));
    if (!file) break;
    const ArchiveTrailer t = ReadTrailer(*file);
    r.trailers.push_back(t);
    r.checksum_ok.push_back(
        ChecksumAccepted(ArchiveChecksum(*file, t.TrailerSize), t.ArchiveChecksum));
    if (disk == 1) header_blocks = t.HeaderBlockCount();
    if (t.HasMagic()) {
      std::uint64_t pos = std::uint32_t(t.DataOffset);
      const std::uint64_t end = ArchiveEndOf(*file);
      std::string block;
      while (true) {
        const BlockStatus s = ReadBlock(*file, &pos, end, t.TrailerSize, &block);
        if (s != BlockStatus::Ok) {
          EXPECT_EQ(s, BlockStatus::NoMore);
          break;
        }
        if (++counter <= header_blocks) continue;
        const std::string plain = InflateEntry(block);
        const EntryParts e = SplitEntry(plain);
        if (e.header.empty()) continue;
        ReadEntry re{e.name, e.setup_args, e.is_setup, e.dos_date, plain.substr(e.data_offset)};
        r.files[re.name] += re.data;
        r.entries.push_back(re);
      }
    }
    if (!t.Flag(kFlagSpanVolumes)) break;
  }
  return r;
}

pack::PackOptions BasicOptions() {
  pack::PackOptions o;
  o.stub_bytes = FakeStub();
  o.seed = 1;
  pack::PackEntry setup;
  setup.name = "Setup.exe";
  setup.is_setup = true;
  setup.data = "setup program bytes";
  setup.dos_date = 881348945;
  pack::PackEntry script;
  script.name = "Setup.txt";
  script.data = std::string(5000, 's');
  script.dos_date = 881348945;
  o.entries = {setup, script};
  return o;
}

std::uint64_t Seed() {
  if (const char* s = std::getenv("ARCHIVE_TEST_SEED")) return std::strtoull(s, nullptr, 10);
  return std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
}

}  // namespace

TEST(RoundTrip, FlagsHeaderItemsAndEntriesReadBack) {
  pack::PackOptions o = BasicOptions();
  o.flags = kFlagConfirmExtract | kFlagSpanCd | kFlagShowActivityBar;
  o.internet_setup = o.confirm_download = o.write_agent = o.auto_update_prog = true;
  o.languages = {"|English|s1=Extracting|FontName=Arial|", "|Deutsch|s1=Entpacken|"};
  o.update.url = "http://127.0.0.1/update/";
  o.update.update_file = "Tolvane.dat";
  o.update.agent_exe = "TolvaneAU.exe";
  o.update.token = "0123456789012345678901234567890123456789012345";
  o.update.run_hidden = true;
  o.download =
      pack::DownloadInfo{"http://127.0.0.1/dl/", "Setup.exe", true, "DL-TOKEN", {}, "1048576"};
  o.entries[0].setup_args = "/S";
  const std::string out = TempPath("flags.exe");
  pack::WriteArchive(o, out);

  const TGFileInfo info(out);
  EXPECT_TRUE(info.ConfirmExtract());
  EXPECT_TRUE(info.SpanCd());
  EXPECT_TRUE(info.ShowActivityBar());
  EXPECT_FALSE(info.Trailer.Flag(kFlagSpanVolumes));
  EXPECT_TRUE(info.InternetSetup());
  EXPECT_TRUE(info.ConfirmDownload());
  EXPECT_TRUE(info.WriteAgent());
  EXPECT_TRUE(info.IsAutoUpdateProg());
  EXPECT_EQ(info.Trailer.HeaderBlocks, 3);
  EXPECT_EQ(info.Trailer.Reserved0, 1);
  EXPECT_EQ(info.Trailer.FilesCount, 2);
  EXPECT_EQ(info.Trailer.TrailerSize, 74u);
  EXPECT_EQ(ListItemCount(info.Languages), 2);
  EXPECT_EQ(ListItem(info.Languages, 1, ""), "|Deutsch|s1=Entpacken|");
  EXPECT_EQ(info.UpdateInfoUrl(), "http://127.0.0.1/update/");
  EXPECT_EQ(info.InfoFileName(), "Tolvane.info");
  EXPECT_EQ(info.SettingsFileName(), "Tolvane.original");
  EXPECT_EQ(info.AgentExeName(), "TolvaneAU.exe");
  EXPECT_EQ(info.UpdateToken(true), o.update.token);
  EXPECT_NE(info.UpdateToken(false), o.update.token);
  EXPECT_TRUE(info.RunHidden());
  EXPECT_EQ(info.DownloadUrl(), "http://127.0.0.1/dl/");
  EXPECT_EQ(info.DownloadFileName(), "Setup.exe");
  EXPECT_TRUE(info.DownloadAlways());
  EXPECT_EQ(info.DownloadToken(true), "DL-TOKEN");
  EXPECT_EQ(info.DownloadSize(), "1048576");
  // DataOffset now points at the first entry.
  EXPECT_GT(info.Trailer.DataOffset, std::int32_t(o.stub_bytes.size()));

  const ReadBack r = ReadArchive(out);
  ASSERT_EQ(r.entries.size(), 2u);
  EXPECT_TRUE(r.checksum_ok[0]);
  EXPECT_TRUE(r.entries[0].is_setup);
  EXPECT_EQ(r.entries[0].name, "Setup.exe");
  EXPECT_EQ(r.entries[0].setup_args, "/S");
  EXPECT_EQ(r.entries[0].date, 881348945u);
  EXPECT_EQ(r.entries[0].data, "setup program bytes");
  EXPECT_EQ(r.entries[1].data, o.entries[1].data);
  // Stub bytes are kept, except the end marker at 252.
  const std::string bytes = ReadFile(out);
  EXPECT_EQ(bytes.substr(256, o.stub_bytes.size() - 256), o.stub_bytes.substr(256));
  EXPECT_EQ(GetU32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 252), bytes.size());
  // Every entry starts with the fixed zlib header.
  const std::size_t first = std::size_t(info.Trailer.DataOffset);
  EXPECT_EQ(std::uint8_t(bytes[first + 4]), 0x78);
  EXPECT_EQ(std::uint8_t(bytes[first + 5]), 0x9C);

  // Another file with the same token matches; one with another token or a damaged one not.
  pack::PackOptions same = o;
  same.seed = 99;  // other padding and key, same token
  pack::WriteArchive(same, TempPath("same.exe"));
  EXPECT_NE(TGFileInfo(TempPath("same.exe")).DownloadToken(false), info.DownloadToken(false));
  EXPECT_TRUE(SameDownloadToken(info, TGFileInfo(TempPath("same.exe"))));
  same.download->token = "OTHER";
  pack::WriteArchive(same, TempPath("other.exe"));
  EXPECT_FALSE(SameDownloadToken(info, TGFileInfo(TempPath("other.exe"))));
  same.download->scrambled_token = "damaged";
  pack::WriteArchive(same, TempPath("damaged.exe"));
  EXPECT_FALSE(
      SameDownloadToken(TGFileInfo(TempPath("damaged.exe")), TGFileInfo(TempPath("damaged.exe"))));
}

TEST(RoundTrip, HeaderBlockCountsZeroTwoAndThree) {
  struct Case {
    std::optional<int> field;
    bool download;
    std::size_t entries;
  };
  // A stored 0 reads as 2; a stored 3 without a download block takes the first entry as it.
  const Case cases[] = {{0, false, 2}, {2, false, 2}, {3, true, 2}, {3, false, 1}};
  for (const Case& c : cases) {
    pack::PackOptions o = BasicOptions();
    o.header_blocks_field = c.field;
    if (c.download) o.download = pack::DownloadInfo{"u", "f", false, "t", {}, "9"};
    const std::string out = TempPath("blocks.exe");
    pack::WriteArchive(o, out);
    const TGFileInfo info(out);
    EXPECT_EQ(info.Trailer.HeaderBlocks, *c.field);
    EXPECT_EQ(info.AgentExeName(), ".exe") << *c.field;
    EXPECT_EQ(info.InfoFileName(), ".info");
    EXPECT_EQ(ReadArchive(out).entries.size(), c.entries) << *c.field;
    if (c.entries == 2) {
      EXPECT_EQ(info.DownloadFileName(), c.download ? "f" : "");
    }
  }
  // Three blocks with a download block of length 0: empty text, defaults.
  pack::PackOptions o = BasicOptions();
  o.download_block = "";
  const std::string out = TempPath("empty-download.exe");
  pack::WriteArchive(o, out);
  TGFileInfo info(out);
  EXPECT_EQ(info.Trailer.HeaderBlocks, 3);
  EXPECT_TRUE(info.Download.empty());
  EXPECT_FALSE(info.DownloadAlways());
  EXPECT_EQ(info.DownloadFileName(), "");
}

TEST(RoundTrip, ShortTrailerLeavesLaterFieldsZero) {
  pack::PackOptions o = BasicOptions();
  o.flags = kFlagConfirmExtract;
  o.write_agent = true;
  o.trailer_size = 40;  // ends inside the space table: flags and the rest are not written
  const std::string out = TempPath("short.exe");
  pack::WriteArchive(o, out);
  const TGFileInfo info(out);
  EXPECT_EQ(info.Trailer.TrailerSize, 40u);
  EXPECT_TRUE(info.Trailer.HasMagic());
  EXPECT_FALSE(info.ConfirmExtract());
  EXPECT_FALSE(info.WriteAgent());
  EXPECT_NE(info.Trailer.SpaceNeeded[0], 0u);
  EXPECT_EQ(info.Trailer.SpaceNeeded[3], 0u);
  const ReadBack r = ReadArchive(out);
  EXPECT_TRUE(r.checksum_ok[0]);
  EXPECT_EQ(r.files.at("Setup.txt"), o.entries[1].data);
}

TEST(RoundTrip, WrongMagicMeansNoArchive) {
  pack::PackOptions o = BasicOptions();
  o.download = pack::DownloadInfo{"u", "f", true, "t", {}, "9"};
  o.flags = kFlagConfirmExtract;
  const std::string out = TempPath("magic.exe");
  pack::WriteArchive(o, out);
  std::string bytes = ReadFile(out);
  bytes[bytes.size() - 74 + trailer::kMagic] ^= 0x01;
  WriteFile(out, bytes);
  const TGFileInfo info(out);
  EXPECT_FALSE(info.Trailer.HasMagic());
  EXPECT_TRUE(info.Languages.empty());
  EXPECT_TRUE(info.Info.empty());
  EXPECT_TRUE(info.Download.empty());
  EXPECT_EQ(info.AgentExeName(), "");
  EXPECT_TRUE(ReadArchive(out).entries.empty());
}

TEST(RoundTrip, ArchiveEndPositiveIgnoresAppendedBytes) {
  pack::PackOptions o = BasicOptions();
  const std::string out = TempPath("end.exe");
  pack::WriteArchive(o, out);
  const std::string bytes = ReadFile(out);
  const std::uint32_t stored = TGFileInfo(out).Trailer.ArchiveChecksum;
  WriteFile(out, bytes + std::string(1000, '\x5A') + "tail with its own 74-byte look");
  const TGFileInfo info(out);
  EXPECT_TRUE(info.Trailer.HasMagic());
  EXPECT_EQ(info.Trailer.ArchiveChecksum, stored);
  EXPECT_EQ(ArchiveChecksum(out, info.Trailer.TrailerSize), stored);
  EXPECT_EQ(ReadArchive(out).files.at("Setup.txt"), o.entries[1].data);
  // The head before 512 is not covered when the end marker is set.
  std::string patched = ReadFile(out);
  patched[300] ^= 0x40;
  WriteFile(out, patched);
  EXPECT_EQ(ArchiveChecksum(out, 74), stored);
}

TEST(RoundTrip, ArchiveEndZeroCoversTheHeadAndEndsAtTheFileEnd) {
  pack::PackOptions o = BasicOptions();
  o.write_archive_end = false;
  const std::string out = TempPath("noend.exe");
  pack::WriteArchive(o, out);
  std::string bytes = ReadFile(out);
  EXPECT_EQ(GetU32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 252), 0u);
  const TGFileInfo info(out);
  EXPECT_EQ(ArchiveChecksum(out, 74), info.Trailer.ArchiveChecksum);
  EXPECT_EQ(ReadArchive(out).entries.size(), 2u);
  bytes[300] ^= 0x40;  // covered now
  WriteFile(out, bytes);
  EXPECT_NE(ArchiveChecksum(out, 74), info.Trailer.ArchiveChecksum);
  // Appended bytes hide the trailer: the file is no longer an archive.
  WriteFile(out, ReadFile(out) + std::string(100, '\x01'));
  EXPECT_FALSE(TGFileInfo(out).Trailer.HasMagic());
}

TEST(RoundTrip, ChecksumStopsAboveFiftyMebibytes) {
  pack::PackOptions o = BasicOptions();
  const std::string out = TempPath("big.exe");
  pack::WriteArchive(o, out);
  const std::uint32_t stored = TGFileInfo(out).Trailer.ArchiveChecksum;
  ASSERT_NE(stored, kChecksumAccepted);
  // Bytes after the end marker make the physical file exactly 50 MiB, then one byte more.
  ASSERT_EQ(truncate(out.c_str(), off_t(kChecksumMaxFileSize)), 0);
  EXPECT_EQ(ArchiveChecksum(out, 74), stored);
  ASSERT_EQ(truncate(out.c_str(), off_t(kChecksumMaxFileSize + 1)), 0);
  EXPECT_EQ(ArchiveChecksum(out, 74), kChecksumAccepted);

  // Without the end marker the whole 50 MiB are summed, and a larger archive stores 1234.
  std::mt19937 rng(5);
  std::string noise(kChecksumMaxFileSize - 20000, '\0');
  for (char& c : noise) c = char(rng());
  pack::PackOptions big = BasicOptions();
  big.write_archive_end = false;
  big.level = 0;
  big.entries[1].data = noise;
  pack::WriteArchive(big, out);
  const std::uint64_t size = ReadFile(out).size();
  ASSERT_LT(size, kChecksumMaxFileSize);
  const TGFileInfo below(out);
  EXPECT_EQ(ArchiveChecksum(out, 74), below.Trailer.ArchiveChecksum);
  EXPECT_NE(below.Trailer.ArchiveChecksum, kChecksumAccepted);
  big.entries[1].data += std::string(30000, 'n');
  pack::WriteArchive(big, out);
  ASSERT_GT(ReadFile(out).size(), kChecksumMaxFileSize);
  EXPECT_EQ(TGFileInfo(out).Trailer.ArchiveChecksum, kChecksumAccepted);
  EXPECT_EQ(ReadArchive(out).files.at("Setup.txt"), big.entries[1].data);
}

TEST(RoundTrip, FileSplitOverTwoVolumes) {
  pack::PackOptions o = BasicOptions();
  std::mt19937 rng(3);
  std::string data(60000, '\0');
  for (char& c : data) c = char(rng());  // incompressible, so the cut is needed
  o.entries[1].data = data;
  o.volume_size = 40000;
  const std::string out = TempPath("span.exe");
  const pack::PackResult result = pack::WriteArchive(o, out);
  ASSERT_EQ(result.volumes.size(), 2u);
  EXPECT_EQ(result.volumes[1], out + ".002");
  for (const std::string& v : result.volumes) EXPECT_LE(ReadFile(v).size(), 40000u) << v;
  const ReadBack r = ReadArchive(out);
  ASSERT_EQ(r.trailers.size(), 2u);
  EXPECT_TRUE(r.trailers[0].Flag(kFlagSpanVolumes));
  EXPECT_FALSE(r.trailers[1].Flag(kFlagSpanVolumes));
  EXPECT_TRUE(r.checksum_ok[0]);
  EXPECT_TRUE(r.checksum_ok[1]);
  EXPECT_EQ(r.trailers[1].DataOffset, 0);
  EXPECT_EQ(r.trailers[1].HeaderBlocks, r.trailers[0].HeaderBlocks);
  EXPECT_EQ(r.trailers[0].FilesCount, 3);  // the setup and the two pieces
  ASSERT_EQ(r.entries.size(), 3u);
  EXPECT_EQ(r.entries[1].name, "Setup.txt");
  EXPECT_EQ(r.entries[2].name, "Setup.txt");
  EXPECT_EQ(r.files.at("Setup.txt"), data);  // joined in volume order
  // Volume 2 is no executable image and carries no header blocks.
  MemorySource v2(ReadFile(out + ".002"));
  EXPECT_FALSE(IsExecutableImage(v2));
  // A wrong checksum in volume 2 is seen there.
  std::string bytes = ReadFile(out + ".002");
  bytes[10] ^= 0x10;
  WriteFile(out + ".002", bytes);
  auto f = OpenArchiveSource(out + ".002");
  EXPECT_FALSE(ChecksumAccepted(ArchiveChecksum(*f, 74), r.trailers[1].ArchiveChecksum));
}

TEST(RoundTrip, CdSetWithASeparateFirstVolume) {
  pack::PackOptions o = BasicOptions();
  std::mt19937 rng(4);
  for (int i = 0; i < 50000; ++i) o.entries[1].data += char(rng());
  o.volume_size = 30000;
  o.separate_first_volume = true;
  const std::string out = TempPath("cd.exe");
  EXPECT_THROW(pack::WriteArchive(o, out), pack::PackError);  // needs SpanCd
  o.flags = kFlagSpanCd;
  const pack::PackResult result = pack::WriteArchive(o, out);
  EXPECT_EQ(result.launcher, out);
  ASSERT_EQ(result.volumes.size(), 2u);
  EXPECT_EQ(result.volumes[0], out + ".001");
  EXPECT_EQ(result.volumes[1], out + ".002");
  // The launcher has the flags and header blocks, no entries and no further volumes.
  const TGFileInfo launcher(out);
  EXPECT_TRUE(launcher.SpanCd());
  EXPECT_FALSE(launcher.Trailer.Flag(kFlagSpanVolumes));
  EXPECT_EQ(launcher.AgentExeName(), ".exe");
  EXPECT_TRUE(ReadArchive(out).entries.empty());
  EXPECT_EQ(ReadFile(out).size(), std::size_t(launcher.Trailer.DataOffset) + 74);
  // Volume 1 is an image of its own that carries the header blocks like the executable.
  EXPECT_TRUE(IsExecutableImage(out + ".001"));
  const TGFileInfo volume1(out + ".001");
  EXPECT_EQ(volume1.Info, launcher.Info);
  const ReadBack r = ReadArchive(out + ".001");
  EXPECT_TRUE(r.checksum_ok[0] && r.checksum_ok[1]);
  EXPECT_EQ(r.files.at("Setup.txt"), o.entries[1].data);
  EXPECT_EQ(r.files.at("Setup.exe"), o.entries[0].data);
}

TEST(RoundTrip, AgentCopyOfABuiltArchiveReadsAsAnAgent) {
  // The copy the extraction writes: image and header blocks, 0 at 252, the trailer marked.
  pack::PackOptions o = BasicOptions();
  o.write_agent = true;
  o.update.token = "agent-token";
  o.update.agent_exe = "TolvaneAU.exe";
  const std::string out = TempPath("agent-source.exe");
  pack::WriteArchive(o, out);
  const TGFileInfo source(out);
  std::string copy = ReadFile(out).substr(0, std::size_t(source.Trailer.DataOffset));
  PutU32(reinterpret_cast<std::uint8_t*>(&copy[kArchiveEndOffset]), 0);
  ArchiveTrailer t = source.Trailer;
  t.ThisIs_AutoUpdateProg = 1;
  t.TrailerSize = kTrailerSize;
  t.DataOffset = std::int32_t(o.stub_bytes.size());  // as read from the file again
  const TrailerBytes record = EncodeTrailer(t);
  copy.append(reinterpret_cast<const char*>(record.data()), record.size());
  WriteFile(TempPath("TolvaneAU.exe"), copy);

  const TGFileInfo agent(TempPath("TolvaneAU.exe"));
  EXPECT_TRUE(agent.IsAutoUpdateProg());
  EXPECT_TRUE(agent.WriteAgent());
  EXPECT_EQ(agent.Info, source.Info);
  EXPECT_EQ(agent.UpdateToken(true), "agent-token");
  EXPECT_EQ(agent.Trailer.DataOffset, source.Trailer.DataOffset);
  EXPECT_TRUE(ReadArchive(TempPath("TolvaneAU.exe")).entries.empty());
}

TEST(RoundTrip, DamagedEntryRaisesZlibsMessage) {
  pack::PackOptions o = BasicOptions();
  const std::string out = TempPath("damaged-entry.exe");
  pack::WriteArchive(o, out);
  std::string bytes = ReadFile(out);
  const std::size_t entries = std::size_t(TGFileInfo(out).Trailer.DataOffset);
  bytes[entries + 4 + 2] = char(0xFF);  // first deflate byte: reserved block type 3
  WriteFile(out, bytes);
  try {
    ReadArchive(out);
    ADD_FAILURE() << "no error";
  } catch (const EZLibError& e) {
    EXPECT_STREQ(e.what(), "invalid block type");
  }
}

TEST(RoundTrip, UnsafeNamesAndBadInputsAreRefused) {
  for (const char* name : {"../evil.exe", "a\\b", "C:evil", "", "..", "/abs"}) {
    pack::PackOptions o = BasicOptions();
    o.entries[1].name = name;
    try {
      pack::WriteArchive(o, TempPath("refused.exe"));
      ADD_FAILURE() << name;
    } catch (const pack::PackError& e) {
      EXPECT_NE(std::string(e.what()).find("refusing entry name"), std::string::npos) << e.what();
    }
  }
  pack::PackOptions dup = BasicOptions();
  dup.entries[1].name = "SETUP.EXE";
  EXPECT_THROW(pack::WriteArchive(dup, TempPath("dup.exe")), pack::PackError);
  // A volume size too small for the header blocks fails after volume 1 was created: nothing
  // stays behind.
  pack::PackOptions tiny = BasicOptions();
  tiny.volume_size = 3050;
  EXPECT_THROW(pack::WriteArchive(tiny, TempPath("tiny.exe")), pack::PackError);
  EXPECT_FALSE(ArchiveFileExists(TempPath("tiny.exe")));
  EXPECT_FALSE(ArchiveFileExists(TempPath("tiny.exe.002")));
  pack::PackOptions not_image = BasicOptions();
  not_image.stub_bytes[256] = 'X';
  EXPECT_THROW(pack::WriteArchive(not_image, TempPath("notimage.exe")), pack::PackError);
  // A stub that already carries an archive is not packed again.
  pack::PackOptions o = BasicOptions();
  pack::WriteArchive(o, TempPath("once.exe"));
  o.stub_bytes = ReadFile(TempPath("once.exe"));
  EXPECT_THROW(pack::WriteArchive(o, TempPath("twice.exe")), pack::PackError);
}

// The builder refuses exactly the names the stub would refuse, in the code page it is told.
TEST(RoundTrip, BuilderRefusesTheNamesTheStubRefuses) {
  for (const EntryNameCase& c : kEntryNameCases) {
    for (const bool gbk : {false, true}) {
      pack::PackOptions o = BasicOptions();
      o.entries[0].name = "Install.exe";  // the table holds "Setup.exe"
      o.entries[1].name = c.name;
      o.name_lead_bytes = gbk ? GbkLeadByte : NoLeadBytes;
      bool stored = true;
      try {
        pack::WriteArchive(o, TempPath("names.exe"));
      } catch (const pack::PackError& e) {
        stored = false;
        EXPECT_NE(std::string(e.what()).find("refusing entry name"), std::string::npos) << e.what();
      }
      EXPECT_EQ(stored, gbk ? c.safe_gbk : c.safe_single_byte) << (gbk ? "GBK: " : "") << c.name;
    }
  }
}

// An archive written by another tool with names that would leave the folder: the listing names
// every one of them and reports the archive as not sound, whatever else is right with it.
TEST(RoundTrip, ListingNamesEveryUnsafeEntry) {
  pack::PackOptions o = BasicOptions();
  o.unchecked_names_for_tests = true;
  for (const char* name : {"..\\evil.txt", "C:\\x", "a\\b", "ok.txt"}) {
    pack::PackEntry e;
    e.name = name;
    e.data = "x";
    o.entries.push_back(e);
  }
  const std::string out = TempPath("hostile.exe");
  pack::WriteArchive(o, out);
  std::ostringstream listing;
  EXPECT_FALSE(pack::ListArchive(out, listing));
  const std::string text = listing.str();
  for (const char* name : {"..\\evil.txt", "C:\\x", "a\\b"})
    EXPECT_NE(text.find("UNSAFE entry name \"" + std::string(name) + "\""), std::string::npos)
        << name << "\n" << text;
  EXPECT_EQ(text.find("UNSAFE entry name \"ok.txt\""), std::string::npos);
  EXPECT_EQ(text.find("UNSAFE entry name \"Setup"), std::string::npos);
  // The same archive without the hostile entries lists as sound.
  pack::WriteArchive(BasicOptions(), TempPath("sound.exe"));
  std::ostringstream sound;
  EXPECT_TRUE(pack::ListArchive(TempPath("sound.exe"), sound)) << sound.str();
}

TEST(RoundTrip, RandomArchivesFromAPrintedSeed) {
  const std::uint64_t seed = Seed();
  std::cout << "ARCHIVE_TEST_SEED=" << seed << "\n";
  std::mt19937_64 rng(seed);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round));
    pack::PackOptions o;
    o.stub_bytes = FakeStub(600 + rng() % 5000);
    o.seed = std::uint32_t(rng());
    o.level = int(rng() % 10);
    o.flags = std::uint8_t(rng() % 16) & ~kFlagSpanVolumes;
    o.write_archive_end = rng() % 2;
    o.update.token = std::string(rng() % 60, char('A' + rng() % 26));
    if (rng() % 2) o.download = pack::DownloadInfo{"u", "f", bool(rng() % 2), "tok", {}, "1"};
    o.volume_size = rng() % 3 == 0 ? 20000 + rng() % 40000 : 0;
    const int files = 1 + int(rng() % 8);
    SpaceTable expected{};
    for (int i = 0; i < files; ++i) {
      pack::PackEntry e;
      e.name = "file" + std::to_string(i) + ".bin";
      e.is_setup = i == 0;
      e.dos_date = std::uint32_t(rng());
      const std::size_t size = rng() % 3 == 0 ? 0 : rng() % 70000;
      const bool text = rng() % 2;
      for (std::size_t k = 0; k < size; ++k) e.data += text ? char('a' + rng() % 4) : char(rng());
      AddToSpaceTable(expected, e.data.size());
      o.entries.push_back(e);
    }
    const std::string out = TempPath("random.exe");
    const pack::PackResult result = pack::WriteArchive(o, out);
    const ReadBack r = ReadArchive(out);
    ASSERT_EQ(r.trailers.size(), result.volumes.size());
    for (std::size_t v = 0; v < r.trailers.size(); ++v) {
      EXPECT_TRUE(r.checksum_ok[v]);
      EXPECT_EQ(r.trailers[v].SpaceNeeded, expected);
      EXPECT_EQ(r.trailers[v].Flags & ~kFlagSpanVolumes, o.flags);
      const std::string path = v == 0 ? out : VolumeName(out, int(v) + 1);
      if (o.volume_size) {
        EXPECT_LE(ReadFile(path).size(), o.volume_size);
      }
    }
    EXPECT_EQ(std::uint32_t(r.trailers[0].FilesCount), result.entries);
    EXPECT_EQ(r.entries.size(), result.entries);
    ASSERT_EQ(r.files.size(), o.entries.size());
    for (const pack::PackEntry& e : o.entries) EXPECT_EQ(r.files.at(e.name), e.data) << e.name;
    EXPECT_TRUE(r.entries[0].is_setup);
    const TGFileInfo info(out);
    EXPECT_EQ(info.UpdateToken(true), o.update.token);
    EXPECT_EQ(info.ConfirmExtract(), bool(o.flags & kFlagConfirmExtract));
  }
}

namespace {

// Reads everything a reader would from one file; only EZLibError may come out of it.
int WalkArchive(ArchiveSource& file) {
  const TGFileInfo info(file);
  int entries = 0;
  if (!info.Trailer.HasMagic()) return 0;
  std::uint64_t pos = std::uint32_t(info.Trailer.DataOffset);
  std::string block;
  while (ReadBlock(file, &pos, ArchiveEndOf(file), info.Trailer.TrailerSize, &block) ==
         BlockStatus::Ok) {
    try {
      SplitEntry(InflateEntry(block));
      ++entries;
    } catch (const EZLibError&) {
    }
  }
  ArchiveChecksum(file, info.Trailer.TrailerSize);
  return entries;
}

std::vector<std::string> traced;
void CollectTrace(const std::string& line) { traced.push_back(line); }

}  // namespace

TEST(RoundTrip, TracesTheHeaderBlockCount) {
  pack::PackOptions o = BasicOptions();
  o.download = pack::DownloadInfo{"u", "f", false, "t", {}, "1"};
  pack::WriteArchive(o, TempPath("trace.exe"));
  traced.clear();
  SetArchiveTrace(CollectTrace);
  const TGFileInfo info(TempPath("trace.exe"));
  SetArchiveTrace(nullptr);
  EXPECT_EQ(traced, (std::vector<std::string>{"n1=3", "n2=3"}));
}

TEST(RoundTrip, EveryCutAndEveryDamagedByteReadsCleanly) {
  pack::PackOptions o = BasicOptions();
  o.stub_bytes = FakeStub(600);
  o.download = pack::DownloadInfo{"u", "f", false, "t", {}, "1"};
  o.entries[1].data = std::string(300, 't');
  pack::WriteArchive(o, TempPath("sweep.exe"));
  const std::string bytes = ReadFile(TempPath("sweep.exe"));
  {
    MemorySource whole(bytes);
    ASSERT_EQ(WalkArchive(whole), 2);
  }
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    MemorySource part(bytes.substr(0, cut));
    EXPECT_EQ(WalkArchive(part), 0) << cut;  // the trailer is gone with any cut
  }
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    for (char value : {'\x00', '\xFF', '\x80'}) {
      std::string damaged = bytes;
      damaged[at] = value;
      MemorySource src(damaged);
      EXPECT_LE(WalkArchive(src), 3) << at;
    }
  }
}
