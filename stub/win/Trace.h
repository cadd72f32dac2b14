// The trace: text lines sent in chunks of at most 128 bytes to an external viewer window (class
// ".WDebug.", registered message ".W_DebugMsg.", the text handed over as a global atom).
// Without a viewer every chunk is dropped; no trace call ever fails towards its writer.
#pragma once

#include <ostream>
#include <sstream>
#include <string>

// Run once at start-up, before any other stub code writes.
void InstallTraceDevice();

// The trace device as a text stream; a statement should end with std::flush (TraceLine does).
std::ostream& TraceStream();

// One trace line: the process id, the streamed parts, CR LF, then a flush, so that the viewer
// receives every line in order as soon as it is written.
//   TraceLine() << " ThisIs_AutoUpdateProg=" << TraceBool(flag);
class TraceLine {
 public:
  TraceLine();
  ~TraceLine();
  TraceLine(const TraceLine&) = delete;
  TraceLine& operator=(const TraceLine&) = delete;

  template <class T>
  TraceLine& operator<<(const T& value) {
    text_ << value;
    return *this;
  }

 private:
  std::ostringstream text_;
};

// "TRUE" / "FALSE", as trace lines write bool values.
const char* TraceBool(bool value);

// The line that TGFileInfo and ReadTrailer write, as a trace line.
void TraceArchiveLine(const std::string& line);
