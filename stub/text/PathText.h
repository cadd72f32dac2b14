// Path texts, double-byte aware through the lead-byte rule: backslashes, file names, extensions.
#pragma once

#include <cstddef>
#include <string>

#include "text/TextBasics.h"

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

// The file name of a path and a name without its extension, with the process's lead-byte rule.
std::string FileNameOfPath(const std::string& path);
std::string FileNameWithoutExt(const std::string& name);
