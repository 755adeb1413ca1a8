#include <gtest/gtest.h>

#include "text_forms.h"
#include "track_table.h"

using namespace ztp;

TEST(TextForms, FixedWidthForms) {
    struct Case {
        std::string got, want;
    } cases[] = {
        {entryText(1, 3, packMsf(4, 5, 40)), "   1.    3 -    4:05"},
        {entryText(12, 255, packMsf(255, 59, 74)), "  12.  255 -  255:59"},
        {CdTimeToText(packMsf(4, 5)), "   4:05"},
        {CdTimeToText(packMsf(0, 0)), "   0:00"},
        {totalsText(0, 0), "    .    0 -    0:00"},
        {totalsText(12, 2917), "    .   12 -   48:37"},
        {totalsText(15, 3725), "    .   15 -   62:05"},
        {totalsText(2048, 2048LL * 15359), "    . 2048 - 524253:52"},
        {tapeLengthText(0), "0.00"},
        {tapeLengthText(380), "12.67"},
        {tapeLengthText(859), "28.63"},
        {tapeLengthText(3600), "120.00"},
        {tapeLengthText(1), "0.03"},
        {tapeLengthText(859, ","), "28,63"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(TextForms, TapeLengthRoundsLikePrintf) {
    for (std::int64_t s = 0; s < 20000; ++s) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%4.2f", 2.0 * static_cast<double>(s) / 60.0);
        ASSERT_EQ(tapeLengthText(s), buf) << s;
    }
}

TEST(TextForms, CdTimeDropsFrames) {
    EXPECT_EQ(CdTimeToSec(packMsf(3, 25, 70)), 205);
    EXPECT_EQ(CdTimeToSec(packMsf(3, 59, 74)), 239);
    EXPECT_EQ(CdTimeToSec(packMsf(255, 59, 74)), 15359);
}

namespace {
std::vector<std::uint32_t> lengths(std::initializer_list<int> seconds) {
    std::vector<std::uint32_t> out;
    for (int s : seconds) out.push_back(packMsf(s / 60, s % 60, 30));
    return out;
}
}  // namespace

TEST(TrackTable, StartsEmptyWithDesignCaptions) {
    TrackTable t;
    EXPECT_EQ(t.DiskNo, 1);
    EXPECT_EQ(t.selectionTotal, "Disk.Track -    Time");
    EXPECT_EQ(t.sideATotal, "Disk.Track -    Time");
    EXPECT_EQ(t.tapeLength, "");
    EXPECT_FALSE(t.hasResult());
    t.ShowSelectTotal();
    EXPECT_EQ(t.selectionTotal, "    .    0 -    0:00");
}

TEST(TrackTable, AddDiskAppendsEntriesSlotsAndTitle) {
    TrackTable t;
    ASSERT_EQ(t.addDisk(lengths({245, 238}), "Morning"), AddRefusal::None);
    ASSERT_EQ(t.addDisk(lengths({100, 200, 245}), "Evening"), AddRefusal::None);
    ASSERT_EQ(t.addDisk({}, ""), AddRefusal::None);  // a CD of 0 tracks still takes a number
    EXPECT_EQ(t.DiskNo, 4);
    ASSERT_EQ(t.selection.count(), 5);
    EXPECT_EQ(t.selection.text(4), "   2.    3 -    4:05");
    EXPECT_EQ(t.TrackTime[4], 245);
    EXPECT_EQ(t.diskTitle(1), "Morning");
    EXPECT_EQ(t.diskTitle(2), "Evening");
    EXPECT_EQ(t.diskTitle(3), "");
    EXPECT_EQ(t.diskTitle(0), "");
    EXPECT_EQ(t.diskTitle(31), "");
    t.ShowSelectTotal();
    EXPECT_EQ(t.selectionTotal, "    .    5 -   17:08");
}

TEST(TrackTable, LimitsRefuseAWholeDisk) {
    TrackTable t;
    std::vector<std::uint32_t> disc(255, packMsf(1, 0));
    for (int d = 0; d < 8; ++d) ASSERT_EQ(t.addDisk(disc, "x"), AddRefusal::None);  // 2040 tracks
    EXPECT_EQ(t.checkAddDisk(9), AddRefusal::TooManyTracks);
    EXPECT_EQ(t.addDisk(std::vector<std::uint32_t>(9, packMsf(1, 0)), "y"),
              AddRefusal::TooManyTracks);
    EXPECT_EQ(t.selection.count(), 2040);
    EXPECT_EQ(t.DiskNo, 9);
    EXPECT_EQ(t.addDisk(std::vector<std::uint32_t>(8, packMsf(1, 0)), "z"),
              AddRefusal::None);  // exactly 2048
    EXPECT_EQ(t.selection.count(), 2048);
    EXPECT_EQ(t.TrackTime[2047], 60);

    TrackTable u;
    for (int d = 1; d <= 30; ++d)
        ASSERT_EQ(u.addDisk(lengths({60}), "d" + std::to_string(d)), AddRefusal::None);
    EXPECT_EQ(u.diskTitle(30), "d30");
    EXPECT_EQ(u.addDisk(lengths({60}), "31"), AddRefusal::TooManyDisks);
    EXPECT_EQ(u.DiskNo, 31);
    EXPECT_EQ(u.selection.count(), 30);
}

TEST(TrackTable, DeleteKeepsTextsAndLengthsParallel) {
    TrackTable t;
    t.addDisk(lengths({10, 20, 30, 40, 50}), "a");
    t.selection.setSelected(1, true);
    t.selection.setSelected(3, true);
    t.deleteSelectedTracks();
    ASSERT_EQ(t.selection.count(), 3);
    EXPECT_EQ(t.selection.text(0), "   1.    1 -    0:10");
    EXPECT_EQ(t.selection.text(1), "   1.    3 -    0:30");
    EXPECT_EQ(t.selection.text(2), "   1.    5 -    0:50");
    EXPECT_EQ(t.TrackTime[0], 10);
    EXPECT_EQ(t.TrackTime[1], 30);
    EXPECT_EQ(t.TrackTime[2], 50);
    EXPECT_EQ(t.selectionTotal, "    .    3 -    1:30");
    // Nothing highlighted: nothing deleted, total rewritten.
    t.deleteSelectedTracks();
    EXPECT_EQ(t.selection.count(), 3);
    // Titles and disk numbers stay; new entries land after the remaining ones.
    t.addDisk(lengths({70}), "b");
    EXPECT_EQ(t.TrackTime[3], 70);
    EXPECT_EQ(t.selection.text(3), "   2.    1 -    1:10");
}

TEST(TrackTable, DeleteAtFullTableClosesTheLastSlot) {
    TrackTable t;
    for (int d = 0; d < 8; ++d) t.addDisk(std::vector<std::uint32_t>(256, packMsf(0, d + 1)), "x");
    ASSERT_EQ(t.selection.count(), 2048);
    t.selection.setSelected(2047, true);
    t.selection.setSelected(0, true);
    t.deleteSelectedTracks();
    EXPECT_EQ(t.selection.count(), 2046);
    EXPECT_EQ(t.TrackTime[0], 1);
    EXPECT_EQ(t.TrackTime[2045], 8);
    EXPECT_EQ(t.TrackTime[2047], 0);
}
