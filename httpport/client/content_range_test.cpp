#include "httpport/client/content_range.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ParseCase {
  const char* name;
  const char* text;
  bool parsed;
  uint64_t first;
  uint64_t last;
  uint64_t complete;  // 0 with an unknown complete length
};

class ContentRangeParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ContentRangeParseTest, ReadsSatisfiedByteRangesOnly) {
  const ParseCase& c = GetParam();
  ContentRange range;
  range.first = 7;  // left alone when the text is refused
  ASSERT_EQ(ParseContentRange(c.text, &range), c.parsed) << c.text;
  if (!c.parsed) {
    EXPECT_EQ(range.first, 7u);
    return;
  }
  EXPECT_EQ(range.first, c.first);
  EXPECT_EQ(range.last, c.last);
  EXPECT_EQ(range.complete, c.complete);
  EXPECT_EQ(range.complete_known, c.complete != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ContentRangeParseTest,
    testing::Values(ParseCase{"Plain", "bytes 600-999/1000", true, 600, 999, 1000},
                    ParseCase{"UnknownComplete", "bytes 0-9/*", true, 0, 9, 0},
                    ParseCase{"BlanksAndCase", "  Bytes\t600 - 999 / 1000 ", true, 600, 999, 1000},
                    ParseCase{"LargeNumbers", "bytes 4294967296-8589934591/8589934592", true, 4294967296ull,
                              8589934591ull, 8589934592ull},
                    ParseCase{"Empty", "", false, 0, 0, 0},
                    ParseCase{"Unsatisfied", "bytes */1000", false, 0, 0, 0},
                    ParseCase{"OtherUnit", "items 0-9/10", false, 0, 0, 0},
                    ParseCase{"UnitWithoutBlank", "bytes0-9/10", false, 0, 0, 0},
                    ParseCase{"LastBeforeFirst", "bytes 9-0/10", false, 0, 0, 0},
                    ParseCase{"PastTheEnd", "bytes 0-10/10", false, 0, 0, 0},
                    ParseCase{"NoLast", "bytes 5-/10", false, 0, 0, 0},
                    ParseCase{"Negative", "bytes -5-9/10", false, 0, 0, 0},
                    ParseCase{"TrailingText", "bytes 0-9/10x", false, 0, 0, 0},
                    ParseCase{"TooLarge", "bytes 0-9/99999999999999999999", false, 0, 0, 0}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

struct JudgeCase {
  const char* name;
  uint32_t status;
  const char* content_range;
  bool has_length;
  uint64_t content_length;
  RangeReply expected;
};

class RangeReplyTest : public testing::TestWithParam<JudgeCase> {};

// The rest of a 1000-byte file was asked for from byte 600 on.
TEST_P(RangeReplyTest, AppendsOnlyWhatContinuesExactlyWhereTheKeptBytesEnd) {
  const JudgeCase& c = GetParam();
  EXPECT_EQ(JudgeRangeReply(c.status, c.content_range, c.has_length, c.content_length, 600), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, RangeReplyTest,
    testing::Values(JudgeCase{"TheRest", 206, "bytes 600-999/1000", true, 400, RangeReply::kAppend},
                    JudgeCase{"TheRestWithoutLength", 206, "bytes 600-999/1000", false, 0, RangeReply::kAppend},
                    JudgeCase{"TheRestOfAnUnknownWhole", 206, "bytes 600-999/*", true, 400, RangeReply::kAppend},
                    JudgeCase{"WholeFile", 200, "", true, 1000, RangeReply::kStartOver},
                    JudgeCase{"WholeFileWithAStrayRange", 200, "bytes 0-1/2", true, 1000, RangeReply::kStartOver},
                    JudgeCase{"OneByteLate", 206, "bytes 601-999/1000", true, 399, RangeReply::kFail},
                    JudgeCase{"OneByteEarly", 206, "bytes 599-999/1000", true, 401, RangeReply::kFail},
                    JudgeCase{"StopsShortOfTheEnd", 206, "bytes 600-899/1000", true, 300, RangeReply::kFail},
                    JudgeCase{"LengthDisagrees", 206, "bytes 600-999/1000", true, 1000, RangeReply::kFail},
                    JudgeCase{"NoContentRange", 206, "", true, 400, RangeReply::kFail},
                    JudgeCase{"Unsatisfiable", 416, "bytes */1000", true, 0, RangeReply::kFail},
                    JudgeCase{"NotFound", 404, "", true, 120, RangeReply::kFail}),
    [](const testing::TestParamInfo<JudgeCase>& info) { return std::string(info.param.name); });

}  // namespace
