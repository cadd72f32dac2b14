#include "rules/ExtractRules.h"

#include <algorithm>
#include <limits>

#include "rules/FileRules.h"

std::size_t InflateBudget::EntryLimit() const {
  const std::uint64_t left = used_ < limit_ ? limit_ - used_ : 0;
  return std::size_t(std::min<std::uint64_t>(left + kHeaderRoom,
                                             std::numeric_limits<std::size_t>::max() / 2));
}

bool InflateBudget::Take(std::uint64_t data_size) {
  used_ += data_size;
  return used_ <= limit_;
}

std::string SpaceQuestionText(const SpaceTexts& texts, const std::string& folder, double needed,
                              double free_bytes, bool confirm_extract) {
  std::string text = confirm_extract ? texts.extract_to : std::string();
  if (SpaceIsShort(needed, free_bytes)) text = texts.limited;
  if (text.empty()) return text;
  text += texts.required + texts.available + texts.continue_ask;
  const std::string drive = folder.empty() ? std::string(":") : UpperText(folder.substr(0, 1)) + ":";
  text = ReplaceAll(text, "<DRIVE>", drive);
  text = ReplaceAll(text, "<SPACE_REQ>", MegabytesText(needed));
  return ReplaceAll(text, "<SPACE_AVAIL>", MegabytesText(free_bytes));
}

std::string DiskPromptText(const std::string& prompt, int disk) {
  return ReplaceAll(prompt, "<DISK_NUM>", IntText(disk));
}

bool IsAgentSourcePath(const std::string& archive_path) {
  return EndsWithText(".exe", archive_path, true) || EndsWithText(".exe.001", archive_path, true);
}

std::string AgentCopyBytes(const std::string& head, archive::ArchiveTrailer trailer) {
  std::string bytes = head;
  if (bytes.size() >= archive::kArchiveEndOffset + 4)
    archive::PutU32(reinterpret_cast<std::uint8_t*>(&bytes[archive::kArchiveEndOffset]), 0);
  trailer.ThisIs_AutoUpdateProg = 1;
  trailer.TrailerSize = archive::kTrailerSize;
  const archive::TrailerBytes t = archive::EncodeTrailer(trailer);
  bytes.append(reinterpret_cast<const char*>(t.data()), t.size());
  return bytes;
}
