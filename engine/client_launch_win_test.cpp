#include "engine/client_launch.h"
#include "engine/client_launch_win.h"

#include <windows.h>
#include <ole2.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include <exdisp.h>

#include "common/registry.h"
#include "common/scoped_com.h"
#include "common/testing/setup_log_reading.h"
#include "engine/registration_texts.h"
#include "engine/testing/folder_security.h"
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

// This process's setup log, opened once for all tests here.
const std::wstring& LaunchLogPath() {
  static const std::wstring path = OpenOwnSetupLog(L"client_launch_win_test");
  return path;
}

// The lines logged since `mark` (the log's length before).
std::string LogSince(size_t mark) { return ReadSharedFile(LaunchLogPath()).substr(mark); }

// The executable name of the process that started the recorded client, or an empty text.
std::wstring ClientParentName() {
  const ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (entry.th32ProcessID == RecordedClientId()) parent = entry.th32ParentProcessID;
  }
  if (parent == 0) return L"";
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (entry.th32ProcessID == parent) return entry.szExeFile;
  }
  return L"";
}

// Wine's explorer.exe offers the shell's window list only some time after its desktop came up
// (until then: REGDB_E_KEYMISSING); the tests of that route wait for it.
bool DesktopShellServes() {
  return WaitUntil([] {
    const ScopedComApartment com;
    ComPtr<IShellWindows> windows;
    return SUCCEEDED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&windows)));
  });
}

std::wstring ThisProgramName() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring text = path;
  return text.substr(text.rfind(L'\\') + 1);
}

