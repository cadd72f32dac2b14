#include "shell/atlas_load.h"

#include <string>

#include "atlas/acupoint_table.h"
#include "atlas/atlas_files.h"
#include "text/console.h"

void load_atlas() {
  AtlasLoadResult result = load_atlas_dir("data", acupoints, kAcupointCapacity);
  for (const std::string& message : result.messages) write_console_line(stdout, message.c_str());
  acupoint_count = result.count;
}
