// Mean frame time of the main window's display at 800 x 600, on the content run folder when it
// exists, else on a generated model of the shipped size. Needs an X display:
//   scripts/with-display.sh build/<dir>/tests/bench/frame_bench [RUN_FOLDER] [--frames N]
#include <GL/freeglut.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "atlas/acupoint_table.h"
#include "model/bmp_writer.h"
#include "model/tds_writer.h"
#include "shell/body.h"
#include "shell/scene.h"
#include "shell/start_up.h"
#include "shell/viewer_windows.h"
#include "view/views.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// The shipped body: 22 meshes with 16,754 vertices and 26,234 faces.
constexpr int kMeshes = 22;
constexpr int kVertices = 16754;
constexpr int kFaces = 26234;
constexpr int kBandRows = 4;  // quad rows per band

// One textured band of a cylinder around the body's axis, the meshes stacked from foot to head
// over the 6 scene units of the window's height. Columns: columns + 1 vertices round the band.
TdsMeshDesc band(int index, int columns, int extra_vertices, int extra_faces) {
  TdsMeshDesc m;
  m.name = "band" + std::to_string(index);
  const float z0 = -2.8f + 5.6f * float(index) / kMeshes, dz = 5.6f / kMeshes / kBandRows;
  const float radius = 0.5f + 0.3f * std::sin(float(index) * 0.7f);
  for (int r = 0; r <= kBandRows; ++r)
    for (int c = 0; c <= columns; ++c) {
      const float a = 6.2831853f * float(c) / float(columns);
      // File axes are Z up: (x, y, z) shows as (x, z, -y).
      m.vertices.insert(m.vertices.end(),
                        {radius * std::cos(a), radius * std::sin(a), z0 + dz * float(r)});
      m.texcoords.insert(m.texcoords.end(), {float(c) / float(columns), float(r) / kBandRows});
    }
  const int row = columns + 1;
  for (int r = 0; r < kBandRows; ++r)
    for (int c = 0; c < columns; ++c) {
      const uint16_t a = uint16_t(r * row + c), b = uint16_t(a + 1), d = uint16_t(a + row),
                     e = uint16_t(d + 1);
      m.faces.insert(m.faces.end(), {a, b, e, a, e, d});
    }
  // Padding that brings the totals to the shipped counts: unused vertices, repeated faces.
  for (int i = 0; i < extra_vertices; ++i) {
    m.vertices.insert(m.vertices.end(), {0, 0, z0});
    m.texcoords.insert(m.texcoords.end(), {0, 0});
  }
  for (int i = 0; i < extra_faces; ++i) m.faces.insert(m.faces.end(), {0, 1, uint16_t(row + 1)});
  m.groups.push_back({"skin" + std::to_string(index), {}});
  return m;
}

// The shipped model's texture set as the model benchmark generates it: twelve bitmaps of 224 x 224
// up to 452 x 904; the first serves six materials, the second three, the last three go without.
struct TextureSize {
  int width, height;
};
constexpr TextureSize kTextureSizes[12] = {{452, 904}, {400, 800}, {224, 224}, {300, 300},
                                           {320, 640}, {360, 360}, {256, 512}, {400, 400},
                                           {440, 440}, {300, 600}, {380, 380}, {224, 448}};
int texture_of_material(int m) { return m < 6 ? 0 : m < 9 ? 1 : m < 19 ? m - 7 : -1; }

BmpLayout texture(int index) {
  BmpLayout bmp;
  bmp.width = kTextureSizes[index].width;
  bmp.height = kTextureSizes[index].height;
  bmp.pixels.resize(size_t(bmp.width) * size_t(bmp.height) * 3);
  for (int y = 0; y < bmp.height; ++y)
    for (int x = 0; x < bmp.width; ++x) {
      uint8_t* p = &bmp.pixels[(size_t(y) * size_t(bmp.width) + size_t(x)) * 3];
      p[0] = uint8_t(180 + (x ^ y) % 60);
      p[1] = uint8_t(120 + index * 5);
      p[2] = uint8_t(100 + y % 50);
    }
  return bmp;
}

std::string texture_name(int index) { return "skin" + std::to_string(index) + ".bmp"; }

