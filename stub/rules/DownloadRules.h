// Decisions of the HTTP download that need no system call: part-file names, chunk and progress
// arithmetic, the resume decision, the transfer-rate text and the recogniser of "404" pages.
// Pure code; InetHTTP.h puts them to work.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The largest step of the bar, in bytes.
constexpr std::int32_t kDownloadChunkLimit = 10240;

// Reads of a large download (its chunk at the limit) start at the chunk and double after each
// read that filled its buffer within kQuickReadMs, up to kMaxDownloadRead: a fast link is read
// in large pieces, while a read that took longer than kSlowReadMs halves the next one (never
// below the chunk), so that a slow link still lets the window be served often. A smaller
// download reads chunk by chunk. A read waits until its buffer is full or the file ends.
constexpr std::int32_t kMaxDownloadRead = 1 << 20;
constexpr std::uint32_t kQuickReadMs = 25;
constexpr std::uint32_t kSlowReadMs = 100;
std::int32_t NextReadSize(std::int32_t current, std::int32_t chunk, bool filled,
                          std::uint32_t elapsed_ms);

// target + "." + the signed decimal of size + date, added as 32-bit numbers with wrap-around:
// a new size or date on the server gives a new name, so an old part is never resumed.
std::string PartFileName(const std::string& target, std::int32_t size, std::uint32_t dos_date);
// Whether name (a file name without folder) is a part file of target_name: target_name, ".",
// and a signed decimal number, nothing else. Only such files are ever cleaned up.
bool IsPartFileNameOf(const std::string& name, const std::string& target_name);

// A tenth of the size, at most kDownloadChunkLimit and at least 1 byte (a file under 10 bytes
// would otherwise read nothing and divide by zero).
std::int32_t DownloadChunkSize(std::int32_t size);
// The main bar's range end: size / chunk rounded, plus 1; its position for bytes done.
std::int32_t ProgressHigh(std::int32_t size, std::int32_t chunk);
std::int32_t ProgressPosition(std::int64_t done, std::int32_t chunk);

// How a download into a file starts once the server's size and date are known.
struct ResumePlan {
  bool resume = false;         // ask for the rest only ("Range" and "If-Range")
  bool truncate_part = false;  // the part file is dropped first
  std::int64_t offset = 0;     // bytes kept
};
// part_size < 0: no part file. A part that is empty, at or past the size, or that cannot be
// checked against a date (the server sent no Last-Modified) starts again from 0.
ResumePlan PlanResume(std::int64_t part_size, std::int32_t size, bool has_last_modified);
// The request headers of a resumed download.
std::string ResumeHeaders(std::int64_t offset, const std::string& last_modified);
// Whether a reply to a resumed request continues at offset: 206 with a Content-Range
// "bytes offset-(size-1)/size" (the total may be "*"), offset inside the file. A 200 reply is
// the whole file.
bool RangeReplyContinues(int status, const std::string& content_range, std::int64_t offset,
                         std::int32_t size);

// The progress text: done "/" total " Bytes   " and, once ticks have passed over the last five
// chunks, their rate as "n.nn KB/Sec".
class TransferMeter {
 public:
  // tick: milliseconds of a steady clock (wrap-around is allowed).
  std::string Text(bool reset, std::int64_t total, std::int64_t done, std::uint32_t chunk,
                   std::uint32_t tick);

 private:
  std::array<std::uint32_t, 5> ticks_{};
  std::array<std::uint32_t, 5> sizes_{};
};

// The error text of a downloaded page: the 404 message when content holds "<TITLE" and "</TITLE"
// (any case) and "404", with the hint for one web server when asked and its name appears;
// otherwise default_text.
std::string NotFoundPageTextOf(const std::string& content, const std::string& url,
                               bool iis_hint, const std::string& default_text);
