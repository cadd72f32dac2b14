#include "body/anatomy.h"

#include <algorithm>
#include <cmath>

#include "body/pi.h"

namespace {

double rad(double deg) { return deg * kPi / 180.0; }

Primitive mirrored(Primitive p) {
  p.a = mirror_x(p.a);
  p.b = mirror_x(p.b);
  p.frame.u = mirror_x(p.frame.u);
  p.frame.v = mirror_x(p.frame.v);
  p.frame.w = mirror_x(p.frame.w);
  return p;
}

BodyGroup right_of(BodyGroup g) {
  switch (g) {
    case kUpperArm: return kUpperArmR;
    case kForearm: return kForearmR;
    case kHand: return kHandR;
    case kThigh: return kThighR;
    case kShin: return kShinR;
    case kFoot: return kFootR;
    default: return g;
  }
}

// Rotates v about the unit axis by the angle (right hand).
Vec3 rotate(Vec3 v, Vec3 axis, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return v * c + cross(axis, v) * s + axis * (dot(axis, v) * (1 - c));
}

// Frame with u, v, w given (made orthonormal around v).
Frame frame_of(Vec3 u_hint, Vec3 v, Vec3 w_hint) {
  Frame f = frame_along(v, w_hint);
  if (dot(f.u, u_hint) < 0) f.u = -f.u;
  return f;
}

class Builder {
 public:
  explicit Builder(Shape& s) : shape_(s) {}
  // A midline part: added once. A left part: added with its mirror image for the right side.
  void mid(const Primitive& p, double blend, BodyGroup g) { shape_.add(lifted(p), blend, g); }
  void side(const Primitive& p, double blend, BodyGroup g) {
    shape_.add(lifted(p), blend, g);
    shape_.add(mirrored(lifted(p)), blend, right_of(g));
  }
  void cut_mid(const Primitive& p, double blend) { shape_.subtract(lifted(p), blend); }
  void cut_side(const Primitive& p, double blend) {
    shape_.subtract(lifted(p), blend);
    shape_.subtract(mirrored(lifted(p)), blend);
  }
  // Parts added from now on are raised by dy (the head stands on the lengthened neck).
  void lift(double dy) { lift_ = dy; }

