#include "atlas_gen/placement.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "body/pi.h"

bool find_landmark(const Body& body, const std::string& name, Vec3* p, std::string* error) {
  // "a+b": the point midway between two landmarks.
  const size_t plus = name.find('+');
  if (plus != std::string::npos) {
    Vec3 a, b;
    if (!find_landmark(body, name.substr(0, plus), &a, error) ||
        !find_landmark(body, name.substr(plus + 1), &b, error))
      return false;
    *p = (a + b) * 0.5;
    return true;
  }
  auto it = body.landmarks.find(name);
  if (it == body.landmarks.end()) it = body.landmarks.find(name + (kSide < 0 ? "_r" : "_l"));
  if (it == body.landmarks.end()) {
    *error = "no landmark " + name;
    return false;
  }
  *p = it->second;
  return true;
}

namespace {

const Vec3 kUp{0, 1, 0}, kForward{0, 0, 1}, kLateral{kSide, 0, 0};

// A skin point is looked for at most this far from where the walk out starts (scene units; the
// body is about 5 tall).
constexpr double kReach = 0.6;
// Just outside the skin (about 1 mm): a point there is in the air unless the skin is hidden
// inside a neighbouring mesh.
constexpr double kOutside = 3e-3;

double radians(double degrees) { return degrees * kPi / 180; }

Vec3 face_direction(const LocationRule& r) {
  const Vec3 horizontal = kForward * std::cos(radians(r.yaw)) + kLateral * std::sin(radians(r.yaw));
  return normalize(horizontal * std::cos(radians(r.pitch)) + kUp * std::sin(radians(r.pitch)));
}

// Height of a point on the front midline given in cun from the sternal notch (down negative),
// measured with the cun of the sternum, the upper and the lower abdomen in turn.
bool front_height(const Body& body, const std::string& ref, double along, double* y,
                  std::string* error) {
  static const std::pair<const char*, double> kChain[] = {
      {"sternal_notch", 0}, {"xiphoid", -9}, {"navel", -17}, {"pubic_symphysis", -22}};
  double start = 0;
  bool found = false;
  for (const auto& link : kChain)
    if (ref == link.first) {
      start = link.second;
      found = true;
    }
  if (!found) {
    *error = "a front trunk rule needs sternal_notch, xiphoid, navel or pubic_symphysis";
    return false;
  }
  const double cun = start + along;
  // The segment holding the point; beyond either end the end segment is extended.
  int i = 0;
  while (i < 2 && cun < kChain[i + 1].second) ++i;
  Vec3 a, b;
  if (!find_landmark(body, kChain[i].first, &a, error) ||
      !find_landmark(body, kChain[i + 1].first, &b, error))
    return false;
  const double t = (cun - kChain[i].second) / (kChain[i + 1].second - kChain[i].second);
  *y = a.y + (b.y - a.y) * t;
  return true;
}

// Depth halfway between the front and the back skin on the midline at height y.
bool trunk_middle(const Body& body, double y, double* z) {
  constexpr double kFar = 5;
  Vec3 front, back;
  if (!body.cast_to_surface({0, y, kFar}, {0, 0, -1}, &front, nullptr) ||
      !body.cast_to_surface({0, y, -kFar}, {0, 0, 1}, &back, nullptr))
    return false;
  *z = (front.z + back.z) / 2;
  return true;
}

// Walking out from a point inside the body along dir: the first crossing after which the ray is
// in the air. The region meshes overlap where they join (the neck reaches up into the head, an
// arm presses into the chest wall under the armpit), so a crossing may leave one mesh while
// still inside another: the air is told by winding just past the crossing, not by the order of
// crossings, which the hidden closing surfaces inside a neighbour confuse.
bool walk_out(const Body& body, Vec3 start, Vec3 dir, double reach, Vec3* skin) {
  constexpr double kStep = 1e-5;
  constexpr int kMostCrossings = 12;
  struct Crossing {
    Vec3 at;
    bool leaves;
  };
  std::vector<Crossing> crossings;
  Vec3 from = start, hit, n;
  while (int(crossings.size()) < kMostCrossings && body.cast_to_surface(from, dir, &hit, &n) &&
         length(hit - start) < reach) {
    crossings.push_back({hit, dot(n, dir) > 0});
    from = hit + dir * kStep;
  }
  for (size_t k = 0; k < crossings.size(); ++k) {
    if (crossings[k].leaves && !inside_body(body, crossings[k].at + dir * kOutside)) {
      *skin = crossings[k].at;
      return true;
    }
  }
  return false;
}

// Inside the body: a ray from p leaves more surfaces than it enters. The region meshes are closed
// and overlap where they join, so each one holding p adds one; nearest-surface tests would be
// misled by the hidden closing surfaces inside a neighbour.
}  // namespace

