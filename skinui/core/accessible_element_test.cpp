#include "skinui/core/accessible_element.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace SkinUI {
namespace {

std::string Narrow(const WString& text) { return std::string(text.begin(), text.end()); }

struct RoleCase {
  const char* what;
  AccessibleKind kind;
  const Utf16Char* text;
  bool has_picture;
  AccessibleRole role;
};

class AccessibleRoleTest : public testing::TestWithParam<RoleCase> {};

TEST_P(AccessibleRoleTest, FollowsTheKindAndWhatALabelShows) {
  AccessibleControlFacts facts;
  facts.kind = GetParam().kind;
  facts.text = GetParam().text;
  facts.has_picture = GetParam().has_picture;
  EXPECT_EQ(DescribeAccessible(facts).role, GetParam().role) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, AccessibleRoleTest,
    testing::Values(RoleCase{"button", AccessibleKind::kButton, U16(""), true, AccessibleRole::kPushButton},
                    RoleCase{"button with a text", AccessibleKind::kButton, U16("t"), false, AccessibleRole::kPushButton},
                    RoleCase{"button that shows nothing", AccessibleKind::kButton, U16(""), false, AccessibleRole::kNone},
                    RoleCase{"edit", AccessibleKind::kEdit, U16(""), false, AccessibleRole::kText},
                    RoleCase{"progress", AccessibleKind::kProgress, U16(""), true, AccessibleRole::kProgressBar},
                    RoleCase{"label with text", AccessibleKind::kLabel, U16("t"), true, AccessibleRole::kStaticText},
                    RoleCase{"label with a picture", AccessibleKind::kLabel, U16(""), true, AccessibleRole::kGraphic},
                    RoleCase{"empty label", AccessibleKind::kLabel, U16(""), false, AccessibleRole::kNone},
                    RoleCase{"plain control", AccessibleKind::kNone, U16("t"), true, AccessibleRole::kNone}));

struct NameCase {
  AccessibleKind kind;
  const Utf16Char* text;
  const Utf16Char* tooltip;
  const Utf16Char* accname;
  const Utf16Char* name;
};

class AccessibleNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(AccessibleNameTest, IsTheTextElseTheTooltipElseTheAccname) {
  AccessibleControlFacts facts;
  facts.kind = GetParam().kind;
  facts.text = GetParam().text;
  facts.tooltip = GetParam().tooltip;
  facts.accname = GetParam().accname;
  facts.has_picture = true;
  EXPECT_EQ(Narrow(DescribeAccessible(facts).name), Narrow(GetParam().name));
}

INSTANTIATE_TEST_SUITE_P(
    Fallbacks, AccessibleNameTest,
    testing::Values(NameCase{AccessibleKind::kButton, U16("ok"), U16("tip"), U16("acc"), U16("ok")},
                    NameCase{AccessibleKind::kButton, U16(""), U16("tip"), U16("acc"), U16("tip")},
                    NameCase{AccessibleKind::kButton, U16(""), U16(""), U16("acc"), U16("acc")},
                    NameCase{AccessibleKind::kLabel, U16(""), U16(""), U16(""), U16("")},
                    // The typed text of an edit is never its name.
                    NameCase{AccessibleKind::kEdit, U16("C:\\"), U16("tip"), U16("acc"), U16("tip")},
                    NameCase{AccessibleKind::kEdit, U16("C:\\"), U16(""), U16("acc"), U16("acc")}));

TEST(AccessibleElementTest, StatesComeFromTheFactsAndFocusFromTheKind) {
  for (const AccessibleKind kind : {AccessibleKind::kButton, AccessibleKind::kEdit, AccessibleKind::kProgress}) {
    AccessibleControlFacts facts;
    facts.kind = kind;
    facts.text = U16("t");
    const AccessibleElement plain = DescribeAccessible(facts);
    EXPECT_FALSE(plain.focused || plain.unavailable || plain.invisible);
    EXPECT_EQ(plain.focusable, kind != AccessibleKind::kProgress);

    facts.focused = true;
    facts.enabled = false;
    facts.shown = false;
    const AccessibleElement changed = DescribeAccessible(facts);
    EXPECT_TRUE(changed.focused && changed.unavailable && changed.invisible);
  }
}

TEST(AccessibleElementTest, ValuesAndDefaultActionBelongToTheirKinds) {
  AccessibleControlFacts facts;
  facts.text = U16("C:\\Bokrin\\");
  facts.value = 420;
  facts.max = 1000;
  facts.kind = AccessibleKind::kEdit;
  EXPECT_EQ(Narrow(DescribeAccessible(facts).value), "C:\\Bokrin\\");
  EXPECT_TRUE(DescribeAccessible(facts).default_action.empty());
  facts.kind = AccessibleKind::kProgress;
  EXPECT_EQ(Narrow(DescribeAccessible(facts).value), "42%");
  facts.kind = AccessibleKind::kButton;
  EXPECT_TRUE(DescribeAccessible(facts).value.empty());
  EXPECT_EQ(DescribeAccessible(facts).default_action, WString(U16("按下")));
}

struct PercentCase {
  int32_t value;
  int32_t min;
  int32_t max;
  int32_t percent;
};

class ProgressPercentTest : public testing::TestWithParam<PercentCase> {};

TEST_P(ProgressPercentTest, RoundsDownWithinTheRange) {
  const PercentCase& c = GetParam();
  EXPECT_EQ(ProgressPercent(c.value, c.min, c.max), c.percent) << c.value << " in " << c.min << ".." << c.max;
}

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Values, ProgressPercentTest,
    testing::Values(PercentCase{0, 0, 1000, 0}, PercentCase{9, 0, 1000, 0}, PercentCase{429, 0, 1000, 42},
                    PercentCase{999, 0, 1000, 99}, PercentCase{1000, 0, 1000, 100}, PercentCase{1500, 0, 1000, 100},
                    PercentCase{-5, 0, 1000, 0}, PercentCase{60, 50, 70, 50},
                    // Without a range the bar is empty below min and full at it.
                    PercentCase{5, 5, 5, 0}, PercentCase{6, 5, 0, 100},
                    PercentCase{0, kMin, kMax, 50}, PercentCase{-1, kMin, kMax, 49}, PercentCase{kMax, kMin, kMax, 100}));

