// The GDI back end's font: one HFONT, released with the object.
#pragma once

#include <windows.h>

class FontFace {
 public:
  explicit FontFace(HFONT font) : handle(font) {}
  ~FontFace() { DeleteObject(handle); }
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const HFONT handle;
};
