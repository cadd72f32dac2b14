// The archive's language table, up to its 1 MiB limit, against every language the system may
// report. The choice must stay one pass over the table: -timeout catches a walk that restarts.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "text/SLangId.h"
#include "text/UtilsText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string table(reinterpret_cast<const char*>(data), size);
  const int blocks = ListItemCount(table);
  // No name, a named language, English, a language with no block of its own.
  for (int id : {0, 4, 9, 17}) {
    const std::string block = ChooseLanguageBlock(table, id);
    check(!block.empty());
    if (block == kNoLanguageBlock) continue;
    // The choice is one block of the table, as it stands there between two delimiters.
    check(blocks > 0);
    const char d = table.front();
    check(table.find(d + block + d) != std::string::npos);
    // A table of one block always gives it.
    if (blocks == 1) check(block == ListItem(table, 0, ""));
  }
  return 0;
}
