#include <GL/glut.h>

#include <cstdio>

#include "model/bitmap_image.h"
#include "model/model_gl.h"

namespace {

void delete_textures(int count, const uint32_t* names) {
  glDeleteTextures(count, reinterpret_cast<const GLuint*>(names));
}

static_assert(sizeof(GLuint) == sizeof(uint32_t), "texture names are stored as uint32_t");

}  // namespace

int make_texture_from_bitmap(const char* file_name, uint32_t* texture_names, int slot,
                             int wrap_mode) {
  if (slot < 0 || slot >= kTextureSlots) return -1;
  BitmapImage image;
  if (read_bitmap_file(image, file_name) != kBitmapRead) return -1;

  if (texture_names[slot] != 0) delete_textures(1, &texture_names[slot]);
  glGenTextures(1, reinterpret_cast<GLuint*>(&texture_names[slot]));
  glBindTexture(GL_TEXTURE_2D, texture_names[slot]);
  // The rows are padded to 4 bytes; state that here rather than rely on whoever ran before.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  const GLint built =
      gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(image.format), image.width,
                        image.height, image.format, GL_UNSIGNED_BYTE, image.pixels.get());
  glPopClientAttrib();
  if (built != 0) {  // GLU could not scale or upload it: no half-made texture stays behind
    delete_textures(1, &texture_names[slot]);
    texture_names[slot] = 0;
    return -1;
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap_mode);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap_mode);
  return 1;
}

int load_material_textures(Model& model) {
  model.texture_release = delete_textures;
  const int32_t materials = static_cast<int32_t>(model.materials.size());
  for (int32_t i = 0; i < model.material_count && i < materials; ++i) {
    const Material& m = model.materials[i];
    if (m.texture_file[0] == '\0') continue;
    // Slots beyond the table fail in make_texture_from_bitmap and are reported like a bad file.
    if (make_texture_from_bitmap(m.texture_file, model.texture_names, i, GL_REPEAT) == -1) {
      std::printf("Cannot load texture : %s\n", m.texture_file);
      std::fflush(stdout);  // the GLUT loop never returns: nothing may wait in a buffer
    }
  }
  return 1;
}
