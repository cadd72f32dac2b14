#include <GL/glut.h>

#include "model/mesh_corners.h"
#include "model/model_gl.h"

void draw_model(const Model& model) {
  const int32_t meshes = static_cast<int32_t>(model.meshes.size());
  for (int32_t i = 0; i < model.mesh_count && i < meshes; ++i) {
    const Mesh& mesh = model.meshes[i];
    if (mesh.textured) {
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, mesh_texture(model, mesh));
    } else {
      glDisable(GL_TEXTURE_2D);
    }
    glColor3ub(255, 255, 255);
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
}
