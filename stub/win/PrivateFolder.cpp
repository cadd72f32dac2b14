#include "win/PrivateFolder.h"

#include <vector>

#include "win/Owners.h"

namespace {

// Windows 2000 on; looked up so that the stub still loads where they are missing.
using AddAceExFn = BOOL(WINAPI*)(PACL, DWORD, DWORD, DWORD, PSID);
using SetControlFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                   SECURITY_DESCRIPTOR_CONTROL);

template <class Fn>
Fn Advapi32Function(const char* name) {
  const HMODULE advapi32 = GetModuleHandleA("advapi32.dll");
  return advapi32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(advapi32, name)))
                  : nullptr;
}

struct SidOwner {
  PSID sid = nullptr;
  SidOwner() = default;
  SidOwner(const SidOwner&) = delete;
  SidOwner& operator=(const SidOwner&) = delete;
  ~SidOwner() {
    if (sid) FreeSid(sid);
  }
};

bool VolumeKeepsRights(const std::string& path) {
  if (path.size() < 3 || path[1] != ':') return false;
  const std::string root = path.substr(0, 2) + "\\";
  DWORD flags = 0;
  return GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
         (flags & FILE_PERSISTENT_ACLS);
}

// The token's user SID, copied into buffer.
PSID CurrentUserSid(std::vector<BYTE>* buffer) {
  OwnedHandle token;
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return nullptr;
  token = OwnedHandle(raw);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return nullptr;
  buffer->assign(size, 0);
  if (!GetTokenInformation(token.get(), TokenUser, buffer->data(), size, &size)) return nullptr;
  return reinterpret_cast<TOKEN_USER*>(buffer->data())->User.Sid;
}

// The rights the volume keeps for the folder, read back: every ACE allows one of sids, and the
// user (sids[0]) is among them. A volume that drops or widens them fails this.
bool HoldsOnlyRightsOf(const std::string& path, const PSID* sids, std::size_t count) {
  DWORD size = 0;
  GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  if (size == 0) return false;
  std::vector<BYTE> sd(size);
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, sd.data(), size, &size) ||
      !GetSecurityDescriptorDacl(sd.data(), &present, &dacl, &defaulted) || !present || !dacl)
    return false;  // no DACL at all lets everyone in
  bool user_allowed = false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace) ||
        static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE)
      return false;
    const PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
    bool known = false;
    for (std::size_t k = 0; k < count; ++k) known = known || EqualSid(sid, sids[k]);
    if (!known) return false;
    user_allowed = user_allowed || EqualSid(sid, sids[0]);
  }
  return user_allowed;
}

}  // namespace

bool CreatePrivateFolder(const std::string& path, DWORD* error_code) {
  *error_code = ERROR_NOT_SUPPORTED;
  const auto add_ace = Advapi32Function<AddAceExFn>("AddAccessAllowedAceEx");
  const auto set_control = Advapi32Function<SetControlFn>("SetSecurityDescriptorControl");
  if (!add_ace || !set_control || !VolumeKeepsRights(path)) return false;
  std::vector<BYTE> user_buffer;
  const PSID user = CurrentUserSid(&user_buffer);
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  SidOwner system, admins;
  if (!user ||
      !AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0,
                                &system.sid) ||
      !AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                0, 0, 0, 0, &admins.sid)) {
    *error_code = GetLastError();
    return false;
  }
  const PSID sids[] = {user, system.sid, admins.sid};
  DWORD acl_size = sizeof(ACL);
  for (const PSID sid : sids) acl_size += sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid);
  std::vector<BYTE> acl_buffer(acl_size);
  const PACL acl = reinterpret_cast<PACL>(acl_buffer.data());
  SECURITY_DESCRIPTOR sd;
  bool built = InitializeAcl(acl, acl_size, ACL_REVISION) &&
               InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  for (const PSID sid : sids)
    built = built && add_ace(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                             FILE_ALL_ACCESS, sid);
  built = built && SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE) &&
          set_control(&sd, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
  if (!built) {
    *error_code = GetLastError();
    return false;
  }
  SECURITY_ATTRIBUTES sa{sizeof sa, &sd, FALSE};
  if (!CreateDirectoryA(path.c_str(), &sa)) {
    *error_code = GetLastError();
    return false;
  }
  if (!HoldsOnlyRightsOf(path, sids, 3)) {
    RemoveDirectoryA(path.c_str());
    *error_code = ERROR_NOT_SUPPORTED;
    return false;
  }
  *error_code = ERROR_SUCCESS;
  return true;
}
