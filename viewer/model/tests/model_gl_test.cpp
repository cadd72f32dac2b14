// Texture loading and drawing in a real GL context (run under Xvfb): a small GLUT window of our
// own, drawn into its back buffer and read back with glReadPixels.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/bmp_writer.h"
#include "model/model_gl.h"
#include "model/vertex_normals.h"
#include "model_fixtures.h"

namespace {

constexpr int kSize = 64;
using Rgb = std::array<int, 3>;

void begin_frame() {
  glViewport(0, 0, kSize, kSize);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 1, -1, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Rgb pixel(int x, int y) {
  glFinish();
  unsigned char p[3];
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2]};
}

std::vector<unsigned char> frame() {
  glFinish();
  std::vector<unsigned char> p(size_t(kSize) * kSize * 3);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, p.data());
  return p;
}

::testing::AssertionResult close_to(const Rgb& got, const Rgb& want) {
  for (int i = 0; i < 3; ++i)
    if (std::abs(got[i] - want[i]) > 8)
      return ::testing::AssertionFailure() << "got " << got[0] << "," << got[1] << "," << got[2]
                                           << " want " << want[0] << "," << want[1] << ","
                                           << want[2];
  return ::testing::AssertionSuccess();
}

// 10 x 10 (rows of 30 bytes and 2 fill bytes): bottom red | green, top blue | yellow.
BmpLayout quadrant_bitmap() {
  BmpLayout s;
  s.width = 10;
  s.height = 10;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool top = y >= 5, right = x >= 5;
      const uint8_t rgb[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
      const uint8_t* c = rgb[(top ? 2 : 0) + (right ? 1 : 0)];
      s.pixels.insert(s.pixels.end(), c, c + 3);
    }
  return s;
}

TEST(ModelGl, TexturedQuadShowsTheBottomRowAtVZero) {
  ASSERT_TRUE(save_bmp("Quad_Tex.bmp", quadrant_bitmap()));
  TdsSceneDesc s;
  s.materials.push_back(material("SKIN", 1, 2, 3, "QUAD_TEX.BMP"));  // case differs from the file
  TdsMeshDesc quad = quad_mesh("quad", -1, -1, 1, 1);
  quad.groups.push_back({"SKIN", {}});
  s.meshes.push_back(quad);
  ASSERT_TRUE(save_3ds_scene("quad.3ds", s));

  Model model;
  ModelReader reader;
  ASSERT_TRUE(reader.load_3ds_model(model, "quad.3ds"));
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // as a text renderer may have left it
  testing::internal::CaptureStdout();
  EXPECT_EQ(load_material_textures(model), 1);
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 1);
  ASSERT_NE(model.texture_names[0], 0u);

  begin_frame();
  draw_model(model);
  EXPECT_TRUE(close_to(pixel(16, 16), {255, 0, 0}));
  EXPECT_TRUE(close_to(pixel(48, 16), {0, 255, 0}));
  EXPECT_TRUE(close_to(pixel(16, 48), {0, 0, 255}));
  EXPECT_TRUE(close_to(pixel(48, 48), {255, 255, 0}));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  std::remove("Quad_Tex.bmp");
  std::remove("quad.3ds");
}

TEST(ModelGl, GreyBitmapBecomesALuminanceTexture) {
  BmpLayout grey;
  grey.width = 6;
  grey.height = 6;
  grey.bits_per_pixel = 8;
  grey.pixels.assign(36, 100);
  ASSERT_TRUE(save_bmp("grey.bmp", grey));
  uint32_t table[kTextureSlots] = {};
  ASSERT_EQ(make_texture_from_bitmap("grey.bmp", table, 5, GL_CLAMP), 1);
  EXPECT_EQ(make_texture_from_bitmap("grey.bmp", table, kTextureSlots, GL_CLAMP), -1);
  EXPECT_EQ(make_texture_from_bitmap("absent.bmp", table, 6, GL_CLAMP), -1);
  EXPECT_EQ(table[6], 0u);

  begin_frame();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, table[5]);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2f(-1, -1);
  glTexCoord2f(1, 0), glVertex2f(1, -1);
  glTexCoord2f(1, 1), glVertex2f(1, 1);
  glTexCoord2f(0, 1), glVertex2f(-1, 1);
  glEnd();
  EXPECT_TRUE(close_to(pixel(32, 32), {100, 100, 100}));
  glDeleteTextures(1, &table[5]);
  std::remove("grey.bmp");
}

