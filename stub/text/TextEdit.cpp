#include "text/TextEdit.h"

#include "text/TextBasics.h"

namespace {

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

}  // namespace

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
