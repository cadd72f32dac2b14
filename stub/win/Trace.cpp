#include "win/Trace.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>

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

// A line goes out in chunks of 128 bytes, the last one shorter, under one lock so that lines
// written by two threads never interleave.
void SendTraceLine(const std::string& line) {
  Lock().Enter();
  for (std::size_t at = 0; at < line.size(); at += kChunkSize)
    SendTraceChunk(line.data() + at, line.size() - at);
  Lock().Leave();
}

}  // namespace

void InstallTraceDevice() {
  if (trace_message == 0) trace_message = RegisterWindowMessageA(".W_DebugMsg.");
}

TraceLine::TraceLine() { AppendUnsigned(GetCurrentProcessId()); }

TraceLine::~TraceLine() {
  text_ += "\r\n";
  SendTraceLine(text_);
}

void TraceLine::AppendSigned(std::int64_t number) { text_ += std::to_string(number); }
void TraceLine::AppendUnsigned(std::uint64_t number) { text_ += std::to_string(number); }

const char* TraceBool(bool value) { return value ? "TRUE" : "FALSE"; }

void TraceArchiveLine(const std::string& line) { TraceLine() << line; }
