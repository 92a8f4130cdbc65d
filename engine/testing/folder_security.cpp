#include "engine/testing/folder_security.h"

#include <aclapi.h>
#include <sddl.h>

#include "common/scoped_handle.h"

namespace {

std::wstring TrusteeName(PSID sid) {
  const struct {
    WELL_KNOWN_SID_TYPE type;
    const wchar_t* name;
  } known[] = {{WinBuiltinAdministratorsSid, L"BA"}, {WinLocalSystemSid, L"SY"}, {WinBuiltinUsersSid, L"BU"},
               {WinWorldSid, L"WD"},  {WinAuthenticatedUserSid, L"AU"},   {WinInteractiveSid, L"IU"}};
  for (const auto& candidate : known) {
    BYTE bytes[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof bytes;
    if (CreateWellKnownSid(candidate.type, nullptr, bytes, &size) && EqualSid(sid, bytes)) return candidate.name;
  }
  ScopedLocalMem text;
  if (!ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text.Receive()))) return L"?";
  return static_cast<const wchar_t*>(text.Get());
}

}  // namespace

DWORD SetFolderDacl(const std::wstring& folder, const wchar_t* sddl) {
  ScopedLocalMem descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, descriptor.Receive(), nullptr)) {
    return GetLastError();
  }
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  GetSecurityDescriptorDacl(descriptor.Get(), &present, &dacl, &defaulted);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor.Get(), &control, &revision);
  const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED) != 0
                                                                      ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                      : UNPROTECTED_DACL_SECURITY_INFORMATION);
  std::wstring name = folder;
  return SetNamedSecurityInfoW(&name[0], SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr);
}

FolderSecurity ReadFolderSecurity(const std::wstring& folder) {
  FolderSecurity security;
  PACL dacl = nullptr;
  ScopedLocalMem descriptor;
  if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                            nullptr, descriptor.Receive()) != ERROR_SUCCESS) {
    return security;
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor.Get(), &control, &revision);
  security.read = true;
  security.is_protected = (control & SE_DACL_PROTECTED) != 0;
  for (DWORD index = 0; dacl != nullptr && index < dacl->AceCount; ++index) {
    void* ace = nullptr;
    if (!GetAce(dacl, index, &ace) || static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    security.aces.push_back({TrusteeName(&allowed->SidStart), allowed->Mask,
                             static_cast<BYTE>(allowed->Header.AceFlags & VALID_INHERIT_FLAGS)});
  }
  return security;
}
