#include "tools/standin/standin_files.h"

#include <windows.h>

#include "common/scoped_handle.h"

namespace {

void WriteFileAt(const std::wstring& path, DWORD disposition, const std::string& content) {
  const ScopedHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                      disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
}

}  // namespace

std::wstring ExecutableDir() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir = path;
  return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

void WriteBesideExecutable(const wchar_t* name, const std::string& content) {
  const std::wstring path = ExecutableDir() + name;
  const std::wstring temporary = path + L".tmp";
  WriteFileAt(temporary, CREATE_ALWAYS, content);
  MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void AppendBesideExecutable(const wchar_t* name, const std::string& line) {
  WriteFileAt(ExecutableDir() + name, OPEN_ALWAYS, line);
}
