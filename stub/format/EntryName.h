// The one test of whether an archive entry name may be joined to the extraction folder, shared
// by the builder (before it stores a name) and the stub (before it opens a file). Pure code.
#pragma once

#include <string>

#include "text/UtilsText.h"

namespace archive {

// A plain file name: no separator, drive colon, wildcard or control byte, not "." or "..", not
// ending in a dot or blank (Windows drops those), no device name (also with an extension).
//
// Names are bytes of the code page that is_lead describes. The second byte of a double-byte
// character is part of that character, so a 0x5C there is no separator; a lead byte without a
// valid second byte makes the name unsafe, since the system would read the bytes apart. Where
// the extracting code page is not known, pass NoLeadBytes: every 0x5C byte is then a separator.
//
// Returns "" when safe, else why not.
std::string UnsafeEntryNameReason(const std::string& name, LeadByteTest is_lead);
inline bool IsSafeEntryName(const std::string& name, LeadByteTest is_lead) {
  return UnsafeEntryNameReason(name, is_lead).empty();
}

}  // namespace archive
