#include "common/setup_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/testing/child_process.h"
#include "common/testing/scoped_temp_dir.h"
#include "common/testing/setup_log_reading.h"
#include "common/testing/setup_log_writer.h"
#include "common/testing/zip_writer.h"
#include "common/text_convert.h"

namespace {

// "YYYY-MM-DD hh:mm:ss.mmm " in front; the text after it.
bool SplitStamp(const std::string& line, std::string* text) {
  static const char kShape[] = "dddd-dd-dd dd:dd:dd.ddd ";
  const size_t stamp_size = sizeof(kShape) - 1;
  if (line.size() < stamp_size) return false;
  for (size_t i = 0; i < stamp_size; ++i) {
    const bool digit = line[i] >= '0' && line[i] <= '9';
    if (kShape[i] == 'd' ? !digit : line[i] != kShape[i]) return false;
  }
  *text = line.substr(stamp_size);
  return true;
}

class SetupLogTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    temp_variables_.emplace(temp_.path());
  }

  // Runs the writer to its end; its exit code, or -1 when it did not start.
  int RunWriter(const std::wstring& arguments) {
    return RunToEnd(L"\"" BOKRIN_SETUP_LOG_WRITER L"\" " + arguments);
  }

  std::string Log() const { return ReadSharedFile(temp_.path() + L"BokrinSetup.log"); }
  std::string OldLog() const { return ReadSharedFile(temp_.path() + L"BokrinSetup.old.log"); }

  ScopedTempDir temp_;
  // The writer finds its %TEMP% as every program does.
  std::optional<ScopedTempVariables> temp_variables_;
};

std::string WriterLine(const char* marker, int thread, int line) {
  std::ostringstream text;
  text << "writer " << marker << " thread " << thread << " line " << line << ' '
       << WideToCodePage(CP_UTF8, kWriterPadding);
  return text.str();
}

TEST_F(SetupLogTest, RunWritesHeaderThenStampedLines) {
  ASSERT_EQ(RunWriter(L"first 1 3"), 0);

  const std::vector<std::string> lines = LogLines(Log());
  ASSERT_EQ(lines.size(), 4u) << Log();
  std::string text;
  ASSERT_TRUE(SplitStamp(lines[0], &text)) << lines[0];
  // The writer carries no version resource; the installer does.
  EXPECT_EQ(text.rfind("BokrinSetup (no version resource) started, command line: ", 0), 0u) << text;
  EXPECT_NE(text.find("setup-log-writer.exe\" first 1 3"), std::string::npos) << text;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(SplitStamp(lines[i + 1], &text)) << lines[i + 1];
    EXPECT_EQ(text, WriterLine("first", 0, i));
  }
  EXPECT_EQ(OldLog(), "");
}

TEST_F(SetupLogTest, EachRunKeepsThePreviousAsOldLog) {
  const char* const markers[] = {"first", "second", "third"};
  for (size_t run = 0; run < 3; ++run) {
    ASSERT_EQ(RunWriter(CodePageToWide(CP_UTF8, markers[run]) + L" 1 1"), 0);
    const std::string log = Log();
    EXPECT_NE(log.find(WriterLine(markers[run], 0, 0)), std::string::npos) << log;
    EXPECT_EQ(LogLines(log).size(), 2u) << "one block per run: " << log;
    if (run > 0) {
      const std::vector<std::string> old_lines = LogLines(OldLog());
      ASSERT_EQ(old_lines.size(), 2u) << OldLog();
      std::string text;
      ASSERT_TRUE(SplitStamp(old_lines[1], &text));
      EXPECT_EQ(text, WriterLine(markers[run - 1], 0, 0));
    }
  }
}

