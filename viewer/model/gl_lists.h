// The owner of a block of OpenGL display lists, deleted in the context that made them: whoever
// holds one resets it while that context is still current (a close callback, or before the
// model it was compiled from is replaced).
#pragma once

#ifdef _WIN32
#include <windows.h>  // GL/gl.h of MinGW needs its calling-convention macros
#endif
#include <GL/gl.h>

#include <utility>

class GlLists {
 public:
  GlLists() = default;
  // Names count consecutive lists; empty when count is not positive or GL has none to give.
  explicit GlLists(int count) {
    if (count <= 0) return;
    first_ = glGenLists(count);
    if (first_ != 0) count_ = count;
  }
  GlLists(const GlLists&) = delete;
  GlLists& operator=(const GlLists&) = delete;
  GlLists(GlLists&& o) noexcept
      : first_(std::exchange(o.first_, 0u)), count_(std::exchange(o.count_, 0)) {}
  GlLists& operator=(GlLists&& o) noexcept {
    if (this != &o) {
      reset();
      first_ = std::exchange(o.first_, 0u);
      count_ = std::exchange(o.count_, 0);
    }
    return *this;
  }
  ~GlLists() { reset(); }

  void reset() {
    if (count_ > 0) glDeleteLists(first_, count_);
    first_ = 0;
    count_ = 0;
  }
  bool empty() const { return count_ == 0; }
  int count() const { return count_; }
  // The i-th list's name, for glNewList and glCallList; i in [0, count).
  GLuint name(int i) const { return first_ + static_cast<GLuint>(i); }

 private:
  GLuint first_ = 0;
  int count_ = 0;
};
