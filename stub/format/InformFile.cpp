#include "format/InformFile.h"

#include "format/GFileInfo.h"
#include "text/UtilsText.h"

InformContent ReadInformText(const std::string& file_text, const std::string& stored_token) {
  InformContent content;
  std::string field;
  SplitTokenField(file_text, &field, &content.body);
  content.token_matches = SameToken(field, stored_token);
  return content;
}

bool IsWebAddress(const std::string& address) {
  for (const char* scheme : {"http://", "https://"}) {
    const std::string prefix(scheme);
    if (address.size() <= prefix.size() || !SameTextIC(address.substr(0, prefix.size()), prefix))
      continue;
    const char host = address[prefix.size()];
    if (host == '/' || host == '\\') return false;
    for (unsigned char c : address)
      if (c <= 32 || c == '"' || c == 127) return false;
    return true;
  }
  return false;
}
