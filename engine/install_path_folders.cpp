#include "engine/install_path_folders.h"

#include <set>

namespace {

bool IsSeparator(Utf16Char c) { return c == U16('\\') || c == U16('/'); }

WString WithBackslashes(WString path) {
  for (Utf16Char& c : path) {
    if (c == U16('/')) c = U16('\\');
  }
  return path;
}

// The length of the root that no folder check can open as a folder of its own: "C:\", or the
// two names after a leading "\\" ("server\share\", "?\C:\").
size_t RootLength(const WString& path) {
  if (path.size() >= 3 && path[1] == U16(':') && IsSeparator(path[2])) return 3;
  if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return 0;
  size_t end = 2;
  for (int name = 0; name < 2; ++name) {
    end = path.find(U16('\\'), end);
    if (end == WString::npos) return path.size();
    ++end;
  }
  return end;
}

// Adds every folder of `path` (a "\" separated text relative to `base`) that ends at a
// separator, `base` followed by the text up to and with that separator.
void AddFolders(const WString& base, const WString& path, size_t from, std::set<WString>* seen,
                std::vector<WString>* folders) {
  for (size_t end = path.find(U16('\\'), from); end != WString::npos; end = path.find(U16('\\'), end + 1)) {
    WString folder = base + path.substr(0, end + 1);
    if (seen->insert(folder).second) folders->push_back(std::move(folder));
  }
}

}  // namespace

std::vector<WString> FoldersToCheck(const WString& install_dir, const std::vector<WString>& entry_names) {
  std::vector<WString> folders;
  std::set<WString> seen;
  const WString directory = WithBackslashes(install_dir);
  const size_t root = RootLength(directory);
  if (root > 0) {
    seen.insert(directory.substr(0, root));
    folders.push_back(directory.substr(0, root));
  }
  AddFolders(WString(), directory, root, &seen, &folders);
  for (const WString& name : entry_names) AddFolders(directory, WithBackslashes(name), 0, &seen, &folders);
  return folders;
}
