#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <dirent.h>
#include <string>

#include "model/format_3ds.h"
#include "model/model_reader.h"
#include "model_fixtures.h"

namespace {

// Two materials (a textured one with a bump map after its texture map, and a plain one), two
// meshes, smoothing groups and unknown chunks at every level, a keyframer.
TdsSceneDesc full_scene() {
  TdsSceneDesc s;
  s.unknown_chunks = true;
  TdsMaterialDesc skin = material("SKIN", 200, 150, 120, "MANBODY.JPG");
  skin.bump_file = "BUMP.JPG";
  s.materials.push_back(skin);
  TdsMaterialDesc nail = material("Nail", 250, 220, 210);
  nail.float_colour_after_24 = true;
  s.materials.push_back(nail);
  TdsMeshDesc body = quad_mesh("body", -1, -2, 3, 4);
  body.groups.push_back({"SKIN", {}});
  body.smoothing_groups = true;
  s.meshes.push_back(body);
  TdsMeshDesc nails = quad_mesh("nails", 0, 0, 1, 1);
  nails.texcoords.clear();
  nails.groups.push_back({"Nail", {0, 1}});
  s.meshes.push_back(nails);
  return s;
}

TEST(TdsReader, ReadsEveryChunkCaseOfAWellFormedFile) {
  Model model;
  ASSERT_TRUE(load_bytes(model, write_3ds_scene(full_scene())));
  ASSERT_TRUE(model_consistent(model));
  ASSERT_EQ(model.material_count, 2);
  ASSERT_EQ(model.mesh_count, 2);

  const Material& skin = model.materials[0];
  EXPECT_STREQ(skin.name, "SKIN");
  EXPECT_STREQ(skin.texture_file, "MANBODY.JPG");  // the bump map's name is stepped over
  EXPECT_EQ(skin.colour[0], 200);
  EXPECT_EQ(skin.colour[1], 150);
  EXPECT_EQ(skin.colour[2], 120);
  const Material& nail = model.materials[1];
  EXPECT_STREQ(nail.name, "Nail");
  EXPECT_STREQ(nail.texture_file, "");
  EXPECT_EQ(nail.colour[0], 250);  // the float sub-chunk after the 24-bit one changes nothing
  EXPECT_EQ(nail.colour[2], 210);

  const Mesh& body = model.meshes[0];
  EXPECT_STREQ(body.name, "body");
  EXPECT_EQ(body.material_index, 0);
  EXPECT_TRUE(body.textured);
  ASSERT_EQ(body.vertex_count, 4);
  ASSERT_EQ(body.face_count, 2);
  ASSERT_EQ(body.texcoord_count, 4);
  // Stored (x, y, z) = (3, 0, 4) becomes (3, 4, -0).
  EXPECT_EQ(body.vertices[2].x, 3.0f);
  EXPECT_EQ(body.vertices[2].y, 4.0f);
  EXPECT_EQ(body.vertices[2].z, 0.0f);
  EXPECT_EQ(body.vertices[0].y, -2.0f);
  const int expected_faces[2][3] = {{0, 1, 2}, {0, 2, 3}};
  for (int f = 0; f < 2; ++f)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(body.faces[f].vertex_index[k], expected_faces[f][k]);
  EXPECT_EQ(body.texcoords[2].u, 1.0f);
  EXPECT_EQ(body.texcoords[2].v, 1.0f);
  // Counter-clockwise seen from +Z in the viewer's axes: every normal is +Z.
  for (int v = 0; v < 4; ++v) {
    EXPECT_FLOAT_EQ(body.normals[v].z, 1.0f);
    EXPECT_FLOAT_EQ(body.normals[v].x, 0.0f);
    EXPECT_FLOAT_EQ(body.normals[v].y, 0.0f);
  }

  const Mesh& nails = model.meshes[1];
  EXPECT_EQ(nails.material_index, 1);
  EXPECT_FALSE(nails.textured);
  EXPECT_EQ(nails.texcoord_count, 0);
}

struct GroupCase {
  const char* what;
  std::vector<std::string> materials;  // names; "T:" prefix gives the material a texture
  std::vector<std::string> groups;
  int32_t index;
  bool textured;
};

TEST(TdsReader, FaceMaterialGroupsDecideIndexAndTexturing) {
  const GroupCase cases[] = {
      {"no group", {"T:A", "B"}, {}, 0, false},
      {"unknown name", {"T:A", "B"}, {"C"}, -1, false},
      {"second material", {"T:A", "B"}, {"B"}, 1, false},
      {"textured material", {"B", "T:A"}, {"A"}, 1, true},
      {"case differs", {"T:A"}, {"a"}, -1, false},
      {"no materials keeps 0", {}, {"A"}, 0, false},
      {"last group wins, textured stays", {"T:A", "B"}, {"A", "C"}, -1, true},
      {"later plain group", {"T:A", "B"}, {"A", "B"}, 1, true},
  };
  for (const GroupCase& c : cases) {
    SCOPED_TRACE(c.what);
    TdsSceneDesc s;
    for (const std::string& m : c.materials) {
      const bool textured = m.rfind("T:", 0) == 0;
      s.materials.push_back(material(textured ? m.substr(2) : m, 1, 2, 3, textured ? "A.BMP" : ""));
    }
    TdsMeshDesc mesh = quad_mesh("m", 0, 0, 1, 1);
    for (const std::string& g : c.groups) mesh.groups.push_back({g, {}});
    s.meshes.push_back(mesh);
    Model model;
    ASSERT_TRUE(load_bytes(model, write_3ds_scene(s)));
    ASSERT_EQ(model.mesh_count, 1);
    EXPECT_EQ(model.meshes[0].material_index, c.index);
    EXPECT_EQ(model.meshes[0].textured, c.textured);
  }
}

std::string load_and_capture(Model& model, const std::vector<uint8_t>& bytes, bool* result) {
  testing::internal::CaptureStdout();
  *result = load_bytes(model, bytes, "x.3ds");
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

TEST(TdsReader, VersionAboveThreeWarnsWithoutLineBreakAndLoads) {
  for (uint32_t version : {3u, 4u}) {
    TdsSceneDesc s = full_scene();
    s.version = version;
    Model model;
    bool ok = false;
    const std::string out = load_and_capture(model, write_3ds_scene(s), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(out, version > 3 ? "This 3DS file is over version 3 so it may load incorrectly" : "");
    EXPECT_EQ(model.mesh_count, 2);
    EXPECT_EQ(model.material_count, 2);
  }
}

TEST(TdsReader, ForeignFirstChunkAndMissingFileLeaveTheModelEmpty) {
  TdsWriter w;
  w.begin(tds::kEditor);  // a scene without the main chunk around it
  w.begin(tds::kMaterial);
  w.end();
  w.end();
  Model model;
  bool ok = true;
  std::string out = load_and_capture(model, w.data(), &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(out, "Unable to load PRIMARY chuck from file: x.3ds!\n");
  out = load_and_capture(model, {0x4D, 0x4D, 1}, &ok);  // too short for a header
  EXPECT_FALSE(ok);
  EXPECT_EQ(model.material_count, 0);
  EXPECT_TRUE(model.materials.empty());

  testing::internal::CaptureStdout();
  ModelReader reader;
  EXPECT_FALSE(reader.load_3ds_model(model, "no_such_dir/none.3ds"));
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Unable to find the file: no_such_dir/none.3ds!\n");
  EXPECT_EQ(model.mesh_count, 0);
}

TEST(TdsReader, ReadsFromAFile) {
  const std::string path = "reader_file_test.3ds";
  ASSERT_TRUE(save_3ds_scene(path, full_scene()));
  Model model;
  ModelReader reader;
  EXPECT_TRUE(reader.load_3ds_model(model, path.c_str()));
  EXPECT_EQ(model.mesh_count, 2);
  EXPECT_STREQ(model.materials[0].texture_file, "MANBODY.JPG");
  std::remove(path.c_str());
}

// Every prefix of a valid file loads without fault, never more than the whole file holds.
TEST(TdsReader, TruncationSweepLoadsWhatIsThere) {
  const std::vector<uint8_t> whole = write_3ds_scene(full_scene());
  Model full;
  ASSERT_TRUE(load_bytes(full, whole));
  int32_t last_meshes = 0, last_materials = 0;
  for (size_t length = 0; length <= whole.size(); ++length) {
    SCOPED_TRACE(length);
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
    Model model;
    testing::internal::CaptureStdout();
    const bool ok = load_bytes(model, cut);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ok, length >= tds::kChunkHeaderSize);
    ASSERT_TRUE(model_consistent(model));
    EXPECT_GE(model.mesh_count, last_meshes);
    EXPECT_GE(model.material_count, last_materials);
    EXPECT_LE(model.mesh_count, full.mesh_count);
    for (const Mesh& m : model.meshes) {
      EXPECT_LE(m.vertex_count, 4);
      EXPECT_LE(m.face_count, 2);
    }
    last_meshes = model.mesh_count;
    last_materials = model.material_count;
  }
  EXPECT_EQ(last_meshes, 2);
  EXPECT_EQ(last_materials, 2);
}

// Hand-laid files for the inconsistent cases.
std::vector<uint8_t> main_with(void (*body)(TdsWriter&)) {
  TdsWriter w;
  w.begin(tds::kMain);
  w.begin(tds::kEditor);
  body(w);
  w.end();
  w.end();
  return w.data();
}

void object_start(TdsWriter& w, const char* name) {
  w.begin(tds::kObject);
  w.zstring(name);
  w.begin(tds::kTriangleMesh);
}

void object_end(TdsWriter& w) {
  w.end();
  w.end();
}

TEST(TdsReader, ListCountsBeyondTheBodyKeepOnlyWhatIsPresent) {
  Model model;
  ASSERT_TRUE(load_bytes(model, main_with([](TdsWriter& w) {
    object_start(w, "m");
    w.begin(tds::kVertexList);
    w.u16(60000);  // announces 60000, holds 2 and a half
    for (int i = 0; i < 7; ++i) w.f32(1.0f + i);
    w.u16(0);
    w.end();
    w.begin(tds::kTextureCoords);
    w.u16(3);  // announces 3, holds 1
    w.f32(0.5f);
    w.f32(0.25f);
    w.end();
    w.begin(tds::kFaceList);
    w.u16(500);  // announces 500, holds 1
    w.u16(0), w.u16(1), w.u16(0), w.u16(0);
    w.end();
    object_end(w);
    object_start(w, "longer");
    w.begin(tds::kVertexList);
    w.u16(1);  // announces 1, holds 3: the rest is stepped over
    for (int i = 0; i < 9; ++i) w.f32(7.0f);
    w.end();
    w.begin(tds::kFaceList);
    w.u16(1);
    w.u16(0), w.u16(0), w.u16(0), w.u16(0);
    w.end();
    object_end(w);
  })));
  EXPECT_EQ(model.meshes[1].vertex_count, 1);
  EXPECT_EQ(model.meshes[1].face_count, 1);  // found after the longer vertex list
  ASSERT_TRUE(model_consistent(model));
  ASSERT_EQ(model.mesh_count, 2);
  const Mesh& m = model.meshes[0];
  EXPECT_EQ(m.vertex_count, 2);
  EXPECT_EQ(m.vertices[1].x, 4.0f);
  EXPECT_EQ(m.texcoord_count, 1);
  EXPECT_EQ(m.texcoords[0].v, 0.25f);
  EXPECT_EQ(m.face_count, 1);
}

TEST(TdsReader, ChunkLengthsPastTheirParentAreCutAtTheParent) {
  Model model;
  ASSERT_TRUE(load_bytes(model, main_with([](TdsWriter& w) {
    w.begin(tds::kMaterial);
    w.header(tds::kMaterialName, 0x7FFFFFF0);  // claims far more than the material holds
    w.zstring("LONG");
    w.end();
    w.begin(tds::kMaterial);  // a sibling that a run-away length would swallow
    w.begin(tds::kMaterialName);
    w.zstring("NEXT");
    w.end();
    w.header(0x1234, 2);  // shorter than a header: taken as an empty chunk
    w.end();
  })));
  ASSERT_EQ(model.material_count, 2);
  EXPECT_STREQ(model.materials[0].name, "LONG");
  EXPECT_STREQ(model.materials[1].name, "NEXT");
}

TEST(TdsReader, OverlongFieldsAreCutAndTerminated) {
  Model model;
  ASSERT_TRUE(load_bytes(model, main_with([](TdsWriter& w) {
    w.begin(tds::kFileVersion);  // a version body of 8 bytes
    w.u32(3);
    w.u32(99);
    w.end();
    w.begin(tds::kMaterial);
    w.begin(tds::kMaterialName);
    w.zstring(std::string(400, 'n'));
    w.end();
    w.begin(tds::kTextureMap);
    w.begin(tds::kMapFileName);
    w.bytes(std::string(300, 'f').data(), 300);  // no terminating zero at all
    w.end();
    w.end();
    w.end();
    object_start(w, std::string(1000, 'o').c_str());
    w.begin(tds::kFaceMaterialGroup);
    w.zstring(std::string(400, 'n'));  // matches the material by its first 254 bytes
    w.end();
    object_end(w);
  })));
  ASSERT_TRUE(model_consistent(model));
  EXPECT_EQ(std::strlen(model.materials[0].name), 254u);
  EXPECT_EQ(std::strlen(model.materials[0].texture_file), 254u);
  EXPECT_EQ(std::strlen(model.meshes[0].name), 254u);
  EXPECT_EQ(model.meshes[0].material_index, 0);
  EXPECT_TRUE(model.meshes[0].textured);
}

TEST(TdsReader, EditorWhoseFirstSubChunkIsAMaterialKeepsIt) {
  Model model;
  ASSERT_TRUE(load_bytes(model, main_with([](TdsWriter& w) {
    w.begin(tds::kMaterial);
    w.begin(tds::kMaterialName);
    w.zstring("FIRST");
    w.end();
    w.begin(tds::kDiffuseColour);  // the float form first
    w.begin(tds::kColourFloat);
    w.f32(1.0f), w.f32(0.5f), w.f32(0.0f);
    w.end();
    w.end();
    w.end();
  })));
  ASSERT_EQ(model.material_count, 1);
  EXPECT_STREQ(model.materials[0].name, "FIRST");
  EXPECT_EQ(model.materials[0].colour[0], 255);
  EXPECT_EQ(model.materials[0].colour[1], 128);
  EXPECT_EQ(model.materials[0].colour[2], 0);
}

TEST(TdsReader, HostileNestingAndHugeSkippedChunksAreSurvived) {
  Model model;
  ASSERT_TRUE(load_bytes(model, main_with([](TdsWriter& w) {
    w.begin(tds::kMaterial);
    for (int i = 0; i < 100000; ++i) w.begin(tds::kTextureMap);
    w.begin(tds::kMapFileName);
    w.zstring("DEEP.BMP");
    w.end();
    for (int i = 0; i < 100000; ++i) w.end();
    w.end();
    w.begin(0x7777);  // stepped over: larger than any scratch area
    std::vector<uint8_t> big(300000, 0xAB);
    w.bytes(big.data(), big.size());
    w.end();
    object_start(w, "after");
    object_end(w);
  })));
  EXPECT_EQ(model.material_count, 1);
  EXPECT_STREQ(model.materials[0].texture_file, "");  // too deep to be read
  ASSERT_EQ(model.mesh_count, 1);
  EXPECT_STREQ(model.meshes[0].name, "after");
}

TEST(TdsReader, RecordCountsAreBounded) {
  Model model;
  ASSERT_TRUE(load_bytes(model, main_with([](TdsWriter& w) {
    for (int i = 0; i < 70000; ++i) {
      w.begin(tds::kObject);
      w.u8(0);
      w.end();
      w.begin(tds::kMaterial);
      w.end();
    }
  })));
  EXPECT_EQ(model.mesh_count, 65535);
  EXPECT_EQ(model.material_count, 65535);
  EXPECT_TRUE(model_consistent(model));
}

TEST(TdsReader, FacesWithCornersOutOfRangeTakeNoPartInNormals) {
  Model model;
  ASSERT_TRUE(load_bytes(model, main_with([](TdsWriter& w) {
    object_start(w, "m");
    w.begin(tds::kVertexList);
    w.u16(3);
    const float v[9] = {0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (float f : v) w.f32(f);
    w.end();
    w.begin(tds::kFaceList);
    w.u16(2);
    w.u16(0), w.u16(1), w.u16(2), w.u16(0);
    w.u16(0), w.u16(2), w.u16(65535), w.u16(0);  // no vertex 65535
    w.end();
    object_end(w);
  })));
  const Mesh& m = model.meshes[0];
  ASSERT_EQ(m.face_count, 2);  // kept as read; drawing leaves the second out
  EXPECT_FALSE(face_in_range(m.faces[1], m.vertex_count));
  for (int v = 0; v < 3; ++v) EXPECT_FLOAT_EQ(m.normals[v].z, 1.0f);
}

// Inputs that once broke the reader (kept from fuzzing) must load without fault.
TEST(TdsReader, KeptRegressionInputsLoad) {
  DIR* dir = opendir(MODEL_REGRESSION_DIR);
  ASSERT_NE(dir, nullptr);
  int files = 0;
  while (dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".3ds") != 0) continue;
    SCOPED_TRACE(name);
    Model model;
    testing::internal::CaptureStdout();
    load_bytes(model, read_whole_file(std::string(MODEL_REGRESSION_DIR) + "/" + name));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(model_consistent(model));
    ++files;
  }
  closedir(dir);
  EXPECT_GT(files, 0);
}

}  // namespace
