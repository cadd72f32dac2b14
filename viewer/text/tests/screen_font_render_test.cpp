// draw_text in a real 800 x 600 GLUT window, checked with glReadPixels: placement, colour, cut-off,
// and the GL state left behind. Natively it runs under Xvfb; the Windows build runs it under wine,
// where the GDI back end draws.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "gl_test_window.h"  // first: brings in <windows.h> and GL on Windows
#include "text/glyph_raster.h"
#include "text/screen_font.h"
#include "text/text_placement.h"

namespace {

using gl_test::kHeight;
using gl_test::kWidth;
const char kSongFace[] = "\xCB\xCE\xCC\xE5";                              // 宋体
const char kSample[] = "Tolvane \xD6\xD0\xB8\xAE [F1] \xB0\xEF\xD6\xFA";  // Tolvane 中府 [F1] 帮助

using Rgb = std::array<int, 3>;

struct Pixels {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  Rgb at(int x, int y) const {
    const std::size_t i = (std::size_t(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
  int lit() const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += at(x, y) != Rgb{0, 0, 0};
    return n;
  }
};

class ScreenFontRender : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gl_test::have_display())
      GTEST_SKIP() << "no X display (run under scripts/with-display.sh)";
    gl_test::open_window();
    ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), kWidth);
    ASSERT_EQ(glutGet(GLUT_WINDOW_HEIGHT), kHeight);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glViewport(0, 0, kWidth, kHeight);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    clear();
  }

  static void clear() {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  static Pixels read() {
    glFinish();
    Pixels p;
    p.width = kWidth;
    p.height = kHeight;
    p.rgb.assign(std::size_t(kWidth) * kHeight * 3, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, p.rgb.data());
    return p;
  }

  static FontFacePtr reference_face() {
    FontRequest request;
    request.face = kSongFace;
    request.height = 15;
    request.weight = 15;
    return create_font_face(request);
  }

  // Every window pixel is the text colour exactly where the font engine's own bitmap of the
  // text, put with its lower-left corner at (left, bottom), has ink, and black elsewhere.
  static void expect_text_at(const Pixels& p, const TextBitmap& text, int left, int bottom,
                             Rgb colour) {
    int wrong = 0, ink = 0;
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        const bool want = text.ink(x - left, bottom + text.height() - 1 - y);
        const Rgb got = p.at(x, y);
        ink += want;
        if (got != (want ? colour : Rgb{0, 0, 0}) && ++wrong <= 5) {
          ADD_FAILURE() << "pixel " << x << "," << y << " is " << got[0] << "," << got[1] << ","
                        << got[2] << (want ? " where ink was expected" : " outside the text");
        }
      }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(ink, 0) << "nothing of the text falls inside the window";
  }
};

TEST_F(ScreenFontRender, TextLandsAtTwiceTheArgumentsWithTheCellTwoPixelsLowerInItsColour) {
  ScreenFont font;
  font.make_font(kSongFace, 15, 15, false, false, false);
  FontFacePtr reference = reference_face();
  ASSERT_NE(reference, nullptr);
  const TextBitmap text = rasterise_text(reference.get(), kSample);
  ASSERT_FALSE(text.empty());

  struct Case {
    int x, y;
    Rgb colour;
  };
  const Case cases[] = {
      {1, 20, {255, 255, 0}},      // 2 from the left edge, cell bottom 38 above the window bottom
      {40, 255, {10, 200, 30}},    // 80 from the left, cell bottom at 508
      {370, 20, {255, 255, 255}},  // starts inside, cut at the right edge
      {1, 299, {0, 128, 255}},     // reference point 598 up: the cell runs out at the top
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("draw_text(" + std::to_string(c.x) + ", " + std::to_string(c.y) + ")");
    clear();
    font.set_colour(c.colour[0], c.colour[1], c.colour[2]);
    font.draw_text(c.x, c.y, kWidth, kHeight, kSample);
    const ViewportPoint cell = cell_origin_in_viewport(c.x, c.y, kWidth, kHeight, kWidth, kHeight);
    expect_text_at(read(), text, int(cell.x), int(cell.y), c.colour);
  }
}

TEST_F(ScreenFontRender, TheFrameIsStretchedOverTheViewportWhileTheTextKeepsItsPixelSize) {
  ScreenFont font;
  font.make_font(kSongFace, 15, 15, false, false, false);
  FontFacePtr reference = reference_face();
  ASSERT_NE(reference, nullptr);
  glViewport(0, 0, kWidth / 2, kHeight / 2);
  font.draw_text(200, 150, kWidth, kHeight, "\xD6\xD0\xB8\xAE");  // (400, 300) of the frame
  expect_text_at(read(), rasterise_text(reference.get(), "\xD6\xD0\xB8\xAE"), 200, 148,
                 {255, 255, 255});
}

