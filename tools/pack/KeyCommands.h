// The publisher's key commands of wexlin-pack: a new key pair, signatures beside published
// files, and the update key given to a build. Errors are thrown as PackError.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace pack {

// Writes BASE.key (the secret key, mode 0600) and BASE.pub (the public key, one line) and prints
// the public key. Refuses when either file exists: a key is never overwritten.
void GenerateKeyFiles(const std::string& base, std::ostream& out);

// Writes FILE.sig beside each FILE, signed with the secret key in key_path.
void SignFiles(const std::string& key_path, const std::vector<std::string>& files,
               std::ostream& out);

// Checks FILE.sig of each FILE with the public key (a .pub file or its text) as the agent does;
// prints "FILE: good" or "FILE: REFUSED (reason)" per file. True when every file is good.
bool VerifyFiles(const std::string& key_arg, const std::vector<std::string>& files,
                 std::ostream& out);

// The update key's text for the header: key_arg is a .pub file or the key's base64 text.
std::string UpdateKeyText(const std::string& key_arg);

}  // namespace pack
