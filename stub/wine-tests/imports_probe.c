/* Imports comctl32, which is not a KnownDLL: the import check must reject this program. */
#include <windows.h>
#include <commctrl.h>

int main(void) {
  InitCommonControls();
  return 0;
}
