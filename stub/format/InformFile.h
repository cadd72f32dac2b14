// The inform file of the agent's inform run, the rules: its token checked against the running
// stub's, its body, and which addresses the inform window may hand to the shell.
// Pure code.
#pragma once

#include <string>

struct InformContent {
  bool token_matches = false;
  std::string body;  // the markup text after the fourth "|"
};

// The inform file's text (scrambled or plain: "first|token|third|fourth|body") against the
// running stub's stored update token; a damaged or missing token never matches.
InformContent ReadInformText(const std::string& file_text, const std::string& stored_token);

// Whether the address is a web address ("http:" or "https:" with a host, no blanks, control
// bytes or quotes): the only kind the inform window opens, since the address comes from a
// downloaded file and the shell would start any program or document it names.
bool IsWebAddress(const std::string& address);