bool inside_body(const Body& body, Vec3 p) {
  constexpr double kStep = 1e-5;
  const Vec3 dir = normalize(Vec3{0.31, 0.83, 0.47});  // off every axis: no grazing of a seam
  int winding = 0;
  Vec3 from = p, hit, n;
  for (int k = 0; k < 64 && body.cast_to_surface(from, dir, &hit, &n); ++k) {
    winding += dot(n, dir) > 0 ? 1 : -1;
    from = hit + dir * kStep;
  }
  return winding > 0;
}

Vec3 smoothed_normal(const Body& body, Vec3 p) {
  Vec3 n0;
  body.nearest_surface_point(p, &n0);
  const Vec3 helper = std::abs(n0.y) < 0.9 ? kUp : Vec3{1, 0, 0};
  const Vec3 u = normalize(cross(n0, helper)), w = cross(n0, u);
  Vec3 sum = n0;
  constexpr double kRadius = 0.03;
  for (int k = 0; k < 6; ++k) {
    const double a = k * kPi / 3;
    Vec3 n;
    body.nearest_surface_point(p + (u * std::cos(a) + w * std::sin(a)) * kRadius, &n);
    sum += n;
  }
  return normalize(sum);
}

namespace {

// The skin on the side `dir` of the body part the target lies in: walking out from the target
// if it is inside, else from just under the nearest skin (for a point in the air that is the
// visible skin). A target outside the skin thus moves onto the part it lies beside, not onto
// whatever else a ray from it would meet.
bool find_skin(const Body& body, Vec3 target, Vec3 dir, double reach, Vec3* skin) {
  Vec3 normal;
  const Vec3 nearest = body.nearest_surface_point(target, &normal);
  // A target on the skin (a landmark itself) is the point: a walk from under a fold (the armpit,
  // the flank under the arm) would come out on the part beside it.
  if (length(nearest - target) < 1e-4 && !inside_body(body, nearest + normal * kOutside)) {
    *skin = nearest;
    return true;
  }
  if (inside_body(body, target)) return walk_out(body, target, dir, reach, skin);
  // In the air just off the skin: the skin that faces the rule's direction, seen from the
  // target, keeps the rule's offsets across that direction.
  const double gap = length(nearest - target);
  Vec3 hit, n;
  if (body.cast_to_surface(target, -dir, &hit, &n) && dot(n, dir) > 0 &&
      length(hit - target) < std::max(3 * gap, 0.03)) {
    *skin = hit;
    return true;
  }
  constexpr double kUnder = 0.01;  // 3 mm
  return walk_out(body, nearest - normal * kUnder, dir, reach, skin);
}

// The scalp as seen from the middle of the head: directions are turned over the midline from
// the anterior toward the posterior hairline (12 cun), then sideways toward the ear.
bool head_target(const Body& body, const LocationRule& r, Vec3* centre, Vec3* dir,
                 std::string* error) {
  Vec3 apex_l, apex_r, front, back;
  if (!find_landmark(body, "ear_apex_l", &apex_l, error) ||
      !find_landmark(body, "ear_apex_r", &apex_r, error) ||
      !find_landmark(body, "hairline_front", &front, error) ||
      !find_landmark(body, "hairline_back", &back, error))
    return false;
  *centre = (apex_l + apex_r) * 0.5;
  const Vec3 f = front - *centre, b = back - *centre;
  const double theta_front = std::atan2(f.y, f.z);
  double theta_back = std::atan2(b.y, b.z);
  if (theta_back < theta_front) theta_back += 2 * kPi;
  const double per_cun = (theta_back - theta_front) / 12;
  const double theta = theta_front + r.along * per_cun, phi = r.lat * per_cun;
  const Vec3 sagittal{0, std::sin(theta), std::cos(theta)};
  *dir = normalize(sagittal * std::cos(phi) + kLateral * std::sin(phi));
  return true;
}

// The skin beside a nail of digit `ref` ("finger1" ... "toe5"): the side toward digit 1 is found
// from the digits' own knuckles, so it does not depend on how the hand or foot is turned.
bool nail_target(const Body& body, const LocationRule& r, Vec3* target, Vec3* dir,
                 std::string* error) {
  const bool finger = r.ref.compare(0, 6, "finger") == 0;
  const bool toe = r.ref.compare(0, 3, "toe") == 0;
  if ((!finger && !toe) || r.ref.size() != (finger ? 7u : 4u)) {
    *error = "a nail rule needs finger1..finger5 or toe1..toe5, not " + r.ref;
    return false;
  }
  const std::string base = finger ? "_mcp" : "_mtp";
  const std::string kind = finger ? "finger" : "toe";
  Vec3 tip, knuckle, first, fifth;
  if (!find_landmark(body, r.ref + "_tip", &tip, error) ||
      !find_landmark(body, r.ref + base, &knuckle, error) ||
      !find_landmark(body, kind + "1" + base, &first, error) ||
      !find_landmark(body, kind + "5" + base, &fifth, error))
    return false;
  const Vec3 axis = normalize(tip - knuckle);
  auto across = [&axis](Vec3 v) { return normalize(v - axis * dot(v, axis)); };
  const Vec3 side = across(first - fifth);
  Vec3 back = kUp;  // the top of a toe
  if (finger) {
    Vec3 palm, dorsum;
    if (!find_landmark(body, "palm_centre", &palm, error) ||
        !find_landmark(body, "hand_dorsum_centre", &dorsum, error))
      return false;
    back = dorsum - palm;
  }
  back = across(back);
  const double cun = body.cun_length("chest_transverse");
  *target = tip - axis * (r.along * cun) + side * (r.lat * cun);
  *dir = normalize(side * (r.lat < 0 ? -1 : 1) + back);
  return true;
}

}  // namespace

