// build_body: polygonises each region of the anatomy, mirrors the limbs, adds the nails, maps
// the textures, finds the landmarks on the final surface and derives the cun.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

#include "body/body.h"
#include "body/border_split.h"
#include "body/decimate.h"
#include "body/pi.h"
#include "body/regions.h"

namespace {

// Each region's mesh runs this far past its border, shrinking into the neighbour, so that the
// two closed meshes overlap without a gap or a visible double surface.
constexpr double kOverlap = 0.01;
constexpr double kInsetSlope = 1.0;
// The visible part runs this far past the border (metres), so that the two meshes' visible edges
// overlap rather than leave a hairline crack between them.
constexpr double kVisiblePast = 0.0015;
// Half the width of the band along a border where the mesh keeps the grid's resolution (metres).
constexpr double kFineBand = 0.004;

struct RegionField {
  const Shape* shape;
  const std::vector<RegionBone>* bones;
  int group;
  double y_lo, y_hi;
  // How far past the region's border p lies (negative inside the region): half the difference
  // between the distance to the region's own bone and to the nearest other bone.
  double border(Vec3 p) const {
    double own = std::numeric_limits<double>::infinity(), other = own;
    for (const RegionBone& b : *bones) {
      const double d = b.distance(p);
      if (b.group == group) own = std::min(own, d); else other = std::min(other, d);
    }
    const double s = (own - other) * 0.5;
    return std::max(s, std::max(y_lo - p.y, p.y - y_hi));
  }
  double operator()(Vec3 p) const {
    const double s = border(p);
    if (s > kOverlap + 0.01) return s - kOverlap;  // far outside: no need for the shape
    const double d = shape->distance(p);
    // Up to the end of the visible part both meshes lie on the true skin, so wherever the two
    // overlap (and the depth test picks either) they show the same shading; a mesh that began
    // to dive inside that band was tilted there and drew a light or dark line along the seam.
    // Beyond it the hidden part (left out of the model file) dives.
    const double inset = std::max(0.0, s - kVisiblePast);
    return std::max(d + kInsetSlope * inset, s - kOverlap);
  }
};

// The region's mesh; `shown` tells how many of its triangles (the first ones) show.
TriMesh build_region(const Anatomy& an, const BodyRegion& r, size_t* shown) {
  Vec3 lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
  for (const RegionBone& b : an.bones)
    if (b.group == r.group)
      for (Vec3 p : {b.a, b.b}) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
      }
  double m = 0;
  for (const RegionBone& b : an.bones)
    if (b.group == r.group) m = std::max(m, b.radius + 0.08);
  lo -= Vec3{m, m, m};
  hi += Vec3{m, m, m};
  lo.y = std::max({lo.y, r.y_lo - kOverlap - 2 * r.cell, -0.01});
  hi.y = std::min(hi.y, r.y_hi + kOverlap + 2 * r.cell);
  if (!r.limb) {
    // A grid symmetric about x = 0 keeps the midline meshes symmetric.
    const double half = std::ceil(std::max(-lo.x, hi.x) / r.cell) * r.cell;
    lo.x = -half;
    hi.x = half;
  }
  const Shape local = an.shape.culled(lo, hi);
  // Bones far from the box never decide a border inside it.
  std::vector<RegionBone> bones;
  for (const RegionBone& b : an.bones) {
    const double reach = b.radius + 0.1;
    const Vec3 bl{std::min(b.a.x, b.b.x) - reach, std::min(b.a.y, b.b.y) - reach, std::min(b.a.z, b.b.z) - reach};
    const Vec3 bh{std::max(b.a.x, b.b.x) + reach, std::max(b.a.y, b.b.y) + reach, std::max(b.a.z, b.b.z) + reach};
    if (b.group == r.group || (bl.x < hi.x && bh.x > lo.x && bl.y < hi.y && bh.y > lo.y && bl.z < hi.z && bh.z > lo.z))
      bones.push_back(b);
  }
  const RegionField field{&local, &bones, r.group, r.y_lo, r.y_hi};
  // Each block of the grid sees only the primitives near it.
  const FieldForBox field_for_box = [&](Vec3 a, Vec3 b) -> Field {
    auto block = std::make_shared<Shape>(local.culled(a, b));
    return [block, &field](Vec3 p) {
      RegionField f = field;
      f.shape = block.get();
      return f(p);
    };
  };
  TriMesh mesh = surface_nets(field_for_box, lo, hi, r.cell);
  project_to_surface(mesh, field, 1);
  // Round the hip the border crosses the skin obliquely about the greater trochanter, and the
  // decimator left long faces on one side against slivers on the other: vertex normals a few
  // degrees apart, which the viewer's sharp highlight turned into a step along the seam. There
  // the visible side keeps the grid's small faces along the border (the hidden part beyond may
  // stay coarse); elsewhere the faces along a border are small enough (seam_check), and the
  // triangles are better spent on shape.
  std::vector<bool> locked(mesh.vertices.size());
  if (r.mesh == "PELVIS" || r.group == kThigh)
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
      const double past = field.border(mesh.vertices[i]) - kVisiblePast;
      locked[i] = past > -kFineBand && past < kFineBand / 4;
    }
  decimate(mesh, r.triangles, locked);
  project_to_surface(mesh, field, 2);
  *shown = split_at_border(mesh, [&](Vec3 p) { return field.border(p) - kVisiblePast; }, field);
  return mesh;
}

