// The in-memory anatomy model: the materials and meshes of one 3DS file, per-vertex normals and
// the OpenGL texture names made from the materials' bitmaps.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

struct Vector3 {
  float x = 0, y = 0, z = 0;
};

struct Vector2 {
  float u = 0, v = 0;
};

struct Face {
  int32_t vertex_index[3] = {0, 0, 0};
};

// A face whose corners are not all below the mesh's vertex count (a damaged file, or a vertex list
// shorter than its faces expect) is kept as read but takes no part in normals or drawing, so that
// nothing reads outside the vertex, normal or texture coordinate arrays.
inline bool face_in_range(const Face& face, int32_t vertex_count) {
  for (int32_t i : face.vertex_index)
    if (i < 0 || i >= vertex_count) return false;
  return true;
}

// Name fields are fixed 255-byte, zero-terminated byte strings, as the file stores them.
constexpr int kNameField = 255;
constexpr int kTextureSlots = 100;

struct Material {
  char name[kNameField] = {};
  char texture_file[kNameField] = {};
  uint8_t colour[3] = {0, 0, 0};
};

struct Mesh {
  int32_t vertex_count = 0;
  int32_t face_count = 0;
  int32_t texcoord_count = 0;
  int32_t material_index = 0;
  bool textured = false;
  char name[kNameField] = {};
  // The arrays stay where they are when the mesh sequence grows; the mesh owns them.
  std::unique_ptr<Vector3[]> vertices;
  std::unique_ptr<Vector3[]> normals;
  std::unique_ptr<Vector2[]> texcoords;
  std::unique_ptr<Face[]> faces;
};

class Model {
 public:
  Model() = default;
  ~Model();
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  // Empties the model and deletes its textures (needs a current GL context if any were made).
  void clear_model();

  // Set by whoever fills texture_names (the GL side); clear_model hands it the whole table. The
  // model records themselves stay free of GL so the reader can be used and tested without it.
  using TextureRelease = void (*)(int count, const uint32_t* names);
  TextureRelease texture_release = nullptr;

  Material& material(int i) { return materials[i]; }
  Mesh& mesh(int i) { return meshes[i]; }

  int32_t mesh_count = 0;
  int32_t material_count = 0;
  std::vector<Material> materials;
  std::vector<Mesh> meshes;
  uint32_t texture_names[kTextureSlots] = {};
};
