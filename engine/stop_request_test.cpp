#include "engine/stop_request.h"

#include <gtest/gtest.h>

namespace {

// Whoever cancels waits only while the engine has something to undo, and an engine that is
// stopped before its first write never begins writing.
TEST(StopRequest, TheCancelWaitsOnlyWhileTheEngineWrites) {
  StopRequest before_writing;
  EXPECT_FALSE(before_writing.Request());
  EXPECT_TRUE(before_writing.Requested());
  EXPECT_FALSE(before_writing.BeginWriting());

  StopRequest while_writing;
  EXPECT_TRUE(while_writing.BeginWriting());
  EXPECT_FALSE(while_writing.Requested());
  EXPECT_TRUE(while_writing.Request());
  EXPECT_TRUE(while_writing.Requested());

  StopRequest after_writing;
  EXPECT_TRUE(after_writing.BeginWriting());
  after_writing.EndWriting();
  EXPECT_FALSE(after_writing.Request());
  EXPECT_TRUE(after_writing.Requested());
}

}  // namespace
