#include <gtest/gtest.h>

#include "test_util.h"

using namespace ztp;

namespace {

// Side A = tracks 1..4 (a0..a3), side B = track 5 (b0): side B first with the
// 5th track exactly one side long.
TrackTable fourAndOne() {
    TrackTable t = tableOf({10, 20, 30, 40, 300});
    t.pageChange(true, SearchMode::BMen, "10", Engine::Fast);
    return t;
}

}  // namespace

TEST(MoveSelected, MovesHighlightedToTheEndKeepingListsParallel) {
    TrackTable t = fourAndOne();
    ASSERT_EQ(tracksShown(t.lstA), (std::vector<int>{1, 2, 3, 4}));
    ASSERT_EQ(tracksShown(t.lstB), (std::vector<int>{5}));
    t.lstB.setSelected(0, true);  // highlighting in the destination stays
    t.lstA.setSelected(0, true);
    t.lstA.setSelected(2, true);
    t.sbtTrackRClick();
    EXPECT_EQ(tracksShown(t.lstA), (std::vector<int>{2, 4}));
    EXPECT_EQ(tracksShown(t.lstB), (std::vector<int>{5, 1, 3}));
    EXPECT_EQ(indices(t.SideA), (std::vector<int>{1, 3}));
    EXPECT_EQ(indices(t.SideB), (std::vector<int>{4, 0, 2}));
    EXPECT_EQ(t.SideA[2], -1);
    EXPECT_EQ(t.SideA[kMaxTracks - 1], -1);
    EXPECT_TRUE(t.lstB.selected(0));
    EXPECT_FALSE(t.lstB.selected(1));
    EXPECT_EQ(t.pnlAKei, "    .    2 -    1:00");
    EXPECT_EQ(t.pnlBKei, "    .    3 -    5:40");
    EXPECT_EQ(t.pnlFin, "11.33");
}

TEST(MoveSelected, BackAndForthLandsAtTheEnd) {
    TrackTable t = fourAndOne();
    t.lstA.setSelected(1, true);
    t.sbtTrackRClick();
    t.lstB.setSelected(1, true);
    t.sbtTrackLClick();
    EXPECT_EQ(tracksShown(t.lstA), (std::vector<int>{1, 3, 4, 2}));
    EXPECT_EQ(indices(t.SideA), (std::vector<int>{0, 2, 3, 1}));
    EXPECT_EQ(indices(t.SideB), (std::vector<int>{4}));
}

TEST(MoveSelected, EverythingToOneSide) {
    TrackTable t = fourAndOne();
    for (int i = 0; i < 4; ++i) t.lstA.setSelected(i, true);
    t.sbtTrackRClick();
    EXPECT_EQ(t.lstA.count(), 0);
    EXPECT_TRUE(indices(t.SideA).empty());
    EXPECT_EQ(t.pnlAKei, "    .    0 -    0:00");
    EXPECT_EQ(t.pnlFin, "13.33");  // twice the total of 400 s
}

TEST(MoveSelected, NothingHighlightedOnlyRefreshes) {
    TrackTable t = fourAndOne();
    t.pnlFin = "stale";
    t.sbtTrackLClick();
    EXPECT_EQ(tracksShown(t.lstA), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(t.pnlFin, "10.00");
}

TEST(MoveSelected, NoResultStateDoesNothingAtAll) {
    TrackTable t = fourAndOne();
    t.lstA.setSelected(0, true);
    EXPECT_THROW(t.pageChange(true, SearchMode::AMen, "x", Engine::Fast), std::exception);
    // Entries put back by hand (a stale window) still do not move.
    t.lstA.add("x");
    t.lstA.setSelected(0, true);
    t.sbtTrackRClick();
    t.sbtTrackLClick();
    EXPECT_EQ(t.lstA.count(), 1);
    EXPECT_EQ(t.lstB.count(), 0);
    EXPECT_EQ(t.pnlFin, "");
    EXPECT_EQ(t.pnlAKei, "");
    EXPECT_TRUE(indices(t.SideB).empty());

    TrackTable fresh = tableOf({10, 20});  // before any search
    fresh.lstA.add("x");
    fresh.lstA.setSelected(0, true);
    fresh.sbtTrackRClick();
    EXPECT_EQ(fresh.lstB.count(), 0);
    EXPECT_EQ(fresh.pnlAKei, "Disk.Track -    Time");
}