// Writes man.3ds and its textures into folder; false on any write failure.
bool generate_model(const fs::path& folder) {
  for (int t = 0; t < 12; ++t)
    if (!save_bmp((folder / texture_name(t)).string(), texture(t))) return false;
  // Each band has 8 faces and 5 vertices per column, plus 5 for its closing column.
  const int columns = kFaces / (2 * kBandRows);  // over all meshes
  TdsSceneDesc scene;
  int vertices = 0, faces = 0;
  for (int i = 0; i < kMeshes; ++i) {
    const int mine = columns / kMeshes + (i < columns % kMeshes ? 1 : 0);
    const bool last = i == kMeshes - 1;
    const int band_vertices = (mine + 1) * (kBandRows + 1), band_faces = 2 * kBandRows * mine;
    const int extra_v = last ? kVertices - vertices - band_vertices : 0;
    const int extra_f = last ? kFaces - faces - band_faces : 0;
    scene.meshes.push_back(band(i, mine, extra_v, extra_f));
    vertices += band_vertices + extra_v;
    faces += band_faces + extra_f;
    TdsMaterialDesc material;
    material.name = "skin" + std::to_string(i);
    material.colour[0] = 200;
    material.colour[1] = 160;
    material.colour[2] = 140;
    if (texture_of_material(i) >= 0) material.texture_file = texture_name(texture_of_material(i));
    scene.materials.push_back(material);
  }
  std::printf("generated model: %d meshes, %d vertices, %d faces, 19 textured materials\n",
              kMeshes, vertices, faces);
  return save_3ds_scene((folder / "man.3ds").string(), scene);
}

struct Figures {
  double mean_ms, median_ms, min_ms;
};

Figures time_frames(int frames) {
  std::vector<double> ms;
  for (int i = 0; i < frames; ++i) {
    const auto start = Clock::now();
    display_main();
    glFinish();  // the frame is done when its pixels are
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::vector<double> sorted = ms;
  std::sort(sorted.begin(), sorted.end());
  double sum = 0;
  for (double v : ms) sum += v;
  return {sum / double(ms.size()), sorted[sorted.size() / 2], sorted.front()};
}

void print(const char* what, const Figures& f, int frames) {
  std::printf("%-34s mean %7.3f ms  median %7.3f ms  min %7.3f ms  (%d frames)\n", what,
              f.mean_ms, f.median_ms, f.min_ms, frames);
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 200;
  std::string run_folder = TOLVANE_RUN_FOLDER;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
      frames = std::max(1, std::atoi(argv[++i]));
    else
      run_folder = argv[i];
  }

  fs::path folder = run_folder;
  fs::path generated;
  if (!fs::exists(folder / "man.3ds")) {
    std::string pattern = (fs::temp_directory_path() / "frame-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::perror("frame_bench: temporary folder");
      return 1;
    }
    folder = generated = pattern;
    std::printf("no run folder with man.3ds at %s\n", run_folder.c_str());
    if (!generate_model(folder)) {
      std::fprintf(stderr, "frame_bench: cannot write the generated model\n");
      fs::remove_all(generated);
      return 1;
    }
  } else {
    std::printf("run folder: %s\n", folder.c_str());
  }
  fs::current_path(folder);

  glutInit(&argc, argv);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  open_viewer_windows();
  // GLUT reshapes a new window before its first display.
  for (int i = 0; i < 1000 && window_width == 0; ++i) glutMainLoopEvent();
  if (window_width != 800 || window_height != 600) {
    std::fprintf(stderr, "frame_bench: the main window is %d x %d, not 800 x 600\n", window_width,
                 window_height);
    return 1;
  }
  glutSetWindow(main_window);
  int vertices = 0, faces = 0;
  for (const Mesh& m : body_model.meshes) {
    vertices += m.vertex_count;
    faces += m.face_count;
  }
  std::printf("loaded: %d meshes, %d vertices, %d faces, %d acupoints; GL renderer %s\n",
              body_model.mesh_count, vertices, faces, acupoint_count,
              reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

  time_frames(10);  // warm-up: first uploads, caches
  print("search view, 800 x 600:", time_frames(frames), frames);
  // The meridian with the most acupoints: the body and 67 markers in the shipped table.
  current_meridian = 7;
  int markers = 0;
  for (int i = 0; i < acupoint_count; ++i) markers += acupoints[i].meridian == 7;
  char what[64];
  std::snprintf(what, sizeof what, "meridian view 7 (%d markers):", markers);
  time_frames(10);
  print(what, time_frames(frames), frames);

  glutDestroyWindow(main_window);
  if (!generated.empty()) {
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(generated);
  }
  return 0;
}
