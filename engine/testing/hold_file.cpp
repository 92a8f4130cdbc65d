// For end-to-end tests: keeps a file open without sharing, as a running client holds its
// files, until its standard input is closed. Prints "HELD" once the file is open.
//   hold-file.exe <path>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "common/scoped_handle.h"

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 2) return 2;
  const ScopedHandle file(CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  LocalFree(argv);
  if (!file) {
    std::printf("FAILED %lu\n", GetLastError());
    return 1;
  }
  std::printf("HELD\n");
  std::fflush(stdout);
  char byte;
  DWORD read = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &read, nullptr) && read != 0) {
  }
  return 0;
}
