/* A stand-in planted next to the test programs under the name of a system DLL. Its marker
   export shows whether a load picked it up instead of the system's own DLL. */
#include <windows.h>

__declspec(dllexport) int PlantedMarker(void) { return 4711; }

__declspec(dllexport) HRESULT WINAPI SHGetFolderPathA(HWND owner, int folder, HANDLE token,
                                                      DWORD flags, LPSTR path) {
  (void)owner; (void)folder; (void)token; (void)flags;
  if (path) path[0] = '\0';
  return E_FAIL;
}
