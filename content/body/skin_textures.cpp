#include "body/skin_textures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>

#include "body/pi.h"
#include "body/regions.h"

namespace {


// Lattice value noise from an integer hash: deterministic on every platform.
double hash2(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / double(0xFFFFFF);
}

double value_noise(double x, double y, uint32_t seed) {
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  const double fx = x - ix, fy = y - iy;
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double a = hash2(ix, iy, seed), b = hash2(ix + 1, iy, seed);
  const double c = hash2(ix, iy + 1, seed), d = hash2(ix + 1, iy + 1, seed);
  return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

// Fractal noise in [-1, 1] over a few octaves.
double fbm(double x, double y, uint32_t seed, int octaves) {
  double sum = 0, amp = 1, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += (value_noise(x, y, seed + i) * 2 - 1) * amp;
    norm += amp;
    amp *= 0.5;
    x *= 2.03;
    y *= 2.03;
  }
  return sum / norm;
}

double hash3(int x, int y, int z, uint32_t seed) {
  return hash2(x * 19349663 ^ z * 83492791, y, seed);
}

double value_noise3(Vec3 p, uint32_t seed) {
  const int ix = static_cast<int>(std::floor(p.x)), iy = static_cast<int>(std::floor(p.y)),
            iz = static_cast<int>(std::floor(p.z));
  const double fx = p.x - ix, fy = p.y - iy, fz = p.z - iz;
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy), sz = fz * fz * (3 - 2 * fz);
  double layer[2];
  for (int k = 0; k < 2; ++k) {
    const double a = hash3(ix, iy, iz + k, seed), b = hash3(ix + 1, iy, iz + k, seed);
    const double c = hash3(ix, iy + 1, iz + k, seed), d = hash3(ix + 1, iy + 1, iz + k, seed);
    layer[k] = (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
  }
  return layer[0] + (layer[1] - layer[0]) * sz;
}

// Solid fractal noise in [-1, 1]: a function of the place on the body, so neighbouring meshes
// agree along their seam whatever their texture maps.
double fbm3(Vec3 p, uint32_t seed, int octaves) {
  double sum = 0, amp = 1, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += (value_noise3(p, seed + i) * 2 - 1) * amp;
    norm += amp;
    amp *= 0.5;
    p = Vec3{p.y * 1.6 + p.z * 1.2, p.z * 1.6 - p.x * 1.2, p.x * 1.6 + p.y * 1.2} * 1.01;
  }
  return sum / norm;
}

