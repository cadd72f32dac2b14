// The shipped body model as data: its meshes, materials, anatomical landmarks and the
// proportional measure (B-cun) derived from them, plus queries against the final surface.
//
// Axes are the viewer's: Y up, the body faces +Z (toward the camera), the body's LEFT side is +X.
// Units are scene units (one unit is 100 pixels at scale 1); the body stands centred on the
// origin, soles at y = -2.5 and the top of the head at y = +2.5, so that it fits the 800 x 600
// window between its two 35-pixel bars with a margin.
//
// Landmarks (Body::landmarks), all points ON the skin surface unless noted. Bilateral ones end in
// "_l" (body's left, +X) or "_r" (body's right, -X); the "_r" point is the mirror of "_l".
//   Midlines: the anterior and posterior midlines are the plane x = 0.
//   Head:  vertex (top of the head), glabella, nasion, nose_tip, subnasale, philtrum,
//          lip_upper, lip_lower, mouth_corner_*, chin (mental protuberance), chin_under,
//          hairline_front (anterior hairline, midline), hairline_back (posterior hairline,
//          midline), hairline_temple_* (corner of the forehead hairline), external_occipital
//          (protuberance), eye_inner_*, eye_outer_*, pupil_* (front of the eye, looking ahead),
//          brow_middle_* (midpoint of the eyebrow), zygoma_* (lower border of the cheekbone
//          below the pupil), tragus_*, ear_apex_*, ear_lobe_*, ear_front_* (front of the ear
//          opening), mastoid_*, mandible_angle_*, jaw_muscle_* (masseter prominence).
//   Neck and trunk (front): adams_apple, sternal_notch (suprasternal notch), sternal_angle,
//          xiphoid (xiphisternal junction), navel, pubic_symphysis (upper border, midline),
//          clavicle_medial_*, clavicle_mid_*, clavicle_lateral_*, acromion_*, coracoid_*
//          (infraclavicular fossa), nipple_*, axillary_fold_front_*, axillary_fold_back_*,
//          axilla_* (apex of the armpit), rib_free_end_11_*, rib_free_end_12_*, costal_margin_*
//          (on the mamillary line), asis_* (anterior superior iliac spine), iliac_crest_*
//          (highest point, side), inguinal_mid_* (middle of the inguinal groove).
//   Back:  c7, t1 ... t12, l1 ... l5, s1 ... s4, coccyx (spinous processes / sacral foramina
//          level, on the posterior midline), scapula_medial_* (medial border at the level of
//          T3), scapula_spine_root_*, scapula_spine_mid_*, scapula_inferior_* (inferior angle,
//          level of T7), psis_* (posterior superior iliac spine), greater_trochanter_*,
//          gluteal_fold_* (middle of the fold), buttock_*.
//   Arms:  deltoid_insertion_*, cubital_crease_* (middle of the elbow crease, front),
//          cubital_crease_radial_*, cubital_crease_ulnar_* (its two ends), elbow_lateral_*
//          (lateral epicondyle), elbow_medial_* (medial epicondyle), olecranon_*,
//          wrist_crease_* (middle of the palmar wrist crease), wrist_crease_radial_*,
//          wrist_crease_ulnar_*, wrist_dorsal_* (middle of the back of the wrist),
//          radial_styloid_*, ulnar_styloid_*, palm_centre_*, hand_dorsum_centre_*,
//          finger<N>_tip_*, finger<N>_mcp_* (knuckle, back of the hand),
//          finger<N>_nail_radial_*, finger<N>_nail_ulnar_* (0.1 cun beside the corners of the
//          nail), with N = 1 thumb, 2 index, 3 middle, 4 ring, 5 little.
//   Legs:  patella_base_* (upper border), patella_apex_* (lower border), patella_centre_*,
//          knee_eye_lateral_*, knee_eye_medial_* (hollows beside the patellar ligament),
//          popliteal_crease_* (middle), tibia_medial_condyle_*, tibial_tuberosity_*,
//          fibula_head_*, malleolus_medial_*, malleolus_lateral_* (most prominent points),
//          ankle_front_* (middle of the front of the ankle crease), achilles_*,
//          heel_* (back of the heel), sole_* (sole below the medial malleolus),
//          toe<N>_tip_*, toe<N>_nail_medial_*, toe<N>_nail_lateral_* (N = 1 big toe ... 5),
//          toe<N>_mtp_* (joint, top of the foot).
//
// Cun regions (Body::cun: the length of one B-cun in scene units, from the standard spans):
//   head_long        hairline_front .. hairline_back = 12 (over the scalp, arc length)
//   head_front       glabella .. hairline_front = 3
//   head_transverse  mastoid_l .. mastoid_r = 9 (round the back of the head, arc length)
//   chest_vertical   sternal_notch .. xiphoid = 9
//   upper_abdomen    xiphoid .. navel = 8
//   lower_abdomen    navel .. pubic_symphysis = 5
//   chest_transverse nipple_l .. nipple_r = 8
//   back_transverse  scapula_medial_l .. scapula_medial_r = 6
//   upper_arm        axillary_fold_front .. cubital_crease = 9
//   forearm          cubital_crease .. wrist_crease = 12
//   thigh_medial     pubic_symphysis .. patella_base (height) = 18
//   leg_medial       patella_apex .. malleolus_medial = 15
//   thigh_lateral    greater_trochanter .. popliteal_crease (height) = 19
//   thigh_posterior  gluteal_fold .. popliteal_crease = 14
//   leg_lateral      popliteal_crease .. malleolus_lateral = 16
//   foot_height      malleolus_medial .. sole = 3
// Except where marked, a span is the straight distance between its two landmarks; vertical
// spans of the leg are measured along the limb.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "body/vec3.h"

