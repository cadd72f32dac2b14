// TGFileInfo: one archive-bearing file (the stub itself, a volume 1, a downloaded setup or an
// agent copy) read as an archive, and the free routines under it: trailer, checksum, cluster
// size, tokens and the inflate of one entry. Pure code; the file side is ArchiveSource.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "format/ArchiveFormat.h"
#include "format/ArchiveSource.h"

using archive::ArchiveTrailer;

class TGFileInfo {
 public:
  // A missing or unreadable file gives an all-zero trailer and empty texts.
  explicit TGFileInfo(const std::string& path);
  explicit TGFileInfo(archive::ArchiveSource& file);

  ArchiveTrailer Trailer;
  std::string Languages;  // header block 1
  std::string Info;       // header block 2
  std::string Download;   // header block 3

  bool ConfirmExtract() const;
  bool SpanCd() const;
  bool ShowActivityBar() const;
  bool InternetSetup() const;
  bool ConfirmDownload() const;
  bool WriteAgent() const;
  bool IsAutoUpdateProg() const;
  double SpaceNeededFor(const std::string& folder) const;
  // The same for a known cluster size.
  double SpaceNeededForCluster(std::uint64_t cluster_size) const;

  std::string UpdateInfoUrl() const;
  std::string AgentExeName() const;
  std::string UpdateToken(bool unscramble) const;
  // Item 5: the public key that signs the product's updates (format/Signature.h); empty: none.
  std::string UpdateKey() const;
  std::string InfoFileName() const;
  std::string SettingsFileName() const;
  bool RunHidden() const;

  std::string DownloadUrl() const;
  std::string DownloadFileName() const;
  bool DownloadAlways() const;
  std::string DownloadToken(bool unscramble) const;
  std::string DownloadSize() const;

  // The texts of the language block chosen for the process (SLangId.h) from header block 1 of
  // the first object asked; the default when that block lacks the key.
  std::string LangText(const std::string& key, const std::string& default_text) const;
  int Charset() const;         // "Charset", 0 when absent or not a number
  int FontSize() const;        // "FontSize", 8 when absent or not a number
  std::string FontName() const;  // "FontName", "Tahoma" when absent

 private:
  void Read(archive::ArchiveSource& file);
};

// Raised by InflateEntry with zlib's own message text.
class EZLibError : public std::runtime_error {
 public:
  explicit EZLibError(const std::string& message) : std::runtime_error(message) {}
};

// Where TGFileInfo and ReadTrailer send their trace lines ("n1=", "n2=" with the header block
// count); none until the stub connects its trace.
using ArchiveTraceSink = void (*)(const std::string& line);
void SetArchiveTrace(ArchiveTraceSink sink);

bool IsExecutableImage(const std::string& path);
ArchiveTrailer ReadTrailer(const std::string& path);
// Nothing when the file cannot be opened or read; pass the result to archive::ChecksumAccepted.
archive::ChecksumResult ArchiveChecksum(const std::string& path, std::uint32_t trailer_size);
using archive::ClusterSize;

// Unscrambles a stored token; a damaged token gives the decimal text of a random number from 0
// to 99 998, so it never equals a good one.
std::string UnscrambleToken(const std::string& scrambled);
// The same, telling whether the token was sound.
bool TryUnscrambleToken(const std::string& scrambled, std::string* token);
// The one comparison of tokens, on their stored (scrambled) forms: both sound and their
// unscrambled texts equal, case-sensitive. A damaged token never matches, not even another
// damaged one: each unscrambles to a random number text, and two such texts can be equal.
// Every token check goes through it; never compare unscrambled texts directly.
bool SameToken(const std::string& stored_a, const std::string& stored_b);
// SameToken of the two download tokens (the downloaded setup against the running stub).
bool SameDownloadToken(const TGFileInfo& a, const TGFileInfo& b);
// SameToken of the two update tokens (a downloaded update against the running stub).
bool SameUpdateToken(const TGFileInfo& a, const TGFileInfo& b);
// "|T|x|y|body" (optionally scrambled with ScrambleText) -> token of T, body.
void SplitTokenText(const std::string& text, std::string* token, std::string* body);
// The same with the token field as stored, for SameToken (an inform file against the running
// stub's update token). The token field is the second field: the first one is empty (as the
// builder writes it) or a number of at most 10 digits. Any other text before the first "|" is
// no such file, and its token field is empty: a text that merely contains "|token|||" somewhere
// does not pass for an inform file.
void SplitTokenField(const std::string& text, std::string* stored_token, std::string* body);

// Raised by InflateEntry when the output would pass its limit: more than the archive declared.
class EInflateLimit : public std::runtime_error {
 public:
  explicit EInflateLimit(std::size_t limit)
      : std::runtime_error("inflated data exceed the declared size"), limit_(limit) {}
  std::size_t limit() const { return limit_; }

 private:
  std::size_t limit_;
};

// Called between the slices of InflateEntry's output; the stub serves its message queue.
using ServeMessages = std::function<void()>;
// Inflates one zlib stream (header and Adler-32 included); raises EZLibError. With max_output
// the output never grows beyond it: a stream that would produce more raises EInflateLimit
// before the memory is taken.
std::string InflateEntry(const std::string& compressed, const ServeMessages& serve = {},
                         std::size_t max_output = SIZE_MAX);
// The same into *out, whose memory is kept from one call to the next (an extraction inflates
// many entries; fresh memory for each costs page faults and zero-filling). *out never shrinks;
// the content is its first bytes, as many as returned. serve is called after each MiB of output.
std::size_t InflateEntryInto(const std::string& compressed, std::string* out,
                             const ServeMessages& serve = {}, std::size_t max_output = SIZE_MAX);
