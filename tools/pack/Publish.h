// wexlin-pack publish: turns a built setup (or a news text) into the files of the update server:
// the setup copied, NAME.info with its exact size and the next stamp, the inform file, and with
// a key the signature of each. Errors are thrown as PackError.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace pack {

struct PublishOptions {
  std::string setup_path;     // the new setup, or in inform mode the setup users have
  int version = 0;            // VersionNew
  std::string out_dir;
  std::string key_path;       // NAME.key: sign what is written
  std::string previous_path;  // the info file published before (default: OUT_DIR/NAME.info)
  int stamp = 0;              // 0: the previous stamp + 1
  std::string program_name;   // default: NAME
  std::string running_process;
  std::string shut_down;      // a ShutDownMethod text or close|quit|terminate|ask|none
  bool restart = false, ask_download = false, ask_install = false, background = false,
       inform_finish = false;
  std::string valid_versions;
  // Inform mode (--inform TEXT_FILE): the setup is only read, not published.
  std::string inform_text_path;
  std::string inform_file;    // default NAMENews.txt
  std::string inform_url;     // DownloadURL_INFORM
  std::string charset;        // of the inform text (converted from UTF-8); empty: as it stands
};

// The exact ShutDownMethod text of a --shut-down value; throws for an unknown one.
std::string ShutDownMethodText(const std::string& value);

// Writes the files into out_dir and returns them in upload order (setup or inform file, its
// .sig, the info file, its .sig). Prints what it wrote and the upload list.
std::vector<std::string> Publish(const PublishOptions& options, std::ostream& out);

}  // namespace pack
