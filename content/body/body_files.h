// Writes the body as the viewer reads it: "man.3ds" and its texture files in one folder.
#pragma once

#include <string>
#include <vector>

#include "body/body.h"
#include "body/skin_textures.h"

// The 3DS bytes of the body (file axes Z up: a viewer point (x, y, z) is stored as (x, -z, y)).
std::vector<uint8_t> body_3ds_bytes(const Body& body);

// Writes man.3ds and every texture into the folder; false with a message on stderr on failure.
bool write_body_files(const Body& body, const std::vector<SkinTexture>& textures,
                      const std::string& folder);
