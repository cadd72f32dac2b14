// The self-deleting batch of the stub's copies, Win32 side: writes the batch of SelfDeleteBatch.h
// into the user's temporary folder and starts it hidden, to run on after this process.
#pragma once

#include <string>

// For the copy exe (a "X_" or "Y_" file; any other program is refused): its batch
// "_DEL_ME_<pid>.BAT" deletes exe once it can, with remove_folder also exe's folder if that is
// then empty, then itself. With short_names the paths are their 8.3 forms (still quoted: a
// volume without 8.3 names gives the long ones back). True when the batch was started.
bool WriteAndStartSelfDeleteBatch(const std::string& exe, bool remove_folder, bool short_names);
