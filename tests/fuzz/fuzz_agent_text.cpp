// The agent's readers of values a server sends: the info file's version list and override list,
// the names it downloads to, the range reply and the resume plan, the "404" page, the part-file
// names, and the inform file with its token field and address.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "format/EntryName.h"
#include "format/GFileInfo.h"
#include "format/InformFile.h"
#include "fuzz_check.h"
#include "rules/AgentRules.h"
#include "rules/DownloadRules.h"
#include "text/UtilsText.h"

namespace {

void check_versions(FuzzedDataProvider& in) {
  const std::string list = in.ConsumeRandomLengthString(256);
  const std::int32_t version = in.ConsumeIntegral<std::int32_t>();
  // An accepted version stands as a whole item of the list.
  if (IsValidVersion(list, version) && !list.empty()) {
    bool whole_item = false;
    for (int i = 0, n = ListItemCount("," + list + ","); i < n && !whole_item; ++i)
      whole_item = ListItem("," + list + ",", i, "") == IntText(version);
    check(whole_item);
  }
  check(IsValidVersion(list + "," + IntText(version), version));
}

void check_overrides(FuzzedDataProvider& in) {
  OverrideSlots slots;
  for (auto& slot : slots) slot = in.ConsumeIntegral<std::uint8_t>();
  const OverrideSlots before = slots;
  const std::string list = in.ConsumeRandomLengthString(256);
  ApplyOverrideList(slots, list);
  // Every slot ends as it was or as the item's number says.
  for (int i = 0; i < kOverrideSlots; ++i) {
    const std::int64_t value = ParseDecimal(ListItem(list, i, ""), -1000);
    const std::size_t k = std::size_t(i);
    check(slots[k] == before[k] || (value != -1000 && slots[k] == std::uint8_t(value & 0xFF)));
  }
  // The stored text reads back to the same slots.
  OverrideSlots again = InitialOverrideSlots();
  ApplyOverrideList(again, OverrideListText(slots));
  check(again == slots);
}

bool has_separator_at_char_start(const std::string& name, LeadByteTest is_lead) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c == '/' || c == '\\' || c == ':') return true;
    if (is_lead(c)) ++i;
  }
  return false;
}

void check_target_name(FuzzedDataProvider& in) {
  const LeadByteTest is_lead = in.ConsumeBool() ? GbkLeadByte : NoLeadBytes;
  std::vector<std::string> kept;
  for (int i = in.ConsumeIntegralInRange(0, 3); i > 0; --i)
    kept.push_back(in.ConsumeRandomLengthString(32));
  const std::string name = in.ConsumeRandomLengthString(128);
  if (!AgentTargetRefusal(name, kept, is_lead).empty()) return;
  // An accepted name stays inside the agent's folder and is none of the kept files.
  check(!name.empty() && !has_separator_at_char_start(name, is_lead));
  check(TrimText(name) != "." && TrimText(name) != "..");
  check(name.find('/') == std::string::npos && name.find(':') == std::string::npos);
  for (const std::string& k : kept) check(TrimText(k).empty() || !SameTextTrimmed(name, k));
}

void check_download(FuzzedDataProvider& in) {
  const std::int64_t part = in.ConsumeIntegral<std::int64_t>();
  const std::int32_t size = in.ConsumeIntegral<std::int32_t>();
  const ResumePlan plan = PlanResume(part, size, in.ConsumeBool());
  // Only a part strictly inside the file is resumed, and it is kept whole.
  check(!plan.resume || (part > 0 && part < size && plan.offset == part && !plan.truncate_part));
  check(plan.resume || plan.offset == 0);

  const int status = in.ConsumeIntegralInRange(100, 599);
  const std::int64_t offset = in.ConsumeIntegral<std::int64_t>();
  const std::string range = in.ConsumeRandomLengthString(64);
  if (RangeReplyContinues(status, range, offset, size)) {
    // A continuation is the rest of the file: it starts inside it and runs to its end.
    check(status == 206 && offset >= 0 && offset < size);
  }
  if (size > 0 && offset >= 0 && offset < size)
    check(RangeReplyContinues(206, "bytes " + IntText(offset) + "-" + IntText(size - 1) + "/" +
                                       IntText(size), offset, size));

  const std::string target = in.ConsumeRandomLengthString(64);
  const std::uint32_t date = in.ConsumeIntegral<std::uint32_t>();
  const std::string part_name = PartFileName(target, size, date);
  check(IsPartFileNameOf(part_name, target));
  check(!IsPartFileNameOf(target, target));
  const std::string other = in.ConsumeRandomLengthString(64);
  // Only the target's name, a dot and a signed number count as its part file.
  if (IsPartFileNameOf(other, target)) {
    check(other.size() > target.size() + 1 && other[target.size()] == '.');
    check(SameTextIC(other.substr(0, target.size()), target));
    const std::string number = other.substr(target.size() + 1);
    check(number.find_first_not_of("-0123456789") == std::string::npos &&
          number.find('-', 1) == std::string::npos);
  }

  const std::string url = in.ConsumeRandomLengthString(64);
  const std::string page = in.ConsumeRandomLengthString(1024);
  const std::string text = NotFoundPageTextOf(page, url, in.ConsumeBool(), "default");
  if (text != "default") {
    check(Pos("404", page) > 0 && PosIC("<TITLE", page) > 0 && PosIC("</TITLE", page) > 0);
    check(url.empty() || Pos(url, text) > 0);
  }
}

void check_inform(FuzzedDataProvider& in) {
  const std::string stored = in.ConsumeRandomLengthString(64);
  const std::string file = in.ConsumeRemainingBytesAsString();
  const InformContent content = ReadInformText(file, stored);
  check(content.body.size() <= file.size());
  std::string token;
  std::string field, body;
  SplitTokenField(file, &field, &body);
  // A matching token is a sound token equal to the stub's.
  if (content.token_matches) check(SameToken(field, stored) && SameToken(stored, stored));
  if (!TryUnscrambleToken(stored, &token)) check(!content.token_matches);

  for (const std::string& address : {file, content.body, TrimText(content.body)}) {
    if (!IsWebAddress(address)) continue;
    const std::string head = UpperText(address.substr(0, 8));
    check(head.compare(0, 7, "HTTP://") == 0 || head == "HTTPS://");
    for (unsigned char c : address) check(c > 32 && c != '"' && c != 127);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0: check_versions(in); break;
    case 1: check_overrides(in); break;
    case 2: check_target_name(in); break;
    case 3: check_download(in); break;
    default: check_inform(in); break;
  }
  return 0;
}
