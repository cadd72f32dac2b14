// TransferError: how a download, an agent file's fetch or the internet setup's fetch failed: its
// kind, the text the user and the trace see, and the system's code captured at the failing call.
// No error is the default; callers decide by kind, never by reading the text.
#pragma once

#include <string>
#include <utility>

enum class TransferFault {
  None,
  // The download's own faults. Their texts start with their number, as users have always seen
  // them ("2 Unable to open Internet Connection ...").
  NoWinINet = 1,    // the network library cannot be loaded
  CannotOpen = 2,   // the URL cannot be opened
  NotPublished = 3,  // the reply has no length: nothing is published there
  ByteCount = 4,    // fewer or more bytes arrived than announced
  CannotWrite = 5,  // the part file cannot be written or renamed
  Untrusted = 6,    // the https server's certificate did not verify
  RedirectRefused = 7,  // a redirect from https to http, to no web address, or one too many
  Aborted,          // the abort flag was set; the part file stays for a resume
  // The agent's and the internet setup's faults around a download.
  Refused,       // a name that may not be written (it would replace the agent's own files)
  EmptyFile,     // the file in the source folder is empty
  ErrorPage,     // the info file is a web server's page for a missing file
  CannotStore,   // the fetched file cannot be written to, or a stale one removed from, the target
  Declined,      // the user said No; nothing is shown
  Offline,       // no connection to the Internet
  NotGenuine,    // the downloaded setup does not carry the installed product's token, or its
                 // signature does not verify
};

class TransferError {
 public:
  TransferError() = default;
  TransferError(TransferFault kind, std::string text, unsigned long system_code = 0)
      : kind_(kind), text_(std::move(text)), system_code_(system_code) {}
  // A fault of the download with its number in front of the text.
  static TransferError Numbered(TransferFault kind, const std::string& text,
                                unsigned long system_code = 0) {
    return TransferError(kind, std::to_string(int(kind)) + " " + text, system_code);
  }

  bool ok() const { return kind_ == TransferFault::None; }
  TransferFault kind() const { return kind_; }
  const std::string& text() const { return text_; }
  unsigned long system_code() const { return system_code_; }

 private:
  TransferFault kind_ = TransferFault::None;
  std::string text_;
  unsigned long system_code_ = 0;
};