// A closed ellipsoid of latitude rings between two poles.
TriMesh nail_mesh(const Nail& n) {
  TriMesh m;
  const int rings = 5, segments = 10;
  auto point = [&](double th, double ph) {
    const Vec3 l{std::sin(th) * std::cos(ph) * n.radii.x, std::cos(th) * n.radii.y,
                 std::sin(th) * std::sin(ph) * n.radii.z};
    return n.centre + n.frame.u * l.x + n.frame.v * l.y + n.frame.w * l.z;
  };
  m.vertices.push_back(point(0, 0));
  for (int i = 1; i < rings; ++i)
    for (int j = 0; j < segments; ++j) m.vertices.push_back(point(kPi * i / rings, 2 * kPi * j / segments));
  m.vertices.push_back(point(kPi, 0));
  const int last = static_cast<int>(m.vertices.size()) - 1;
  auto ring = [&](int i, int j) { return 1 + (i - 1) * segments + (j % segments); };
  for (int j = 0; j < segments; ++j) m.triangles.push_back({0, ring(1, j + 1), ring(1, j)});
  for (int i = 1; i + 1 < rings; ++i)
    for (int j = 0; j < segments; ++j) {
      m.triangles.push_back({ring(i, j), ring(i, j + 1), ring(i + 1, j + 1)});
      m.triangles.push_back({ring(i, j), ring(i + 1, j + 1), ring(i + 1, j)});
    }
  for (int j = 0; j < segments; ++j) m.triangles.push_back({last, ring(rings - 1, j), ring(rings - 1, j + 1)});
  // The rings wind outward in a right-handed frame; a left-handed one turns them round.
  if (dot(cross(n.frame.u, n.frame.v), n.frame.w) < 0)
    for (auto& t : m.triangles) std::swap(t[1], t[2]);
  return m;
}

void append(TriMesh& to, const TriMesh& from) {
  const int base = static_cast<int>(to.vertices.size());
  to.vertices.insert(to.vertices.end(), from.vertices.begin(), from.vertices.end());
  for (auto t : from.triangles) to.triangles.push_back({t[0] + base, t[1] + base, t[2] + base});
}

BodyMesh to_body_mesh(const TriMesh& m, const std::string& name, bool mirror,
                      size_t shown = size_t(-1)) {
  BodyMesh out;
  out.shown_triangles = std::min(shown, m.triangles.size());
  out.name = name;
  out.material = name;
  for (Vec3 v : m.vertices) {
    Vec3 s = to_scene(v);
    out.vertices.push_back(mirror ? mirror_x(s) : s);
  }
  for (auto t : m.triangles) {
    BodyTriangle bt;
    bt.v[0] = t[0];
    bt.v[1] = mirror ? t[2] : t[1];
    bt.v[2] = mirror ? t[1] : t[2];
    out.triangles.push_back(bt);
  }
  out.normals.assign(out.vertices.size(), Vec3{});
  for (const BodyTriangle& t : out.triangles) {
    const Vec3 n = cross(out.vertices[t.v[1]] - out.vertices[t.v[0]],
                         out.vertices[t.v[2]] - out.vertices[t.v[0]]);
    for (int v : t.v) out.normals[v] += n;
  }
  for (Vec3& n : out.normals) n = normalize(n);
  return out;
}

