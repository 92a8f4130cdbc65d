#include "engine/client_launch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/registry.h"
#include "engine/registration_texts.h"
#include "tools/standin/standin_install.h"

namespace {

void RecordInstallDir(const std::wstring& dir) {
  const ScopedRegKey key = RegOpenOrCreateKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Bokrin");
  RegWriteValue(key.Get(), L"Bokrin", REG_SZ, dir);
}

std::string Utf8(const std::wstring& text) {
  std::string utf8(text.size() * 3, '\0');
  utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0],
                                  static_cast<int>(utf8.size()), nullptr, nullptr));
  return utf8;
}

class ClientLaunch : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Bokrin");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Bokrin");
    ASSERT_TRUE(install_.ok());
  }
  void TearDown() override {
    // The client started by the shell is not ours to wait for; it is found by its record.
    const ScopedHandle client(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, RecordedClientId()));
    if (client && TerminateProcess(client.Get(), 0)) WaitForSingleObject(client.Get(), 5000);
  }

  // A directory name with a space and Chinese characters, as users choose them.
  StandinInstall install_{L"client launch 阅读"};
};

TEST_F(ClientLaunch, StartsClientWithBothQuotedDirectories) {
  RecordInstallDir(install_.dir());

  ASSERT_TRUE(StartInstalledClient());

  std::string arguments;
  ASSERT_TRUE(WaitUntil([&] { return !(arguments = install_.ReadFile(L"launch-args.txt")).empty(); }));
  const std::string expected = " " + Utf8(LaunchParameters(install_.dir()));
  ASSERT_GE(arguments.size(), expected.size()) << arguments;
  EXPECT_EQ(arguments.substr(arguments.size() - expected.size()), expected) << arguments;
  EXPECT_NE(arguments.find("Bokrin.exe"), std::string::npos) << arguments;
}

// Each recorded directory would, given to the shell, start the Bokrin.exe that the current
// folder holds; the start is refused instead.
TEST_F(ClientLaunch, DirectoryNotGivenInFullIsRefused) {
  const std::wstring temp = install_.dir().substr(0, install_.dir().rfind(L'\\', install_.dir().size() - 2) + 1);
  const std::wstring name = install_.dir().substr(temp.size());
  ASSERT_EQ(install_.dir().substr(0, 2), L"C:");
  struct Case {
    const wchar_t* what;
    bool recorded;
    std::wstring directory;
    std::wstring current_folder;
  };
  const Case cases[] = {
      {L"missing", false, L"", install_.dir()},
      {L"empty", true, L"", install_.dir()},
      // Longer than a path: read as nothing at all.
      {L"unreadable", true, install_.dir() + std::wstring(300, L'x') + L"\\", install_.dir()},
      {L"relative", true, name, temp},
      {L"rooted on the current drive", true, install_.dir().substr(2), temp},
      {L"relative to the drive's folder", true, L"C:" + name, temp},
  };
  wchar_t saved_folder[MAX_PATH] = {};
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, saved_folder), 0u);
  for (const Case& c : cases) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Bokrin");
    if (c.recorded) RecordInstallDir(c.directory);
    EXPECT_TRUE(SetCurrentDirectoryW(c.current_folder.c_str())) << c.what;

    EXPECT_FALSE(StartInstalledClient()) << c.what;
    // The stand-in's folder is removed at the end; it must not be current then.
    SetCurrentDirectoryW(saved_folder);
  }
}

TEST_F(ClientLaunch, MissingExecutableIsReportedWithoutShellBox) {
  RecordInstallDir(install_.dir() + L"absent\\");
  EXPECT_FALSE(StartInstalledClient());
}

}  // namespace
