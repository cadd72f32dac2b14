#include "app/UnPack.h"

#include <exception>
#include <new>

#include "app/InternetSetup.h"
#include "app/JobBoxes.h"
#include "app/RunSetup.h"
#include "app/SetupJobStop.h"
#include "app/StubGlob.h"
#include "app/StubState.h"
#include "win/Trace.h"
#include "win/Utils.h"

void SetupJob(HWND window) {
  {
    const SetupJobScope scope;
    try {
      unsigned long code = 0;
      const std::string folder = SetupTempDir(&code);
      TraceLine() << " SetupTempDir=" << folder;
      if (folder.empty()) {
        ShowJobError(window, SetupTempDirStem() + "<P><P>Unable to create Directory!<P><P>" +
                                 LastErrorText(code));
      } else if (OwnInfo->InternetSetup()) {
        RunInternetSetup(window, folder);
      } else {
        const std::string agent = OwnInfo->WriteAgent() ? OwnInfo->AgentExeName() : std::string();
        std::string archive_path = SwitchValue("/SpanDiskFName1=");
        if (archive_path.empty()) archive_path = OwnExePath();
        const bool hidden = HasSwitch("/hide") || OwnInfo->RunHidden();
        RunSetup(window, folder, archive_path, agent, CommandTail(), !hidden);
      }
    } catch (const std::bad_alloc&) {
      ShowJobError(window, "Out of memory.");
    } catch (const std::exception& e) {
      ShowJobError(window, e.what());
    }
  }
  // Only once the job (and the setup program it waited for) has ended.
  RemoveSetupTempDir();
  PostQuitMessage(0);
}
