// The GL side of the model: textures made from the materials' bitmaps, and drawing.
#pragma once

#include "model/gl_lists.h"
#include "model/model.h"

// Makes a mipmapped texture for every material that names a texture file; always 1. Only the
// first kTextureSlots materials have a slot; a further material that names a file gets the
// "cannot load" message and no texture.
int load_material_textures(Model& model);
// Reads the bitmap and makes a texture into texture_names[slot]: 1, or -1 (entry left as it was)
// when the file cannot be used or the slot is outside the table.
int make_texture_from_bitmap(const char* file_name, uint32_t* texture_names, int slot,
                             int wrap_mode);
// Draws every mesh in immediate mode under the caller's model-view transform.
void draw_model(const Model& model);
// Compiles each mesh's corners into a display list of its own, in the current context; empty
// when GL has no lists to give. The texture bind stays outside the lists.
GlLists compile_model(const Model& model);
// Draws as draw_model(model) does, each mesh from its list when lists came from compile_model on
// this model as it stands (one list per drawn mesh), else in immediate mode.
void draw_model(const Model& model, const GlLists& lists);
