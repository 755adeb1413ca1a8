#include <gtest/gtest.h>

#include "text_clean.h"

using namespace ztp;

TEST(BlankControls, EveryControlCodeBecomesOneBlank) {
    for (int c = 0; c < 0x20; ++c) {
        const std::string in = std::string("a") + char(c) + "b";
        EXPECT_EQ(blankControls(in), "a b") << "C0 " << c;
    }
    EXPECT_EQ(blankControls("a\x7f" "b"), "a b");
    for (int c = 0x80; c <= 0x9F; ++c) {
        const std::string in = std::string("a\xC2") + char(c) + "b";
        EXPECT_EQ(blankControls(in), "a b") << "C1 " << c;
    }
    // A title typed with tabs and escapes, one blank each, nothing trimmed.
    EXPECT_EQ(blankControls("\tBest\x01of\x07\x1b\r\n"), " Best of    ");
}

TEST(BlankControls, KeepsEverythingElseByteForByte) {
    const std::string kept[] = {
        "",
        " !~",                          // the printable ASCII edges
        "\xC2\xA0\xC2\xBF\xC3\x80",     // U+00A0, U+00BF, U+00C0
        "朝のうた ﾊﾞｰｼﾞｮﾝ情報",
        "\xE2\x80\xA8",                 // U+2028 is not a C1 code
        "\xC2",                         // a lead byte at the end
        "\xC2\x41",                     // a lead byte before ASCII
        "\x80\x9F\xC0\x80",             // stray continuation bytes, overlong NUL
    };
    for (const std::string& s : kept) EXPECT_EQ(blankControls(s), s) << s;
    EXPECT_EQ(blankControls("\xC2\x7f"), "\xC2 ");
    EXPECT_EQ(blankControls(std::string_view("a\0b", 3)), "a b");
}