double smoothstep(double a, double b, double x) {
  const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

struct Colour {
  double r, g, b;
};
Colour mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

const Colour kSkin{222, 172, 142};

// A texel's place on its region: angle from the front (0..pi) and height along the axis, both
// also as surface distances near a reference radius.
struct Canvas {
  SkinTexture* tex;
  UvMap map;
  std::vector<Colour> pix;
  double theta(int x) const { return (x + 0.5) / tex->width * kPi; }
  double h(int y) const { return map.h0 + (y + 0.5) / tex->height * (map.h1 - map.h0); }
  // Where a landmark falls: its angle, height and distance from the axis.
  void locate(Vec3 p, double* th, double* hh, double* radius) const {
    const Vec2 uv = map_uv(map, p);
    *th = uv.u * kPi;
    *hh = map.h0 + uv.v * (map.h1 - map.h0);
    const Vec3 d = p - map.origin;
    const Vec3 r = d - map.axis * dot(d, map.axis);
    *radius = length(r);
  }
};

// The place on the body that each texel shows: the meshes that use the texture are drawn into
// texture space carrying their 3-D points; texels no triangle covers take a point on a cylinder
// of the part's typical radius round its axis. Right limbs share their texture with the left
// ones and are left out. The map folds the two sides of a part onto one texel; the side farther
// from the midline claims it, so that a limb's grain runs on into the trunk's at the side of the
// hip and the top of the shoulder, and two limb parts that meet agree on both sides (the fold
// between the midline meshes' halves is mirrored like the grain, so either half will do).
std::vector<Vec3> texel_places(const Canvas& c, const Body& body, double radius) {
  const int w = c.tex->width, hgt = c.tex->height;
  std::vector<Vec3> place(static_cast<size_t>(w) * hgt);
  const Vec3 side = cross(c.map.axis, c.map.front);
  for (int y = 0; y < hgt; ++y)
    for (int x = 0; x < w; ++x) {
      const double th = c.theta(x);
      place[static_cast<size_t>(y) * w + x] =
          c.map.origin + c.map.axis * c.h(y) + (c.map.front * std::cos(th) + side * std::sin(th)) * radius;
    }
  std::vector<double> claimed_at(place.size(), -1);  // |x| of the place that claimed a texel
  for (const BodyMesh& m : body.meshes) {
    if (m.texcoords.empty() || (m.name.size() > 2 && m.name.compare(m.name.size() - 2, 2, "_R") == 0))
      continue;
    bool mine = false;
    for (const BodyMaterial& mat : body.materials)
      if (mat.name == m.material && mat.texture_file == c.tex->texture) mine = true;
    if (!mine) continue;
    // Only the skin that shows: the part hidden under the neighbour would claim texels for
    // places below the skin.
    for (size_t i = 0; i < m.shown_triangles; ++i) {
      const BodyTriangle& t = m.triangles[i];
      double px[3], py[3];
      for (int k = 0; k < 3; ++k) {
        px[k] = m.texcoords[t.v[k]].u * w - 0.5;
        py[k] = m.texcoords[t.v[k]].v * hgt - 0.5;
      }
      const double area = (px[1] - px[0]) * (py[2] - py[0]) - (px[2] - px[0]) * (py[1] - py[0]);
      if (std::abs(area) < 1e-12) continue;
      const int x0 = std::max(0, static_cast<int>(std::floor(std::min({px[0], px[1], px[2]}))));
      const int x1 = std::min(w - 1, static_cast<int>(std::ceil(std::max({px[0], px[1], px[2]}))));
      const int y0 = std::max(0, static_cast<int>(std::floor(std::min({py[0], py[1], py[2]}))));
      const int y1 = std::min(hgt - 1, static_cast<int>(std::ceil(std::max({py[0], py[1], py[2]}))));
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
          double b[3];
          for (int k = 0; k < 3; ++k) {
            const int i = (k + 1) % 3, j = (k + 2) % 3;
            b[k] = ((px[j] - px[i]) * (y - py[i]) - (x - px[i]) * (py[j] - py[i])) / area;
          }
          if (b[0] < -0.02 || b[1] < -0.02 || b[2] < -0.02) continue;
          const Vec3 at =
              m.vertices[t.v[0]] * b[0] + m.vertices[t.v[1]] * b[1] + m.vertices[t.v[2]] * b[2];
          const size_t texel = static_cast<size_t>(y) * w + x;
          if (std::abs(at.x) < claimed_at[texel]) continue;
          claimed_at[texel] = std::abs(at.x);
          place[texel] = at;
        }
    }
  }
  return place;
}

// Skin tone with large soft blotches, finer mottling and pores: solid noise of the place on the
// body (in centimetres, mirrored like the body), so meshes that meet share their grain across
// the seam.
void paint_skin(Canvas& c, const Body& body, double radius, Colour tone) {
  const int w = c.tex->width, hgt = c.tex->height;
  c.pix.assign(static_cast<size_t>(w) * hgt, tone);
  const std::vector<Vec3> place = texel_places(c, body, radius);
  const double cm = 100.0 / kSceneScale;
  const uint32_t seed = 1000;
  for (int y = 0; y < hgt; ++y)
    for (int x = 0; x < w; ++x) {
      Vec3 p = place[static_cast<size_t>(y) * w + x] * cm;
      p.x = std::abs(p.x);
      const double blotch = fbm3(p * 0.35, seed, 3);
      const double mottle = fbm3(p * 1.6, seed + 17, 2);
      const double pores = value_noise3(p * 14, seed + 41) - 0.5;
      const double warm = fbm3(p * 0.22 + Vec3{31, 0, 0}, seed + 5, 2);
      Colour& px = c.pix[static_cast<size_t>(y) * w + x];
      // Brightness varies a little; the blotches mostly shift the tone between rosier and more
      // sallow, as skin does.
      const double k = 1 + 0.022 * blotch + 0.018 * mottle + 0.028 * pores;
      px = {px.r * k * (1 + 0.025 * warm), px.g * k * (1 - 0.01 * warm), px.b * k * (1 - 0.03 * warm)};
    }
}

