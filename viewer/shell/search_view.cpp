#include "shell/search_view.h"

#include <GL/glut.h>

#include "atlas/acupoint_table.h"
#include "atlas/pinyin_search.h"
#include "shell/markers.h"
#include "shell/pose_gl.h"
#include "shell/scene_lists.h"
#include "shell/search_line.h"
#include "view/views.h"

int find_pending_query() { return find_pinyin_code(pending_query, acupoints, acupoint_count); }

int find_by_code(int code) { return find_code_index(code, acupoints, acupoint_count); }

void show_in_search_view(int index) {
  const AcupointRecord& r = acupoints[index];
  search_tx = r.view_tx;
  search_ty = r.view_ty;
  search_rot_x = r.view_rot_x;
  search_rot_y = r.view_rot_y;
  search_scale = r.view_scale;
  marker_position[0] = r.x;
  marker_position[1] = r.y;
  marker_position[2] = r.z;
  selected_acupoint = index;
}

void draw_search_view() {
  const int code = find_pending_query();
  if (code != 0) show_in_search_view(find_by_code(code));
  glPushMatrix();
  apply_pose(search_view_pose());
  draw_body();
  glPopMatrix();
  draw_search_marker(selected_acupoint);
}
