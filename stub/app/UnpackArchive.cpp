// UnpackArchive: every volume checked, read block by block in pieces and written entry by entry.
#include "app/UnpackArchive.h"

#include <memory>
#include <optional>
#include <string_view>

#include "app/StubState.h"
#include "format/ArchiveFormat.h"
#include "format/GFileInfo.h"
#include "rules/ExtractRules.h"
#include "win/Files.h"
#include "win/Paced.h"
#include "win/Trace.h"
#include "win/Utils.h"
#include "win/WMsgBox.h"

namespace {

// Serves the message queue between pieces, at most every 15 ms: often enough for a responsive
// window, while a call per piece (a server round trip and a yield each) would cost a third of
// the extraction's speed on a busy machine.
void Serve() {
  static DWORD last = 0;
  const DWORD now = GetTickCount();
  if (now - last < 15) return;
  last = now;
  PumpMessages(0);
}

void Notify(const JobProgress& progress, int stage, int high) {
  progress.Report(stage, 0, high, std::string(), 1, 0);
}

std::string DamagedText() {
  return OwnInfo->LangText("Damaged",
                           "The setup file is incomplete or damaged.<P>Please get it again.");
}

std::string OversizedText() {
  return OwnInfo->LangText(
      "Oversized", "The setup file holds more data than it declares.<P>It is damaged or not "
                   "genuine; nothing was installed.");
}

std::string UnsafeNameText(const std::string& name, const std::string& reason) {
  return OwnInfo->LangText("UnsafeName",
                           "The setup file names a file that would be written outside its "
                           "folder.<P>It is damaged or not genuine; nothing was installed.") +
         "<P><B>" + name + "</B>: " + reason;
}

std::string SaveErrorText(const std::string& path, std::size_t data_size, DWORD error) {
  return path + "<P><P>Unable to save Extracted File!<P><P>" + LastErrorText(error) + "<P>" +
         "Data Size: <T>" + IntText(std::int64_t(data_size)) + " Bytes<P>" + "File Size: <T>" +
         IntText(FileSizeOf(path)) + " Bytes<P>" + "Bytes Free: <T>" +
         IntText(std::int64_t(FreeSpace(path))) + " Bytes";
}

// One extraction run: the state that carries over from volume to volume.
class Extraction {
 public:
  explicit Extraction(const UnpackRequest& request)
      : r_(request), folder_(FixTrailingBackslash(request.target_folder, true)) {}

  UnpackResult Run();

 private:
  // Reads one volume; Extracted to go on with the next.
  UnpackEnd Volume(const std::string& path, int disk, archive::ArchiveTrailer* trailer);
  UnpackEnd Entry(const std::string& block);
  UnpackEnd AgentCopy(archive::ArchiveSource& file, const archive::ArchiveTrailer& trailer);
  // The volume prompts until the file is there; false when the user cancels.
  bool AskForVolume(const std::string& path, int disk);
  UnpackEnd Fail(const std::string& text) {
    result_.error = text;
    return UnpackEnd::Failed;
  }

