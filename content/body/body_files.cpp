#include "body/body_files.h"

#include <cstdio>

#include "model/bmp_writer.h"
#include "model/tds_writer.h"

std::vector<uint8_t> body_3ds_bytes(const Body& body) {
  TdsSceneDesc scene;
  for (const BodyMaterial& m : body.materials) {
    TdsMaterialDesc material;
    material.name = m.name;
    material.texture_file = m.texture_file;
    for (int i = 0; i < 3; ++i) material.colour[i] = m.colour[i];
    scene.materials.push_back(material);
  }
  for (const BodyMesh& whole : body.meshes) {
    const BodyMesh m = shown_part(whole);
    TdsMeshDesc mesh;
    mesh.name = m.name;
    for (const Vec3& v : m.vertices) {
      mesh.vertices.push_back(static_cast<float>(v.x));
      mesh.vertices.push_back(static_cast<float>(-v.z));
      mesh.vertices.push_back(static_cast<float>(v.y));
    }
    for (const BodyTriangle& t : m.triangles)
      for (int v : t.v) mesh.faces.push_back(static_cast<uint16_t>(v));
    for (const Vec2& uv : m.texcoords) {
      mesh.texcoords.push_back(static_cast<float>(uv.u));
      mesh.texcoords.push_back(static_cast<float>(uv.v));
    }
    mesh.groups.push_back({m.material, {}});
    scene.meshes.push_back(std::move(mesh));
  }
  return write_3ds_scene(scene);
}

bool write_body_files(const Body& body, const std::vector<SkinTexture>& textures,
                      const std::string& folder) {
  const std::string model = folder + "/man.3ds";
  if (!save_file_bytes(model, body_3ds_bytes(body))) {
    std::fprintf(stderr, "body_gen: cannot write %s\n", model.c_str());
    return false;
  }
  for (const SkinTexture& t : textures) {
    BmpLayout image;
    image.width = t.width;
    image.height = t.height;
    image.bits_per_pixel = 24;
    image.pixels = t.rgb;
    const std::string path = folder + "/" + t.file;
    if (!save_bmp(path, image)) {
      std::fprintf(stderr, "body_gen: cannot write %s\n", path.c_str());
      return false;
    }
  }
  return true;
}
