#include "model/tds_writer.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "model/format_3ds.h"

void TdsWriter::begin(uint16_t id) {
  open_.push_back(data_.size());
  header(id, 0);
}

void TdsWriter::end() {
  if (open_.empty()) throw std::logic_error("TdsWriter::end without an open chunk");
  const size_t start = open_.back();
  open_.pop_back();
  const uint32_t length = static_cast<uint32_t>(data_.size() - start);
  for (int i = 0; i < 4; ++i) data_[start + 2 + i] = static_cast<uint8_t>(length >> (8 * i));
}

void TdsWriter::header(uint16_t id, uint32_t length) {
  u16(id);
  u32(length);
}

void TdsWriter::u8(uint8_t value) { data_.push_back(value); }

void TdsWriter::u16(uint16_t value) {
  data_.push_back(static_cast<uint8_t>(value));
  data_.push_back(static_cast<uint8_t>(value >> 8));
}

void TdsWriter::u32(uint32_t value) {
  for (int i = 0; i < 4; ++i) data_.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void TdsWriter::f32(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  u32(bits);
}

void TdsWriter::zstring(const std::string& text) {
  bytes(text.data(), text.size());
  u8(0);
}

void TdsWriter::bytes(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  data_.insert(data_.end(), p, p + size);
}

void TdsWriter::chunk(uint16_t id, const std::vector<uint8_t>& body) {
  header(id, static_cast<uint32_t>(tds::kChunkHeaderSize + body.size()));
  bytes(body.data(), body.size());
}

namespace {

constexpr uint16_t kUnknownId = 0x7A7A;  // an id no reader knows
constexpr uint16_t kPercent = 0x0030;
constexpr uint16_t kMapParameters = 0xA351;
constexpr uint16_t kLocalAxes = 0x4160;
constexpr uint16_t kKeyframerHeader = 0xB00A;

void check_count(size_t count, const char* what) {
  if (count > tds::kMaxListCount) throw std::length_error(std::string("3DS list too long: ") + what);
}

void unknown_chunk(TdsWriter& w) { w.chunk(kUnknownId, {1, 2, 3, 4, 5}); }

void colour_chunk(TdsWriter& w, uint16_t id, const uint8_t rgb[3], bool float_after) {
  w.begin(id);
  w.begin(tds::kColour24);
  w.bytes(rgb, 3);
  w.end();
  if (float_after) {
    w.begin(tds::kColourFloat);
    for (int i = 0; i < 3; ++i) w.f32(rgb[i] / 255.0f);
    w.end();
  }
  w.end();
}

void map_chunk(TdsWriter& w, uint16_t id, const std::string& file) {
  w.begin(id);
  w.begin(kPercent);
  w.u16(100);
  w.end();
  w.begin(tds::kMapFileName);
  w.zstring(file);
  w.end();
  w.begin(kMapParameters);
  w.u16(0);
  w.end();
  w.end();
}

void write_material(TdsWriter& w, const TdsMaterialDesc& m, bool unknown) {
  w.begin(tds::kMaterial);
  w.begin(tds::kMaterialName);
  w.zstring(m.name);
  w.end();
  const uint8_t grey[3] = {128, 128, 128};
  if (m.ambient_and_specular) colour_chunk(w, tds::kAmbientColour, grey, false);
  colour_chunk(w, tds::kDiffuseColour, m.colour, m.float_colour_after_24);
  if (m.ambient_and_specular) colour_chunk(w, tds::kSpecularColour, grey, false);
  if (unknown) unknown_chunk(w);
  if (!m.texture_file.empty()) map_chunk(w, tds::kTextureMap, m.texture_file);
  if (!m.bump_file.empty()) map_chunk(w, tds::kBumpMap, m.bump_file);
  w.end();
}

void write_mesh(TdsWriter& w, const TdsMeshDesc& m, bool unknown) {
  if (m.vertices.size() % 3 || m.faces.size() % 3 || m.texcoords.size() % 2)
    throw std::invalid_argument("3DS mesh arrays must hold whole records");
  const size_t vertex_count = m.vertices.size() / 3;
  const size_t face_count = m.faces.size() / 3;
  check_count(vertex_count, "vertices");
  check_count(face_count, "faces");
  check_count(m.texcoords.size() / 2, "texture coordinates");

  w.begin(tds::kObject);
  w.zstring(m.name);
  w.begin(tds::kTriangleMesh);

  w.begin(tds::kVertexList);
  w.u16(static_cast<uint16_t>(vertex_count));
  for (float f : m.vertices) w.f32(f);
  w.end();

  w.begin(kLocalAxes);
  for (int i = 0; i < 12; ++i) w.f32(i % 4 == 0 ? 1.0f : 0.0f);
  w.end();

  w.begin(tds::kFaceList);
  w.u16(static_cast<uint16_t>(face_count));
  for (size_t f = 0; f < face_count; ++f) {
    for (int k = 0; k < 3; ++k) w.u16(m.faces[3 * f + k]);
    w.u16(7);  // edge flags
  }
  for (const TdsFaceGroup& g : m.groups) {
    w.begin(tds::kFaceMaterialGroup);
    w.zstring(g.material);
    if (g.faces.empty()) {
      w.u16(static_cast<uint16_t>(face_count));
      for (size_t f = 0; f < face_count; ++f) w.u16(static_cast<uint16_t>(f));
    } else {
      check_count(g.faces.size(), "group faces");
      w.u16(static_cast<uint16_t>(g.faces.size()));
      for (uint16_t f : g.faces) w.u16(f);
    }
    w.end();
  }
  if (m.smoothing_groups) {
    w.begin(tds::kSmoothingGroups);
    for (size_t f = 0; f < face_count; ++f) w.u32(1);
    w.end();
  }
  w.end();  // face list

  if (!m.texcoords.empty()) {
    w.begin(tds::kTextureCoords);
    w.u16(static_cast<uint16_t>(m.texcoords.size() / 2));
    for (float f : m.texcoords) w.f32(f);
    w.end();
  }
  w.end();  // triangle mesh
  if (unknown) unknown_chunk(w);
  w.end();  // object
}

}  // namespace

void write_3ds_scene(TdsWriter& w, const TdsSceneDesc& scene) {
  w.begin(tds::kMain);
  if (scene.version_chunk) {
    w.begin(tds::kFileVersion);
    w.u32(scene.version);
    w.end();
  }
  if (scene.unknown_chunks) unknown_chunk(w);
  w.begin(tds::kEditor);
  if (scene.mesh_version) {
    w.begin(tds::kMeshVersion);
    w.u32(3);
    w.end();
  }
  if (scene.unknown_chunks) unknown_chunk(w);
  for (const TdsMaterialDesc& m : scene.materials) write_material(w, m, scene.unknown_chunks);
  for (const TdsMeshDesc& m : scene.meshes) write_mesh(w, m, scene.unknown_chunks);
  w.end();  // editor
  if (scene.keyframer) {
    w.begin(tds::kKeyframer);
    w.begin(kKeyframerHeader);
    w.u16(5);
    w.zstring("MAXSCENE");
    w.u16(100);
    w.end();
    w.end();
  }
  w.end();  // main
}

std::vector<uint8_t> write_3ds_scene(const TdsSceneDesc& scene) {
  TdsWriter w;
  write_3ds_scene(w, scene);
  return w.data();
}

bool save_file_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  if (written && closed) return true;
  std::remove(path.c_str());
  return false;
}
