// ShellDir: the user's and the machine's standard folders. The shell's folder functions are
// bound at run time from the system folder (shell32's SHGetSpecialFolderPathA, SHFolder's
// SHGetFolderPathA), so the stub also starts where they are missing; the fallbacks are in
// ShellDirRules.h. Every getter gives its folder without a final backslash unless with_slash.
#pragma once

#include <string>

// The shell's answers; "" when the call fails or its function cannot be bound.
std::string SpecialFolderPath(int folder_id);
std::string FolderPath(int folder_id);

std::string DocumentsAndSettingsDir(bool with_slash);
std::string UserDir(bool with_slash);
std::string AllUsersDir(bool with_slash);
std::string UserAppDataDir(bool with_slash);
std::string AllUsersAppDataDir(bool with_slash);
std::string MyDocumentsDir(bool with_slash);
std::string AllUsersDocumentsDir(bool with_slash);
std::string UserStartMenuDir(bool with_slash);
std::string AllUsersStartMenuDir(bool with_slash);
std::string UserDesktopDir(bool with_slash);
std::string AllUsersDesktopDir(bool with_slash);