// Adds a soft tint around a spot (distance in scene units).
void tint_spot(Canvas& c, double th0, double h0, double radius, double size, Colour colour,
               double strength) {
  for (int y = 0; y < c.tex->height; ++y)
    for (int x = 0; x < c.tex->width; ++x) {
      const double ds = (c.theta(x) - th0) * radius, dt = c.h(y) - h0;
      const double d = std::sqrt(ds * ds + dt * dt) / size;
      if (d >= 1) continue;
      Colour& p = c.pix[static_cast<size_t>(y) * c.tex->width + x];
      p = mix(p, colour, strength * (1 - smoothstep(0.0, 1.0, d)));
    }
}

void finish(Canvas& c) {
  c.tex->rgb.resize(c.pix.size() * 3);
  for (size_t i = 0; i < c.pix.size(); ++i) {
    c.tex->rgb[3 * i] = static_cast<uint8_t>(std::clamp(c.pix[i].r, 0.0, 255.0));
    c.tex->rgb[3 * i + 1] = static_cast<uint8_t>(std::clamp(c.pix[i].g, 0.0, 255.0));
    c.tex->rgb[3 * i + 2] = static_cast<uint8_t>(std::clamp(c.pix[i].b, 0.0, 255.0));
  }
}

void paint_head(Canvas& c, const Body& body) {
  const double m = kSceneScale;  // metres to scene units
  double th, hh, r;
  auto at = [&](const char* name) {
    c.locate(body.landmark(name), &th, &hh, &r);
    return std::array<double, 3>{th, hh, r};
  };
  const auto front = at("hairline_front"), temple = at("hairline_temple_l"),
             back = at("hairline_back"), ear = at("ear_apex_l"), tragus = at("tragus_l");
  const auto pupil = at("pupil_l"), inner = at("eye_inner_l"), outer = at("eye_outer_l");
  const auto brow = at("brow_middle_l");
  const auto corner = at("mouth_corner_l"), upper = at("lip_upper"), lower = at("lip_lower");
  const double head_r = pupil[2];
  const int w = c.tex->width, hgt = c.tex->height;

  // Hairline height by angle from the front: forehead, temple corner, above the ear (leaving
  // the ear bare), behind the ear, nape.
  const double ear_front = tragus[0] - 0.18, ear_back = ear[0] + 0.32;
  auto hairline = [&](double a) {
    const double pts[][2] = {{0, front[1]},
                             {temple[0], temple[1]},
                             {ear_front, ear[1] + 0.01 * m},
                             {ear[0], ear[1] + 0.012 * m},
                             {ear_back, ear[1] - 0.01 * m},
                             {ear_back + 0.35, back[1] + 0.012 * m},
                             {kPi, back[1]}};
    for (int i = 0; i + 1 < 7; ++i)
      if (a <= pts[i + 1][0]) {
        const double t = (a - pts[i][0]) / (pts[i + 1][0] - pts[i][0]);
        const double s = t * t * (3 - 2 * t);
        return pts[i][1] + (pts[i + 1][1] - pts[i][1]) * s;
      }
    return back[1];
  };
  const Colour hair{46, 34, 28};
  for (int y = 0; y < hgt; ++y)
    for (int x = 0; x < w; ++x) {
      const double a = c.theta(x), h = c.h(y);
      Colour& p = c.pix[static_cast<size_t>(y) * w + x];
      // Hair: a short crop, strands along the height, an uneven edge.
      const double edge = hairline(a) + 0.0025 * m * fbm(a * 18, h * 30, 91, 2);
      const double cover = smoothstep(edge - 0.002 * m, edge + 0.004 * m, h);
      if (cover > 0) {
        const double strand = fbm(a * 90, h * 14, 77, 3);
        const Colour hc{hair.r * (1 + 0.25 * strand), hair.g * (1 + 0.25 * strand),
                        hair.b * (1 + 0.2 * strand)};
        p = mix(p, hc, cover * 0.97);
      }
    }

  // Eyes: an almond opening with white, iris and pupil, lashes along the upper lid.
  {
    const double cs = (inner[0] + outer[0]) * 0.5 * head_r, ch = pupil[1];
    const double half_w = (outer[0] - inner[0]) * 0.5 * head_r * 0.95;
    const double half_h = half_w * 0.3;
    const double iris_s = pupil[0] * head_r, iris_r = 0.0056 * m, pupil_r = 0.0022 * m;
    for (int y = 0; y < hgt; ++y)
      for (int x = 0; x < w; ++x) {
        const double s = c.theta(x) * head_r, h = c.h(y);
        const double q = (s - cs) / half_w;
        if (std::abs(q) >= 1.15) continue;
        // Lids: upper arc higher toward the inner corner, lower arc flatter.
        const double lid = std::max(0.0, 1 - q * q);
        const double top = ch + half_h * std::pow(lid, 0.6) * 1.05, bottom = ch - half_h * std::pow(lid, 0.8) * 0.8;
        Colour& p = c.pix[static_cast<size_t>(y) * w + x];
        const double in = smoothstep(-0.0004 * m, 0.0003 * m, std::min(top - h, h - bottom));
        if (in > 0) {
          Colour e{218, 212, 206};
          const double dr = std::hypot(s - iris_s, h - ch);
          if (dr < iris_r) {
            const double ring = dr / iris_r;
            const double fib = fbm(std::atan2(h - ch, s - iris_s) * 8, ring * 3, 51, 2);
            e = mix(Colour{98, 66, 44}, Colour{62, 40, 28}, smoothstep(0.6, 1.0, ring));
            e = {e.r * (1 + 0.15 * fib), e.g * (1 + 0.15 * fib), e.b * (1 + 0.1 * fib)};
            if (dr < pupil_r) e = {18, 14, 14};
          }
          // Corners of the white slightly pink and shaded.
          e = mix(e, Colour{200, 150, 140}, 0.5 * smoothstep(0.7, 1.0, std::abs(q)));
          // Glint.
          if (std::hypot(s - iris_s + 0.0018 * m, h - ch - 0.0018 * m) < 0.0009 * m) e = {250, 250, 250};
          p = mix(p, e, in);
        }
        // Lashes and the lid line.
        const double lash = std::abs(h - top) / (0.0007 * m);
        if (lash < 1 && std::abs(q) < 1.05) p = mix(p, Colour{40, 28, 24}, 0.85 * (1 - lash));
        const double low = std::abs(h - bottom) / (0.0005 * m);
        if (low < 1 && std::abs(q) < 1.0) p = mix(p, Colour{120, 80, 70}, 0.5 * (1 - low));
        // Lid crease shading above the eye.
        const double crease = (h - top - 0.003 * m) / (0.0025 * m);
        if (std::abs(crease) < 1 && std::abs(q) < 1.0)
          p = mix(p, Colour{170, 120, 100}, 0.25 * (1 - std::abs(crease)) * lid);
      }
  }
  // Brows: a tapering arc of hair strokes over each eye.
  {
    const double s0 = (inner[0] - 0.02) * head_r, s1 = (outer[0] + 0.1) * head_r;
    for (int y = 0; y < hgt; ++y)
      for (int x = 0; x < w; ++x) {
        const double s = c.theta(x) * head_r, h = c.h(y);
        const double q = (s - s0) / (s1 - s0);
        if (q < 0 || q > 1) continue;
        const double centre = brow[1] + 0.002 * m * std::sin(q * kPi) - 0.0025 * m * q * q;
        const double thick = 0.0055 * m * (1 - 0.6 * q) + 0.001 * m;
        const double d = std::abs(h - centre) / (thick * 0.5);
        if (d >= 1) continue;
        const double strokes = 0.6 + 0.4 * fbm(s * 60 - h * 25, h * 60, 33, 2);
        const double a = (1 - smoothstep(0.5, 1.0, d)) * smoothstep(0.0, 0.12, q) *
                         (1 - smoothstep(0.85, 1.0, q)) * strokes;
        Colour& p = c.pix[static_cast<size_t>(y) * w + x];
        p = mix(p, Colour{52, 38, 30}, std::clamp(a, 0.0, 0.92));
      }
  }
  // Lips: the vermilion between the corners, a cupid's bow on the upper lip.
  {
    const double half = corner[0] * head_r * 1.02;
    const double line = (upper[1] + lower[1]) * 0.5;
    for (int y = 0; y < hgt; ++y)
      for (int x = 0; x < w; ++x) {
        const double s = c.theta(x) * head_r, h = c.h(y);
        const double q = s / half;
        if (q >= 1) continue;
        const double bow = 1 - 0.25 * std::exp(-q * q * 60) + 0.12 * std::exp(-(q - 0.22) * (q - 0.22) * 60);
        const double up = 0.0072 * m * std::pow(1 - q * q, 0.55) * bow;
        const double down = 0.0082 * m * std::pow(1 - q * q, 0.65);
        const double d = h > line ? (h - line) / up : (line - h) / down;
        Colour& p = c.pix[static_cast<size_t>(y) * w + x];
        if (d < 1.15) {
          const double a = 1 - smoothstep(0.85, 1.15, d);
          p = mix(p, Colour{182, 116, 106}, 0.75 * a);
        }
        if (std::abs(h - line) < 0.0007 * m) p = mix(p, Colour{110, 60, 58}, 0.7 * (1 - q * q));
      }
  }
  // Warmth on the cheeks, nose and ears.
  tint_spot(c, 0.75, pupil[1] - 0.03 * m, head_r, 0.03 * m, Colour{215, 140, 125}, 0.18);
  tint_spot(c, 0.0, at("nose_tip")[1], head_r, 0.015 * m, Colour{212, 140, 122}, 0.15);
  tint_spot(c, ear[0] - 0.1, (ear[1] + at("ear_lobe_l")[1]) * 0.5, head_r, 0.04 * m,
            Colour{214, 146, 128}, 0.15);
}

