// Tolvane: a console program with one GLUT window; the loop never returns, GLUT ends the
// process when the window is closed.
#include <GL/glut.h>

#include "shell/start_up.h"

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  open_viewer_windows();
  glutMainLoop();
  return 0;
}
