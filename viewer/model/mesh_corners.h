// The corners that drawing sends, kept GL-free so the fuzz targets walk exactly what is drawn.
#pragma once

#include "model/model.h"

// Calls corner(n) for each corner n of every face in order; faces with a corner out of range are
// left out (face_in_range).
template <typename Corner>
void for_each_drawn_corner(const Mesh& mesh, Corner corner) {
  for (int32_t j = 0; j < mesh.face_count; ++j) {
    const Face& face = mesh.faces[j];
    if (!face_in_range(face, mesh.vertex_count)) continue;
    for (int32_t n : face.vertex_index) corner(n);
  }
}

// A corner beyond the texture coordinates issues none, as a mesh without any does.
inline bool has_texcoord(const Mesh& mesh, int32_t n) { return n < mesh.texcoord_count; }

// The material whose colour an untextured mesh's corners carry, or none (sent white).
inline const Material* colour_material(const Model& model, const Mesh& mesh) {
  const int32_t mi = mesh.material_index;
  if (mesh.textured || mi < 0 || mi >= model.material_count ||
      mi >= static_cast<int32_t>(model.materials.size()))
    return nullptr;
  return &model.materials[mi];
}

// The texture a textured mesh binds: its material's entry, or 0 outside the table.
inline uint32_t mesh_texture(const Model& model, const Mesh& mesh) {
  const int32_t mi = mesh.material_index;
  return mi >= 0 && mi < kTextureSlots ? model.texture_names[mi] : 0;
}
