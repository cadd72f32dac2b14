#include "text/text_colour.h"

uint32_t pack_colour(int red, int green, int blue) {
  return uint32_t(uint8_t(red)) | uint32_t(uint8_t(green)) << 8 | uint32_t(uint8_t(blue)) << 16;
}

ColourFloats colour_floats(uint32_t colour) {
  return {float(colour & 0xFF) / 255.0f, float(colour >> 8 & 0xFF) / 255.0f,
          float(colour >> 16 & 0xFF) / 255.0f};
}
