// The byte layout: trailer records, trailer location, checksum rules, blocks, entries, dates,
// space table, volume names and entry-name safety, on hand-made bytes.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>

#include "format/ArchiveFormat.h"
#include "format/entry_name_cases.h"

using namespace archive;

namespace {

void PutAt(std::string& bytes, std::size_t at, std::uint32_t v) {
  PutU32(reinterpret_cast<std::uint8_t*>(&bytes[at]), v);
}

std::string ImageHead(std::size_t size) {
  std::string b(size, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  b[256] = 'P';
  b[257] = 'E';
  return b;
}

// The checksum rule written out word by word, independent of the streaming implementation.
std::uint32_t ReferenceChecksum(const std::string& b, std::int64_t start, std::int64_t n) {
  std::uint32_t sum = 0;
  for (std::int64_t k = 0; 4 * k < n - 8; ++k)
    sum += GetU32(reinterpret_cast<const std::uint8_t*>(b.data()) + start + 4 * k);
  for (std::int64_t j = 1; 4096 * j < n - 4; ++j) sum += 1234;
  return sum;
}

}  // namespace

TEST(ArchiveTrailer, EncodesEveryFieldAtItsOffset) {
  ArchiveTrailer t;
  t.Reserved0 = 1;
  t.HeaderBlocks = 3;
  t.DataOffset = 0x29A00;
  t.FilesCount = 26;
  t.ArchiveMagic = kArchiveMagic;
  t.ArchiveChecksum = 0x4DD88C52;
  for (std::size_t i = 0; i < kSpaceSlots; ++i) t.SpaceNeeded[i] = 1000 + std::uint32_t(i);
  t.Flags = kFlagConfirmExtract | kFlagShowActivityBar;
  t.InternetSetup = 1;
  t.ConfirmDownload = 2;
  t.WriteAgent = 3;
  t.ThisIs_AutoUpdateProg = 4;
  t.TrailerSize = 74;
  const TrailerBytes b = EncodeTrailer(t);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(b[1], 3);
  EXPECT_EQ(GetU32(&b[4]), 0x29A00u);
  EXPECT_EQ(GetU32(&b[8]), 26u);
  EXPECT_EQ(b[12], 0x1D);  // little-endian magic
  EXPECT_EQ(b[15], 0x4A);
  EXPECT_EQ(GetU32(&b[16]), 0x4DD88C52u);
  EXPECT_EQ(GetU32(&b[28]), 1000u);
  EXPECT_EQ(GetU32(&b[60]), 1008u);
  EXPECT_EQ(b[65], 0x09);
  EXPECT_EQ(b[66], 1);
  EXPECT_EQ(b[69], 4);
  EXPECT_EQ(GetU32(&b[70]), 74u);
  const ArchiveTrailer back = DecodeTrailer(b);
  EXPECT_EQ(EncodeTrailer(back), b);
}

TEST(ArchiveTrailer, HeaderBlocksZeroReadsAsTwo) {
  ArchiveTrailer t;
  EXPECT_EQ(t.HeaderBlockCount(), 2);
  t.HeaderBlocks = 3;
  EXPECT_EQ(t.HeaderBlockCount(), 3);
}

TEST(ReadTrailer, ShortTrailerLeavesMissingFieldsZero) {
  // A 24-byte trailer: the fields up to the checksum, then the size.
  ArchiveTrailer t;
  t.HeaderBlocks = 2;
  t.DataOffset = 300;
  t.FilesCount = 5;
  t.ArchiveMagic = kArchiveMagic;
  t.ArchiveChecksum = 77;
  t.SpaceNeeded[0] = 999;  // beyond the short record: must read as 0
  const TrailerBytes full = EncodeTrailer(t);
  std::string file = "some data before the trailer";
  file.append(reinterpret_cast<const char*>(full.data()), 20);
  std::string size(4, '\0');
  PutAt(size, 0, 24);
  file += size;
  MemorySource src(file);
  const ArchiveTrailer r = ReadTrailer(src);
  EXPECT_EQ(r.TrailerSize, 24u);
  EXPECT_TRUE(r.HasMagic());
  EXPECT_EQ(r.DataOffset, 300);
  EXPECT_EQ(r.FilesCount, 5);
  EXPECT_EQ(r.ArchiveChecksum, 77u);
  EXPECT_EQ(r.SpaceNeeded[0], 0u);
}

TEST(ReadTrailer, ImpossibleSizesGiveAZeroRecord) {
  for (std::uint32_t size : {0u, 3u, 1000u, 0xFFFFFFFFu}) {
    std::string file(64, 'x');
    PutAt(file, 60, size);
    MemorySource src(file);
    const ArchiveTrailer r = ReadTrailer(src);
    EXPECT_EQ(r.TrailerSize, 0u) << size;
    EXPECT_FALSE(r.HasMagic()) << size;
  }
  MemorySource tiny(std::string("ab"));
  EXPECT_EQ(ReadTrailer(tiny).TrailerSize, 0u);
}

TEST(ReadTrailer, LongerTrailerIsReadAs74) {
  std::string file(200, '\0');
  ArchiveTrailer t;
  t.ArchiveMagic = kArchiveMagic;
  t.FilesCount = 9;
  const TrailerBytes b = EncodeTrailer(t);
  file.replace(100, 74, reinterpret_cast<const char*>(b.data()), 74);
  PutAt(file, 196, 100);  // a trailer of 100 bytes starting at offset 100
  MemorySource src(file);
  const ArchiveTrailer r = ReadTrailer(src);
  EXPECT_TRUE(r.HasMagic());
  EXPECT_EQ(r.FilesCount, 9);
  EXPECT_EQ(r.TrailerSize, 74u);
}

TEST(ExecutableImage, NeedsMzAndPeAtTheFixedOffset) {
  EXPECT_TRUE([] {
    MemorySource s(ImageHead(300));
    return IsExecutableImage(s);
  }());
  std::string pe_elsewhere = ImageHead(300);
  pe_elsewhere[256] = 0;
  pe_elsewhere[0x80] = 'P';
  pe_elsewhere[0x81] = 'E';
  MemorySource a(pe_elsewhere);
  EXPECT_FALSE(IsExecutableImage(a));
  MemorySource b(ImageHead(300).substr(0, 257));
  EXPECT_FALSE(IsExecutableImage(b));
}

TEST(ArchiveEnd, OnlyImagesHonourIt) {
  std::string image = ImageHead(2000);
  PutAt(image, 252, 1500);
  MemorySource a(image);
  EXPECT_EQ(ArchiveEndOf(a), 1500u);
  std::string volume = image;
  volume[256] = 'X';  // not an image: offset 252 means nothing
  MemorySource b(volume);
  EXPECT_EQ(ArchiveEndOf(b), 2000u);
  PutAt(image, 252, 2001);  // past the end: the physical end is used
  MemorySource c(image);
  EXPECT_EQ(ArchiveEndOf(c), 2000u);
}

TEST(Checksum, MatchesTheWordRuleAroundBlockBoundaries) {
  // Lengths around the 8-byte tail and the 4 096-byte blocks, from offset 0 (not an image).
  for (std::size_t n : {0u, 5u, 8u, 9u, 12u, 13u, 4099u, 4100u, 4101u, 8197u, 12301u}) {
    std::string b(n + 74, '\0');
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = char(i * 37 + 11);
    MemorySource src(b);
    EXPECT_EQ(ArchiveChecksum(src, 74), ReferenceChecksum(b, 0, std::int64_t(n))) << n;
  }
}

TEST(Checksum, SkipsThe512ByteHeadWhenArchiveEndIsSet) {
  std::string b = ImageHead(9000);
  for (std::size_t i = 300; i < b.size(); ++i) b[i] = char(i * 13);
  MemorySource zero_end(b);
  EXPECT_EQ(ArchiveChecksum(zero_end, 74), ReferenceChecksum(b, 0, 9000 - 74));
  PutAt(b, 252, 8000);
  MemorySource with_end(b);
  const ChecksumResult sum = ArchiveChecksum(with_end, 74);
  EXPECT_EQ(sum, ReferenceChecksum(b, 512, 8000 - 74 - 512));
  // Bytes in the uncovered head and after the end change nothing.
  b[300] ^= 0x55;
  b[8500] ^= 0x55;
  MemorySource changed(b);
  EXPECT_EQ(ArchiveChecksum(changed, 74), sum);
  // A covered byte does.
  b[600] ^= 0x01;
  MemorySource covered(b);
  EXPECT_NE(ArchiveChecksum(covered, 74), sum);
}

TEST(Checksum, AcceptsTheConstant) {
  EXPECT_TRUE(ChecksumAccepted(5, 5));
  EXPECT_TRUE(ChecksumAccepted(1234, 99));
  EXPECT_FALSE(ChecksumAccepted(5, 1234));
}

// A file that claims more bytes than it can deliver, as one that shrinks while it is read.
class ShrunkSource : public MemorySource {
 public:
  using MemorySource::MemorySource;
  std::uint64_t Size() override { return MemorySource::Size() + 4096; }
};

TEST(Checksum, AFailedReadIsNeverAccepted) {
  ShrunkSource shrunk(std::string(5000, '\0'));
  const ChecksumResult sum = ArchiveChecksum(shrunk, 74);
  EXPECT_FALSE(sum.has_value());
  // Not even by a trailer that stores 0 (what the failure used to read as) or the constant.
  for (std::uint32_t stored : {0u, 1234u, 0xFFFFFFFFu})
    EXPECT_FALSE(ChecksumAccepted(sum, stored)) << stored;
  MemorySource whole(std::string(5000, '\0'));  // the same bytes, readable: sum 1234 (1 block)
  EXPECT_TRUE(ChecksumAccepted(ArchiveChecksum(whole, 74), 1234));
}

TEST(Blocks, LengthsMustStayBeforeTheTrailer) {
  std::string file;
  AppendU32(file, 3);
  file += "abc";
  AppendU32(file, 200);  // runs into the trailer
  file += std::string(100, 'x');
  file += std::string(74, 't');
  MemorySource src(file);
  std::uint64_t pos = 0;
  std::string block;
  EXPECT_EQ(ReadBlock(src, &pos, file.size(), 74, &block), BlockStatus::Ok);
  EXPECT_EQ(block, "abc");
  EXPECT_EQ(pos, 7u);
  EXPECT_EQ(ReadBlock(src, &pos, file.size(), 74, &block), BlockStatus::Truncated);
  std::uint64_t at_trailer = file.size() - 74;
  EXPECT_EQ(ReadBlock(src, &at_trailer, file.size(), 74, &block), BlockStatus::NoMore);
  // A length of 0xFFFFFFFF cannot wrap the check.
  std::string huge;
  AppendU32(huge, 0xFFFFFFFF);
  huge += std::string(80, 'x');
  MemorySource h(huge);
  std::uint64_t p = 0;
  EXPECT_EQ(ReadBlock(h, &p, huge.size(), 74, &block), BlockStatus::Truncated);
}

TEST(Blocks, AHeaderBlockAboveTheLimitIsRefusedUnread) {
  // Lengths that the file could hold are refused by the limit alone, and the huge claim is
  // reported as too large rather than allocated or read.
  for (std::uint32_t length : {kMaxHeaderBlockSize + 1, 0xFFFFFFFFu}) {
    std::string file;
    AppendU32(file, length);
    file += std::string(kMaxHeaderBlockSize + 100, 'x');
    MemorySource src(file);
    std::uint64_t pos = 0;
    std::string block = "kept";
    EXPECT_EQ(ReadBlock(src, &pos, file.size(), 74, &block, kMaxHeaderBlockSize),
              BlockStatus::TooLarge)
        << length;
    EXPECT_EQ(pos, 0u);
    EXPECT_EQ(block, "kept");
  }
  std::string file;
  AppendU32(file, kMaxHeaderBlockSize);  // the limit itself is allowed
  file += std::string(kMaxHeaderBlockSize + 74, 'x');
  MemorySource src(file);
  std::uint64_t pos = 0;
  std::string block;
  EXPECT_EQ(ReadBlock(src, &pos, file.size(), 74, &block, kMaxHeaderBlockSize), BlockStatus::Ok);
  EXPECT_EQ(block.size(), kMaxHeaderBlockSize);
}

// Counts the reads a block takes and their largest size.
class CountingSource : public ArchiveSource {
 public:
  explicit CountingSource(std::string bytes) : inner_(std::move(bytes)) {}
  std::uint64_t Size() override { return inner_.Size(); }
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override {
    ++reads;
    largest = std::max(largest, n);
    return inner_.ReadAt(offset, buffer, n);
  }
  int reads = 0;
  std::size_t largest = 0;

