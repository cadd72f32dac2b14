// SLangId: language names and the process's language block.
#include "text/SLangId.h"

#include "text/UtilsText.h"

const char kLanguageNames[] =
    "|AFRIKAANS    = 54|ALBANIAN     = 28|ARABIC       = 01|"
    "BASQUE       = 45|BELARUSIAN   = 35|BULGARIAN    = 02|"
    "CATALAN      = 03|CHINESE      = 04|CROATIAN     = 26|"
    "CZECH        = 05|DANISH       = 06|DUTCH        = 19|"
    "ENGLISH      = 09|ESTONIAN     = 37|FAEROESE     = 56|"
    "FARSI        = 41|FINNISH      = 11|FRENCH       = 12|"
    "GERMAN       = 07|GREEK        = 08|HEBREW       = 13|"
    "HUNGARIAN    = 14|ICELANDIC    = 15|INDONESIAN   = 33|"
    "ITALIAN      = 16|JAPANESE     = 17|KOREAN       = 18|"
    "LATVIAN      = 38|LITHUANIAN   = 39|NORWEGIAN    = 20|"
    "POLISH       = 21|PORTUGUESE   = 22|ROMANIAN     = 24|"
    "RUSSIAN      = 25|SERBIAN      = 26|SLOVAK       = 27|"
    "SLOVENIAN    = 36|SPANISH      = 10|SWEDISH      = 29|"
    "THAI         = 30|TURKISH      = 31|UKRAINIAN    = 34|"
    "VIETNAMESE   = 42|";

const char kNoLanguageBlock[] = "*";

std::string LanguageName(int primary_id) {
  const std::string digits = ZeroPad(primary_id, 2);
  const int count = ListItemCount(kLanguageNames);
  for (int i = 0; i < count; ++i) {
    const std::string item = ListItem(kLanguageNames, i, "");
    if (Pos(digits, item) > 0) return TrimText(TextBefore(item, "="));
  }
  return std::string();
}

namespace {

// The block named name, or else the table's only block; "" when neither exists. An empty name
// (an identifier the table does not know) names no block, not one whose name item is empty.
std::string BlockNamed(const std::string& languages, const std::string& name) {
  const int count = ListItemCount(languages);
  if (!name.empty()) {
    for (int i = 0; i < count; ++i) {
      const std::string block = ListItem(languages, i, "");
      if (SameTextIC(TrimText(ListItem(block, 0, "")), name)) return block;
    }
  }
  return count == 1 ? ListItem(languages, 0, "") : std::string();
}

}  // namespace

std::string ChooseLanguageBlock(const std::string& languages, int primary_id) {
  std::string block = BlockNamed(languages, LanguageName(primary_id));
  if (block.empty()) block = BlockNamed(languages, "English");
  return block.empty() ? kNoLanguageBlock : block;
}

const std::string& LanguageChoice::BlockFor(const std::string& languages) {
  if (block_.empty()) {
    block_ = ChooseLanguageBlock(languages,
                                 primary_id_ > 0 ? primary_id_ : SystemPrimaryLanguageId());
  }
  return block_;
}

void LanguageChoice::Reset(int primary_id) {
  block_.clear();
  primary_id_ = primary_id;
}

LanguageChoice& ProcessLanguageChoice() {
  static LanguageChoice choice;
  return choice;
}
