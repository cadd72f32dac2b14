// Files: the disk and file operations that extraction, download, clean-up and the folder
// searches share. Paths are ANSI text of the system code page; folders are joined with "\".
// The arithmetic behind them is in FileRules.h.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "rules/FileRules.h"
#include "win/Owners.h"

// Size of the first file a directory search finds for path (hidden, system and read-only files
// included); 0 when none.
std::uint32_t FileSizeOf(const std::string& path);

// The file's bytes from offset to its end, at most maximum bytes when maximum is not 0; empty
// when the file is missing, offset is negative or not below the size, or the read falls short.
std::string ReadFilePart(const std::string& path, std::int64_t offset, std::uint32_t maximum);

// Called between the pieces of a large write; the stub serves its message queue.
using BetweenPieces = std::function<void()>;

// Writes data to path (WriteMode, FileRules.h: Create truncates or creates; Append opens or creates and writes at the
// end). Data above 1 MiB go in pieces (WritePieceSize). When every byte was written and
// dos_date is not 0, the file's modification time becomes that local MS-DOS date-time. True
// when every byte was written and the file closed cleanly; else *error_code (when given) holds
// the system's error code taken at the failing call.
bool WriteFileData(const std::string& path, std::string_view data, std::uint32_t dos_date,
                   WriteMode mode, DWORD* error_code = nullptr, const BetweenPieces& between = {});
bool AppendData(const std::string& path, const std::string& data, std::uint32_t dos_date,
                DWORD* error_code = nullptr);

// The pieces of WriteFileData, for a file written in several calls (a download's part file):
// path opened as mode says (empty, with *error_code, when it cannot be), and every byte of data
// written to an open file in pieces, false with *error_code at the first failing piece.
OwnedHandle OpenForWriting(const std::string& path, WriteMode mode, DWORD* error_code);
bool WriteAllTo(HANDLE file, std::string_view data, DWORD* error_code,
                const BetweenPieces& between = {});

// The file-name part of path without its extension (double-byte aware).
std::string NameWithoutExt(const std::string& path);

// Bytes free for the calling user on the drive of path; 0 when it cannot be told.
double FreeSpace(const std::string& path);

// The file's last-write time as a local MS-DOS date-time; 0 when it cannot be read.
std::uint32_t FileDosDateTime(const std::string& path);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The absolute form of path (relative to the current folder); path itself when it has none.
std::string FullPathName(const std::string& path);
// Creates the folder and every missing parent. True when the folder exists afterwards; else
// *error_code (when given) holds the error of the failing creation.
bool ForceFolders(const std::string& folder, DWORD* error_code = nullptr);

// folder\name when that file exists, else searched depth-first in the subfolders; "".
std::string FindFileInTree(const std::string& folder, const std::string& name);
// FindFileInTree on the roots C:\ .. Z:\ of the drives of that system drive type.
std::string FindFileOnDrives(const std::string& name, UINT drive_type);
// folder itself when its path ends with "\" + name (without regard to case), else searched
// depth-first in the subfolders; "".
std::string FindFolderInTree(const std::string& folder, const std::string& name);
std::string FindFolderOnDrives(const std::string& name, UINT drive_type);

// Deletes every file matching mask (read-only, hidden and system files too); with
// clear_attributes each is first set to normal. True when at least one file matched. Never
// fails towards the caller.
bool DeleteFiles(const std::string& mask, bool clear_attributes);
// Deletes the folder's files, its subfolders recursively and the folder itself. A linked folder
// (junction or symbolic link) inside is removed as a link: what it points to is not touched.
// True when the folder existed before and is gone now.
bool DeleteTree(const std::string& folder, bool clear_attributes);

// Ejects the medium of the drive holding path when that is a CD drive; true when the request
// succeeded. Any other drive gives false without opening a device.
bool EjectCd(const std::string& path);