bool rule_target(const Body& body, const LocationRule& r, RuleTarget* out, std::string* error) {
  Vec3& target = out->target;
  Vec3& dir = out->dir;
  out->from_centre = false;
  out->along_normal = false;
  switch (r.frame) {
    case Frame::kTrunk: {
      Vec3 ref;
      if (!find_landmark(body, r.ref, &ref, error)) return false;
      double y = 0, cun = 0;
      if (is_front_chain(r.ref)) {
        if (!front_height(body, r.ref, r.along, &y, error)) return false;
        cun = body.cun_length("chest_transverse");
      } else {  // a level of the spine
        y = ref.y + r.along * body.cun_length("chest_vertical");
        cun = body.cun_length("back_transverse");
      }
      double z = ref.z;
      // A point on the side of the trunk or neck is found walking out from its middle, so that
      // an arm hanging beside it cannot take the point.
      if (!r.face_normal && std::abs(std::sin(radians(r.yaw))) > std::sin(radians(45)) &&
          !trunk_middle(body, y, &z)) {
        *error = "no trunk at the rule's height";
        return false;
      }
      target = Vec3{kSide * r.lat * cun, y, z} + kForward * (r.fwd * cun);
      out->cun = cun;
      break;
    }
    case Frame::kAt:
    case Frame::kFace: {
      Vec3 ref;
      if (!find_landmark(body, r.ref, &ref, error)) return false;
      const double cun = body.cun_length(r.frame == Frame::kAt ? "chest_transverse" : "head_front");
      target = ref + kUp * (r.along * cun) + kLateral * (r.lat * cun) + kForward * (r.fwd * cun);
      out->cun = cun;
      break;
    }
    case Frame::kLine: {
      Vec3 a, b;
      if (!find_landmark(body, r.ref, &a, error) || !find_landmark(body, r.ref_to, &b, error))
        return false;
      target = a + (b - a) * (r.along / r.span);
      out->cun = length(b - a) / r.span;
      break;
    }
    case Frame::kHead:
      if (!head_target(body, r, &target, &dir, error)) return false;
      out->from_centre = true;
      out->cun = body.cun_length("head_long");
      return true;
    case Frame::kNail:
      if (!nail_target(body, r, &target, &dir, error)) return false;
      out->cun = body.cun_length("chest_transverse");
      return true;
  }
  if (r.face_normal) {
    Vec3 n;
    const Vec3 nearest = body.nearest_surface_point(target, &n);
    // The way between the target and its nearest skin is the normal there; a triangle's normal
    // in a crease (the groin, the elbow) or on a hidden surface inside a neighbouring mesh may
    // point anywhere.
    if (length(target - nearest) > 1e-4)
      n = normalize(nearest - target) * (inside_body(body, target) ? 1.0 : -1.0);
    // A point on a line lies across the line from it, never further along: only the normal's
    // part across the line counts (near a joint or a tapering limb the normal leans along it).
    if (r.frame == Frame::kLine) {
      Vec3 a, b;
      if (!find_landmark(body, r.ref, &a, error) || !find_landmark(body, r.ref_to, &b, error))
        return false;
      const Vec3 axis = normalize(b - a);
      const Vec3 across = n - axis * dot(n, axis);
      if (length(across) > 0.2) n = normalize(across);
    }
    dir = n;
    out->along_normal = true;
  } else {
    dir = face_direction(r);
  }
  return true;
}

