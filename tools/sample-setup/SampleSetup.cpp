// SampleSetup: the setup program that the installer's tests and the README example carry in
// an archive (stored there as the "*" entry, e.g. "Setup.exe"). It plays the setup program's
// side of the contract with WexlinStub: it is started from the extraction folder with
// "/TH_ID=" and "/OriginExe=", deletes the success atom when it succeeds, and may keep a window
// of the setup dialog class open.
//
//   SampleSetup.exe [/Target=FOLDER] [/Log=FILE] [/Sleep=MS] [/Fail] [/Dialog=MS]
//                   [/DialogAfterExit=MS] [/Bootstrap=MS] /TH_ID=TOKEN [/OriginExe=PATH]
//                   [/AutoUpdateProg]
//
// 0. /Bootstrap=MS: a bootstrap step. Starts a copy of itself with the same command line, but
//    /Sleep=MS in place of /Bootstrap=MS, and ends at once (exit code 0, the atom left): the
//    copy does the work below from the extraction folder, after the stub's wait for this
//    process alone would have ended.
// 1. Writes its exact command line as the first line of the log, then one line per step
//    ("Target=", "Copied=" per file, "Atom=", "Result="). The log is FILE of /Log=, else
//    "WexlinSampleSetup.log" in the user's temporary folder; it is written anew each run.
// 2. /Sleep=MS: sleeps that long first.
// 3. /Fail: copies nothing, leaves the atom, ends with exit code 1.
// 4. Copies every file of its own folder except its own program and its log into FOLDER of
//    /Target= (created with its parents; default "Tolvane" in the Program Files folder); a
//    file named "SUB#NAME" goes to SUB\NAME there (so "data#dm.tz" becomes data\dm.tz). A
//    value with blanks is written in double quotes or with "*" for each blank. A failed copy
//    leaves the atom and ends with exit code 2. A settings file of the agent ("*.original")
//    that is installed already is merged, not replaced: the new file's keys, with the agent's
//    bookkeeping (Stamp and the check times of [OriginalSetup]) kept from the old one.
// 5. Deletes the global atom "AutoUpdateAtomTokenByWexlin" + TOKEN: the stub reads that as
//    success.
// 6. /Dialog=MS: keeps a window of class ".SDialog_Class_Name." + TOKEN open for MS
//    milliseconds. /DialogAfterExit=MS: starts a copy of itself that shows that window for MS
//    milliseconds, and ends as soon as the window is up, so the window outlives this process
//    (the stub must wait for the window, not only for the process).
// 7. Ends with exit code 0.
//
// --help shows this usage in a message box.
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "rules/LaunchCommand.h"
#include "win/Files.h"
#include "win/Utils.h"

namespace {

const char kUsage[] =
    "SampleSetup.exe [/Target=FOLDER] [/Log=FILE] [/Sleep=MS] [/Fail] [/Dialog=MS]\n"
    "                [/DialogAfterExit=MS] [/Bootstrap=MS] /TH_ID=TOKEN [/OriginExe=PATH]\n"
    "                [/AutoUpdateProg]\n\n"
    "Copies the files of its own folder (except itself and its log) to FOLDER (default:\n"
    "Program Files\\Tolvane), logs its command line to FILE (default: WexlinSampleSetup.log\n"
    "in the temporary folder), deletes the atom AutoUpdateAtomTokenByWexlin+TOKEN on success.\n"
    "/Fail: copy nothing, keep the atom, exit 1. /Dialog=MS: a window of class\n"
    ".SDialog_Class_Name.+TOKEN for MS ms; /DialogAfterExit=MS: the same window kept by a\n"
    "helper copy after this process has ended. /Bootstrap=MS: a copy of itself does all this\n"
    "after MS ms; this process ends at once. Values with blanks: in quotes or \"*\" for blanks.";

// A switch value with "*" standing for blanks, as the stub writes paths.
std::string PathSwitch(const std::string& name) { return ReplaceAll(SwitchValue(name), "*", " "); }

class Log {
 public:
  explicit Log(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}
  ~Log() {
    if (file_) std::fclose(file_);
  }
  Log(const Log&) = delete;
  Log& operator=(const Log&) = delete;
  void Line(const std::string& text) {
    if (!file_) return;
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fputs("\r\n", file_);
    std::fflush(file_);
  }

 private:
  std::FILE* file_;
};

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM w_param, LPARAM l_param) {
  if (message == WM_TIMER) {
    KillTimer(window, 1);
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, w_param, l_param);
}

