// Byte-string rules of the Utils unit. No platform headers: unit-tested natively.
#include "UtilsText.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

namespace {

LeadByteTest lead_byte_test = NoLeadBytes;

char UpperByte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// 0-based index of sub in text at or after from, or npos. An empty sub is never found.
std::size_t Find(const std::string& sub, const std::string& text, std::size_t from = 0) {
  if (sub.empty()) return std::string::npos;
  return text.find(sub, from);
}

int ToPosition(std::size_t index) {
  return index == std::string::npos ? 0 : static_cast<int>(index) + 1;
}

std::mt19937_64 ClockSeededGenerator() {
  return std::mt19937_64(static_cast<std::uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

// Replace-all in one left-to-right pass. Equivalent to the filler-byte rule: once a match is
// replaced by a non-empty text, filler bytes stand between the parts, so no later match can
// reach back into it. An empty replacement leaves no filler and the parts on both sides join,
// so a match may form across the join; the stack below finds those too (it always removes the
// leftmost match of what is left, as the repeated search from the start does).
std::string ReplaceAllImpl(const std::string& text, const std::string& old_text,
                           const std::string& new_text, bool ignore_case) {
  if (old_text.empty()) return text;
  const std::string pattern = ignore_case ? UpperText(old_text) : old_text;
  const std::string search = ignore_case ? UpperText(text) : text;
  const std::size_t m = pattern.size();
  std::string out;
  out.reserve(text.size());
  if (new_text.empty()) {
    std::string kept;  // the search copy of what out holds
    for (std::size_t i = 0; i < text.size(); ++i) {
      out.push_back(text[i]);
      kept.push_back(search[i]);
      if (kept.size() >= m && kept.compare(kept.size() - m, m, pattern) == 0) {
        kept.resize(kept.size() - m);
        out.resize(kept.size());
      }
    }
    return out;
  }
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = search.find(pattern, from);
    if (at == std::string::npos) break;
    out.append(text, from, at - from);
    out += new_text;
    from = at + m;
  }
  out.append(text, from, std::string::npos);
  return out;
}

// For every byte of text: true if it is the second byte of a double-byte character.
std::vector<bool> TrailMap(const std::string& text, LeadByteTest is_lead) {
  std::vector<bool> trail(text.size(), false);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (is_lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) trail[++i] = true;
  }
  return trail;
}

bool EndsWithPlainBackslash(const std::string& path, LeadByteTest is_lead) {
  return !path.empty() && path.back() == '\\' && !IsTrailByteAt(path, path.size() - 1, is_lead);
}

}  // namespace

bool NoLeadBytes(unsigned char) { return false; }
bool GbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// --- Basic text rules ---

void SetLeadByteTest(LeadByteTest is_lead) { lead_byte_test = is_lead ? is_lead : NoLeadBytes; }
LeadByteTest CurrentLeadByteTest() { return lead_byte_test; }

std::string UpperText(const std::string& text) { return UpperText(text, lead_byte_test); }

// The second byte of a double-byte character may have the value of a-z; it is not a letter.
std::string UpperText(const std::string& text, LeadByteTest is_lead) {
  std::string out = text;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (is_lead(static_cast<unsigned char>(out[i])))
      ++i;
    else
      out[i] = UpperByte(out[i]);
  }
  return out;
}

std::string TrimText(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return text.substr(begin, end - begin);
}

bool SameTextIC(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperText(a) == UpperText(b);
}

std::string IntText(std::int64_t value) { return std::to_string(value); }

std::int64_t ParseDecimal(const std::string& text, std::int64_t default_value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return default_value;
  // Accumulate as a negative number so that INT64_MIN is representable.
  const std::int64_t min = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return default_value;
    const int digit = c - '0';
    if (value < (min + digit) / 10) return default_value;
    value = value * 10 - digit;
  }
  if (negative) return value;
  if (value == min) return default_value;
  return -value;
}

// --- Delimited lists ---

int ListItemCount(const std::string& list) {
  if (list.empty() || list.back() != list.front()) return 0;
  return static_cast<int>(std::count(list.begin() + 1, list.end(), list.front()));
}

