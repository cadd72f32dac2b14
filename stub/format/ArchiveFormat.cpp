#include "format/ArchiveFormat.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "text/UtilsText.h"

namespace archive {

std::uint32_t GetU32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
  p[2] = std::uint8_t(v >> 16);
  p[3] = std::uint8_t(v >> 24);
}

void AppendU32(std::string& out, std::uint32_t v) {
  std::uint8_t b[4];
  PutU32(b, v);
  out.append(reinterpret_cast<const char*>(b), 4);
}

TrailerBytes EncodeTrailer(const ArchiveTrailer& t) {
  using namespace trailer;
  TrailerBytes b{};
  b[kReserved0] = t.Reserved0;
  b[kHeaderBlocks] = t.HeaderBlocks;
  b[kReserved2] = std::uint8_t(t.Reserved2);
  b[kReserved2 + 1] = std::uint8_t(t.Reserved2 >> 8);
  PutU32(&b[kDataOffset], std::uint32_t(t.DataOffset));
  PutU32(&b[kFilesCount], std::uint32_t(t.FilesCount));
  PutU32(&b[kMagic], t.ArchiveMagic);
  PutU32(&b[kChecksum], t.ArchiveChecksum);
  std::copy(t.Reserved20.begin(), t.Reserved20.end(), b.begin() + kReserved20);
  for (std::size_t i = 0; i < kSpaceSlots; ++i) PutU32(&b[kSpaceNeeded + 4 * i], t.SpaceNeeded[i]);
  b[kReserved64] = t.Reserved64;
  b[kFlags] = t.Flags;
  b[kInternetSetup] = t.InternetSetup;
  b[kConfirmDownload] = t.ConfirmDownload;
  b[kWriteAgent] = t.WriteAgent;
  b[kIsAutoUpdateProg] = t.ThisIs_AutoUpdateProg;
  PutU32(&b[kTrailerSizeField], t.TrailerSize);
  return b;
}

ArchiveTrailer DecodeTrailer(const TrailerBytes& b) {
  using namespace trailer;
  ArchiveTrailer t;
  t.Reserved0 = b[kReserved0];
  t.HeaderBlocks = b[kHeaderBlocks];
  t.Reserved2 = std::uint16_t(b[kReserved2] | b[kReserved2 + 1] << 8);
  t.DataOffset = std::int32_t(GetU32(&b[kDataOffset]));
  t.FilesCount = std::int32_t(GetU32(&b[kFilesCount]));
  t.ArchiveMagic = GetU32(&b[kMagic]);
  t.ArchiveChecksum = GetU32(&b[kChecksum]);
  std::copy(b.begin() + kReserved20, b.begin() + kSpaceNeeded, t.Reserved20.begin());
  for (std::size_t i = 0; i < kSpaceSlots; ++i) t.SpaceNeeded[i] = GetU32(&b[kSpaceNeeded + 4 * i]);
  t.Reserved64 = b[kReserved64];
  t.Flags = b[kFlags];
  t.InternetSetup = b[kInternetSetup];
  t.ConfirmDownload = b[kConfirmDownload];
  t.WriteAgent = b[kWriteAgent];
  t.ThisIs_AutoUpdateProg = b[kIsAutoUpdateProg];
  t.TrailerSize = GetU32(&b[kTrailerSizeField]);
  return t;
}

bool IsExecutableImage(ArchiveSource& file) {
  std::uint8_t mz[2], pe[2];
  return file.ReadAt(kMzOffset, mz, 2) && file.ReadAt(kPeOffset, pe, 2) && mz[0] == 'M' &&
         mz[1] == 'Z' && pe[0] == 'P' && pe[1] == 'E';
}

// ArchiveEnd as stored; 0 for files that are not images.
static std::uint32_t StoredArchiveEnd(ArchiveSource& file) {
  std::uint8_t b[4];
  if (!IsExecutableImage(file) || !file.ReadAt(kArchiveEndOffset, b, 4)) return 0;
  return GetU32(b);
}

