// For the setup log's tests: one installer run's worth of logging in a process of its own.
//   setup-log-writer.exe MARKER THREADS LINES [COPY]
// opens the log (with a copy in the file COPY when given), then THREADS threads each write LINES lines
//   "writer MARKER thread T line I <kWriterPadding>"
// at once. Exit code 0 when every thread ran, 2 on bad arguments.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/testing/setup_log_writer.h"

namespace {

struct WriterJob {
  const wchar_t* marker;
  int thread;
  int lines;
};

DWORD WINAPI WriteLines(void* parameter) {
  const WriterJob& job = *static_cast<const WriterJob*>(parameter);
  for (int line = 0; line < job.lines; ++line) {
    SetupLog(L"writer %ls thread %d line %d %ls", job.marker, job.thread, line, kWriterPadding);
  }
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || (argc != 4 && argc != 5)) return 2;
  const std::wstring marker = argv[1];
  const int threads = _wtoi(argv[2]);
  const int lines = _wtoi(argv[3]);
  const std::wstring copy = argc == 5 ? argv[4] : L"";
  LocalFree(argv);
  if (threads < 1) return 2;

  OpenSetupLog(copy);
  std::vector<WriterJob> jobs;
  for (int t = 0; t < threads; ++t) jobs.push_back(WriterJob{marker.c_str(), t, lines});
  std::vector<ScopedHandle> running;
  bool all_started = true;
  for (WriterJob& job : jobs) {
    ScopedHandle thread(CreateThread(nullptr, 0, WriteLines, &job, 0, nullptr));
    all_started = all_started && thread.IsValid();
    if (thread) running.push_back(std::move(thread));
  }
  for (const ScopedHandle& thread : running) WaitForSingleObject(thread.Get(), INFINITE);
  return all_started ? 0 : 1;
}
