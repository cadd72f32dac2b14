// atlas_check RUN_FOLDER EXPECTED [IMAGE_DIR]
// Shows every acupoint of the shipped table the way a pinyin search shows it, with the viewer's
// own loading and drawing, in an off-screen 800 x 600 frame, and counts the red marker pixels
// that survive the depth test near the window centre. Prints "N of M visible", then every
// acupoint whose marker is hidden; succeeds only when all EXPECTED acupoints are visible. With
// IMAGE_DIR, every frame is also written there as NNN.ppm for review.
#include <GL/glut.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "check_window.h"
#include "atlas/acupoint_table.h"
#include "atlas/pinyin_search.h"
#include "shell/body.h"
#include "shell/scene.h"
#include "shell/search_line.h"
#include "shell/search_view.h"
#include "view/views.h"

namespace {

constexpr int kWidth = kCheckWidth, kHeight = kCheckHeight;
// "Near the centre": the marker is posed onto the centre, and up to 10.8 pixels in radius.
constexpr int kNearCentre = 40;
// A few pixels of the sphere must show; a marker sunk wholly under the skin shows none.
constexpr int kMinRedPixels = 3;

int expected_count = 0;
std::string image_dir;

// The whole frame as NNN.ppm in the image folder.
void write_frame(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "/%03d.ppm", index);
  write_check_ppm(image_dir + name, read_check_frame());
}

// Steps 1 to 4 of the main display: the body in the search view and the search marker.
void draw_search_frame() {
  begin_scene_frame();
  draw_search_view();
  glFinish();
}

// Pure marker red, which the lit and textured skin never is, within kNearCentre of the centre.
int red_pixels_near_centre() {
  const int side = 2 * kNearCentre + 1;
  std::vector<unsigned char> rgb(size_t(side) * side * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(kWidth / 2 - kNearCentre, kHeight / 2 - kNearCentre, side, side, GL_RGB,
               GL_UNSIGNED_BYTE, rgb.data());
  int red = 0;
  for (int row = 0; row < side; ++row)
    for (int col = 0; col < side; ++col) {
      const int dx = col - kNearCentre, dy = row - kNearCentre;
      if (dx * dx + dy * dy > kNearCentre * kNearCentre) continue;
      const unsigned char* p = &rgb[(size_t(row) * side + col) * 3];
      if (p[0] >= 230 && p[1] <= 25 && p[2] <= 25) ++red;
    }
  return red;
}

// Poses the search view for record i the way the viewer does: through the search when its
// pinyin leads back to it, else (the later of two acupoints sharing a pinyin) with its values.
void show_record(int i) {
  const AcupointRecord& r = acupoints[i];
  std::string query = r.pinyin;
  const int code = find_pinyin_code(query, acupoints, acupoint_count);
  if (code != 0 && find_code_index(code, acupoints, acupoint_count) == i) {
    pending_query = r.pinyin;
  } else {
    show_in_search_view(i);
  }
}

void run_checks() {
  if (body_model.mesh_count == 0) {
    std::printf("atlas_check: no body model was loaded\n");
    std::exit(1);
  }
  std::vector<std::string> hidden;
  int visible = 0;
  for (int i = 0; i < acupoint_count; ++i) {
    show_record(i);
    draw_search_frame();  // runs the search and draws body and marker
    const int with_marker = red_pixels_near_centre();
    if (!image_dir.empty()) write_frame(i);
    const float kept[3] = {marker_position[0], marker_position[1], marker_position[2]};
    marker_position[0] = marker_position[1] = marker_position[2] = 1e6f;  // out of view
    draw_search_frame();
    const int without = red_pixels_near_centre();
    for (int k = 0; k < 3; ++k) marker_position[k] = kept[k];

    const AcupointRecord& r = acupoints[i];
    const bool ok = selected_acupoint == i && with_marker - without >= kMinRedPixels;
    if (ok) {
      ++visible;
    } else {
      char line[200];
      std::snprintf(line, sizeof line, "  %3d  meridian %2d number %2d %-14s red pixels %d",
                    i, int(r.meridian), int(r.number), r.pinyin, with_marker - without);
      hidden.push_back(line);
    }
  }
  std::printf("%d of %d visible\n", visible, acupoint_count);
  for (const std::string& line : hidden) std::printf("%s\n", line.c_str());
  const bool all = visible == acupoint_count && acupoint_count == expected_count;
  if (acupoint_count != expected_count)
    std::printf("atlas_check: expected %d acupoints\n", expected_count);
  std::exit(all ? 0 : 1);
}

void display() { run_checks(); }

}  // namespace

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: atlas_check RUN_FOLDER EXPECTED [IMAGE_DIR]\n");
    return 2;
  }
  expected_count = std::atoi(argv[2]);
  if (argc == 4) image_dir = argv[3];
  if (!open_check_window(argv[1], "atlas_check")) return 1;
  glutDisplayFunc(display);
  glutMainLoop();
  return 1;
}
