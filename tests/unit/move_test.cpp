#include <gtest/gtest.h>

#include "test_util.h"

using namespace ztp;

namespace {

// Side A = tracks 1..4 (a0..a3), side B = track 5 (b0): side B first with the
// 5th track exactly one side long.
TrackTable fourAndOne() {
    TrackTable t = tableOf({10, 20, 30, 40, 300});
    t.splitSides(SearchMode::BMen, "10", Engine::Fast);
    return t;
}

}  // namespace

TEST(MoveSelected, MovesHighlightedToTheEndKeepingListsParallel) {
    TrackTable t = fourAndOne();
    ASSERT_EQ(tracksShown(t.sideListA), (std::vector<int>{1, 2, 3, 4}));
    ASSERT_EQ(tracksShown(t.sideListB), (std::vector<int>{5}));
    t.sideListB.setSelected(0, true);  // highlighting in the destination stays
    t.sideListA.setSelected(0, true);
    t.sideListA.setSelected(2, true);
    t.moveSelectedToSideB();
    EXPECT_EQ(tracksShown(t.sideListA), (std::vector<int>{2, 4}));
    EXPECT_EQ(tracksShown(t.sideListB), (std::vector<int>{5, 1, 3}));
    EXPECT_EQ(indices(t.SideA), (std::vector<int>{1, 3}));
    EXPECT_EQ(indices(t.SideB), (std::vector<int>{4, 0, 2}));
    EXPECT_EQ(t.SideA[2], -1);
    EXPECT_EQ(t.SideA[kMaxTracks - 1], -1);
    EXPECT_TRUE(t.sideListB.selected(0));
    EXPECT_FALSE(t.sideListB.selected(1));
    EXPECT_EQ(t.sideATotal, "    .    2 -    1:00");
    EXPECT_EQ(t.sideBTotal, "    .    3 -    5:40");
    EXPECT_EQ(t.tapeLength, "11.33");
}

TEST(MoveSelected, BackAndForthLandsAtTheEnd) {
    TrackTable t = fourAndOne();
    t.sideListA.setSelected(1, true);
    t.moveSelectedToSideB();
    t.sideListB.setSelected(1, true);
    t.moveSelectedToSideA();
    EXPECT_EQ(tracksShown(t.sideListA), (std::vector<int>{1, 3, 4, 2}));
    EXPECT_EQ(indices(t.SideA), (std::vector<int>{0, 2, 3, 1}));
    EXPECT_EQ(indices(t.SideB), (std::vector<int>{4}));
}

TEST(MoveSelected, EverythingToOneSide) {
    TrackTable t = fourAndOne();
    for (int i = 0; i < 4; ++i) t.sideListA.setSelected(i, true);
    t.moveSelectedToSideB();
    EXPECT_EQ(t.sideListA.count(), 0);
    EXPECT_TRUE(indices(t.SideA).empty());
    EXPECT_EQ(t.sideATotal, "    .    0 -    0:00");
    EXPECT_EQ(t.tapeLength, "13.33");  // twice the total of 400 s
}

TEST(MoveSelected, NothingHighlightedOnlyRefreshes) {
    TrackTable t = fourAndOne();
    t.tapeLength = "stale";
    t.moveSelectedToSideA();
    EXPECT_EQ(tracksShown(t.sideListA), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(t.tapeLength, "10.00");
}

TEST(MoveSelected, NoResultStateDoesNothingAtAll) {
    TrackTable t = fourAndOne();
    t.sideListA.setSelected(0, true);
    EXPECT_THROW(t.splitSides(SearchMode::AMen, "x", Engine::Fast), std::exception);
    // Entries put back by hand (a stale window) still do not move.
    t.sideListA.add("x");
    t.sideListA.setSelected(0, true);
    t.moveSelectedToSideB();
    t.moveSelectedToSideA();
    EXPECT_EQ(t.sideListA.count(), 1);
    EXPECT_EQ(t.sideListB.count(), 0);
    EXPECT_EQ(t.tapeLength, "");
    EXPECT_EQ(t.sideATotal, "");
    EXPECT_TRUE(indices(t.SideB).empty());

    TrackTable fresh = tableOf({10, 20});  // before any search
    fresh.sideListA.add("x");
    fresh.sideListA.setSelected(0, true);
    fresh.moveSelectedToSideB();
    EXPECT_EQ(fresh.sideListB.count(), 0);
    EXPECT_EQ(fresh.sideATotal, "Disk.Track -    Time");
}
