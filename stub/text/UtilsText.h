// UtilsText: the byte-string rules of the stub's Utils unit, one header per topic below.
//
// Pure code (no <windows.h>); Utils.h adds the Win32 side and overloads that supply the
// system's lead-byte test.
//
// Every text is a byte string of the ANSI code page with an explicit length (std::string; it
// may hold NUL bytes and double-byte characters). Positions are 1-based and 0 means "not
// found". Case-insensitive means: the bytes a..z are folded to A..Z, every other byte (also
// every byte of a double-byte character) stays as it is; see SetLeadByteTest. Texts handled by
// the stub are far below 2 GiB, so positions and counts are plain ints.
#pragma once

#include "text/CommandLineText.h"
#include "text/NumberText.h"
#include "text/PathText.h"
#include "text/RegPathText.h"
#include "text/ScrambleText.h"
#include "text/TextBasics.h"
#include "text/TextEdit.h"
#include "text/TextLists.h"
#include "text/TextSearch.h"