TEST(ValueChangeThrottleTest, TellsAtMostOneChangePerIntervalAndTheLastOneLate) {
  ValueChangeThrottle throttle;
  const uint32_t start = 1000;
  EXPECT_TRUE(throttle.Changed(start, false).report_now);
  const ValueChangeThrottle::Decision soon = throttle.Changed(start + 10, false);
  EXPECT_FALSE(soon.report_now);
  EXPECT_EQ(soon.wait_ms, ValueChangeThrottle::kIntervalMs - 10);
  const ValueChangeThrottle::Decision later = throttle.Changed(start + 200, false);
  EXPECT_FALSE(later.report_now);
  EXPECT_EQ(later.wait_ms, ValueChangeThrottle::kIntervalMs - 200);
  // The wait is over: the untold change is told once.
  EXPECT_TRUE(throttle.TakePending(start + ValueChangeThrottle::kIntervalMs));
  EXPECT_FALSE(throttle.TakePending(start + ValueChangeThrottle::kIntervalMs + 1));
  // The told change starts a new interval.
  EXPECT_FALSE(throttle.Changed(start + ValueChangeThrottle::kIntervalMs + 100, false).report_now);
  EXPECT_TRUE(throttle.Changed(start + 2 * ValueChangeThrottle::kIntervalMs, false).report_now);
}

TEST(ValueChangeThrottleTest, TheFinalValueIsToldAtOnceAndLeavesNothingPending) {
  ValueChangeThrottle throttle;
  EXPECT_TRUE(throttle.Changed(0, false).report_now);
  EXPECT_FALSE(throttle.Changed(5, false).report_now);
  EXPECT_TRUE(throttle.Changed(6, true).report_now);
  EXPECT_FALSE(throttle.TakePending(300));
}

TEST(ValueChangeThrottleTest, TheTickMayWrap) {
  ValueChangeThrottle throttle;
  const uint32_t near_end = std::numeric_limits<uint32_t>::max() - 100;
  EXPECT_TRUE(throttle.Changed(near_end, false).report_now);
  EXPECT_FALSE(throttle.Changed(near_end + 200, false).report_now);  // wrapped to 99
  EXPECT_TRUE(throttle.Changed(near_end + ValueChangeThrottle::kIntervalMs, false).report_now);
}

}  // namespace
}  // namespace SkinUI
