#include "rules/AgentRules.h"

#include "format/EntryName.h"
#include "rules/AgentProtocol.h"

#include <algorithm>
#include <cstdint>

namespace {

// Days from 1 March of year 0 (proleptic Gregorian) to the date.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

// The date of a day counted from 1 January 1970.
DateTimeValue CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  DateTimeValue out;
  out.day = int(doy - (153 * mp + 2) / 5 + 1);
  out.month = int(mp < 10 ? mp + 3 : mp - 9);
  out.year = int(yoe + era * 400 + (out.month <= 2));
  return out;
}

// Stored times come from a file anyone can edit: a sum past the 64-bit range stays at its end.
std::int64_t AddClamped(std::int64_t a, std::int64_t b) {
  if (b > 0 && a > INT64_MAX - b) return INT64_MAX;
  if (b < 0 && a < INT64_MIN - b) return INT64_MIN;
  return a + b;
}

}  // namespace

std::int64_t AgentSeconds(const DateTimeValue& when) {
  const std::int64_t days =
      DaysFromCivil(when.year, when.month, when.day) - DaysFromCivil(1899, 12, 30);
  return days * 86400 + std::int64_t(when.hour) * 3600 + when.minute * 60 + when.second;
}

DateTimeValue AgentDateTime(std::int64_t seconds) {
  // Whole days down, so that a time before the epoch still has a time of day from 0 to 86399.
  std::int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Kept between year 0 and a year that fits an int.
  const std::int64_t epoch = DaysFromCivil(1899, 12, 30);  // counted from 1 March of year 0
  days = std::max<std::int64_t>(-epoch, std::min<std::int64_t>(days, 300000000));
  DateTimeValue out = CivilFromDays(days + epoch - 719468);
  out.hour = int(rest / 3600);
  out.minute = int(rest / 60 % 60);
  out.second = int(rest % 60);
  return out;
}

std::string OverrideListText(const OverrideSlots& slots) {
  std::string list = "|";
  for (std::uint8_t slot : slots) list += IntText(slot) + "|";
  return list;
}

void ApplyOverrideList(OverrideSlots& slots, const std::string& list) {
  for (int i = 0; i < kOverrideSlots; ++i) {
    const std::string item = ListItem(list, i, "");
    // Any text that is not a whole number is "missing"; the sentinel is outside int64 reach.
    const std::int64_t none = INT64_MIN;
    const std::int64_t value = ParseDecimal(item, none);
    if (value != none) slots[std::size_t(i)] = std::uint8_t(value & 0xFF);
  }
}

bool OverriddenYesNo(std::uint8_t slot, bool file_value) {
  return slot == kNoOverride ? file_value : slot == 1;
}

int ShotTimeStatus(const ShotTimeInput& in) {
  if (!in.first_shot && !in.force_shot) return 0;
  const std::int64_t interval = in.test_mode ? 5 : in.probe_interval;
  int status = in.now >= AddClamped(in.probe_last, interval) ? 1 : 0;
  if (in.probe_interval == 0 && status == 1) status = 2;
  if (in.probe_interval == -1) status = 0;
  if (in.force_shot) status = 1;
  return status;
}

bool IsValidVersion(const std::string& valid_versions, std::int32_t version_original) {
  if (valid_versions.empty()) return true;
  return Pos("," + IntText(version_original) + ",", "," + valid_versions + ",") > 0;
}

bool IsReAskDue(std::int64_t now, std::int64_t reask_last, std::int64_t reask_interval) {
  return reask_interval > 0 && now > AddClamped(reask_last, reask_interval);
}

int CheckLevel(const CheckLevelInput& in) {
  int level = 0;
  if (!in.info_received) return level;
  level = 1;
  if (in.version_original <= 0) return level;
  level = 2;
  if (in.stamp_new == in.stamp_original && !IsReAskDue(in.now, in.reask_last, in.reask_interval) &&
      !in.interactive)
    return level;
  level = 3;
  if (in.version_new <= in.version_original) return level;
  level = 4;
  if (!IsValidVersion(in.valid_versions, in.version_original)) return level;
  level = 5;
  if (!in.size_matches || !in.size_matches()) return level;
  return kLevelOffered;
}

std::string AgentTargetRefusal(const std::string& name,
                               const std::vector<std::string>& protected_names,
                               LeadByteTest is_lead) {
  const std::string unsafe = archive::UnsafeEntryNameReason(name, is_lead);
  if (!unsafe.empty()) return "not a plain file name (" + unsafe + "): " + name;
  for (const std::string& kept : protected_names)
    if (!TrimText(kept).empty() && SameTextTrimmed(name, kept))
      return "the agent's own file: " + name;
  return std::string();
}

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool StartsWithIC(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  return true;
}

bool IsSlash(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool IsAllowedUpdateSource(const std::string& base_in) {
  const std::string base = TrimText(base_in);
  if (StartsWithIC(base, "http://") || StartsWithIC(base, "https://")) return base.size() > 8;
  const char drive = Lower(base.empty() ? '\0' : base[0]);
  return base.size() >= 3 && drive >= 'a' && drive <= 'z' && base[1] == ':' && IsSlash(base[2]);
}

bool IsInsideFolder(const std::string& path, const std::string& folder_in) {
  std::string folder = folder_in;
  while (!folder.empty() && IsSlash(folder.back())) folder.pop_back();
  if (folder.empty() || path.size() <= folder.size() + 1) return false;
  if (!StartsWithIC(path, folder) || !IsSlash(path[folder.size()])) return false;
  // Every part below the folder must be a real name.
  std::size_t start = folder.size() + 1;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSlash(path[end])) ++end;
    const std::string part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

std::string AgentDownloadFolderName(const std::string& agent_exe_name, LeadByteTest is_lead) {
  std::string base = TrimText(agent_exe_name);
  const std::size_t dot = base.rfind('.');
  if (dot != std::string::npos && base.find_first_of("\\/", dot) == std::string::npos)
    base.erase(dot);
  if (base.empty() || !archive::UnsafeEntryNameReason(base + ".downloads", is_lead).empty())
    base = "Agent";
  return base + ".downloads";
}
