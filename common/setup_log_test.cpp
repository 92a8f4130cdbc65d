#include "common/setup_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/testing/child_process.h"
#include "common/testing/scoped_temp_dir.h"
#include "common/testing/setup_log_reading.h"
#include "common/testing/setup_log_writer.h"
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

// A folder where the log belongs: the run goes on without a log, and the folder stays.
TEST_F(SetupLogTest, LogThatCannotBeOpenedLeavesRunWorking) {
  const std::wstring log_path = temp_.path() + L"BokrinSetup.log";
  ASSERT_TRUE(CreateDirectoryW(log_path.c_str(), nullptr));

  EXPECT_EQ(RunWriter(L"blocked 2 20"), 0);

  const DWORD attributes = GetFileAttributesW(log_path.c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(GetFileAttributesW((temp_.path() + L"BokrinSetup.old.log").c_str()), INVALID_FILE_ATTRIBUTES);
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
