// seam_check RUN_FOLDER [IMAGE_DIR]
// Looks closely at every seam between two of the body's meshes, with the viewer's own loading,
// lighting and drawing, and measures whether the seam shows. Each close-up is drawn twice: as
// the viewer draws it, and with every mesh in a flat colour of its own, which tells for each
// pixel which mesh is seen there and so where the seam runs on screen. Along the seam the
// brightness right at the border is compared with the brightness a few pixels off it on either
// side (a light or dark line), and the two sides with each other (a step). Prints one line per
// seam; succeeds only when no seam shows. With IMAGE_DIR each close-up is written there as
// NAME.ppm and its mesh map as NAME-map.ppm.
#include <GL/glut.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "check_window.h"
#include "atlas_gen/view_fit.h"
#include "model/model_gl.h"
#include "shell/body.h"
#include "shell/pose_gl.h"
#include "shell/scene.h"
#include "shell/search_view.h"
#include "shell/viewer_windows.h"
#include "view/camera.h"
#include "view/views.h"

namespace {

constexpr int kWidth = kCheckWidth, kHeight = kCheckHeight;
// Brightness levels (of 255) that a line or a step along a seam may differ by before it shows;
// the skin's own texture varies by more than this from pixel to pixel, but not on average along
// a whole seam.
constexpr double kMostLine = 4.0, kMostStep = 6.0;
// Pixels off the border where each side is sampled, and how many border pixels make a seam.
constexpr int kNear = 0, kOffLo = 5, kOffHi = 8, kFewestSamples = 40;

struct Seam {
  const char* name;
  const char* mesh_a;
  const char* mesh_b;
  Vec3 toward_viewer;  // model space
  double scale;
};

// The seams as a user meets them: across the chest and the abdomen, round the hips and the
// buttocks, at the shoulder, elbow, wrist, knee and ankle, and at the neck. Each is looked at
// where the skin on both sides faces alike; where a seam runs along a fold (the front of the
// armpit, the front of the ankle) the two sides differ in shading by their shape alone.
const Seam kSeams[] = {
    {"lower-chest-front", "CHEST", "ABDOMEN", {0, 0, 1}, 8},
    {"lower-chest-back", "CHEST", "ABDOMEN", {0, 0, -1}, 8},
    {"waist-front", "ABDOMEN", "PELVIS", {0, 0, 1}, 8},
    {"waist-back", "ABDOMEN", "PELVIS", {0, 0, -1}, 8},
    {"groin", "PELVIS", "THIGH_R", {0, 0, 1}, 8},
    {"buttock", "PELVIS", "THIGH_R", {0, 0, -1}, 8},
    {"hip-side", "PELVIS", "THIGH_R", {-1, 0, 0}, 8},
    {"shoulder-top", "CHEST", "UPPERARM_R", {0, 1, 0}, 8},
    {"elbow-front", "UPPERARM_R", "FOREARM_R", {0, 0, 1}, 10},
    {"elbow-side", "UPPERARM_R", "FOREARM_R", {-1, 0, 0}, 10},
    {"elbow-back", "UPPERARM_R", "FOREARM_R", {0, 0, -1}, 10},
    {"wrist-front", "FOREARM_R", "HAND_R", {0, 0, 1}, 12},
    {"wrist-side", "FOREARM_R", "HAND_R", {-1, 0, 0}, 12},
    {"wrist-back", "FOREARM_R", "HAND_R", {0, 0, -1}, 12},
    {"knee-front", "THIGH_R", "SHIN_R", {0, 0, 1}, 8},
    {"knee-back", "THIGH_R", "SHIN_R", {0, 0, -1}, 8},
    {"ankle-back", "SHIN_R", "FOOT_R", {0, 0, -1}, 10},
    {"ankle-side", "SHIN_R", "FOOT_R", {-1, 0, 0}, 10},
    {"neck-front", "NECK", "CHEST", {0, 0, 1}, 8},
    {"neck-back", "NECK", "CHEST", {0, 0, -1}, 8},
    {"jaw", "HEAD", "NECK", {0, -0.3, 1}, 8},
    {"nape", "HEAD", "NECK", {0, 0, -1}, 8},
};

std::string image_dir;

int mesh_index(const char* name) {
  for (int i = 0; i < body_model.mesh_count; ++i)
    if (std::strcmp(body_model.meshes[i].name, name) == 0) return i;
  return -1;
}

Vec3 at(const Mesh& m, int v) {
  return {m.vertices[v].x, m.vertices[v].y, m.vertices[v].z};
}

// The middle of the band where two meshes meet: their vertices that lie close to the other's.
bool seam_centre(const Mesh& a, const Mesh& b, Vec3* centre) {
  constexpr double kClose = 0.012;
  Vec3 sum{0, 0, 0};
  int n = 0;
  for (int i = 0; i < a.vertex_count; ++i)
    for (int j = 0; j < b.vertex_count; ++j)
      if (length(at(a, i) - at(b, j)) < kClose) {
        sum += at(a, i);
        ++n;
        break;
      }
  if (n == 0) return false;
  *centre = sum * (1.0 / n);
  return true;
}

// The body as the viewer draws it in the search view, without a marker.
std::vector<unsigned char> draw_as_viewer() {
  marker_position[0] = marker_position[1] = marker_position[2] = 1e6f;
  begin_scene_frame();
  draw_search_view();
  glFinish();
  return read_check_frame();
}

// Every mesh in a flat colour that names it: red = mesh index + 1.
std::vector<unsigned char> draw_mesh_map() {
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  gluLookAt(0, 0, kEyeZ, 0, 0, 0, 0, 1, 0);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glPushMatrix();
  apply_pose(search_view_pose());
  for (int i = 0; i < body_model.mesh_count; ++i) {
    const Mesh& m = body_model.meshes[i];
    glColor3ub(GLubyte(i + 1), 0, 0);
    glBegin(GL_TRIANGLES);
    for (int f = 0; f < m.face_count; ++f)
      if (face_in_range(m.faces[f], m.vertex_count))
        for (int32_t v : m.faces[f].vertex_index)
          glVertex3f(m.vertices[v].x, m.vertices[v].y, m.vertices[v].z);
    glEnd();
  }
  glPopMatrix();
  glEnable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glFinish();
  std::vector<unsigned char> map = read_check_frame();
  glClearColor(kMainBackground[0], kMainBackground[1], kMainBackground[2], kMainBackground[3]);
  return map;
}

struct Measure {
  int samples = 0;
  double line = 0;  // brightness at the border minus on both sides, mean
  double step = 0;  // side b minus side a, mean, the largest of the three colour channels
};

double level(const std::vector<unsigned char>& rgb, int x, int y, int channel) {
  const unsigned char* p = &rgb[(size_t(y) * kWidth + x) * 3];
  return channel < 3 ? p[channel] : 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
}

// Walks across the border at every pixel where mesh a meets mesh b, in rows and in columns.
Measure measure(const std::vector<unsigned char>& rgb, const std::vector<unsigned char>& map,
                int a, int b) {
  auto id = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return -1;
    return int(map[(size_t(y) * kWidth + x) * 3]) - 1;
  };
  Measure m;
  double line = 0, step[3] = {0, 0, 0};
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      for (int axis = 0; axis < 2; ++axis) {
        const int dx = axis == 0 ? 1 : 0, dy = axis == 0 ? 0 : 1;
        const int here = id(x, y), next = id(x + dx, y + dy);
        if (!((here == a && next == b) || (here == b && next == a))) continue;
        // Only the two meshes all the way out on either side: no third mesh, no background.
        // Where the two overlap the border is ragged, and every crossing of it is a sample.
        bool clean = true;
        for (int k = 0; k <= kOffHi && clean; ++k) {
          const int back = id(x - k * dx, y - k * dy), ahead = id(x + (k + 1) * dx, y + (k + 1) * dy);
          clean = (back == a || back == b) && (ahead == a || ahead == b);
        }
        if (!clean) continue;
        // Channels 0-2 for the step, the brightness (3) for the line.
        for (int c = 0; c < 4; ++c) {
          double at_border = 0, side_here = 0, side_next = 0;
          for (int k = 0; k <= kNear; ++k)
            at_border += level(rgb, x - k * dx, y - k * dy, c) +
                         level(rgb, x + (k + 1) * dx, y + (k + 1) * dy, c);
          at_border /= 2 * (kNear + 1);
          for (int k = kOffLo; k <= kOffHi; ++k) {
            side_here += level(rgb, x - k * dx, y - k * dy, c);
            side_next += level(rgb, x + (k + 1) * dx, y + (k + 1) * dy, c);
          }
          side_here /= kOffHi - kOffLo + 1;
          side_next /= kOffHi - kOffLo + 1;
          if (c == 3)
            line += at_border - (side_here + side_next) / 2;
          else
            step[c] += here == a ? side_next - side_here : side_here - side_next;
        }
        ++m.samples;
      }
  if (m.samples > 0) {
    m.line = line / m.samples;
    for (double channel : step)
      if (std::abs(channel) > std::abs(m.step)) m.step = channel;
    m.step /= m.samples;
  }
  return m;
}