std::string ListItem(const std::string& list, int index, const std::string& default_value) {
  if (list.empty() || index < 0) return default_value;
  const char d = list.front();
  std::size_t start = 0;  // index of the delimiter that opens the item
  for (int i = 0; i < index; ++i) {
    start = list.find(d, start + 1);
    if (start == std::string::npos) return default_value;
  }
  const std::size_t end = list.find(d, start + 1);
  if (end == std::string::npos || end == start + 1) return default_value;
  return list.substr(start + 1, end - start - 1);
}

// A value that holds the delimiter would split its item; callers pass plain values.
void ListSetItem(std::string& list, int index, const std::string& value) {
  if (index < 0) return;
  if (list.empty()) list = "|";
  const int count = std::max(ListItemCount(list), index + 1);
  const std::string d(1, list.front());
  std::string rebuilt = d;
  for (int i = 0; i < count; ++i) {
    rebuilt += (i == index) ? value : ListItem(list, i, "");
    rebuilt += d;
  }
  list = rebuilt;
}

std::string ListValue(const std::string& list, const std::string& key,
                      const std::string& default_value) {
  if (list.size() <= 2 || list.front() != list.back()) return default_value;
  const std::string d(1, list.front());
  std::string search_key = d + key;
  if (key.empty() || key.back() != '=') search_key += '=';
  std::string work = ReplaceAll(list, d + " ", d);
  work = ReplaceAll(work, " =", "=");
  const int at = PosIC(search_key, work);
  if (at == 0) return default_value;
  const std::string rest = work.substr(static_cast<std::size_t>(at - 1) + search_key.size());
  return rest.substr(0, rest.find(d[0]));
}

// --- Search and compare ---

int Pos(const std::string& sub, const std::string& text) { return ToPosition(Find(sub, text)); }

int PosIC(const std::string& sub, const std::string& text) {
  return ToPosition(Find(UpperText(sub), UpperText(text)));
}

// Both texts end at their first NUL byte here, as C strings do.
int PosFrom(const std::string& sub, const std::string& text, int start) {
  if (start < 1) return 0;
  const std::string s = sub.substr(0, sub.find('\0'));
  const std::string t = text.substr(0, text.find('\0'));
  if (static_cast<std::size_t>(start) > t.size()) return 0;
  return ToPosition(Find(s, t, static_cast<std::size_t>(start - 1)));
}

int PosFromIC(const std::string& sub, const std::string& text, int start) {
  return PosFrom(UpperText(sub), UpperText(text), start);
}

int LastPos(const std::string& sub, const std::string& text) {
  const int reversed = Pos(ReverseText(sub), ReverseText(text));
  if (reversed == 0) return 0;
  return static_cast<int>(text.size() - sub.size()) - reversed + 2;
}

int EndPosIC(const std::string& sub, const std::string& text) {
  return EndPosIC(sub, text, lead_byte_test);
}

int EndPosIC(const std::string& sub, const std::string& text, LeadByteTest is_lead) {
  return Pos(ReverseText(UpperText(sub, is_lead)), ReverseText(UpperText(text, is_lead)));
}

bool EndsWithText(const std::string& suffix, const std::string& text, bool ignore_case) {
  if (suffix.size() > text.size()) return false;
  const std::string tail = text.substr(text.size() - suffix.size());
  return ignore_case ? SameTextIC(tail, suffix) : tail == suffix;
}

bool SameTextTrimmed(const std::string& a, const std::string& b) {
  return UpperText(TrimText(a)) == UpperText(TrimText(b));
}

std::string TextBefore(const std::string& text, const std::string& sub) {
  const std::size_t at = Find(sub, text);
  return at == std::string::npos ? std::string() : text.substr(0, at);
}

std::string TextAfter(const std::string& text, const std::string& sub) {
  const std::size_t at = Find(sub, text);
  return at == std::string::npos ? text : text.substr(at + sub.size());
}

std::string ReverseText(const std::string& text) { return std::string(text.rbegin(), text.rend()); }

// --- Editing ---

std::string ReplaceAll(const std::string& text, const std::string& old_text,
                       const std::string& new_text) {
  return ReplaceAllImpl(text, old_text, new_text, false);
}

std::string ReplaceAllIC(const std::string& text, const std::string& old_text,
                         const std::string& new_text) {
  return ReplaceAllImpl(text, old_text, new_text, true);
}

