// Writes the fuzz seed corpus with the model's own writers: small, valid 3DS scenes covering every
// chunk the reader handles, and bitmaps of both depths. Usage: fuzz_seeds CORPUS_DIR
#include <cstdio>
#include <string>

#include "model/bmp_writer.h"
#include "model/tds_writer.h"
#include "seed_files.h"

namespace {

TdsMeshDesc quad(const std::string& name, const std::string& material, bool texcoords) {
  TdsMeshDesc m;
  m.name = name;
  m.vertices = {0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1};
  m.faces = {0, 1, 2, 0, 2, 3};
  if (texcoords) m.texcoords = {0, 0, 1, 0, 1, 1, 0, 1};
  if (!material.empty()) m.groups.push_back({material, {}});
  m.smoothing_groups = true;
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds CORPUS_DIR\n");
    return 2;
  }
  const std::string root = argv[1];
  for (const char* dir : {"", "/seeds", "/seeds/3ds", "/seeds/bmp", "/work", "/work/3ds",
                          "/work/bmp"})
    make_dir(root + dir);

  TdsSceneDesc full;
  full.unknown_chunks = true;
  TdsMaterialDesc skin;
  skin.name = "SKIN";
  skin.texture_file = "SKIN.JPG";
  skin.bump_file = "BUMP.JPG";
  skin.float_colour_after_24 = true;
  TdsMaterialDesc nail;
  nail.name = "NAIL";
  full.materials = {skin, nail};
  full.meshes = {quad("body", "SKIN", true), quad("nail", "NAIL", false), quad("bare", "", false)};
  TdsSceneDesc v4 = full;
  v4.version = 4;
  v4.unknown_chunks = false;
  TdsSceneDesc bare;
  bare.version_chunk = false;
  bare.mesh_version = false;
  bare.keyframer = false;
  bare.meshes = {quad("one", "MISSING", true)};

  bool ok = save_3ds_scene(root + "/seeds/3ds/full.3ds", full) &&
            save_3ds_scene(root + "/seeds/3ds/version4.3ds", v4) &&
            save_3ds_scene(root + "/seeds/3ds/bare.3ds", bare);

  BmpLayout colour;
  colour.width = 3;  // rows with fill bytes
  colour.height = 2;
  colour.pixels.assign(18, 0x40);
  BmpLayout grey;
  grey.width = 5;
  grey.height = 3;
  grey.bits_per_pixel = 8;
  grey.pixels.assign(15, 0x80);
  BmpLayout zeros = colour;
  zeros.zero_data_offset = true;
  zeros.zero_data_size = true;
  ok = ok && save_bmp(root + "/seeds/bmp/colour.bmp", colour) &&
       save_bmp(root + "/seeds/bmp/grey.bmp", grey) && save_bmp(root + "/seeds/bmp/zeros.bmp", zeros);
  if (!ok) std::fprintf(stderr, "fuzz_seeds: cannot write the corpus under %s\n", root.c_str());
  return ok ? 0 : 1;
}