void run_checks() {
  int shown = 0;
  for (const Seam& s : kSeams) {
    const int a = mesh_index(s.mesh_a), b = mesh_index(s.mesh_b);
    Vec3 centre;
    if (a < 0 || b < 0 || !seam_centre(body_model.meshes[a], body_model.meshes[b], &centre)) {
      std::printf("%-18s no meshes %s and %s meeting\n", s.name, s.mesh_a, s.mesh_b);
      ++shown;
      continue;
    }
    const SearchView v = view_facing(centre, s.toward_viewer, s.scale);
    search_tx = v.tx;
    search_ty = v.ty;
    search_rot_x = v.rot_x;
    search_rot_y = v.rot_y;
    search_scale = v.scale;
    const std::vector<unsigned char> rgb = draw_as_viewer();
    const std::vector<unsigned char> map = draw_mesh_map();
    if (!image_dir.empty()) {
      write_check_ppm(image_dir + "/" + s.name + ".ppm", rgb);
      std::vector<unsigned char> shown_map(map.size());
      for (size_t i = 0; i < map.size(); i += 3) {
        const int id = map[i];
        shown_map[i] = GLubyte(id * 67);
        shown_map[i + 1] = GLubyte(id * 131);
        shown_map[i + 2] = GLubyte(id * 29);
      }
      write_check_ppm(image_dir + "/" + s.name + "-map.ppm", shown_map);
    }
    const Measure m = measure(rgb, map, a, b);
    const bool ok = m.samples >= kFewestSamples && std::abs(m.line) <= kMostLine &&
                    std::abs(m.step) <= kMostStep;
    if (!ok) ++shown;
    std::printf("%-18s %-10s %-10s border pixels %5d  line %+6.2f  step %+6.2f  %s\n", s.name,
                s.mesh_a, s.mesh_b, m.samples, m.line, m.step, ok ? "ok" : "SHOWS");
  }
  std::printf("%d of %zu seams show\n", shown, sizeof kSeams / sizeof kSeams[0]);
  std::exit(shown == 0 ? 0 : 1);
}

void display() { run_checks(); }

}  // namespace

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: seam_check RUN_FOLDER [IMAGE_DIR]\n");
    return 2;
  }
  if (argc == 3) image_dir = argv[2];
  if (!open_check_window(argv[1], "seam_check")) return 1;
  glutDisplayFunc(display);
  glutMainLoop();
  return 1;
}