std::uint64_t ArchiveEndOf(ArchiveSource& file) {
  const std::uint64_t physical = file.Size();
  const std::uint32_t stored = StoredArchiveEnd(file);
  return stored > 0 && stored <= physical ? stored : physical;
}

ArchiveTrailer ReadTrailer(ArchiveSource& file) {
  const std::uint64_t end = ArchiveEndOf(file);
  std::uint8_t size_bytes[4];
  if (end < 4 || !file.ReadAt(end - 4, size_bytes, 4)) return {};
  const std::uint32_t stored_size = GetU32(size_bytes);
  if (stored_size < 4 || stored_size > end) return {};
  const std::uint32_t size = std::min(stored_size, kTrailerSize);
  TrailerBytes record{};
  if (!file.ReadAt(end - stored_size, record.data(), size - 4)) return {};
  ArchiveTrailer t = DecodeTrailer(record);
  t.TrailerSize = size;
  return t;
}

// Sums the little-endian words of [start, start + 4 * words) in large reads.
static bool SumWords(ArchiveSource& file, std::uint64_t start, std::uint64_t words,
                     std::uint32_t* sum) {
  constexpr std::size_t kChunkWords = 1 << 18;  // 1 MiB reads
  // No larger than the file needs: small files (agent copies, later volumes) are the common case.
  std::vector<std::uint8_t> buffer(std::size_t(std::min<std::uint64_t>(words, kChunkWords)) * 4);
  std::uint32_t s = 0;
  while (words > 0) {
    const std::size_t n = std::size_t(std::min<std::uint64_t>(words, kChunkWords));
    if (!file.ReadAt(start, buffer.data(), n * 4)) return false;
    const std::uint8_t* p = buffer.data();
    for (std::size_t k = 0; k < n; ++k, p += 4) s += GetU32(p);
    start += n * 4;
    words -= n;
  }
  *sum = s;
  return true;
}

ChecksumResult ArchiveChecksum(ArchiveSource& file, std::uint32_t trailer_size) {
  if (file.Size() > kChecksumMaxFileSize) return kChecksumAccepted;
  const std::int64_t end = std::int64_t(ArchiveEndOf(file));
  std::int64_t start = 0;
  std::int64_t n = end - std::int64_t(trailer_size);
  if (StoredArchiveEnd(file) > 0) {
    start = kChecksumSkipWhenEndSet;
    n -= std::int64_t(kChecksumSkipWhenEndSet);
  }
  // Words at start + 4k for 4k < n - 8; 1234 for every j >= 1 with 4096 j < n - 4.
  const std::uint64_t words = n > 8 ? std::uint64_t(n - 8 + 3) / 4 : 0;
  const std::uint64_t blocks = n > 4 ? std::uint64_t(n - 5) / kChecksumBlockSize : 0;
  std::uint32_t sum = 0;
  if (!SumWords(file, std::uint64_t(start), words, &sum)) return std::nullopt;
  return sum + std::uint32_t(blocks * kChecksumAccepted);
}

bool ChecksumAccepted(const ChecksumResult& computed, std::uint32_t stored) {
  return computed && (*computed == stored || *computed == kChecksumAccepted);
}

bool MoreBlocks(std::uint64_t pos, std::uint64_t end) {
  return pos < end && end - pos > kTrailerSize;
}

BlockStatus ReadBlock(ArchiveSource& file, std::uint64_t* pos, std::uint64_t end,
                      std::uint32_t trailer_size, std::string* out, std::uint32_t max_length,
                      const BetweenReads& between_pieces) {
  if (!MoreBlocks(*pos, end)) return BlockStatus::NoMore;
  const std::uint64_t limit = end - std::min<std::uint64_t>(trailer_size, end);
  std::uint8_t b[4];
  if (*pos > limit || limit - *pos < kBlockLengthSize || !file.ReadAt(*pos, b, 4))
    return BlockStatus::Truncated;
  const std::uint32_t length = GetU32(b);
  if (length > max_length) return BlockStatus::TooLarge;
  if (length > limit - *pos - kBlockLengthSize) return BlockStatus::Truncated;
  out->resize(length);
  const std::size_t piece = between_pieces ? kReadPieceSize : std::size_t(length);
  for (std::size_t done = 0; done < length;) {
    const std::size_t n = std::min<std::size_t>(piece, length - done);
    if (!file.ReadAt(*pos + kBlockLengthSize + done, &(*out)[done], n)) return BlockStatus::Truncated;
    done += n;
    if (between_pieces) between_pieces();
  }
  *pos += kBlockLengthSize + length;
  return BlockStatus::Ok;
}