// Shows the setup dialog window for the given time, serving its messages.
void ShowDialog(const std::string& token, DWORD milliseconds) {
  const std::string class_name = SetupDialogClass(token);
  WNDCLASSA wc{};
  wc.lpfnWndProc = DialogProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = class_name.c_str();
  if (!RegisterClassA(&wc)) return;
  HWND window = CreateWindowExA(0, class_name.c_str(), "Sample setup",
                                WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 40, 240, 100, nullptr,
                                nullptr, wc.hInstance, nullptr);
  if (!window) return;
  SetTimer(window, 1, milliseconds, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Starts the helper copy that keeps the dialog window, and returns once the window is up.
bool HandDialogToHelper(const std::string& token, DWORD milliseconds) {
  const std::string exe = ExeFileName();
  std::string line = "\"" + exe + "\" /DialogOnly=" + IntText(milliseconds) + " /TH_ID=" + token;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  const std::string class_name = SetupDialogClass(token);
  for (int i = 0; i < 200; ++i) {
    if (FindWindowA(class_name.c_str(), nullptr)) return true;
    Sleep(50);
  }
  return false;
}

// Archive entries are plain names; "FOLDER#NAME" is installed as FOLDER\NAME (one level).
std::string InstalledName(const std::string& name) {
  const std::size_t hash = name.find('#');
  if (hash == std::string::npos || hash == 0 || hash + 1 == name.size()) return name;
  return name.substr(0, hash) + "\\" + name.substr(hash + 1);
}

// The files of folder (no subfolders) other than the given ones, compared without case.
std::vector<std::string> FilesToCopy(const std::string& folder,
                                     const std::vector<std::string>& except) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA d;
  HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &d);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    bool skip = false;
    for (const std::string& path : except) skip = skip || SameTextIC(path, folder + d.cFileName);
    if (!skip) names.push_back(d.cFileName);
  } while (FindNextFileA(find, &d));
  FindClose(find);
  return names;
}

// The keys of [OriginalSetup] that the agent writes for itself; a newer version's settings file
// must not reset them (a reset Stamp offers the same update again, reset times check at once).
const char* const kAgentBookkeeping[] = {"Stamp", "ProbeSecondsLast", "__ProbeSecondsLast",
                                         "ReAskSecondsLast", "__ReAskSecondsLast"};

bool IsAgentSettingsFile(const std::string& name) {
  const std::string ext = ".original";
  return name.size() > ext.size() && SameTextIC(name.substr(name.size() - ext.size()), ext);
}

// Copies the new settings file over the installed one and writes the kept keys back.
bool InstallAgentSettings(const std::string& from, const std::string& to) {
  std::vector<std::pair<const char*, std::string>> kept;
  for (const char* key : kAgentBookkeeping) {
    char value[256] = "";
    GetPrivateProfileStringA("OriginalSetup", key, "", value, sizeof value, to.c_str());
    if (*value) kept.emplace_back(key, value);
  }
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return false;
  for (const auto& [key, value] : kept)
    if (!WritePrivateProfileStringA("OriginalSetup", key, value.c_str(), to.c_str())) return false;
  return true;
}

// Deletes the atom once, as a setup program does; the stub adds it exactly once.
bool DeleteSuccessAtom(const std::string& token) {
  const ATOM atom = GlobalFindAtomA(SuccessAtomName(token).c_str());
  if (!atom) return false;
  GlobalDeleteAtom(atom);
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string token = SwitchValue(kThreadIdSwitch);
  if (HasSwitch("/DialogOnly=")) {
    ShowDialog(token, DWORD(SwitchInt("/DialogOnly=", 0)));
    return 0;
  }
  if (HasSwitch("--help") || HasSwitch("/?")) {
    MessageBoxA(nullptr, kUsage, "SampleSetup", MB_OK);
    return 0;
  }
  if (HasSwitch("/Bootstrap=")) {
    const std::string exe = ExeFileName();
    std::string line = ReplaceAll(GetCommandLineA(), "/Bootstrap=", "/Sleep=");
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
      return 3;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
  }
  std::string log_path = PathSwitch("/Log=");
  if (log_path.empty()) log_path = TempDir(true) + "WexlinSampleSetup.log";
  Log log(log_path);
  log.Line(GetCommandLineA());

  const DWORD sleep = DWORD(SwitchInt("/Sleep=", 0));
  if (sleep > 0) Sleep(sleep);
  if (HasSwitch("/Fail")) {
    log.Line("Atom=left");
    log.Line("Result=failed (told to fail)");
    return 1;
  }

  std::string target = PathSwitch("/Target=");
  if (target.empty())
    target = RegReadText("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                         "ProgramFilesDir", "C:\\Program Files") +
             "\\Tolvane";
  target = FixTrailingBackslash(target, true);
  log.Line("Target=" + target);
  DWORD error = 0;
  if (!ForceFolders(target, &error)) {
    log.Line("Result=failed (cannot create " + target + ": " + LastErrorText(error) + ")");
    return 2;
  }
  const std::string own_folder = ExeDir(true);
  for (const std::string& name : FilesToCopy(own_folder, {ExeFileName(), log_path})) {
    const std::string installed = InstalledName(name);
    if (installed != name) ForceFolders(target + installed.substr(0, installed.find('\\')));
    const bool copied =
        IsAgentSettingsFile(name)
            ? InstallAgentSettings(own_folder + name, target + installed)
            : CopyFileA((own_folder + name).c_str(), (target + installed).c_str(), FALSE) != 0;
    if (!copied) {
      log.Line("Result=failed (cannot copy " + name + ": " + LastErrorText() + ")");
      return 2;
    }
    log.Line("Copied=" + name);
  }

  if (token.empty())
    log.Line("Atom=none (no /TH_ID=)");
  else
    log.Line(DeleteSuccessAtom(token) ? "Atom=deleted" : "Atom=not found");
  log.Line("Result=ok");
  if (HasSwitch("/DialogAfterExit=")) {
    const DWORD ms = DWORD(SwitchInt("/DialogAfterExit=", 0));
    log.Line(HandDialogToHelper(token, ms) ? "Dialog=handed over" : "Dialog=not shown");
  } else if (HasSwitch("/Dialog=")) {
    log.Line("Dialog=shown");
    ShowDialog(token, DWORD(SwitchInt("/Dialog=", 0)));
  }
  return 0;
}
