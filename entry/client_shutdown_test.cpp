#include "entry/client_shutdown.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tools/standin/standin_install.h"

namespace {

bool HasEnded(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

bool ShowsClientTitle(HANDLE process) {
  const DWORD process_id = GetProcessId(process);
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, nullptr, L"Bokrin阅读")) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process_id) return true;
  }
  return false;
}

class ClientShutdown : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Bokrin");
    ASSERT_TRUE(install_.ok());
    ASSERT_EQ(FindWindowW(nullptr, L"Bokrin阅读"), nullptr) << "a client from elsewhere is running";
  }

  // Starts `file_name` and waits until its window shows the client's title.
  HANDLE StartTitled(const wchar_t* file_name) {
    const HANDLE process = install_.Start(file_name, L"");
    if (process == nullptr) return nullptr;
    return WaitUntil([process] { return ShowsClientTitle(process); }) ? process : nullptr;
  }

  // Starts `file_name` and waits until it has recorded its process id.
  HANDLE StartRecorded(const wchar_t* file_name, const std::wstring& arguments) {
    const HANDLE process = install_.Start(file_name, arguments);
    if (process == nullptr) return nullptr;
    const DWORD id = GetProcessId(process);
    return WaitUntil([id] { return RecordedClientId() == id; }) ? process : nullptr;
  }

  StandinInstall install_{L"client shutdown"};
};

TEST_F(ClientShutdown, ClientFoundByWindowIsToldThenTerminated) {
  const HANDLE client = install_.Start(L"Bokrin.exe", L"--icons=2");
  ASSERT_NE(client, nullptr);
  ASSERT_TRUE(WaitUntil([] { return FindWindowW(nullptr, L"Bokrin阅读") != nullptr; }));

  ShutDownRunningClient();

  EXPECT_TRUE(HasEnded(client));
  DWORD exit_code = 1;
  GetExitCodeProcess(client, &exit_code);
  EXPECT_EQ(exit_code, 0u);
  // The notice comes first, then the icon count is asked.
  EXPECT_EQ(install_.ReadFile(L"messages.log"), "1912\r\n1048\r\n");
}

TEST_F(ClientShutdown, ClientWithoutWindowIsFoundByRecordedId) {
  const HANDLE client = StartRecorded(L"Bokrin.exe", L"--untitled");
  ASSERT_NE(client, nullptr);

  ShutDownRunningClient();

  EXPECT_TRUE(HasEnded(client));
  EXPECT_EQ(install_.ReadFile(L"messages.log"), "");
}

// A recorded id that now belongs to another program leaves that program alone.
TEST_F(ClientShutdown, RecordedIdOfOtherProgramIsNotTerminated) {
  ASSERT_TRUE(install_.CopyClientAs(L"Other.exe"));
  const HANDLE other = StartRecorded(L"Other.exe", L"--untitled");
  ASSERT_NE(other, nullptr);

  ShutDownRunningClient();

  EXPECT_FALSE(HasEnded(other));
}

// The client's title on a window of another program (an Explorer folder of that name): that
// program is neither told nor terminated, also when it recorded its id as the client would.
TEST_F(ClientShutdown, TitledWindowOfOtherProgramIsLeftAlone) {
  ASSERT_TRUE(install_.CopyClientAs(L"Other.exe"));
  const HANDLE other = StartTitled(L"Other.exe");
  ASSERT_NE(other, nullptr);

  ShutDownRunningClient();

  EXPECT_FALSE(HasEnded(other));
  EXPECT_EQ(install_.ReadFile(L"messages.log"), "");
}

// The other program's window, opened last, is the first one with the title; the client behind
// it is still the one that is told and terminated.
TEST_F(ClientShutdown, ClientIsFoundBehindOtherProgramWithSameTitle) {
  ASSERT_TRUE(install_.CopyClientAs(L"Other.exe"));
  const HANDLE client = StartTitled(L"Bokrin.exe");
  ASSERT_NE(client, nullptr);
  const HANDLE other = StartTitled(L"Other.exe");
  ASSERT_NE(other, nullptr);

  ShutDownRunningClient();

  EXPECT_TRUE(HasEnded(client));
  EXPECT_FALSE(HasEnded(other));
  // Both write here; only the client was told.
  EXPECT_EQ(install_.ReadFile(L"messages.log"), "1912\r\n1048\r\n");
}

TEST_F(ClientShutdown, ReadingRecordedIdCreatesProductKey) {
  ShutDownRunningClient();
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Bokrin", 0, KEY_READ, &key), ERROR_SUCCESS);
  if (key != nullptr) RegCloseKey(key);
}

}  // namespace
