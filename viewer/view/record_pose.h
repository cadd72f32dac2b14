// The search view an acupoint record brings, as a pose.
#pragma once

#include "atlas/acupoint_record.h"
#include "view/pose.h"

inline Pose record_view(const AcupointRecord& r) {
  return {r.view_tx, r.view_ty, r.view_rot_x, r.view_rot_y, r.view_scale};
}
