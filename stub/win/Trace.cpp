#include "win/Trace.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>
#include <streambuf>

namespace {

constexpr std::size_t kChunkSize = 128;
// A viewer that does not answer within this time loses the chunk; after that it is left alone
// for kStalledPauseMs so that a hung viewer costs the stub one wait, not one per chunk.
constexpr UINT kSendTimeoutMs = 1000;
constexpr DWORD kStalledPauseMs = 5000;

UINT trace_message = 0;

class TraceLock {
 public:
  TraceLock() { InitializeCriticalSection(&section_); }
  ~TraceLock() { DeleteCriticalSection(&section_); }
  TraceLock(const TraceLock&) = delete;
  TraceLock& operator=(const TraceLock&) = delete;
  void Enter() { EnterCriticalSection(&section_); }
  void Leave() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

TraceLock& Lock() {
  static TraceLock lock;
  return lock;
}

// The global atom that carries one chunk for the duration of one send.
class ChunkAtom {
 public:
  explicit ChunkAtom(const char* text) : atom_(GlobalAddAtomA(text)) {}
  ~ChunkAtom() {
    if (atom_) GlobalDeleteAtom(atom_);
  }
  ChunkAtom(const ChunkAtom&) = delete;
  ChunkAtom& operator=(const ChunkAtom&) = delete;
  ATOM get() const { return atom_; }

 private:
  ATOM atom_;
};

HWND stalled_viewer = nullptr;
DWORD stalled_since = 0;

void SendTraceChunk(const char* data, std::size_t n) {
  if (n == 0 || trace_message == 0) return;
  Lock().Enter();
  char text[kChunkSize + 1];
  n = n < kChunkSize ? n : kChunkSize;
  std::memcpy(text, data, n);
  text[n] = '\0';
  const HWND viewer = FindWindowA(".WDebug.", nullptr);
  const bool paused =
      viewer && viewer == stalled_viewer && GetTickCount() - stalled_since < kStalledPauseMs;
  if (viewer && !paused && text[0] != '\0') {
    const ChunkAtom atom(text);
    if (atom.get()) {
      DWORD_PTR answer = 0;
      const LRESULT sent =
          SendMessageTimeoutA(viewer, trace_message, 1, atom.get(),
                              SMTO_ABORTIFHUNG | SMTO_NORMAL, kSendTimeoutMs, &answer);
      if (sent == 0) {
        stalled_viewer = viewer;
        stalled_since = GetTickCount();
      } else if (viewer == stalled_viewer) {
        stalled_viewer = nullptr;
      }
    }
  }
  Lock().Leave();
}

// Text device with a 128-byte buffer; a full buffer and every flush send one chunk.
class TraceBuffer : public std::streambuf {
 public:
  TraceBuffer() { setp(buffer_, buffer_ + kChunkSize); }

 protected:
  int_type overflow(int_type ch) override {
    Send();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(ch);
      pbump(1);
    }
    return traits_type::not_eof(ch);
  }
  int sync() override {
    Send();
    return 0;
  }

 private:
  void Send() {
    SendTraceChunk(pbase(), std::size_t(pptr() - pbase()));
    setp(buffer_, buffer_ + kChunkSize);
  }
  char buffer_[kChunkSize];
};

TraceBuffer& Buffer() {
  static TraceBuffer buffer;
  return buffer;
}

}  // namespace

void InstallTraceDevice() {
  if (trace_message == 0) trace_message = RegisterWindowMessageA(".W_DebugMsg.");
  TraceStream();
}

std::ostream& TraceStream() {
  static std::ostream stream(&Buffer());
  return stream;
}

TraceLine::TraceLine() { text_ << GetCurrentProcessId(); }

TraceLine::~TraceLine() {
  text_ << "\r\n";
  std::ostream& out = TraceStream();
  out << text_.str();
  out.flush();
  out.clear();  // a failed chunk never leaves the stream in a failed state
}

const char* TraceBool(bool value) { return value ? "TRUE" : "FALSE"; }

void TraceArchiveLine(const std::string& line) { TraceLine() << line; }
