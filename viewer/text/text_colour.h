// The font colour: a 24-bit value with red in the lowest byte, green next, blue in the third.
#pragma once

#include <cstdint>

constexpr uint32_t kWhite = 0xFFFFFF;

// Each component is taken as an unsigned byte, as a caller's int is cut to 8 bits.
uint32_t pack_colour(int red, int green, int blue);

struct ColourFloats {
  float red, green, blue;
};
// The components as glColor3f takes them, each divided by 255.
ColourFloats colour_floats(uint32_t colour);
