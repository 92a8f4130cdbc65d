// Stand-in for the client's uninstaller: takes away what the installer wrote. It deletes the
// files of its own directory now and leaves itself and the directory to be deleted at the
// next restart, since a running program cannot delete its own file.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "common/product_names.h"
#include "common/scoped_handle.h"
#include "httpport/client/windowsfirewallhelper.h"
#include "tools/standin/standin_files.h"

namespace {

// Everything below `dir` (which ends with a backslash) except the file `keep`.
void DeleteTreeContent(const std::wstring& dir, const std::wstring& keep) {
  WIN32_FIND_DATAW found;
  const ScopedFindHandle search(FindFirstFileW((dir + L"*").c_str(), &found));
  if (!search) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = dir + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      DeleteTreeContent(path + L"\\", keep);
      RemoveDirectoryW(path.c_str());
    } else if (lstrcmpiW(path.c_str(), keep.c_str()) != 0) {
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path.c_str());
    }
  } while (FindNextFileW(search.Get(), &found));
}

void DeleteShortcut(int folder) {
  wchar_t path[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) {
    DeleteFileW((std::wstring(path) + kLinkName).c_str());
  }
}

void DeleteProductValues(HKEY root) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, kProductKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  const ScopedRegKey owner(key);
  for (const wchar_t* name : {L"Bokrin", L"BokrinEbook", L"BokrinAppDate", L"BokrinPackage", L"BokrinID"}) {
    RegDeleteValueW(key, name);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::wstring dir = ExecutableDir();
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  DeleteTreeContent(dir, self);
  MoveFileExW(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExW(dir.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);

  DeleteShortcut(CSIDL_DESKTOPDIRECTORY);
  DeleteShortcut(CSIDL_PROGRAMS);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Applications\\Bokrin.exe");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bokrin");
  DeleteProductValues(HKEY_LOCAL_MACHINE);
  DeleteProductValues(HKEY_CURRENT_USER);
  const wchar_t* const rules[] = {L"Bokrin-I", L"Bokrin-O"};
  RemoveFirewallRules(rules, 2);
  return 0;
}
