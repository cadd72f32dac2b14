// The OpenGL half of ScreenFont, shared by both back ends.
#include "text/screen_font.h"

#ifdef _WIN32
#include <windows.h>  // GL/gl.h of MinGW needs its calling-convention macros
#endif
#include <GL/gl.h>

#include "text/glyph_raster.h"
#include "text/text_colour.h"
#include "text/text_placement.h"

ScreenFont::ScreenFont() = default;
ScreenFont::~ScreenFont() = default;

FontFace* ScreenFont::make_font(const char* face, int height, int weight, bool italic,
                                bool underline, bool strike_out) {
  FontRequest request;
  request.face = face != nullptr ? face : "";
  request.height = height;
  request.weight = weight;
  request.italic = italic;
  request.underline = underline;
  request.strike_out = strike_out;
  // The font held before is released here: each window's initialisation makes a new one, and
  // keeping the old handles would leak one font per call.
  font = create_font_face(request);
  return font.get();
}

void ScreenFont::set_colour(int red, int green, int blue) {
  colour = pack_colour(red, green, blue);
}

void ScreenFont::draw_text(int x, int y, int width, int height, const char* text) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, width, 0, height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(float(x), float(y), 0.0f);

  // OpenGL would drop a raster position outside the frame anyway; skipping the font engine there
  // saves its work, not a pixel.
  TextBitmap bitmap;
  if (!reference_outside_frame(x, y, width, height))
    bitmap = rasterise_text(font.get(), text != nullptr ? text : "");

  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (!bitmap.empty()) {
    const ColourFloats c = colour_floats(colour);
    glColor3f(c.red, c.green, c.blue);
    glRasterPos2i(x, y);
    const float row = float(bitmap.row_pixels());
    glBitmap(bitmap.row_pixels(), bitmap.height(), 0.0f, float(kBitmapOriginRaise), row + 2.0f,
             0.0f, bitmap.data());
  }

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glColor3f(1.0f, 1.0f, 1.0f);
}
