#include "engine/install_path_safety_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "engine/install_path_folders.h"

namespace {

// Program Files' grants for everything inside the folder, read and execute for Users. Its
// CREATOR OWNER grant is left out: only administrators can write here, and they have full
// control already, so it could only ever hand a folder to an account that was given one.
const wchar_t kProtectedFolderSddl[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

// Rights that let their holder put something of their own in place of what is inside a
// folder: by deleting or renaming the folder's entries, the folder itself, or by changing who
// may do so.
constexpr ACCESS_MASK kReplacesContents = FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;
// In the install directory itself, adding a file (a DLL beside the client) is enough.
constexpr ACCESS_MASK kAddsOrReplacesFiles = kReplacesContents | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;

using SidBytes = std::vector<BYTE>;

// Without the trailing separator, which would make the system look through a link, except
// after a drive ("C:\", "\\?\C:\"), which without it would name the current folder or the volume.
std::wstring WithoutTrailingSeparator(std::wstring path) {
  while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/') && path[path.size() - 2] != L':') {
    path.pop_back();
  }
  return path;
}

bool IsMissingError(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The entry itself, never what a link at its place points to.
ScopedHandle OpenWithoutFollowing(const std::wstring& path, DWORD access) {
  return ScopedHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                  nullptr));
}

SidBytes WellKnownSid(WELL_KNOWN_SID_TYPE type) {
  SidBytes sid(SECURITY_MAX_SID_SIZE);
  DWORD size = static_cast<DWORD>(sid.size());
  if (!CreateWellKnownSid(type, nullptr, sid.data(), &size)) return SidBytes();
  sid.resize(size);
  return sid;
}

std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
  DWORD size = 0;
  GetTokenInformation(token, kind, nullptr, 0, &size);
  std::vector<BYTE> bytes(size);
  if (size == 0 || !GetTokenInformation(token, kind, bytes.data(), size, &size)) bytes.clear();
  return bytes;
}

// The token of the desktop's user: the one its shell (Explorer) runs as, or, where no shell
// runs, this process's own.
ScopedHandle DesktopUserToken() {
  DWORD shell_process = 0;
  const HWND shell = GetShellWindow();
  if (shell != nullptr) GetWindowThreadProcessId(shell, &shell_process);
  const ScopedHandle process(shell_process != 0 ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shell_process)
                                                 : nullptr);
  ScopedHandle token;
  if (!OpenProcessToken(process ? process.Get() : GetCurrentProcess(), TOKEN_QUERY, token.Receive())) {
    LogSystemFailure(L"Install path", LastError(), L"the desktop user's token cannot be read");
    return ScopedHandle();
  }
  return token;
}

// The desktop's user counts as a standard user unless the token lists Administrators at all:
// enabled, or held back for deny only while UAC filters an administrator's token.
SidBytes DesktopUserUnlessAdministrator() {
  const ScopedHandle token = DesktopUserToken();
  if (!token) return SidBytes();
  const std::vector<BYTE> user = TokenInformation(token.Get(), TokenUser);
  const std::vector<BYTE> groups = TokenInformation(token.Get(), TokenGroups);
  const SidBytes administrators = WellKnownSid(WinBuiltinAdministratorsSid);
  if (user.empty() || groups.empty() || administrators.empty()) return SidBytes();
  const TOKEN_GROUPS& token_groups = *reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
  for (DWORD index = 0; index < token_groups.GroupCount; ++index) {
    if (EqualSid(token_groups.Groups[index].Sid, const_cast<BYTE*>(administrators.data()))) return SidBytes();
  }
  const auto* sid = static_cast<const BYTE*>(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
  return SidBytes(sid, sid + GetLengthSid(const_cast<BYTE*>(sid)));
}

std::vector<SidBytes> StandardUserSids() {
  std::vector<SidBytes> sids;
  for (WELL_KNOWN_SID_TYPE type : {WinWorldSid, WinAuthenticatedUserSid, WinBuiltinUsersSid, WinInteractiveSid}) {
    SidBytes sid = WellKnownSid(type);
    if (!sid.empty()) sids.push_back(std::move(sid));
  }
  SidBytes user = DesktopUserUnlessAdministrator();
  if (!user.empty()) sids.push_back(std::move(user));
  return sids;
}

bool IsOneOf(PSID sid, const std::vector<SidBytes>& sids) {
  for (const SidBytes& candidate : sids) {
    if (EqualSid(sid, const_cast<BYTE*>(candidate.data()))) return true;
  }
  return false;
}

// Allow entries only: a deny entry before them is not weighed, so a folder may be judged
// writable that is not, never the other way round. Entries that only pass on to what is
// inside do not apply to the folder itself.
bool GrantsAnyOf(const ACL& dacl, const std::vector<SidBytes>& trustees, ACCESS_MASK rights) {
  GENERIC_MAPPING file_rights = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
  for (DWORD index = 0; index < dacl.AceCount; ++index) {
    void* ace = nullptr;
    if (!GetAce(const_cast<ACL*>(&dacl), index, &ace)) continue;
    const ACE_HEADER& header = *static_cast<const ACE_HEADER*>(ace);
    if (header.AceType != ACCESS_ALLOWED_ACE_TYPE || (header.AceFlags & INHERIT_ONLY_ACE) != 0) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    ACCESS_MASK mask = allowed->Mask;
    MapGenericMask(&mask, &file_rights);
    if ((mask & rights) != 0 && IsOneOf(&allowed->SidStart, trustees)) return true;
  }
  return false;
}

// Whether `trustees` hold any of `rights` on `folder`, or own it (an owner may always change
// its DACL). True, logged, when the folder's security cannot be read.
bool LetsAnyIn(const std::wstring& folder, const std::vector<SidBytes>& trustees, ACCESS_MASK rights) {
  const ScopedHandle handle = OpenWithoutFollowing(folder, READ_CONTROL);
  PSID owner = nullptr;
  PACL dacl = nullptr;
  ScopedLocalMem descriptor;
  const DWORD error = handle ? GetSecurityInfo(handle.Get(), SE_FILE_OBJECT,
                                               OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                               nullptr, &dacl, nullptr, descriptor.Receive())
                             : GetLastError();
  if (error != ERROR_SUCCESS) {
    LogSystemFailure(L"Install path", SystemCode::Win32Error(error), L"the security of %ls cannot be read",
                     folder.c_str());
    return true;
  }
  // No DACL at all lets everybody do everything.
  return dacl == nullptr || (owner != nullptr && IsOneOf(owner, trustees)) || GrantsAnyOf(*dacl, trustees, rights);
}

}  // namespace