bool place_point(const Body& body, const LocationRule& r, PlacedPoint* placed,
                 std::string* error) {
  RuleTarget t;
  if (!rule_target(body, r, &t, error)) return false;
  Vec3 skin;
  const bool found = t.from_centre ? walk_out(body, t.target, t.dir, 2, &skin)
                                   : find_skin(body, t.target, t.dir, kReach, &skin);
  // Where the rule's direction finds no skin (a fold of the armpit, a web between fingers) the
  // nearest skin to the target stands in, and the caller is told.
  placed->fell_back = !found;
  if (!found) skin = body.nearest_surface_point(t.target);
  placed->point = skin;
  placed->normal = smoothed_normal(body, skin);
  return true;
}

bool seen_from(const Body& body, Vec3 point, Vec3 dir) {
  return !body.cast_to_surface(point, dir, nullptr, nullptr);
}

namespace {

// The mesh whose skin lies nearest p.
std::string nearest_mesh(const Body& body, Vec3 p) {
  std::string nearest;
  double best = 1e9;
  for (const BodyMesh& m : body.meshes) {
    Body one;
    one.meshes.push_back(m);
    const double d = length(one.nearest_surface_point(p) - p);
    if (d < best) best = d, nearest = m.name;
  }
  return nearest;
}

bool has_part(const std::string& mesh, const char* part) {
  return mesh.find(part) != std::string::npos;
}

// The long axis of the limb segment carried by `mesh`, from the landmarks at its two ends; zero
// for the trunk, neck and head.
Vec3 segment_axis(const Body& body, const std::string& mesh) {
  static const struct {
    const char* part;
    const char* from;
    const char* to;
  } kSegments[] = {
      {"UPPERARM", "acromion", "elbow_lateral+elbow_medial"},
      {"FOREARM", "elbow_lateral+elbow_medial", "radial_styloid+ulnar_styloid"},
      {"HAND", "wrist_crease", "finger3_mcp"},
      {"THIGH", "greater_trochanter", "knee_eye_lateral+knee_eye_medial"},
      {"SHIN", "knee_eye_lateral+knee_eye_medial", "malleolus_lateral+malleolus_medial"},
      {"FOOT", "heel", "toe2_mtp"},
  };
  for (const auto& s : kSegments) {
    if (!has_part(mesh, s.part)) continue;
    Vec3 a, b;
    std::string error;
    if (!find_landmark(body, s.from, &a, &error) || !find_landmark(body, s.to, &b, &error))
      return {};
    return normalize(b - a);
  }
  return {};
}

// How far (as the sine of the angle) a view looks up at the skin from below.
double below_excess(const std::string& mesh, Vec3 normal, Vec3 toward_viewer) {
  // Up to 15 degrees below the horizontal a view still looks at the part, not up at it.
  constexpr double kFree = 0.26;
  // A hand hangs: its skin facing down is a fingertip or an edge, shown best from beside it. A
  // sole or the underside of a leg faces down and is seen from below.
  const double free = has_part(mesh, "HAND") ? kFree : std::max(kFree, -normal.y);
  return std::max(0.0, -toward_viewer.y - free);
}

// The meshes of the limb that `mesh` belongs to; empty for the trunk, neck and head.
std::vector<std::string> limb_of(const std::string& mesh) {
  auto has = [&mesh](const char* part) { return has_part(mesh, part); };
  const std::string side = kSide < 0 ? "_R" : "_L";
  if (has("ARM") || has("HAND"))
    return {"UPPERARM" + side, "FOREARM" + side, "HAND" + side, "NAILS_HAND" + side};
  if (has("THIGH") || has("SHIN") || has("FOOT")) return {"THIGH" + side, "SHIN" + side, "FOOT" + side, "NAILS_FOOT"};
  return {};
}

double share_of_others(const RayCaster& sight, const std::vector<std::string>& own, Vec3 point,
                       Vec3 toward_viewer, double scale, int grid) {
  const Vec3 n = normalize(toward_viewer);
  const Vec3 helper = std::abs(n.y) < 0.9 ? kUp : Vec3{1, 0, 0};
  const Vec3 u = normalize(cross(helper, n)), v = cross(n, u);
  // The middle third of the main window each way (it spans 6 units high and 8 wide before the
  // view's scale): the neighbourhood of the point that the eye looks at. Over the whole window
  // the trunk is in sight of every limb point but the toes.
  const double half_h = 1 / scale, half_w = half_h * 4 / 3;
  int skin = 0, others = 0;
  for (int i = 0; i < grid; ++i)
    for (int j = 0; j < grid; ++j) {
      const double a = 2.0 * (i + 0.5) / grid - 1, b = 2.0 * (j + 0.5) / grid - 1;
      const Vec3 from = point + u * (a * half_w) + v * (b * half_h) + n * 5.0;
      std::string mesh;
      if (!sight.cast(from, -n, &mesh)) continue;
      ++skin;
      if (std::find(own.begin(), own.end(), mesh) == own.end()) ++others;
    }
  return skin == 0 ? 0 : double(others) / skin;
}

}  // namespace