EntryParts SplitEntry(std::string_view content) {
  EntryParts e;
  const std::size_t zero = content.find(kEntrySeparator);
  if (zero == std::string_view::npos) {
    e.data_offset = content.size();
    return e;
  }
  e.header = std::string(content.substr(0, zero));
  e.data_offset = zero + 1;
  std::string name = ListItem(e.header, 0, "");
  const std::size_t star = name.find(kSetupMarker);
  if (star != std::string::npos) {
    e.is_setup = true;
    e.setup_args = name.substr(star + 1);
    name.resize(star);
  }
  e.name = name;
  const std::int64_t date = ParseDecimal(ListItem(e.header, 1, ""), 0);
  e.dos_date =
      date > 0 && date <= std::numeric_limits<std::uint32_t>::max() ? std::uint32_t(date) : 0;
  return e;
}

std::string EntryHeader(const std::string& stored_name, std::uint32_t dos_date) {
  return std::string(1, kEntryDelimiter) + stored_name + kEntryDelimiter +
         std::to_string(dos_date) + kEntryDelimiter;
}

std::uint32_t EncodeDosDateTime(const DosDateTime& d) {
  const std::uint32_t date = std::uint32_t(std::clamp(d.year - 1980, 0, 127)) << 9 |
                             std::uint32_t(d.month & 15) << 5 | std::uint32_t(d.day & 31);
  const std::uint32_t time = std::uint32_t(d.hour & 31) << 11 | std::uint32_t(d.minute & 63) << 5 |
                             std::uint32_t((d.second / 2) & 31);
  return date << 16 | time;
}

DosDateTime DecodeDosDateTime(std::uint32_t v) {
  DosDateTime d;
  const std::uint32_t date = v >> 16, time = v & 0xFFFF;
  d.year = 1980 + int(date >> 9);
  d.month = int(date >> 5 & 15);
  d.day = int(date & 31);
  d.hour = int(time >> 11);
  d.minute = int(time >> 5 & 63);
  d.second = int(time & 31) * 2;
  return d;
}

std::uint64_t SpaceSlotUnit(std::size_t i) { return i == 0 ? 1 : std::uint64_t(256) << i; }

void AddToSpaceTable(SpaceTable& table, std::uint64_t file_size) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  for (std::size_t i = 0; i < kSpaceSlots; ++i) {
    const std::uint64_t unit = SpaceSlotUnit(i);
    const std::uint64_t rounded = (file_size + unit - 1) / unit * unit;
    table[i] = std::uint32_t(std::min(kMax, table[i] + rounded));
  }
}

std::size_t SpaceSlotForCluster(std::uint64_t cluster_size) {
  std::size_t slot = 0;
  for (std::size_t i = 1; i < kSpaceSlots; ++i)
    if (cluster_size >= SpaceSlotUnit(i)) slot = i;
  return slot;
}

std::string VolumeBaseName(const std::string& volume1_path) {
  const std::string suffix = ".001";
  if (volume1_path.size() >= suffix.size() &&
      SameTextIC(volume1_path.substr(volume1_path.size() - suffix.size()), suffix))
    return volume1_path.substr(0, volume1_path.size() - suffix.size());
  return volume1_path;
}

std::string VolumeName(const std::string& base, int k) { return base + "." + ZeroPad(k, 3); }

}  // namespace archive
