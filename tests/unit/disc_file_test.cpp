#include <gtest/gtest.h>

#include "disc_file.h"
#include "text_forms.h"

using namespace ztp;

TEST(DiscFile, ParsesDiscsTitlesAndEmptyDrives) {
    const std::string text =
        "\xEF\xBB\xBF# changer\r\n"
        "disc Morning Songs\r\n"
        "  4:05 3:58:74\t5:30:00\r\n"
        "\r\n"
        "   # indented comment\n"
        "empty\n"
        "disc\n"
        "disc \n"
        "disc  朝\n"
        "255:59:74\n";
    const std::vector<Disc> discs = parseDiscText(text, "x.disc");
    ASSERT_EQ(discs.size(), 5u);
    EXPECT_EQ(discs[0].title, "Morning Songs");
    EXPECT_EQ(discs[0].tracks,
              (std::vector<std::uint32_t>{packMsf(4, 5), packMsf(3, 58, 74), packMsf(5, 30)}));
    EXPECT_EQ(discs[0].length(), packMsf(13, 33, 74));
    EXPECT_TRUE(discs[1].empty);
    EXPECT_EQ(discs[2].title, "");
    EXPECT_TRUE(discs[2].tracks.empty());
    EXPECT_EQ(discs[3].title, "");
    EXPECT_EQ(discs[4].title, " 朝");
    EXPECT_EQ(discs[4].length(), packMsf(255, 59, 74));
}

TEST(DiscFile, FrameCarryInTheDiscLength) {
    const auto discs = parseDiscText("disc\n0:00:74 0:00:01 0:59:74 0:00:01\n", "f");
    EXPECT_EQ(discs[0].length(), packMsf(1, 1, 0));
}

TEST(DiscFile, ErrorsNameFileLineAndText) {
    struct Case {
        std::string text, message;
    } cases[] = {
        {"4:05\n", "f.disc:1: track lengths before any 'disc' line '4:05'"},
        {"disc a\n4:05 4:5\n", "f.disc:2: not a track length M:SS or M:SS:FF '4:5'"},
        {"disc a\n\n4:60\n", "f.disc:3: not a track length M:SS or M:SS:FF '4:60'"},
        {"disc a\n256:00\n", "f.disc:2: not a track length M:SS or M:SS:FF '256:00'"},
        {"disc a\n1:00:75\n", "f.disc:2: not a track length M:SS or M:SS:FF '1:00:75'"},
        {"disc a\n1:00:\n", "f.disc:2: not a track length M:SS or M:SS:FF '1:00:'"},
        {"disc a\n-1:00\n", "f.disc:2: not a track length M:SS or M:SS:FF '-1:00'"},
        {"disc a\n4m05\n", "f.disc:2: not a track length M:SS or M:SS:FF '4m05'"},
        {"disco\n", "f.disc:1: unknown line 'disco' (did you mean 'disc'?)"},
        {"disc a\nEmpty\n",
         "f.disc:2: unknown line 'Empty' (did you mean 'empty'? keywords are lower case)"},
        {"empty\n1:00\n", "f.disc:2: track lengths after 'empty' '1:00'"},
        {"disc a\n200:00 55:59:74 0:00:01\n", "f.disc:2: disc longer than 255:59:74 '0:00:01'"},
        {"disc a\nimage x.cue\n", "f.disc:2: disc images are read only by ztp-plan 'image x.cue'"},
    };
    for (const Case& c : cases) {
        try {
            parseDiscText(c.text, "f.disc");
            ADD_FAILURE() << c.text;
        } catch (const DiscFileError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
    std::string many = "disc many\n";
    for (int i = 0; i < 256; ++i) many += "0:01 ";
    EXPECT_THROW(parseDiscText(many, "f"), DiscFileError);
    many = "disc many\n";
    for (int i = 0; i < 255; ++i) many += "0:01\n";
    EXPECT_EQ(parseDiscText(many, "f")[0].tracks.size(), 255u);
    EXPECT_THROW(readDiscFile("/nonexistent/x.disc"), DiscFileError);
    EXPECT_THROW(readDiscFile("/"), DiscFileError);
}

TEST(DiscFile, SongTitlesOnTrackLinesReadBackToTheSameDisc) {
    const std::string text =
        "disc 朝のうた\n4:05 3:58\ntrack 5:30:12 Sunrise / Kaze\r\ntrack 1:00\ntrack  0:30:00  two "
        "blanks\n"
        "disc Old\n4:05 3:58:74\n";
    const std::vector<Disc> discs = parseDiscText(text, "t.disc");
    ASSERT_EQ(discs.size(), 2u);
    EXPECT_EQ(discs[0].tracks,
              (std::vector<std::uint32_t>{packMsf(4, 5), packMsf(3, 58), packMsf(5, 30, 12),
                                          packMsf(1, 0), packMsf(0, 30)}));
    EXPECT_EQ(discs[0].trackTitles,
              (std::vector<std::string>{"", "", "Sunrise / Kaze", "", " two blanks"}));
    EXPECT_EQ(discs[1].trackTitles, (std::vector<std::string>{"", ""})) << "old lines: no titles";
    // What read prints parses back to the same disc.
    const std::string printed = discEntryText(discs[0]) + discEntryText(discs[1]);
    EXPECT_EQ(
        printed,
        "disc 朝のうた\ntrack 4:05:00\ntrack 3:58:00\ntrack 5:30:12 Sunrise / Kaze\ntrack 1:00:00\n"
        "track 0:30:00  two blanks\ndisc Old\n4:05:00 3:58:74\n");
    const std::vector<Disc> again = parseDiscText(printed, "t.disc");
    ASSERT_EQ(again.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(again[i].title, discs[i].title);
        EXPECT_EQ(again[i].tracks, discs[i].tracks);
        EXPECT_EQ(again[i].trackTitles, discs[i].trackTitles);
    }
    struct Case {
        std::string text, message;
    } cases[] = {
        {"track 1:00 x\n", "f.disc:1: a track before any 'disc' line 'track 1:00 x'"},
        {"empty\ntrack 1:00\n", "f.disc:2: a track after 'empty' 'track 1:00'"},
        {"disc a\ntrack 4:5 x\n", "f.disc:2: not a track length M:SS or M:SS:FF '4:5'"},
        {"disc a\ntrack\n", "f.disc:2: not a track length M:SS or M:SS:FF 'track'"},
        {"disc a\ntrack 200:00\ntrack 56:00 long\n",
         "f.disc:3: disc longer than 255:59:74 '56:00'"},
    };
    for (const Case& c : cases) {
        try {
            parseDiscText(c.text, "f.disc");
            ADD_FAILURE() << c.text;
        } catch (const DiscFileError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
}
