// SLangId, native side: there is no thread locale to ask, so the system counts as English.
#include "text/SLangId.h"

int SystemPrimaryLanguageId() { return 9; }
