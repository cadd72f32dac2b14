#include "atlas/meridian_popup.h"

#include <GL/glut.h>

#include "atlas/atlas.h"
#include "atlas/meridian_menu_model.h"
#include "shell/camera.h"
#include "shell/viewer_state.h"

namespace {

constexpr float kBackground[3] = {0.172f, 0.239f, 0.270f};
constexpr float kHighlight[3] = {0.36f, 0.47f, 0.52f};
constexpr int kTextLeft = 10;
constexpr int kTextRaise = 6;  // reference point above the entry's bottom: centres the 15 px cell

int popup_window = 0;
bool popup_open = false;
PopupGeometry geometry;
int highlighted = -1;

void fill_rect(int left, int bottom, int width, int height) {
  glRecti(left, bottom, left + width, bottom + height);
}

void display_popup() {
  const int w = PopupGeometry::kWidth, h = geometry.height();
  glClearColor(kBackground[0], kBackground[1], kBackground[2], 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w, 0, h, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  if (highlighted >= 0) {
    glColor3fv(kHighlight);
    fill_rect(0, h - PopupGeometry::entry_top(highlighted) - PopupGeometry::kEntryHeight, w,
              PopupGeometry::kEntryHeight);
  }
  glColor3f(1, 1, 1);
  glBegin(GL_LINE_LOOP);
  glVertex2f(0.5f, 0.5f);
  glVertex2f(w - 0.5f, 0.5f);
  glVertex2f(w - 0.5f, h - 0.5f);
  glVertex2f(0.5f, h - 0.5f);
  glEnd();
  for (int i = 0; i < kMeridianCount; ++i) {
    const int bottom = h - PopupGeometry::entry_top(i) - PopupGeometry::kEntryHeight;
    int x = 0, y = 0;
    reference_for_pixel(kTextLeft, bottom + kTextRaise, w, h, x, y);
    screen_font.draw_text(x, y, 800, 600, kMeridianEntries[i].text);
  }
  glutSwapBuffers();
}

void show_highlight(int entry) {
  if (entry == highlighted) return;
  highlighted = entry;
  glutSetWindow(popup_window);
  glutPostRedisplay();
  glutSetWindow(main_window);
}

// Events reach the pop-up's own window only where the platform does not keep the pointer with
// the main window while the button is held; they are passed on in main window pixels.
void popup_mouse(int button, int state, int x, int y) {
  if (button == GLUT_RIGHT_BUTTON && state == GLUT_UP) {
    release_meridian_popup(x + geometry.left, y + geometry.top);
  }
}

void popup_motion(int x, int y) { track_meridian_popup(x + geometry.left, y + geometry.top); }

}  // namespace

void build_meridian_menu() {
  const int parent = glutGetWindow();
  popup_window = glutCreateSubWindow(parent, 0, 0, PopupGeometry::kWidth, geometry.height());
  glutDisplayFunc(display_popup);
  glutMouseFunc(popup_mouse);
  glutMotionFunc(popup_motion);
  glutHideWindow();
  glutSetWindow(parent);
}

bool meridian_popup_open() { return popup_open; }

void open_meridian_popup(int x, int y) {
  if (popup_window == 0) return;
  geometry = place_popup(x, y, window_width, kBarHeight, window_height - kBarHeight);
  highlighted = geometry.entry_at(x, y);
  popup_open = true;
  glutSetWindow(popup_window);
  glutPositionWindow(geometry.left, geometry.top);
  glutReshapeWindow(PopupGeometry::kWidth, geometry.height());
  glutShowWindow();
  glutPopWindow();  // above the bars, which were created after it
  glutPostRedisplay();
  glutSetWindow(main_window);
}

void track_meridian_popup(int x, int y) {
  if (popup_open) show_highlight(geometry.entry_at(x, y));
}

void release_meridian_popup(int x, int y) {
  if (!popup_open) return;
  popup_open = false;
  const int entry = geometry.entry_at(x, y);
  highlighted = -1;
  glutSetWindow(popup_window);
  glutHideWindow();
  glutSetWindow(main_window);
  if (entry >= 0) on_meridian_menu(kMeridianEntries[entry].value);
}
