#include "ArchiveWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <set>
#include <sys/stat.h>

#include <zlib.h>

#include "TokenScramble.h"
#include "format/ArchiveFormat.h"
#include "text/UtilsText.h"

namespace pack {

using namespace archive;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool SeekTo(std::FILE* f, std::uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(f, std::int64_t(offset), SEEK_SET) == 0;
#else
  return fseeko(f, off_t(offset), SEEK_SET) == 0;
#endif
}

bool SeekToEnd(std::FILE* f) {
#ifdef _WIN32
  return _fseeki64(f, 0, SEEK_END) == 0;
#else
  return fseeko(f, 0, SEEK_END) == 0;
#endif
}

std::string ReadWholeFile(const std::string& path) {
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) throw PackError("cannot open " + path + ": " + std::strerror(errno));
  std::string bytes;
  char buffer[1 << 16];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) bytes.append(buffer, n);
  if (std::ferror(f.get())) throw PackError("cannot read " + path);
  return bytes;
}

std::uint32_t FileDosDate(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return 0;
  std::tm local{};
  const std::time_t t = st.st_mtime;
#ifdef _WIN32
  if (localtime_s(&local, &t) != 0) return 0;
#else
  if (!localtime_r(&t, &local)) return 0;
#endif
  if (local.tm_year + 1900 < 1980) return 0;
  return EncodeDosDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                            local.tm_min, local.tm_sec});
}

std::string Block(const std::string& bytes) {
  std::string out;
  AppendU32(out, std::uint32_t(bytes.size()));
  return out + bytes;
}

// One volume file being written.
class Volume {
 public:
  // Every file created is noted in created, so a failed build can remove what it wrote.
  Volume(std::string path, std::uint64_t limit, std::vector<std::string>& created)
      : path_(std::move(path)), limit_(limit) {
    file_.reset(std::fopen(path_.c_str(), "wb+"));
    if (!file_) throw PackError("cannot create " + path_ + ": " + std::strerror(errno));
    created.push_back(path_);
  }
  void Write(const std::string& bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size())
      throw PackError("cannot write " + path_);
    size_ += bytes.size();
  }
  // Room for one more block before the trailer; unlimited without a volume size.
  std::uint64_t BlockRoom(std::uint32_t trailer_size) const {
    if (limit_ == 0) return UINT32_MAX;
    const std::uint64_t used = size_ + trailer_size + kBlockLengthSize;
    return used >= limit_ ? 0 : std::min<std::uint64_t>(limit_ - used, UINT32_MAX);
  }
  void PatchU32(std::uint64_t offset, std::uint32_t v) {
    std::uint8_t b[4];
    PutU32(b, v);
    if (!SeekTo(file_.get(), offset) || std::fwrite(b, 1, 4, file_.get()) != 4 ||
        !SeekToEnd(file_.get()))
      throw PackError("cannot write " + path_);
  }
  void Close() {
    if (std::fclose(file_.release()) != 0) throw PackError("cannot write " + path_);
  }
  std::uint64_t size() const { return size_; }
  const std::string& path() const { return path_; }
  std::uint32_t entries = 0;
  std::uint32_t data_offset = 0;

 private:
  std::string path_;
  std::uint64_t limit_;
  std::uint64_t size_ = 0;
  FilePtr file_;
};

std::string InfoBlock(const UpdateInfo& u, std::mt19937& rng) {
  const std::string token = u.scrambled_token ? *u.scrambled_token : ScrambleToken(u.token, rng);
  std::vector<std::string> items = {u.url, u.update_file, u.agent_exe, token,
                                    u.run_hidden ? "1" : "0"};
  // Without a key the block stays as the unsigned builds wrote it.
  if (!u.update_key.empty()) items.push_back(u.update_key);
  return JoinDelimitedList(items, "|,;#~^");
}

std::string DownloadBlock(const DownloadInfo& d, std::mt19937& rng) {
  const std::string token = d.scrambled_token ? *d.scrambled_token : ScrambleToken(d.token, rng);
  return JoinDelimitedList({d.url, d.file_name, d.always ? "1" : "0", token, d.size}, "|,;#~^");
}

std::string LanguageTable(const PackOptions& o) {
  if (o.language_table) return *o.language_table;
  for (const std::string& block : o.languages)
    if (block.size() < 2 || block.front() != block.back())
      throw PackError("a language block must start and end with its delimiter: " + block);
  // 0x02 frames the table, as language blocks themselves use the printable delimiters.
  return JoinDelimitedList(o.languages, std::string("\x02\x01|,;#~^", 8));
}