bool IsLinkOrUnexaminable(const std::wstring& folder) {
  const std::wstring path = WithoutTrailingSeparator(folder);
  const ScopedHandle handle = OpenWithoutFollowing(path, FILE_READ_ATTRIBUTES);
  if (!handle) {
    const DWORD error = GetLastError();
    if (IsMissingError(error)) return false;
    LogSystemFailure(L"Install path", SystemCode::Win32Error(error), L"%ls cannot be examined", path.c_str());
    return true;
  }
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!GetFileInformationByHandle(handle.Get(), &information)) {
    LogSystemFailure(L"Install path", LastError(), L"%ls cannot be examined", path.c_str());
    return true;
  }
  const DWORD by_name = GetFileAttributesW(path.c_str());
  const DWORD attributes = information.dwFileAttributes | (by_name == INVALID_FILE_ATTRIBUTES ? 0 : by_name);
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  SetupLog(L"Install path: %ls is a link (attributes 0x%lx through its handle, 0x%lx by its name)", path.c_str(),
           information.dwFileAttributes, by_name);
  return true;
}

bool PathHoldsLink(const std::wstring& folder) {
  std::wstring directory = folder;
  if (!directory.empty() && directory.back() != L'\\' && directory.back() != L'/') directory += L'\\';
  for (const std::wstring& level : FoldersToCheck(directory, {})) {
    if (IsLinkOrUnexaminable(level)) return true;
  }
  return false;
}

DWORD CreateProtectedFolder(const std::wstring& folder) {
  const std::wstring path = WithoutTrailingSeparator(folder);
  ScopedLocalMem descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtectedFolderSddl, SDDL_REVISION_1,
                                                            descriptor.Receive(), nullptr)) {
    const DWORD error = GetLastError();
    LogSystemFailure(L"Install path", SystemCode::Win32Error(error), L"the protection of new folders cannot be made");
    return error;
  }
  // Given at creation, so that no moment passes in which the folder has a parent's permissions.
  SECURITY_ATTRIBUTES security = {sizeof security, descriptor.Get(), FALSE};
  return CreateDirectoryW(path.c_str(), &security) ? ERROR_SUCCESS : GetLastError();
}

DWORD CreateProtectedFolders(const std::wstring& folder) {
  // The missing folders, innermost first.
  std::vector<std::wstring> missing;
  for (std::wstring path = WithoutTrailingSeparator(folder);
       GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;) {
    const DWORD error = GetLastError();
    if (!IsMissingError(error)) return error;
    missing.push_back(path);
    const size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) break;
    const std::wstring parent = WithoutTrailingSeparator(path.substr(0, separator + 1));
    // A missing root ("Q:\" of a drive that does not exist) is its own parent.
    if (parent == path) break;
    path = parent;
  }
  for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
    const DWORD error = CreateProtectedFolder(*level);
    if (error != ERROR_SUCCESS && error != ERROR_ALREADY_EXISTS) return error;
  }
  return ERROR_SUCCESS;
}

bool IsWritableByStandardUsers(const std::wstring& folder) {
  const std::vector<SidBytes> trustees = StandardUserSids();
  std::wstring directory = folder;
  if (!directory.empty() && directory.back() != L'\\' && directory.back() != L'/') directory += L'\\';
  // The folder itself, then its parents up to the root. Whoever may add to the nearest folder
  // that exists could make the missing ones below it.
  const std::vector<std::wstring> path = FoldersToCheck(directory, {});
  ACCESS_MASK rights = kAddsOrReplacesFiles;
  for (auto level = path.rbegin(); level != path.rend(); ++level) {
    const std::wstring name = WithoutTrailingSeparator(*level);
    if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES && IsMissingError(GetLastError())) continue;
    const bool lets_in = LetsAnyIn(name, trustees, rights);
    rights = kReplacesContents;
    if (lets_in) {
      SetupLog(L"Install path: standard users may replace what is in %ls, through %ls", folder.c_str(),
               level->c_str());
      return true;
    }
  }
  return false;
}
