#pragma once
// A fresh directory under the system's temporary folder for one test, removed with all that
// the test left in it.
#include <string>

class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // The directory with a trailing backslash; empty when it could not be created.
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// Deletes `path` and everything below it, read-only files included.
void DeleteTree(const std::wstring& path);
