// Extracts one package with ExtractPackage and prints how long that took, so that the
// installer's extraction can be set beside other unzip tools on the same archive.
//   extract_bench.exe <package.zip> <install directory>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/install_messages.h"
#include "engine/package_extraction.h"
#include "engine/testing/message_sink_window.h"
#include "engine/window_install_observer.h"
#include "identity/md5.h"

namespace {

// The digest the download would have kept: the extraction checks the package against it.
Md5Digest DigestOfFile(const wchar_t* path) {
  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  Md5 md5;
  md5.Update(bytes.data(), bytes.size());
  return md5.Finish();
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 3) {
    std::fprintf(stderr, "usage: extract_bench <package.zip> <install directory>\n");
    return 2;
  }
  const Md5Digest downloaded = DigestOfFile(argv[1]);
  MessageSinkWindow sink;
  WindowInstallObserver window(sink.hwnd());
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  // The journal's cost counts: the records written through, the files moved aside and, once
  // the installation would have finished, the backups deleted.
  RollbackJournal journal;
  const StopRequest go_on;
  const bool ok = ExtractPackage(window, argv[1], argv[2], downloaded, journal, go_on) == ExitCode::kInstalled;
  if (ok) journal.Commit();
  QueryPerformanceCounter(&end);
  sink.Drain();
  LocalFree(argv);
  const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("extract_package_seconds %.3f\nprogress_messages %zu\nresult %s\n", seconds,
              sink.ProgressValues().size(), ok ? "ok" : "failed");
  return ok ? 0 : 1;
}
