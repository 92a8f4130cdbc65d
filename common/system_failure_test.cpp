#include "common/system_failure.h"

#include <gtest/gtest.h>

#include <string>

#include "common/scoped_handle.h"
#include "common/testing/setup_log_reading.h"

namespace {

// Codes with the customer bit set belong to no system table.
constexpr DWORD kUnknownError = 0x20001234;
constexpr HRESULT kUnknownHresult = static_cast<HRESULT>(0xA0001234);

TEST(DescribeSystemCode, GivesEachKindItsNumberAndTheSystemsText) {
  const std::wstring denied = SystemMessageOf(ERROR_ACCESS_DENIED);
  const std::wstring not_found = SystemMessageOf(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(denied.empty());
  ASSERT_FALSE(not_found.empty());
  // Where the system has no text of the wrapped form, the wrapped Win32 error's serves.
  const std::wstring wrapped = SystemMessageOf(static_cast<DWORD>(E_ACCESSDENIED));
  struct Case {
    SystemCode code;
    std::wstring expected;
  };
  const Case cases[] = {
      {SystemCode::Win32Error(ERROR_ACCESS_DENIED), L"error 5 (" + denied + L")"},
      {SystemCode::RegistryStatus(ERROR_FILE_NOT_FOUND), L"error 2 (" + not_found + L")"},
      {SystemCode::Hresult(E_ACCESSDENIED), L"HRESULT 0x80070005 (" + (wrapped.empty() ? denied : wrapped) + L")"},
      {SystemCode::Win32Error(kUnknownError), L"error 536875572 (no system text)"},
      {SystemCode::Hresult(kUnknownHresult), L"HRESULT 0xA0001234 (no system text)"},
  };
  for (const Case& c : cases) EXPECT_EQ(DescribeSystemCode(c.code), c.expected) << c.code.value();
}

// WinHTTP's errors are not in the system's table but in WinHTTP's own.
TEST(DescribeSystemCode, ReadsWinHttpErrorsFromWinHttp) {
  constexpr DWORD kCannotConnect = 12029;
  const ScopedLibrary winhttp(LoadLibraryW(L"winhttp.dll"));
  ASSERT_TRUE(winhttp);
  wchar_t buffer[512];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, winhttp.Get(),
                                kCannotConnect, 0, buffer, 512, nullptr);
  if (length == 0) GTEST_SKIP() << "this WinHTTP carries no message texts";
  while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n')) --length;
  EXPECT_EQ(DescribeSystemCode(SystemCode::Win32Error(kCannotConnect)),
            L"error 12029 (" + std::wstring(buffer, length) + L")");
}

TEST(ComSucceeded, IsTheResultsSuccessAndKeepsTheLastError) {
  struct Case {
    HRESULT result;
    bool succeeded;
  };
  for (const Case& c : {Case{S_OK, true}, Case{S_FALSE, true}, Case{E_FAIL, false}, Case{E_ACCESSDENIED, false}}) {
    SetLastError(ERROR_INVALID_DATA);
    EXPECT_EQ(ComSucceeded(c.result, L"Test", L"result %08lx", static_cast<unsigned long>(c.result)), c.succeeded)
        << c.result;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  }
}

// One process, one log: this is the only test here that opens it.
TEST(LogSystemFailure, WritesWhereWhatAndTheCodeAsOneLine) {
  const std::wstring log_path = OpenOwnSetupLog(L"system_failure_test");
  const std::wstring marker = L"run " + std::to_wstring(GetCurrentProcessId());
  SetLastError(ERROR_INVALID_DATA);
  LogSystemFailure(L"Test", LastError(), L"%ls: step %d", marker.c_str(), 1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  EXPECT_FALSE(ComSucceeded(E_ACCESSDENIED, L"Test", L"%ls: step %d", marker.c_str(), 2));
  LogSystemFailure(L"Test", SystemCode::Hresult(kUnknownHresult), L"%ls: step %d", marker.c_str(), 3);

  const std::string log = ReadSharedFile(log_path);
  for (const std::wstring& line :
       {L"Test: " + marker + L": step 1, " + DescribeSystemCode(SystemCode::Win32Error(ERROR_INVALID_DATA)),
        L"Test: " + marker + L": step 2, " + DescribeSystemCode(SystemCode::Hresult(E_ACCESSDENIED)),
        L"Test: " + marker + L": step 3, HRESULT 0xA0001234 (no system text)"}) {
    EXPECT_TRUE(HasLineEndingWith(log, line)) << log;
  }
}

}  // namespace
