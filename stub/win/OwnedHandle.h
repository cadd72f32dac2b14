// Owner of one kernel handle closed by CloseHandle (files, processes, threads, snapshots).
// INVALID_HANDLE_VALUE and null both mean "none".
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE handle)
      : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~OwnedHandle() { Close(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.Release()) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.Release();
    }
    return *this;
  }

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  HANDLE Release() {
    HANDLE h = handle_;
    handle_ = nullptr;
    return h;
  }
  // Closes now; false when the system reports a failure (a write-behind error, for example).
  bool Close() {
    if (!handle_) return true;
    const BOOL ok = CloseHandle(handle_);
    handle_ = nullptr;
    return ok != FALSE;
  }

 private:
  HANDLE handle_ = nullptr;
};
