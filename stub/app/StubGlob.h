// StubGlob: the temporary folders in which the stub unpacks setups, and the agent's settings.
// Every folder handed out is new, made by this process (a name already taken gets a number
// appended, and a folder found there is never used or deleted); only folders this process made
// are ever deleted.
#pragma once

#include <cstdint>
#include <string>

#include "rules/AgentRules.h"

// Creates a new folder named stem, or stem + "_" + a number when stem is taken, and notes it as
// this process's own. Missing parents of stem are created. "" when no new folder could be made
// (*error_code then holds the system's error, when given).
std::string CreateOwnFolder(const std::string& stem, unsigned long* error_code = nullptr);
bool IsOwnFolder(const std::string& folder);
// Deletes the folder with everything in it when this process made it, and forgets it; a folder
// made by anyone else is left as it is. True when it was ours and is gone.
bool RemoveOwnFolder(const std::string& folder, bool clear_attributes);

// "SETUP_" + the time half of the running program's MS-DOS date-time, in the temporary folder:
// the name the setup folder is first tried under.
std::string SetupTempDirStem();
// The extraction folder: made on first use (CreateOwnFolder of SetupTempDirStem) and then held.
// "" when it could not be made.
std::string SetupTempDir();
// Deletes the extraction folder (only if this process made it) and forgets its name, so that a
// later SetupTempDir makes a new one.
void RemoveSetupTempDir();

// Whether one of the fixed drives C:, D: and E: has more room for work folders than the
// temporary drive; the base found is held for the process.
bool FindBestTempBase();
// A work folder under the base FindBestTempBase found ("X:\TEMP_12345"), made on first use
// and held; "" when there is no base.
std::string WorkTempDir();
void RemoveWorkTempDir();

// --- The agent's settings: the local settings file (".original") and the info file (".info") ---
//
// Both lie in the running program's folder under item 1 of the own archive's information list
// with its extension replaced. Every getter reads its file anew (nothing is cached); a yes/no key
// is true exactly when its text is "1"; a missing file or key gives the default.

std::string LocalSettingsPath();
std::string InfoFilePath();

// Agent time: the local time now as whole seconds since 30 December 1899.
std::int64_t SecondsNow();

// A text of section "AutoUpdate" of the local settings file.
std::string AgentText(const std::string& key, const std::string& default_text);

namespace OriginalSetup {
std::string ProgramName();
std::int32_t VersionOriginal();
std::int32_t Stamp();
std::int64_t ProbeSecondsInterval();
std::int64_t ProbeSecondsLast();
std::int64_t ReAskSecondsInterval();
std::int64_t ReAskSecondsLast();
void SetVersionOriginal(std::int32_t value);
void SetStamp(std::int32_t value);
void SetProbeSecondsInterval(std::int64_t value);
void SetReAskSecondsInterval(std::int64_t value);
// These two also write the "__" key: the same instant as a date-time text for people.
void SetProbeSecondsLast(std::int64_t value);
void SetReAskSecondsLast(std::int64_t value);
}  // namespace OriginalSetup

namespace Directories {
std::string TargetDir();
std::string SharedDir();
std::string AuxiliaryDir();
}  // namespace Directories

namespace UnInstall {
std::string StartUpLink();
std::string CheckforNewUpdateLink();
}  // namespace UnInstall

namespace MsgBox {
std::string BtnText();
std::string Error();
std::string Confirm();
std::string Attention();
int CharSet();
std::string FontName();
int FontSize();
}  // namespace MsgBox

namespace NewSetup {
std::string DownloadURL_UPDATE();
std::string NameOfUpdateFile();
std::int32_t SizeOfUpdateFile();
bool RequestConfirmationBeforeDownload();  // override slot 1
bool RequestConfirmationBeforeInstall();   // slot 2
bool BackgroundUpdate();                   // slot 3
std::string ShutDownMethod();
bool RestartProcess();                     // slot 5
bool InformFinish();                       // slot 4
std::string RunningProcess();
std::string ProgramName();
std::int32_t VersionNew();
std::int32_t Stamp();
std::string ValidVersions();
bool RemoveStartUpShortcut();
bool RemoveCheckForNewUpdateShortcut();
}  // namespace NewSetup

namespace General {
std::int32_t AutoInform();
}  // namespace General

namespace AutoInform {
std::string DownloadURL_INFORM();
std::string NameOfInformFile();
std::int32_t SizeOfInformFile();
std::int32_t AutoInformW();
std::int32_t AutoInformH();
}  // namespace AutoInform

// The agent's six override slots (255 at start).
std::uint8_t OverrideSlot(int slot);
void SetOverrideSlot(int slot, std::uint8_t value);  // slots outside 0..5 are ignored
std::string OverrideListText();
void ApplyOverrideList(const std::string& list);