// Lit, as the viewer draws the body, so that normals and colours show in the pixels.
std::vector<unsigned char> lit_frame(const Model& model, const GlLists& lists) {
  begin_frame();
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_COLOR_MATERIAL);
  glRotatef(30, 1, 1, 0);
  draw_model(model, lists);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHTING);
  return frame();
}

Mesh square(float x0, float y0, float x1, float y1, int32_t material_index, bool textured) {
  Mesh m;
  m.vertex_count = 4;
  m.vertices.reset(new Vector3[4]{{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}});
  m.face_count = 2;
  m.faces.reset(new Face[2]{{{0, 1, 2}}, {{0, 2, 3}}});
  m.material_index = material_index;
  m.textured = textured;
  build_vertex_normals(m);
  return m;
}

TEST(ModelGl, DamagedMeshesDrawOnlyWhatFits) {
  Model model;
  model.material_count = 1;
  model.materials.emplace_back();
  model.materials[0].colour[1] = 200;

  // Left half in the material's colour, its upper triangle naming a vertex that does not exist.
  Mesh left = square(-1, -1, 0, 1, 0, false);
  left.faces[1].vertex_index[2] = 4;
  // Bottom right: an unknown material, sent white.
  Mesh unknown = square(0, -1, 1, 0, -1, false);
  // Top right: textured with an index outside the texture table and fewer texture coordinates
  // than vertices; texture 0 holds no image, so it is white too.
  Mesh odd = square(0, 0, 1, 1, 150, true);
  odd.texcoord_count = 1;
  odd.texcoords.reset(new Vector2[1]);
  model.meshes.push_back(std::move(left));
  model.meshes.push_back(std::move(unknown));
  model.meshes.push_back(std::move(odd));
  model.mesh_count = 3;

  begin_frame();
  draw_model(model);
  EXPECT_TRUE(close_to(pixel(28, 4), {0, 200, 0}));   // below the left half's diagonal
  EXPECT_TRUE(close_to(pixel(4, 60), {0, 0, 0}));     // the dropped face
  EXPECT_TRUE(close_to(pixel(48, 16), {255, 255, 255}));
  EXPECT_TRUE(close_to(pixel(48, 48), {255, 255, 255}));
}