  const UnpackRequest& r_;
  const std::string folder_;  // with its backslash
  UnpackResult result_;
  ExtractedNames names_;
  std::optional<InflateBudget> budget_;  // from volume 1's space table
  std::string inflated_;  // the memory every entry is inflated into, kept for the next
  int header_blocks_ = archive::kMinHeaderBlocks;
  int counter_ = 0;  // blocks read; not reset between volumes, so only volume 1 has headers
  std::uint64_t header_end_ = 0;
};

UnpackResult Extraction::Run() {
  Notify(r_.progress, 0, 0);
  const std::string base = archive::VolumeBaseName(r_.archive_path);
  std::string path = r_.archive_path;
  for (int disk = 1;; ++disk) {
    archive::ArchiveTrailer trailer;
    result_.end = Volume(path, disk, &trailer);
    if (result_.end != UnpackEnd::Extracted || !trailer.Flag(archive::kFlagSpanVolumes)) break;
    SetAutoPlayCancel(true);
    path = archive::VolumeName(base, disk + 1);
    if ((r_.force_prompt || !FileExists(path)) && !AskForVolume(path, disk + 1)) {
      result_.end = UnpackEnd::Cancelled;
      break;
    }
    Notify(r_.progress, 1, 0);
  }
  // Only a complete extraction may start anything.
  if (result_.end != UnpackEnd::Extracted) result_.setup_entry.clear();
  WaitPumping(Paced(500), 0);
  return result_;
}

UnpackEnd Extraction::Volume(const std::string& path, int disk,
                             archive::ArchiveTrailer* trailer) {
  const std::unique_ptr<archive::ArchiveSource> file = archive::OpenArchiveSource(path);
  if (!file) {
    TraceLine() << " Volume missing: " << path;
    return UnpackEnd::BadChecksum;
  }
  *trailer = archive::ReadTrailer(*file);
  const archive::ArchiveTrailer& t = *trailer;
  if (disk == 1) TraceLine() << " FileInfo.FilesCount=" << t.FilesCount;
  // A volume without the magic has no trailer to check against: as damaged as a wrong sum.
  const archive::ChecksumResult sum = archive::ArchiveChecksum(*file, t.TrailerSize);
  const bool sound = t.HasMagic() && archive::ChecksumAccepted(sum, t.ArchiveChecksum);
  TraceLine() << " Volume " << disk << " ArchiveChecksum="
              << (sum ? IntText(*sum) : std::string("unreadable"))
              << " stored=" << t.ArchiveChecksum << " sound=" << TraceBool(sound);
  if (!sound) return UnpackEnd::BadChecksum;

  const std::uint64_t end = archive::ArchiveEndOf(*file);
  if (t.DataOffset < 0 || std::uint64_t(t.DataOffset) + t.TrailerSize > end)
    return Fail(DamagedText());
  if (disk == 1) {
    header_blocks_ = t.HeaderBlockCount();
    budget_.emplace(t.SpaceNeeded[0]);
    Notify(r_.progress, 0, t.FilesCount > 0 ? t.FilesCount : 0);
    DWORD error = 0;
    if (!ForceFolders(r_.target_folder, &error))
      return Fail(r_.target_folder + "<P><P>Unable to create Directory!<P><P>" +
                  LastErrorText(error));
  }
  std::uint64_t pos = std::uint64_t(t.DataOffset);
  std::string block;
  while (archive::MoreBlocks(pos, end)) {
    Serve();
    if (r_.progress.Aborted()) return UnpackEnd::Stopped;
    const bool header = ++counter_ <= header_blocks_;
    const archive::BlockStatus status =
        archive::ReadBlock(*file, &pos, end, t.TrailerSize, &block,
                           header ? archive::kMaxHeaderBlockSize : UINT32_MAX, Serve);
    if (status != archive::BlockStatus::Ok) {
      TraceLine() << " Block " << counter_ << " at " << pos << " runs past the archive";
      return Fail(DamagedText());
    }
    if (counter_ == header_blocks_) header_end_ = pos;
    if (header) continue;
    const UnpackEnd entry = Entry(block);
    if (entry != UnpackEnd::Extracted) return entry;
  }
  if (disk == 1 && !r_.agent_name.empty() && IsAgentSourcePath(r_.archive_path))
    return AgentCopy(*file, t);
  return UnpackEnd::Extracted;
}

UnpackEnd Extraction::Entry(const std::string& block) {
  std::string_view content;
  try {
    content = std::string_view(
        inflated_.data(), InflateEntryInto(block, &inflated_, Serve, budget_->EntryLimit()));
  } catch (const EInflateLimit&) {
    return Fail(OversizedText());
  } catch (const EZLibError& e) {
    return Fail(OwnInfo->LangText("Inflate", "A file of the setup is damaged:<P>") + e.what());
  }
  const archive::EntryParts e = archive::SplitEntry(content);
  if (e.header.empty()) return UnpackEnd::Extracted;
  // Before any file is opened: a name that leaves the folder ends the job.
  const std::string reason = archive::UnsafeEntryNameReason(e.name, IsLeadByte);
  if (!reason.empty()) {
    TraceLine() << " Unsafe entry name: " << e.name << " (" << reason << ")";
    return Fail(UnsafeNameText(e.name, reason));
  }
  if (e.is_setup) result_.setup_entry = e.name + archive::kSetupMarker + e.setup_args;
  const std::string_view data = content.substr(e.data_offset);
  if (!budget_->Take(data.size())) return Fail(OversizedText());
  const WriteMode mode = names_.ModeFor(e.name);
  if (mode == WriteMode::Create) Notify(r_.progress, 1, 0);
  const std::string path = folder_ + e.name;
  DWORD error = 0;
  if (!WriteFileData(path, data, e.dos_date, mode, &error, Serve))
    return Fail(SaveErrorText(path, data.size(), error));
  return UnpackEnd::Extracted;
}

UnpackEnd Extraction::AgentCopy(archive::ArchiveSource& file,
                                const archive::ArchiveTrailer& trailer) {
  const std::string name = ExtractFileName(r_.agent_name, IsLeadByte);
  const std::string reason = archive::UnsafeEntryNameReason(name, IsLeadByte);
  if (!reason.empty()) return Fail(UnsafeNameText(name, reason));
  std::string head(std::size_t(header_end_), '\0');
  if (head.empty() || !file.ReadAt(0, &head[0], head.size())) return Fail(DamagedText());
  const std::string path = folder_ + name;
  DWORD error = 0;
  const std::string bytes = AgentCopyBytes(head, trailer);
  if (!WriteFileData(path, bytes, FileDosDateTime(r_.archive_path), WriteMode::Create, &error))
    return Fail(SaveErrorText(path, bytes.size(), error));
  TraceLine() << " New AU-Agent: " << path;
  return UnpackEnd::Extracted;
}

bool Extraction::AskForVolume(const std::string& path, int disk) {
  EjectCd(path);
  const std::string text = DiskPromptText(r_.disk_prompt, disk);
  for (;;) {
    TraceLine() << " Asking for volume " << disk << ": " << path;
    const bool ok = AskOkCancel(r_.owner, text, r_.prompt_title, r_.button_texts, r_.charset);
    WaitPumping(Paced(500), 0);
    if (!ok) return false;
    if (FileExists(path)) return true;
  }
}

}  // namespace

UnpackResult UnpackArchive(const UnpackRequest& request) { return Extraction(request).Run(); }
