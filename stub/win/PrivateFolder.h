// A folder that only the current user, the system and the administrators may enter: for work
// folders made outside the user's own profile (a drive's root), where other users could
// otherwise write into them between extraction and start.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

// Creates the folder (its parent must exist) with full rights for those three alone, inherited
// by what is made inside and nothing inherited from the parent. False with *error_code set when
// it could not be made, or made so: a volume that keeps no rights (FAT), a system without them
// or rights that did not hold leave no folder (ERROR_NOT_SUPPORTED).
bool CreatePrivateFolder(const std::string& path, DWORD* error_code);