 private:
  MemorySource inner_;
};

TEST(Blocks, PiecewiseReadsStayWithin64KiBAndServeBetweenPieces) {
  const std::size_t length = 3 * kReadPieceSize + 10;
  std::string payload(length, '\0');
  for (std::size_t i = 0; i < length; ++i) payload[i] = char(i * 7);
  std::string file;
  AppendU32(file, std::uint32_t(length));
  file += payload + std::string(74, 't');
  CountingSource src(file);
  std::uint64_t pos = 0;
  std::string block;
  int served = 0;
  EXPECT_EQ(ReadBlock(src, &pos, file.size(), 74, &block, UINT32_MAX, [&] { ++served; }),
            BlockStatus::Ok);
  EXPECT_EQ(block, payload);
  EXPECT_EQ(pos, 4 + length);
  EXPECT_EQ(served, 4);
  EXPECT_EQ(src.largest, kReadPieceSize);
  // A length beyond the file is refused before any piece is read or anything served.
  std::string cut;
  AppendU32(cut, std::uint32_t(length));
  cut += payload.substr(0, 1000) + std::string(74, 't');
  CountingSource short_src(cut);
  pos = 0;
  served = 0;
  EXPECT_EQ(ReadBlock(short_src, &pos, cut.size(), 74, &block, UINT32_MAX, [&] { ++served; }),
            BlockStatus::Truncated);
  EXPECT_EQ(served, 0);
  EXPECT_EQ(short_src.reads, 1);  // the length only
}

TEST(Entries, SplitAtTheFirstZeroByte) {
  const EntryParts plain = SplitEntry(std::string("|00001#help.tz|881348945|\0da\0ta", 32));
  EXPECT_EQ(plain.name, "00001#help.tz");
  EXPECT_FALSE(plain.is_setup);
  EXPECT_EQ(plain.dos_date, 881348945u);
  EXPECT_EQ(plain.data_offset, 26u);

  const EntryParts setup = SplitEntry(std::string("|Setup.exe*/S|0|\0x", 18));
  EXPECT_TRUE(setup.is_setup);
  EXPECT_EQ(setup.name, "Setup.exe");
  EXPECT_EQ(setup.setup_args, "/S");
  EXPECT_EQ(setup.dos_date, 0u);

  EXPECT_EQ(SplitEntry("|a|notanumber|" + std::string(1, '\0')).dos_date, 0u);
  const EntryParts no_zero = SplitEntry("|a|1|data");
  EXPECT_TRUE(no_zero.header.empty());
  EXPECT_EQ(EntryHeader("Setup.exe*", 7), "|Setup.exe*|7|");
}

TEST(DosDateTime, EncodesTheDocumentedExample) {
  const DosDateTime d = DecodeDosDateTime(881348945);
  EXPECT_EQ(d.year, 2006);
  EXPECT_EQ(d.month, 4);
  EXPECT_EQ(d.day, 8);
  EXPECT_EQ(d.hour, 10);
  EXPECT_EQ(d.minute, 10);
  EXPECT_EQ(d.second, 34);
  EXPECT_EQ(EncodeDosDateTime(d), 881348945u);
}

TEST(SpaceTable, RoundsEachFileToEachUnit) {
  SpaceTable t{};
  AddToSpaceTable(t, 1);
  AddToSpaceTable(t, 513);
  AddToSpaceTable(t, 0);
  EXPECT_EQ(t[0], 514u);
  EXPECT_EQ(t[1], 512u + 1024u);
  EXPECT_EQ(t[2], 1024u + 1024u);
  EXPECT_EQ(t[8], 65536u * 2);
  AddToSpaceTable(t, 0xFFFFFFFFull);  // saturates instead of wrapping
  EXPECT_EQ(t[0], 0xFFFFFFFFu);
  EXPECT_EQ(SpaceSlotForCluster(0), 0u);
  EXPECT_EQ(SpaceSlotForCluster(511), 0u);
  EXPECT_EQ(SpaceSlotForCluster(512), 1u);
  EXPECT_EQ(SpaceSlotForCluster(2048), 3u);
  EXPECT_EQ(SpaceSlotForCluster(4096), 4u);
  EXPECT_EQ(SpaceSlotForCluster(1 << 20), 8u);
}

TEST(Volumes, NamesFollowTheBase) {
  EXPECT_EQ(VolumeBaseName("C:\\x\\Setup.exe"), "C:\\x\\Setup.exe");
  EXPECT_EQ(VolumeBaseName("D:\\Setup.exe.001"), "D:\\Setup.exe");
  EXPECT_EQ(VolumeBaseName("D:\\SETUP.EXE.001"), "D:\\SETUP.EXE");
  EXPECT_EQ(VolumeName("D:\\Setup.exe", 2), "D:\\Setup.exe.002");
  EXPECT_EQ(VolumeName("a", 12), "a.012");
}

TEST(EntryNames, OnlyPlainFileNamesAreSafeInTheirCodePage) {
  for (const EntryNameCase& c : kEntryNameCases) {
    EXPECT_EQ(UnsafeEntryNameReason(c.name, NoLeadBytes).empty(), c.safe_single_byte)
        << "single-byte: " << c.name;
    EXPECT_EQ(IsSafeEntryName(c.name, GbkLeadByte), c.safe_gbk) << "GBK: " << c.name;
  }
}
