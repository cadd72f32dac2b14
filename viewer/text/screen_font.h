// Screen text of the three viewer windows: GBK text rasterised by the platform's font engine into a
// one-bit bitmap and drawn with glBitmap at a raster position, in the font's colour.
#pragma once

#include <cstdint>
#include <memory>

#include "text/font_face.h"

class ScreenFont {
 public:
  ScreenFont();
  virtual ~ScreenFont();
  ScreenFont(const ScreenFont&) = delete;
  ScreenFont& operator=(const ScreenFont&) = delete;

  // Makes the font and keeps it as the one all windows use; face is GBK bytes.
  FontFace* make_font(const char* face, int height, int weight, bool italic, bool underline,
                      bool strike_out);
  void set_colour(int red, int green, int blue);
  // Reference point (2x, 2y) in a width x height frame stretched over the current viewport.
  void draw_text(int x, int y, int width, int height, const char* text);

  uint32_t colour = 0xFFFFFF;  // red in the lowest byte

 private:
  std::unique_ptr<FontFace, FontFaceDeleter> font;
};
