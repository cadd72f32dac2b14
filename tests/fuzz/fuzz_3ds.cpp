// Feeds arbitrary bytes to the 3DS reader and then walks the model the way drawing does, so that a
// model the reader leaves inconsistent shows up as an out-of-bounds read.
#include <cstdint>
#include <cstdlib>

#include "model/mesh_corners.h"
#include "model/model_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Model model;
  MemorySource source(data, size);
  ModelReader reader;
  reader.load_3ds_model(model, source, "fuzz.3ds");

  if (model.mesh_count != static_cast<int32_t>(model.meshes.size()) ||
      model.material_count != static_cast<int32_t>(model.materials.size()))
    std::abort();
  volatile float sink = 0;
  for (const Mesh& mesh : model.meshes) {
    if (const Material* m = colour_material(model, mesh)) sink = sink + m->colour[0];
    sink = sink + static_cast<float>(mesh_texture(model, mesh));
    for_each_drawn_corner(mesh, [&](int32_t n) {
      sink = sink + mesh.vertices[n].x + mesh.normals[n].y;
      if (mesh.textured && has_texcoord(mesh, n)) sink = sink + mesh.texcoords[n].u;
    });
  }
  return 0;
}