std::string StripEnclosing(const std::string& text, char ch, bool loose) {
  if (text.size() == 1 && text[0] == ch) return std::string();
  if (text.size() >= 2 && text.front() == ch && text.back() == ch)
    return text.substr(1, text.size() - 2);
  if (!loose) return text;
  std::string out = text;
  if (!out.empty() && out.front() == ch) out.erase(0, 1);
  if (!out.empty() && out.back() == ch) out.pop_back();
  return out;
}

std::string Dequote(const std::string& text, bool loose) { return StripEnclosing(text, '"', loose); }

// A negative number keeps its sign in front of the zeros ("-007"), never "00-7".
std::string ZeroPad(std::int64_t number, int width) {
  const bool negative = number < 0;
  std::string digits = std::to_string(number);
  if (negative) digits.erase(0, 1);
  const int room = width - static_cast<int>(digits.size()) - (negative ? 1 : 0);
  if (room > 0) digits.insert(0, static_cast<std::size_t>(room), '0');
  return negative ? "-" + digits : digits;
}

// Bounds given the wrong way round are swapped rather than giving an empty range.
std::string RandomRangeText(std::int64_t low, std::int64_t high) {
  if (low > high) std::swap(low, high);
  std::mt19937_64 generator = ClockSeededGenerator();
  return IntText(std::uniform_int_distribution<std::int64_t>(low, high)(generator));
}

// A character outside the digit set counts as digit -1, as the rule says; callers only pass
// hexadecimal digits. Unsigned arithmetic wraps like the 64-bit original instead of overflowing.
std::int64_t ParseNumber(const std::string& text, int base) {
  static const std::string digits = "0123456789ABCDEF";
  const std::string t = UpperText(TrimText(text));
  std::uint64_t value = 0, weight = 1;
  for (std::size_t i = t.size(); i-- > 0;) {
    const std::size_t at = digits.find(t[i]);
    const std::int64_t d = at == std::string::npos ? -1 : static_cast<std::int64_t>(at);
    value += static_cast<std::uint64_t>(d) * weight;
    weight *= static_cast<std::uint64_t>(static_cast<std::int64_t>(base));
  }
  return static_cast<std::int64_t>(value);
}

std::int64_t HexToInt(const std::string& text) { return ParseNumber(text, 16); }

int MinInt(int a, int b) { return a < b ? a : b; }
int MaxInt(int a, int b) { return a > b ? a : b; }
int ClampInt(int value, int low, int high) {
  if (value < low) value = low;
  if (value > high) value = high;
  return value;
}

// --- Paths ---

bool IsTrailByteAt(const std::string& text, std::size_t index, LeadByteTest is_lead) {
  for (std::size_t i = 0; i < text.size() && i <= index; ++i) {
    if (is_lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      if (++i == index) return true;
    }
  }
  return false;
}

std::string FixTrailingBackslash(const std::string& path, bool add, LeadByteTest is_lead) {
  std::string out = path;
  if (out.size() > 2 && EndsWithPlainBackslash(out, is_lead)) out.pop_back();
  if (add) out += '\\';
  return out;
}

std::string StripTrailingBackslash(const std::string& path, LeadByteTest is_lead) {
  if (path == "\\") return std::string();
  std::string out = path;
  if (out.size() > 1 && EndsWithPlainBackslash(out, is_lead)) out.pop_back();
  return out;
}

// The doubled backslash that forms the last two characters is left alone (the scan starts one
// pair before the end); callers strip at most one trailing backslash. Whether a backslash is
// the trail byte of a double-byte character is decided by walking the whole path, so a lead
// byte value that is itself a trail byte is not mistaken for a lead byte.
std::string CollapseBackslashes(const std::string& path, bool strip_trailing,
                                LeadByteTest is_lead) {
  if (path.size() < 2) return strip_trailing ? StripTrailingBackslash(path, is_lead) : path;
  // trail[k]: byte k of the whole path is a trail byte. Deleting at rest position i only moves
  // bytes at or after it, and the scan moves downwards, so the map stays valid below i.
  const std::vector<bool> trail = TrailMap(path, is_lead);
  std::string rest = path.substr(1);
  for (std::size_t i = rest.size() >= 2 ? rest.size() - 2 : 0; i >= 2; --i) {
    // 1-based rest position i is rest[i - 1], i.e. path byte i.
    if (rest[i - 1] == '\\' && rest[i] == '\\' && !trail[i]) rest.erase(i - 1, 1);
  }
  if (rest.size() >= 2 && rest[0] == '\\' && rest[1] == '\\' && !trail[1]) rest.erase(0, 1);
  std::string out = path.substr(0, 1) + rest;
  return strip_trailing ? StripTrailingBackslash(out, is_lead) : out;
}

