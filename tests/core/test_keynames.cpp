// The key-name table: every name, the digits and lower-case letters as their character
// codes, and names that have no code.
#include "ovkeynames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char *name;
    int code;
};

const Case kNamedKeys[] = {
    {"BACK", 8}, {"BACKSPACE", 8}, {"TAB", 9}, {"CLEAR", 12}, {"RETURN", 13}, {"SHIFT", 16},
    {"CONTROL", 17}, {"MENU", 18}, {"PAUSE", 19}, {"CAPITAL", 20}, {"ESCAPE", 27}, {"SPACE", 32},
    {"PAGEUP", 33}, {"PAGEDOWN", 34}, {"END", 35}, {"HOME", 36}, {"LEFT", 37}, {"UP", 38},
    {"RIGHT", 39}, {"DOWN", 40}, {"SELECT", 41}, {"PRINT", 42}, {"EXECUTE", 43}, {"INSERT", 45},
    {"DELETE", 46}, {"HELP", 47}, {"MOUSE_X", 504}, {"MOUSE_Y", 505}, {"MOUSE_Z", 506},
    {"MOUSE_WHEEL", 507}, {"MOUSE_BUTTON_0", 510}, {"MOUSE_BUTTON_LEFT", 510},
    {"MOUSE_BUTTON_1", 511}, {"MOUSE_BUTTON_RIGHT", 511}, {"MOUSE_BUTTON_2", 512},
    {"MOUSE_BUTTON_3", 513}, {"MOUSE_BUTTON_4", 514}, {"MOUSE_BUTTON_5", 515},
    {"MOUSE_BUTTON_6", 516}, {"MOUSE_BUTTON_7", 517}, {"ACCELEROMETER_X", 1610},
    {"ACCELEROMETER_Y", 1611}, {"ACCELEROMETER_Z", 1612}, {"VOLUME_UP", 1632}, {"VOLUME_DOWN", 1633},
    {"0", 48}, {"5", 53}, {"9", 57}, {"a", 97}, {"q", 113}, {"z", 122},
    // No code: upper-case letters, other letter cases, parts and extensions of names.
    {"A", 0}, {"Z", 0}, {"escape", 0}, {"Escape", 0}, {"", 0}, {"ab", 0}, {"10", 0},
    {"MOUSE_BUTTON_8", 0}, {"ESCAPE ", 0}, {" a", 0}, {"!", 0},
};

}  // namespace

TEST(KeyNames, TableOfNamesAndCodes)
{
    for (const Case &c : kNamedKeys) {
        SCOPED_TRACE(std::string("name '") + c.name + "'");
        EXPECT_EQ(OV_GetKeyByName(c.name), c.code);
    }
}

TEST(KeyNames, EveryDigitAndLowerCaseLetterIsItsCharacterCode)
{
    for (char ch = '0'; ch <= '9'; ch++) {
        char name[2] = {ch, 0};
        EXPECT_EQ(OV_GetKeyByName(name), ch);
    }
    for (char ch = 'a'; ch <= 'z'; ch++) {
        char name[2] = {ch, 0};
        EXPECT_EQ(OV_GetKeyByName(name), ch);
        name[0] = (char)(ch - 'a' + 'A');
        EXPECT_EQ(OV_GetKeyByName(name), 0) << name;
    }
}

TEST(KeyNames, NullNameIsZero)
{
    EXPECT_EQ(OV_GetKeyByName(nullptr), 0);
}
