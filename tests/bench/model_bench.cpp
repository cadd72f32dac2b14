// Model benchmark: prints figures, passes or fails nothing.
//
//   model_bench [MODEL.3ds]
//
// Without an argument it writes a model of the shipped size (22 meshes, about 16,750 vertices and
// 26,600 faces, 19 textures from 12 bitmaps of 224 x 224 up to 452 x 904) into bench_model/ and
// measures that. It needs an X display for its GL context (scripts/with-display.sh). Each figure
// is one entry of kSections; a new measurement is one more function there.
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/bmp_writer.h"
#include "model/model_gl.h"
#include "model/model_reader.h"
#include "model/tds_writer.h"
#include "model/vertex_normals.h"
#include "normal_scan.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Best of `runs` timings of `work`, in milliseconds.
double best_of(int runs, const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const Clock::time_point start = Clock::now();
    work();
    best = std::min(best, ms_since(start));
  }
  return best;
}

struct BenchContext {
  std::string model_file;  // relative to the working directory, where its textures are too
  Model model;             // the model as loaded by the first section
};

// --- The generated model -------------------------------------------------------------------------

struct TextureFile {
  const char* stored;  // as the materials name it
  const char* on_disk;
  int width, height;
};

// Twelve bitmaps; the first serves six materials and the second three, as in the shipped model.
const TextureFile kTextures[12] = {
    {"MANBODY.JPG", "ManBody.jpg", 452, 904}, {"MANHEAD.JPG", "ManHead.jpg", 400, 800},
    {"MANARML.JPG", "ManArmL.jpg", 224, 224}, {"MANARMR.JPG", "ManArmR.jpg", 300, 300},
    {"MANLEGL.JPG", "ManLegL.jpg", 320, 640}, {"MANLEGR.JPG", "ManLegR.jpg", 360, 360},
    {"MANHANDL.JPG", "ManHandL.jpg", 256, 512}, {"MANHANDR.JPG", "ManHandR.jpg", 400, 400},
    {"MANFOOTL.JPG", "ManFootL.jpg", 440, 440}, {"MANFOOTR.JPG", "ManFootR.jpg", 300, 600},
    {"MANEAR.JPG", "ManEar.jpg", 380, 380},     {"MANEYE.JPG", "ManEye.jpg", 224, 448},
};

int texture_of_material(int m) { return m < 6 ? 0 : m < 9 ? 1 : m < 19 ? m - 7 : -1; }

// Grid columns per mesh: 5 rows each, so 5c vertices and 8(c - 1) faces; the spread of sizes
// gives about 43 million face tests to the all-faces scan, as the shipped model does.
const int kColumns[22] = {800, 300, 300, 300, 120, 120, 120, 120, 120, 120, 120,
                          120, 120, 120, 56,  56,  56,  56,  56,  59,  56,  56};

TdsMeshDesc grid_mesh(int index, int columns, bool textured) {
  TdsMeshDesc m;
  m.name = "Mesh" + std::to_string(index);
  const int rows = 5;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) {
      const float a = 6.2831853f * c / columns;
      const float radius = 0.1f + 0.02f * index + 0.01f * r;
      m.vertices.insert(m.vertices.end(), {radius * std::cos(a), radius * std::sin(a),
                                           0.2f * r + 0.05f * index});
      if (textured)
        m.texcoords.insert(m.texcoords.end(),
                           {static_cast<float>(c) / columns, static_cast<float>(r) / (rows - 1)});
    }
  for (int r = 0; r + 1 < rows; ++r)
    for (int c = 0; c + 1 < columns; ++c) {
      const uint16_t v = static_cast<uint16_t>(r * columns + c);
      const uint16_t up = static_cast<uint16_t>(v + columns);
      m.faces.insert(m.faces.end(), {v, static_cast<uint16_t>(v + 1), static_cast<uint16_t>(up + 1),
                                     v, static_cast<uint16_t>(up + 1), up});
    }
  m.groups.push_back({"Material" + std::to_string(index), {}});
  m.smoothing_groups = true;
  return m;
}

