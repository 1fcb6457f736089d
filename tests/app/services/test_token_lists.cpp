// Whole-word matching in the lists of the data and the product settings: every
// separator, every boundary, the later occurrence after a partial one, and nulls.
#include "app/services/token-lists.h"

#include <gtest/gtest.h>

namespace {

struct TokenCase {
    const char *list;
    const char *token;
    bool found;
};

TEST(TokenLists, ATokenCountsOnlyWhole)
{
    const TokenCase kCases[] = {
        {"ADDITIVE", "ADDITIVE", true},
        {"GLOW, ADDITIVE", "ADDITIVE", true},
        {"GLOW,ADDITIVE;X", "ADDITIVE", true},
        {"  ADDITIVE  ", "ADDITIVE", true},
        {"Before_Game\tAfter_Game", "After_Game", true},   // a tab separates
        {"Before_Game\tAfter_Game", "Before_Game", true},
        {"A\r\nB", "B", true},                              // so do line ends
        {"A\r\nB", "A", true},
        {"ADDITIVES", "ADDITIVE", false},
        {"NOT_ADDITIVE", "ADDITIVE", false},
        {"additive", "ADDITIVE", false},                    // case counts
        {"XMULTIPICKABLE MULTIPICKABLE", "MULTIPICKABLE", true},  // a later occurrence
        {"MULTIPICKABLE_2", "MULTIPICKABLE", false},
        {"A.B", "B", false},                                // '.' is not a separator
        {"", "ADDITIVE", false},
        {nullptr, "ADDITIVE", false},
        {"X", nullptr, false},
        {"X", "", false},
        {"A  B", "", false},
    };
    for (const TokenCase &c : kCases) {
        SCOPED_TRACE(std::string(c.list ? c.list : "(null)") + " / " + (c.token ? c.token : "(null)"));
        EXPECT_EQ(HasWholeToken(c.list, c.token), c.found);
    }
}

}  // namespace
