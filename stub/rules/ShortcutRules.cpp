#include "rules/ShortcutRules.h"

namespace {

// The part of link after folder and its "\"; false when link does not lie under folder.
bool RestAfter(const std::string& link, const std::string& folder, LeadByteTest is_lead,
               std::string* rest) {
  const std::string base = StripTrailingBackslash(TrimText(folder), is_lead);
  if (base.empty() || link.size() <= base.size() + 1 || link[base.size()] != '\\' ||
      IsTrailByteAt(link, base.size(), is_lead))
    return false;
  if (UpperText(link.substr(0, base.size()), is_lead) != UpperText(base, is_lead)) return false;
  *rest = link.substr(base.size() + 1);
  return true;
}

// The parts of rest between backslashes (trail bytes of a double-byte character are not).
bool PlainParts(const std::string& rest, bool direct_only, LeadByteTest is_lead) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const char c = rest[i];
    const bool trail = IsTrailByteAt(rest, i, is_lead);
    if (!trail && (c == '/' || c == ':' || c == '*' || c == '?' || c == '"')) return false;
    if (!trail && c == '\\')
      parts.emplace_back();
    else
      parts.back() += c;
  }
  if (direct_only && parts.size() != 1) return false;
  for (const std::string& part : parts)
    if (part.empty() || part == "." || part == "..") return false;
  return true;
}

}  // namespace

bool IsShortcutInside(const std::string& link, const std::vector<std::string>& folders,
                      bool direct_only, LeadByteTest is_lead) {
  if (link.size() < 5 || UpperText(link.substr(link.size() - 4), is_lead) != ".LNK" ||
      IsTrailByteAt(link, link.size() - 4, is_lead))
    return false;
  for (const std::string& folder : folders) {
    std::string rest;
    if (RestAfter(link, folder, is_lead, &rest) && PlainParts(rest, direct_only, is_lead))
      return true;
  }
  return false;
}
