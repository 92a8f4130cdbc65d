// Downloads one package with CWinHttpClient::GetToFile and prints the rate and the process's
// peak working set, which must not grow with the package size.
//   download_bench <host> <path-and-query> <file>
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "httpport/client/winhttp_client.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: download_bench <host> <path-and-query> <file>\n");
    return 2;
  }
  char file[MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, argv[3], -1, file, sizeof file, nullptr, nullptr);
  uint32_t last_received = 0;
  CWinHttpClient client;
  const auto started = std::chrono::steady_clock::now();
  const bool ok = client.GetToFile(argv[1], argv[2], {}, file,
                                   [&](int32_t, uint32_t received, uint32_t, int32_t) {
                                     last_received = received;
                                   });
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  std::printf("ok=%d bytes=%u seconds=%.3f MB/s=%.1f peak_working_set_KiB=%zu\n", ok ? 1 : 0,
              last_received, seconds, last_received / seconds / 1e6,
              static_cast<size_t>(counters.PeakWorkingSetSize / 1024));
  return ok ? 0 : 1;
}
