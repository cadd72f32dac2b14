// Owners of every handle kind the stub holds: one small owner per kind, copy deleted, move
// allowed, move-assignment closing the old handle first. Kernel handles (OwnedHandle), search
// handles, registry keys, modules, fonts, windows, window classes, device contexts and the
// object selected into one.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <utility>

// The owner of a handle whose only "none" is null, closed by Close.
template <class Handle, void (*Close)(Handle)>
class Owner {
 public:
  Owner() = default;
  explicit Owner(Handle handle) : handle_(handle) {}
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  Owner(Owner&& o) noexcept : handle_(std::exchange(o.handle_, nullptr)) {}
  Owner& operator=(Owner&& o) noexcept {
    if (this != &o) {
      reset();
      handle_ = std::exchange(o.handle_, nullptr);
    }
    return *this;
  }
  ~Owner() { reset(); }
  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset() {
    if (handle_) Close(handle_);
    handle_ = nullptr;
  }

 private:
  Handle handle_ = nullptr;
};

inline void DeleteFont(HFONT font) { DeleteObject(font); }
inline void ReleaseModule(HMODULE module) { FreeLibrary(module); }
inline void CloseKey(HKEY key) { RegCloseKey(key); }
inline void CloseSearch(HANDLE search) { FindClose(search); }
// A window that its own close already destroyed is left alone.
inline void DestroyIfWindow(HWND window) {
  if (IsWindow(window)) DestroyWindow(window);
}

using FontOwner = Owner<HFONT, DeleteFont>;
using ModuleOwner = Owner<HMODULE, ReleaseModule>;
using KeyOwner = Owner<HKEY, CloseKey>;
using SearchOwner = Owner<HANDLE, CloseSearch>;
using WindowOwner = Owner<HWND, DestroyIfWindow>;

// The first entry of a directory listing of pattern in *data, and the search for the next ones;
// empty when nothing matches (the system's INVALID_HANDLE_VALUE never reaches the owner).
inline SearchOwner FindFirst(const std::string& pattern, WIN32_FIND_DATAA* data) {
  const HANDLE search = FindFirstFileA(pattern.c_str(), data);
  return SearchOwner(search == INVALID_HANDLE_VALUE ? nullptr : search);
}

// Owner of one kernel handle closed by CloseHandle (files, processes, threads, snapshots).
// INVALID_HANDLE_VALUE and null both mean "none".
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

// The device context of a window (of the screen for null), released when the owner ends.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  WindowDC(WindowDC&& o) noexcept : window_(o.window_), dc_(std::exchange(o.dc_, nullptr)) {}
  WindowDC& operator=(WindowDC&& o) noexcept {
    if (this != &o) {
      reset();
      window_ = o.window_;
      dc_ = std::exchange(o.dc_, nullptr);
    }
    return *this;
  }
  ~WindowDC() { reset(); }
  HDC get() const { return dc_; }
  void reset() {
    if (dc_) ReleaseDC(window_, dc_);
    dc_ = nullptr;
  }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context; the previous one is selected again when the owner
// ends (declare it after the context's owner, so that it ends first).
class ObjectSelection {
 public:
  ObjectSelection(HDC dc, HGDIOBJ object)
      : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ObjectSelection(const ObjectSelection&) = delete;
  ObjectSelection& operator=(const ObjectSelection&) = delete;
  ~ObjectSelection() {
    if (previous_) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A window class registered by this owner; unregistered when the owner ends (its windows must
// be gone by then).
class ClassOwner {
 public:
  ClassOwner() = default;
  ClassOwner(ATOM atom, HINSTANCE instance) : atom_(atom), instance_(instance) {}
  ClassOwner(const ClassOwner&) = delete;
  ClassOwner& operator=(const ClassOwner&) = delete;
  ClassOwner(ClassOwner&& o) noexcept
      : atom_(std::exchange(o.atom_, ATOM(0))), instance_(o.instance_) {}
  ClassOwner& operator=(ClassOwner&& o) noexcept {
    if (this != &o) {
      reset();
      atom_ = std::exchange(o.atom_, ATOM(0));
      instance_ = o.instance_;
    }
    return *this;
  }
  ~ClassOwner() { reset(); }
  void reset() {
    if (atom_) UnregisterClassA(MAKEINTATOM(atom_), instance_);
    atom_ = 0;
  }

 private:
  ATOM atom_ = 0;
  HINSTANCE instance_ = nullptr;
};

// The dialogs' font: a character height in pixels, the swiss family hint.
inline FontOwner MakeDialogFont(int height, int charset, const char* face) {
  return FontOwner(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, BYTE(charset),
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_SWISS, face));
}

// A dialog window class of this module (redraw on resize, double clicks, arrow cursor,
// button-face background), unregistered when the owner ends.
inline ClassOwner RegisterDialogClass(const char* name, WNDPROC procedure) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return ClassOwner(RegisterClassExA(&wc), instance);
}
