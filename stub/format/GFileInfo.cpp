#include "format/GFileInfo.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include <zlib.h>

#include "text/SLangId.h"
#include "text/UtilsText.h"

using namespace archive;

// --- Trace ---

namespace {
ArchiveTraceSink trace_sink = nullptr;

void Trace(const std::string& line) {
  if (trace_sink) trace_sink(line);
}

ArchiveTrailer TracedReadTrailer(ArchiveSource& file) {
  const ArchiveTrailer t = archive::ReadTrailer(file);
  Trace("n1=" + std::to_string(t.HeaderBlocks));
  return t;
}
}  // namespace

void SetArchiveTrace(ArchiveTraceSink sink) { trace_sink = sink; }

// --- Construction ---

TGFileInfo::TGFileInfo(const std::string& path) {
  if (!ArchiveFileExists(path)) return;
  std::unique_ptr<ArchiveSource> file = OpenArchiveSource(path);
  if (file) Read(*file);
}

TGFileInfo::TGFileInfo(ArchiveSource& file) { Read(file); }

void TGFileInfo::Read(ArchiveSource& file) {
  Trailer = TracedReadTrailer(file);
  if (!Trailer.HasMagic()) return;
  // Header blocks must lie before the trailer and be no longer than kMaxHeaderBlockSize; a
  // block that is not leaves its text (and those after it) empty.
  const std::uint64_t end = ArchiveEndOf(file);
  std::uint64_t pos = std::uint64_t(std::uint32_t(Trailer.DataOffset));
  std::string* texts[] = {&Languages, &Info, &Download};
  const int count = Trailer.HeaderBlockCount() >= kMaxHeaderBlocks ? 3 : 2;
  for (int i = 0; i < count; ++i) {
    const std::uint64_t before = pos;
    if (ReadBlock(file, &pos, end, Trailer.TrailerSize, texts[i], kMaxHeaderBlockSize) !=
        BlockStatus::Ok) {
      texts[i]->clear();
      break;
    }
    Trailer.DataOffset = std::int32_t(std::uint32_t(Trailer.DataOffset) + (pos - before));
    if (i == 1) Trace("n2=" + std::to_string(Trailer.HeaderBlocks));
  }
}

// --- Trailer queries ---

bool TGFileInfo::ConfirmExtract() const { return Trailer.Flag(kFlagConfirmExtract); }
bool TGFileInfo::SpanCd() const { return Trailer.Flag(kFlagSpanCd); }
bool TGFileInfo::ShowActivityBar() const { return Trailer.Flag(kFlagShowActivityBar); }
bool TGFileInfo::InternetSetup() const { return Trailer.InternetSetup != 0; }
bool TGFileInfo::ConfirmDownload() const { return Trailer.ConfirmDownload != 0; }
bool TGFileInfo::WriteAgent() const { return Trailer.WriteAgent != 0; }
bool TGFileInfo::IsAutoUpdateProg() const { return Trailer.ThisIs_AutoUpdateProg != 0; }

double TGFileInfo::SpaceNeededForCluster(std::uint64_t cluster_size) const {
  return double(Trailer.SpaceNeeded[SpaceSlotForCluster(cluster_size)]);
}

double TGFileInfo::SpaceNeededFor(const std::string& folder) const {
  return SpaceNeededForCluster(ClusterSize(folder));
}

// --- Update info and download block ---

namespace {

// The file-name part of item 1 with its extension replaced; double-byte names follow the
// process's lead-byte rule.
std::string UpdateFileWithExt(const std::string& item1, const std::string& ext) {
  const LeadByteTest is_lead = CurrentLeadByteTest();
  return ExtractFileName(ChangeFileExt(item1, ext, is_lead), is_lead);
}

}  // namespace

std::string TGFileInfo::UpdateInfoUrl() const { return ListItem(Info, 0, ""); }
std::string TGFileInfo::AgentExeName() const { return ListItem(Info, 2, ""); }
std::string TGFileInfo::UpdateToken(bool unscramble) const {
  const std::string item = ListItem(Info, 3, "");
  return unscramble ? UnscrambleToken(item) : item;
}
std::string TGFileInfo::InfoFileName() const {
  return UpdateFileWithExt(ListItem(Info, 1, ""), ".info");
}
std::string TGFileInfo::SettingsFileName() const {
  return UpdateFileWithExt(ListItem(Info, 1, ""), ".original");
}
bool TGFileInfo::RunHidden() const { return ListItem(Info, 4, "") == "1"; }
std::string TGFileInfo::UpdateKey() const { return ListItem(Info, 5, ""); }

