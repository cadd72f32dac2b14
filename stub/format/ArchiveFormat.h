// The payload archive: one definition of its byte layout, shared by the stub's reader and by the
// builder (tools/pack). Pure code: no <windows.h>; files are reached through ArchiveSource.
//
// Map of an archive-bearing file (all integers little-endian):
//
//   0                  "MZ"                         executable signature
//   252                ArchiveEnd (u32)             0: archive ends at the physical end of the
//                                                   file; > 0: it ends at this offset
//   256                "PE"                         the stub's PE header (fixed offset)
//   ...                stub image
//   DataOffset         header blocks (2 or 3)       block = u32 length n + n bytes
//                        1 language table           delimited list of language blocks
//                        2 update info              |url|update file|agent exe|token|hidden|
//                        3 download block           |url|file|always|token|size|
//                      file entries, one block each a zlib stream of  |name|date| 0 data
//   end - TrailerSize  ArchiveTrailer (74 bytes)    its last u32 is the trailer size
//   end                (ArchiveEnd or physical end; bytes after ArchiveEnd are ignored)
//
// Later volumes (".002", ".003", ...) hold only entries and their own trailer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "format/ArchiveSource.h"
#include "format/EntryName.h"  // UnsafeEntryNameReason, IsSafeEntryName

namespace archive {

// --- Executable image and end marker ---
constexpr std::uint64_t kMzOffset = 0;
constexpr std::uint64_t kArchiveEndOffset = 252;
constexpr std::uint64_t kPeOffset = 256;
constexpr std::size_t kImageProbeSize = kPeOffset + 2;  // bytes the image test looks at

// --- Trailer ---
constexpr std::uint32_t kArchiveMagic = 0x4A3B2C1D;
constexpr std::uint32_t kTrailerSize = 74;
constexpr std::size_t kSpaceSlots = 9;  // element 0 exact, 1..8 rounded to 512 .. 65 536

// Field offsets inside the 74-byte trailer record.
namespace trailer {
constexpr std::size_t kReserved0 = 0;       // u8, written as 1
constexpr std::size_t kHeaderBlocks = 1;    // u8, 0 reads as 2
constexpr std::size_t kReserved2 = 2;       // u16, 0
constexpr std::size_t kDataOffset = 4;      // i32
constexpr std::size_t kFilesCount = 8;      // i32
constexpr std::size_t kMagic = 12;          // u32
constexpr std::size_t kChecksum = 16;       // u32
constexpr std::size_t kReserved20 = 20;     // 8 bytes
constexpr std::size_t kSpaceNeeded = 28;    // 9 x u32
constexpr std::size_t kReserved64 = 64;     // u8
constexpr std::size_t kFlags = 65;          // u8, bits below
constexpr std::size_t kInternetSetup = 66;  // u8
constexpr std::size_t kConfirmDownload = 67;
constexpr std::size_t kWriteAgent = 68;
constexpr std::size_t kIsAutoUpdateProg = 69;
constexpr std::size_t kTrailerSizeField = 70;  // u32
constexpr std::size_t kEnd = 74;
}  // namespace trailer
static_assert(trailer::kSpaceNeeded + 4 * kSpaceSlots == trailer::kReserved64,
              "space table fills offsets 28..63");
static_assert(trailer::kTrailerSizeField + 4 == trailer::kEnd, "trailer size is the last u32");
static_assert(trailer::kEnd == kTrailerSize, "trailer record is 74 bytes");

// Bits of the flags byte.
constexpr std::uint8_t kFlagConfirmExtract = 0x01;
constexpr std::uint8_t kFlagSpanVolumes = 0x02;
constexpr std::uint8_t kFlagSpanCd = 0x04;
constexpr std::uint8_t kFlagShowActivityBar = 0x08;

// --- Blocks and entries ---
constexpr std::size_t kBlockLengthSize = 4;
constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x9C};
constexpr char kEntryDelimiter = '|';
constexpr char kSetupMarker = '*';
constexpr char kEntrySeparator = '\0';
constexpr int kMinHeaderBlocks = 2;
constexpr int kMaxHeaderBlocks = 3;

// --- Checksum ---
constexpr std::uint64_t kChecksumMaxFileSize = 52428800;  // 50 MiB; larger files are not summed
constexpr std::uint32_t kChecksumAccepted = 1234;         // also added once per 4 096 bytes
constexpr std::uint64_t kChecksumSkipWhenEndSet = 512;
constexpr std::uint64_t kChecksumBlockSize = 4096;

// The decoded trailer. Fields keep the record's names; reserved bytes are kept so a record
// decoded and encoded again is unchanged.
struct ArchiveTrailer {
  std::uint8_t Reserved0 = 0;
  std::uint8_t HeaderBlocks = 0;
  std::uint16_t Reserved2 = 0;
  std::int32_t DataOffset = 0;
  std::int32_t FilesCount = 0;
  std::uint32_t ArchiveMagic = 0;
  std::uint32_t ArchiveChecksum = 0;
  std::array<std::uint8_t, 8> Reserved20{};
  std::array<std::uint32_t, kSpaceSlots> SpaceNeeded{};
  std::uint8_t Reserved64 = 0;
  std::uint8_t Flags = 0;
  std::uint8_t InternetSetup = 0;
  std::uint8_t ConfirmDownload = 0;
  std::uint8_t WriteAgent = 0;
  std::uint8_t ThisIs_AutoUpdateProg = 0;
  std::uint32_t TrailerSize = 0;

