// Text rasterised by GDI on the device context of the current OpenGL window: measured, drawn white
// on black into a monochrome bitmap, and read back as a bottom-up one-bit DIB.
#include <windows.h>

#include <climits>
#include <cstring>

#include "text/glyph_raster.h"
#include "text/mswin/font_face_mswin.h"

void FontFaceDeleter::operator()(FontFace* face) const { delete face; }

namespace {

// Selects an object into a device context and puts the previous one back when it goes.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object)
      : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

class Bitmap {
 public:
  explicit Bitmap(HBITMAP bitmap) : handle(bitmap) {}
  ~Bitmap() {
    if (handle != nullptr) DeleteObject(handle);
  }
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  const HBITMAP handle;
};

class MemoryDc {
 public:
  explicit MemoryDc(HDC dc) : handle(dc) {}
  ~MemoryDc() {
    if (handle != nullptr) DeleteDC(handle);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;

  const HDC handle;
};

// Copies a GBK face name into LOGFONTA's 32 bytes, never cutting a two-byte character in half.
void copy_face_name(const char* face, char (&out)[LF_FACESIZE]) {
  std::size_t n = 0;
  while (face[n] != '\0') {
    const std::size_t size =
        static_cast<unsigned char>(face[n]) >= 0x80 && face[n + 1] != '\0' ? 2 : 1;
    if (n + size > LF_FACESIZE - 1) break;
    n += size;
  }
  std::memcpy(out, face, n);
  out[n] = '\0';
}

}  // namespace

FontFacePtr create_font_face(const FontRequest& request) {
  LOGFONTA font = {};
  font.lfHeight = request.height;
  font.lfWidth = 0;
  font.lfEscapement = 0;
  font.lfOrientation = 0;
  font.lfWeight = request.weight;
  font.lfItalic = request.italic ? 1 : 0;
  font.lfUnderline = request.underline ? 1 : 0;
  font.lfStrikeOut = request.strike_out ? 1 : 0;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = PROOF_QUALITY;
  font.lfPitchAndFamily = FF_MODERN | VARIABLE_PITCH | 0x04;  // 0x36
  copy_face_name(request.face != nullptr ? request.face : "", font.lfFaceName);
  HFONT handle = CreateFontIndirectA(&font);
  if (handle == nullptr) return nullptr;
  return FontFacePtr(new FontFace(handle));
}

std::string describe_font_face(const FontFace& face) {
  LOGFONTA font = {};
  if (GetObjectA(face.handle, sizeof font, &font) == 0) return "(unknown GDI font)";
  return std::string(font.lfFaceName) + " (GDI, height " + std::to_string(font.lfHeight) + ")";
}

TextBitmap rasterise_text(FontFace* face, const char* text) {
  HDC window = wglGetCurrentDC();
  if (window == nullptr || text == nullptr) return {};
  const std::size_t bytes = std::strlen(text);
  if (bytes > INT_MAX) return {};
  const int length = int(bytes);
  HGDIOBJ font = face != nullptr ? face->handle : nullptr;  // none: the context's own font

  Selection window_font(window, font);
  SIZE extent = {};
  if (!GetTextExtentPoint32A(window, text, length, &extent)) return {};
  if (extent.cx > kMaxTextBitmapSide || extent.cy > kMaxTextBitmapSide) return {};
  Bitmap bitmap(CreateBitmap(extent.cx, extent.cy, 1, 1, nullptr));
  MemoryDc memory(CreateCompatibleDC(window));
  if (memory.handle == nullptr || bitmap.handle == nullptr) return {};
  {
    Selection memory_bitmap(memory.handle, bitmap.handle);
    Selection memory_font(memory.handle, font);
    SetBkColor(memory.handle, RGB(0, 0, 0));
    SetTextColor(memory.handle, RGB(255, 255, 255));
    SetBkMode(memory.handle, OPAQUE);
    TextOutA(memory.handle, 0, 0, text, length);
  }  // the bitmap leaves the memory context here: GetDIBits wants it selected nowhere

  BITMAP size = {};
  if (GetObjectA(bitmap.handle, sizeof size, &size) == 0) return {};
  TextBitmap out(size.bmWidth, size.bmHeight);
  if (out.empty()) return {};
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
  } info = {};
  info.header.biSize = sizeof(BITMAPINFOHEADER);  // 40
  info.header.biWidth = size.bmWidth;
  info.header.biHeight = size.bmHeight;  // positive: bottom row first
  info.header.biPlanes = 1;
  info.header.biBitCount = 1;
  info.header.biCompression = BI_RGB;
  info.header.biSizeImage = DWORD(out.size_bytes());
  info.header.biXPelsPerMeter = 1;
  info.header.biYPelsPerMeter = 1;
  if (GetDIBits(window, bitmap.handle, 0, UINT(size.bmHeight), out.data(),
                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == 0)
    return {};
  return out;
}
