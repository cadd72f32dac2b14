#include "shell/start_up.h"

#include <GL/freeglut.h>

#include <cstdio>

#include "model/model_gl.h"
#include "shell/atlas_load.h"
#include "shell/bars.h"
#include "shell/body.h"
#include "shell/font.h"
#include "shell/input.h"
#include "shell/meridian_popup.h"
#include "shell/pick.h"
#include "shell/scene.h"
#include "shell/scene_lists.h"
#include "shell/viewer_windows.h"
#include "text/console.h"
#include "view/camera.h"

void init_main() {
  glClearColor(kMainBackground[0], kMainBackground[1], kMainBackground[2], kMainBackground[3]);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_DEPTH_TEST);

  write_console_line(stdout, kReadingModelText);
  model_reader.load_3ds_model(body_model, kModelFile);  // a failure has printed its message
  load_material_textures(body_model);
  make_body_lists();
  screen_font.make_font(kFontFace, kFontHeight, kFontWeight, false, false, false);
  load_atlas();
  build_meridian_menu();
  write_console_line(stdout, kReadingDoneText);
}

void open_viewer_windows() {
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(800, 600);
  glutInitWindowPosition(10, 10);
  main_window = glutCreateWindow("Tolvane");
  init_main();
  glutDisplayFunc(display_main);
  glutReshapeFunc(reshape_main);
  // The window's lists go while its context is still current.
  glutCloseFunc(release_scene_lists);
  glutSpecialFunc(special_key);
  glutKeyboardFunc(keyboard);
  glutMouseFunc(mouse_button);
  glutMotionFunc(mouse_drag);
  glutPassiveMotionFunc(hover_pick);
  // Selection buffers belong to a GL context: this one is the main window's, where picks run.
  glSelectBuffer(kSelectBufferSize, select_buffer);

  top_bar = glutCreateSubWindow(main_window, 0, 0, 800, kBarHeight);
  init_top_bar();
  glutDisplayFunc(display_top_bar);
  glutReshapeFunc(reshape_top_bar);
  register_bar_input(false);

  bottom_bar = glutCreateSubWindow(main_window, 0, 600 - kBarHeight, 800, kBarHeight);
  init_bottom_bar();
  glutDisplayFunc(display_bottom_bar);
  glutReshapeFunc(reshape_bottom_bar);
  register_bar_input(true);
}