std::string TGFileInfo::DownloadUrl() const { return ListItem(Download, 0, ""); }
std::string TGFileInfo::DownloadFileName() const { return ListItem(Download, 1, ""); }
bool TGFileInfo::DownloadAlways() const { return ListItem(Download, 2, "") == "1"; }
std::string TGFileInfo::DownloadToken(bool unscramble) const {
  const std::string item = ListItem(Download, 3, "");
  return unscramble ? UnscrambleToken(item) : item;
}
std::string TGFileInfo::DownloadSize() const { return ListItem(Download, 4, ""); }

// --- Language texts ---

std::string TGFileInfo::LangText(const std::string& key, const std::string& default_text) const {
  const std::string& block = ProcessLanguageChoice().BlockFor(Languages);
  // A found value is returned as stored, also when it is empty.
  return block.size() > 1 ? ListValue(block, key, default_text) : default_text;
}

namespace {
// Blanks around the number are tolerated; anything else that is not a number gives the default.
int LangNumber(const TGFileInfo& info, const char* key, int default_value) {
  const std::int64_t v = ParseDecimal(TrimText(info.LangText(key, "")), default_value);
  return v >= INT32_MIN && v <= INT32_MAX ? int(v) : default_value;
}
}  // namespace

int TGFileInfo::Charset() const { return LangNumber(*this, "Charset", 0); }
int TGFileInfo::FontSize() const { return LangNumber(*this, "FontSize", 8); }
std::string TGFileInfo::FontName() const { return LangText("FontName", "Tahoma"); }

// --- Free routines over paths ---

bool IsExecutableImage(const std::string& path) {
  std::unique_ptr<ArchiveSource> file = OpenArchiveSource(path);
  return file && archive::IsExecutableImage(*file);
}

ArchiveTrailer ReadTrailer(const std::string& path) {
  std::unique_ptr<ArchiveSource> file = OpenArchiveSource(path);
  return file ? TracedReadTrailer(*file) : ArchiveTrailer{};
}

ChecksumResult ArchiveChecksum(const std::string& path, std::uint32_t trailer_size) {
  std::unique_ptr<ArchiveSource> file = OpenArchiveSource(path);
  return file ? archive::ArchiveChecksum(*file, trailer_size) : std::nullopt;
}

// --- Tokens ---