void paint_chest(Canvas& c, const Body& body) {
  const double m = kSceneScale;
  double th, hh, r;
  c.locate(body.landmark("nipple_l"), &th, &hh, &r);
  const int w = c.tex->width, hgt = c.tex->height;
  for (int y = 0; y < hgt; ++y)
    for (int x = 0; x < w; ++x) {
      const double ds = (c.theta(x) - th) * r, dt = c.h(y) - hh;
      const double d = std::hypot(ds, dt);
      Colour& p = c.pix[static_cast<size_t>(y) * w + x];
      const double areola = 0.0135 * m * (1 + 0.04 * fbm(ds * 200, dt * 200, 5, 2));
      if (d < areola * 1.2) {
        const double bumps = 0.04 * (value_noise(ds * 900, dt * 900, 9) - 0.5);
        p = mix(p, Colour{168 * (1 + bumps), 108, 92}, 0.75 * (1 - smoothstep(areola * 0.8, areola * 1.2, d)));
      }
      if (d < 0.0055 * m) p = mix(p, Colour{150, 92, 80}, 0.8 * (1 - smoothstep(0.003 * m, 0.0055 * m, d)));
    }
}

void paint_abdomen(Canvas& c, const Body& body) {
  const double m = kSceneScale;
  double th, hh, r;
  c.locate(body.landmark("navel"), &th, &hh, &r);
  for (int y = 0; y < c.tex->height; ++y)
    for (int x = 0; x < c.tex->width; ++x) {
      const double ds = c.theta(x) * r, dt = (c.h(y) - hh) * 0.8;
      const double d = std::hypot(ds, dt);
      Colour& p = c.pix[static_cast<size_t>(y) * c.tex->width + x];
      if (d < 0.012 * m) p = mix(p, Colour{150, 100, 84}, 0.7 * (1 - smoothstep(0.002 * m, 0.012 * m, d)));
    }
}

