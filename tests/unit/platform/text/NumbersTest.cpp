#include "platform/text/Numbers.h"
#include "platform/system/Errors.h"

#include <gtest/gtest.h>

#include <climits>

namespace qorprt {
namespace {

struct NumberCase {
    const char* text;
    int32_t expected; // with fallback -77
};

class NumberRuleTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberRuleTest, ReadsOrFallsBack) {
    EXPECT_EQ(StrToIntDef(GetParam().text, -77), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberRuleTest,
    ::testing::Values(NumberCase{"12", 12}, NumberCase{"12 ", -77}, NumberCase{"", -77},
                      NumberCase{"  12", 12}, NumberCase{"\t12", -77}, NumberCase{"$1A", 26},
                      NumberCase{"0x1A", 26}, NumberCase{"0X1a", 26}, NumberCase{"x1A", 26},
                      NumberCase{"X1A", 26}, NumberCase{"-3", -3}, NumberCase{"+7", 7},
                      NumberCase{"+", -77}, NumberCase{"-", -77}, NumberCase{"$", -77},
                      NumberCase{"0x", -77}, NumberCase{"-$10", -16}, NumberCase{"- 3", -77},
                      NumberCase{"12.5", -77}, NumberCase{"10mm", -77}, NumberCase{"abc", -77},
                      NumberCase{"007", 7}, NumberCase{"2147483647", INT32_MAX},
                      NumberCase{"2147483648", -77}, NumberCase{"-2147483648", INT32_MIN},
                      NumberCase{"-2147483649", -77}, NumberCase{"99999999999999999999", -77},
                      NumberCase{"$7FFFFFFF", INT32_MAX}, NumberCase{"$80000000", -77},
                      NumberCase{"$1G", -77}, NumberCase{"1A", -77}, NumberCase{"+-1", -77}));

TEST(NumberRule, StrictReadingRaisesConversionError) {
    EXPECT_EQ(StrToInt("7"), 7);
    try {
        StrToInt("x");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.ClassName(), "EConvertError");
        EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
    }
    EXPECT_THROW(StrToInt(""), EConvertError);
}

TEST(MulDiv, RoundsLikeWindows) {
    struct {
        int32_t a, b, c, expected;
    } cases[] = {
        {96, 10, 60, 16},
        {96, 5, 60, 8},
        {600, 1, 60, 10},
        {10, 96, 72, 13},
        {3, 1, 2, 2},
        {-3, 1, 2, -2},
        {5, 1, -2, -3},
        {1, 1, 3, 0},
        {2, 1, 3, 1},
        {7, 0, 5, 0},
        {1, 1, 0, -1},
        {INT32_MAX, 2, 1, -1},
        {INT32_MIN, 1, 1, INT32_MIN},
        {INT32_MIN, -1, 1, -1},
        {600, 2147483647, 60, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(MulDivTrunc, TruncatesTowardsZeroAndSaturates) {
    EXPECT_EQ(MulDivTrunc(-7, 600, 120), -35);
    EXPECT_EQ(MulDivTrunc(-1, 96, 120), 0);
    EXPECT_EQ(MulDivTrunc(INT32_MAX, 600, 60), INT32_MAX);
    EXPECT_EQ(MulDivTrunc(INT32_MIN, 600, 60), INT32_MIN);
    EXPECT_EQ(MulDivTrunc(5, 5, 0), 0);
}

} // namespace
} // namespace qorprt