  bool HasMagic() const { return ArchiveMagic == kArchiveMagic; }
  // Stored 0 reads as 2.
  int HeaderBlockCount() const { return HeaderBlocks == 0 ? kMinHeaderBlocks : HeaderBlocks; }
  bool Flag(std::uint8_t bit) const { return (Flags & bit) != 0; }
};

using TrailerBytes = std::array<std::uint8_t, kTrailerSize>;
TrailerBytes EncodeTrailer(const ArchiveTrailer& t);
ArchiveTrailer DecodeTrailer(const TrailerBytes& bytes);

// Little-endian integers, decoded explicitly.
std::uint32_t GetU32(const std::uint8_t* p);
void PutU32(std::uint8_t* p, std::uint32_t v);
void AppendU32(std::string& out, std::uint32_t v);

// "MZ" at 0 and "PE" at 256; a file too short for the probe is no image.
bool IsExecutableImage(ArchiveSource& file);
// End of the archive: ArchiveEnd of an image when it is > 0, else the physical size. An
// ArchiveEnd beyond the physical end cannot be honoured; the physical end is used then.
std::uint64_t ArchiveEndOf(ArchiveSource& file);

// Reads the trailer as the stub does: L from end - 4, min(L, 74) - 4 bytes from end - L into a
// zero-filled record, TrailerSize := min(L, 74). A size below 4 or reaching before the start of
// the file is not a trailer: the record stays all zero.
ArchiveTrailer ReadTrailer(ArchiveSource& file);

// A computed checksum, or nothing when the file could not be read in full. No stored value
// stands for a failure, so a failed computation can never compare equal to the trailer.
using ChecksumResult = std::optional<std::uint32_t>;
// The additive checksum of the file (1234 for files above 50 MiB).
ChecksumResult ArchiveChecksum(ArchiveSource& file, std::uint32_t trailer_size);
// The computed sum equals the stored one or is 1234; a failed computation is never accepted.
bool ChecksumAccepted(const ChecksumResult& computed, std::uint32_t stored);

// Header blocks are short texts (a language table of every language with all its texts stays
// far below 100 KiB), while a damaged or hostile length could ask for up to 4 GiB; a header
// block longer than this is refused before anything is allocated. File entries are not limited
// here: they are bounded by the file itself.
constexpr std::uint32_t kMaxHeaderBlockSize = 1u << 20;

// Reads the block at *pos (u32 length + bytes) if it lies wholly before end - trailer_size.
// On success *pos moves past it. A length reaching into the trailer or beyond is rejected, and
// so is one above max_length (TooLarge); both before anything is allocated. With
// between_pieces the bytes are read in pieces of at most kReadPieceSize, calling it after each
// (the stub serves its message queue there).
enum class BlockStatus { Ok, NoMore, Truncated, TooLarge };
constexpr std::size_t kReadPieceSize = 65536;
using BetweenReads = std::function<void()>;
BlockStatus ReadBlock(ArchiveSource& file, std::uint64_t* pos, std::uint64_t end,
                      std::uint32_t trailer_size, std::string* out,
                      std::uint32_t max_length = UINT32_MAX,
                      const BetweenReads& between_pieces = {});
// Whether another block may start at pos: more than 74 bytes remain before end.
bool MoreBlocks(std::uint64_t pos, std::uint64_t end);

// The decompressed content of an entry split at its first 0 byte. An entry without a 0 byte
// has an empty header (and is skipped by extraction).
struct EntryParts {
  std::string header;           // "|name|date|"
  std::string name;             // item 0 with anything from "*" on removed
  std::string setup_args;       // text after "*"
  bool is_setup = false;        // name carried "*"
  std::uint32_t dos_date = 0;   // 0 when missing or not a number
  std::size_t data_offset = 0;  // start of the file's bytes in the content
};
EntryParts SplitEntry(std::string_view content);
std::string EntryHeader(const std::string& stored_name, std::uint32_t dos_date);

// MS-DOS date-time: date in the high 16 bits, time in the low 16 bits, local time.
struct DosDateTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
std::uint32_t EncodeDosDateTime(const DosDateTime& d);
DosDateTime DecodeDosDateTime(std::uint32_t v);

// Space table: element 0 the exact total, element i sizes rounded up to 256 * 2^i.
using SpaceTable = std::array<std::uint32_t, kSpaceSlots>;
std::uint64_t SpaceSlotUnit(std::size_t i);                        // 1 for element 0
void AddToSpaceTable(SpaceTable& table, std::uint64_t file_size);  // saturates at 2^32 - 1
// The element a drive with this cluster size uses.
std::size_t SpaceSlotForCluster(std::uint64_t cluster_size);

// Volumes: "NAME.001" is volume 1 named with its base "NAME"; volume k >= 2 is "BASE.00k".
std::string VolumeBaseName(const std::string& volume1_path);
std::string VolumeName(const std::string& base, int k);

}  // namespace archive
