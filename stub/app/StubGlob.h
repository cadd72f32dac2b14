// StubGlob: the temporary folders in which the stub unpacks setups (the agent's settings are in
// AgentSettings.h). Every folder handed out is new, made by this process (a name already taken
// gets a number appended, and a folder found there is never used or deleted); only folders this
// process made are ever deleted.
#pragma once

#include <cstdint>
#include <string>

// Creates a new folder named stem, or stem + "_" + a number when stem is taken, and notes it as
// this process's own. Missing parents of stem are created. "" when no new folder could be made
// (*error_code then holds the system's error, when given). With private_rights the folder is
// made with rights for the current user, the system and the administrators alone, and not
// made at all where it could not be (PrivateFolder.h).
std::string CreateOwnFolder(const std::string& stem, unsigned long* error_code = nullptr,
                            bool private_rights = false);
bool IsOwnFolder(const std::string& folder);
// Deletes the folder with everything in it when this process made it, and forgets it; a folder
// made by anyone else is left as it is. True when it was ours and is gone.
bool RemoveOwnFolder(const std::string& folder, bool clear_attributes);

// Gives up the folder without deleting it (a program started from it still runs): no later
// removal of this process touches it.
void LeaveFolderInUse(const std::string& folder);

// "SETUP_" + the time half of the running program's MS-DOS date-time, in the temporary folder:
// the name the setup folder is first tried under.
std::string SetupTempDirStem();
// The extraction folder: made on first use (CreateOwnFolder of SetupTempDirStem) and then held.
// "" when it could not be made (*error_code then holds the system's error, when given).
std::string SetupTempDir(unsigned long* error_code = nullptr);
// Deletes the extraction folder (only if this process made it) and forgets its name, so that a
// later SetupTempDir makes a new one.
void RemoveSetupTempDir();

// Whether one of the fixed drives C:, D: and E: has more room for work folders than the
// temporary drive; the base found is held for the process.
bool FindBestTempBase();
// A work folder under the base FindBestTempBase found ("X:\TEMP_12345"), made on first use
// and held, private to the user (outside the user's profile, other users could write into it
// between extraction and start); "" when there is no base or no such folder can be made there.
std::string WorkTempDir();
void RemoveWorkTempDir();
