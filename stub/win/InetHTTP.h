// InetHTTP: the stub's only network access. WinINet is bound at run time from the system
// folder, so that the stub starts without it (and then finds no connection). Downloads run on
// the window thread and serve its messages between reads; the caller's abort flag (JobProgress)
// ends them between two reads.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <string>

#include "rules/JobProgress.h"
#include "rules/TransferError.h"

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
// complete part replaces the target. Shows progress_window when given; reports stage 0 once and
// stage 1 after every read that brought data, and stops between reads once progress is aborted.
// Returns true when every byte arrived (and, into a file, the target is that download); else
// *error holds the fault: NoWinINet, CannotOpen, NotPublished (no Content-Length), ByteCount,
// CannotWrite (the part file cannot be written or renamed), Untrusted (the https server's
// certificate did not verify), RedirectRefused (from https to http, not to a web address, or more
// than kMaxRedirects) or Aborted (the part file stays for a resume). Its text is the one the trace and the boxes show ("2 Unable to open ...").
bool HTTP_DownloadFile_Incremental(HWND progress_window, const std::string& url,
                                   const std::string& target_file, std::string* content,
                                   const JobProgress& progress, TransferError* error);

// The "404" message when the file (its first 10000 bytes; else content) is a web server's page
// for a missing file, else default_text.
std::string NotFoundPageText(const std::string& file, const std::string& content,
                             const std::string& url, bool iis_hint,
                             const std::string& default_text);

// Releases WinINet; the entry points are forgotten with it, so a later call binds again.
void FreeWinINet();