 private:
  Primitive lifted(Primitive p) const {
    p.a.y += lift_;
    p.b.y += lift_;
    return p;
  }
  Shape& shape_;
  double lift_ = 0;
};

// First crossing of the surface along a ray (coarse march then bisection); origin outside.
Vec3 march(const Shape& s, Vec3 origin, Vec3 dir) {
  dir = normalize(dir);
  double t = 0, prev = 0;
  double f = s.distance(origin);
  for (int i = 0; i < 2000 && f > 0; ++i) {
    prev = t;
    t += std::max(0.0005, f * 0.8);
    f = s.distance(origin + dir * t);
  }
  double lo = prev, hi = t;
  for (int i = 0; i < 40; ++i) {
    const double mid = 0.5 * (lo + hi);
    if (s.distance(origin + dir * mid) > 0) lo = mid; else hi = mid;
  }
  return origin + dir * hi;
}


Primitive ell(Vec3 c, Vec3 r) { return ellipsoid(c, r); }
Primitive cone(Vec3 a, Vec3 c, double ra, double rc, double flat = 1, Vec3 ax = {0, 0, 1}) {
  return round_cone(a, c, ra, rc, flat, ax);
}

// The left limbs' joints and directions, which the shape, the region bones and the landmarks
// share.
struct ArmAxes {
  Vec3 shoulder, arm_dir, elbow, fore_dir, wrist;
};
struct HandAxes {
  Vec3 along, palm, thumb;  // toward the fingertips, out of the palm, toward the thumb
};
struct LegAxes {
  Vec3 hip, knee, ankle;
};
struct FootAxes {
  Vec3 forward, lateral, heel;
};

ArmAxes arm_axes() {
  ArmAxes a;
  a.shoulder = {0.172, 1.405, -0.012};
  // Abducted enough that the arm hangs clear of the flank under the armpit.
  a.arm_dir = normalize(Vec3{std::sin(rad(16)), -std::cos(rad(16)), 0.0});
  a.elbow = a.shoulder + a.arm_dir * 0.305;
  a.fore_dir = normalize(Vec3{std::sin(rad(20)), -std::cos(rad(20)), 0.04});
  a.wrist = a.elbow + a.fore_dir * 0.255;
  return a;
}

HandAxes hand_axes(const ArmAxes& arm) {
  HandAxes h;
  h.along = normalize(arm.fore_dir + Vec3{0.02, 0, 0.0});
  h.palm = {0, 0, 1};
  // Palm forward and the arm hanging down the left side, the thumb side is +X: away from the body.
  h.thumb = normalize(cross(h.palm, h.along));
  return h;
}

LegAxes leg_axes() { return {{0.088, 0.925, 0.0}, {0.096, 0.5, 0.008}, {0.108, 0.083, -0.02}}; }

// Toes turned out a little.
FootAxes foot_axes(const LegAxes& leg) {
  FootAxes f;
  f.forward = normalize(Vec3{std::sin(rad(7)), 0, std::cos(rad(7))});
  f.lateral = {f.forward.z, 0, -f.forward.x};
  f.heel = leg.ankle + Vec3{0, -0.052, -0.03};
  return f;
}

void add_trunk(Builder& b) {
  b.mid(ell({0, 1.275, -0.01}, {0.142, 0.185, 0.108}), 0, kTrunk);           // rib cage
  b.mid(cone({0, 1.415, -0.03}, {0, 1.10, -0.02}, 0.10, 0.115, 0.78), 0.05, kTrunk);
  // Shoulder girdle, sloping down outward: with the trapezius, deltoid and arm blended over it the
  // acromion stands about 4 cm above the shoulder joint (1.45 m).
  b.side(cone({0.0, 1.425, -0.025}, {0.150, 1.392, -0.022}, 0.05, 0.04, 0.9), 0.05, kTrunk);
  b.mid(ell({0, 1.385, 0.035}, {0.125, 0.055, 0.045}), 0.05, kTrunk);      // upper chest
  b.side(ellipsoid({0.07, 1.322, 0.058}, {0.085, 0.05, 0.02},
                   frame_of({1, 0, 0}, normalize(Vec3{0.45, 1, 0}), {0, 0, 1})),
         0.05, kTrunk);                                                     // pectoral
  b.mid(ell({0, 1.065, 0.0}, {0.134, 0.155, 0.098}), 0.06, kTrunk);         // abdomen
  b.mid(ell({0, 1.085, 0.045}, {0.072, 0.15, 0.055}), 0.04, kTrunk);        // rectus
  b.mid(ell({0, 0.925, -0.005}, {0.142, 0.11, 0.1}), 0.06, kTrunk);       // pelvis
  b.side(ell({0.102, 0.9, -0.012}, {0.052, 0.08, 0.072}), 0.04, kTrunk);  // hip
  b.side(ell({0.06, 0.862, -0.056}, {0.072, 0.085, 0.064}), 0.03, kTrunk);  // buttock
  b.mid(ell({0, 0.862, 0.05}, {0.045, 0.045, 0.04}), 0.03, kTrunk);          // pubic mound
  // Scapula: the root of its spine level with T3, its inferior angle with T7.
  b.side(ellipsoid({0.1, 1.355, -0.094}, {0.05, 0.075, 0.022},
                   frame_of({1, 0, 0}, normalize(Vec3{-0.25, 1, 0}), {0, 0, -1})),
         0.03, kTrunk);                                                     // scapula
  b.side(ell({0.112, 1.22, -0.045}, {0.045, 0.12, 0.065}), 0.04, kTrunk);    // latissimus
  b.side(cone({0.028, 1.5, -0.05}, {0.148, 1.405, -0.03}, 0.018, 0.03), 0.04, kTrunk);
  b.side(cone({0.0, 1.48, -0.06}, {0.06, 1.36, -0.08}, 0.02, 0.018), 0.03, kTrunk);  // trapezius
}

void add_neck(Builder& b) {
  const double e = kNeckExtra;
  b.mid(cone({0, 1.43, -0.025}, {0, 1.575 + e, -0.018}, 0.056, 0.05, 0.92), 0.035, kNeck);
  b.side(cone({0.055, 1.6 + e, -0.025}, {0.018, 1.44, 0.035}, 0.011, 0.012), 0.02, kNeck);  // SCM
  b.mid(ell({0, 1.5 + e / 2, 0.031}, {0.009, 0.013, 0.009}), 0.014, kNeck);  // larynx
  b.mid(ell({0, 1.503, -0.068}, {0.013, 0.011, 0.012}), 0.014, kNeck);      // C7 spinous process
}

void add_head(Builder& b) {
  const double e = kNeckExtra;
  b.lift(e);
  b.mid(ell({0, 1.657, -0.014}, {0.074, 0.093, 0.097}), 0.0, kHead);        // cranium
  b.mid(ell({0, 1.668, 0.03}, {0.068, 0.062, 0.064}), 0.02, kHead);         // forehead
  b.mid(ell({0, 1.6, 0.024}, {0.057, 0.058, 0.062}), 0.025, kHead);         // mid face
  b.mid(ell({0, 1.572, 0.03}, {0.044, 0.036, 0.05}), 0.028, kHead);         // lower face
  b.side(ell({0.047, 1.572, -0.006}, {0.014, 0.016, 0.016}), 0.03, kHead);   // jaw angle
  b.mid(ell({0, 1.536, 0.075}, {0.021, 0.018, 0.016}), 0.014, kHead);       // chin
  b.side(ell({0.052, 1.62, 0.048}, {0.017, 0.01, 0.017}), 0.02, kHead);     // cheekbone
  b.side(cone({0.008, 1.653, 0.086}, {0.05, 1.655, 0.074}, 0.011, 0.009), 0.014, kHead);  // brow
  b.mid(ell({0, 1.566, 0.07}, {0.028, 0.026, 0.025}), 0.02, kHead);         // muzzle
  // Nose: bridge, tip, wings.
  b.mid(cone({0, 1.645, 0.091}, {0, 1.603, 0.113}, 0.007, 0.010, 0.8, {1, 0, 0}), 0.01, kHead);
  b.mid(ell({0, 1.599, 0.109}, {0.0095, 0.0095, 0.0105}), 0.008, kHead);
  b.side(ell({0.012, 1.596, 0.099}, {0.007, 0.007, 0.008}), 0.006, kHead);
  b.cut_side(ell({0.0068, 1.5885, 0.104}, {0.0038, 0.0022, 0.0048}), 0.003);  // nostril
  // Eyes: sockets, then the eyeballs in them.
  b.cut_side(ell({0.032, 1.636, 0.092}, {0.019, 0.012, 0.016}), 0.012);
  b.side(ell({0.032, 1.635, 0.072}, {0.0125, 0.0125, 0.0125}), 0.003, kHead);
  b.side(ell({0.032, 1.6395, 0.0735}, {0.0148, 0.0085, 0.0122}), 0.003, kHead);  // upper lid
  b.side(ell({0.032, 1.6305, 0.0725}, {0.0138, 0.0062, 0.0118}), 0.003, kHead);  // lower lid
  // Lips and the line between them.
  b.mid(ell({0, 1.5672, 0.0945}, {0.022, 0.0072, 0.009}), 0.006, kHead);
  b.mid(ell({0, 1.5552, 0.0915}, {0.0195, 0.0076, 0.0092}), 0.006, kHead);
  b.cut_mid(ell({0, 1.5618, 0.102}, {0.022, 0.0011, 0.008}), 0.002);
  // Ears: a tilted plate with its bowl hollowed out and a lobe.
  {
    const Frame ear = frame_of({1, 0, 0}, normalize(Vec3{0, 1, -0.25}), {0.35, 0, 1});
    b.side(ellipsoid({0.076, 1.628, -0.012}, {0.009, 0.03, 0.019}, ear), 0.008, kHead);
    b.side(ellipsoid({0.074, 1.598, -0.006}, {0.007, 0.01, 0.01}, ear), 0.004, kHead);  // lobe
    b.cut_side(ellipsoid({0.086, 1.624, -0.008}, {0.006, 0.014, 0.0095}, ear), 0.004);
  }
  b.lift(0);
}

void add_arm(Anatomy& an, Builder& b, const ArmAxes& arm) {
  const Vec3 shoulder = arm.shoulder, arm_dir = arm.arm_dir, elbow = arm.elbow;
  const Vec3 fore_dir = arm.fore_dir, wrist = arm.wrist;
  an.shoulder = shoulder;
  an.elbow = elbow;
  an.wrist = wrist;
  b.side(ellipsoid(shoulder + Vec3{0.018, -0.053, 0.002}, {0.046, 0.085, 0.05},
                   frame_of({1, 0, 0}, arm_dir, {0, 0, 1})), 0.04, kUpperArm);   // deltoid
  b.side(cone(shoulder + arm_dir * 0.012, elbow, 0.046, 0.036, 0.92), 0.02, kUpperArm);
  // Axillary folds: the chest and back muscles running into the arm.
  b.side(cone({0.1, 1.33, 0.055}, shoulder + arm_dir * 0.09 + Vec3{0, 0, 0.02}, 0.022, 0.018), 0.04,
         kTrunk);
  b.side(cone({0.1, 1.3, -0.075}, shoulder + arm_dir * 0.1 + Vec3{0, 0, -0.02}, 0.024, 0.018), 0.04,
         kTrunk);
  b.side(ellipsoid(lerp(shoulder, elbow, 0.56) + Vec3{0, 0, 0.016}, {0.035, 0.09, 0.034},
                   frame_of({1, 0, 0}, arm_dir, {0, 0, 1})), 0.02, kUpperArm);   // biceps
  b.side(ellipsoid(lerp(shoulder, elbow, 0.45) + Vec3{0, 0, -0.018}, {0.035, 0.1, 0.03},
                   frame_of({1, 0, 0}, arm_dir, {0, 0, 1})), 0.02, kUpperArm);   // triceps
  b.side(ell(elbow + Vec3{0, 0, -0.004}, {0.036, 0.034, 0.031}), 0.015, kForearm);
  b.side(cone(elbow, wrist, 0.04, 0.024, 0.72), 0.015, kForearm);
  b.side(ellipsoid(lerp(elbow, wrist, 0.28) + Vec3{0.006, 0, 0.004}, {0.04, 0.075, 0.03},
                   frame_of({1, 0, 0}, fore_dir, {0, 0, 1})), 0.02, kForearm);   // forearm flesh
  b.side(ell(elbow + Vec3{0.033, 0.002, -0.005}, {0.008, 0.01, 0.01}), 0.01, kForearm);
  b.side(ell(elbow + Vec3{-0.036, 0.004, -0.008}, {0.009, 0.011, 0.011}), 0.01, kForearm);
}

// Palm forward, thumb outward.
void add_hand(Anatomy& an, Builder& b, const ArmAxes& arm, const HandAxes& hand) {
  const Vec3 wrist = arm.wrist;
  const Vec3 hd = hand.along, hn = hand.palm, hl = hand.thumb;
  an.hand_palm_normal = hn;
  an.hand_lateral = hl;
  const Frame palm_frame = frame_of(hl, hd, hn);
  b.side(ellipsoid(wrist + hd * 0.052, {0.041, 0.052, 0.0145}, palm_frame), 0.012, kHand);
  b.side(cone(wrist - hd * 0.006, wrist + hd * 0.03, 0.024, 0.03, 0.62), 0.015, kHand);
  b.side(ellipsoid(wrist + hd * 0.033 + hl * 0.022 + hn * 0.007, {0.018, 0.028, 0.013},
                   palm_frame), 0.01, kHand);                 // thenar
  b.side(ellipsoid(wrist + hd * 0.048 - hl * 0.027 + hn * 0.005, {0.013, 0.034, 0.011},
                   palm_frame), 0.01, kHand);                 // hypothenar
  struct FingerShape {
    double offset, reach, spread;
    double len[3];
    double r[4];
  };
  const FingerShape fingers[4] = {
      {0.029, 0.094, 4.5, {0.041, 0.025, 0.02}, {0.0098, 0.009, 0.0082, 0.0073}},
      {0.0095, 0.098, 1, {0.045, 0.028, 0.021}, {0.0102, 0.0093, 0.0084, 0.0075}},
      {-0.0105, 0.095, -2.5, {0.042, 0.027, 0.02}, {0.0096, 0.0088, 0.008, 0.0071}},
      {-0.029, 0.088, -6.5, {0.034, 0.02, 0.018}, {0.0086, 0.0078, 0.007, 0.0063}},
  };
  an.hand_tip = wrist + hd * 0.19;
  auto add_finger = [&](int number, Vec3 base, Vec3 dir, const double* len, const double* r,
                        double curl, Vec3 curl_axis, Vec3 back) {
    an.hand_digit_joints.push_back({base});
    an.hand_digit_dorsal.push_back(back);
    Vec3 p = base;
    Vec3 last = dir;  // direction of the distal phalanx
    for (int s = 0; s < 3; ++s) {
      const Vec3 q = p + dir * len[s];
      b.side(cone(p, q, r[s], r[s + 1], 0.9, back), s == 0 ? 0.006 : 0.002, kHand);
      an.hand_digit_joints.back().push_back(q);
      p = q;
      last = dir;
      dir = rotate(dir, curl_axis, curl);
    }
    // The tip: the point on the nail side.
    const std::string n = std::to_string(number);
    Nail nail;
    nail.frame = frame_of(cross(last, back), last, back);
    nail.centre = p - last * (len[2] * 0.38) + back * (r[3] * 0.62);
    nail.radii = {r[3] * 0.7, len[2] * 0.4, r[3] * 0.4};
    an.hand_nails.push_back(nail);
    an.landmark_rays.push_back({"finger" + n + "_tip_l", p + last * 0.05, -last});
    const Vec3 side_dir = normalize(cross(last, back));
    const Vec3 corner = p - last * (len[2] * 0.5) + back * (r[3] * 0.45);
    // Radial is toward the thumb side (hl) for the fingers.
    const Vec3 radial = dot(side_dir, hl) > 0 ? side_dir : -side_dir;
    // The surface point nearest to a point just inside the side of this digit: a ray from
    // outside would meet the neighbouring finger first.
    an.landmark_rays.push_back({"finger" + n + "_nail_radial_l", corner + radial * (r[3] * 0.75), {}});
    an.landmark_rays.push_back({"finger" + n + "_nail_ulnar_l", corner - radial * (r[3] * 0.75), {}});
  };
  for (int i = 0; i < 4; ++i) {
    const FingerShape& f = fingers[i];
    const Vec3 base = wrist + hd * f.reach + hl * f.offset - hn * 0.002;
    const Vec3 dir = rotate(hd, hn, rad(f.spread));  // a positive spread turns toward the thumb
    // Relaxed flexion: each joint turns the finger toward the palm (+hn).
    add_finger(i + 2, base, dir, f.len, f.r, rad(6), normalize(cross(dir, hn)), -hn);
    an.landmark_rays.push_back({"finger" + std::to_string(i + 2) + "_mcp_l",
                                base - hn * 0.05, hn});
  }
  {
    // Thumb: from the base of the palm, pointing down, outward and a little forward.
    const Vec3 cmc = wrist + hd * 0.022 + hl * 0.024 + hn * 0.004;
    Vec3 tdir = normalize(hd * 0.72 + hl * 0.55 + hn * 0.38);
    const double len[3] = {0.044, 0.032, 0.027};
    const double r[4] = {0.0125, 0.0105, 0.0094, 0.0082};
    // The thumbnail faces outward and back, turned about the thumb's axis.
    const Vec3 back = normalize(cross(tdir, hn) * 0.2 + hl * 0.55 - hn * 0.8);
    const Vec3 tback = normalize(back - tdir * dot(back, tdir));
    // Flexed a little toward its pad, away from the nail side.
    add_finger(1, cmc, tdir, len, r, rad(5), normalize(cross(tback, tdir)), tback);
    an.landmark_rays.push_back({"finger1_mcp_l", cmc + tdir * 0.044 + tback * 0.05, -tback});
  }
}

void add_leg(Anatomy& an, Builder& b, const LegAxes& leg) {
  const Vec3 hip = leg.hip, knee = leg.knee, ankle = leg.ankle;
  an.hip = hip;
  an.knee = knee;
  an.ankle = ankle;
  const Vec3 thigh_dir = normalize(knee - hip);
  const Vec3 shin_dir = normalize(ankle - knee);
  const Frame thigh_frame = frame_of({1, 0, 0}, thigh_dir, {0, 0, 1});
  const Frame shin_frame = frame_of({1, 0, 0}, shin_dir, {0, 0, 1});
  b.side(cone(hip + Vec3{0.004, 0.0, -0.01}, knee + Vec3{0, 0.05, -0.005}, 0.08, 0.05), 0.04,
         kThigh);
  b.side(ellipsoid(lerp(hip, knee, 0.45) + Vec3{0.006, 0, 0.026}, {0.066, 0.17, 0.052},
                   thigh_frame), 0.03, kThigh);                             // quadriceps
  b.side(ellipsoid(lerp(hip, knee, 0.4) + Vec3{0.002, 0, -0.03}, {0.064, 0.16, 0.05},
                   thigh_frame), 0.03, kThigh);                             // hamstrings
  b.side(ellipsoid(knee + Vec3{-0.03, 0.085, 0.018}, {0.03, 0.052, 0.03}, thigh_frame), 0.02,
         kThigh);                                                           // vastus medialis
  b.side(ellipsoid(hip + Vec3{-0.028, -0.1, 0.004}, {0.042, 0.12, 0.052}, thigh_frame), 0.03,
         kThigh);                                                           // adductors
  b.side(ell(knee, {0.047, 0.05, 0.045}), 0.025, kShin);                    // knee joint
  b.side(ellipsoid(knee + Vec3{0, 0.012, 0.044}, {0.022, 0.026, 0.012}, thigh_frame), 0.012,
         kShin);                                                            // patella
  b.side(cone(knee - Vec3{0, 0.03, 0}, ankle + Vec3{0, 0.045, -0.004}, 0.045, 0.026), 0.02, kShin);
  b.side(cone(ankle + Vec3{0, 0.05, -0.004}, ankle + Vec3{0, -0.01, -0.004}, 0.026, 0.027), 0.02,
         kShin);                                                            // ankle
  b.side(ellipsoid(knee + Vec3{-0.018, -0.135, -0.036}, {0.034, 0.09, 0.036}, shin_frame), 0.025,
         kShin);                                                            // calf, inner
  b.side(ellipsoid(knee + Vec3{0.017, -0.12, -0.034}, {0.03, 0.08, 0.032}, shin_frame), 0.025,
         kShin);                                                            // calf, outer
  b.side(cone(knee + Vec3{0.0, -0.06, 0.03}, ankle + Vec3{-0.004, 0.09, 0.018}, 0.014, 0.011), 0.02,
         kShin);                                                            // shin ridge
  b.side(cone(ankle + Vec3{0, 0.12, -0.028}, ankle + Vec3{0, -0.025, -0.036}, 0.013, 0.012), 0.028,
         kShin);                                                            // Achilles
  b.side(ell(ankle + Vec3{-0.022, 0.004, 0.002}, {0.011, 0.013, 0.013}), 0.008, kShin);
  b.side(ell(ankle + Vec3{0.024, -0.008, -0.008}, {0.011, 0.013, 0.013}), 0.008, kShin);
}

void add_foot(Anatomy& an, Builder& b, const LegAxes& leg, const FootAxes& foot) {
  const Vec3 ankle = leg.ankle, ff = foot.forward, fl = foot.lateral, heel = foot.heel;
  an.foot_forward = ff;
  const Frame foot_frame = frame_of(fl, {0, 1, 0}, ff);
  b.side(ell(heel, {0.029, 0.032, 0.034}), 0.03, kFoot);
  b.side(ellipsoid(ankle + ff * 0.055 + Vec3{0, -0.045, 0} + fl * 0.004, {0.036, 0.036, 0.07},
                   foot_frame), 0.03, kFoot);                               // midfoot
  b.side(ellipsoid(ankle + ff * 0.122 + Vec3{0, -0.058, 0} + fl * 0.008, {0.045, 0.022, 0.045},
                   foot_frame), 0.025, kFoot);                              // forefoot
  b.side(cone(ankle + ff * 0.02 + Vec3{0, -0.06, 0} + fl * 0.026,
              ankle + ff * 0.125 + Vec3{0, -0.066, 0} + fl * 0.034, 0.016, 0.014, 0.8, {0, 1, 0}),
         0.02, kFoot);                                                      // outer edge
  struct ToeShape {
    double offset, reach, len, r0, r1;
  };
  const ToeShape toes[5] = {{-0.024, 0.15, 0.045, 0.0135, 0.0115},
                           {-0.0015, 0.155, 0.034, 0.0082, 0.0071},
                           {0.0155, 0.149, 0.03, 0.0077, 0.0066},
                           {0.0305, 0.14, 0.026, 0.0072, 0.0062},
                           {0.0435, 0.128, 0.022, 0.0068, 0.0058}};
  an.toe_tip = ankle + ff * (0.15 + 0.045);
  for (int i = 0; i < 5; ++i) {
    const ToeShape& t = toes[i];
    const Vec3 base = ankle + ff * t.reach + fl * t.offset + Vec3{0, -0.064, 0};
    const Vec3 dir = normalize(ff + fl * (0.1 * (i - 1.5) * 0.4) + Vec3{0, -0.18, 0});
    const Vec3 tip = base + dir * t.len;
    b.side(cone(base, tip, t.r0, t.r1, 0.85, {0, 1, 0}), i == 0 ? 0.012 : 0.006, kFoot);
    const std::string n = std::to_string(i + 1);
    const Vec3 up{0, 1, 0};
    Nail nail;
    nail.frame = frame_of(fl, dir, up);
    // Toes are flattened (0.85 of their radius upward); the nail just shows above the top.
    nail.centre = tip - dir * (t.len * (i == 0 ? 0.2 : 0.18)) + up * (t.r1 * 0.5);
    nail.radii = {t.r1 * 0.7, t.len * (i == 0 ? 0.24 : 0.2), t.r1 * 0.38};
    an.foot_nails.push_back(nail);
    an.landmark_rays.push_back({"toe" + n + "_tip_l", tip + dir * 0.05, -dir});
    // Nearest surface points from just inside the toe's sides, as for the fingers.
    const Vec3 corner = tip - dir * (t.len * 0.3) + up * t.r1 * 0.4;
    an.landmark_rays.push_back({"toe" + n + "_nail_medial_l", corner - fl * (t.r1 * 0.75), {}});
    an.landmark_rays.push_back({"toe" + n + "_nail_lateral_l", corner + fl * (t.r1 * 0.75), {}});
    an.landmark_rays.push_back({"toe" + n + "_mtp_l", base + Vec3{0, 0.06, 0}, {0, -1, 0}});
  }
  // Flat sole: a huge sphere below the floor takes away everything under y = 0.
  b.cut_mid(ell({0, -20, 0}, {20, 20, 20}), 0.004);
}

void add_region_bones(Anatomy& an, const ArmAxes& arm, const LegAxes& leg, const FootAxes& foot) {
  const double e = kNeckExtra;
  const Vec3 shoulder = arm.shoulder, elbow = arm.elbow, wrist = arm.wrist;
  const Vec3 hip = leg.hip, knee = leg.knee, ankle = leg.ankle, ff = foot.forward;
  const Vec3 heel_bone = ankle + Vec3{0, -0.045, -0.03};
  // The plane between thigh and shin: through the popliteal crease at the back of the knee,
  // sloping down to below the kneecap at the front.
  const Vec3 crease = knee + Vec3{0, 0, -0.045};
  const Vec3 knee_cut = normalize(Vec3{0, 1, 0.4});
  const RegionBone left[] = {
      {kUpperArm, shoulder, elbow, 0.045},
      {kForearm, elbow, wrist, 0.035},
      {kHand, wrist, an.hand_tip, 0.04},
      {kThigh, hip, knee, 0.075, true, crease, -knee_cut},
      {kShin, knee, ankle, 0.045, true, crease, knee_cut},
      {kFoot, heel_bone, ankle + ff * 0.17 + Vec3{0, -0.06, 0}, 0.035},
  };
  an.bones.push_back({kHead, {0, 1.6 + e, 0.01}, {0, 1.68 + e, -0.01}, 0.085});
  an.bones.push_back({kNeck, {0, 1.44, -0.02}, {0, 1.56 + e, -0.015}, 0.055});
  an.bones.push_back({kTrunk, {0, 0.9, -0.01}, {0, 1.36, -0.01}, 0.14});
  for (const RegionBone& bone : left) {
    an.bones.push_back(bone);
    an.bones.push_back({right_of(bone.group), mirror_x(bone.a), mirror_x(bone.b), bone.radius,
                        bone.has_cut, mirror_x(bone.cut), mirror_x(bone.cut_normal)});
  }
}

// Reliefs placed on the surface found so far.
void add_reliefs(const Anatomy& an, Builder& b) {
  const Shape base = an.shape;
  // Spinal furrow down the back.
  {
    Vec3 prev;
    for (int i = 0; i <= 16; ++i) {
      const double y = 1.43 - i * 0.033;
      const Vec3 s = march(base, {0, y, -0.4}, {0, 0, 1});
      const Vec3 c = s + Vec3{0, 0, -0.0215};
      if (i > 0) b.cut_mid(cone(prev, c, 0.025, 0.025), 0.02);
      prev = c;
    }
  }
  // Navel.
  const Vec3 navel_surface = march(base, {0, 1.02, 0.4}, {0, 0, -1});
  b.cut_mid(ell(navel_surface + Vec3{0, 0, 0.0035}, {0.0068, 0.0085, 0.008}), 0.006);
  // Gluteal cleft.
  {
    const Vec3 top = march(base, {0, 0.95, -0.4}, {0, 0, 1});
    const Vec3 bottom = march(base, {0, 0.80, -0.4}, {0, 0, 1});
    b.cut_mid(cone(top + Vec3{0, 0, -0.012}, bottom + Vec3{0, 0, -0.006}, 0.016, 0.02), 0.012);
  }
}

// Landmark rays by where they start (body frame, metres).
class RayList {
 public:
  explicit RayList(std::vector<LandmarkRay>& rays) : rays_(rays) {}
  void add(const LandmarkRay& ray) { rays_.push_back(ray); }
  void from_front(const std::string& n, double x, double y) {
    rays_.push_back({n, {x, y, 0.5}, {0, 0, -1}});
  }
  void from_back(const std::string& n, double x, double y) {
    rays_.push_back({n, {x, y, -0.5}, {0, 0, 1}});
  }
  void from_side(const std::string& n, double y, double z) {
    rays_.push_back({n, {0.6, y, z}, {-1, 0, 0}, true});
  }
  // Rays from the inner side of a limb start close, between the limbs.
  void toward(const std::string& n, Vec3 target, Vec3 from_dir, double reach = 0.25) {
    rays_.push_back({n, target + normalize(from_dir) * reach, -from_dir});
  }
  size_t size() const { return rays_.size(); }
  LandmarkRay& operator[](size_t i) { return rays_[i]; }