// How far inside its own region a place on the body lies (metres): the distance to the nearest
// bone of another region less the distance to its own, halved, as the mesh borders are drawn.
double depth_in_region(const Anatomy& an, BodyGroup group, Vec3 scene_place) {
  const Vec3 p = to_metres(scene_place);
  double own = 1e9, other = 1e9;
  for (const RegionBone& b : an.bones) {
    double& nearest = b.group == group ? own : other;
    nearest = std::min(nearest, b.distance(p));
  }
  return (other - own) * 0.5;
}

// Palm or sole side (u near 0 or 1) paler and pinker, the other side a shade darker. Both fade
// out toward the border with the forearm or the shin, whose skin has neither, so that the
// colour runs on across the seam.
void paint_two_sides(Canvas& c, const Body& body, const Anatomy& an, BodyGroup group,
                     double radius, bool pale_at_front) {
  const std::vector<Vec3> place = texel_places(c, body, radius);
  for (int y = 0; y < c.tex->height; ++y)
    for (int x = 0; x < c.tex->width; ++x) {
      const size_t i = static_cast<size_t>(y) * c.tex->width + x;
      const double u = (x + 0.5) / c.tex->width;
      const double pale = pale_at_front ? 1 - smoothstep(0.25, 0.5, u) : smoothstep(0.5, 0.75, u);
      const double fade = smoothstep(0.005, 0.03, depth_in_region(an, group, place[i]));
      Colour& p = c.pix[i];
      p = mix(p, Colour{236, 178, 160}, 0.45 * pale * fade);
      p = mix(p, Colour{212, 156, 128}, 0.15 * (1 - pale) * fade);
    }
}

}  // namespace