bool IsPathDelimiter(char c) { return c == '\\' || c == '/' || c == ':'; }

namespace {

// 0-based index just after the last path delimiter that is not a trail byte (0 when none).
std::size_t FileNameStart(const std::string& path, LeadByteTest is_lead) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (is_lead(static_cast<unsigned char>(path[i])) && i + 1 < path.size())
      ++i;
    else if (IsPathDelimiter(path[i]))
      start = i + 1;
  }
  return start;
}

}  // namespace

std::string ExtractFileName(const std::string& path, LeadByteTest is_lead) {
  return path.substr(FileNameStart(path, is_lead));
}

std::string ChangeFileExt(const std::string& name, const std::string& ext, LeadByteTest is_lead) {
  std::size_t dot = std::string::npos;
  for (std::size_t i = FileNameStart(name, is_lead); i < name.size(); ++i) {
    if (is_lead(static_cast<unsigned char>(name[i])) && i + 1 < name.size())
      ++i;
    else if (name[i] == '.')
      dot = i;
  }
  return (dot == std::string::npos ? name : name.substr(0, dot)) + ext;
}

// --- Command line ---

namespace {

std::string TrimLeadingQuotes(std::string text) {
  for (;;) {
    text = TrimText(text);
    if (text.empty() || text.front() != '"') return text;
    text.erase(0, 1);
  }
}

std::string TrimTrailingQuotes(std::string text) {
  for (;;) {
    text = TrimText(text);
    if (text.empty() || text.back() != '"') return text;
    text.pop_back();
  }
}

// The first argument as the command line writes it: a quoted word up to its closing quote, or
// a plain one up to the first blank (the system's own rule); rest receives what follows.
std::string FirstArgument(const std::string& command_line, std::string& rest) {
  std::size_t i = 0;
  while (i < command_line.size() && static_cast<unsigned char>(command_line[i]) <= 32) ++i;
  std::size_t end;
  std::string word;
  if (i < command_line.size() && command_line[i] == '"') {
    const std::size_t close = command_line.find('"', i + 1);
    end = close == std::string::npos ? command_line.size() : close + 1;
    word = command_line.substr(i + 1, (close == std::string::npos ? end : close) - i - 1);
  } else {
    end = i;
    while (end < command_line.size() && static_cast<unsigned char>(command_line[end]) > 32) ++end;
    word = command_line.substr(i, end - i);
  }
  rest = command_line.substr(end);
  return word;
}

}  // namespace

// When the full program path does not occur in the command line (a program started by a
// relative or short name), a first argument that names the program's file, with or without
// ".exe", is removed instead: otherwise the program name would stay in the tail, and a folder
// called "/hide" would read as a switch. A command line of arguments only is left whole.
std::string CommandTailOf(const std::string& command_line, const std::string& exe_file_name) {
  std::string text = command_line;
  const int at = PosIC(exe_file_name, text);
  if (at > 0) {
    text.erase(static_cast<std::size_t>(at - 1), exe_file_name.size());
  } else {
    std::string rest;
    const std::string word = FirstArgument(text, rest);
    const std::string first = ExtractFileName(word, lead_byte_test);
    const std::string own = ExtractFileName(exe_file_name, lead_byte_test);
    const bool is_switch = !word.empty() && word[0] == '/';
    if (!is_switch && !first.empty() && (SameTextIC(first, own) || SameTextIC(first + ".exe", own)))
      text = rest;
  }
  text = TrimLeadingQuotes(text);
  text = TrimTrailingQuotes(text);
  return TrimText(text);
}

bool HasSwitchIn(const std::string& tail, const std::string& name) { return PosIC(name, tail) > 0; }

