// Reads a 3DS file into a Model: materials, meshes (axes turned to Y up) and vertex normals.
#pragma once

#include "model/byte_source.h"
#include "model/model.h"

class ModelReader {
 public:
  // True when the file was read; false (with a console message) when it cannot be opened or does
  // not begin with a main chunk, leaving the model unchanged.
  bool load_3ds_model(Model& model, const char* file_name);
  // The same for bytes from any source; `file_name` names them in messages.
  bool load_3ds_model(Model& model, ByteSource& source, const char* file_name);
};