void CheckEntries(const std::vector<PackEntry>& entries, LeadByteTest is_lead, bool names) {
  std::set<std::string> seen;
  for (const PackEntry& e : entries) {
    const std::string why = names ? UnsafeEntryNameReason(e.name, is_lead) : std::string();
    if (!why.empty()) throw PackError("refusing entry name \"" + e.name + "\": " + why);
    // Entries of one name are joined by the stub, so two inputs of the same name would merge.
    if (!seen.insert(UpperText(e.name)).second)
      throw PackError("two files would be stored as \"" + e.name + "\"");
    if (e.setup_args.find_first_of(std::string("|\0", 2)) != std::string::npos)
      throw PackError("the setup program's extra text may not contain \"|\"");
    if (e.setup_args.size() && !e.is_setup)
      throw PackError("extra command text is given for a file that is not the setup program");
  }
}

}  // namespace

std::string JoinDelimitedList(const std::vector<std::string>& items, const std::string& preferred) {
  for (char d : preferred) {
    bool free = true;
    for (const std::string& item : items) free = free && item.find(d) == std::string::npos;
    if (!free) continue;
    std::string list(1, d);
    for (const std::string& item : items) list += item + d;
    return list;
  }
  throw PackError("no delimiter is free for the list; the items use all of \"" + preferred + "\"");
}

std::string CompressEntry(const std::string& plain, int level) {
  // Raw deflate framed by hand: the header is always 0x78 0x9C, whatever the level.
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw PackError("deflate cannot start");
  std::string out(2 + deflateBound(&z, uLong(plain.size())) + 4, '\0');
  out[0] = char(kZlibHeader[0]);
  out[1] = char(kZlibHeader[1]);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  z.avail_in = uInt(plain.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[2]);
  z.avail_out = uInt(out.size() - 6);
  const int status = deflate(&z, Z_FINISH);
  const std::size_t n = z.total_out;
  deflateEnd(&z);
  if (status != Z_STREAM_END) throw PackError("deflate failed");
  const uLong adler = adler32(1, reinterpret_cast<const Bytef*>(plain.data()), uInt(plain.size()));
  out.resize(2 + n);
  for (int shift = 24; shift >= 0; shift -= 8) out += char(adler >> shift & 0xFF);
  return out;
}