// The viewer draws the body from lists; they must give the very pixels of the corners sent one
// by one, bind the texture that the material's slot holds when drawn, and never draw a model
// they were not made from.
TEST(ModelGl, CompiledModelDrawsTheSamePixels) {
  ASSERT_TRUE(save_bmp("lists.bmp", quadrant_bitmap()));
  BmpLayout green;
  green.width = green.height = 4;
  for (int i = 0; i < 16; ++i) green.pixels.insert(green.pixels.end(), {0, 255, 0});
  ASSERT_TRUE(save_bmp("green.bmp", green));

  Model model;
  model.material_count = 2;
  model.materials.resize(2);
  model.materials[0].colour[0] = 200;
  std::snprintf(model.materials[1].texture_file, kNameField, "lists.bmp");
  Mesh coloured = square(-1, -1, 0, 1, 0, false);
  coloured.faces[1].vertex_index[2] = 4;  // a damaged face, left out of the list too
  Mesh textured = square(0, -1, 1, 1, 1, true);
  textured.texcoord_count = 4;
  textured.texcoords.reset(new Vector2[4]{{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  model.meshes.push_back(std::move(coloured));
  model.meshes.push_back(std::move(textured));
  model.mesh_count = 2;
  ASSERT_EQ(load_material_textures(model), 1);

  const std::vector<unsigned char> immediate = lit_frame(model, GlLists());
  GlLists lists = compile_model(model);
  ASSERT_EQ(lists.count(), 2);
  EXPECT_TRUE(glIsList(lists.name(0)));
  EXPECT_TRUE(glIsList(lists.name(1)));
  EXPECT_TRUE(lit_frame(model, lists) == immediate);
  EXPECT_NE(immediate, std::vector<unsigned char>(immediate.size(), 0));  // something was drawn

  // A texture remade after compiling is the one drawn: the bind is not in the list.
  ASSERT_EQ(make_texture_from_bitmap("green.bmp", model.texture_names, 1, GL_REPEAT), 1);
  begin_frame();
  draw_model(model, lists);
  EXPECT_TRUE(close_to(pixel(40, 16), {0, 255, 0}));
  EXPECT_TRUE(close_to(pixel(56, 48), {0, 255, 0}));

  // Lists of another model (here one mesh fewer) are not used: the corners go out directly.
  model.mesh_count = 1;
  begin_frame();
  draw_model(model, lists);
  EXPECT_TRUE(close_to(pixel(16, 16), {200, 0, 0}));
  EXPECT_TRUE(close_to(pixel(48, 32), {0, 0, 0}));
  std::remove("lists.bmp");
  std::remove("green.bmp");
}

TEST(ModelGl, ListOwnersDeleteTheirListsOnce) {
  EXPECT_TRUE(GlLists(0).empty());
  EXPECT_TRUE(GlLists(-3).empty());

  GlLists a(3);
  ASSERT_EQ(a.count(), 3);
  const GLuint first = a.name(0);
  for (int i = 0; i < 3; ++i) {
    glNewList(a.name(i), GL_COMPILE);
    glEndList();
    EXPECT_TRUE(glIsList(a.name(i)));
  }
  GlLists b(std::move(a));
  EXPECT_TRUE(a.empty());
  a.reset();  // moved from: owns nothing, deletes nothing
  EXPECT_TRUE(glIsList(first));

  GlLists c(1);
  glNewList(c.name(0), GL_COMPILE);
  glEndList();
  const GLuint other = c.name(0);
  c = std::move(b);  // the list c held goes first
  EXPECT_FALSE(glIsList(other));
  EXPECT_TRUE(glIsList(first + 2));
  c.reset();
  for (GLuint i = 0; i < 3; ++i) EXPECT_FALSE(glIsList(first + i));
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(ModelGl, EachMaterialGetsItsOwnSlotAndOnlyHundredExist) {
  ASSERT_TRUE(save_bmp("slot.bmp", quadrant_bitmap()));
  Model model;
  for (int i = 0; i < kTextureSlots + 2; ++i) {
    model.materials.emplace_back();
    std::snprintf(model.materials[i].texture_file, kNameField, "%s",
                  i == 1 ? "" : i == 2 ? "missing.bmp" : "slot.bmp");
  }
  model.material_count = kTextureSlots + 2;

  testing::internal::CaptureStdout();
  EXPECT_EQ(load_material_textures(model), 1);
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Cannot load texture : missing.bmp\n"
            "Cannot load texture : slot.bmp\n"
            "Cannot load texture : slot.bmp\n");
  EXPECT_EQ(model.texture_names[1], 0u);
  EXPECT_EQ(model.texture_names[2], 0u);
  EXPECT_NE(model.texture_names[0], model.texture_names[3]);  // no sharing of one file
  for (int i = 3; i < kTextureSlots; ++i) EXPECT_TRUE(glIsTexture(model.texture_names[i])) << i;

  const uint32_t first = model.texture_names[0];
  model.clear_model();
  EXPECT_FALSE(glIsTexture(first));
  EXPECT_EQ(model.texture_names[0], 0u);
  EXPECT_EQ(model.material_count, 0);
  EXPECT_TRUE(model.materials.empty());
  std::remove("slot.bmp");
}

TEST(ModelGl, AnEmptyModelDrawsNothingAndMakesNoTextures) {
  Model model;
  EXPECT_EQ(load_material_textures(model), 1);
  begin_frame();
  draw_model(model);
  EXPECT_TRUE(close_to(pixel(32, 32), {0, 0, 0}));
  for (uint32_t name : model.texture_names) EXPECT_EQ(name, 0u);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(kSize, kSize);
  glutCreateWindow("model test");
  glutDisplayFunc([] {});
  glutMainLoopEvent();
  return RUN_ALL_TESTS();
}