// A folder where the log belongs: the run goes on, the folder stays, and the run logs under the
// first fresh name that is free.
TEST_F(SetupLogTest, LogThatCannotBeOpenedLeavesRunWorking) {
  const std::wstring log_path = temp_.path() + L"BokrinSetup.log";
  ASSERT_TRUE(CreateDirectoryW(log_path.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(temp_.path() + L"BokrinSetup-1.log", "earlier"));

  EXPECT_EQ(RunWriter(L"blocked 2 20"), 0);

  const DWORD attributes = GetFileAttributesW(log_path.c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(GetFileAttributesW((temp_.path() + L"BokrinSetup.old.log").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadSharedFile(temp_.path() + L"BokrinSetup-1.log"), "earlier");
  EXPECT_EQ(LogLines(ReadSharedFile(temp_.path() + L"BokrinSetup-2.log")).size(), 1u + 2 * 20);
}

// Wine starts Unix programs as it starts Windows ones, which lets a test make what a Unix user
// of the machine could: a symbolic link, which Wine shows to Windows programs as its target.
// Such a process cannot be waited for, so the caller waits for its effect. Empty outside Wine.
std::wstring UnixPath(const std::wstring& path) {
  using ToUnixPath = char*(CDECL*)(const wchar_t*);
  const auto to_unix_path = reinterpret_cast<ToUnixPath>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix_path = to_unix_path != nullptr ? to_unix_path(path.c_str()) : nullptr;
  if (unix_path == nullptr) return std::wstring();
  const std::wstring result = CodePageToWide(CP_UTF8, unix_path);
  HeapFree(GetProcessHeap(), 0, unix_path);
  return result;
}

bool RunUnixUntil(const std::wstring& command_line, const std::function<bool()>& done) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::wstring writable = command_line;
  if (!CreateProcessW(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int waited = 0; !done() && waited < 100; ++waited) Sleep(100);
  return done();
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool PlantHardLink(const std::wstring& link, const std::wstring& target) {
  return CreateHardLinkW(link.c_str(), target.c_str(), nullptr) != FALSE;
}

bool PlantSymbolicLink(const std::wstring& link, const std::wstring& target) {
  // Wine's CreateSymbolicLinkW reports success and makes nothing.
  return CreateSymbolicLinkW(link.c_str(), target.c_str(), 0) != FALSE && Exists(link);
}

bool PlantUnixSymbolicLink(const std::wstring& link, const std::wstring& target) {
  const std::wstring unix_link = UnixPath(link);
  const std::wstring unix_target = UnixPath(target);
  if (unix_link.empty() || unix_target.empty()) return false;
  return RunUnixUntil(L"Z:\\bin\\ln -s \"" + unix_target + L"\" \"" + unix_link + L"\"", [&] { return Exists(link); });
}

// A link of the unelevated user's in %TEMP% under the log's name, to a file elsewhere: its target
// is neither moved nor deleted, the link stays, and the run logs under a fresh name.
TEST_F(SetupLogTest, LinkUnderTheLogsNameIsLeftAlone) {
  const struct {
    const char* what;
    bool (*plant)(const std::wstring& link, const std::wstring& target);
  } kLinks[] = {
      {"hard link", &PlantHardLink},
      {"symbolic link", &PlantSymbolicLink},
      {"Unix symbolic link", &PlantUnixSymbolicLink},
  };
  for (const auto& c : kLinks) {
    SCOPED_TRACE(c.what);
    // A %TEMP% of the case's own.
    const std::wstring temp = temp_.path() + CodePageToWide(CP_UTF8, c.what) + L"\\";
    const std::wstring elsewhere = temp + L"elsewhere\\";
    const std::wstring target = elsewhere + L"precious.txt";
    const std::wstring log_path = temp + L"BokrinSetup.log";
    ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    temp_variables_.emplace(temp);
    ASSERT_TRUE(WriteFileBytes(target, "precious"));
    if (!c.plant(log_path, target)) {
      std::printf("[ SKIPPED  ] %s: cannot be made on this system\n", c.what);
      continue;
    }
    ASSERT_EQ(ReadSharedFile(log_path), "precious");

    ASSERT_EQ(RunWriter(L"planted 1 1"), 0);

    EXPECT_EQ(ReadSharedFile(target), "precious");
    EXPECT_EQ(ReadSharedFile(log_path), "precious");
    EXPECT_FALSE(Exists(temp + L"BokrinSetup.old.log"));
    const std::vector<std::string> lines = LogLines(ReadSharedFile(temp + L"BokrinSetup-1.log"));
    ASSERT_EQ(lines.size(), 2u);
    std::string text;
    ASSERT_TRUE(SplitStamp(lines[1], &text));
    EXPECT_EQ(text, WriterLine("planted", 0, 0));
    // Deleting a Unix link from Windows would delete its target instead.
    if (c.plant == &PlantUnixSymbolicLink) {
      EXPECT_TRUE(RunUnixUntil(L"Z:\\bin\\rm \"" + UnixPath(log_path) + L"\"", [&] { return !Exists(log_path); }));
    }
  }
}

TEST_F(SetupLogTest, LinesOfTwoThreadsStayWhole) {
  constexpr int kThreads = 2;
  constexpr int kLines = 400;
  ASSERT_EQ(RunWriter(L"mixed 2 400"), 0);

  const std::vector<std::string> lines = LogLines(Log());
  ASSERT_EQ(lines.size(), 1u + kThreads * kLines);
  int next_line[kThreads] = {};
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string text;
    ASSERT_TRUE(SplitStamp(lines[i], &text)) << i << ": " << lines[i];
    int thread = -1;
    for (int t = 0; t < kThreads; ++t) {
      if (text.rfind("writer mixed thread " + std::to_string(t) + " ", 0) == 0) thread = t;
    }
    ASSERT_NE(thread, -1) << i << ": " << text;
    // Each thread's lines whole, in its own order.
    ASSERT_EQ(text, WriterLine("mixed", thread, next_line[thread])) << i;
    ++next_line[thread];
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next_line[t], kLines);
}

// The /LOG= copy: the same lines as the log itself, in a file emptied first, beside a log that
// the run keeps as usual.
TEST_F(SetupLogTest, CopyGetsEveryLineOfTheLog) {
  const std::wstring copy = temp_.path() + L"副本 로그.log";
  ASSERT_EQ(RunWriter(L"before 1 5 \"" + copy + L"\""), 0);
  ASSERT_EQ(RunWriter(L"copied 2 50 \"" + copy + L"\""), 0);

  const std::string copied = ReadSharedFile(copy);
  EXPECT_EQ(copied, Log());
  EXPECT_EQ(LogLines(copied).size(), 1u + 2 * 50);
  EXPECT_EQ(copied.find("writer before"), std::string::npos) << "the copy was not emptied";
  EXPECT_NE(OldLog().find(WriterLine("before", 0, 4)), std::string::npos);
}

TEST_F(SetupLogTest, CopyThatCannotBeWrittenIsLoggedAndTheRunGoesOn) {
  const std::wstring copy = temp_.path() + L"no such folder\\setup.log";
  ASSERT_EQ(RunWriter(L"uncopied 1 3 \"" + copy + L"\""), 0);

  const std::vector<std::string> lines = LogLines(Log());
  ASSERT_EQ(lines.size(), 2u + 3);
  std::string text;
  ASSERT_TRUE(SplitStamp(lines[1], &text)) << lines[1];
  EXPECT_EQ(text.rfind("Setup log: the copy " + WideToCodePage(CP_UTF8, copy) + " cannot be written, error 3 (", 0), 0u)
      << text;
  ASSERT_TRUE(SplitStamp(lines.back(), &text));
  EXPECT_EQ(text, WriterLine("uncopied", 0, 2));
}

}  // namespace
