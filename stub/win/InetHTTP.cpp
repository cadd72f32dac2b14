#include "win/InetHTTP.h"

#include <wininet.h>

#include <algorithm>
#include <vector>

#include "rules/DownloadRules.h"
#include "rules/RedirectRules.h"
#include "rules/RunMode.h"
#include "win/Files.h"
#include "win/Owners.h"
#include "win/Trace.h"
#include "win/Utils.h"

namespace {

// --- The library, bound on first use ---

enum Entry { kConnectedState, kCloseHandle, kOpen, kOpenUrl, kQueryInfo, kReadFile, kEntries };
const char* const kEntryNames[kEntries] = {"InternetGetConnectedState", "InternetCloseHandle",
                                           "InternetOpenA", "InternetOpenUrlA", "HttpQueryInfoA",
                                           "InternetReadFile"};
FARPROC entries[kEntries] = {};
ModuleOwner library;

// The address of one entry point, binding it (and loading the library) when needed; null when
// either is missing, so that the next call tries again.
template <class Function>
Function Bound(Entry entry) {
  if (!entries[entry]) {
    if (!library.get()) library = ModuleOwner(LoadSystemLibrary("wininet.dll"));
    if (library.get()) entries[entry] = GetProcAddress(library.get(), kEntryNames[entry]);
  }
  return reinterpret_cast<Function>(reinterpret_cast<void*>(entries[entry]));
}

void CloseInternetHandle(HINTERNET handle) {
  if (const auto close = Bound<decltype(&InternetCloseHandle)>(kCloseHandle)) close(handle);
}
using InternetOwner = Owner<HINTERNET, CloseInternetHandle>;

// error_code receives the system's code when the session cannot be opened (0 when the library
// or its entry point is missing).
InternetOwner OpenSession(const char* agent, DWORD* error_code = nullptr) {
  const auto open = Bound<decltype(&InternetOpenA)>(kOpen);
  const HINTERNET session =
      open ? open(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0) : nullptr;
  if (!session && error_code) *error_code = open ? GetLastError() : 0;
  return InternetOwner(session);
}

bool QueryNumber(HINTERNET request, DWORD what, std::int64_t* value);
std::string QueryText(HINTERNET request, DWORD what);

// A cached copy must never stand in for the server's current file, nor a part of one be
// cached: nothing is written to the cache. Redirects are followed here, not by WinINet (which
// would follow one from https to http), up to kMaxRedirects. Certificates are always checked.
// error_code receives the system's code when the URL cannot be opened; *refusal a certificate
// that did not verify (Untrusted) or a redirect that is not followed (RedirectRefused).
InternetOwner OpenUrl(HINTERNET session, const std::string& url_in, const std::string& headers,
                      DWORD flags, DWORD* error_code = nullptr, TransferError* refusal = nullptr) {
  const auto open = Bound<decltype(&InternetOpenUrlA)>(kOpenUrl);
  if (!open || !session) return InternetOwner();
  std::string url = url_in;
  for (int redirects = 0;; ++redirects) {
    InternetOwner request(open(session, url.c_str(), headers.empty() ? nullptr : headers.c_str(),
                               DWORD(headers.size()),
                               flags | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT,
                               0));
    if (!request.get()) {
      const DWORD code = GetLastError();
      if (error_code) *error_code = code;
      if (refusal && IsCertificateError(code))
        *refusal = TransferError::Numbered(TransferFault::Untrusted,
                                           "Certificate not trusted (error " + IntText(code) +
                                               ") <P>URL: " + url, code);
      return request;
    }
    std::int64_t status = 0;
    QueryNumber(request.get(), HTTP_QUERY_STATUS_CODE, &status);
    if (!IsRedirectStatus(long(status))) return request;
    const std::string next = RedirectTarget(url, QueryText(request.get(), HTTP_QUERY_LOCATION));
    std::string why = RedirectRefusal(url, next);
    if (why.empty() && redirects >= kMaxRedirects) why = "too many redirects";
    if (!why.empty()) {
      TraceLine() << " OpenUrl: " << url << " -> " << next << ": " << why;
      if (refusal)
        *refusal = TransferError::Numbered(TransferFault::RedirectRefused, why + " <P>URL: " + url);
      return InternetOwner();
    }
    url = next;
  }
}

bool QueryNumber(HINTERNET request, DWORD what, std::int64_t* value) {
  const auto query = Bound<decltype(&HttpQueryInfoA)>(kQueryInfo);
  DWORD number = 0, length = sizeof number, index = 0;
  if (!query || !query(request, what | HTTP_QUERY_FLAG_NUMBER, &number, &length, &index))
    return false;
  *value = number;
  return true;
}

std::string QueryText(HINTERNET request, DWORD what) {
  const auto query = Bound<decltype(&HttpQueryInfoA)>(kQueryInfo);
  char text[512];
  DWORD length = sizeof text - 1, index = 0;
  if (!query || !query(request, what, text, &length, &index)) return std::string();
  return std::string(text, std::min<DWORD>(length, sizeof text - 1));
}

// Content-Length as a size: -1 when absent or beyond 32 bits.
std::int32_t ContentLength(HINTERNET request) {
  std::int64_t length = -1;
  if (!QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, &length) || length > INT32_MAX) return -1;
  return std::int32_t(length);
}