std::string SwitchValueIn(const std::string& tail, const std::string& name) {
  const int at = PosIC(name, tail);
  if (at == 0) return std::string();
  std::string value = tail.substr(static_cast<std::size_t>(at - 1) + name.size());
  if (value.empty()) return "TRUE";
  if (value.front() == '"') {
    value.erase(0, 1);
    value = value.substr(0, value.find('"'));
  } else {
    value = value.substr(0, value.find(' '));
    value = value.substr(0, value.find('/'));
  }
  return TrimText(value);
}

std::int64_t SwitchIntIn(const std::string& tail, const std::string& name,
                         std::int64_t default_value) {
  return ParseDecimal(SwitchValueIn(tail, name), default_value);
}

// --- Registry path names ---

RegRoot RegRootIdFromName(const std::string& name) {
  const std::string n = UpperText(name);
  if (n == "HKEY_CLASSES_ROOT") return RegRoot::ClassesRoot;
  if (n == "HKEY_LOCAL_MACHINE") return RegRoot::LocalMachine;
  if (n == "HKEY_USERS") return RegRoot::Users;
  if (n == "HKEY_CURRENT_CONFIG") return RegRoot::CurrentConfig;
  if (n == "HKEY_DYN_DATA") return RegRoot::DynData;
  return RegRoot::CurrentUser;
}

void SplitRegPathText(const std::string& path, RegRoot& root, std::string& sub_key) {
  const std::string p = TrimText(path);
  const std::size_t slash = p.find('\\');
  if (PosIC("HKEY_", p) == 1 && slash != std::string::npos) {
    root = RegRootIdFromName(p.substr(0, slash));
    sub_key = p.substr(slash + 1);
  } else {
    root = RegRoot::CurrentUser;
    sub_key = p;
  }
}

std::string WindowsVersionKeyFor(bool is_nt) {
  const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  return is_nt ? ReplaceAll(key, "Windows", "Windows NT") : key;
}

// --- Number and date texts ---

std::string DateText(const DateTimeValue& when) {
  static const std::string months = "||JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC|";
  return ZeroPad(when.day, 2) + "-" + ListItem(months, when.month, "") + "-" +
         ZeroPad(when.year, 4);
}

std::string DateTimeText(const DateTimeValue& when, char time_separator) {
  const std::string sep(1, time_separator);
  return DateText(when) + "  " + ZeroPad(when.hour, 2) + sep + ZeroPad(when.minute, 2) + sep +
         ZeroPad(when.second, 2);
}

std::string MegabytesText(double bytes) {
  const double mb = (bytes > 0) ? bytes / 1048576.0 : 0.0;  // also maps NaN to 0
  const char* format = mb > 10 ? "%.1f" : (mb >= 1 ? "%.2f" : "%.3f");
  const int n = std::snprintf(nullptr, 0, format, mb);  // sized first: any double fits
  if (n <= 0) return "0.000";
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(&out[0], out.size(), format, mb);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

// --- Scrambled texts ---

const char kScrambleMarker[] = "Scrambled=01";

std::string ScrambleTextWithKey(const std::string& text, bool scramble, unsigned char key) {
  const std::size_t marker_size = sizeof kScrambleMarker - 1;
  const bool marked = text.compare(0, marker_size, kScrambleMarker) == 0;
  if (marked == scramble) return text;
  std::string body = text;
  if (!scramble) {
    // The marker alone carries no key and nothing to restore: it restores to the empty text.
    if (text.size() <= marker_size) return std::string();
    key = static_cast<unsigned char>(text[marker_size]);
    body = text.substr(marker_size + 1);
  }
  for (std::size_t i = 0; i < body.size(); ++i) {
    const unsigned position = static_cast<unsigned>(i + 1);
    // k, -k, k, ... : the sign flips after every byte.
    const unsigned k = (i % 2 == 0) ? key : (256u - key) & 0xFFu;
    body[i] = static_cast<char>(static_cast<unsigned char>(body[i]) ^ ((position + k) & 0xFFu));
  }
  if (!scramble) return body;
  return std::string(kScrambleMarker) + static_cast<char>(key) + body;
}

std::string ScrambleText(const std::string& text, bool scramble) {
  std::mt19937_64 generator = ClockSeededGenerator();
  const unsigned char key =
      static_cast<unsigned char>(33 + std::uniform_int_distribution<int>(0, 89)(generator));
  return ScrambleTextWithKey(text, scramble, key);
}
