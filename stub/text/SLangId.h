// SLangId: the names of the system's primary language identifiers, and the choice of the one
// language block of the archive's language table that the setup side uses for the whole
// process. Pure code; the system's language comes from SystemPrimaryLanguageId (a platform
// file: SLangId_win.cpp, SLangId_posix.cpp).
#pragma once

#include <string>

// "|AFRIKAANS    = 54|...|VIETNAMESE   = 42|": 43 items, each a name padded to 13 characters,
// "= " and the identifier with two digits.
extern const char kLanguageNames[];

// The name for a primary language identifier ("CHINESE" for 4), or "" when the table has none.
std::string LanguageName(int primary_id);

// The block of the language table (header block 1: a delimited list of language blocks) for a
// system whose primary language identifier is primary_id: the block named after that language,
// else the only block of the table, else the English block; "*" when none fits.
std::string ChooseLanguageBlock(const std::string& languages, int primary_id);

// The marker of a process that has chosen no block: every text takes its default.
extern const char kNoLanguageBlock[];

// The primary language identifier of the calling thread's locale; 9 (English) when the system
// gives none. Platform file.
int SystemPrimaryLanguageId();

// The block chosen for this process. It is chosen once, on the first lookup, from the language
// table of the object that lookup goes through, and kept for the life of the process; a first
// lookup through an object without a table therefore keeps every later text at its default.
// The stub has one thread, so the choice needs no lock.
class LanguageChoice {
 public:
  // The chosen block ("*" for none), choosing it from languages on the first call.
  const std::string& BlockFor(const std::string& languages);
  // Forgets the choice; the next one uses primary_id, or the system's when it is 0 or less.
  // For tests.
  void Reset(int primary_id = 0);

 private:
  std::string block_;  // empty until chosen
  int primary_id_ = 0;
};

LanguageChoice& ProcessLanguageChoice();
