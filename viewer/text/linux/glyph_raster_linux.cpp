// Text rasterised with FreeType in a face chosen by fontconfig, in the shape GDI would give it: a
// cell of the requested height, glyphs rendered one bit deep, advances summed into the extent.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "text/cell_metrics.h"
#include "text/gbk_decode.h"
#include "text/glyph_raster.h"
#include "text/linux/font_match_linux.h"

namespace {

struct LibraryDeleter {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryPtr = std::unique_ptr<FT_LibraryRec_, LibraryDeleter>;
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceDeleter>;

// A line drawn across the text, in rows from the cell's top.
struct Stroke {
  int top = 0;
  int thickness = 0;
};

}  // namespace

class FontFace {
 public:
  LibraryPtr library;  // declared first, so it outlives the face
  FacePtr face;
  CellMetrics cell;
  bool embolden = false;  // weight asked for bold but the face is not
  bool oblique = false;   // italic asked for but the face is upright
  Stroke underline, strike_out;
  std::string description;
};

void FontFaceDeleter::operator()(FontFace* face) const { delete face; }

namespace {

int round_26_6(FT_Pos v) { return int((v + 32) >> 6); }

// Design metrics as GDI reads them: the Windows ascent and descent of the OS/2 table, else the
// horizontal header's.
void design_metrics(FT_Face face, int* ascent, int* descent) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    *ascent = os2->usWinAscent;
    *descent = os2->usWinDescent;
    return;
  }
  *ascent = face->ascender;
  *descent = -face->descender;
}

bool size_face(FontFace& font, int height) {
  FT_Face face = font.face.get();
  if (FT_IS_SCALABLE(face)) {
    int ascent = 0, descent = 0;
    design_metrics(face, &ascent, &descent);
    font.cell = gdi_cell_metrics(height, ascent, descent, face->units_per_EM);
    return FT_Set_Pixel_Sizes(face, 0, FT_UInt(font.cell.pixels_per_em)) == 0;
  }
  // A bitmap-only face: the strike nearest the wanted cell.
  if (face->num_fixed_sizes <= 0) return false;
  const long long want = height > 0 ? height : height < 0 ? -(long long)height : 16;
  const auto distance = [&](int i) { return std::llabs(face->available_sizes[i].height - want); };
  int best = 0;
  for (int i = 1; i < face->num_fixed_sizes; ++i) {
    if (distance(i) < distance(best)) best = i;
  }
  if (FT_Select_Size(face, best) != 0) return false;
  const FT_Size_Metrics& m = face->size->metrics;
  font.cell = gdi_cell_metrics(m.ascender - m.descender, int(m.ascender), int(-m.descender),
                               int(m.y_ppem) * 64);
  return true;
}

void place_strokes(FontFace& font) {
  FT_Face face = font.face.get();
  const int cell = font.cell.height();
  const int ascent = font.cell.ascent;
  const double scale =
      face->units_per_EM > 0 ? double(font.cell.pixels_per_em) / face->units_per_EM : 0.0;
  const int thickness = std::max(1, int(std::lround(face->underline_thickness * scale)));
  const int below = std::max(1, int(std::lround(-face->underline_position * scale)));
  font.underline = {std::min(ascent + below, cell - thickness), thickness};
  int strike_rise = int(std::lround(ascent * 0.3));
  int strike_thickness = thickness;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
    strike_rise = int(std::lround(os2->yStrikeoutPosition * scale));
    strike_thickness = std::max(1, int(std::lround(os2->yStrikeoutSize * scale)));
  }
  font.strike_out = {std::max(0, ascent - strike_rise), strike_thickness};
}

// One glyph's pixels, copied out of the glyph slot before the next glyph overwrites it.
struct RenderedGlyph {
  std::vector<uint8_t> pixels;
  GlyphImage image;               // top_row is left unset: the vector may still move
  std::ptrdiff_t top_offset = 0;  // where the top row starts in pixels
  int left = 0;                   // from the pen position
  int top = 0;                    // bitmap rows above the baseline
  int64_t pen = 0;

  GlyphImage view() const {
    GlyphImage v = image;
    v.top_row = pixels.data() + top_offset;
    return v;
  }
};

