#include "ArchiveLister.h"

#include <cstdio>
#include <memory>
#include <optional>

#include "format/ArchiveFormat.h"
#include "format/GFileInfo.h"
#include "format/Signature.h"
#include "rules/ExtractRules.h"
#include "text/UtilsText.h"

namespace pack {

using namespace archive;

namespace {

// Code page bytes are printed as they are; control bytes as \xNN.
std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += char(c);
    }
  }
  return out;
}

std::string Hex32(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

std::string DateString(std::uint32_t dos) {
  if (dos == 0) return "-";
  const DosDateTime d = DecodeDosDateTime(dos);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                d.minute, d.second);
  return buf;
}

std::string TokenText(const std::string& stored) {
  std::string token;
  if (stored.empty()) return "(none)";
  return TryUnscrambleToken(stored, &token) ? "\"" + Printable(token) + "\""
                                            : "damaged (" + Printable(stored) + ")";
}

std::string UpdateKeyText(const std::string& info) {
  const std::string text = ListItem(info, sig::kUpdateKeyItem, "");
  if (text.empty()) return "(none: updates are not signed)";
  sig::PublicKey key;
  const sig::Status status = sig::ParsePublicKey(text, &key);
  if (status != sig::Status::Good) return "damaged (" + Printable(text) + ")";
  return text + " (key id " + sig::KeyIdHex(key.id) + ")";
}

void ListItems(const std::string& title, const std::string& list, const char* const names[],
               int count, std::ostream& out) {
  out << title << ": " << Printable(list) << "\n";
  for (int i = 0; i < count; ++i)
    out << "  " << i << " " << names[i] << ": " << Printable(ListItem(list, i, "")) << "\n";
}

void ListHeaders(const TGFileInfo& info, std::ostream& out) {
  const int languages = ListItemCount(info.Languages);
  out << "Language table: " << languages << " language(s)\n";
  for (int i = 0; i < languages; ++i)
    out << "  " << Printable(ListItem(info.Languages, i, "")) << "\n";
  static const char* const kInfo[] = {"update info address", "update file", "agent executable",
                                      "update token (stored)", "run hidden"};
  ListItems("Update info", info.Info, kInfo, 5, out);
  out << "  " << sig::kUpdateKeyItem << " update key: " << UpdateKeyText(info.Info) << "\n";
  out << "  update token: " << TokenText(info.UpdateToken(false)) << "\n"
      << "  info file: " << Printable(info.InfoFileName())
      << ", settings file: " << Printable(info.SettingsFileName()) << "\n";
  if (info.Trailer.HeaderBlockCount() >= kMaxHeaderBlocks) {
    static const char* const kDownload[] = {"address", "file name", "always download",
                                            "download token (stored)", "size"};
    ListItems("Download block", info.Download, kDownload, 5, out);
    out << "  download token: " << TokenText(info.DownloadToken(false)) << "\n";
  }
}

}  // namespace

