#include "text/RegPathText.h"

#include "text/TextBasics.h"
#include "text/TextEdit.h"
#include "text/TextSearch.h"

RegRoot RegRootIdFromName(const std::string& name) {
  const std::string n = UpperText(name);
  if (n == "HKEY_CLASSES_ROOT") return RegRoot::ClassesRoot;
  if (n == "HKEY_LOCAL_MACHINE") return RegRoot::LocalMachine;
  if (n == "HKEY_USERS") return RegRoot::Users;
  if (n == "HKEY_CURRENT_CONFIG") return RegRoot::CurrentConfig;
  if (n == "HKEY_DYN_DATA") return RegRoot::DynData;
  return RegRoot::CurrentUser;
}

void SplitRegPathText(const std::string& path, RegRoot& root, std::string& sub_key) {
  const std::string p = TrimText(path);
  const std::size_t slash = p.find('\\');
  if (PosIC("HKEY_", p) == 1 && slash != std::string::npos) {
    root = RegRootIdFromName(p.substr(0, slash));
    sub_key = p.substr(slash + 1);
  } else {
    root = RegRoot::CurrentUser;
    sub_key = p;
  }
}

std::string WindowsVersionKeyFor(bool is_nt) {
  const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  return is_nt ? ReplaceAll(key, "Windows", "Windows NT") : key;
}
