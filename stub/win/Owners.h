// Owners of the GDI and user handles the stub's windows hold (kernel handles: OwnedHandle.h).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <utility>

// One owner per handle kind: copy deleted, move allowed, move-assignment closes the old
// handle first.
template <class Handle, void (*Close)(Handle)>
class Owner {
 public:
  explicit Owner(Handle handle = nullptr) : handle_(handle) {}
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
  void reset() {
    if (handle_) Close(handle_);
    handle_ = nullptr;
  }

 private:
  Handle handle_;
};

inline void DeleteFont(HFONT font) { DeleteObject(font); }
inline void ReleaseModule(HMODULE module) { FreeLibrary(module); }
// A window that its own close already destroyed is left alone.
inline void DestroyIfWindow(HWND window) {
  if (IsWindow(window)) DestroyWindow(window);
}

using FontOwner = Owner<HFONT, DeleteFont>;
using ModuleOwner = Owner<HMODULE, ReleaseModule>;
using WindowOwner = Owner<HWND, DestroyIfWindow>;

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
