// The body's shape as a signed-distance model on a skeleton, in metres: floor at y = 0, the body
// facing +Z, its left side at +X. Only the left limbs are modelled; the right ones are mirrors.
#pragma once

#include <string>
#include <vector>

#include "body/sdf.h"

// How much longer the neck is than the skeleton the head was first set on: the head and
// everything on it stand this much higher (metres).
constexpr double kNeckExtra = 0.018;
// The body's height in metres, soles to the top of the head.
constexpr double kStature = 1.75 + kNeckExtra;

enum BodyGroup {
  kHead, kNeck, kTrunk, kUpperArm, kForearm, kHand, kThigh, kShin, kFoot,
  kUpperArmR, kForearmR, kHandR, kThighR, kShinR, kFootR, kGroupCount
};

// A landmark found by casting a ray at the surface: the first hit from `origin` along `dir`.
// Names without a side are on the midline; names of left landmarks end in "_l" and get a
// mirrored "_r" twin.
// A zero `dir` asks for the surface point nearest to `origin` instead. `skip_arms` ignores the
// arm and hand meshes (rays at the side of the trunk pass the arms first).
struct LandmarkRay {
  std::string name;
  Vec3 origin, dir;
  bool skip_arms = false;
};

// A nail: a flattened ellipsoid lying on the back of a finger or toe tip.
struct Nail {
  Vec3 centre, radii;
  Frame frame;
};

// The bone of a region: the surface belongs to the region whose bone (a capsule) is nearest,
// which gives clean, smooth borders between the meshes. A bone may also end at a plane (`cut`,
// `cut_normal` pointing out of the region): the thigh and the shin meet at the knee's crease,
// which the thigh's thicker bone alone would pass at the back of the knee.
struct RegionBone {
  BodyGroup group;
  Vec3 a, b;
  double radius;
  bool has_cut = false;
  Vec3 cut{}, cut_normal{};
  double distance(Vec3 p) const;
};

struct Anatomy {
  Shape shape;
  std::vector<RegionBone> bones;  // both sides
  std::vector<LandmarkRay> landmark_rays;
  std::vector<Nail> hand_nails;  // left hand
  // Left hand, index to little finger then the thumb: each digit's base and its three joints out
  // to the tip, and the direction its nail (dorsal side) faces.
  std::vector<std::vector<Vec3>> hand_digit_joints;
  std::vector<Vec3> hand_digit_dorsal;
  std::vector<Nail> foot_nails;  // left foot
  // Points along each limb's axis (left side), used for texture mapping and the leg spans.
  Vec3 shoulder, elbow, wrist, hand_tip, hip, knee, ankle, toe_tip;
  Vec3 hand_palm_normal, hand_lateral, foot_forward;
};

Anatomy make_anatomy();