bool copy_bitmap(const FT_GlyphSlot slot, RenderedGlyph* out) {
  const FT_Bitmap& b = slot->bitmap;
  GlyphPixels pixels;
  if (b.pixel_mode == FT_PIXEL_MODE_MONO) {
    pixels = GlyphPixels::kMono;
  } else if (b.pixel_mode == FT_PIXEL_MODE_GRAY && b.num_grays == 256) {
    pixels = GlyphPixels::kGrey;  // some embedded strikes are grey: thresholded when drawn
  } else {
    return false;
  }
  if (b.buffer == nullptr || b.rows == 0 || b.width == 0) return false;
  const std::size_t pitch = std::size_t(std::abs(b.pitch));
  out->pixels.assign(b.buffer, b.buffer + pitch * b.rows);
  out->image.width = int(b.width);
  out->image.rows = int(b.rows);
  out->image.pixels = pixels;
  out->image.stride = b.pitch;
  // An upward-flowing bitmap keeps its top row last in memory.
  out->top_offset = std::ptrdiff_t(b.pitch < 0 ? pitch * (b.rows - 1) : 0);
  out->left = slot->bitmap_left;
  out->top = slot->bitmap_top;
  return true;
}

FontFace* default_face() {
  // GDI's default font is a plain face of about 16 pixels; made once, when first needed.
  static const FontFacePtr face = [] {
    FontRequest request;
    request.height = 16;
    request.weight = 400;
    return create_font_face(request);
  }();
  return face.get();
}

}  // namespace

FontFacePtr create_font_face(const FontRequest& request) {
  const char* name = request.face != nullptr ? request.face : "";
  const std::string family = utf32_to_utf8(decode_gbk(name, std::strlen(name)));
  const std::optional<FontFile> file = match_font_file(family, request.weight, request.italic);
  if (!file) return nullptr;

  FontFacePtr font(new FontFace);
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return nullptr;
  font->library.reset(library);
  FT_Face face = nullptr;
  if (FT_New_Face(library, file->path.c_str(), file->index, &face) != 0) return nullptr;
  font->face.reset(face);
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);  // fonts without one keep their own
  if (!size_face(*font, request.height)) return nullptr;
  place_strokes(*font);
  font->embolden = request.weight >= 600 && (face->style_flags & FT_STYLE_FLAG_BOLD) == 0;
  font->oblique = request.italic && (face->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
  font->underline.thickness = request.underline ? font->underline.thickness : 0;
  font->strike_out.thickness = request.strike_out ? font->strike_out.thickness : 0;
  font->description = file->family + " (" + file->path + ", face " + std::to_string(file->index) +
                      ", " + std::to_string(font->cell.pixels_per_em) + " px per em)";
  return font;
}

std::string describe_font_face(const FontFace& face) { return face.description; }

TextBitmap rasterise_text(FontFace* font, const char* text) {
  if (font == nullptr) font = default_face();
  if (font == nullptr || text == nullptr) return {};
  FT_Face face = font->face.get();
  const std::u32string chars = decode_gbk(text, std::strlen(text));

  // Synthesised styles need outlines; otherwise the face's own one-bit strikes are welcome.
  FT_Int32 load = FT_LOAD_TARGET_MONO;
  if (font->embolden || font->oblique) load |= FT_LOAD_NO_BITMAP;
  std::vector<RenderedGlyph> glyphs;
  int64_t pen = 0;
  for (char32_t c : chars) {
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, c), load) != 0) continue;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (font->oblique) FT_GlyphSlot_Oblique(slot);
      if (font->embolden) FT_GlyphSlot_Embolden(slot);
    }
    const int advance = round_26_6(slot->advance.x);
    RenderedGlyph glyph;
    if ((slot->format == FT_GLYPH_FORMAT_BITMAP ||
         FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0) &&
        copy_bitmap(slot, &glyph)) {
      glyph.pen = pen;
      glyphs.push_back(std::move(glyph));
    }
    pen += std::max(advance, 0);
    if (pen >= kMaxTextBitmapSide) break;
  }

  TextBitmap bitmap(int(std::min<int64_t>(pen, kMaxTextBitmapSide)), font->cell.height());
  for (const RenderedGlyph& g : glyphs)
    bitmap.blit(g.view(), int(g.pen + g.left), font->cell.ascent - g.top);
  for (const Stroke& s : {font->underline, font->strike_out}) {
    for (int r = 0; r < s.thickness; ++r) bitmap.fill_row(s.top + r, 0, bitmap.width());
  }
  return bitmap;
}
