// The 3DS reader. It reads strictly in order and counts, for every open chunk, the bytes consumed.
//
// Damaged files: every read is limited to what remains of the chunk being read, and a sub-chunk
// whose stored length runs past its parent is cut to the parent's end, so a length can never make
// the reader consume a sibling's bytes. The end of the file stops every loop. Lists are sized by
// the records actually present, never by the announced count alone. Handlers that nest (editor,
// texture map, triangle mesh) stop at a fixed depth so hostile nesting cannot exhaust the stack.
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "model/format_3ds.h"
#include "model/model_reader.h"
#include "model/vertex_normals.h"

namespace {

struct ChunkHeader {
  uint16_t id = 0;
  uint32_t length = 0;
  uint32_t bytes_read = 0;
};

constexpr int kMaxNesting = 32;
// Far beyond any real model; bounds what a file of tiny material or object chunks can make the
// reader allocate. Further ones are stepped over.
constexpr int32_t kMaxRecords = 65535;
constexpr size_t kSkipPiece = 64 * 1024;
constexpr uint32_t kNameLimit = kNameField - 1;

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
float lef32(const uint8_t* p) {
  const uint32_t bits = le32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

uint8_t colour_byte(float f) {
  if (!(f > 0.0f)) return 0;  // also NaN
  if (f >= 1.0f) return 255;
  return static_cast<uint8_t>(f * 255.0f + 0.5f);
}

class ChunkParser {
 public:
  ChunkParser(ByteSource& source, Model& model) : source_(source), model_(model) {}

  // Reads the first header; false when it is not a main chunk.
  bool read_main_header(ChunkHeader& main) {
    uint8_t b[tds::kChunkHeaderSize];
    const size_t got = source_.read(b, sizeof b);
    if (got < sizeof b || le16(b) != tds::kMain) return false;
    main.id = tds::kMain;
    main.length = le32(b + 2);
    main.bytes_read = static_cast<uint32_t>(got);
    return true;
  }

  void main_handler(ChunkHeader& parent, int depth) {
    for_each_sub_chunk(parent, [&](ChunkHeader& c) {
      switch (c.id) {
        case tds::kFileVersion: {
          uint8_t b[4] = {0, 0, 0, 0};
          read(c, b, sizeof b);
          skip_rest(c);  // a body longer than 4 bytes
          if (le32(b) > 3) {
            std::printf("This 3DS file is over version 3 so it may load incorrectly");
            std::fflush(stdout);  // the GLUT loop never returns: nothing may wait in a buffer
          }
          break;
        }
        case tds::kEditor:
          // The editor's first sub-chunk is normally the mesh version, which the main handler steps
          // over like any unknown chunk; should it be anything else it is handled by its id
          // rather than swallowed, so a material or object there is not lost.
          nested(c, depth, [&] { main_handler(c, depth + 1); });
          break;
        case tds::kMaterial:
          if (model_.material_count >= kMaxRecords) {
            skip_rest(c);
            break;
          }
          model_.material_count += 1;
          model_.materials.emplace_back();
          material_handler(c, model_.materials.back(), depth);
          break;
        case tds::kObject: {
          if (model_.mesh_count >= kMaxRecords) {
            skip_rest(c);
            break;
          }
          model_.mesh_count += 1;
          model_.meshes.emplace_back();
          Mesh& mesh = model_.meshes.back();
          read_zstring(c, mesh.name);
          object_handler(c, mesh, depth);
          break;
        }
        default:  // the keyframer and every unknown chunk
          skip_rest(c);
      }
    });
  }

 private:
  uint32_t remaining(const ChunkHeader& c) const {
    return c.bytes_read < c.length ? c.length - c.bytes_read : 0;
  }

  size_t read(ChunkHeader& c, void* into, size_t size) {
    if (size > remaining(c)) size = remaining(c);
    if (at_end_ || size == 0) return 0;
    const size_t got = source_.read(into, size);
    c.bytes_read += static_cast<uint32_t>(got);
    if (got < size) at_end_ = true;
    return got;
  }

  void skip_rest(ChunkHeader& c) {
    if (remaining(c) == 0 || at_end_) return;
    if (!scratch_) scratch_.reset(new uint8_t[kSkipPiece]);
    while (remaining(c) > 0 && !at_end_) read(c, scratch_.get(), kSkipPiece);
  }

  // Reads the next sub-chunk's header; false when the parent has no room for one or the file ends.
  bool read_header(ChunkHeader& parent, ChunkHeader& child) {
    if (remaining(parent) < tds::kChunkHeaderSize) {
      skip_rest(parent);
      return false;
    }
    uint8_t b[tds::kChunkHeaderSize];
    if (read(parent, b, sizeof b) < sizeof b) return false;
    parent.bytes_read -= tds::kChunkHeaderSize;  // the child's own count holds these bytes
    child.id = le16(b);
    child.length = le32(b + 2);
    child.bytes_read = tds::kChunkHeaderSize;
    const uint32_t room = remaining(parent);
    if (child.length > room) child.length = room;
    if (child.length < tds::kChunkHeaderSize) child.length = tds::kChunkHeaderSize;
    return true;
  }

  template <typename Act>
  void for_each_sub_chunk(ChunkHeader& parent, Act act) {
    while (!at_end_ && parent.bytes_read < parent.length) {
      ChunkHeader child;
      if (!read_header(parent, child)) break;
      act(child);
      parent.bytes_read += child.bytes_read;
    }
  }

  template <typename Run>
  void nested(ChunkHeader& c, int depth, Run run) {
    if (depth >= kMaxNesting)
      skip_rest(c);
    else
      run();
  }

  // The rest of the body into a name field: at most 254 bytes are kept, the field stays terminated.
  void read_field(ChunkHeader& c, char (&field)[kNameField]) {
    std::memset(field, 0, sizeof field);
    read(c, field, kNameLimit);
    skip_rest(c);
  }

  // A zero-terminated string read byte by byte through its zero; bytes past 254 are dropped.
  void read_zstring(ChunkHeader& c, char (&field)[kNameField]) {
    std::memset(field, 0, sizeof field);
    uint32_t length = 0;
    char ch;
    while (read(c, &ch, 1) == 1 && ch != '\0')
      if (length < kNameLimit) field[length++] = ch;
  }

  void material_handler(ChunkHeader& parent, Material& material, int depth) {
    for_each_sub_chunk(parent, [&](ChunkHeader& c) {
      switch (c.id) {
        case tds::kMaterialName:
          read_field(c, material.name);
          break;
        case tds::kDiffuseColour:
          diffuse_colour(c, material);
          break;
        case tds::kTextureMap:
          nested(c, depth, [&] { material_handler(c, material, depth + 1); });
          break;
        case tds::kMapFileName:
          read_field(c, material.texture_file);
          break;
        default:  // other maps with their file names, ambient and specular colours
          skip_rest(c);
      }
    });
  }

  // Only the first colour sub-chunk is read; any further one is left to the material handler,
  // which steps over it.
  void diffuse_colour(ChunkHeader& c, Material& material) {
    ChunkHeader sub;
    if (!read_header(c, sub)) return;
    uint8_t b[12];
    if (sub.id == tds::kColour24 || sub.id == tds::kLinearColour24) {
      if (read(sub, b, 3) == 3) std::memcpy(material.colour, b, 3);
    } else if (sub.id == tds::kColourFloat || sub.id == tds::kLinearColourFloat) {
      if (read(sub, b, 12) == 12)
        for (int i = 0; i < 3; ++i) material.colour[i] = colour_byte(lef32(b + 4 * i));
    }
    skip_rest(sub);
    c.bytes_read += sub.bytes_read;
  }

  void object_handler(ChunkHeader& parent, Mesh& mesh, int depth) {
    for_each_sub_chunk(parent, [&](ChunkHeader& c) {
      switch (c.id) {
        case tds::kTriangleMesh:
          nested(c, depth, [&] { object_handler(c, mesh, depth + 1); });
          break;
        case tds::kVertexList:
          vertex_list(c, mesh);
          break;
        case tds::kFaceList:
          face_list(c, mesh);
          break;
        case tds::kFaceMaterialGroup:
          face_material_group(c, mesh);
          break;
        case tds::kTextureCoords:
          texture_coords(c, mesh);
          break;
        default:  // smoothing groups (met here from inside the face list), local axes, unknown
          skip_rest(c);
      }
    });
  }

  // Reads a u16 count and then as many records as the count announces and the chunk holds.
  // Returns the records read completely; `bytes` receives them.
  uint32_t read_list(ChunkHeader& c, uint32_t record_size, std::vector<uint8_t>& bytes) {
    uint8_t b[2];
    if (read(c, b, 2) < 2) return 0;
    uint32_t count = le16(b);
    if (count > remaining(c) / record_size) count = remaining(c) / record_size;
    bytes.resize(static_cast<size_t>(count) * record_size);
    return static_cast<uint32_t>(read(c, bytes.data(), bytes.size()) / record_size);
  }

  void vertex_list(ChunkHeader& c, Mesh& mesh) {
    std::vector<uint8_t> bytes;
    const uint32_t n = read_list(c, tds::kVertexRecordSize, bytes);
    skip_rest(c);  // a body longer than the count announces
    mesh.vertex_count = static_cast<int32_t>(n);
    mesh.vertices.reset(n ? new Vector3[n] : nullptr);
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* p = bytes.data() + i * tds::kVertexRecordSize;
      // File axes are Z up; the viewer's are Y up: (x, y, z) becomes (x, z, -y).
      mesh.vertices[i] = {lef32(p), lef32(p + 8), -lef32(p + 4)};
    }
  }

  // Reads the count and the faces only: the material and smoothing groups stored after them inside
  // the face list reach the object handler as if they were siblings.
  void face_list(ChunkHeader& c, Mesh& mesh) {
    std::vector<uint8_t> bytes;
    const uint32_t n = read_list(c, tds::kFaceRecordSize, bytes);
    mesh.face_count = static_cast<int32_t>(n);
    mesh.faces.reset(n ? new Face[n] : nullptr);
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* p = bytes.data() + i * tds::kFaceRecordSize;
      for (int k = 0; k < 3; ++k) mesh.faces[i].vertex_index[k] = le16(p + 2 * k);  // flags dropped
    }
  }