void add_material(Body& body, const std::string& name, const std::string& texture,
                  uint8_t r, uint8_t g, uint8_t b) {
  BodyMaterial m;
  m.name = name;
  m.texture_file = texture;
  m.colour[0] = r;
  m.colour[1] = g;
  m.colour[2] = b;
  body.materials.push_back(m);
}

bool is_arm(const std::string& mesh) {
  return mesh.rfind("UPPERARM", 0) == 0 || mesh.rfind("FOREARM", 0) == 0 ||
         mesh.rfind("HAND", 0) == 0 || mesh.rfind("NAILS_HAND", 0) == 0;
}

// Casts against a subset of the meshes (all, or all but the arms).
bool cast_subset(const Body& body, Vec3 o, Vec3 d, bool skip_arms, Vec3* hit) {
  if (!skip_arms) return body.cast_to_surface(o, d, hit, nullptr);
  Body trunk;
  for (const BodyMesh& m : body.meshes)
    if (!is_arm(m.name)) trunk.meshes.push_back(m);
  return trunk.cast_to_surface(o, d, hit, nullptr);
}

void find_landmarks(Body& body, const Anatomy& an) {
  for (const LandmarkRay& r : an.landmark_rays) {
    const bool left = r.name.size() > 2 && r.name.compare(r.name.size() - 2, 2, "_l") == 0;
    for (int side = 0; side < (left ? 2 : 1); ++side) {
      Vec3 o = to_scene(r.origin), d = r.dir;
      std::string name = r.name;
      if (side == 1) {
        o = mirror_x(o);
        d = mirror_x(d);
        name[name.size() - 1] = 'r';
      }
      Vec3 hit;
      if (length(d) == 0) {
        hit = body.nearest_surface_point(o);
      } else if (!cast_subset(body, o, d, r.skip_arms, &hit)) {
        std::fprintf(stderr, "body: landmark %s: ray misses the body\n", name.c_str());
        std::abort();
      }
      body.landmarks[name] = hit;
    }
  }
}

// Length of the surface curve from a to b in the plane through the centre c that also holds
// the direction `via`, the way round that passes `via`.
double surface_arc(const Body& body, Vec3 c, Vec3 a, Vec3 b, Vec3 via) {
  const Vec3 e1 = normalize(a - c);
  const Vec3 e2 = normalize(via - e1 * dot(via, e1));
  double end = std::atan2(dot(b - c, e2), dot(b - c, e1));
  if (end < 0) end += 2 * kPi;
  double total = 0;
  Vec3 prev = a;
  for (int i = 1; i <= 96; ++i) {
    const double t = end * i / 96.0;
    const Vec3 dir = e1 * std::cos(t) + e2 * std::sin(t);
    Vec3 hit;
    if (!body.cast_to_surface(c + dir * 3.0, -dir, &hit, nullptr)) continue;
    total += length(hit - prev);
    prev = hit;
  }
  return total + length(b - prev);
}

