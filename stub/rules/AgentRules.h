// Decisions of the auto-update agent that need no system call: agent time, the override slots,
// when a check is due and how far a check gets (its level). Pure code; AgentSettings.h and StubAU.h
// feed them the settings files, the registry and the clock.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "text/UtilsText.h"

// --- Agent time: whole seconds since 30 December 1899 00:00 (local time) ---

std::int64_t AgentSeconds(const DateTimeValue& when);
// The date-time of an agent time (for the "__" keys people read).
DateTimeValue AgentDateTime(std::int64_t seconds);

// --- Override slots: six bytes, 255 = "not overridden" ---

constexpr int kOverrideSlots = 6;
constexpr std::uint8_t kNoOverride = 255;
using OverrideSlots = std::array<std::uint8_t, kOverrideSlots>;

constexpr OverrideSlots InitialOverrideSlots() {
  return {kNoOverride, kNoOverride, kNoOverride, kNoOverride, kNoOverride, kNoOverride};
}
// "|v0|v1|v2|v3|v4|v5|" in decimal.
std::string OverrideListText(const OverrideSlots& slots);
// Item i of the list, read as a decimal number, goes into slot i (kept in one byte); a missing
// item or one that is not a number keeps the slot.
void ApplyOverrideList(OverrideSlots& slots, const std::string& list);
// A yes/no key replaced by its slot: the slot's value (yes when 1) unless it holds 255.
bool OverriddenYesNo(std::uint8_t slot, bool file_value);

// --- When a check is due ---

struct ShotTimeInput {
  bool first_shot = true;
  bool force_shot = false;
  bool test_mode = false;
  std::int64_t probe_interval = 0;  // "ProbeSecondsInterval"
  std::int64_t probe_last = 0;      // "ProbeSecondsLast"
  std::int64_t now = 0;             // agent time
};
// 0 no check, 1 a check, 2 the one check of a run whose interval is 0.
int ShotTimeStatus(const ShotTimeInput& in);

// --- How far a check gets ---

// "," + version + "," occurs in "," + valid_versions + ","; an empty list admits every version.
bool IsValidVersion(const std::string& valid_versions, std::int32_t version_original);
// An offered stamp is offered again once the interval has passed; never when it is 0 or below.
bool IsReAskDue(std::int64_t now, std::int64_t reask_last, std::int64_t reask_interval);

struct CheckLevelInput {
  bool info_received = false;
  bool interactive = false;  // CheckMode 1: the stamp does not hold the offer back
  std::int32_t version_original = 0;
  std::int32_t version_new = 0;
  std::int32_t stamp_original = 0;
  std::int32_t stamp_new = 0;
  std::int64_t now = 0;
  std::int64_t reask_last = 0;
  std::int64_t reask_interval = 0;
  std::string valid_versions;
  // Asked only when level 5 is reached: the size query may go to the network.
  std::function<bool()> size_matches;
};
// 0..6; 6 means the update (or the inform window) is offered now.
int CheckLevel(const CheckLevelInput& in);

// --- Names from the info file ---

// Why a file name from the info file may not be fetched into the agent's folder ("" when it
// may): it must be a plain name (archive::IsSafeEntryName) and none of the protected names (the
// agent, its transient copy, the settings and info files, the program being updated), compared
// trimmed and without regard to case.
std::string AgentTargetRefusal(const std::string& name,
                               const std::vector<std::string>& protected_names,
                               LeadByteTest is_lead);

// The folder, inside the agent's own, that receives the files the info file names: whatever
// those names are, they can only replace or delete the agent's own downloads. The agent's name
// without its extension and ".downloads".
std::string AgentDownloadFolderName(const std::string& agent_exe_name, LeadByteTest is_lead);

// --- Values from the info file that reach beyond the product ---

// Whether "DownloadURL_UPDATE" may be used: an http or https address, or a folder on a local
// drive ("C:\..."). A UNC path ("\\host\share") would hand the user's credentials to that host.
bool IsAllowedUpdateSource(const std::string& base);
// Whether path (a full path) names something inside folder (a full path), compared without
// regard to case; "." and ".." parts put it outside.
bool IsInsideFolder(const std::string& path, const std::string& folder);