namespace {

int HexDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool TryUnscrambleToken(const std::string& scrambled, std::string* token) {
  // Characters are hexadecimal digits moved up by 50; a character that is not one makes the
  // token damaged rather than a byte of some arbitrary value.
  std::vector<std::uint8_t> b;
  b.reserve(scrambled.size() / 2 + 1);
  for (std::size_t i = 0; i < scrambled.size(); i += 2) {
    int value = 0;
    for (std::size_t j = i; j < i + 2 && j < scrambled.size(); ++j) {
      const int d = HexDigit(std::uint8_t(std::uint8_t(scrambled[j]) - 50));
      if (d < 0) return false;
      value = value * 16 + d;
    }
    b.push_back(std::uint8_t(value));
  }
  const std::size_t n = b.size();
  if (n <= 4) return false;
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (i != n - 2) sum = std::uint8_t(sum + b[i]);
  if (sum != b[n - 2]) return false;
  const std::uint8_t k = b[0] ^ b[n - 1];
  for (std::size_t i = 1; i + 1 < n; ++i) b[i] ^= k;
  const std::size_t a = b[1], c = b[2];
  if (a + c + 4 > n) return false;
  token->assign(reinterpret_cast<const char*>(b.data()) + a + 3, n - a - c - 4);
  return true;
}

std::string UnscrambleToken(const std::string& scrambled) {
  std::string token;
  if (TryUnscrambleToken(scrambled, &token)) return token;
  return RandomRangeText(0, 99998);
}

bool SameToken(const std::string& stored_a, const std::string& stored_b) {
  std::string ta, tb;
  return TryUnscrambleToken(stored_a, &ta) && TryUnscrambleToken(stored_b, &tb) && ta == tb;
}

bool SameDownloadToken(const TGFileInfo& a, const TGFileInfo& b) {
  return SameToken(a.DownloadToken(false), b.DownloadToken(false));
}

bool SameUpdateToken(const TGFileInfo& a, const TGFileInfo& b) {
  return SameToken(a.UpdateToken(false), b.UpdateToken(false));
}

void SplitTokenText(const std::string& text, std::string* token, std::string* body) {
  std::string stored;
  SplitTokenField(text, &stored, body);
  *token = UnscrambleToken(stored);
}

void SplitTokenField(const std::string& text, std::string* stored_token, std::string* body) {
  std::string rest = text;
  if (rest.compare(0, 12, kScrambleMarker) == 0) rest = ScrambleText(rest, false);
  const std::size_t first = rest.find('|');
  const bool first_is_field =
      first != std::string::npos && first <= 10 &&
      std::all_of(rest.begin(), rest.begin() + first, [](char c) { return c >= '0' && c <= '9'; });
  if (!first_is_field) {
    stored_token->clear();
    body->clear();
    return;
  }
  rest.erase(0, first + 1);
  // A field without a closing "|" runs to the end of the text.
  std::string fields[3];
  for (std::string& field : fields) {
    const std::size_t bar = rest.find('|');
    field = rest.substr(0, bar);
    rest.erase(0, bar == std::string::npos ? rest.size() : bar + 1);
  }
  *stored_token = fields[0];
  *body = rest;
}

// --- Inflate ---

namespace {

voidpf StubAlloc(voidpf, uInt items, uInt size) { return std::calloc(items, size); }
void StubFree(voidpf, voidpf address) { std::free(address); }

// Ends the stream on every path out of InflateEntry.
struct InflateStream {
  z_stream z{};
  bool open = false;
  ~InflateStream() {
    if (open) inflateEnd(&z);
  }
};

// Grows the output in the caller's steps, its memory by doubling: growing by a fixed step
// alone copies the output again at every step (quadratic time for entries that compress well,
// where the step is small).
bool Grow(std::string& bytes, std::size_t by) {
  if (by > bytes.max_size() / 2 - bytes.size()) return false;
  if (bytes.size() + by > bytes.capacity())
    bytes.reserve(std::max(bytes.size() + by, bytes.capacity() * 2));
  bytes.resize(bytes.size() + by);
  return true;
}

[[noreturn]] void RaiseZLib(const z_stream& z, int status) {
  throw EZLibError(z.msg ? z.msg : zError(status));
}

}  // namespace

std::string InflateEntry(const std::string& compressed, const ServeMessages& serve,
                         std::size_t max_output) {
  std::string out;
  out.resize(InflateEntryInto(compressed, &out, serve, max_output));
  return out;
}

std::size_t InflateEntryInto(const std::string& compressed, std::string* out,
                             const ServeMessages& serve, std::size_t max_output) {
  // Grow in steps of the input size rounded up to 256 (at least 256, so an empty input still
  // makes progress); inflate at most a slice per call, so that serve keeps its pace in a
  // buffer that is already large.
  const std::size_t step = (compressed.size() / 256 + 1) * 256;
  constexpr std::size_t kSlice = 1 << 20;
  InflateStream s;
  s.z.zalloc = StubAlloc;
  s.z.zfree = StubFree;
  s.z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  s.z.avail_in = uInt(compressed.size());
  int status = inflateInit(&s.z);
  if (status != Z_OK) RaiseZLib(s.z, status);
  s.open = true;
  std::size_t produced = 0;
  try {
    for (;;) {
      if (produced > max_output) throw EInflateLimit(max_output);
      // Room for one byte past the limit tells a stream that ends exactly at it from one that
      // goes on.
      const std::size_t room = max_output - produced;
      if (produced == out->size() && !Grow(*out, room < step ? room + 1 : step))
        throw EZLibError(zError(Z_MEM_ERROR));
      std::size_t offered = std::min(out->size() - produced, kSlice);
      if (room < offered) offered = room + 1;
      s.z.next_out = reinterpret_cast<Bytef*>(&(*out)[produced]);
      s.z.avail_out = uInt(offered);
      status = inflate(&s.z, Z_NO_FLUSH);
      produced += offered - s.z.avail_out;
      if (status == Z_STREAM_END) {
        if (produced > max_output) throw EInflateLimit(max_output);
        break;
      }
      // A stream asking for a preset dictionary can never end here: an error, not a loop.
      if (status < 0 || status == Z_NEED_DICT) RaiseZLib(s.z, status);
      if (serve) serve();
    }
  } catch (const std::bad_alloc&) {
    throw EZLibError(zError(Z_MEM_ERROR));
  }
  return produced;
}