// Last-Modified as an MS-DOS date-time (date in the high word); 0 when absent or invalid.
std::uint32_t LastModifiedDos(HINTERNET request) {
  const auto query = Bound<decltype(&HttpQueryInfoA)>(kQueryInfo);
  SYSTEMTIME when{};
  DWORD length = sizeof when, index = 0;
  FILETIME file_time;
  WORD date = 0, time = 0;
  if (!query ||
      !query(request, HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME, &when, &length,
             &index) ||
      !SystemTimeToFileTime(&when, &file_time) || !FileTimeToDosDateTime(&file_time, &date, &time))
    return 0;
  return std::uint32_t(date) << 16 | time;
}

bool DeleteEvenReadOnly(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(path.c_str()) != 0;
}

// Part files of earlier attempts at another size or date of the file: target + "." + a number
// and nothing else, so that a target "Tolvane" never takes "Tolvane.exe" with it.
void DeleteStaleParts(const std::string& target) {
  const std::string name = FileNameOfPath(target);
  const std::string folder = target.substr(0, target.size() - name.size());
  WIN32_FIND_DATAA found;
  const SearchOwner search = FindFirst(target + ".*", &found);
  if (!search) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        IsPartFileNameOf(found.cFileName, name))
      DeleteFileA((folder + found.cFileName).c_str());
  } while (FindNextFileA(search.get(), &found));
}

TransferError ByteCountError(std::int64_t done, std::int32_t size, const std::string& url) {
  return TransferError::Numbered(TransferFault::ByteCount,
                                 "Connection broken: " + IntText(done) + " of " + IntText(size) +
                                     " bytes received <P>URL: " + url);
}

TransferError CannotOpen(const std::string& url, DWORD code) {
  return TransferError::Numbered(TransferFault::CannotOpen,
                                 "Unable to open Internet Connection <P>URL: " + url, code);
}

TransferMeter& Meter() {
  static TransferMeter meter;
  return meter;
}

bool (*connected_query)() = nullptr;

// One download on an open session; fills error.
void Transfer(HINTERNET session, HWND progress_window, const std::string& url,
              const std::string& target, std::string* content, const JobProgress& progress,
              TransferError& error) {
  const bool to_file = !target.empty();
  const DWORD flags = to_file ? INTERNET_FLAG_RESYNCHRONIZE : INTERNET_FLAG_RELOAD;
  DWORD open_code = 0;
  TransferError refusal;
  InternetOwner request = OpenUrl(session, url, "", flags, &open_code, &refusal);
  if (!request.get()) {
    error = refusal.ok() ? CannotOpen(url, open_code) : refusal;
    return;
  }
  const std::int32_t size = ContentLength(request.get());
  const std::uint32_t date = LastModifiedDos(request.get());
  const std::string last_modified = QueryText(request.get(), HTTP_QUERY_LAST_MODIFIED);
  if (size <= 0) {
    error = TransferError::Numbered(TransferFault::NotPublished, url + "<P><P>File Not Found !");
    return;
  }
  if (progress_window) ShowWindow(progress_window, SW_SHOW);

  std::int64_t done = 0;
  std::string part;
  if (to_file) {
    part = PartFileName(target, size, date);
    const bool part_exists = FileExists(part);
    if (!part_exists) DeleteStaleParts(target);
    const ResumePlan plan = PlanResume(part_exists ? std::int64_t(FileSizeOf(part)) : -1, size,
                                       date != 0 && !last_modified.empty());
    if (plan.truncate_part) DeleteEvenReadOnly(part);
    if (plan.resume) {
      // The system's seek cannot be relied upon: ask the server for the rest, on condition that
      // the file is still the one the part came from.
      request = OpenUrl(session, url, ResumeHeaders(plan.offset, last_modified), flags);
      std::int64_t status = 0;
      if (request.get()) QueryNumber(request.get(), HTTP_QUERY_STATUS_CODE, &status);
      if (request.get() && RangeReplyContinues(int(status),
                                               QueryText(request.get(), HTTP_QUERY_CONTENT_RANGE),
                                               plan.offset, size)) {
        done = plan.offset;
      } else {
        // A 200 reply (the range was ignored or the file changed) or a range that does not fit:
        // the part goes and the whole file is fetched again.
        DeleteEvenReadOnly(part);
        if (!(request.get() && status == 200 && ContentLength(request.get()) == size))
          request = OpenUrl(session, url, "", flags, &open_code);
        if (!request.get() || ContentLength(request.get()) != size) {
          error = CannotOpen(url, request.get() ? 0 : open_code);
          return;
        }
      }
    }
  }

  const std::int32_t chunk = DownloadChunkSize(size);
  std::string text = Meter().Text(true, size, done, 0, GetTickCount());
  std::int32_t shown = ProgressPosition(done, chunk);
  progress.Report(0, 0, ProgressHigh(size, chunk), text, 1, shown);
  const auto read_file = Bound<decltype(&InternetReadFile)>(kReadFile);
  std::int32_t read_size = chunk;
  std::vector<char> buffer(static_cast<std::size_t>(chunk));
  OwnedHandle part_file;  // opened at the first bytes, appended to until the end
  DWORD read = 0;
  BOOL ok = FALSE;
  do {
    // The read itself is the pause between two servings of the window.
    PumpMessages(0);
    if (buffer.size() < std::size_t(read_size)) buffer.resize(std::size_t(read_size));
    read = 0;
    const DWORD started = GetTickCount();
    ok = read_file && read_file(request.get(), buffer.data(), DWORD(read_size), &read);
    if (!ok) read = 0;
    const DWORD now = GetTickCount();
    if (read > 0) {
      if (to_file) {
        DWORD code = 0;
        if (!part_file) part_file = OpenForWriting(part, WriteMode::Append, &code);
        if (!part_file || !WriteAllTo(part_file.get(), std::string_view(buffer.data(), read), &code)) {
          error = TransferError::Numbered(TransferFault::CannotWrite,
                                          "Unable to write " + part + " <P>" + LastErrorText(code),
                                          code);
          return;
        }
      } else {
        content->append(buffer.data(), read);
      }
      done += read;
      text = Meter().Text(false, size, done, read, now);
      // One step of the bar per chunk: a large read moves it by all the chunks it brought.
      const std::int32_t steps = std::max(1, ProgressPosition(done, chunk) - shown);
      shown += steps;
      progress.Report(1, 0, 0, text, steps, 0);
    }
    read_size = NextReadSize(read_size, chunk, read == DWORD(read_size), now - started);
    // A server that sends more than it announced is not followed past the size.
  } while (read > 0 && done < size && !progress.Aborted());
  if (part_file && !part_file.Close() && !progress.Aborted()) {
    const DWORD code = GetLastError();
    error = TransferError::Numbered(TransferFault::CannotWrite,
                                    "Unable to write " + part + " <P>" + LastErrorText(code), code);
    return;
  }

  if (progress.Aborted()) {
    error = TransferError(TransferFault::Aborted, "Download Aborted");
    return;
  }
  if (done != size || (to_file && FileSizeOf(part) != std::uint32_t(size))) {
    error = ByteCountError(done, size, url);
    return;
  }
  if (to_file) {
    // The target was deleted before this download; one that appeared since is stale as well.
    if (FileExists(target)) DeleteEvenReadOnly(target);
    if (!MoveFileA(part.c_str(), target.c_str())) {
      const DWORD code = GetLastError();
      error = TransferError::Numbered(
          TransferFault::CannotWrite,
          "Unable to rename " + part + " to " + target + " <P>" + LastErrorText(code), code);
    }
  }
}

}  // namespace

