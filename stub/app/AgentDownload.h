// AgentDownload: how the agent fetches its files (the info file, the update, the inform file)
// from a folder or a web server into its own folder, and checks what arrived before anything
// uses it: a name that may not replace the agent's own files is refused, a stale file at the
// target is deleted first, and an update or inform file must carry the product's token.
#pragma once

#include <string>

#include "rules/TransferError.h"

// File kinds of DownloadFileAU.
enum class AgentFile { Info = 1, Update = 2, Inform = 3 };

// The agent's own folder for the update and inform files (ends in "\\"): a name from the info
// file never reaches another file of the product.
std::string AgentDownloadDir();

// Fetches an agent file from base (a folder or a URL; TestModeURL in test mode) into ExeDir.
// The info file must be there and not be a web server's error page; an info file that is not
// published is no error. error receives what went wrong. An update or inform file is used only
// once it has passed the checks of what arrived (the product's token).
bool DownloadFileAU(const std::string& base, const std::string& name, AgentFile kind,
                    TransferError& error);

// Where an agent file named name comes from: the file in the base folder (TestModeURL in test
// mode) when it is there, else its address on the web server (none in test mode); both empty
// when base is.
struct AgentSource {
  std::string file;
  std::string url;
};
AgentSource AgentFileSource(const std::string& base, const std::string& name);

// Whether the update (or, in inform mode, the inform) file has exactly the announced size in
// base (a folder, or in test mode TestModeURL) or on the web server.
bool UpdateSizeMatches(const std::string& base, const std::string& update_name,
                       const std::string& inform_name);

// The agent's error box, with the texts and font of its settings.
void ShowAgentError(const std::string& text);
