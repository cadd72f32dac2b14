// The one thing a platform's font engine does for ScreenFont: rasterise GBK text into a one-bit,
// bottom-up bitmap. Each back end (linux/, mswin/) defines FontFace and these functions.
#pragma once

#include <memory>
#include <string>

#include "text/font_face.h"
#include "text/text_bitmap.h"

using FontFacePtr = std::unique_ptr<FontFace, FontFaceDeleter>;

struct FontRequest {
  const char* face = "";  // GBK bytes
  int height = 0;         // cell height in pixels (negative: em height)
  int weight = 0;         // 0 to 1000, 400 regular, 700 bold
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
};

// nullptr when the engine cannot make the font.
FontFacePtr create_font_face(const FontRequest& request);

// All bytes of text, one line, in face, or in the engine's default font when face is nullptr:
// text pixels are 1 bits. The bitmap is as wide as the text's extent and as high as the cell.
// On Windows it works on the device context of the current OpenGL context. An empty bitmap
// means there is nothing to draw.
TextBitmap rasterise_text(FontFace* face, const char* text);

// The face the engine chose, for logs and tests.
std::string describe_font_face(const FontFace& face);
