// Finds the installed font file closest to a requested family, through fontconfig.
#pragma once

#include <optional>
#include <string>

struct FontFile {
  std::string path;
  int index = 0;       // face within a collection
  std::string family;  // the name it was found by, else its English family name
};

// family is UTF-8 and may be empty. A face of exactly that name wins; otherwise the closest CJK
// face of the same style (Song/Ming for a Song face, Hei for a Hei face), then any CJK face, then
// whatever fontconfig offers. Nothing only when no font is installed at all.
std::optional<FontFile> match_font_file(const std::string& family, int weight, bool italic);
