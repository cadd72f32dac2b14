#include "text/TextSearch.h"

#include "text/TextBasics.h"
#include "text/TextDetail.h"

using text_detail::Find;
using text_detail::ToPosition;

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
  return EndPosIC(sub, text, CurrentLeadByteTest());
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
