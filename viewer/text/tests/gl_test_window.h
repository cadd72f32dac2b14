// The one 800 x 600 GLUT window a drawing test draws into (GLUT cannot be initialised twice).
#pragma once

#include <GL/freeglut.h>

#include <cstdlib>

namespace gl_test {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

inline bool have_display() {
#ifdef _WIN32
  return true;  // wine brings its own
#else
  const char* d = std::getenv("DISPLAY");
  return d != nullptr && *d != '\0';
#endif
}

inline void display_nothing() {}

// Opens the window on first use and makes it current; the viewer's display mode and size.
inline void open_window() {
  static bool opened = false;
  if (opened) return;
  int argc = 1;
  char name[] = "text_test";
  char* argv[] = {name, nullptr};
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(kWidth, kHeight);
  glutInitWindowPosition(10, 10);
  glutCreateWindow("text test");
  glutDisplayFunc(display_nothing);  // freeglut insists on one
  for (int i = 0; i < 20; ++i) glutMainLoopEvent();
  opened = true;
}

}  // namespace gl_test
