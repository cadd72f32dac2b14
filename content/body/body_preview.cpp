// Developer preview: renders the generated body with a software z-buffer into PPM images
// (front, back, side, face, hand and its side, foot), so the shape can be judged without the viewer.
// Usage: body_preview OUTPUT_PREFIX
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "body/body.h"
#include "body/pi.h"
#include "body/skin_textures.h"

namespace {


struct View {
  const char* name;
  double yaw_deg;      // rotation of the body about Y
  double cx, cy, half;  // centre and half height of the visible square
  int width, height;
};

void render(const Body& body, const std::vector<SkinTexture>& textures, const View& v,
            const std::string& path) {
  const int W = v.width, H = v.height;
  std::vector<double> depth(W * H, -1e9);
  std::vector<unsigned char> rgb(W * H * 3, 40);
  const double c = std::cos(v.yaw_deg * kPi / 180), s = std::sin(v.yaw_deg * kPi / 180);
  auto xf = [&](Vec3 p) { return Vec3{c * p.x + s * p.z, p.y, -s * p.x + c * p.z}; };
  const double scale = H / (2 * v.half);
  const Vec3 light = normalize(Vec3{-0.3, 0.4, 1});
  for (const BodyMesh& m : body.meshes) {
    const bool nail = m.name.rfind("NAILS", 0) == 0;
    const SkinTexture* tex = nullptr;
    const BodyMaterial* mat = nullptr;
    for (const BodyMaterial& bm : body.materials)
      if (bm.name == m.material) mat = &bm;
    for (const SkinTexture& t : textures)
      if (mat && t.texture == mat->texture_file) tex = &t;
    for (const BodyTriangle& t : m.triangles) {
      Vec3 p[3], n[3];
      Vec2 uv[3];
      for (int k = 0; k < 3; ++k) {
        if (tex) uv[k] = m.texcoords[t.v[k]];
        p[k] = xf(m.vertices[t.v[k]]);
        n[k] = xf(m.normals[t.v[k]]);
        p[k] = {(p[k].x - v.cx) * scale + W / 2.0, H / 2.0 - (p[k].y - v.cy) * scale, p[k].z};
      }
      const double area = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
      if (area >= 0) continue;  // back face (y is flipped on screen)
      const int x0 = std::max(0, (int)std::floor(std::min({p[0].x, p[1].x, p[2].x})));
      const int x1 = std::min(W - 1, (int)std::ceil(std::max({p[0].x, p[1].x, p[2].x})));
      const int y0 = std::max(0, (int)std::floor(std::min({p[0].y, p[1].y, p[2].y})));
      const int y1 = std::min(H - 1, (int)std::ceil(std::max({p[0].y, p[1].y, p[2].y})));
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
          const double px = x + 0.5, py = y + 0.5;
          double w[3];
          for (int k = 0; k < 3; ++k) {
            const Vec3 a = p[(k + 1) % 3], b = p[(k + 2) % 3];
            w[k] = ((b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y)) / area;
          }
          if (w[0] < 0 || w[1] < 0 || w[2] < 0) continue;
          const double z = w[0] * p[0].z + w[1] * p[1].z + w[2] * p[2].z;
          if (z <= depth[y * W + x]) continue;
          depth[y * W + x] = z;
          const Vec3 nn = normalize(n[0] * w[0] + n[1] * w[1] + n[2] * w[2]);
          // The viewer's lighting: one light along the view, ambient, a yellow highlight.
          (void)light;
          const double l = std::min(1.0, 0.24 + 0.8 * std::max(0.0, nn.z));
          const double specular = std::pow(std::max(0.0, nn.z), 50);
          double base[3] = {nail ? 236.0 : 225.0, nail ? 196.0 : 175.0, nail ? 186.0 : 150.0};
          if (tex) {
            const double u = w[0] * uv[0].u + w[1] * uv[1].u + w[2] * uv[2].u;
            const double vv = w[0] * uv[0].v + w[1] * uv[1].v + w[2] * uv[2].v;
            const int tx = std::clamp((int)(u * tex->width), 0, tex->width - 1);
            const int ty = std::clamp((int)(vv * tex->height), 0, tex->height - 1);
            for (int k = 0; k < 3; ++k) base[k] = tex->rgb[(ty * tex->width + tx) * 3 + k];
          } else {
            for (int k = 0; k < 3; ++k) base[k] = mat ? mat->colour[k] : 255;
          }
          for (int k = 0; k < 3; ++k)
            rgb[(y * W + x) * 3 + k] = (unsigned char)std::min(255.0, base[k] * l + (k < 2 ? 255 * specular : 0));
        }
    }
  }
  // Landmarks that are in sight, as red dots.
  for (const auto& [name, lm] : body.landmarks) {
    const Vec3 q = xf(lm);
    const int x = static_cast<int>((q.x - v.cx) * scale + W / 2.0);
    const int y = static_cast<int>(H / 2.0 - (q.y - v.cy) * scale);
    if (x < 1 || y < 1 || x >= W - 1 || y >= H - 1 || depth[y * W + x] > q.z + 0.02) continue;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        unsigned char* p = &rgb[((y + dy) * W + x + dx) * 3];
        p[0] = 255;
        p[1] = p[2] = 0;
      }
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fprintf(f, "P6\n%d %d\n255\n", W, H);
  std::fwrite(rgb.data(), 1, rgb.size(), f);
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string prefix = argc > 1 ? argv[1] : "preview";
  const Body body = build_body();
  const std::vector<SkinTexture> textures = paint_skin_textures(body);
  std::printf("%d triangles in %zu meshes\n", body.triangle_count(), body.meshes.size());
  for (const BodyMesh& m : body.meshes)
    std::printf("  %-14s %6zu vertices %6zu triangles\n", m.name.c_str(), m.vertices.size(), m.triangles.size());
  for (const auto& [name, cun] : body.cun) std::printf("  cun %-16s %.4f units (%.2f cm)\n", name.c_str(), cun, cun / 5.0 * 175);
  const Vec3 hand = body.landmark("palm_centre_l"), foot = body.landmark("malleolus_lateral_l");
  const Vec3 face = body.landmark("nose_tip");
  const View views[] = {
      {"front", 0, 0, 0, 2.8, 400, 600},  {"back", 180, 0, 0, 2.8, 400, 600},
      {"side", 90, 0, 0, 2.8, 400, 600},  {"face", 0, 0, face.y, 0.45, 400, 400},
      {"face34", 35, 0, face.y, 0.45, 400, 400},
      {"profile", 90, 0, face.y, 0.45, 400, 400},
      {"hand", 0, hand.x, hand.y - 0.1, 0.4, 400, 400},
      {"handback", 180, -hand.x, hand.y - 0.1, 0.4, 400, 400},
      {"hand_side", 90, hand.z, hand.y - 0.15, 0.3, 400, 400},  // the fingers' curl
      {"foot", 60, 0, foot.y, 0.5, 400, 400},
      {"armpit", 0, 0.45, 1.35, 0.35, 400, 400},
      {"armpit_side", 60, 0.0, 1.35, 0.45, 400, 400},
      {"ankle_back", 180, -0.33, -2.2, 0.4, 400, 400},
      {"seam", 20, 0.3, 0.27, 0.1, 400, 400},
  };
  for (const View& v : views) {
    View w = v;
    if (std::string(v.name) == "foot") {
      const double c = std::cos(v.yaw_deg * kPi / 180), s = std::sin(v.yaw_deg * kPi / 180);
      w.cx = c * foot.x + s * foot.z;
    }
    render(body, textures, w, prefix + "_" + v.name + ".ppm");
  }
  return 0;
}
