// Feeds arbitrary bytes to the installer's archive reader as an archive-bearing executable: reads
// it through memory and through a file, asks every trailer, update and download field, unscrambles
// the tokens and inflates every entry block the way extraction walks them. Both reads must agree.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "format/ArchiveFormat.h"
#include "format/GFileInfo.h"
#include "text/SLangId.h"
#include "text/UtilsText.h"

using namespace archive;

namespace {

// One temporary folder per fuzzing process, so parallel runs never share the input file.
struct TempFolder {
  std::string path;
  TempFolder() {
    char name[] = "/tmp/fuzz_archive_XXXXXX";
    if (!mkdtemp(name)) std::abort();
    path = name;
  }
  ~TempFolder() {
    std::remove((path + "/input.exe").c_str());
    rmdir(path.c_str());
  }
};

void write_file(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

void check(bool sound) {
  if (!sound) std::abort();
}

volatile size_t sink = 0;

void query_fields(const TGFileInfo& info, const std::string& folder) {
  sink = sink + info.ConfirmExtract() + info.SpanCd() + info.ShowActivityBar() +
         info.InternetSetup() + info.ConfirmDownload() + info.WriteAgent() +
         info.IsAutoUpdateProg() + info.RunHidden() + info.DownloadAlways();
  for (std::uint64_t cluster : {0ull, 512ull, 4096ull, 65536ull, ~0ull})
    check(info.SpaceNeededForCluster(cluster) >= 0);
  check(info.SpaceNeededFor(folder) >= 0);
  const std::string texts[] = {
      info.UpdateInfoUrl(),     info.AgentExeName(),     info.UpdateToken(false),
      info.UpdateToken(true),   info.InfoFileName(),     info.SettingsFileName(),
      info.DownloadUrl(),       info.DownloadFileName(), info.DownloadToken(false),
      info.DownloadToken(true), info.DownloadSize(),     info.LangText("key", "default"),
      info.FontName()};
  for (const std::string& t : texts) sink = sink + t.size();
  sink = sink + size_t(info.Charset() + info.FontSize());

  std::string token;
  if (TryUnscrambleToken(info.UpdateToken(false), &token)) sink = sink + token.size();
  sink = sink + SameDownloadToken(info, info);
  // A token matches itself exactly when it is sound.
  check(SameToken(info.UpdateToken(false), info.UpdateToken(false)) ==
        TryUnscrambleToken(info.UpdateToken(false), &token));
  for (int id : {4, 9, 17}) check(!ChooseLanguageBlock(info.Languages, id).empty());
  for (const std::string* text : {&info.Languages, &info.Info, &info.Download}) {
    std::string body;
    SplitTokenText(*text, &token, &body);
    check(body.size() <= text->size());
    const int items = ListItemCount(*text);
    for (int i = 0; i < items && i < 64; ++i) sink = sink + ListItem(*text, i, "").size();
  }
}

// The entry blocks after the header blocks, inflated and split as extraction does.
void inflate_entries(ArchiveSource& source, const TGFileInfo& info) {
  const std::uint64_t end = ArchiveEndOf(source);
  std::uint64_t pos = std::uint32_t(info.Trailer.DataOffset);
  std::string block;
  while (ReadBlock(source, &pos, end, info.Trailer.TrailerSize, &block) == BlockStatus::Ok) {
    check(pos <= end);
    try {
      const std::string plain = InflateEntry(block, [] { sink = sink + 1; });
      const EntryParts e = SplitEntry(plain);
      check(e.data_offset <= plain.size());
      sink = sink + UnsafeEntryNameReason(e.name, NoLeadBytes).size() +
             UnsafeEntryNameReason(e.name, GbkLeadByte).size() + e.setup_args.size();
      sink = sink + size_t(DecodeDosDateTime(e.dos_date).year);
    } catch (const EZLibError& error) {
      sink = sink + std::string(error.what()).size();
    }
  }
}

bool same_info(const TGFileInfo& a, const TGFileInfo& b) {
  return EncodeTrailer(a.Trailer) == EncodeTrailer(b.Trailer) && a.Languages == b.Languages &&
         a.Info == b.Info && a.Download == b.Download;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TempFolder folder;
  const std::string path = folder.path + "/input.exe";
  MemorySource memory(std::string(reinterpret_cast<const char*>(data), size));
  const TGFileInfo info(memory);

  const std::uint32_t trailer_size = info.Trailer.TrailerSize;
  check(trailer_size == 0 || (trailer_size >= 4 && trailer_size <= kTrailerSize));
  check(info.Languages.size() + info.Info.size() + info.Download.size() <= size);
  for (const std::string* block : {&info.Languages, &info.Info, &info.Download})
    check(block->size() <= kMaxHeaderBlockSize);
  if (!info.Trailer.HasMagic()) check(info.Languages.empty() && info.Info.empty());
  if (info.Trailer.HeaderBlockCount() < kMaxHeaderBlocks) check(info.Download.empty());
  query_fields(info, folder.path);
  inflate_entries(memory, info);
  const archive::ChecksumResult sum = archive::ArchiveChecksum(memory, trailer_size);
  sink = sink + ChecksumAccepted(sum, info.Trailer.ArchiveChecksum);

  // The stub reads its own file by path: it must see what the memory read saw.
  write_file(path, data, size);
  const TGFileInfo from_file(path);
  check(same_info(info, from_file));
  check(EncodeTrailer(ReadTrailer(path)) == EncodeTrailer(archive::ReadTrailer(memory)));
  check(IsExecutableImage(path) == archive::IsExecutableImage(memory));
  check(ArchiveChecksum(path, trailer_size) == sum);
  return 0;
}
