#include <gtest/gtest.h>

#include "convert.h"
#include "errors.h"

using namespace ztp;

TEST(StrToInt, AcceptsTheFrameworkForms) {
    struct Case {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"46", 46},
        {" 46 ", 46},
        {"\t46\r\n", 46},
        {"+46", 46},
        {"-46", -46},
        {"0046", 46},
        {"$2E", 46},
        {"$2e", 46},
        {"-$2E", -46},
        {"0", 0},
        {"-0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"$7FFFFFFF", 2147483647},
    };
    for (const Case& c : cases) EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
}

TEST(StrToInt, RejectsWithTheTrimmedText) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "'' は整数ではありません"},
        {"   ", "'' は整数ではありません"},
        {" 46.5 ", "'46.5' は整数ではありません"},
        {"4 6", "'4 6' は整数ではありません"},
        {"abc", "'abc' は整数ではありません"},
        {"+", "'+' は整数ではありません"},
        {"$", "'$' は整数ではありません"},
        {"$G", "'$G' は整数ではありません"},
        {"0x2E", "'0x2E' は整数ではありません"},
        {"--4", "'--4' は整数ではありません"},
        {"２", "'２' は整数ではありません"},
        {"2147483648", "'2147483648' は整数ではありません"},
        {"-2147483649", "'-2147483649' は整数ではありません"},
        {"$80000000", "'$80000000' は整数ではありません"},
        {"99999999999999999999999", "'99999999999999999999999' は整数ではありません"},
    };
    for (const Case& c : cases) {
        try {
            StrToInt(c.text);
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(SearchTarget, ModesAndSixtyFourBitTimes) {
    EXPECT_EQ(searchTarget(SearchMode::Ryoumen, 301, "junk"), 150);  // the box is not read
    EXPECT_EQ(searchTarget(SearchMode::AMen, 0, " 46 "), 1380);
    EXPECT_EQ(searchTarget(SearchMode::BMen, 0, "-46"), -1380);
    EXPECT_EQ(searchTarget(SearchMode::AMen, 0, "2147483647"), 2147483647LL * 30);
    EXPECT_THROW(searchTarget(SearchMode::AMen, 0, ""), EConvertError);
}
