#include "UnPack.h"

#include <exception>
#include <new>

#include "InternetSetup.h"
#include "StubState.h"
#include "StubWin.h"
#include "Trace.h"
#include "Utils.h"
#include "WMsgBox.h"

namespace {

const char kDefaultButtons[] = "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|";
const char kDefaultChecksumError[] =
    "Bad CRC!<P>This indicates that your setup file might be corrupted...";

void ShowJobError(HWND window, const std::string& text) {
  TraceLine() << " SetupJob error: " << text;
  ErrorBox(window, text, OwnInfo->LangText("Error", "Error"),
           OwnInfo->LangText("BtnText", kDefaultButtons), OwnInfo->Charset());
}

// A missing trailer, an unreadable file and a wrong sum are all a damaged archive.
bool ArchiveSound(const std::string& archive_path, const TGFileInfo& archive) {
  if (!archive.Trailer.HasMagic()) return false;
  const archive::ChecksumResult sum = ArchiveChecksum(archive_path, archive.Trailer.TrailerSize);
  const bool sound = archive::ChecksumAccepted(sum, archive.Trailer.ArchiveChecksum);
  TraceLine() << " ArchiveChecksum=" << (sum ? IntText(*sum) : std::string("unreadable"))
              << " stored=" << archive.Trailer.ArchiveChecksum << " sound=" << TraceBool(sound);
  return sound;
}

}  // namespace

void ShowChecksumError(HWND window) {
  ErrorBox(window, OwnInfo->LangText("s7", kDefaultChecksumError),
           OwnInfo->LangText("Error", "Error"), OwnInfo->LangText("BtnText", kDefaultButtons),
           OwnInfo->Charset());
}

bool RunSetup(HWND window, const std::string& /*extraction_folder*/,
              const std::string& archive_path, const std::string& /*agent_name*/,
              const std::string& /*command_text*/, bool foreground) {
  const TGFileInfo archive(archive_path);
  if (archive.ShowActivityBar() && StubWindow.activity)
    ShowWindow(StubWindow.activity, SW_SHOW);
  SetStatusText(StubWindow.status, OwnInfo->LangText("s1", "\xD5\xFD\xCC\xE1\xC8\xA1\xCE\xC4\xBC\xFE..."),
                OwnInfo->FontName(), OwnInfo->FontSize(), OwnInfo->Charset());
  TraceLine() << "========= ForegroundOp=" << TraceBool(foreground) << " ==========";
  if (!ArchiveSound(archive_path, archive)) {
    ShowChecksumError(window);
    return false;
  }
  TraceLine() << " ==== UnpackArchive (not yet built) ==== " << archive.Trailer.FilesCount
              << " entries";
  return false;
}

void SetupJob(HWND window) {
  KillTimer(window, kStartTimerId);
  try {
    if (OwnInfo->InternetSetup()) {
      RunInternetSetup(window);
    } else {
      const std::string agent = OwnInfo->WriteAgent() ? OwnInfo->AgentExeName() : std::string();
      std::string archive_path = SwitchValue("/SpanDiskFName1=");
      if (archive_path.empty()) archive_path = OwnExePath();
      const bool hidden = HasSwitch("/hide") || OwnInfo->RunHidden();
      RunSetup(window, std::string(), archive_path, agent, CommandTail(), !hidden);
    }
  } catch (const EZLibError& e) {
    ShowJobError(window, e.what());
  } catch (const std::bad_alloc&) {
    ShowJobError(window, "Out of memory.");
  } catch (const std::exception& e) {
    ShowJobError(window, e.what());
  }
  PostQuitMessage(0);
}