  void face_material_group(ChunkHeader& c, Mesh& mesh) {
    char name[kNameField];
    read_zstring(c, name);
    for (int32_t i = 0; i < model_.material_count; ++i) {
      const Material& m = model_.materials[i];
      if (std::strcmp(name, m.name) == 0) {
        mesh.material_index = i;
        if (m.texture_file[0] != '\0') mesh.textured = true;
        break;
      }
      mesh.material_index = -1;
    }
    skip_rest(c);  // the face numbers
  }

  void texture_coords(ChunkHeader& c, Mesh& mesh) {
    std::vector<uint8_t> bytes;
    const uint32_t n = read_list(c, tds::kTexcoordRecordSize, bytes);
    skip_rest(c);
    mesh.texcoord_count = static_cast<int32_t>(n);
    mesh.texcoords.reset(n ? new Vector2[n] : nullptr);
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* p = bytes.data() + i * tds::kTexcoordRecordSize;
      mesh.texcoords[i] = {lef32(p), lef32(p + 4)};
    }
  }

  ByteSource& source_;
  Model& model_;
  bool at_end_ = false;
  std::unique_ptr<uint8_t[]> scratch_;
};

void print_failure(const char* format, const char* file_name) {
  char message[255];
  std::snprintf(message, sizeof message, format, file_name);
  std::printf("%s\n", message);
  std::fflush(stdout);
}

}  // namespace

bool ModelReader::load_3ds_model(Model& model, const char* file_name) {
  FileSource file;
  if (!file.open(file_name)) {
    print_failure("Unable to find the file: %s!", file_name);
    return false;
  }
  return load_3ds_model(model, file, file_name);
}

bool ModelReader::load_3ds_model(Model& model, ByteSource& source, const char* file_name) {
  ChunkParser parser(source, model);
  ChunkHeader main;
  if (!parser.read_main_header(main)) {
    print_failure("Unable to load PRIMARY chuck from file: %s!", file_name);
    return false;
  }
  parser.main_handler(main, 0);
  for (Mesh& mesh : model.meshes) build_vertex_normals(mesh);
  return true;
}
