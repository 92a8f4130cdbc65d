#include "common/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/testing/registry_views.h"
#include "common/testing/setup_log_reading.h"

namespace {

// Every test works under a key of its own below HKCU\Software\BokrinTest, removed afterwards.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static unsigned counter = 0;
    path_ = L"Software\\BokrinTest\\" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++counter);
    ASSERT_FALSE(KeyExists(path_));
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }

  static bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  std::wstring path_;
};

TEST_F(RegistryTest, OpenOrCreateCreatesAMissingKeyChainAndOpensItAgain) {
  const std::wstring nested = path_ + L"\\a\\b";
  {
    ScopedRegKey key = RegOpenOrCreateKey(HKEY_CURRENT_USER, nested.c_str());
    ASSERT_TRUE(key.IsValid());
    RegWriteValue(key.Get(), L"Name", REG_SZ, L"first");
  }
  EXPECT_TRUE(KeyExists(nested));
  ScopedRegKey again = RegOpenOrCreateKey(HKEY_CURRENT_USER, nested.c_str());
  ASSERT_TRUE(again.IsValid());
  EXPECT_EQ(L"first", RegReadString(again.Get(), L"Name", REG_SZ));
}

TEST_F(RegistryTest, OpenOrCreateGivesAnInvalidKeyWhenOpeningFailsOtherwise) {
  EXPECT_FALSE(RegOpenOrCreateKey(nullptr, path_.c_str()).IsValid());
  EXPECT_FALSE(KeyExists(path_));
}

TEST_F(RegistryTest, ReadingAMissingValueIsEmptyAndTheOpenCreatedTheKey) {
  ScopedRegKey key = RegOpenOrCreateKey(HKEY_CURRENT_USER, path_.c_str());
  ASSERT_TRUE(key.IsValid());
  EXPECT_TRUE(KeyExists(path_));
  EXPECT_EQ(L"", RegReadString(key.Get(), L"Missing", REG_SZ));
}

TEST_F(RegistryTest, WritesAStringValueWithItsTerminatingZero) {
  ScopedRegKey key = RegOpenOrCreateKey(HKEY_CURRENT_USER, path_.c_str());
  ASSERT_TRUE(key.IsValid());
  const std::wstring text = L"C:\\Program Files\\Bokrin\\书籍\\";
  RegWriteValue(key.Get(), L"Bokrin", REG_SZ, text);

  DWORD type = 0;
  wchar_t data[64] = {};
  DWORD size = sizeof(data);
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key.Get(), L"Bokrin", nullptr, &type,
                                            reinterpret_cast<BYTE*>(data), &size));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ((text.size() + 1) * sizeof(wchar_t), size);
  EXPECT_EQ(text, std::wstring(data));
  EXPECT_EQ(text, RegReadString(key.Get(), L"Bokrin", REG_SZ));
}

TEST_F(RegistryTest, ReadsTheTextUpToTheFirstZero) {
  ScopedRegKey key = RegOpenOrCreateKey(HKEY_CURRENT_USER, path_.c_str());
  ASSERT_TRUE(key.IsValid());
  const wchar_t multi[] = L"first\0second\0";
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), L"Multi", 0, REG_MULTI_SZ,
                                          reinterpret_cast<const BYTE*>(multi), sizeof(multi)));
  EXPECT_EQ(L"first", RegReadString(key.Get(), L"Multi", REG_SZ));
}

TEST_F(RegistryTest, ReadsValuesOfAnotherTypeAsRawUtf16Bytes) {
  ScopedRegKey key = RegOpenOrCreateKey(HKEY_CURRENT_USER, path_.c_str());
  ASSERT_TRUE(key.IsValid());
  // Little-endian 0x00410042 is the bytes 42 00 41 00: "BA".
  const DWORD number = 0x00410042;
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), L"Number", 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&number), sizeof(number)));
  EXPECT_EQ(L"BA", RegReadString(key.Get(), L"Number", REG_SZ));

  const BYTE odd[] = {'O', 0, 'K', 0, '!'};
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), L"Odd", 0, REG_BINARY, odd, sizeof(odd)));
  EXPECT_EQ(std::wstring(L"OK") + wchar_t{'!'}, RegReadString(key.Get(), L"Odd", REG_SZ));
}

// The read buffer holds 259 characters and the zero; longer values are refused whole.
TEST_F(RegistryTest, ReadsValuesUpToTheBufferAndRefusesLongerOnes) {
  ScopedRegKey key = RegOpenOrCreateKey(HKEY_CURRENT_USER, path_.c_str());
  ASSERT_TRUE(key.IsValid());
  struct Case {
    size_t length;
    bool fits;
  };
  for (const Case& c : {Case{258, true}, Case{259, true}, Case{260, false}, Case{261, false},
                        Case{4000, false}}) {
    const std::wstring value(c.length, L'v');
    RegWriteValue(key.Get(), L"Long", REG_SZ, value);
    EXPECT_EQ(c.fits ? value : std::wstring(), RegReadString(key.Get(), L"Long", REG_SZ))
        << c.length;
  }
  // 260 characters stored without a terminator fill the buffer exactly: still too long.
  const std::wstring unterminated(MAX_PATH, L'u');
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExW(key.Get(), L"Unterminated", 0, REG_BINARY,
                           reinterpret_cast<const BYTE*>(unterminated.data()),
                           static_cast<DWORD>(unterminated.size() * sizeof(wchar_t))));
  EXPECT_EQ(L"", RegReadString(key.Get(), L"Unterminated", REG_SZ));
}

// The calls fail for real: a write through a key opened only for reading, an open under a
// root that is no key. Each failure is a line of the setup log with the status and the
// system's text for it.
TEST_F(RegistryTest, FailuresAreLoggedWithTheirStatusAndTheSystemText) {
  const std::wstring log_path = OpenOwnSetupLog(L"registry_test");
  ASSERT_TRUE(RegOpenOrCreateKey(HKEY_CURRENT_USER, path_.c_str()).IsValid());
  HKEY raw_read_only = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &raw_read_only));
  const ScopedRegKey read_only(raw_read_only);
  const std::wstring value_name = L"Refused" + path_.substr(path_.rfind(L'\\') + 1);

  RegWriteValue(read_only.Get(), value_name.c_str(), REG_SZ, L"never stored");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, path_.c_str(), value_name.c_str()), L"<no value>");
  EXPECT_FALSE(RegOpenOrCreateKey(nullptr, path_.c_str()).IsValid());

  struct Case {
    std::wstring where_and_what;
    DWORD status;
  };
  const Case cases[] = {
      {L"Registry: value \"" + value_name + L"\" cannot be written", ERROR_ACCESS_DENIED},
      {L"Registry: key (another root)\\" + path_ + L" cannot be opened", ERROR_INVALID_HANDLE},
  };
  const std::string log = ReadSharedFile(log_path);
  for (const Case& c : cases) {
    const std::wstring system_text = SystemMessageOf(c.status);
    ASSERT_FALSE(system_text.empty()) << c.status;
    const std::wstring line =
        c.where_and_what + L", error " + std::to_wstring(c.status) + L" (" + system_text + L")";
    EXPECT_TRUE(HasLineEndingWith(log, line)) << c.status << "\n" << log;
  }
}

}  // namespace