class ClientLaunch : public testing::Test {
 protected:
  void SetUp() override {
    LaunchLogPath();
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

// Wine's desktop is run by its own explorer.exe, which serves the shell's automation: the
// client becomes the desktop shell's child, not this installer's.
TEST_F(ClientLaunch, DesktopShellStartsClientAsItsOwnChild) {
  ASSERT_TRUE(DesktopShellServes());
  RecordInstallDir(install_.dir());
  const size_t mark = ReadSharedFile(LaunchLogPath()).size();

  ASSERT_TRUE(StartInstalledClient());

  ASSERT_TRUE(WaitUntil([&] { return RecordedClientId() != 0 && !ClientParentName().empty(); }));
  EXPECT_EQ(ClientParentName(), L"explorer.exe");
  const std::string log = LogSince(mark);
  EXPECT_TRUE(HasLineEndingWith(log, L"Launch: the client was started by the desktop's shell, with the desktop user's rights")) << log;
  EXPECT_EQ(log.find("this installer"), std::string::npos) << log;
}

// The start that the installer makes itself when the desktop's shell fails: the same file and
// parameters, the client now a child of this process.
TEST_F(ClientLaunch, WithoutDesktopShellThisInstallerStartsClient) {
  RecordInstallDir(install_.dir());
  const size_t mark = ReadSharedFile(LaunchLogPath()).size();

  ASSERT_TRUE(StartInstalledClient({[](const ShellStartRequest&) { return false; }, StartFromThisInstaller}));

  ASSERT_TRUE(WaitUntil([&] { return RecordedClientId() != 0 && !ClientParentName().empty(); }));
  EXPECT_EQ(ClientParentName(), ThisProgramName());
  std::string arguments;
  ASSERT_TRUE(WaitUntil([&] { return !(arguments = install_.ReadFile(L"launch-args.txt")).empty(); }));
  EXPECT_NE(arguments.find(Utf8(LaunchParameters(install_.dir()))), std::string::npos) << arguments;
  const std::string log = LogSince(mark);
  EXPECT_TRUE(HasLineEndingWith(log, L"Launch: the desktop's shell did not start the client; this installer starts it itself")) << log;
  EXPECT_TRUE(HasLineEndingWith(log, L"Launch: the client was started by this installer, with its rights")) << log;
}

// The wizard's thread may come with COM already initialised, for OLE or for the multi-threaded
// apartment; the desktop's shell is reached all the same, and the thread's COM is left as found.
TEST_F(ClientLaunch, DesktopShellIsReachedFromEveryApartmentAndLeavesItAsFound) {
  struct Case {
    const wchar_t* what;
    HRESULT (*initialise)();
    void (*uninitialise)();
    // What a new initialisation of the kind the start uses answers afterwards: S_OK when the
    // start left COM uninitialised, S_FALSE when it is still in place, RPC_E_CHANGED_MODE
    // when the thread is still in the multi-threaded apartment.
    HRESULT afterwards;
  };
  const Case cases[] = {
      {L"no COM", [] { return S_OK; }, [] {}, S_OK},
      {L"OLE", [] { return OleInitialize(nullptr); }, [] { OleUninitialize(); }, S_FALSE},
      {L"multi-threaded", [] { return CoInitializeEx(nullptr, COINIT_MULTITHREADED); }, [] { CoUninitialize(); },
       RPC_E_CHANGED_MODE},
  };
  ASSERT_TRUE(DesktopShellServes());
  RecordInstallDir(install_.dir());
  for (const Case& c : cases) {
    const size_t mark = ReadSharedFile(LaunchLogPath()).size();
    HRESULT initialised = E_FAIL;
    bool started = false;
    HRESULT afterwards = E_FAIL;
    std::thread([&] {
      initialised = c.initialise();
      started = StartInstalledClient();
      afterwards = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      if (SUCCEEDED(afterwards)) CoUninitialize();
      if (SUCCEEDED(initialised)) c.uninitialise();
    }).join();

    ASSERT_EQ(initialised, S_OK) << c.what;
    ASSERT_TRUE(started) << c.what;
    // Each client is ended before the next start, so the record names the one just started.
    EXPECT_TRUE(WaitUntil([] { return !ClientParentName().empty(); })) << c.what;
    TearDown();
    EXPECT_EQ(afterwards, c.afterwards) << c.what;
    const std::string log = LogSince(mark);
    EXPECT_TRUE(HasLineEndingWith(log, L"Launch: the client was started by the desktop's shell, with the desktop user's rights"))
        << c.what << ": " << log;
  }
}

// Which route is asked, with what, and what the log then says last.
TEST_F(ClientLaunch, DesktopShellIsAskedFirstAndThisInstallerOnlyAfterIt) {
  struct Case {
    const wchar_t* what;
    bool file_present;
    bool desktop_starts;
    bool direct_starts;
    int desktop_calls;
    int direct_calls;
    bool started;
    const wchar_t* last_line;
  };
  const Case cases[] = {
      {L"desktop shell starts it", true, true, true, 1, 0, true,
       L"Launch: the client was started by the desktop's shell, with the desktop user's rights"},
      {L"desktop shell fails", true, false, true, 1, 1, true,
       L"Launch: the client was started by this installer, with its rights"},
      {L"both fail", true, false, false, 1, 1, false,
       L"Launch: the desktop's shell did not start the client; this installer starts it itself"},
      {L"file missing", false, true, true, 0, 1, true,
       L"Launch: the client was started by this installer, with its rights"},
  };
  for (const Case& c : cases) {
    const std::wstring dir = c.file_present ? install_.dir() : install_.dir() + L"absent\\";
    RecordInstallDir(dir);
    std::vector<ShellStartRequest> desktop_requests;
    std::vector<ShellStartRequest> direct_requests;
    const ClientStartRoutes routes = {
        [&](const ShellStartRequest& request) {
          desktop_requests.push_back(request);
          return c.desktop_starts;
        },
        [&](const ShellStartRequest& request) {
          direct_requests.push_back(request);
          return c.direct_starts;
        }};

    EXPECT_EQ(StartInstalledClient(routes), c.started) << c.what;

    ASSERT_EQ(desktop_requests.size(), static_cast<size_t>(c.desktop_calls)) << c.what;
    ASSERT_EQ(direct_requests.size(), static_cast<size_t>(c.direct_calls)) << c.what;
    desktop_requests.insert(desktop_requests.end(), direct_requests.begin(), direct_requests.end());
    for (const ShellStartRequest& request : desktop_requests) {
      EXPECT_EQ(request.file, ClientExePath(dir)) << c.what;
      EXPECT_EQ(request.parameters, LaunchParameters(dir)) << c.what;
      EXPECT_EQ(request.show, SW_SHOW) << c.what;
    }
    const std::vector<std::string> lines = LogLines(ReadSharedFile(LaunchLogPath()));
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(HasLineEndingWith(lines.back(), c.last_line)) << c.what << ": " << lines.back();
  }
}

// A client in a folder that standard users can write may be theirs: only the desktop's shell
// starts it, with the desktop user's rights, and when the shell fails nobody does.
TEST_F(ClientLaunch, ClientThatStandardUsersCouldReplaceIsStartedOnlyByTheDesktopShell) {
  struct Case {
    const wchar_t* what;
    bool desktop_starts;
    bool started;
    const wchar_t* last_line;
  };
  const Case cases[] = {
      {L"desktop shell starts it", true, true,
       L"Launch: the client was started by the desktop's shell, with the desktop user's rights"},
      {L"desktop shell fails", false, false,
       L"Launch refused: this installer does not start a client that standard users could have replaced with its "
       L"own rights"},
  };
  // What this Wine, too, shows as Everyone being allowed to write.
  ASSERT_EQ(SetFolderDacl(install_.dir(), L"D:(A;OICI;FA;;;WD)"), static_cast<DWORD>(ERROR_SUCCESS));
  RecordInstallDir(install_.dir());
  for (const Case& c : cases) {
    const size_t mark = ReadSharedFile(LaunchLogPath()).size();
    int desktop_calls = 0;
    int direct_calls = 0;
    const ClientStartRoutes routes = {[&](const ShellStartRequest&) {
                                        ++desktop_calls;
                                        return c.desktop_starts;
                                      },
                                      [&](const ShellStartRequest&) {
                                        ++direct_calls;
                                        return true;
                                      }};

    EXPECT_EQ(StartInstalledClient(routes), c.started) << c.what;

    EXPECT_EQ(desktop_calls, 1) << c.what;
    EXPECT_EQ(direct_calls, 0) << c.what;
    const std::string log = LogSince(mark);
    EXPECT_TRUE(HasLineEndingWith(log, L"Launch: standard users can write " + install_.dir() +
                                           L", so the client there may be theirs; only the desktop's shell may start "
                                           L"it, with the desktop user's rights"))
        << log;
    const std::vector<std::string> lines = LogLines(log);
    ASSERT_FALSE(lines.empty()) << c.what;
    EXPECT_TRUE(HasLineEndingWith(lines.back(), c.last_line)) << c.what << ": " << lines.back();
  }
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
  const size_t mark = ReadSharedFile(LaunchLogPath()).size();
  EXPECT_FALSE(StartInstalledClient());
  // The desktop's shell would show a box of its own, so only this installer's start is tried.
  const std::string log = LogSince(mark);
  EXPECT_NE(log.find("is missing; the desktop's shell is not asked"), std::string::npos) << log;
  EXPECT_NE(log.find("Bokrin.exe not started, error "), std::string::npos) << log;
}

// A Bokrin.exe that is no program: the desktop's shell takes the call but starts nothing, and so
// does this installer after it; the log tells both.
TEST_F(ClientLaunch, FileThatNoShellCanStartIsTriedByBoth) {
  RecordInstallDir(install_.dir());
  const std::wstring file = ClientExePath(install_.dir());
  ASSERT_TRUE(DeleteFileW(file.c_str()));
  {
    const ScopedHandle text(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(text.Get(), "not a program", 13, &written, nullptr));
  }
  const size_t mark = ReadSharedFile(LaunchLogPath()).size();

  EXPECT_FALSE(StartInstalledClient());

  const std::string log = LogSince(mark);
  EXPECT_TRUE(HasLineEndingWith(log, L"Launch: desktop shell: it could not start " + file)) << log;
  EXPECT_TRUE(HasLineEndingWith(log, L"Launch: the desktop's shell did not start the client; this installer starts it itself")) << log;
  EXPECT_NE(log.find("Bokrin.exe not started, error 193 ("), std::string::npos) << log;
}

}  // namespace
