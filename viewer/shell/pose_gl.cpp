#include <GL/glut.h>

#include "shell/pose_gl.h"

void apply_pose(float tx, float ty, float rot_x, float rot_y, float scale) {
  glTranslatef(tx, ty, 0);
  glRotatef(rot_x, 1, 0, 0);
  glRotatef(rot_y, 0, 1, 0);
  glScalef(scale, scale, scale);
}
