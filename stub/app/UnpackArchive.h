// UnpackArchive: the extraction of an archive (with its further volumes) into a folder, every
// volume checked, read block by block and written entry by entry.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "rules/JobProgress.h"

struct UnpackRequest {
  HWND owner = nullptr;  // of the volume prompts
  std::string archive_path;   // volume 1: an executable or "NAME.001"
  std::string target_folder;  // created with its parents
  std::string agent_name;     // the agent copy's file name; "" writes none
  JobProgress progress;  // the bars, and the stop request read before every block
  std::string disk_prompt, prompt_title, button_texts;
  int charset = 0;
  bool force_prompt = false;  // ask for every further volume even when its file is there
};

enum class UnpackEnd {
  Extracted,    // every volume opened passed its checksum and every entry was written
  BadChecksum,  // a volume is missing its archive or fails its checksum: the "s7" box
  Cancelled,    // the user cancelled a volume prompt: no box
  Stopped,      // progress was aborted (the stub window was closed): no box
  Failed,       // error holds the text of the error box
};

struct UnpackResult {
  UnpackEnd end = UnpackEnd::BadChecksum;
  std::string setup_entry;  // the name field of the last entry marked "*" ("Setup.exe*/S")
  std::string error;
};

// Extracts every entry of the archive and its further volumes into the target folder. Every
// name is checked before its file is opened, and the inflated total is held to what the
// archive declares; the first fault ends the extraction.
UnpackResult UnpackArchive(const UnpackRequest& request);
