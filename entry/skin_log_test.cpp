// The installer's skin diagnostics, read back from the setup log that a process of its own wrote.
#include "entry/skin_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/scoped_handle.h"
#include "common/testing/scoped_temp_dir.h"

namespace {

std::string ReadAll(const std::wstring& path) {
  const ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string content;
  if (!file) return content;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) content.append(buffer, got);
  return content;
}

// Runs the writer to its end with %TEMP% in `temp`; its exit code, or -1 when it did not start.
int RunWriter(const std::wstring& temp) {
  std::wstring saved[2];
  const wchar_t* const names[] = {L"TMP", L"TEMP"};
  for (int i = 0; i < 2; ++i) {
    wchar_t value[MAX_PATH] = {};
    GetEnvironmentVariableW(names[i], value, MAX_PATH);
    saved[i] = value;
    SetEnvironmentVariableW(names[i], temp.c_str());
  }
  std::wstring command_line = L"\"" BOKRIN_SKIN_LOG_WRITER L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  const bool created = CreateProcessW(nullptr, &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                      &startup, &started) != FALSE;
  for (int i = 0; i < 2; ++i) SetEnvironmentVariableW(names[i], saved[i].c_str());
  if (!created) return -1;
  const ScopedHandle process(started.hProcess);
  const ScopedHandle thread(started.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD exit_code = 0;
  GetExitCodeProcess(process.Get(), &exit_code);
  return static_cast<int>(exit_code);
}

TEST(SkinLogTest, SkinTroubleReachesTheSetupLogWithItsDetails) {
  ScopedTempDir temp;
  ASSERT_FALSE(temp.path().empty());
  ASSERT_EQ(RunWriter(temp.path()), 0);
  const std::string log = ReadAll(temp.path() + L"BokrinSetup.log");
  const char* const kExpected[] = {
      "skin (markup text): Label has no attribute \"colour\", ignored\r\n",
      // The parser's place of the error, which the user's message box does not show.
      "skin (markup text) cannot be built: line 2, column 15: ",
      "skin picture gone.png cannot be read or decoded\r\n",
  };
  for (const char* expected : kExpected) EXPECT_NE(log.find(expected), std::string::npos) << expected << "\n" << log;
}

}  // namespace
