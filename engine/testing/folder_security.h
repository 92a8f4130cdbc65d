#pragma once
// For tests: a folder's DACL set from SDDL, and read back as its allow entries.
#include <windows.h>

#include <string>
#include <vector>

struct FolderAce {
  // The SDDL abbreviation of a well-known trustee ("BA", "SY", "BU", "WD", "AU", "IU"), else
  // the SID as a text.
  std::wstring trustee;
  ACCESS_MASK mask;
  BYTE flags;  // the ACE's inheritance flags

  bool operator==(const FolderAce& other) const {
    return trustee == other.trustee && mask == other.mask && flags == other.flags;
  }
};

struct FolderSecurity {
  bool read = false;
  bool is_protected = false;  // SE_DACL_PROTECTED: nothing is inherited
  std::vector<FolderAce> aces;  // allow entries, in order
};

// Sets `folder`'s DACL to the one of `sddl` ("D:..."; "D:P..." protects it). The Win32 error.
DWORD SetFolderDacl(const std::wstring& folder, const wchar_t* sddl);
FolderSecurity ReadFolderSecurity(const std::wstring& folder);
