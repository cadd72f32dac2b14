// Registry path names: the root key of a path text and its sub-key.
#pragma once

#include <string>

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig, DynData };
RegRoot RegRootIdFromName(const std::string& name);
void SplitRegPathText(const std::string& path, RegRoot& root, std::string& sub_key);
// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows[ NT]\CurrentVersion".
std::string WindowsVersionKeyFor(bool is_nt);
