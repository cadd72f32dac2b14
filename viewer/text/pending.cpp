// Placeholder until the font back ends land.
#include "text/screen_font.h"

class FontFace {};
ScreenFont::ScreenFont() = default;
ScreenFont::~ScreenFont() = default;
FontFace* ScreenFont::make_font(const char*, int, int, bool, bool, bool) { return nullptr; }
void ScreenFont::set_colour(int red, int green, int blue) {
  colour = uint32_t(uint8_t(red)) | uint32_t(uint8_t(green)) << 8 | uint32_t(uint8_t(blue)) << 16;
}
void ScreenFont::draw_text(int, int, int, int, const char*) {}
