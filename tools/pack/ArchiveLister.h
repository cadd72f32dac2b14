// The listing of an archive-bearing file and its volumes, for people who debug installers.
#pragma once

#include <ostream>
#include <string>

#include "text/UtilsText.h"

namespace pack {

// Prints trailer fields, header items and entries (with sizes and dates) of path and of every
// further volume. Returns false when something is damaged or an entry name could leave the
// extraction folder (each problem is printed). Names are judged as the code page described by
// is_lead reads them.
bool ListArchive(const std::string& path, std::ostream& out, LeadByteTest is_lead = NoLeadBytes);

}  // namespace pack
