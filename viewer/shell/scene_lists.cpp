#include "shell/scene_lists.h"

#include <GL/glut.h>

#include "model/gl_lists.h"
#include "model/model_gl.h"
#include "shell/body.h"

namespace {

GlLists body_lists;

struct SphereList {
  GlLists list;
  double radius = 0;
  int slices = 0, stacks = 0;
};
SphereList sphere;

}  // namespace

void make_body_lists() { body_lists = compile_model(body_model); }

void release_scene_lists() {
  body_lists.reset();
  sphere.list.reset();
}

void draw_body() { draw_model(body_model, body_lists); }

void draw_marker_sphere(double radius, int slices, int stacks) {
  if (sphere.list.empty() || sphere.radius != radius || sphere.slices != slices ||
      sphere.stacks != stacks) {
    sphere.list = GlLists(1);
    if (sphere.list.empty()) {
      glutSolidSphere(radius, slices, stacks);
      return;
    }
    sphere.radius = radius;
    sphere.slices = slices;
    sphere.stacks = stacks;
    glNewList(sphere.list.name(0), GL_COMPILE);
    glutSolidSphere(radius, slices, stacks);
    glEndList();
  }
  glCallList(sphere.list.name(0));
}
