// Keyboard of the main window and the bars: the search line, the zoom and reset keys, F1 for
// help; the meridian pop-up has the keys while it is open.
#include <GL/glut.h>

#include "atlas/key_rules.h"
#include "shell/input.h"
#include "shell/meridian_popup.h"
#include "shell/search_line.h"
#include "shell/viewer_windows.h"
#include "view/views.h"

bool help_shown;

void keyboard(unsigned char key, int, int) {
  if (meridian_popup_keyboard(key)) return;
  switch (apply_key(key, search_line, pending_query)) {
    case KeyEffect::kIgnored:
      return;
    case KeyEffect::kCommitted:
      leave_meridian_view();
      break;
    case KeyEffect::kZoomIn:
      zoom_in();
      break;
    case KeyEffect::kZoomOut:
      zoom_out();
      break;
    case KeyEffect::kReset:
      reset_views();
      break;
    case KeyEffect::kRedraw:
      break;
  }
  glutPostWindowRedisplay(main_window);  // also from the bars' callbacks
}

void special_key(int key, int, int) {
  if (meridian_popup_special(key)) return;
  if (!is_help_key(key)) return;
  help_shown = !help_shown;
  glutPostWindowRedisplay(main_window);  // also from the bars' callbacks
}