TEST_F(ScreenFontRender, InABarTheFramesHeightIsSpreadOver35PixelsWhileTheCellKeepsItsSize) {
  ScreenFont font;
  font.make_font(kSongFace, 15, 15, false, false, false);
  FontFacePtr reference = reference_face();
  ASSERT_NE(reference, nullptr);
  // The bottom bar's tip at (1, 150): 300 of 600 units up a 35-pixel bar is 17.5 pixels, so
  // the cell's bottom falls at 15.5, between two rows; the bitmap's rows land on whole pixels.
  glViewport(0, 0, kWidth, 35);
  font.set_colour(255, 255, 0);
  font.draw_text(1, 150, kWidth, kHeight, kSample);
  const ViewportPoint cell = cell_origin_in_viewport(1, 150, kWidth, kHeight, kWidth, 35);
  ASSERT_DOUBLE_EQ(cell.y, 15.5);
  expect_text_at(read(), rasterise_text(reference.get(), kSample), 2, 15, {255, 255, 0});
}

TEST_F(ScreenFontRender, NothingIsDrawnForAReferencePointBeyondTheFrameOrAnEmptyText) {
  ScreenFont font;
  font.make_font(kSongFace, 15, 15, false, false, false);
  struct Case {
    int x, y;
    const char* text;
  };
  const Case cases[] = {{401, 20, kSample}, {1, 301, kSample}, {-1, 20, kSample},
                        {1, -1, kSample},   {1, 20, ""},       {200, 150, ""}};
  for (const Case& c : cases) {
    clear();
    font.draw_text(c.x, c.y, kWidth, kHeight, c.text);
    EXPECT_EQ(read().lit(), 0) << "draw_text(" << c.x << ", " << c.y << ", \"" << c.text << "\")";
  }
}

TEST_F(ScreenFontRender, AfterDrawingTheColourIsWhiteTheUnpackAlignmentOneAndTheMatricesKept) {
  ScreenFont font;
  font.make_font(kSongFace, 15, 15, false, false, false);
  font.set_colour(255, 255, 0);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-3, 3, -2, 2, 1.5, 20);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0.5f, -0.25f, -5.0f);
  std::array<float, 16> projection{}, modelview{};
  glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview.data());

  struct Case {
    int x, y;
    const char* text;
  };
  for (const Case& c : {Case{1, 20, kSample}, Case{401, 20, kSample}, Case{1, 20, ""}}) {
    glColor3f(0.2f, 0.4f, 0.6f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    font.draw_text(c.x, c.y, kWidth, kHeight, c.text);
    float colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[1], 1.0f);
    EXPECT_FLOAT_EQ(colour[2], 1.0f);
    GLint alignment = 0, mode = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(alignment, 1);
    EXPECT_EQ(mode, GL_MODELVIEW);
    std::array<float, 16> p{}, m{};
    glGetFloatv(GL_PROJECTION_MATRIX, p.data());
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    EXPECT_EQ(p, projection);
    EXPECT_EQ(m, modelview);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  }
  EXPECT_EQ(font.colour, 0x00FFFFu);  // drawing does not touch the font's own colour
}

TEST_F(ScreenFontRender, TwoByteCharactersAreDrawnAsSingleIdeographs) {
  ScreenFont font;
  font.make_font(kSongFace, 15, 15, false, false, false);
  FontFacePtr reference = reference_face();
  ASSERT_NE(reference, nullptr);
  const int cell = rasterise_text(reference.get(), "\xD6\xD0").height();
  font.draw_text(1, 20, kWidth, kHeight, "\xD6\xD0");  // 中
  const Pixels p = read();
  // One ideograph, not two narrow characters: ink over most of an em with no blank column
  // inside it, and a middle stroke that runs through most of the cell.
  int left = kWidth, right = -1, longest = 0;
  std::vector<int> column_ink;
  for (int x = 0; x < 40; ++x) {
    int run = 0;
    for (int y = 38; y < 38 + cell; ++y) run += p.at(x, y) != Rgb{0, 0, 0};
    column_ink.push_back(run);
    if (run > 0) {
      left = std::min(left, x);
      right = std::max(right, x);
    }
    longest = std::max(longest, run);
  }
  ASSERT_GE(right, left) << "no ink";
  EXPECT_EQ(p.lit(), [&] {
    int n = 0;
    for (int v : column_ink) n += v;
    return n;
  }()) << "ink outside the cell";
  EXPECT_GE(left, 2);
  EXPECT_GE(right - left + 1, cell / 2) << "cell " << cell;
  EXPECT_LE(right - left + 1, cell + 1) << "cell " << cell;
  for (int x = left; x <= right; ++x) EXPECT_GT(column_ink[x], 0) << "blank column " << x;
  EXPECT_GE(longest, cell * 6 / 10) << "cell " << cell;
}

TEST_F(ScreenFontRender, WithoutAFontTheDefaultFontDrawsAndReplacingTheFontKeepsDrawing) {
  ScreenFont font;
  font.draw_text(1, 20, kWidth, kHeight, "Tolvane");
  EXPECT_GT(read().lit(), 10);
  for (int i = 0; i < 3; ++i) {  // as the three windows' initialisations do
    FontFace* made = font.make_font(kSongFace, 15, 15, false, false, false);
    EXPECT_NE(made, nullptr);
  }
  clear();
  font.draw_text(1, 20, kWidth, kHeight, "Tolvane");
  EXPECT_GT(read().lit(), 10);
}

}  // namespace
