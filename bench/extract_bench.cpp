// Extracts one package with ExtractPackage and prints how long that took, so that the
// installer's extraction can be set beside other unzip tools on the same archive.
//   extract_bench.exe <package.zip> <install directory>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "engine/install_messages.h"
#include "engine/package_extraction.h"
#include "engine/testing/message_sink_window.h"

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 3) {
    std::fprintf(stderr, "usage: extract_bench <package.zip> <install directory>\n");
    return 2;
  }
  MessageSinkWindow sink;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const bool ok = ExtractPackage(sink.hwnd(), argv[1], argv[2]);
  QueryPerformanceCounter(&end);
  sink.Drain();
  LocalFree(argv);
  const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("extract_package_seconds %.3f\nprogress_messages %zu\nresult %s\n", seconds,
              sink.ProgressValues().size(), ok ? "ok" : "failed");
  return ok ? 0 : 1;
}
