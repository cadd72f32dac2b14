// Generates the shipped body: man.3ds and its textures, into the folder given.
// Usage: body_gen FOLDER
#include <cstdio>

#include "body/body.h"
#include "body/body_files.h"
#include "body/skin_textures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: body_gen FOLDER\n");
    return 2;
  }
  const Body body = build_body();
  const std::vector<SkinTexture> textures = paint_skin_textures(body);
  if (!write_body_files(body, textures, argv[1])) return 1;
  std::printf("body_gen: %d triangles in %zu meshes, %zu textures\n", body.triangle_count(),
              body.meshes.size(), textures.size());
  return 0;
}
