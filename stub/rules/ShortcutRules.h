// The uninstall shortcuts an update may remove: which paths from the agent's settings file the
// stub may delete. Pure code; SetupLaunch.cpp asks the shell for the folders.
#pragma once

#include <string>
#include <vector>

#include "text/UtilsText.h"

// Whether link names a shortcut (".lnk") inside one of folders (given with or without a final
// "\"): directly in it when direct_only, else at any depth. A link with "." or ".." as a part,
// "/", ":" or a wildcard after the folder, or an empty folder, is never inside.
bool IsShortcutInside(const std::string& link, const std::vector<std::string>& folders,
                      bool direct_only, LeadByteTest is_lead);