std::vector<std::string> limb_meshes(const Body& body, Vec3 p) {
  return limb_of(nearest_mesh(body, p));
}

double others_share(const Body& body, const std::vector<std::string>& own, Vec3 point,
                    Vec3 toward_viewer, double scale, int grid) {
  return share_of_others(RayCaster(body), own, point, toward_viewer, scale, grid);
}

SearchView choose_view(const Body& body, const PlacedPoint& placed, double scale, bool* seen) {
  // The marker (radius 0.02) must show more than its rim: its middle, a little above the skin,
  // must be in sight. A hollow of the skin thus hides it, as it does on screen.
  const Vec3 marker_middle = placed.point + placed.normal * 0.012;
  const std::vector<Vec3> candidates = candidate_directions(placed.normal);
  const RayCaster sight(body);
  auto seen_along = [&sight, marker_middle](Vec3 dir) { return !sight.cast(marker_middle, dir); };
  const std::string mesh = nearest_mesh(body, placed.point);
  const std::vector<std::string> own = limb_of(mesh);
  if (own.empty()) {  // trunk, neck and head: the seen direction nearest the normal
    for (const Vec3& dir : candidates)
      if (seen_along(dir)) {
        *seen = true;
        return view_facing(placed.point, dir, scale);
      }
    *seen = false;
    return view_facing(placed.point, placed.normal, scale);
  }
  // A limb point is shown on its own limb: of the directions that see it, the best by how
  // squarely it faces the skin, how little of the frame's middle other parts fill (the trunk
  // behind an arm, the legs behind a hand), how little it looks along the carrying segment
  // (which would hide the segment behind itself) and how little it looks up from below.
  const Vec3 axis = segment_axis(body, mesh);
  // Beyond a fifth of the frame's middle (a quarter, with room for the sampling), other parts
  // weigh much more.
  constexpr double kShareWeight = 1, kCrowdedShare = 0.2, kCrowdedWeight = 6;
  constexpr double kAlongWeight = 0.5, kBelowWeight = 4;
  constexpr int kGrid = 9;
  struct Ranked {
    Vec3 dir;
    double bound;  // the score before the frame is sampled: the share only lowers it
  };
  std::vector<Ranked> ranked;
  for (const Vec3& dir : candidates)
    ranked.push_back({dir, dot(dir, placed.normal) - kAlongWeight * std::abs(dot(dir, axis)) -
                               kBelowWeight * below_excess(mesh, placed.normal, dir)});
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const Ranked& a, const Ranked& b) { return a.bound > b.bound; });
  // Sampling the frame costs 81 rays; a candidate whose bound is below the best score so far
  // cannot win, and the best few seen are enough.
  constexpr int kMostSampled = 48;
  int sampled = 0;
  double best = -1e9;
  Vec3 best_dir;
  for (const Ranked& c : ranked) {
    if (c.bound <= best || sampled == kMostSampled) break;
    if (!seen_along(c.dir)) continue;
    ++sampled;
    const double share = share_of_others(sight, own, placed.point, c.dir, scale, kGrid);
    const double score =
        c.bound - kShareWeight * share - kCrowdedWeight * std::max(0.0, share - kCrowdedShare);
    if (score > best) best = score, best_dir = c.dir;
  }
  *seen = sampled > 0;
  return view_facing(placed.point, sampled > 0 ? best_dir : placed.normal, scale);
}

double view_scale_for(const LocationRule& r) {
  const std::string refs = r.ref + " " + r.ref_to;
  auto has = [&refs](const char* word) { return refs.find(word) != std::string::npos; };
  if (has("finger") || has("toe") || has("palm")) return 5.4;
  if (has("wrist") || has("styloid") || has("ankle") || has("malleolus") || has("heel") ||
      has("achilles"))
    return 4.8;
  if (r.frame == Frame::kHead || r.frame == Frame::kFace) return 4.2;
  if (r.frame == Frame::kLine) return 3.6;
  return 3.0;
}
