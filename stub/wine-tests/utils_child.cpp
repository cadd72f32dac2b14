// Child program of utils_win_test: reports what the Utils routines see in a process started
// with a known command line. Writes its report to the file named by WEXLIN_CHILD_OUT.
#include <cstdio>

#include "win/Utils.h"

namespace {

// Which shfolder.dll a load maps: "planted" (the one beside this program) or "system".
const char* LoadedShfolder(HMODULE module) {
  if (!module) return "none";
  return GetProcAddress(module, "PlantedMarker") ? "planted" : "system";
}

}  // namespace

int main() {
  InstallSystemLeadByteRule();  // as the stub's entry does
  char out_path[MAX_PATH];
  if (!GetEnvironmentVariableA("WEXLIN_CHILD_OUT", out_path, sizeof out_path)) return 2;
  std::FILE* out = std::fopen(out_path, "wb");
  if (!out) return 3;
  std::string report;
  if (HasSwitch("/PlainLoad")) {
    report = LoadedShfolder(LoadLibraryA("shfolder.dll"));
  } else if (HasSwitch("/RestrictedLoad")) {
    const bool restricted = RestrictDllSearch();
    report = std::string(restricted ? "restricted " : "unrestricted ") +
             LoadedShfolder(LoadLibraryA("shfolder.dll"));
  } else if (HasSwitch("/ByPathLoad")) {
    report = LoadedShfolder(LoadSystemLibraryByPath("shfolder.dll"));
  } else {
    report = CommandTail() + "\n" + SwitchValue("/P=") + "\n" + IntText(SwitchInt("/WAIT=", -1)) +
             "\n" + (HasSwitch("/hide") ? "hide" : "-") + "\n" + ExeDir(false) + "\n";
  }
  std::fwrite(report.data(), 1, report.size(), out);
  std::fclose(out);
  return 0;
}
