// Global: folder macros with the values of this computer (the rules are in FolderMacros.h), the
// three installation folders they name, the origin program, and the folders kept in the
// registry and the 16-bit system folder.
#pragma once

#include <string>

// "<InstallDir>" and the other macros of text expanded; see ExpandMacrosWith.
std::string ExpandMacros(const std::string& text, const std::string& suffix, bool resolve_dots,
                         bool user_macros);
std::string DateMacroText(char letter);

// Set together by the update cycle from the local settings file.
void SetInstallFolders(const std::string& application, const std::string& common,
                       const std::string& auxiliary);
std::string ApplicationFolder();
std::string CommonFolder();
std::string AuxiliaryFolder();

// The program that started the setup ("/OriginExe=", "*" standing for blanks), else this one;
// OriginDir is its folder without a final backslash.
std::string OriginExe();
std::string OriginDir();

std::string ProgramFilesDir(bool with_slash);
std::string CommonFilesDir(bool with_slash);
std::string StartMenuDir(bool with_slash);
std::string FontsDir(bool with_slash);
std::string System16Dir(bool with_slash);