bool write_generated_model(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  TdsSceneDesc scene;
  for (int i = 0; i < 22; ++i) {
    TdsMaterialDesc m;
    m.name = "Material" + std::to_string(i);
    m.colour[0] = static_cast<uint8_t>(200 + i);
    m.colour[1] = 180;
    m.colour[2] = 160;
    const int t = texture_of_material(i);
    if (t >= 0) m.texture_file = kTextures[t].stored;
    scene.materials.push_back(m);
    scene.meshes.push_back(grid_mesh(i, kColumns[i], t >= 0));
  }
  if (!save_3ds_scene(folder + "/man.3ds", scene)) return false;
  for (const TextureFile& t : kTextures) {
    BmpLayout bmp;
    bmp.width = t.width;
    bmp.height = t.height;
    bmp.pixels.resize(static_cast<size_t>(t.width) * t.height * 3);
    for (size_t i = 0; i < bmp.pixels.size(); ++i) bmp.pixels[i] = static_cast<uint8_t>(i * 7);
    if (!save_bmp(folder + "/" + t.on_disk, bmp)) return false;
  }
  return true;
}

// --- Sections ------------------------------------------------------------------------------------

void model_size(BenchContext& b) {
  long vertices = 0, faces = 0, face_tests = 0;
  for (const Mesh& m : b.model.meshes) {
    vertices += m.vertex_count;
    faces += m.face_count;
    face_tests += static_cast<long>(m.vertex_count) * m.face_count;
  }
  std::printf("model: %d meshes, %ld vertices, %ld faces, %d materials (%ld face tests in a scan)\n",
              b.model.mesh_count, vertices, faces, b.model.material_count, face_tests);
}

void load_times(BenchContext& b) {
  ModelReader reader;
  const double read_ms = best_of(5, [&] {
    Model scratch;
    reader.load_3ds_model(scratch, b.model_file.c_str());
  });
  reader.load_3ds_model(b.model, b.model_file.c_str());
  model_size(b);
  const double normals_ms = best_of(5, [&] {
    for (Mesh& m : b.model.meshes) build_vertex_normals(m);
  });
  const Clock::time_point start = Clock::now();
  load_material_textures(b.model);
  glFinish();
  const double texture_ms = ms_since(start);
  int textures = 0;
  for (uint32_t name : b.model.texture_names) textures += name != 0;
  std::printf("3DS read + normals: %.1f ms (normals alone %.2f ms)\n", read_ms, normals_ms);
  std::printf("texture creation: %.1f ms for %d textures\n", texture_ms, textures);
  std::printf("start-up model total: %.1f ms\n", read_ms + texture_ms);
}

void normal_methods(BenchContext& b) {
  std::vector<std::unique_ptr<Vector3[]>> scanned;
  const double scan_ms = best_of(3, [&] {
    scanned.clear();
    for (const Mesh& m : b.model.meshes) {
      scanned.emplace_back(new Vector3[std::max(m.vertex_count, 1)]);
      scan_vertex_normals(m, scanned.back().get());
    }
  });
  const double fast_ms = best_of(3, [&] {
    for (Mesh& m : b.model.meshes) build_vertex_normals(m);
  });
  bool identical = true;
  for (size_t i = 0; i < b.model.meshes.size(); ++i) {
    const Mesh& m = b.model.meshes[i];
    identical = identical && std::memcmp(scanned[i].get(), m.normals.get(),
                                         sizeof(Vector3) * m.vertex_count) == 0;
  }
  std::printf("normals, all-faces scan: %.1f ms; per-corner pass: %.2f ms (%.0fx); bit-identical: %s\n",
              scan_ms, fast_ms, scan_ms / fast_ms, identical ? "yes" : "NO");
}

struct Section {
  const char* name;
  void (*run)(BenchContext&);
};

const Section kSections[] = {
    {"load", load_times},
    {"normals", normal_methods},
};

}  // namespace

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(800, 600);
  glutCreateWindow("model_bench");
  glutDisplayFunc([] {});
  glutMainLoopEvent();

  BenchContext bench;
  if (argc > 1) {
    // Read the given model from its own folder, where its textures are.
    const std::filesystem::path path = argv[1];
    std::error_code error;
    if (path.has_parent_path()) std::filesystem::current_path(path.parent_path(), error);
    if (error) {
      std::fprintf(stderr, "model_bench: cannot enter the folder of %s\n", argv[1]);
      return 1;
    }
    bench.model_file = path.filename().string();
  } else {
    std::error_code error;
    if (!write_generated_model("bench_model") ||
        (std::filesystem::current_path("bench_model", error), error)) {
      std::fprintf(stderr, "model_bench: cannot write the generated model\n");
      return 1;
    }
    bench.model_file = "man.3ds";
  }
  std::printf("model_bench: %s\n", bench.model_file.c_str());
  for (const Section& s : kSections) {
    std::printf("[%s]\n", s.name);
    s.run(bench);
  }
  return 0;
}
