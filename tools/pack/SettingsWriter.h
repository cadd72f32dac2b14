// The agent's installed settings file (NAME.original), written by the builder so that every
// question, status line and result of the agent has a text: the agent reads its texts from this
// file alone and shows a blank box for a key that is missing.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pack {

struct OriginalSettings {
  std::string program_name;
  int version = 1;
  std::string target_dir;
  std::string shared_dir;
  std::string auxiliary_dir;
  std::int64_t probe_interval = 86400;    // seconds between checks
  std::int64_t reask_interval = 604800;   // before the same stamp is offered again
  std::string language = "English";      // a name of TextLanguages()
  std::map<std::string, std::string> texts;  // UTF-8 replacements of single keys ("s16", "Confirm")
};

// The languages the builder carries texts for, as the language table names them.
std::vector<std::string> TextLanguages();

// The language a --language value names: a name of TextLanguages() (any case), or a language
// block file (|English|s1=...|), whose name chooses. Throws PackError for any other.
std::string LanguageOfArgument(const std::string& value);

// The file's text (CR LF lines) in the language's code page (GBK for Chinese). Every key that
// the agent reads from [AutoUpdate] and [MsgBox] is written. Throws PackError when a name or
// text cannot be written in that code page or holds a line break.
std::string OriginalSettingsText(const OriginalSettings& settings);

// The [AutoUpdate] keys written, in file order.
const std::vector<std::string>& AgentTextKeys();

}  // namespace pack