 private:
  std::vector<LandmarkRay>& rays_;
};

void add_head_landmarks(RayList& rays) {
  const double e = kNeckExtra;
  const size_t first = rays.size();  // every head ray is raised with the head
  rays.add({"vertex", {0, 2.2, -0.012}, {0, -1, 0}});
  rays.from_front("hairline_front", 0, 1.708);
  rays.from_front("glabella", 0, 1.650);
  rays.from_front("nasion", 0, 1.638);
  rays.from_front("nose_tip", 0, 1.600);
  rays.from_front("subnasale", 0, 1.583);
  rays.from_front("philtrum", 0, 1.576);
  rays.from_front("lip_upper", 0, 1.5675);
  rays.from_front("lip_lower", 0, 1.555);
  rays.from_front("chin", 0, 1.530);
  rays.from_front("mentolabial", 0, 1.544);  // the groove between the lower lip and the chin
  // The upper lip's edge at the middle of the mouth's line (the line itself is a closed slit).
  rays.from_front("mouth_line", 0, 1.5638);
  // From just in front of the throat (a ray from lower down starts inside the chest).
  rays.add({"chin_under", {0, 1.49, 0.075}, {0, 1, 0}});
  rays.from_back("hairline_back", 0, 1.585);
  rays.from_back("external_occipital", 0, 1.64);
  rays.from_front("mouth_corner_l", 0.0235, 1.5615);
  rays.from_front("eye_inner_l", 0.0185, 1.636);
  rays.from_front("pupil_l", 0.032, 1.635);
  rays.from_front("eye_outer_l", 0.047, 1.635);
  rays.from_front("brow_middle_l", 0.031, 1.654);
  rays.from_front("zygoma_l", 0.032, 1.607);
  rays.from_front("hairline_temple_l", 0.05, 1.697);
  rays.toward("tragus_l", {0.07, 1.622, 0.008}, {1, 0, 0.5});
  rays.toward("ear_front_l", {0.07, 1.626, 0.006}, {1, 0, 0.9});
  rays.add({"ear_apex_l", {0.082, 1.8, -0.018}, {0, -1, 0}});
  // The lowest point of the lobe: nearest to a point just inside its bottom (a ray from below
  // meets the shoulder first).
  rays.add({"ear_lobe_l", {0.074, 1.5902, -0.004}, {}});
  rays.toward("mastoid_l", {0.06, 1.592, -0.035}, {1, -0.2, -0.6});
  rays.toward("mandible_angle_l", {0.052, 1.565, -0.002}, {1, -0.4, 0});
  rays.toward("jaw_muscle_l", {0.05, 1.575, 0.03}, {1, 0, 0.5});
  for (size_t i = first; i < rays.size(); ++i) rays[i].origin.y += e;
}

void add_trunk_landmarks(RayList& rays) {
  const double e = kNeckExtra;
  rays.from_front("adams_apple", 0, 1.502 + e / 2);
  rays.from_front("hyoid", 0, 1.528);  // the hollow above the larynx, under the chin
  rays.from_front("sternal_notch", 0, 1.433);
  rays.from_front("sternal_angle", 0, 1.39);
  rays.from_front("xiphoid", 0, 1.215);
  rays.from_front("navel", 0, 1.02);
  rays.from_front("pubic_symphysis", 0, 0.888);
  // Between the thighs, from below.
  rays.add({"perineum", {0, 0.6, -0.01}, {0, 1, 0}});
  rays.from_front("clavicle_medial_l", 0.025, 1.436);
  rays.from_front("clavicle_mid_l", 0.085, 1.432);
  rays.from_front("clavicle_lateral_l", 0.15, 1.428);
  rays.add({"acromion_l", {0.168, 1.8, -0.012}, {0, -1, 0}});
  rays.from_front("coracoid_l", 0.135, 1.395);
  rays.from_front("nipple_l", 0.098, 1.268);
  rays.from_front("axillary_fold_front_l", 0.145, 1.32);
  rays.from_back("axillary_fold_back_l", 0.145, 1.305);
  // The apex of the armpit as it shows: the top of the hollow between the arm and the chest
  // wall, reached from below. Higher up the arm's mesh runs on into the chest wall and hides it.
  rays.add({"axilla_l", {0.161, 1.15, -0.012}, {0, 1, 0}});
  rays.from_front("costal_margin_l", 0.098, 1.14);
  rays.from_side("rib_free_end_11_l", 1.12, -0.02);
  rays.from_side("rib_free_end_12_l", 1.10, -0.06);
  rays.from_front("asis_l", 0.118, 0.96);
  rays.from_side("iliac_crest_l", 1.0, -0.01);
  rays.from_front("inguinal_mid_l", 0.078, 0.9);
  // Spine: C7 at the base of the neck, about 0.85 of the stature and well above the sternal
  // notch; T3 level with the root of the scapular spine, T7 with the inferior angle; lumbar L4 at
  // the iliac crest level, sacrum below. Each level is the hollow below its spinous process.
  {
    rays.from_back("c7", 0, 1.50);
    const double t1 = 1.476, t12 = 1.13;
    for (int i = 1; i <= 12; ++i)
      rays.from_back("t" + std::to_string(i), 0, t1 + (t12 - t1) * (i - 1) / 11.0);
    for (int i = 1; i <= 5; ++i)
      rays.from_back("l" + std::to_string(i), 0, 1.095 - (i - 1) * 0.0305);
    for (int i = 1; i <= 4; ++i)
      rays.from_back("s" + std::to_string(i), 0, 0.955 - (i - 1) * 0.021);
    rays.from_back("sacral_hiatus", 0, 0.874);
    rays.from_back("coccyx", 0, 0.855);
  }
  rays.from_back("scapula_medial_l", 0.066, 1.413);
  rays.from_back("scapula_spine_root_l", 0.068, 1.415);
  rays.from_back("scapula_spine_mid_l", 0.11, 1.425);
  rays.from_back("scapula_inferior_l", 0.095, 1.285);
  rays.from_back("psis_l", 0.042, 0.955);
  rays.from_side("greater_trochanter_l", 0.885, -0.01);
  rays.from_back("gluteal_fold_l", 0.065, 0.782);
  rays.from_back("buttock_l", 0.07, 0.86);
}

void add_arm_landmarks(RayList& rays, const ArmAxes& arm, const HandAxes& hand) {
  const Vec3 shoulder = arm.shoulder, elbow = arm.elbow, wrist = arm.wrist;
  const Vec3 hd = hand.along, hn = hand.palm, hl = hand.thumb;
  const Vec3 arm_front{0, 0, 1};
  rays.toward("deltoid_insertion_l", lerp(shoulder, elbow, 0.45) + Vec3{0.03, 0, 0}, {1, 0, 0.3});
  rays.toward("cubital_crease_l", elbow, arm_front);
  rays.toward("cubital_crease_radial_l", elbow + hl * 0.022, arm_front);
  rays.toward("cubital_crease_ulnar_l", elbow - hl * 0.024, arm_front);
  rays.toward("elbow_lateral_l", elbow + Vec3{0.033, 0.002, -0.005}, {1, 0, -0.1});
  rays.toward("elbow_medial_l", elbow + Vec3{-0.036, 0.004, -0.008}, {-1, 0, -0.1}, 0.04);
  rays.toward("olecranon_l", elbow + Vec3{0, 0.01, 0}, {0, 0, -1});
  rays.toward("wrist_crease_l", wrist, arm_front);
  rays.toward("wrist_crease_radial_l", wrist + hl * 0.016, arm_front);
  rays.toward("wrist_crease_ulnar_l", wrist - hl * 0.016, arm_front);
  rays.toward("wrist_dorsal_l", wrist, -arm_front);
  rays.toward("radial_styloid_l", wrist - hd * 0.004 + hl * 0.02, hl);
  rays.toward("ulnar_styloid_l", wrist - hd * 0.004 - hl * 0.02, -hl, 0.04);
  rays.toward("palm_centre_l", wrist + hd * 0.06 + hl * 0.002, hn);
  rays.toward("hand_dorsum_centre_l", wrist + hd * 0.055, -hn);
}

void add_leg_landmarks(RayList& rays, const LegAxes& leg, const FootAxes& foot) {
  const Vec3 knee = leg.knee, ankle = leg.ankle, heel = foot.heel;
  rays.toward("patella_base_l", knee + Vec3{0, 0.037, 0.03}, {0, 0, 1});
  rays.toward("patella_apex_l", knee + Vec3{0, -0.013, 0.03}, {0, 0, 1});
  rays.toward("patella_centre_l", knee + Vec3{0, 0.012, 0.03}, {0, 0, 1});
  rays.toward("knee_eye_lateral_l", knee + Vec3{0.02, -0.022, 0.03}, {0.3, 0, 1});
  rays.toward("knee_eye_medial_l", knee + Vec3{-0.02, -0.022, 0.03}, {-0.3, 0, 1});
  rays.toward("popliteal_crease_l", knee + Vec3{0, 0.0, 0}, {0, 0, -1});
  rays.toward("tibia_medial_condyle_l", knee + Vec3{-0.03, -0.045, 0.0}, {-1, 0, 0.2}, 0.05);
  rays.toward("tibial_tuberosity_l", knee + Vec3{0, -0.05, 0.03}, {0, 0, 1});
  rays.toward("fibula_head_l", knee + Vec3{0.035, -0.04, -0.01}, {1, 0, 0});
  rays.toward("malleolus_medial_l", ankle + Vec3{-0.022, 0.004, 0.002}, {-1, 0, 0}, 0.06);
  rays.toward("malleolus_lateral_l", ankle + Vec3{0.024, -0.008, -0.008}, {1, 0, 0});
  rays.toward("ankle_front_l", ankle + Vec3{0, -0.005, 0.02}, {0, 0.3, 1});
  rays.toward("achilles_l", ankle + Vec3{0, 0.0, -0.04}, {0, 0, -1});
  rays.toward("heel_l", heel, {0, 0, -1});
  rays.add({"sole_l", ankle + Vec3{-0.022, -0.2, 0.002}, {0, 1, 0}});
}

}  // namespace


double RegionBone::distance(Vec3 p) const {
  const Vec3 ab = b - a;
  const double t = std::clamp(dot(p - a, ab) / dot(ab, ab), 0.0, 1.0);
  double d = length(p - (a + ab * t)) - radius;
  return has_cut ? std::max(d, dot(p - cut, cut_normal)) : d;
}

Anatomy make_anatomy() {
  Anatomy an;
  Builder b(an.shape);
  const ArmAxes arm = arm_axes();
  const HandAxes hand = hand_axes(arm);
  const LegAxes leg = leg_axes();
  const FootAxes foot = foot_axes(leg);
  // The order of the parts is the order of the shape's operations.
  add_trunk(b);
  add_neck(b);
  add_head(b);
  add_arm(an, b, arm);
  add_hand(an, b, arm, hand);
  add_leg(an, b, leg);
  add_foot(an, b, leg, foot);
  add_region_bones(an, arm, leg, foot);
  add_reliefs(an, b);
  RayList rays(an.landmark_rays);
  add_head_landmarks(rays);
  add_trunk_landmarks(rays);
  add_arm_landmarks(rays, arm, hand);
  add_leg_landmarks(rays, leg, foot);
  return an;
}
