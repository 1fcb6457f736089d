// The number reading of the data files: the leading decimal number of a value, 0 when
// there is none or it leaves the float range; whole numbers saturated; the clamp
// in range; a node's absent key gives the caller's fallback.
#include "app/services/data-numbers.h"

#include "app/services/dataman.h"
#include "tests/app/services/data_fixture.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <math.h>

#include <string>

namespace {

struct FloatCase {
    const char *text;
    double value;
};

TEST(DataNumbers, LeadingDecimalNumber)
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

TEST(DataNumbers, LeadingWholeNumberSaturates)
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

TEST(DataNumbers, ClampStaysInRange)
{
    EXPECT_EQ(DataClampInt(70000, -32768, 32767), 32767);
    EXPECT_EQ(DataClampInt(-70000, -32768, 32767), -32768);
    EXPECT_EQ(DataClampInt(5, -32768, 32767), 5);
}

// A node of the data registry, as the loaders get them.
class DataNodeNumbers : public datatest::DataTest {};

TEST_F(DataNodeNumbers, KeysReadByTheSameRuleOrGiveTheFallback)
{
    DMNode node;
    node.SetValue("speed", "12.5 px");
    node.SetValue("count", "3.9");
    node.SetValue("word", "many");
    node.SetValue("empty", "");
    node.SetValue("huge", "1e80");
    node.SetValue("nan", "nan");
    EXPECT_FLOAT_EQ(NodeFloat(&node, "speed", -1.0f), 12.5f);
    EXPECT_EQ(NodeInt(&node, "count", -1), 3);
    // A value present but holding no number reads 0, as every loader reads it; only an
    // absent key (or no node) keeps the fallback.
    EXPECT_EQ(NodeFloat(&node, "word", -1.0f), 0.0f);
    EXPECT_EQ(NodeInt(&node, "empty", -1), 0);
    EXPECT_EQ(NodeFloat(&node, "huge", -1.0f), 0.0f);
    EXPECT_EQ(NodeFloat(&node, "nan", -1.0f), 0.0f);
    EXPECT_EQ(NodeFloat(&node, "absent", -1.0f), -1.0f);
    EXPECT_EQ(NodeInt(&node, "absent", 7), 7);
    EXPECT_EQ(NodeFloat(nullptr, "speed", 2.0f), 2.0f);
    EXPECT_EQ(NodeText(nullptr, "speed"), nullptr);
    EXPECT_STREQ(NodeText(&node, "speed"), "12.5 px");
}

}  // namespace
