// Byte-string rules of the stub's Utils unit: delimited and keyed lists, search and replace,
// path clean-up, command-line switches, number and date texts, the text scrambler.
//
// Pure code (no <windows.h>); Utils.h adds the Win32 side and overloads that supply the
// system's lead-byte test.
//
// Every text is a byte string of the ANSI code page with an explicit length (std::string; it
// may hold NUL bytes and double-byte characters). Positions are 1-based and 0 means "not
// found". Case-insensitive means: the bytes a..z are folded to A..Z, every other byte (also
// every byte of a double-byte character) stays as it is; see SetLeadByteTest. Texts handled by
// the stub are far below 2 GiB, so positions and counts are plain ints.
#pragma once

#include <cstdint>
#include <string>

// Whether a byte starts a double-byte character (IsDBCSLeadByte on Windows).
using LeadByteTest = bool (*)(unsigned char byte);

// A lead-byte test for single-byte code pages (no byte is a lead byte).
bool NoLeadBytes(unsigned char byte);
// The lead bytes of code page 936 (GBK): 0x81..0xFE. For tests and native tools.
bool GbkLeadByte(unsigned char byte);

// The process's one lead-byte rule: the test that case folding and the file-name helpers use
// when they are not given one, so that no byte of a double-byte character is folded or taken
// for a separator. It starts as NoLeadBytes (single-byte code page) and is set explicitly: the
// program entry installs the system's rule first thing (InstallSystemLeadByteRule, Utils.h),
// tests set GbkLeadByte or NoLeadBytes. Nothing installs it behind the caller's back.
void SetLeadByteTest(LeadByteTest is_lead);
LeadByteTest CurrentLeadByteTest();

// --- Basic text rules ---

std::string UpperText(const std::string& text);  // a..z -> A..Z, not inside characters
std::string UpperText(const std::string& text, LeadByteTest is_lead);
std::string TrimText(const std::string& text);         // drops leading/trailing bytes <= 32
bool SameTextIC(const std::string& a, const std::string& b);  // equal after UpperText
std::string IntText(std::int64_t value);                // decimal text
// Strict decimal reading (optional sign, digits only, no blanks, in range); else the default.
std::int64_t ParseDecimal(const std::string& text, std::int64_t default_value);

// --- Delimited lists: "|a|b|" (first character is the delimiter) ---

int ListItemCount(const std::string& list);
std::string ListItem(const std::string& list, int index, const std::string& default_value);
void ListSetItem(std::string& list, int index, const std::string& value);
std::string ListValue(const std::string& list, const std::string& key,
                      const std::string& default_value);

// --- Search and compare ---

int Pos(const std::string& sub, const std::string& text);     // case-sensitive; "" gives 0
int PosIC(const std::string& sub, const std::string& text);
int PosFrom(const std::string& sub, const std::string& text, int start);
int PosFromIC(const std::string& sub, const std::string& text, int start);
int LastPos(const std::string& sub, const std::string& text);
// Case-insensitive position of the reversed sub in the reversed text (1: text ends with sub).
// Both are folded before they are reversed: a reversed text has its trail bytes first.
int EndPosIC(const std::string& sub, const std::string& text);
int EndPosIC(const std::string& sub, const std::string& text, LeadByteTest is_lead);
bool EndsWithText(const std::string& suffix, const std::string& text, bool ignore_case);
bool SameTextTrimmed(const std::string& a, const std::string& b);
std::string TextBefore(const std::string& text, const std::string& sub);
std::string TextAfter(const std::string& text, const std::string& sub);
std::string ReverseText(const std::string& text);

// --- Editing ---

std::string ReplaceAll(const std::string& text, const std::string& old_text,
                       const std::string& new_text);
std::string ReplaceAllIC(const std::string& text, const std::string& old_text,
                         const std::string& new_text);
std::string StripEnclosing(const std::string& text, char ch, bool loose);
std::string Dequote(const std::string& text, bool loose);
std::string ZeroPad(std::int64_t number, int width);
std::string RandomRangeText(std::int64_t low, std::int64_t high);
std::int64_t ParseNumber(const std::string& text, int base);
std::int64_t HexToInt(const std::string& text);

int MinInt(int a, int b);
int MaxInt(int a, int b);
int ClampInt(int value, int low, int high);

// --- Paths (double-byte aware through the lead-byte test) ---

// Whether the byte at 0-based index is the second byte of a double-byte character; decided by
// walking the text from its start, the only reliable way in a double-byte code page.
bool IsTrailByteAt(const std::string& text, std::size_t index, LeadByteTest is_lead);
std::string FixTrailingBackslash(const std::string& path, bool add, LeadByteTest is_lead);
std::string StripTrailingBackslash(const std::string& path, LeadByteTest is_lead);
std::string CollapseBackslashes(const std::string& path, bool strip_trailing,
                                LeadByteTest is_lead);
// Whether the byte is a path delimiter: "\\", "/" or the drive colon. Only meaningful for a byte
// that is not the second byte of a double-byte character.
bool IsPathDelimiter(char c);
// The part after the last path delimiter (the whole path when there is none).
std::string ExtractFileName(const std::string& path, LeadByteTest is_lead);
// The name with the extension of its last component (from its last dot) replaced by ext, or
// ext appended when that component has no dot.
std::string ChangeFileExt(const std::string& name, const std::string& ext, LeadByteTest is_lead);

// --- Command line (pure halves of CommandTail / SwitchValue) ---

// The command line without the program path and without enclosing quotes.
std::string CommandTailOf(const std::string& command_line, const std::string& exe_file_name);
bool HasSwitchIn(const std::string& tail, const std::string& name);
std::string SwitchValueIn(const std::string& tail, const std::string& name);
std::int64_t SwitchIntIn(const std::string& tail, const std::string& name,
                         std::int64_t default_value);

// --- Registry path names ---

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig, DynData };
RegRoot RegRootIdFromName(const std::string& name);
void SplitRegPathText(const std::string& path, RegRoot& root, std::string& sub_key);
// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows[ NT]\CurrentVersion".
std::string WindowsVersionKeyFor(bool is_nt);

// --- Number and date texts ---

struct DateTimeValue {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};
std::string DateText(const DateTimeValue& when);                        // "01-MAR-2006"
std::string DateTimeText(const DateTimeValue& when, char time_separator);  // + "  08:50:34"
std::string MegabytesText(double bytes);                                // "5.00"

// --- Scrambled texts: "Scrambled=01" + key character + scrambled bytes ---

extern const char kScrambleMarker[];  // "Scrambled=01"
std::string ScrambleText(const std::string& text, bool scramble);
// The same with a given key character (33..122 when scrambling); for tests and the builder.
std::string ScrambleTextWithKey(const std::string& text, bool scramble, unsigned char key);
