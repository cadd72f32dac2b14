#include "model/model.h"

Model::~Model() { clear_model(); }

void Model::clear_model() {
  mesh_count = 0;
  material_count = 0;
  meshes.clear();  // the meshes release their arrays with them
  materials.clear();
  if (texture_release) texture_release(kTextureSlots, texture_names);
  for (uint32_t& name : texture_names) name = 0;  // deleted names must not be deleted twice
}
