#include "app/SetupLaunch.h"

#include <vector>

#include "app/JobBoxes.h"
#include "app/SetupRun.h"
#include "app/StubGlob.h"
#include "app/StubState.h"
#include "rules/LaunchCommand.h"
#include "rules/ShellDirRules.h"
#include "rules/ShortcutRules.h"
#include "win/Files.h"
#include "win/Paced.h"
#include "win/ShellDir.h"
#include "win/Trace.h"
#include "win/Utils.h"

namespace {

// The uninstall shortcuts the agent's settings name, and whether the update asks for their
// removal. Both files lie next to the running stub (the agent), named after update info item 1.
struct Shortcuts {
  std::string start_up_link, update_link;
};

Shortcuts ReadShortcuts() {
  if (!IsAutoUpdateProg) return {};
  const std::string settings = ExeDir(true) + OwnInfo->SettingsFileName();
  return {IniReadText(settings, "UnInstall", "StartUpLink", ""),
          IniReadText(settings, "UnInstall", "CheckforNewUpdateLink", "")};
}

// The user's and the machine's folder of one kind, as far as the shell names them.
std::vector<std::string> ShellFolders(int user_id, int common_id) {
  std::vector<std::string> folders;
  for (const int id : {user_id, common_id}) {
    std::string folder = FolderPath(id);
    if (folder.empty()) folder = SpecialFolderPath(id);
    if (!folder.empty()) folders.push_back(folder);
  }
  return folders;
}

// Only a shortcut inside the folders where such a shortcut is made: the path comes from a file
// that anyone may have put beside the agent.
void RemoveShortcut(const std::string& info_file, const std::string& key, const std::string& link,
                    const std::vector<std::string>& folders, bool direct_only) {
  if (IniReadText(info_file, "NewSetup", key, "0") != "1" || link.empty()) return;
  if (!IsShortcutInside(link, folders, direct_only, IsLeadByte)) {
    TraceLine() << " Not a shortcut of the agent's, kept: " << link;
    return;
  }
  if (FileExists(link)) {
    TraceLine() << " Removing shortcut " << link;
    DeleteFileA(link.c_str());
  }
}

// Only an agent's update removes the shortcuts it named; an ordinary setup leaves them, whatever
// files lie beside it.
void RemoveUninstalledShortcuts(const Shortcuts& shortcuts) {
  if (!IsAutoUpdateProg) return;
  const std::string info = ExeDir(true) + OwnInfo->InfoFileName();
  RemoveShortcut(info, "RemoveStartUpShortcut", shortcuts.start_up_link,
                 ShellFolders(kCsidlStartup, kCsidlCommonStartup), true);
  RemoveShortcut(info, "RemoveCheckForNewUpdateShortcut", shortcuts.update_link,
                 ShellFolders(kCsidlStartMenu, kCsidlCommonStartMenu), false);
}

}  // namespace

bool LaunchSetup(HWND window, const std::string& extraction_folder,
                 const std::string& setup_entry, const std::string& command_text,
                 bool foreground) {
  const SetupProgram program = SplitSetupEntry(setup_entry, command_text, IsLeadByte);
  if (!program.unsafe_reason.empty()) {
    ShowJobError(window, "Setup program: " + program.name + "<P>" + program.unsafe_reason);
    return false;
  }
  const std::string token = ThreadToken(GetCurrentThreadId());
  const LaunchLine line =
      SetupLaunchLine(SetupProgramPath(extraction_folder, program.name, IsLeadByte),
                      program.command_text, token, OwnExePath(), IsAutoUpdateProg);
  const Shortcuts shortcuts = ReadShortcuts();
  TraceLine() << ">>" << line.command_line << "<<";
  const SuccessAtom atom(SuccessAtomName(token));
  if (!atom.Added()) {
    // Without the atom the setup's success could not be told.
    ShowJobError(window, "Unable to add the setup's success token!<P><P>" +
                             LastErrorText(atom.AddError()));
    return false;
  }
  ProcessTree tree;
  OwnedHandle process;
  DWORD error = 0;
  if (!StartSetupProgram(line, foreground, &tree, &process, &error)) {
    ShowJobError(window, line.program_path + "<P><P>Unable to start the setup program!<P><P>" +
                             LastErrorText(error));
    return false;
  }
  ShowWindow(window, SW_HIDE);
  WaitPumping(Paced(1000), 0);
  if (!tree.Adopted())
    TraceLine() << " Setup tree not held, only the program is waited for: "
                << LastErrorText(tree.AdoptError());
  if (!WaitForSetup(process.get(), tree, token)) {
    // A process it started still runs from the folder: the folder stays with it.
    TraceLine() << " Setup tree still running, folder left: " << extraction_folder;
    LeaveFolderInUse(extraction_folder);
  }
  const bool success = atom.Removed();
  TraceLine() << " Setup success=" << TraceBool(success);
  if (success) RemoveUninstalledShortcuts(shortcuts);
  return success;
}
