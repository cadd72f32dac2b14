// The listing of an archive-bearing file and its volumes, for people who debug installers.
#pragma once

#include <ostream>
#include <string>

namespace pack {

// Prints trailer fields, header items and entries (with sizes and dates) of path and of every
// further volume. Returns false when something is damaged (each problem is printed).
bool ListArchive(const std::string& path, std::ostream& out);

}  // namespace pack
