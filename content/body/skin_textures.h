// Procedural skin textures for the body's regions: a skin tone with mottling and pores, and the
// painted details (hair, eyes, brows, lips, nipples, navel, palms, soles) placed from the
// landmarks through each region's texture map.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "body/body.h"

struct SkinTexture {
  std::string texture;  // name the model stores (upper case)
  std::string file;     // name of the shipped file
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // red, green, blue; bottom row first (v = 0 is the bottom edge)
};

// One texture per shipped file, deterministic.
std::vector<SkinTexture> paint_skin_textures(const Body& body);
