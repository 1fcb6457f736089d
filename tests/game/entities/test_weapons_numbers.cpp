// The number reading of the content loaders: the leading decimal number of a value,
// 0 when there is none; whole numbers saturated; truncation clamped.
#include "game/entities/weapons-data.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <math.h>

#include <string>

namespace {

struct FloatCase {
    const char *text;
    double value;
};

TEST(WeaponNumbers, LeadingDecimalNumber)
{
    const std::string long_number = "1" + std::string(80, '0');  // 1e80: beyond a float
    const std::string long_fraction = "0." + std::string(80, '0') + "5";
    const FloatCase kCases[] = {
        {nullptr, 0},   {"", 0},          {"abc", 0},       {"-", 0},       {".", 0},        {"+.5", 0.5},
        {"1.5e", 1.5},  {"1.5e+", 1.5},   {"2e3", 2000},    {" \t12x", 12}, {"-3.25s", -3.25}, {"0x10", 0},
        {"1e999", 0},   {"-1e999", 0},    {"inf", 0},       {"nan", 0},     {"7.", 7},       {"00012", 12},
        {"1,5", 1},
    };
    for (const FloatCase &c : kCases) {
        SCOPED_TRACE(c.text ? c.text : "null");
        EXPECT_DOUBLE_EQ(DataLeadingDouble(c.text), c.value);
        EXPECT_FLOAT_EQ(DataLeadingFloat(c.text), (float)c.value);
    }
    EXPECT_DOUBLE_EQ(DataLeadingDouble(long_number.c_str()), 1e80);
    EXPECT_EQ(DataLeadingFloat(long_number.c_str()), 0.0f);  // out of the float range
    EXPECT_NEAR(DataLeadingDouble(long_fraction.c_str()), 5e-81, 1e-90);
}

struct IntCase {
    const char *text;
    int value;
};

TEST(WeaponNumbers, LeadingWholeNumberSaturates)
{
    const IntCase kCases[] = {
        {nullptr, 0},          {"", 0},           {"x1", 0},          {"42", 42},
        {" -7 ", -7},          {"+8", 8},         {"3.9", 3},         {"2147483647", INT_MAX},
        {"2147483648", INT_MAX}, {"99999999999999999999", INT_MAX}, {"-2147483648", INT_MIN},
        {"-99999999999999999999", INT_MIN}, {"-", 0},
    };
    for (const IntCase &c : kCases) {
        SCOPED_TRACE(c.text ? c.text : "null");
        EXPECT_EQ(DataLeadingInt(c.text), c.value);
    }
}

TEST(WeaponNumbers, TruncationAndClampStayInRange)
{
    EXPECT_EQ(DataTruncate(7.9), 7);
    EXPECT_EQ(DataTruncate(-7.9), -7);
    EXPECT_EQ(DataTruncate(1e20), INT_MAX);
    EXPECT_EQ(DataTruncate(-1e20), INT_MIN);
    EXPECT_EQ(DataTruncate(NAN), 0);
    EXPECT_EQ(DataTruncate(INFINITY), INT_MAX);
    EXPECT_EQ(DataClampInt(70000, -32768, 32767), 32767);
    EXPECT_EQ(DataClampInt(-70000, -32768, 32767), -32768);
    EXPECT_EQ(DataClampInt(5, -32768, 32767), 5);
}

}  // namespace
