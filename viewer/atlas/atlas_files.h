// Reading the atlas files of a data folder: the count file, the acupoint table and the help text.
// No GL; the viewer prints the messages on its console.
#pragma once

#include <string>
#include <vector>

#include "atlas/acupoint_record.h"

constexpr int kHelpLineField = 500;  // a help line holds at most 499 bytes

struct AtlasLoadResult {
  int count = 0;                      // records in use
  std::vector<std::string> messages;  // one console line each, nothing on a clean load
};

// Fills table[0, result.count) from dir/dm.tz and dir/ptab.tz. The table is expected zeroed.
// Bad data never stops the caller:
// - a missing or unreadable count or table file gives an empty table;
// - a count above capacity is limited to capacity, a negative one counts as 0;
// - a text longer than its field is cut to the field;
// - a token that is not a number where one belongs stops the loading; the records before it stay;
// - a table that ends early leaves the missing fields zero and the records counted, as the
//   count file asks.
AtlasLoadResult load_atlas_dir(const std::string& dir, AcupointRecord* table, int capacity);

struct HelpText {
  std::vector<std::string> lines;
  std::string message;  // empty when the file was read as its count says
};

// A count, then that many words, one help line each. A missing file or a bad count gives no
// lines; a file with fewer words than its count gives the words it has.
HelpText read_help_file(const std::string& path);
