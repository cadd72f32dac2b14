// The trace: text lines sent in chunks of at most 128 bytes to an external viewer window (class
// ".WDebug.", registered message ".W_DebugMsg.", the text handed over as a global atom).
// Without a viewer every chunk is dropped; no trace call ever fails towards its writer.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

// Run once at start-up, before any other stub code writes.
void InstallTraceDevice();

// One trace line: the process id, the parts, CR LF; sent when the line ends, so that the viewer
// receives every line in order as soon as it is written.
//   TraceLine() << " ThisIs_AutoUpdateProg=" << TraceBool(flag);
// Parts are texts, characters and integers (in decimal). The line is built by hand rather than
// with a string stream: streams would bring the library's locale machinery into the program.
class TraceLine {
 public:
  TraceLine();
  ~TraceLine();
  TraceLine(const TraceLine&) = delete;
  TraceLine& operator=(const TraceLine&) = delete;

  TraceLine& operator<<(const std::string& text) {
    text_ += text;
    return *this;
  }
  TraceLine& operator<<(const char* text) {
    text_ += text ? text : "";
    return *this;
  }
  // Characters as they are, integers and unscoped enums in decimal.
  template <class T, std::enable_if_t<std::is_arithmetic_v<T> || std::is_enum_v<T>, int> = 0>
  TraceLine& operator<<(T value) {
    static_assert(!std::is_floating_point_v<T>, "format a fraction as text first (NumberText)");
    static_assert(!std::is_same_v<T, bool>, "write bool values with TraceBool");
    if constexpr (std::is_same_v<T, char>) {
      text_ += value;
    } else if constexpr (std::is_enum_v<T>) {
      AppendSigned(static_cast<std::int64_t>(value));
    } else {
      static_assert(sizeof(T) > 1, "a byte is a character or a number: convert it first");
      if constexpr (std::is_signed_v<T>)
        AppendSigned(value);
      else
        AppendUnsigned(value);
    }
    return *this;
  }

 private:
  void AppendSigned(std::int64_t number);
  void AppendUnsigned(std::uint64_t number);
  std::string text_;
};

// "TRUE" / "FALSE", as trace lines write bool values.
const char* TraceBool(bool value);

// The line that TGFileInfo and ReadTrailer write, as a trace line.
void TraceArchiveLine(const std::string& line);
