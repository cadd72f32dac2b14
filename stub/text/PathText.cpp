#include "text/PathText.h"

#include <vector>

#include "text/TextBasics.h"

namespace {

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

std::string FileNameOfPath(const std::string& path) {
  return ExtractFileName(path, CurrentLeadByteTest());
}

std::string FileNameWithoutExt(const std::string& name) {
  return ChangeFileExt(name, "", CurrentLeadByteTest());
}
