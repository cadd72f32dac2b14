// Placeholders until the reader, textures and drawing land.
#include "model/model_gl.h"
#include "model/model_reader.h"

Model::~Model() = default;
void Model::clear_model() {}
bool ModelReader::load_3ds_model(Model&, const char*) { return false; }
int load_material_textures(Model&) { return 1; }
void draw_model(const Model&) {}
