#include <GL/glut.h>

#include "model/mesh_corners.h"
#include "model/model_gl.h"

namespace {

int32_t drawn_meshes(const Model& model) {
  const int32_t meshes = static_cast<int32_t>(model.meshes.size());
  return model.mesh_count < meshes ? model.mesh_count : meshes;
}

// The state a mesh is drawn in; outside its list, so that a remade texture is bound by name.
void begin_mesh(const Model& model, const Mesh& mesh) {
  if (mesh.textured) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, mesh_texture(model, mesh));
  } else {
    glDisable(GL_TEXTURE_2D);
  }
  glColor3ub(255, 255, 255);
}

void send_corners(const Model& model, const Mesh& mesh) {
  const Material* colour = colour_material(model, mesh);
  glBegin(GL_TRIANGLES);
  for_each_drawn_corner(mesh, [&](int32_t n) {
    if (mesh.normals) glNormal3f(mesh.normals[n].x, mesh.normals[n].y, mesh.normals[n].z);
    if (mesh.textured && has_texcoord(mesh, n))
      glTexCoord2f(mesh.texcoords[n].u, mesh.texcoords[n].v);
    if (colour) glColor3ub(colour->colour[0], colour->colour[1], colour->colour[2]);
    glVertex3f(mesh.vertices[n].x, mesh.vertices[n].y, mesh.vertices[n].z);
  });
  glEnd();
}

}  // namespace

GlLists compile_model(const Model& model) {
  const int32_t meshes = drawn_meshes(model);
  GlLists lists(meshes);
  if (lists.empty()) return lists;
  for (int32_t i = 0; i < meshes; ++i) {
    glNewList(lists.name(i), GL_COMPILE);
    send_corners(model, model.meshes[i]);
    glEndList();
  }
  return lists;
}

void draw_model(const Model& model, const GlLists& lists) {
  const int32_t meshes = drawn_meshes(model);
  // Lists made from another model, or none at all: the corners go out one by one.
  const bool compiled = lists.count() == meshes && meshes > 0;
  for (int32_t i = 0; i < meshes; ++i) {
    const Mesh& mesh = model.meshes[i];
    begin_mesh(model, mesh);
    if (compiled)
      glCallList(lists.name(i));
    else
      send_corners(model, mesh);
  }
}

void draw_model(const Model& model) { draw_model(model, GlLists()); }
