// InetHTTP: the stub's only network access. WinINet is bound at run time from the system
// folder, so that the stub starts without it (and then finds no connection). Downloads run on
// the window thread and serve its messages between reads; the stub window's abort flag
// (StubWin.h) ends them between two reads.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <string>

// Progress of a download: stage 0 once (low, high = the main bar's range, step, position), stage
// 1 after every read that brought data. ProgressBarsCallback (StubWin.h) drives the stub window.
using DownloadProgress = void (*)(int stage, int low, int high, const std::string& text,
                                  int step, int position);

// The system's connected-state query.
bool InternetConnected();
// Test seam: a replacement for the connected-state query (some WinINet builds always answer
// yes); null restores the system's.
void SetConnectedStateQuery(bool (*query)());

// The Content-Length of the reply to a GET of url; -1 when the URL cannot be opened or the
// reply has none.
std::int64_t UrlContentLength(const std::string& url);

// Downloads url into target_file, or into *content when target_file is empty. Into a file the
// bytes go first to a part file (target + "." + a number made of the server's size and date),
// which a later call resumes with a range request while size and date stay the same; only a
// complete part replaces the target. Shows progress_window when given. Returns true when every
// byte arrived (and, into a file, the target is that download); else *error holds the reason,
// its first character the error's number where it has one:
//   "1 ..." WinINet missing, "2 ..." the URL cannot be opened, "3 ..." no Content-Length,
//   "4 ..." fewer or more bytes than announced, "5 ..." the part file cannot be written or
//   renamed, "6 Certificate not trusted ..." the https server's certificate did not verify,
//   "7 ..." a redirect refused (https to http, not a web address, more than kMaxRedirects),
//   "Download Aborted" the abort flag was set (the part file stays for a resume).
bool HTTP_DownloadFile_Incremental(HWND progress_window, const std::string& url,
                                   const std::string& target_file, std::string* content,
                                   DownloadProgress progress, std::string* error);

// The "404" message when the file (its first 10000 bytes; else content) is a web server's page
// for a missing file, else default_text.
std::string NotFoundPageText(const std::string& file, const std::string& content,
                             const std::string& url, bool iis_hint,
                             const std::string& default_text);

// Releases WinINet; the entry points are forgotten with it, so a later call binds again.
void FreeWinINet();