bool InternetConnected() {
  if (connected_query) return connected_query();
  const auto state = Bound<decltype(&InternetGetConnectedState)>(kConnectedState);
  DWORD flags = 0;
  return state && state(&flags, 0);
}

void SetConnectedStateQuery(bool (*query)()) { connected_query = query; }

std::int64_t UrlContentLength(const std::string& url) {
  const InternetOwner session = OpenSession("HTTP_Connect_2");
  const InternetOwner request = OpenUrl(session.get(), url, "", INTERNET_FLAG_RELOAD);
  std::int64_t length = -1;
  if (!request.get() || !QueryNumber(request.get(), HTTP_QUERY_CONTENT_LENGTH, &length)) return -1;
  return length;
}

bool HTTP_DownloadFile_Incremental(HWND progress_window, const std::string& url,
                                   const std::string& target_file, std::string* content,
                                   const JobProgress& progress, TransferError* error) {
  // What the window has to show (its status text, its bars) is served before the first read;
  // no fixed pause on top, which a fast download would spend mostly waiting.
  PumpMessages(0);
  TransferError failure;
  std::string ignored;
  if (!content) content = &ignored;
  content->clear();
  // A file left from before must not pass for this download if it fails.
  if (!target_file.empty() && FileExists(target_file)) DeleteEvenReadOnly(target_file);
  DWORD session_code = 0;
  const InternetOwner session = OpenSession("HTTP_Connect_3", &session_code);
  if (!session.get())
    failure = TransferError::Numbered(TransferFault::NoWinINet,
                                      "Unable to initialize \"WinINet.dll\"", session_code);
  else
    Transfer(session.get(), progress_window, url, target_file, content, progress, failure);
  if (!failure.ok()) TraceLine() << " HTTP_DownloadFile_Incremental: " << failure.text();
  if (error) *error = failure;
  return failure.ok();
}

std::string NotFoundPageText(const std::string& file, const std::string& content,
                             const std::string& url, bool iis_hint,
                             const std::string& default_text) {
  const std::string page =
      !file.empty() && FileExists(file) ? ReadFilePart(file, 0, 10000) : content;
  return NotFoundPageTextOf(page, url, iis_hint, default_text);
}

void FreeWinINet() {
  // Addresses into a released library must not be called: they go with it.
  for (FARPROC& entry : entries) entry = nullptr;
  library.reset();
}
