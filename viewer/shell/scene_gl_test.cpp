// The shell's GL side in this process on the test's X display: the pose as GL applies it, the
// main window's projection and its guards, and the bars following a resize.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "shell/pose_gl.h"
#include "shell/scene.h"
#include "shell/start_up.h"
#include "shell/viewer_windows.h"
#include "view/camera.h"
#include "view/pose.h"

namespace {

// Runs GLUT's event handling until done() holds or ten seconds have passed.
template <typename Done>
bool pump_until(Done done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done() && std::chrono::steady_clock::now() < end) {
    glutMainLoopEvent();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return done();
}

Matrix4 gl_matrix(GLenum which) {
  GLdouble m[16];
  glGetDoublev(which, m);
  Matrix4 out;
  for (int i = 0; i < 16; ++i) out[size_t(i)] = m[i];
  return out;
}

// GL keeps its matrices in single precision.
void expect_matrix_near(const Matrix4& actual, const Matrix4& expected, double tolerance) {
  for (int i = 0; i < 16; ++i)
    EXPECT_NEAR(actual[size_t(i)], expected[size_t(i)], tolerance) << "element " << i;
}

Matrix4 ortho(const OrthoBox& b) {
  Matrix4 m{};
  m[0] = 2 / (b.right - b.left);
  m[5] = 2 / (b.top - b.bottom);
  m[10] = -2 / (b.far_z - b.near_z);
  m[12] = -(b.right + b.left) / (b.right - b.left);
  m[13] = -(b.top + b.bottom) / (b.top - b.bottom);
  m[14] = -(b.far_z + b.near_z) / (b.far_z - b.near_z);
  m[15] = 1;
  return m;
}

class SceneGlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    int argc = 1;
    char name[] = "shell_scene_gl_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    open_viewer_windows();
    pump_until([] { return window_width != 0; });
  }

  void SetUp() override {
    ASSERT_EQ(window_width, 800) << "the main window was never reshaped";
    glutSetWindow(main_window);
  }
};

TEST_F(SceneGlTest, ApplyPoseMatchesThePoseMatrix) {
  const Pose poses[] = {
      {},
      {0.0f, -3.299999f, 0, 0, 3.0f},
      {1.5f, -0.5f, 30, -45, 2.2f},
      {-2, 1, -370, 725, -7.30157e-08f},
      {0.25f, 0.75f, 90, 90, -1.5f},
  };
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  for (const Pose& p : poses) {
    glLoadIdentity();
    apply_pose(p);
    expect_matrix_near(gl_matrix(GL_MODELVIEW_MATRIX), pose_matrix(p), 1e-5);
  }
  glPopMatrix();
}

TEST_F(SceneGlTest, ReshapeKeepsOneSceneUnitPerHundredPixelsAndIgnoresAnEmptyWindow) {
  expect_matrix_near(gl_matrix(GL_PROJECTION_MATRIX), ortho(main_window_box(800, 600)), 1e-6);

  // A minimised window reports 0: the size and the box stay, nothing divides by zero later.
  reshape_main(0, 0);
  reshape_main(640, 0);
  EXPECT_EQ(window_width, 800);
  EXPECT_EQ(window_height, 600);
  glutSetWindow(main_window);
  expect_matrix_near(gl_matrix(GL_PROJECTION_MATRIX), ortho(main_window_box(800, 600)), 1e-6);
}

TEST_F(SceneGlTest, BarsFollowTheMainWindowsWidthAndBottomEdge) {
  glutReshapeWindow(1000, 700);
  ASSERT_TRUE(pump_until([] { return window_width == 1000 && window_height == 700; }));
  ASSERT_TRUE(pump_until([] { return top_bar_half_width == 5.0f && bottom_bar_half_width == 5.0f; }));
  EXPECT_FLOAT_EQ(top_bar_half_height, 0.175f);
  EXPECT_FLOAT_EQ(bottom_bar_half_height, 0.175f);
  glutSetWindow(main_window);
  expect_matrix_near(gl_matrix(GL_PROJECTION_MATRIX), ortho(main_window_box(1000, 700)), 1e-6);

  const struct {
    int window, x, y;
  } bars[] = {{top_bar, 0, 0}, {bottom_bar, 0, 700 - kBarHeight}};
  for (const auto& bar : bars) {
    glutSetWindow(bar.window);
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 1000);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), kBarHeight);
    EXPECT_EQ(glutGet(GLUT_WINDOW_X), bar.x);
    EXPECT_EQ(glutGet(GLUT_WINDOW_Y), bar.y);
    expect_matrix_near(gl_matrix(GL_PROJECTION_MATRIX), ortho(bar_box(1000, kBarHeight)), 1e-6);
  }
  glutSetWindow(main_window);
  glutReshapeWindow(800, 600);
  ASSERT_TRUE(pump_until([] { return window_width == 800 && bottom_bar_half_width == 4.0f; }));
}

TEST_F(SceneGlTest, FrameLeavesTheCameraAndTheSceneStateOn) {
  display_main();
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
  // Eye at (0, 0, 50) looking at the origin: a pure shift of -50 along Z.
  Matrix4 camera{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -kEyeZ, 1};
  expect_matrix_near(gl_matrix(GL_MODELVIEW_MATRIX), camera, 1e-6);

  GLfloat ambient[4], specular[4], shininess;
  glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glGetMaterialfv(GL_FRONT, GL_SPECULAR, specular);
  glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ambient[i], 1.0f);
  EXPECT_EQ(specular[0], 1.0f);
  EXPECT_EQ(specular[1], 1.0f);
  EXPECT_EQ(specular[2], 0.0f);
  EXPECT_EQ(shininess, 50.0f);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
