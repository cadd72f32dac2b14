// Utils: the stub's flat utility unit, Win32 side. The byte-string rules live in UtilsText.h
// (included here); this header adds the system's lead-byte test, the program's location and
// command line, INI and registry access, system names, waits that serve the message queue,
// safe run-time binding of system DLLs, and a few window helpers.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <string>

#include "text/UtilsText.h"
#include "win/Owners.h"

// --- Paths and the program's own location ---

bool IsLeadByte(unsigned char byte);  // lead byte of the ANSI code page
// Makes IsLeadByte the process's lead-byte rule (SetLeadByteTest, UtilsText.h), so that case
// folding never touches the second byte of a double-byte character. Called by the program
// entry before any text is handled; until then the texts are treated as single-byte.
void InstallSystemLeadByteRule();
std::string FixTrailingBackslash(const std::string& path, bool add);
std::string StripTrailingBackslash(const std::string& path);
std::string CollapseBackslashes(const std::string& path, bool strip_trailing);

std::string ExeFileName();
std::string ExeDir(bool with_slash);
std::string WindowsDir(bool with_slash);
std::string SystemDir(bool with_slash);
std::string TempDir(bool with_slash);
bool IsWinNT();

// --- Command line ---

std::string CommandTail();
bool HasSwitch(const std::string& name);
std::string SwitchValue(const std::string& name);
std::int64_t SwitchInt(const std::string& name, std::int64_t default_value);

// --- Settings storage ---

std::string IniReadText(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& default_value);
std::int64_t IniReadInt(const std::string& file, const std::string& section,
                        const std::string& key, std::int64_t default_value);
bool IniWriteText(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value);
bool IniWriteInt(const std::string& file, const std::string& section, const std::string& key,
                 std::int64_t value);

HKEY RegRootFromName(const std::string& name);
void SplitRegPath(const std::string& path, HKEY& root, std::string& sub_key);
std::string RegReadText(const std::string& path, const std::string& value_name,
                        const std::string& default_value);

// --- System names ---

std::string LoggedUserName();
std::string ComputerName();
std::string WindowsVersionKey();
std::string OwnerUserName();
std::string OwnerCompanyName();
std::string AccountDomain(const std::string& account);
std::string CurrentDomainName();

// --- Time, errors, windows ---

DateTimeValue LocalNow();
DateTimeValue DateTimeFromSystemTime(const SYSTEMTIME& time);
std::string DateTimeText(const DateTimeValue& when);  // with the locale's time separator
std::string WindowText(HWND window);
std::string LastErrorText();                 // for GetLastError() of the calling thread
std::string LastErrorText(DWORD error_code);  // for a code captured at the failing call
int PointsToPixels(int points);
COLORREF SystemColorValue(std::int32_t colour);
// Sets the status line's text in a font made for it, which font_owner keeps (deleting the one
// it held) as long as the window shows it.
void SetStatusText(HWND window, FontOwner& font_owner, const std::string& text,
                   const std::string& font_name, int font_size, int charset);

// --- Waiting while the windows of the thread stay responsive ---

// Dispatches every waiting message, then sleeps for milliseconds. 0 serves the queue between the
// pieces of a long job without giving up the processor: on a busy machine a yield costs a
// time slice each.
void PumpMessages(DWORD milliseconds);
void WaitPumping(DWORD milliseconds, DWORD step);

void SetAutoPlayCancel(bool enable);
UINT AutoPlayCancelMessage();

// --- Shell and DLLs ---

bool ShellOpen(const std::string& file, const std::string& parameters, int show_command);

// Loads a system DLL from the system folder only, never from the program's folder or the
// current folder (a planted DLL of the same name must not be picked up). Takes a bare file
// name such as "wininet.dll"; a name with a path is refused. The module is never freed.
HMODULE LoadSystemLibrary(const std::string& dll_name);
// The way LoadSystemLibrary takes on systems without the system-folder search flag: the full
// path in the system folder.
HMODULE LoadSystemLibraryByPath(const std::string& dll_name);
// The function's address in a system DLL loaded by LoadSystemLibrary; nullptr if either is
// missing.
FARPROC BindProc(const std::string& dll_name, const std::string& function_name);
template <class Function>
Function BindProcAs(const std::string& dll_name, const std::string& function_name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(BindProc(dll_name, function_name)));
}
// Called first by the program entry: limits the DLL search of every later load to the
// system folder where the system allows it, and drops the current folder from the search.
// True when the system-folder-only default could be set.
bool RestrictDllSearch();
