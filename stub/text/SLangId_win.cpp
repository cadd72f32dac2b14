// SLangId, Win32 side: the primary language of the thread's locale.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "text/SLangId.h"

int SystemPrimaryLanguageId() {
  const int id = int(GetThreadLocale() & 0x3FF);
  return id != 0 ? id : 9;
}
