// UpdateSignature: with an update key in the stub's header, nothing the agent or the internet
// setup takes from an update source is used before its detached signature (the file's name +
// ".sig", fetched from the same place) verified against that key. The file is verified from a
// handle that forbids writing and deleting (VerifiedFile), which the caller keeps until the file
// has served, so the bytes checked are the bytes used. A refusal deletes the file and its
// signature, says so in a box and in the trace, and leaves everything installed as it was.
// Without a key everything behaves as before: the product's updates are unsigned.
#pragma once

#include <cstdint>
#include <string>

#include "win/VerifiedFile.h"

// How a check of a taken file ended.
enum class TakenFile {
  Unsigned,  // the stub has no update key: nothing was checked, nothing is held
  Verified,  // the file is genuine and held in *held
  Refused,   // file and signature deleted, reported
};

// Verifies file (already in the agent's folder) with name + ".sig" from base, a URL or a folder
// (TestModeURL in test mode), as DownloadFileAU took the file. expected_size < 0: any size.
TakenFile VerifyAgentFile(const std::string& base, const std::string& file,
                          std::int64_t expected_size, VerifiedFile* held);

// The internet setup's setup file (downloaded from url, or found in the own folder) verified with
// url + ".sig", or with file + ".sig" beside a file found in the own folder. The caller reports
// a refusal (*reason: "PATH: why") in its own error box; the file is deleted unless it was
// found in the own folder.
TakenFile VerifyDownloadedSetup(const std::string& url, const std::string& file, bool downloaded,
                                VerifiedFile* held, std::string* reason);

// How many files this process has refused so far: a check whose update was refused must not
// count as offered, so that the next due check tries again.
int RefusedFileCount();

// The box text of a refusal: "Update not genuine!" and the file's name.
std::string NotGenuineText(const std::string& file);
