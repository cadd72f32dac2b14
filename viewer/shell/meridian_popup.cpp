#include "shell/meridian_popup.h"

#include <GL/glut.h>

#include "atlas/meridian_menu_model.h"
#include "atlas/popup_menu_state.h"
#include "shell/font.h"
#include "shell/viewer_windows.h"
#include "view/camera.h"
#include "view/views.h"

namespace {

constexpr float kBackground[3] = {0.172f, 0.239f, 0.270f};
constexpr float kHighlight[3] = {0.36f, 0.47f, 0.52f};
constexpr int kTextLeft = 10;
constexpr int kTextRaise = 6;  // reference point above the entry's bottom: centres the 15 px cell

int popup_window = 0;
PopupMenuState popup;

// A small triangle centred in the arrow row whose top is row_top (GL rows, bottom up).
void draw_arrow(int w, int row_top, bool up) {
  const float cx = w / 2.0f;
  const float mid = row_top - PopupGeometry::kArrowHeight / 2.0f;
  const float tip = up ? mid + 4 : mid - 4;
  const float base = up ? mid - 4 : mid + 4;
  glBegin(GL_TRIANGLES);
  glVertex2f(cx - 6, base);
  glVertex2f(cx + 6, base);
  glVertex2f(cx, tip);
  glEnd();
}

void display_popup() {
  const PopupGeometry& g = popup.geometry();
  const int w = PopupGeometry::kWidth, h = g.height();
  glClearColor(kBackground[0], kBackground[1], kBackground[2], 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w, 0, h, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  if (popup.highlighted() >= 0 && g.entry_shown(popup.highlighted())) {
    const int bottom = h - g.entry_top(popup.highlighted()) - PopupGeometry::kEntryHeight;
    glColor3fv(kHighlight);
    glRecti(0, bottom, w, bottom + PopupGeometry::kEntryHeight);
  }
  glColor3f(1, 1, 1);
  glBegin(GL_LINE_LOOP);
  glVertex2f(0.5f, 0.5f);
  glVertex2f(w - 0.5f, 0.5f);
  glVertex2f(w - 0.5f, h - 0.5f);
  glVertex2f(0.5f, h - 0.5f);
  glEnd();
  if (g.scrolls()) {
    draw_arrow(w, h - PopupGeometry::kPadding, true);
    draw_arrow(w, PopupGeometry::kPadding + PopupGeometry::kArrowHeight, false);
  }
  for (int i = g.first; i < g.first + g.shown; ++i) {
    const int bottom = h - g.entry_top(i) - PopupGeometry::kEntryHeight;
    int x = 0, y = 0;
    reference_for_pixel(kTextLeft, bottom + kTextRaise, w, h, x, y);
    screen_font.draw_text(x, y, 800, 600, kMeridianEntries[i].text);
  }
  glutSwapBuffers();
}

void with_popup_window(void (*action)()) {
  const int previous = glutGetWindow();
  glutSetWindow(popup_window);
  action();
  glutSetWindow(previous);
}

void apply(const PopupResult& r) {
  if (r.closed) with_popup_window(glutHideWindow);
  else if (r.redraw) with_popup_window(glutPostRedisplay);
  if (r.chosen) on_meridian_menu(r.chosen);
}

void show_popup() {
  const PopupGeometry& g = popup.geometry();
  glutPositionWindow(g.left, g.top);
  glutReshapeWindow(PopupGeometry::kWidth, g.height());
  glutShowWindow();
  glutPopWindow();  // above the bars, which were created after it
  glutPostRedisplay();
}

// The pop-up's own window passes its events on in main window pixels.
void popup_mouse(int button, int state, int x, int y) {
  meridian_popup_mouse(button, state, x + popup.geometry().left, y + popup.geometry().top, false);
}
void popup_motion(int x, int y) {
  meridian_popup_motion(x + popup.geometry().left, y + popup.geometry().top);
}
void popup_keyboard(unsigned char key, int, int) { meridian_popup_keyboard(key); }
void popup_special(int key, int, int) { meridian_popup_special(key); }

}  // namespace

void build_meridian_menu() {
  const int parent = glutGetWindow();
  popup_window = glutCreateSubWindow(parent, 0, 0, PopupGeometry::kWidth,
                                     popup.geometry().height());
  glutDisplayFunc(display_popup);
  glutMouseFunc(popup_mouse);
  glutMotionFunc(popup_motion);
  glutPassiveMotionFunc(popup_motion);
  glutKeyboardFunc(popup_keyboard);
  glutSpecialFunc(popup_special);
  glutHideWindow();
  glutSetWindow(parent);
}

void on_meridian_menu(int value) {
  current_meridian = value;
  const EntryView view = entry_view(value);
  if (!view.keeps_view) {
    meridian_tx = view.tx;
    meridian_ty = view.ty;
    meridian_rot_x = view.rot_x;
    meridian_rot_y = view.rot_y;
    meridian_scale = view.scale;
  }
  glutSetWindow(main_window);
  glutPostRedisplay();
}

bool meridian_popup_mouse(int button, int state, int x, int y, bool in_main_window) {
  if (popup_window == 0) return false;
  if (!popup.takes_input()) {
    if (button != GLUT_RIGHT_BUTTON) return false;
    if (state == GLUT_DOWN && in_main_window) {
      popup.open_at(x, y, window_width, window_height, kBarHeight);
      with_popup_window(show_popup);
    }
    return true;
  }
  if (button == kWheelUpButton || button == kWheelDownButton) {
    if (state == GLUT_DOWN) apply(popup.wheel(button == kWheelUpButton ? 1 : -1));
  } else {
    apply(state == GLUT_DOWN ? popup.press(x, y) : popup.release(x, y));
  }
  return true;
}

bool meridian_popup_motion(int x, int y) {
  if (!popup.takes_input()) return false;
  apply(popup.motion(x, y));
  return true;
}

bool meridian_popup_keyboard(unsigned char key) {
  if (!popup.shown()) return false;
  const PopupKey k = key == 27 ? PopupKey::kEscape : key == 13 ? PopupKey::kEnter : PopupKey::kOther;
  apply(popup.key(k));
  return true;
}

bool meridian_popup_special(int key) {
  if (!popup.shown()) return false;
  apply(popup.key(key == GLUT_KEY_UP     ? PopupKey::kUp
                  : key == GLUT_KEY_DOWN ? PopupKey::kDown
                                         : PopupKey::kOther));
  return true;
}

void close_meridian_popup() {
  if (!popup.takes_input()) return;
  const bool was_shown = popup.shown();
  popup.close();
  if (was_shown) with_popup_window(glutHideWindow);
}
