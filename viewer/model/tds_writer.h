// Writes 3DS files: a chunk-level writer for any layout (including deliberately broken ones) and a
// scene writer that lays out materials and meshes the way modelling tools do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Chunk-level writer. begin() opens a chunk and end() closes the innermost one, patching its
// length; header() writes a header with any length and opens nothing.
class TdsWriter {
 public:
  void begin(uint16_t id);
  void end();
  void header(uint16_t id, uint32_t length);

  void u8(uint8_t value);
  void u16(uint16_t value);
  void u32(uint32_t value);
  void f32(float value);
  void zstring(const std::string& text);  // the text and its terminating zero
  void bytes(const void* data, size_t size);

  // A complete chunk whose body is the given bytes.
  void chunk(uint16_t id, const std::vector<uint8_t>& body);

  const std::vector<uint8_t>& data() const { return data_; }
  size_t open_chunks() const { return open_.size(); }

 private:
  std::vector<uint8_t> data_;
  std::vector<size_t> open_;  // start offsets of the open chunks
};

struct TdsMaterialDesc {
  std::string name;
  uint8_t colour[3] = {0, 0, 0};  // diffuse, red green blue
  std::string texture_file;       // empty: no texture map chunk
  std::string bump_file;          // empty: no bump map chunk (written after the texture map)
  bool ambient_and_specular = true;   // ambient and specular colour chunks, as tools write them
  bool float_colour_after_24 = false; // a second, float sub-chunk inside the diffuse colour
};

struct TdsFaceGroup {
  std::string material;
  std::vector<uint16_t> faces;  // face numbers; empty means every face of the mesh
};

struct TdsMeshDesc {
  std::string name;
  std::vector<float> vertices;   // x, y, z per vertex, in the file's Z-up axes
  std::vector<uint16_t> faces;   // three corners per face
  std::vector<float> texcoords;  // u, v per entry; empty: no texture coordinate chunk
  std::vector<TdsFaceGroup> groups;  // written inside the face list, in this order
  bool smoothing_groups = false;     // a smoothing group list inside the face list, after the groups
};

struct TdsSceneDesc {
  uint32_t version = 3;        // written as the file version chunk
  bool version_chunk = true;
  bool mesh_version = true;    // the editor's first sub-chunk
  bool keyframer = true;       // a small keyframer chunk after the editor
  bool unknown_chunks = false; // chunks of an unknown id in the main, editor, material and object bodies
  std::vector<TdsMaterialDesc> materials;
  std::vector<TdsMeshDesc> meshes;
};

// Appends a whole main chunk for the scene.
void write_3ds_scene(TdsWriter& writer, const TdsSceneDesc& scene);
std::vector<uint8_t> write_3ds_scene(const TdsSceneDesc& scene);

// Writes bytes to a file; false (and no partial file left behind) on any failure.
bool save_file_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
inline bool save_3ds_scene(const std::string& path, const TdsSceneDesc& scene) {
  return save_file_bytes(path, write_3ds_scene(scene));
}
