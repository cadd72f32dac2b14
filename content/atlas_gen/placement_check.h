// Measures a placed acupoint back against its own location rule: how far it lies from where the
// rule points, in the rule's cun, and whether it lies on the body part the rule measures on.
#pragma once

#include <string>
#include <vector>

#include "atlas_gen/placement.h"
#include "atlas_gen/source_table.h"
#include "body/body.h"

struct PlacementMeasure {
  // Distance from the rule's target across the direction in which the rule looks for the skin
  // (along it the point is free to move onto the skin), in the rule's cun (the chest's for a
  // line of a few proportional parts).
  double off_cun = 0;
  // Lines: where the point projects onto the line, in the line's parts from its start (the
  // rule's `along`), and how far that is from the rule's, in cun.
  bool on_line = false;
  double along_cun = 0;
  double along_off_cun = 0;
  bool under_skin = false;           // on a surface hidden inside another mesh
  std::vector<std::string> meshes;   // the meshes the point lies on
  std::vector<std::string> allowed;  // the meshes of the body part the rule measures on
  bool on_part = false;
};

// The largest errors a placed point may show: across its rule, and along a line.
constexpr double kMostOffCun = 0.3;
constexpr double kMostAlongCun = 0.3;

class PlacementChecker {
 public:
  explicit PlacementChecker(const Body& body);
  // False with a message when the rule cannot be evaluated (an unknown landmark).
  bool measure(const LocationRule& rule, Vec3 point, PlacementMeasure* out,
               std::string* error) const;
  // Empty when the measure is within the tolerances, else what is wrong.
  static std::string problem(const LocationRule& rule, const PlacementMeasure& m);

 private:
  std::vector<std::string> meshes_at(Vec3 p) const;
  std::vector<std::string> part_of(const LocationRule& rule, const RuleTarget& t) const;

  const Body& body_;
  std::vector<Body> singles_;  // one body per mesh, for the mesh a point lies on
};
