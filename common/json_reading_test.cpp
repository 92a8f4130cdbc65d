#include "common/json_reading.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

struct IntegerCase {
  const char* json;
  int64_t value;
};

class JsonIntegerTest : public testing::TestWithParam<IntegerCase> {};

TEST_P(JsonIntegerTest, TruncatesTowardsZeroAndClamps) {
  cJSON* item = cJSON_Parse(GetParam().json);
  ASSERT_NE(item, nullptr) << GetParam().json;
  EXPECT_EQ(JsonInteger(item), GetParam().value) << GetParam().json;
  cJSON_Delete(item);
}

INSTANTIATE_TEST_SUITE_P(
    Values, JsonIntegerTest,
    testing::Values(IntegerCase{"0", 0}, IntegerCase{"2.9", 2}, IntegerCase{"-2.9", -2},
                    IntegerCase{"4294967296", 4294967296LL}, IntegerCase{"8589934597", 8589934597LL},
                    IntegerCase{"-3000000000", -3000000000LL},
                    IntegerCase{"1e30", std::numeric_limits<int64_t>::max()},
                    IntegerCase{"-1e30", std::numeric_limits<int64_t>::min()},
                    IntegerCase{"true", 1}, IntegerCase{"false", 0}, IntegerCase{"null", 0},
                    IntegerCase{"\"12\"", 0}, IntegerCase{"[1]", 0}, IntegerCase{"{}", 0}));

struct ObjectTextCase {
  const char* reply;
  const char* object;
};

class JsonObjectTextTest : public testing::TestWithParam<ObjectTextCase> {};

TEST_P(JsonObjectTextTest, CutsFromTheFirstOpeningToTheLastClosingBrace) {
  EXPECT_EQ(JsonObjectText(GetParam().reply), GetParam().object) << GetParam().reply;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, JsonObjectTextTest,
    testing::Values(ObjectTextCase{"{\"a\":1}", "{\"a\":1}"},
                    ObjectTextCase{"\xEF\xBB\xBF{\"a\":{}}\r\n", "{\"a\":{}}"},
                    ObjectTextCase{"HTTP/1.1 200 OK\r\n\r\n{\"retCode\":0}", "{\"retCode\":0}"},
                    ObjectTextCase{"no object", ""}, ObjectTextCase{"{ unclosed", ""},
                    ObjectTextCase{"} reversed {", ""}, ObjectTextCase{"", ""}));

TEST(ParseJsonObjectTest, TextThatIsNotJsonGivesNoTree) {
  EXPECT_FALSE(ParseJsonObject("{not json}"));
  EXPECT_FALSE(ParseJsonObject("<html>404</html>"));
  EXPECT_TRUE(ParseJsonObject("garbage {\"x\":[1,2]} garbage"));
}

}  // namespace
