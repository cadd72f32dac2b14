#include "body/regions.h"

#include <algorithm>
#include <cmath>

#include "body/pi.h"

Vec2 map_uv(const UvMap& m, Vec3 p) {
  const Vec3 d = p - m.origin;
  const double h = dot(d, m.axis);
  const Vec3 r = d - m.axis * h;
  const Vec3 side = cross(m.axis, m.front);
  const double angle = std::atan2(dot(r, side), dot(r, m.front));
  Vec2 uv;
  uv.u = std::abs(angle) / kPi;
  // Parts of a mesh beyond the ends of its map (the hidden overlap into a neighbour) take the
  // edge of the texture.
  uv.v = std::clamp((h - m.h0) / (m.h1 - m.h0), 0.0, 1.0);
  return uv;
}

UvMap scene_uv(const UvMap& m, bool mirror) {
  UvMap s = m;
  s.origin = to_scene(m.origin);
  s.h0 = m.h0 * kSceneScale;
  s.h1 = m.h1 * kSceneScale;
  if (mirror) {
    s.origin = mirror_x(s.origin);
    s.axis = mirror_x(s.axis);
    s.front = mirror_x(s.front);
  }
  return s;
}

std::vector<BodyRegion> body_regions(const Anatomy& an) {
  const Vec3 up{0, 1, 0}, fwd{0, 0, 1};
  auto along = [](Vec3 from, Vec3 to) { return normalize(to - from); };
  auto vertical = [&](double z, double h0, double h1) { return UvMap{{0, 0, z}, up, fwd, h0, h1}; };
  const double none = 1e9;
  // Trunk cuts: below the breasts and at the top of the hip bones.
  const double chest_cut = 1.17, pelvis_cut = 0.97;
  return {
      {"HEAD", "HEAD.BMP", "Head.bmp", kHead, false, -none, none, 0.0024, 4400,
       vertical(-0.005, 1.49 + kNeckExtra, 1.76 + kNeckExtra)},
      {"NECK", "NECK.BMP", "Neck.bmp", kNeck, false, -none, none, 0.0035, 1500,
       vertical(-0.02, 1.40, 1.62 + kNeckExtra)},
      {"CHEST", "CHEST.BMP", "Chest.bmp", kTrunk, false, chest_cut, none, 0.005, 3000,
       vertical(-0.01, 1.12, 1.58)},
      {"ABDOMEN", "ABDOMEN.BMP", "Abdomen.bmp", kTrunk, false, pelvis_cut, chest_cut, 0.005, 1700,
       vertical(-0.01, 0.93, 1.22)},
      {"PELVIS", "PELVIS.BMP", "Pelvis.bmp", kTrunk, false, -none, pelvis_cut, 0.005, 2200,
       vertical(-0.01, 0.70, 1.01)},
      {"UPPERARM_L", "UPPERARM.BMP", "UpperArm.bmp", kUpperArm, true, -none, none, 0.004, 1100,
       {an.shoulder, along(an.elbow, an.shoulder), fwd, -0.36, 0.08}},
      {"FOREARM_L", "FOREARM.BMP", "ForeArm.bmp", kForearm, true, -none, none, 0.004, 1000,
       {an.elbow, along(an.wrist, an.elbow), fwd, -0.29, 0.05}},
      {"HAND_L", "HAND.BMP", "Hand.bmp", kHand, true, -none, none, 0.0018, 2600,
       {an.wrist, along(an.hand_tip, an.wrist), an.hand_palm_normal, -0.21, 0.03}},
      {"THIGH_L", "THIGH.BMP", "Thigh.bmp", kThigh, true, -none, none, 0.005, 1400,
       {an.hip, along(an.knee, an.hip), fwd, -0.5, 0.1}},
      {"SHIN_L", "SHIN.BMP", "Shin.bmp", kShin, true, -none, none, 0.0045, 1400,
       {an.knee, along(an.ankle, an.knee), fwd, -0.47, 0.1}},
      {"FOOT_L", "FOOT.BMP", "Foot.bmp", kFoot, true, -none, none, 0.002, 1700,
       {an.ankle + Vec3{0, -0.04, 0}, an.foot_forward, up, -0.1, 0.21}},
  };
}
