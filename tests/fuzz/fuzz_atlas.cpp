// Feeds arbitrary bytes to the atlas file readers: the input, split at 0x01 bytes, becomes dm.tz,
// ptab.tz and help.tz of a data folder (a part that is not there leaves its file missing). The
// loaded table and help lines then go through the panel layout and the searches the viewer runs
// on them, so that a record left inconsistent shows up as an out-of-bounds read.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "atlas/atlas_files.h"
#include "atlas/panel_layout.h"
#include "atlas/pinyin_search.h"

namespace {

constexpr uint8_t kPartSeparator = 0x01;
const char* const kFileNames[] = {"dm.tz", "ptab.tz", "help.tz"};

// One temporary data folder per fuzzing process.
struct TempFolder {
  std::string path;
  TempFolder() {
    char name[] = "/tmp/fuzz_atlas_XXXXXX";
    if (!mkdtemp(name)) std::abort();
    path = name;
  }
  ~TempFolder() {
    for (const char* file : kFileNames) std::remove((path + "/" + file).c_str());
    rmdir(path.c_str());
  }
};

void check(bool sound) {
  if (!sound) std::abort();
}

template <size_t N>
bool terminated(const char (&field)[N]) {
  return std::memchr(field, '\0', N) != nullptr;
}

volatile size_t sink = 0;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TempFolder folder;
  // Exactly the viewer's capacity on the heap, so a record written past it is caught.
  static AcupointRecord* const table = new AcupointRecord[kAcupointCapacity];

  const char* text = reinterpret_cast<const char*>(data);
  size_t start = 0;
  for (int part = 0; part < 3; ++part) {
    const std::string file = folder.path + "/" + kFileNames[part];
    std::remove(file.c_str());
    if (start > size) continue;
    const void* sep = std::memchr(text + start, kPartSeparator, size - start);
    const size_t stop = sep ? static_cast<const char*>(sep) - text : size;
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) std::abort();
    if (stop > start && std::fwrite(text + start, 1, stop - start, f) != stop - start) std::abort();
    std::fclose(f);
    start = stop + 1;
  }

  std::memset(static_cast<void*>(table), 0, sizeof(AcupointRecord) * kAcupointCapacity);
  const AtlasLoadResult result = load_atlas_dir(folder.path, table, kAcupointCapacity);
  check(result.count >= 0 && result.count <= kAcupointCapacity);
  for (int i = 0; i < result.count; ++i) {
    const AcupointRecord& r = table[i];
    check(terminated(r.pinyin) && terminated(r.name) && terminated(r.meridian_name) &&
          terminated(r.explanation) && terminated(r.effects));
    for (int width : {1, 9, 800, 1920})
      for (const PlacedText& t : detail_panel_texts(r, width)) sink = sink + t.text.size();
    sink = sink + acupoint_tip(r).size();
    std::string query = field_text(r.pinyin);
    const int code = find_pinyin_code(query, table, result.count);
    const int index = find_code_index(code, table, result.count);
    check(index >= 0 && index < result.count);
  }
  for (const std::string& message : result.messages) sink = sink + message.size();

  const HelpText help = read_help_file(folder.path + "/help.tz");
  check(help.lines.size() <= size);
  for (const std::string& line : help.lines) check(line.size() < kHelpLineField);
  for (const PlacedText& t : help_panel_texts(help.lines)) sink = sink + t.text.size();
  return 0;
}