std::vector<SkinTexture> paint_skin_textures(const Body& body) {
  const Anatomy an = make_anatomy();
  std::vector<SkinTexture> out;
  std::map<std::string, bool> done;
  for (const BodyRegion& r : body_regions(an)) {
    if (done[r.file]) continue;
    done[r.file] = true;
    SkinTexture t;
    t.texture = r.texture;
    t.file = r.file;
    const bool big = r.group == kHead || r.group == kTrunk;
    t.width = big ? 512 : 256;
    t.height = r.group == kNeck || r.group == kFoot || r.group == kHand ? 256 : 512;
    Canvas c{&t, scene_uv(r.uv, false), {}};
    // A typical radius of the part sets the scale of the grain around it.
    const double radius = (r.group == kHead ? 0.085 : r.group == kTrunk ? 0.14 : r.group == kNeck ? 0.055
                           : r.group == kHand || r.group == kFoot ? 0.03 : 0.05) * kSceneScale;
    paint_skin(c, body, radius, kSkin);
    if (r.group == kHead) paint_head(c, body);
    if (r.mesh == "CHEST") paint_chest(c, body);
    if (r.mesh == "ABDOMEN") paint_abdomen(c, body);
    if (r.group == kHand) paint_two_sides(c, body, an, r.group, radius, true);
    if (r.group == kFoot) paint_two_sides(c, body, an, r.group, radius, false);
    finish(c);
    out.push_back(std::move(t));
  }
  return out;
}
