// The archive's language table against the languages the system may report. The input is the
// table itself or, when its last byte is odd, a piece repeated up to the format's 1 MiB limit:
// small inputs then reach the largest tables, and -timeout catches a choice that is not one
// pass over the table.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "text/SLangId.h"
#include "text/UtilsText.h"

namespace {

constexpr std::size_t kMaxTable = 1 << 20;

std::string TableOf(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return std::string();
  const std::string piece(reinterpret_cast<const char*>(data), size - 1);
  if ((data[size - 1] & 1) == 0 || piece.empty()) return piece;
  std::string table;
  table.reserve(kMaxTable);
  while (table.size() + piece.size() <= kMaxTable) table += piece;
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string table = TableOf(data, size);
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
