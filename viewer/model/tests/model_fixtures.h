// Small scenes and helpers shared by the model's tests.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/byte_source.h"
#include "model/model.h"
#include "model/model_reader.h"
#include "model/tds_writer.h"

// A unit quad in the file's X-Z plane (the viewer's X-Y plane, facing +Z), two faces, with
// texture coordinates (0, 0) at the bottom left.
inline TdsMeshDesc quad_mesh(const std::string& name, float x0, float y0, float x1, float y1) {
  TdsMeshDesc m;
  m.name = name;
  // File (x, y, z) becomes viewer (x, z, -y): viewer (X, Y, 0) is stored as (X, 0, Y).
  m.vertices = {x0, 0, y0, x1, 0, y0, x1, 0, y1, x0, 0, y1};
  m.faces = {0, 1, 2, 0, 2, 3};
  m.texcoords = {0, 0, 1, 0, 1, 1, 0, 1};
  return m;
}

inline TdsMaterialDesc material(const std::string& name, uint8_t r, uint8_t g, uint8_t b,
                                const std::string& texture = "") {
  TdsMaterialDesc m;
  m.name = name;
  m.colour[0] = r;
  m.colour[1] = g;
  m.colour[2] = b;
  m.texture_file = texture;
  return m;
}

// Loads bytes through the reader; the console output is dropped.
inline bool load_bytes(Model& model, const std::vector<uint8_t>& bytes,
                       const char* name = "test.3ds") {
  MemorySource source(bytes.data(), bytes.size());
  ModelReader reader;
  return reader.load_3ds_model(model, source, name);
}

// Everything drawing and texture loading rely on: counts match the sequences and the arrays
// exist for the counts.
inline ::testing::AssertionResult model_consistent(const Model& model) {
  if (model.mesh_count != static_cast<int32_t>(model.meshes.size()) ||
      model.material_count != static_cast<int32_t>(model.materials.size()))
    return ::testing::AssertionFailure() << "counts differ from the sequences";
  for (const Mesh& m : model.meshes) {
    if (m.vertex_count < 0 || m.face_count < 0 || m.texcoord_count < 0)
      return ::testing::AssertionFailure() << "negative count in " << m.name;
    if ((m.vertex_count > 0) != (m.vertices != nullptr) ||
        (m.vertex_count > 0) != (m.normals != nullptr) ||
        (m.face_count > 0) != (m.faces != nullptr) ||
        (m.texcoord_count > 0) != (m.texcoords != nullptr))
      return ::testing::AssertionFailure() << "arrays do not match counts in " << m.name;
    if (m.name[kNameField - 1] != '\0') return ::testing::AssertionFailure() << "name unterminated";
  }
  for (const Material& m : model.materials)
    if (m.name[kNameField - 1] != '\0' || m.texture_file[kNameField - 1] != '\0')
      return ::testing::AssertionFailure() << "material field unterminated";
  return ::testing::AssertionSuccess();
}

inline std::vector<uint8_t> read_whole_file(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
  }
  return bytes;
}
