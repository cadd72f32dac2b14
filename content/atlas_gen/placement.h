// Puts an acupoint of the table on the body's skin from its location rule, and chooses the
// search view that shows it.
#pragma once

#include <string>
#include <vector>

#include "atlas_gen/source_table.h"
#include "atlas_gen/view_fit.h"
#include "body/body.h"

// Bilateral points all go on the body's right side (-X, on the viewer's left while the body
// faces the camera): one side for every point keeps each meridian's markers on one line.
constexpr double kSide = -1;

struct PlacedPoint {
  Vec3 point;   // on the skin, model space
  Vec3 normal;  // outward, smoothed over the neighbourhood
  bool fell_back = false;  // no skin along the rule's direction: the nearest skin was taken
};

// A landmark of a rule: its name without the side suffix picks the generator's side, and "a+b"
// is the point midway between a and b. False with a message when there is no such landmark.
bool find_landmark(const Body& body, const std::string& name, Vec3* p, std::string* error);

// Inside one of the body's closed meshes (they overlap where they join).
bool inside_body(const Body& body, Vec3 p);

// The skin's outward normal at p averaged over its neighbourhood (a triangle's normal is noisy
// on a decimated surface).
Vec3 smoothed_normal(const Body& body, Vec3 p);

// Where a rule points before it is brought onto the skin: the target (inside or beside the body
// part), the direction along which the skin is looked for from it, and the rule's cun there.
struct RuleTarget {
  Vec3 target;
  Vec3 dir;
  double cun = 0;
  bool from_centre = false;   // on the scalp: dir runs out from the middle of the head
  bool along_normal = false;  // face "-": dir is the skin normal nearest the target
};
bool rule_target(const Body& body, const LocationRule& rule, RuleTarget* out, std::string* error);

// False with a message when a landmark of the rule is unknown.
bool place_point(const Body& body, const LocationRule& rule, PlacedPoint* placed,
                 std::string* error);

// True when nothing of the body lies between the point (off the skin) and a viewer looking
// along -dir.
bool seen_from(const Body& body, Vec3 point, Vec3 dir);

// The meshes of the arm or leg (with its hand or foot and nails) that carries the skin point p;
// empty for a point of the trunk, neck or head.
std::vector<std::string> limb_meshes(const Body& body, Vec3 p);

// Of the body seen in the middle of the frame of a view facing `toward_viewer` at `scale` centred
// on point (a third of the window each way), sampled on a grid x grid of lines of sight, the
// share that is not one of the meshes `own`.
double others_share(const Body& body, const std::vector<std::string>& own, Vec3 point,
                    Vec3 toward_viewer, double scale, int grid);

// The view that shows the point from a direction of candidate_directions(normal) that sees it:
// for a point of the trunk, neck or head the first; for a limb point the one that best faces
// the skin, frames little but its own limb, looks across its segment and not up from below.
// `seen` tells whether any direction sees it (if none, the view looks along the normal).
SearchView choose_view(const Body& body, const PlacedPoint& placed, double scale, bool* seen);

// Zoom by region: close on fingers, toes and the face, wider on the trunk.
double view_scale_for(const LocationRule& rule);
