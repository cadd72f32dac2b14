#include "text/linux/font_match_linux.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <vector>

namespace {

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

// Installed or commonly installable faces, closest first. The Windows Song faces come first so
// that they win wherever they are installed.
const char* const kSongFamilies[] = {"SimSun",
                                     "NSimSun",
                                     "\xE5\xAE\x8B\xE4\xBD\x93" /* 宋体 */,
                                     "AR PL UMing CN",
                                     "AR PL UMing TW",
                                     "AR PL UMing HK",
                                     "AR PL New Sung",
                                     "AR PL SungtiL GB",
                                     "Noto Serif CJK SC",
                                     "Source Han Serif SC",
                                     "Noto Serif SC"};
const char* const kHeiFamilies[] = {"SimHei",
                                    "\xE9\xBB\x91\xE4\xBD\x93" /* 黑体 */,
                                    "WenQuanYi Zen Hei",
                                    "WenQuanYi Micro Hei",
                                    "Noto Sans CJK SC",
                                    "Source Han Sans SC",
                                    "Noto Sans SC",
                                    "Droid Sans Fallback"};

bool is_hei_name(const std::string& family) {
  return family.find("Hei") != std::string::npos || family.find("hei") != std::string::npos ||
         family.find("\xE9\xBB\x91") != std::string::npos;  // 黑
}

PatternPtr make_pattern(const std::string& family, int weight, bool italic) {
  PatternPtr p(FcPatternCreate());
  if (!p) return p;
  if (!family.empty())
    FcPatternAddString(p.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  // Every viewer text may be Chinese: simplified Chinese coverage decides between faces.
  FcLangSet* langs = FcLangSetCreate();
  if (langs != nullptr) {
    FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcPatternAddLangSet(p.get(), FC_LANG, langs);
    FcLangSetDestroy(langs);
  }
  if (weight > 0) FcPatternAddInteger(p.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
  if (italic) FcPatternAddInteger(p.get(), FC_SLANT, FC_SLANT_ITALIC);
  FcPatternAddBool(p.get(), FC_SCALABLE, FcTrue);
  return p;
}

PatternPtr match(const std::string& family, int weight, bool italic) {
  PatternPtr request = make_pattern(family, weight, italic);
  if (!request) return nullptr;
  FcConfigSubstitute(nullptr, request.get(), FcMatchPattern);
  FcDefaultSubstitute(request.get());
  FcResult result = FcResultNoMatch;
  return PatternPtr(FcFontMatch(nullptr, request.get(), &result));
}

bool has_family(FcPattern* font, const std::string& family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family.c_str())) == 0)
      return true;
  }
  return false;
}

// The family in English where the face names one: fontconfig lists the user's language first.
std::string english_family(FcPattern* font) {
  FcChar8* family = nullptr;
  FcChar8* lang = nullptr;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
    if (FcPatternGetString(font, FC_FAMILYLANG, i, &lang) == FcResultMatch &&
        FcStrCmpIgnoreCase(lang, reinterpret_cast<const FcChar8*>("en")) == 0)
      return reinterpret_cast<const char*>(family);
  }
  if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch)
    return reinterpret_cast<const char*>(family);
  return {};
}

std::optional<FontFile> to_font_file(FcPattern* font, const std::string& family) {
  FcChar8* path = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch) return std::nullopt;
  FontFile file;
  file.path = reinterpret_cast<const char*>(path);
  int index = 0;
  if (FcPatternGetInteger(font, FC_INDEX, 0, &index) == FcResultMatch) file.index = index;
  file.family = family;
  return file;
}

}  // namespace

std::optional<FontFile> match_font_file(const std::string& family, int weight, bool italic) {
  std::vector<std::string> candidates;
  if (!family.empty()) candidates.push_back(family);
  const auto add = [&](const auto& families) {
    for (const char* f : families) candidates.emplace_back(f);
  };
  if (is_hei_name(family)) {
    add(kHeiFamilies);
    add(kSongFamilies);
  } else {
    add(kSongFamilies);
    add(kHeiFamilies);
  }

  // fontconfig always answers with some font; only a face that really carries the name counts.
  for (const std::string& candidate : candidates) {
    PatternPtr font = match(candidate, weight, italic);
    if (font && has_family(font.get(), candidate)) return to_font_file(font.get(), candidate);
  }
  PatternPtr any = match(family, weight, italic);
  if (!any) return std::nullopt;
  return to_font_file(any.get(), english_family(any.get()));
}