struct BodyMaterial {
  std::string name;          // as stored in the 3DS file, upper case
  std::string texture_file;  // upper-case name stored in the model; empty: untextured
  uint8_t colour[3] = {0, 0, 0};
};

struct BodyTriangle {
  int v[3] = {0, 0, 0};  // counter-clockwise seen from outside (right-hand normal points out)
};

struct BodyMesh {
  std::string name;      // 3DS object name
  std::string material;  // name of its material, exactly as in Body::materials
  std::vector<Vec3> vertices;
  std::vector<Vec3> normals;     // unit, outward; for queries (the viewer makes its own)
  std::vector<Vec2> texcoords;   // one per vertex; empty for untextured meshes
  std::vector<BodyTriangle> triangles;
  // The first `shown_triangles` are the skin that shows. The rest is the part that runs on under
  // the neighbouring mesh and closes this one, for the queries; the model file leaves it out,
  // since wherever it came near the skin it would show through as a line along the seam.
  size_t shown_triangles = 0;
};

// The part of a mesh that the model file holds: its shown triangles and the vertices (with
// normals and texture coordinates) that they use.
BodyMesh shown_part(const BodyMesh& mesh);

struct Body {
  std::vector<BodyMaterial> materials;
  std::vector<BodyMesh> meshes;
  std::map<std::string, Vec3> landmarks;
  std::map<std::string, double> cun;

  // The named landmark; aborts with a message naming it when there is no such landmark, since a
  // misspelt name in a location rule is a programming error.
  Vec3 landmark(const std::string& name) const;
  double cun_length(const std::string& region) const;

  // Nearest intersection of the ray origin + t * dir (t > 0) with the final triangle surface.
  // On a hit, stores the point, the outward unit normal of the triangle and the name of its mesh
  // (each may be null).
  bool cast_to_surface(Vec3 origin, Vec3 dir, Vec3* hit, Vec3* normal,
                       std::string* mesh = nullptr) const;
  // The closest point of the triangle surface to p, with its triangle's outward normal.
  Vec3 nearest_surface_point(Vec3 p, Vec3* normal = nullptr) const;

  // Triangle count over all meshes.
  int triangle_count() const;
};

// Builds the whole body deterministically (no randomness beyond fixed seeds); a few seconds.
Body build_body();