void derive_cun(Body& body) {
  auto L = [&](const char* n) { return body.landmark(n); };
  auto span = [&](const char* a, const char* b, double count) {
    return length(L(a) - L(b)) / count;
  };
  auto height = [&](const char* a, const char* b, double count) {
    return std::abs(L(a).y - L(b).y) / count;
  };
  // Over the scalp in the median plane, and round the back of the head between the mastoids.
  const Vec3 head_centre = (L("vertex") + L("chin")) * 0.5 + Vec3{0, 0.05, -0.05};
  body.cun["head_long"] =
      surface_arc(body, head_centre, L("hairline_front"), L("hairline_back"), {0, 1, 0}) / 12;
  const Vec3 mastoids = (L("mastoid_l") + L("mastoid_r")) * 0.5;
  body.cun["head_transverse"] =
      surface_arc(body, mastoids, L("mastoid_l"), L("mastoid_r"), {0, 0, -1}) / 9;
  body.cun["head_front"] = span("glabella", "hairline_front", 3);
  body.cun["chest_vertical"] = span("sternal_notch", "xiphoid", 9);
  body.cun["upper_abdomen"] = span("xiphoid", "navel", 8);
  body.cun["lower_abdomen"] = span("navel", "pubic_symphysis", 5);
  body.cun["chest_transverse"] = span("nipple_l", "nipple_r", 8);
  body.cun["back_transverse"] = span("scapula_medial_l", "scapula_medial_r", 6);
  body.cun["upper_arm"] = span("axillary_fold_front_l", "cubital_crease_l", 9);
  body.cun["forearm"] = span("cubital_crease_l", "wrist_crease_l", 12);
  body.cun["thigh_medial"] = height("pubic_symphysis", "patella_base_l", 18);
  body.cun["leg_medial"] = span("patella_apex_l", "malleolus_medial_l", 15);
  body.cun["thigh_lateral"] = height("greater_trochanter_l", "popliteal_crease_l", 19);
  body.cun["thigh_posterior"] = span("gluteal_fold_l", "popliteal_crease_l", 14);
  body.cun["leg_lateral"] = span("popliteal_crease_l", "malleolus_lateral_l", 16);
  body.cun["foot_height"] = height("malleolus_medial_l", "sole_l", 3);
}

}  // namespace

Body build_body() {
  const Anatomy an = make_anatomy();
  Body body;
  const uint8_t skin[3] = {226, 178, 150};
  for (const BodyRegion& r : body_regions(an)) {
    size_t shown = 0;
    const TriMesh mesh = build_region(an, r, &shown);
    if (!r.limb) {
      body.meshes.push_back(to_body_mesh(mesh, r.mesh, false, shown));
      add_material(body, r.mesh, r.texture, skin[0], skin[1], skin[2]);
      const UvMap uv = scene_uv(r.uv, false);
      for (Vec3 v : body.meshes.back().vertices) body.meshes.back().texcoords.push_back(map_uv(uv, v));
      continue;
    }
    for (int side = 0; side < 2; ++side) {
      std::string name = r.mesh;
      if (side == 1) name[name.size() - 1] = 'R';
      body.meshes.push_back(to_body_mesh(mesh, name, side == 1, shown));
      add_material(body, name, r.texture, skin[0], skin[1], skin[2]);
      const UvMap uv = scene_uv(r.uv, side == 1);
      for (Vec3 v : body.meshes.back().vertices) body.meshes.back().texcoords.push_back(map_uv(uv, v));
    }
  }
  TriMesh hand_nails, foot_nails;
  for (const Nail& n : an.hand_nails) append(hand_nails, nail_mesh(n));
  for (const Nail& n : an.foot_nails) append(foot_nails, nail_mesh(n));
  body.meshes.push_back(to_body_mesh(hand_nails, "NAILS_HAND_L", false));
  body.meshes.push_back(to_body_mesh(hand_nails, "NAILS_HAND_R", true));
  BodyMesh feet = to_body_mesh(foot_nails, "NAILS_FOOT", false);
  const BodyMesh right = to_body_mesh(foot_nails, "NAILS_FOOT", true);
  const int base = static_cast<int>(feet.vertices.size());
  feet.vertices.insert(feet.vertices.end(), right.vertices.begin(), right.vertices.end());
  feet.normals.insert(feet.normals.end(), right.normals.begin(), right.normals.end());
  for (BodyTriangle t : right.triangles) {
    for (int& v : t.v) v += base;
    feet.triangles.push_back(t);
  }
  feet.shown_triangles = feet.triangles.size();
  body.meshes.push_back(feet);
  // Nails: a pale pink that reads as nail over the skin tone.
  add_material(body, "NAILS_HAND_L", "", 236, 196, 186);
  add_material(body, "NAILS_HAND_R", "", 236, 196, 186);
  add_material(body, "NAILS_FOOT", "", 232, 190, 178);

  find_landmarks(body, an);
  derive_cun(body);
  return body;
}
