// The platform's font as ScreenFont and the font engines share it: only a name here, defined by
// each back end (linux/, mswin/) with the deleter.
#pragma once

class FontFace;  // a GDI HFONT on Windows, a FreeType face on Linux
struct FontFaceDeleter {
  void operator()(FontFace* face) const;
};
