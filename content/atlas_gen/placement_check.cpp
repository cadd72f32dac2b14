#include "atlas_gen/placement_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// A point lies on a mesh when the mesh passes this close (scene units; about 0.7 mm).
constexpr double kOnMesh = 2e-3;
// Just outside the skin (about 1 mm).
constexpr double kOutside = 3e-3;

bool starts_with(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

void add_unique(std::vector<std::string>* list, const std::string& name) {
  if (std::find(list->begin(), list->end(), name) == list->end()) list->push_back(name);
}

// The landmark names a rule refers to, each side of a "+" on its own, with the side suffix the
// generator picks.
std::vector<std::string> rule_landmarks(const Body& body, const LocationRule& r) {
  std::vector<std::string> names;
  for (const std::string& ref : {r.ref, r.ref_to}) {
    size_t start = 0;
    while (!ref.empty() && start <= ref.size()) {
      const size_t plus = std::min(ref.find('+', start), ref.size());
      std::string name = ref.substr(start, plus - start);
      if (!body.landmarks.count(name)) name += kSide < 0 ? "_r" : "_l";
      names.push_back(name);
      start = plus + 1;
    }
  }
  if (r.frame == Frame::kNail) {
    const std::string side = kSide < 0 ? "_r" : "_l";
    names = {r.ref + "_tip" + side, r.ref + (starts_with(r.ref, "finger") ? "_mcp" : "_mtp") + side};
  }
  return names;
}

}  // namespace

PlacementChecker::PlacementChecker(const Body& body) : body_(body) {
  for (const BodyMesh& m : body.meshes) {
    Body one;
    one.meshes.push_back(m);
    singles_.push_back(std::move(one));
  }
}

std::vector<std::string> PlacementChecker::meshes_at(Vec3 p) const {
  std::vector<std::string> out;
  for (const Body& one : singles_)
    if (length(one.nearest_surface_point(p) - p) < kOnMesh) out.push_back(one.meshes[0].name);
  return out;
}

std::vector<std::string> PlacementChecker::part_of(const LocationRule& r,
                                                  const RuleTarget& t) const {
  std::vector<std::string> part;
  // The part the target lies in, or beside: the meshes holding it, else the skin nearest it (for
  // a point in the air that is the visible skin).
  for (const Body& one : singles_)
    if (inside_body(one, t.target)) part.push_back(one.meshes[0].name);
  if (part.empty()) part = meshes_at(body_.nearest_surface_point(t.target));
  for (const std::string& name : rule_landmarks(body_, r)) {
    const auto it = body_.landmarks.find(name);
    if (it == body_.landmarks.end()) continue;
    for (const std::string& mesh : meshes_at(it->second)) add_unique(&part, mesh);
  }
  // Trunk rules measure on the trunk and neck; head rules on the head (and the neck below the
  // skull); a nail's side may lie on the nail itself.
  if (r.frame == Frame::kTrunk)
    for (const char* mesh : {"CHEST", "ABDOMEN", "PELVIS", "NECK"}) add_unique(&part, mesh);
  if (r.frame == Frame::kFace || r.frame == Frame::kHead) {
    add_unique(&part, "HEAD");
    add_unique(&part, "NECK");
  }
  for (size_t i = 0, n = part.size(); i < n; ++i) {
    if (starts_with(part[i], "HAND")) add_unique(&part, "NAILS_" + part[i]);
    if (starts_with(part[i], "FOOT")) add_unique(&part, "NAILS_FOOT");
  }
  return part;
}

bool PlacementChecker::measure(const LocationRule& r, Vec3 p, PlacementMeasure* m,
                               std::string* error) const {
  RuleTarget t;
  if (!rule_target(body_, r, &t, error)) return false;
  // The point came onto the skin along the rule's direction or, from a target in the air,
  // straight to the nearest skin: either way only the offset across that move counts.
  const Vec3 off = p - t.target;
  auto across = [&off](Vec3 dir) { return length(off - dir * dot(off, dir)); };
  Vec3 skin_normal;
  body_.nearest_surface_point(p, &skin_normal);
  const Vec3 dir = t.from_centre ? normalize(p - t.target) : t.dir;  // scalp: out from the middle
  // A line of a few proportional parts (a third of the way between two landmarks) is measured
  // in the cun of the chest, its own parts being far longer than a cun.
  const bool proportional = r.frame == Frame::kLine && r.span < 3;
  const double cun = proportional ? body_.cun_length("chest_transverse") : t.cun;
  m->off_cun = std::min(across(dir), across(skin_normal)) / cun;
  m->on_line = r.frame == Frame::kLine;
  if (m->on_line) {
    Vec3 a, b;
    if (!find_landmark(body_, r.ref, &a, error) || !find_landmark(body_, r.ref_to, &b, error))
      return false;
    m->along_cun = dot(p - a, b - a) / dot(b - a, b - a) * r.span;
    m->along_off_cun = std::abs(m->along_cun - r.along) * (length(b - a) / r.span) / cun;
  }
  // On the visible skin: just outside it is the air, not the inside of a neighbouring mesh.
  m->under_skin = inside_body(body_, p + skin_normal * kOutside);
  m->meshes = meshes_at(p);
  m->allowed = part_of(r, t);
  m->on_part = std::any_of(m->meshes.begin(), m->meshes.end(), [&](const std::string& s) {
    return std::find(m->allowed.begin(), m->allowed.end(), s) != m->allowed.end();
  });
  return true;
}

std::string PlacementChecker::problem(const LocationRule& r, const PlacementMeasure& m) {
  char text[160];
  if (m.on_line && m.along_off_cun > kMostAlongCun) {
    std::snprintf(text, sizeof text, "%.2f along its line instead of %.2f (%.2f cun)",
                  m.along_cun, r.along, m.along_off_cun);
    return text;
  }
  if (m.off_cun > kMostOffCun) {
    std::snprintf(text, sizeof text, "%.2f cun from where its rule points", m.off_cun);
    return text;
  }
  if (m.under_skin) return "under the skin of a neighbouring mesh";
  if (!m.on_part) {
    std::string on, want;
    for (const std::string& s : m.meshes) on += " " + s;
    for (const std::string& s : m.allowed) want += " " + s;
    return "on" + (on.empty() ? std::string(" no mesh") : on) + ", not on" + want;
  }
  return "";
}
