#include <gtest/gtest.h>

#include "text_clean.h"

using namespace ztp;

TEST(BlankControls, EveryControlCodeBecomesOneBlank) {
    for (int c = 0; c < 0x20; ++c) {
        const std::string in = std::string("a") + char(c) + "b";
        EXPECT_EQ(blankControls(in), "a b") << "C0 " << c;
    }
    EXPECT_EQ(blankControls("a\x7f"
                            "b"),
              "a b");
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
        " !~",                       // the printable ASCII edges
        "\xC2\xA0\xC2\xBF\xC3\x80",  // U+00A0, U+00BF, U+00C0
        "朝のうた ﾊﾞｰｼﾞｮﾝ情報",
        "\xE2\x80\xA8",      // U+2028 is not a C1 code
        "\xC2",              // a lead byte at the end
        "\xC2\x41",          // a lead byte before ASCII
        "\x80\x9F\xC0\x80",  // stray continuation bytes, overlong NUL
    };
    for (const std::string& s : kept) EXPECT_EQ(blankControls(s), s) << s;
    EXPECT_EQ(blankControls("\xC2\x7f"), "\xC2 ");
    EXPECT_EQ(blankControls(std::string_view("a\0b", 3)), "a b");
}

TEST(MessageText, EscapesWhatATerminalWouldActOnAndNothingElse) {
    EXPECT_EQ(messageText("a\tb\r\n\x1b[2J\x7f"), "a\\tb\\r\\n\\x1b[2J\\x7f");
    EXPECT_EQ(messageText(std::string_view("\0", 1)), "\\x00");
    EXPECT_EQ(messageText("\xC2\x85\xE2\x80\xA8\xE2\x80\xAE"), "\\u0085\\u2028\\u202e");
    EXPECT_EQ(messageText("Caf\xE9 \xC0\x80 \xED\xA0\x80"), "Caf\\xe9 \\xc0\\x80 \\xed\\xa0\\x80");
    const std::string kept = "朝のうた C:\\music\\x.wav 𝄞";
    EXPECT_EQ(messageText(kept), kept);
    const std::string once = messageText("\x1b\xC2\x9b\xFF\t");
    EXPECT_EQ(messageText(once), once);
    EXPECT_EQ(invalidUtf8At(kept), std::string_view::npos);
    EXPECT_EQ(invalidUtf8At("ab\xF4\x90\x80\x80"), 2u);  // past U+10FFFF
}

TEST(TitleBound, CountsAsTheTitleBoxDoesAndCutsBetweenCharacters) {
    const std::string clef = "𝄞";  // two UTF-16 units
    EXPECT_EQ(titleLength("朝のうた"), 4u);
    EXPECT_EQ(titleLength(clef + "a"), 3u);
    EXPECT_EQ(cutTitle(std::string(254, 'x') + clef), std::string(254, 'x'));
    EXPECT_EQ(cutTitle(std::string(253, 'x') + clef + "y"), std::string(253, 'x') + clef);
    EXPECT_EQ(cutTitle(std::string(300, 'x')).size(), kMaxTitleLength);
}