namespace {

PackResult WriteFiles(const PackOptions& o, const std::string& out_path,
                      std::vector<std::string>& created) {
  if (o.trailer_size < 4 || o.trailer_size > kTrailerSize)
    throw PackError("the trailer size must be 4 to 74");
  if (o.level < 0 || o.level > 9) throw PackError("the compression level must be 0 to 9");
  if (o.header_blocks_field && (*o.header_blocks_field < 0 || *o.header_blocks_field > 255))
    throw PackError("the header block count must be 0 to 255");
  CheckEntries(o.entries, o.name_lead_bytes, !o.unchecked_names_for_tests);

  const std::string stub = o.stub_path.empty() ? o.stub_bytes : ReadWholeFile(o.stub_path);
  {
    MemorySource probe(stub);
    if (!IsExecutableImage(probe))
      throw PackError(
          "the stub is not an executable image with \"MZ\" at 0 and \"PE\" at 256 "
          "(move its PE header with pe-relocate-header)");
    if (GetU32(reinterpret_cast<const std::uint8_t*>(stub.data()) + kArchiveEndOffset) != 0 ||
        ReadTrailer(probe).HasMagic())
      throw PackError("the stub already carries an archive");
  }
  if (stub.size() > INT32_MAX) throw PackError("the stub is too large");

  std::mt19937 rng(o.seed ? o.seed : std::random_device{}());
  std::vector<std::string> headers = {LanguageTable(o), InfoBlock(o.update, rng)};
  if (o.download_block)
    headers.push_back(*o.download_block);
  else if (o.download)
    headers.push_back(DownloadBlock(*o.download, rng));
  const std::uint8_t header_field =
      std::uint8_t(o.header_blocks_field ? *o.header_blocks_field : int(headers.size()));

  ArchiveTrailer base;
  base.Reserved0 = 1;
  base.HeaderBlocks = header_field;
  base.ArchiveMagic = kArchiveMagic;
  base.Flags = o.flags & (kFlagConfirmExtract | kFlagSpanCd | kFlagShowActivityBar);
  base.InternetSetup = o.internet_setup;
  base.ConfirmDownload = o.confirm_download;
  base.WriteAgent = o.write_agent;
  base.ThisIs_AutoUpdateProg = o.auto_update_prog;
  base.TrailerSize = o.trailer_size;

  // A file that starts like an executable: the stub, then the header blocks.
  auto open_first = [&](const std::string& path) {
    auto v = std::make_unique<Volume>(path, o.volume_size, created);
    v->Write(stub);
    v->data_offset = std::uint32_t(stub.size());
    for (const std::string& h : headers) {
      if (v->BlockRoom(o.trailer_size) < h.size())
        throw PackError("the volume size leaves no room for the stub and its header blocks");
      v->Write(Block(h));
    }
    return v;
  };
  std::unique_ptr<Volume> launcher;
  std::vector<std::unique_ptr<Volume>> volumes;
  if (o.separate_first_volume) {
    if (!(o.flags & kFlagSpanCd))
      throw PackError(
          "a separate first volume is reached only through the CD hand-over "
          "(set SpanCd)");
    launcher = open_first(out_path);
    volumes.push_back(open_first(out_path + ".001"));
  } else {
    volumes.push_back(open_first(out_path));
  }
  const std::string base_name = VolumeBaseName(volumes.front()->path());
  auto next_volume = [&] {
    const std::string path = VolumeName(base_name, int(volumes.size()) + 1);
    volumes.push_back(std::make_unique<Volume>(path, o.volume_size, created));
  };

  SpaceTable space{};
  PackResult result;
  for (const PackEntry& e : o.entries) {
    const std::string data = e.path.empty() ? e.data : ReadWholeFile(e.path);
    AddToSpaceTable(space, data.size());
    const std::uint32_t date = e.dos_date ? *e.dos_date : e.path.empty() ? 0 : FileDosDate(e.path);
    const std::string header =
        EntryHeader(e.is_setup ? e.name + kSetupMarker + e.setup_args : e.name, date) +
        kEntrySeparator;
    std::size_t offset = 0;
    bool first = true;
    while (first || offset < data.size()) {
      Volume& v = *volumes.back();
      const std::uint64_t room = v.BlockRoom(o.trailer_size);
      std::size_t take = data.size() - offset;
      std::string block = CompressEntry(header + data.substr(offset, take), o.level);
      // Too big for this volume: shrink the piece by the overshoot until it fits.
      while (block.size() > room && take > 0) {
        const std::size_t scaled =
            std::size_t(double(take) * double(room) / double(block.size()) * 0.97);
        take = std::min(take - 1, scaled);
        if (take == 0) break;
        block = CompressEntry(header + data.substr(offset, take), o.level);
      }
      // A piece must carry data unless the file is empty, so every volume makes progress.
      if (block.size() > room || (take == 0 && data.size() > 0)) {
        if (v.entries == 0 && volumes.size() > 1)
          throw PackError("the volume size is too small to hold a piece of " + e.name);
        next_volume();
        continue;
      }
      v.Write(Block(block));
      v.entries++;
      result.entries++;
      const bool cut = take < data.size() - offset;
      offset += take;
      first = false;
      // The volume is as full as this file allows: the rest goes on in the next one.
      if (cut) next_volume();
    }
  }

  // Trailer, end marker and checksum; the checksum is computed by the reader's own routine over
  // the file as written.
  auto finish = [&](Volume& v, ArchiveTrailer t, bool first) {
    t.DataOffset = std::int32_t(v.data_offset);
    t.SpaceNeeded = space;
    const TrailerBytes record = EncodeTrailer(t);
    std::string tail(reinterpret_cast<const char*>(record.data()), o.trailer_size - 4);
    AppendU32(tail, o.trailer_size);
    v.Write(tail);
    if (first && o.write_archive_end) {
      if (v.size() > UINT32_MAX) throw PackError(v.path() + " is too large for its end marker");
      v.PatchU32(kArchiveEndOffset, std::uint32_t(v.size()));
    }
    v.Close();
    if (o.trailer_size < trailer::kChecksum + 4 + 4) return;
    ChecksumResult sum;
    {
      std::unique_ptr<ArchiveSource> in = OpenArchiveSource(v.path());
      if (in) sum = ArchiveChecksum(*in, o.trailer_size);
    }
    if (!sum) throw PackError("cannot read back " + v.path());
    FilePtr f(std::fopen(v.path().c_str(), "rb+"));
    std::uint8_t b[4];
    PutU32(b, *sum);
    if (!f || !SeekTo(f.get(), v.size() - o.trailer_size + trailer::kChecksum) ||
        std::fwrite(b, 1, 4, f.get()) != 4 || std::fclose(f.release()) != 0)
      throw PackError("cannot write the checksum of " + v.path());
  };
  if (launcher) {
    ArchiveTrailer t = base;
    t.FilesCount = std::int32_t(result.entries);
    finish(*launcher, t, true);
    result.launcher = launcher->path();
  }
  for (std::size_t i = 0; i < volumes.size(); ++i) {
    ArchiveTrailer t = base;
    // Volume 1 counts every entry of the archive: the range of the extraction progress.
    t.FilesCount = std::int32_t(i == 0 ? result.entries : volumes[i]->entries);
    if (i + 1 < volumes.size()) t.Flags |= kFlagSpanVolumes;
    finish(*volumes[i], t, i == 0);
    result.volumes.push_back(volumes[i]->path());
  }
  return result;
}

}  // namespace

PackResult WriteArchive(const PackOptions& o, const std::string& out_path) {
  std::vector<std::string> created;
  try {
    return WriteFiles(o, out_path, created);
  } catch (...) {
    // A half-written installer must not be taken for a finished one.
    for (const std::string& path : created) std::remove(path.c_str());
    throw;
  }
}

}  // namespace pack
