#include <string>

#include "atlas/atlas.h"
#include "atlas/atlas_files.h"
#include "shell/console.h"
#include "shell/viewer_state.h"

void load_atlas() {
  AtlasLoadResult result = load_atlas_dir("data", acupoints, kAcupointCapacity);
  for (const std::string& message : result.messages) write_console_line(stdout, message.c_str());
  acupoint_count = result.count;
}
