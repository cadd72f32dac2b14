// The GDI back end: the font it asks GDI for, GBK going through code page 936 unchanged, and
// every font handle released.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gl_test_window.h"  // first: brings in <windows.h> and GL
#include "text/glyph_raster.h"
#include "text/mswin/font_face_mswin.h"
#include "text/screen_font.h"

namespace {

const char kSongFace[] = "\xCB\xCE\xCC\xE5";  // 宋体

LOGFONTA logfont_of(const FontFace* face) {
  LOGFONTA font = {};
  EXPECT_NE(GetObjectA(face->handle, sizeof font, &font), 0);
  return font;
}

TEST(GdiFont, TheFontIsAskedForWithTheViewersFieldsAndTheGbkFaceName) {
  ScreenFont font;
  const FontFace* face = font.make_font(kSongFace, 15, 15, false, false, false);
  ASSERT_NE(face, nullptr);
  const LOGFONTA f = logfont_of(face);
  EXPECT_EQ(f.lfHeight, 15);
  EXPECT_EQ(f.lfWidth, 0);
  EXPECT_EQ(f.lfEscapement, 0);
  EXPECT_EQ(f.lfOrientation, 0);
  EXPECT_EQ(f.lfWeight, 15);
  EXPECT_EQ(f.lfItalic, 0);
  EXPECT_EQ(f.lfUnderline, 0);
  EXPECT_EQ(f.lfStrikeOut, 0);
  EXPECT_EQ(f.lfCharSet, 1);
  EXPECT_EQ(f.lfOutPrecision, 4);
  EXPECT_EQ(f.lfClipPrecision, 0);
  EXPECT_EQ(f.lfQuality, 2);
  EXPECT_EQ(f.lfPitchAndFamily, 0x36);
  EXPECT_STREQ(f.lfFaceName, kSongFace);

  const FontFace* styled = font.make_font("Arial", -20, 700, true, true, true);
  ASSERT_NE(styled, nullptr);
  const LOGFONTA s = logfont_of(styled);
  EXPECT_EQ(s.lfHeight, -20);
  EXPECT_EQ(s.lfWeight, 700);
  EXPECT_EQ(s.lfItalic, 1);
  EXPECT_EQ(s.lfUnderline, 1);
  EXPECT_EQ(s.lfStrikeOut, 1);
}

TEST(GdiFont, ALongFaceNameIsCutToTheFieldWithoutSplittingACharacter) {
  struct Case {
    std::string face, stored;
  };
  const std::string ascii(40, 'a');
  // 30 ASCII bytes leave room for one more byte only: the two-byte 宋 does not fit.
  const std::string gbk = std::string(30, 'b') + "\xCB\xCE";
  for (const Case& c :
       {Case{ascii, std::string(31, 'a')}, Case{gbk, std::string(30, 'b')},
        Case{std::string(29, 'c') + "\xCB\xCE", std::string(29, 'c') + "\xCB\xCE"}}) {
    FontRequest request;
    request.face = c.face.c_str();
    request.height = 15;
    FontFacePtr face = create_font_face(request);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(std::string(logfont_of(face.get()).lfFaceName), c.stored);
  }
}

TEST(GdiFont, ReplacingOrDestroyingTheFontReleasesTheHandle) {
  HFONT first, second;
  {
    ScreenFont font;
    first = font.make_font(kSongFace, 15, 15, false, false, false)->handle;
    ASSERT_EQ(GetObjectType(first), DWORD(OBJ_FONT));
    second = font.make_font(kSongFace, 15, 15, false, false, false)->handle;
    EXPECT_EQ(GetObjectType(first), 0u) << "the replaced font leaked";
    EXPECT_EQ(GetObjectType(second), DWORD(OBJ_FONT));
  }
  EXPECT_EQ(GetObjectType(second), 0u) << "the font outlived its ScreenFont";
}

TEST(GdiFont, GbkTextGoesToGdiAsCodePage936Characters) {
  ASSERT_EQ(GetACP(), 936u) << "the viewer's texts need the Chinese code page";
  gl_test::open_window();
  FontRequest request;
  request.face = kSongFace;
  request.height = 15;
  request.weight = 15;
  FontFacePtr face = create_font_face(request);
  ASSERT_NE(face, nullptr);

  HDC dc = wglGetCurrentDC();
  ASSERT_NE(dc, nullptr);
  HGDIOBJ old = SelectObject(dc, face->handle);
  SIZE narrow = {}, wide = {}, ideograph = {};
  GetTextExtentPoint32A(dc, "\xD6\xD0\xB8\xAE", 4, &narrow);  // 中府 as bytes
  GetTextExtentPoint32W(dc, L"\x4E2D\x5E9C", 2, &wide);       // 中府 as Unicode
  GetTextExtentPoint32W(dc, L"\x4E2D", 1, &ideograph);
  SelectObject(dc, old);
  EXPECT_EQ(narrow.cx, wide.cx);
  EXPECT_EQ(narrow.cx, 2 * ideograph.cx);

  const TextBitmap text = rasterise_text(face.get(), "\xD6\xD0\xB8\xAE");
  EXPECT_EQ(text.width(), wide.cx);
  EXPECT_EQ(text.height(), wide.cy);
  int ink = 0;
  for (int y = 0; y < text.height(); ++y)
    for (int x = 0; x < text.width(); ++x) ink += text.ink(x, y);
  EXPECT_GT(ink, 20);
}

TEST(GdiFont, WithoutACurrentOpenGLContextNothingIsRasterised) {
  gl_test::open_window();
  HDC dc = wglGetCurrentDC();
  HGLRC context = wglGetCurrentContext();
  ASSERT_NE(context, nullptr);
  wglMakeCurrent(nullptr, nullptr);
  EXPECT_TRUE(rasterise_text(nullptr, "Tolvane").empty());
  wglMakeCurrent(dc, context);
  EXPECT_FALSE(rasterise_text(nullptr, "Tolvane").empty());
}

}  // namespace
