#include "format/EntryName.h"

namespace archive {

namespace {

// Second bytes of every double-byte Windows code page lie in 0x40..0xFE, never 0x7F.
bool IsTrailByte(unsigned char c) { return c >= 0x40 && c != 0x7F && c != 0xFF; }

bool IsDeviceName(const std::string& name) {
  // Device names keep their meaning with any extension ("NUL.txt") and trailing blanks.
  const std::string stem = TrimText(UpperText(name.substr(0, name.find('.'))));
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices)
    if (stem == device) return true;
  // Windows also reads the superscript digits of code page 1252 (0xB9, 0xB2, 0xB3) there.
  const unsigned char digit = stem.size() == 4 ? static_cast<unsigned char>(stem[3]) : 0;
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
         ((digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

}  // namespace

std::string UnsafeEntryNameReason(const std::string& name, LeadByteTest is_lead) {
  if (name.empty()) return "the name is empty";
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (is_lead(c)) {
      if (i + 1 >= name.size() || !IsTrailByte(static_cast<unsigned char>(name[i + 1])))
        return "the name has a double-byte character without its second byte";
      ++i;  // the second byte belongs to the character, whatever its value
      continue;
    }
    if (c == '\\' || c == '/') return "the name contains a path separator";
    if (c == ':') return "the name contains a drive or stream colon";
    if (c < 0x20 || c == 0x7F) return "the name contains a control character";
    if (c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
      return "the name contains a character Windows does not allow in file names";
  }
  if (name == "." || name == "..") return "the name refers to a folder, not a file";
  const char last = name.back();
  if (last == '.' || last == ' ') return "the name ends in a dot or blank, which Windows drops";
  if (IsDeviceName(name)) return "the name is a Windows device name";
  return "";
}

}  // namespace archive
