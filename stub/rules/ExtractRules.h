// Decisions of the extraction that need no system call: the limit on inflated output, the
// texts of the space question and the volume prompt, and the bytes of the agent copy. Pure
// code; UnpackArchive.cpp and UnPack.cpp put them to work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "format/ArchiveFormat.h"

// What the archive may inflate to: the space table's exact total (element 0, the sum of every
// file's size) plus a small margin. An archive that inflates to more is damaged or hostile,
// and the job ends before the memory or the disk is taken.
class InflateBudget {
 public:
  // Slack above the declared total, and the room one entry's header ("|name|date|" and its 0)
  // may take on top of the data it counts against the total.
  static constexpr std::uint64_t kMargin = 65536;
  static constexpr std::uint64_t kHeaderRoom = 65536;

  explicit InflateBudget(std::uint32_t declared_total)
      : limit_(std::uint64_t(declared_total) + kMargin) {}
  // The most the next entry may inflate to, header included.
  std::size_t EntryLimit() const;
  // Counts an entry's data; false once the total passes the limit.
  bool Take(std::uint64_t data_size);

 private:
  std::uint64_t limit_;
  std::uint64_t used_ = 0;
};

// The texts the space question is made of (replaceable keys s2 to s6).
struct SpaceTexts {
  std::string extract_to;    // s2
  std::string limited;       // s3
  std::string required;      // s4
  std::string available;     // s5
  std::string continue_ask;  // s6
};
// The question ConfirmSpace asks, "" when none is to be asked: the s2 text when the archive
// asks for confirmation, the s3 text instead when the space needed is not less than the free
// space; then s4, s5 and s6, with "<DRIVE>", "<SPACE_REQ>" and "<SPACE_AVAIL>" filled in.
std::string SpaceQuestionText(const SpaceTexts& texts, const std::string& folder, double needed,
                              double free_bytes, bool confirm_extract);

// The volume prompt for disk n: "<DISK_NUM>" replaced by the number without leading zeros.
std::string DiskPromptText(const std::string& prompt, int disk);

// Whether an agent copy can be cut from this archive: an executable, "X.exe" or "X.exe.001".
bool IsAgentSourcePath(const std::string& archive_path);
// The agent copy: the image and header blocks (head) with the end marker at offset 252 cleared,
// then the trailer with ThisIs_AutoUpdateProg set and the standard size. FilesCount and the
// checksum stay as they were.
std::string AgentCopyBytes(const std::string& head, archive::ArchiveTrailer trailer);
