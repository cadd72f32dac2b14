#include "check_window.h"

#include <GL/glut.h>
#include <unistd.h>

#include <cstdio>

#include "shell/start_up.h"
#include "shell/viewer_windows.h"
#include "view/camera.h"

bool open_check_window(const char* run_folder, const char* title) {
  if (chdir(run_folder) != 0) {
    std::fprintf(stderr, "%s: cannot enter %s\n", title, run_folder);
    return false;
  }
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(kCheckWidth, kCheckHeight);
  main_window = glutCreateWindow(title);
  init_main();
  const OrthoBox box = main_window_box(kCheckWidth, kCheckHeight);
  glViewport(0, 0, kCheckWidth, kCheckHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(box.left, box.right, box.bottom, box.top, box.near_z, box.far_z);
  glMatrixMode(GL_MODELVIEW);
  return true;
}

std::vector<unsigned char> read_check_frame() {
  std::vector<unsigned char> rgb(size_t(kCheckWidth) * kCheckHeight * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kCheckWidth, kCheckHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return rgb;
}

bool write_check_ppm(const std::string& path, const std::vector<unsigned char>& rgb) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", kCheckWidth, kCheckHeight);
  bool ok = true;
  for (int row = kCheckHeight - 1; row >= 0 && ok; --row)
    ok = std::fwrite(&rgb[size_t(row) * kCheckWidth * 3], 1, size_t(kCheckWidth) * 3, f) ==
         size_t(kCheckWidth) * 3;
  return std::fclose(f) == 0 && ok;
}
