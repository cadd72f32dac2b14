// The self-deleting batch of the stub's copies, the text: a batch that deletes the copy once its
// process has ended, removes the copy's folder if asked and empty, then deletes itself.
// Pure code; SelfDelete.h writes and starts it.
#pragma once

#include <string>

struct SelfDeletePlan {
  std::string batch_path;
  std::string exe;     // the copy to delete
  std::string folder;  // removed after the copy when remove_folder (only if then empty)
  bool remove_folder = false;
  int tries = 60;  // about a second apart
};

// "_DEL_ME_" + process id + ".BAT": each stub its own batch, so no stub rewrites another's
// while it runs.
std::string SelfDeleteBatchName(unsigned long process_id);
// Whether a program file name is one of the stub's copies ("X_" or "Y_" + name): the only
// programs a stub deletes behind itself.
bool IsStubCopyName(const std::string& file_name);
// Whether a path reads the same in every code page cmd may read the batch in: ASCII only.
bool IsBatchSafeText(const std::string& path);
// The path in double quotes, "%" doubled so that the batch reads it literally.
std::string BatchQuoted(const std::string& path);
// The batch: up to plan.tries attempts, each a delete and a pause of about a second while the
// copy is still there (still running); then the folder (RD never removes a folder with files
// in it) and the batch itself. Lines end with CR LF.
std::string SelfDeleteBatchText(const SelfDeletePlan& plan);
