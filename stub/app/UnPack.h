// UnPack: the setup job that the stub window's first tick starts in a setup stub, the space
// check and the extraction of an archive (with its volumes) into a folder.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

// Stops the start timer (the job runs once), runs the setup, removes the extraction folder and
// posts the quit message. Never lets an exception out: errors become the error box.
void SetupJob(HWND window);

// Whether the setup job is under way; closing the stub window then only asks it to stop
// (RequestSetupJobStop), so that its folder is removed by the job itself once it has ended.
bool SetupJobRunning();
// Extraction stops before its next block and starts nothing; a setup program already started
// is still waited for, since it reads the extracted files.
void RequestSetupJobStop();
bool SetupJobStopRequested();

// Checks and extracts the archive at archive_path, then launches its setup program. True when
// the setup program succeeded.
bool RunSetup(HWND window, const std::string& extraction_folder, const std::string& archive_path,
              const std::string& agent_name, const std::string& command_text, bool foreground);

// Asks the user whether to go on where the archive says so or the space is short; true unless
// the answer is No.
class TGFileInfo;
bool ConfirmSpace(HWND window, const std::string& extraction_folder, const TGFileInfo& archive);

// The progress notification (ProgressBarsCallback's shape): stage 0 sets the range, 1 steps.
using ProgressNotify = void (*)(int stage, int low, int high, const std::string& text, int step,
                                int position);

struct UnpackRequest {
  HWND owner = nullptr;  // of the volume prompts
  std::string archive_path;   // volume 1: an executable or "NAME.001"
  std::string target_folder;  // created with its parents
  std::string agent_name;     // the agent copy's file name; "" writes none
  ProgressNotify progress = nullptr;
  std::string disk_prompt, prompt_title, button_texts;
  int charset = 0;
  bool force_prompt = false;  // ask for every further volume even when its file is there
};

enum class UnpackEnd {
  Extracted,    // every volume opened passed its checksum and every entry was written
  BadChecksum,  // a volume is missing its archive or fails its checksum: the "s7" box
  Cancelled,    // the user cancelled a volume prompt: no box
  Stopped,      // the stub window was closed: no box
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

// The checksum error box, with the texts and font of the own archive's language table.
void ShowChecksumError(HWND window);
// The error box with the given text, title and buttons from the language table.
void ShowJobError(HWND window, const std::string& text);
