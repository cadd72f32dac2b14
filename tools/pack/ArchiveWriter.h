// Writes an archive-bearing executable (and its further volumes) from a stub image and files.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/UtilsText.h"

namespace pack {

class PackError : public std::runtime_error {
 public:
  explicit PackError(const std::string& message) : std::runtime_error(message) {}
};

struct PackEntry {
  std::string name;       // file name in the extraction folder
  std::string path;       // source file; empty when data is given
  std::string data;       // used when path is empty
  bool is_setup = false;  // stored with "*" and setup_args
  std::string setup_args;
  std::optional<std::uint32_t> dos_date;  // default: the source file's time, or 0 for data
};

struct UpdateInfo {
  std::string url = "http://";                 // item 0; a bare scheme means not configured
  std::string update_file = ".info";           // item 1
  std::string agent_exe = ".exe";              // item 2
  std::string token;                           // item 3, plain; scrambled when written
  std::optional<std::string> scrambled_token;  // item 3 stored as given
  bool run_hidden = false;                     // item 4 "1" / "0"
  std::string update_key;  // item 5 (sig::kUpdateKeyItem), a public key's text; empty: none
};

struct DownloadInfo {
  std::string url, file_name;
  bool always = false;
  std::string token;
  std::optional<std::string> scrambled_token;
  std::string size;  // decimal text
};

struct PackOptions {
  std::string stub_path;
  // How the extracting machines' code page reads entry names: NoLeadBytes (every 0x5C byte is a
  // separator) unless the names are known to be in a double-byte code page such as GBK.
  LeadByteTest name_lead_bytes = NoLeadBytes;
  // Stores names unchecked, as another tool might: only for tests of what readers do with a
  // hostile archive. The command line never sets it.
  bool unchecked_names_for_tests = false;
  std::string stub_bytes;  // used when stub_path is empty
  std::vector<PackEntry> entries;
  std::vector<std::string> languages;         // language blocks, each a delimited list
  std::optional<std::string> language_table;  // header block 1 stored as given
  UpdateInfo update;
  std::optional<DownloadInfo> download;       // present: three header blocks
  std::optional<std::string> download_block;  // header block 3 stored as given
  std::optional<int> header_blocks_field;     // the stored count, default 2 or 3
  std::uint8_t flags = 0;                     // ConfirmExtract, SpanCd, ShowActivityBar bits
  bool internet_setup = false, confirm_download = false, write_agent = false,
       auto_update_prog = false;
  bool write_archive_end = true;
  std::uint32_t trailer_size = 74;  // 4..74; shorter trailers leave fields out
  std::uint64_t volume_size = 0;    // 0: one file
  // OUT holds only the stub and its header blocks (a CD set's launcher, which hands over to a
  // temporary copy that extracts OUT.001, OUT.002, ...); needs the SpanCd flag.
  bool separate_first_volume = false;
  int level = 9;           // deflate level 0..9
  std::uint32_t seed = 0;  // for the token scrambler; 0: random
};

struct PackResult {
  std::string launcher;              // OUT when the first volume is separate
  std::vector<std::string> volumes;  // volume paths, volume 1 first
  std::uint32_t entries = 0;         // entry blocks in all volumes
};

// Writes out_path (volume 1) and out_path.002, ... (or out_path, out_path.001, ... with a
// separate first volume). Throws PackError with a clear message.
PackResult WriteArchive(const PackOptions& options, const std::string& out_path);

// Joins items into a delimited list with the first preferred delimiter that none contains.
std::string JoinDelimitedList(const std::vector<std::string>& items, const std::string& preferred);

// A zlib stream with the header 0x78 0x9C whatever the level.
std::string CompressEntry(const std::string& plain, int level);

}  // namespace pack
