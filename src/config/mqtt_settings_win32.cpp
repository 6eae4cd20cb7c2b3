#include <windows.h>

#include <aclapi.h>

#include "config/mqtt_settings.hpp"

namespace helvanta {

namespace {

constexpr ACCESS_MASK kRead = FILE_READ_DATA | GENERIC_READ | GENERIC_ALL;

// Whether the DACL lets this SID read: its first ACE that names the SID and reading decides.
bool Grants(const ACL& acl, PSID sid) {
  for (DWORD i = 0; i < acl.AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(const_cast<ACL*>(&acl), i, &ace)) return false;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
    // Allowed and denied ACEs share their layout: the mask, then the SID.
    const auto* entry = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if ((entry->Mask & kRead) == 0 || !EqualSid(const_cast<DWORD*>(&entry->SidStart), sid)) continue;
    return header->AceType == ACCESS_ALLOWED_ACE_TYPE;
  }
  return false;
}

}  // namespace

// Others can read the file when its DACL lets Everyone, Users or Authenticated Users read it.
bool OthersCanRead(const std::string& path) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring widePath(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), widePath.data(), length);
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(widePath.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl,
                            nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  // No DACL at all lets everybody do everything.
  bool others = acl == nullptr;
  for (const WELL_KNOWN_SID_TYPE type : {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid}) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    if (!others && CreateWellKnownSid(type, nullptr, sid, &sidSize)) others = Grants(*acl, sid);
  }
  LocalFree(descriptor);
  return others;
}

}  // namespace helvanta
