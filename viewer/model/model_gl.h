// The GL side of the model: textures made from the materials' bitmaps, and drawing.
#pragma once

#include "model/model.h"

// Makes a mipmapped texture for every material that names a texture file; always 1.
int load_material_textures(Model& model);
// Draws every mesh in immediate mode under the caller's model-view transform.
void draw_model(const Model& model);