bool ListArchive(const std::string& path, std::ostream& out, LeadByteTest is_lead) {
  bool sound = true;
  int entry_counter = 0;  // counted over all volumes, as the stub does
  int header_blocks = 0;
  std::uint64_t total_plain = 0;
  // The stub's own limit on what entries may inflate to: a small archive that unpacks to
  // gigabytes is refused with bounded memory, here as there.
  std::optional<InflateBudget> budget;
  const std::string base = VolumeBaseName(path);
  for (int disk = 1;; ++disk) {
    const std::string volume = disk == 1 ? path : VolumeName(base, disk);
    std::unique_ptr<ArchiveSource> file = OpenArchiveSource(volume);
    if (!file) {
      out << "Volume " << disk << ": " << volume << " cannot be opened\n";
      return false;
    }
    const bool image = IsExecutableImage(*file);
    const std::uint64_t end = ArchiveEndOf(*file);
    const ArchiveTrailer t = ReadTrailer(*file);
    out << "Volume " << disk << ": " << volume << ", " << file->Size() << " bytes, "
        << (image ? "executable image" : "not an executable image") << ", archive end " << end
        << "\n";
    out << "Trailer: size " << t.TrailerSize << ", magic " << Hex32(t.ArchiveMagic)
        << (t.HasMagic() ? " (archive)" : " (NOT an archive)") << ", header blocks "
        << int(t.HeaderBlocks) << " (read as " << t.HeaderBlockCount() << "), data offset "
        << t.DataOffset << ", files count " << t.FilesCount << "\n";
    const ChecksumResult computed = ArchiveChecksum(*file, t.TrailerSize);
    const bool sum_ok = ChecksumAccepted(computed, t.ArchiveChecksum);
    out << "Checksum: stored " << Hex32(t.ArchiveChecksum) << ", computed "
        << (computed ? Hex32(*computed) : std::string("nothing (read failed)"))
        << (sum_ok ? " (passes)" : " (FAILS)") << "\n";
    sound = sound && sum_ok && t.HasMagic();
    out << "Flags: ConfirmExtract=" << t.Flag(kFlagConfirmExtract)
        << " SpanVolumes=" << t.Flag(kFlagSpanVolumes) << " SpanCd=" << t.Flag(kFlagSpanCd)
        << " ShowActivityBar=" << t.Flag(kFlagShowActivityBar)
        << " InternetSetup=" << int(t.InternetSetup)
        << " ConfirmDownload=" << int(t.ConfirmDownload) << " WriteAgent=" << int(t.WriteAgent)
        << " ThisIs_AutoUpdateProg=" << int(t.ThisIs_AutoUpdateProg) << "\n";
    out << "Space needed:";
    for (std::size_t i = 0; i < kSpaceSlots; ++i) out << " " << t.SpaceNeeded[i];
    out << "\n";
    if (!t.HasMagic()) return false;
    if (disk == 1) {
      budget.emplace(t.SpaceNeeded[0]);
      header_blocks = t.HeaderBlockCount();
      ListHeaders(TGFileInfo(*file), out);
    }
    out << "Entries:\n";
    std::uint64_t pos = std::uint32_t(t.DataOffset);
    std::string block;
    for (;;) {
      const BlockStatus status = ReadBlock(*file, &pos, end, t.TrailerSize, &block);
      if (status == BlockStatus::NoMore) break;
      if (status == BlockStatus::Truncated) {
        out << "  block at " << pos << " reaches past the trailer\n";
        sound = false;
        break;
      }
      if (++entry_counter <= header_blocks) continue;
      try {
        const std::string plain = InflateEntry(block, {}, budget->EntryLimit());
        const EntryParts e = SplitEntry(plain);
        if (e.header.empty()) {
          out << "  (entry without a header, " << block.size() << " bytes, skipped)\n";
          continue;
        }
        const std::uint64_t size = plain.size() - e.data_offset;
        total_plain += size;
        if (!budget->Take(size)) {
          out << "  " << Printable(e.name) << ": the entries pass the size the archive declares ("
              << t.SpaceNeeded[0] << " bytes; the stub refuses this archive)\n";
          return false;
        }
        out << "  " << Printable(e.name) << (e.is_setup ? "  [setup program" : "")
            << (e.is_setup && !e.setup_args.empty()
                    ? ", extra text \"" + Printable(e.setup_args) + "\""
                    : "")
            << (e.is_setup ? "]" : "") << "  " << size << " bytes (" << block.size()
            << " compressed)  " << DateString(e.dos_date) << "\n";
        const std::string why = UnsafeEntryNameReason(e.name, is_lead);
        if (!why.empty()) {
          out << "  UNSAFE entry name \"" << Printable(e.name) << "\": " << why
              << " (the stub refuses to extract this archive)\n";
          sound = false;
        }
      } catch (const EInflateLimit& error) {
        out << "  entry of " << block.size() << " bytes inflates beyond " << error.limit()
            << " bytes, more than the archive declares (the stub refuses this archive)\n";
        return false;
      } catch (const EZLibError& error) {
        out << "  damaged entry (" << block.size() << " bytes): " << error.what() << "\n";
        sound = false;
      }
    }
    if (!t.Flag(kFlagSpanVolumes)) break;
  }
  out << "Total: " << total_plain << " bytes of file data\n";
  // A CD set's launcher carries no entries; its hand-over extracts the ".001" set.
  const std::string volume1 = path + ".001";
  if (entry_counter <= header_blocks && base == path && ArchiveFileExists(volume1)) {
    out << "The archive continues in " << volume1 << " (CD set)\n";
    return ListArchive(volume1, out, is_lead) && sound;
  }
  return sound;
}

}  // namespace pack
