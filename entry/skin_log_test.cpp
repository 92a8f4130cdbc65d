// The installer's skin diagnostics, read back from the setup log that a process of its own wrote.
#include "entry/skin_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/testing/child_process.h"
#include "common/testing/scoped_temp_dir.h"
#include "common/testing/setup_log_reading.h"

namespace {

TEST(SkinLogTest, SkinTroubleReachesTheSetupLogWithItsDetails) {
  ScopedTempDir temp;
  ASSERT_FALSE(temp.path().empty());
  {
    const ScopedTempVariables temp_variables(temp.path());
    ASSERT_EQ(RunToEnd(L"\"" BOKRIN_SKIN_LOG_WRITER L"\""), 0);
  }
  const std::string log = ReadSharedFile(temp.path() + L"BokrinSetup.log");
  const char* const kExpected[] = {
      "skin (markup text): Label has no attribute \"colour\", ignored\r\n",
      // The parser's place of the error, which the user's message box does not show.
      "skin (markup text) cannot be built: line 2, column 15: ",
      "skin picture gone.png cannot be read or decoded\r\n",
  };
  for (const char* expected : kExpected) EXPECT_NE(log.find(expected), std::string::npos) << expected << "\n" << log;
}

}  // namespace
