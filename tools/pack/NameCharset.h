// Entry names are stored in the code page of the machine that extracts them (GBK for the shipped
// archive); names given on a UTF-8 command line are converted to it.
#pragma once

#include <string>

namespace pack {

// Converts a UTF-8 name to the named character set ("GBK", "CP936", "CP1252", ...). Throws
// PackError when the set is unknown or the name has a character it lacks.
std::string NameInCharset(const std::string& utf8_name, const std::string& charset);

}  // namespace pack
