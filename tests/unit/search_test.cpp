#include <gtest/gtest.h>

#include "errors.h"
#include "test_util.h"

using namespace ztp;

namespace {

struct SplitCase {
    const char* name;
    std::vector<int> seconds;
    SearchMode mode;
    const char* tape;
    std::vector<int> sideA, sideB;  // table indices in table order
    const char* fin;
};

const SplitCase kCases[] = {
    {"exact hit on the first level",
     {300, 200, 100},
     SearchMode::Ryoumen,
     "",
     {0},
     {1, 2},
     "10.00"},
    {"shortfall kept, later tie not taken",
     {200, 250, 180},
     SearchMode::Ryoumen,
     "",
     {1},
     {0, 2},
     "12.67"},
    {"tie goes to the overshoot", {40, 40, 40}, SearchMode::Ryoumen, "", {0, 1}, {2}, "2.67"},
    {"level ends at its first reaching track",
     {100, 40},
     SearchMode::Ryoumen,
     "",
     {0},
     {1},
     "3.33"},
    {"exact hit deeper", {20, 40, 60}, SearchMode::Ryoumen, "", {0, 1}, {2}, "2.00"},
    {"not the closest subset", {90, 35, 30}, SearchMode::AMen, "2", {0}, {1, 2}, "3.00"},
    {"overshoot past one side", {700, 700, 100}, SearchMode::AMen, "46", {0, 1}, {2}, "46.67"},
    {"tape longer than all tracks",
     {100, 200, 300},
     SearchMode::AMen,
     "90",
     {},
     {0, 1, 2},
     "20.00"},
    {"tape longer, side B first", {100, 200, 300}, SearchMode::BMen, "90", {0, 1, 2}, {}, "20.00"},
    {"tape time 0", {100, 200}, SearchMode::AMen, "0", {}, {0, 1}, "10.00"},
    {"negative tape time", {100, 200}, SearchMode::AMen, "-46", {}, {0, 1}, "10.00"},
    {"negative tape time, side B first", {100, 200}, SearchMode::BMen, "-46", {0, 1}, {}, "10.00"},
    {"blanks around the tape time",
     {700, 700, 100},
     SearchMode::AMen,
     " 46 ",
     {0, 1},
     {2},
     "46.67"},
    {"hex tape time", {700, 700, 100}, SearchMode::AMen, "$2E", {0, 1}, {2}, "46.67"},
    {"side B first exchanges", {300, 200, 100}, SearchMode::BMen, "10", {1, 2}, {0}, "10.00"},
    {"empty selection list", {}, SearchMode::Ryoumen, "", {}, {}, "0.00"},
    {"empty list, side A first", {}, SearchMode::AMen, "46", {}, {}, "0.00"},
    {"zero-length tracks and a tie", {0, 0, 120}, SearchMode::Ryoumen, "", {0, 1, 2}, {}, "4.00"},
    {"huge tape time", {100, 200}, SearchMode::AMen, "9999", {}, {0, 1}, "10.00"},
};

class Split : public ::testing::TestWithParam<Engine> {};

}  // namespace

TEST_P(Split, DocumentedExamples) {
    for (const SplitCase& c : kCases) {
        SCOPED_TRACE(c.name);
        TrackTable t = tableOf(c.seconds);
        t.splitSides(c.mode, c.tape, GetParam());
        EXPECT_TRUE(t.hasResult());
        EXPECT_EQ(indices(t.SideA), c.sideA);
        EXPECT_EQ(indices(t.SideB), c.sideB);
        ASSERT_EQ(t.sideListA.count(), static_cast<int>(c.sideA.size()));
        ASSERT_EQ(t.sideListB.count(), static_cast<int>(c.sideB.size()));
        for (std::size_t k = 0; k < c.sideA.size(); ++k)
            EXPECT_EQ(t.sideListA.text(k), t.selection.text(c.sideA[k]));
        for (std::size_t k = 0; k < c.sideB.size(); ++k)
            EXPECT_EQ(t.sideListB.text(k), t.selection.text(c.sideB[k]));
        EXPECT_EQ(t.tapeLength, c.fin);
    }
}

TEST_P(Split, TotalsAfterASearch) {
    TrackTable t = tableOf({200, 250, 180});
    t.splitSides(SearchMode::Ryoumen, "", GetParam());
    EXPECT_EQ(t.sideATotal, "    .    1 -    4:10");
    EXPECT_EQ(t.sideBTotal, "    .    2 -    6:20");
    TrackTable e = tableOf({});
    e.splitSides(SearchMode::Ryoumen, "", GetParam());
    EXPECT_EQ(e.sideATotal, "    .    0 -    0:00");
    EXPECT_EQ(e.sideBTotal, "    .    0 -    0:00");
}

TEST_P(Split, BadTapeTimeLeavesNoResultAndNothingShown) {
    TrackTable t = tableOf({700, 700, 100});
    t.splitSides(SearchMode::AMen, "46", GetParam());
    const auto shownA = t.sideListA.texts();
    const std::string fin = t.tapeLength;
    for (const char* bad : {"", "46.5", "abc"}) {
        t.resetSearch();
        EXPECT_THROW(t.splitSides(SearchMode::AMen, bad, GetParam()), EConvertError);
        EXPECT_FALSE(t.hasResult());
        EXPECT_EQ(t.sideListA.count() + t.sideListB.count(), 0);
        EXPECT_EQ(t.sideATotal + t.sideBTotal + t.tapeLength, "");
        EXPECT_TRUE(indices(t.SideA).empty());
        EXPECT_TRUE(indices(t.SideB).empty());
    }
    t.splitSides(SearchMode::AMen, "46", GetParam());
    EXPECT_TRUE(t.hasResult());
    EXPECT_EQ(t.sideListA.texts(), shownA);
    EXPECT_EQ(t.tapeLength, fin);
}

TEST_P(Split, LeavingTheEditPageResetsAndReentryRecomputes) {
    TrackTable t = tableOf({300, 200, 100, 50});
    t.splitSides(SearchMode::Ryoumen, "", GetParam());
    const auto a = t.sideListA.texts();
    t.sideListA.setSelected(0, true);
    t.moveSelectedToSideB();
    t.resetSearch();
    EXPECT_FALSE(t.hasResult());
    EXPECT_TRUE(indices(t.SideA).empty());
    EXPECT_EQ(t.BestDiff, kInitialBestDiff);
    t.splitSides(SearchMode::Ryoumen, "", GetParam());
    EXPECT_EQ(t.sideListA.texts(), a);
}

INSTANTIATE_TEST_SUITE_P(Engines, Split, ::testing::Values(Engine::Literal, Engine::Fast),
                         [](const auto& info) {
                             return info.param == Engine::Literal ? "Literal" : "Fast";
                         });

TEST(LiteralSearch, RecordsAndStops) {
    // 200, 250, 180 with T = 315: {0} recorded at 115, then {1} at 65.
    const SearchResult r = literalSearch({200, 250, 180}, 315);
    EXPECT_EQ(r.best, std::vector<int>{1});
    EXPECT_EQ(r.bestDiff, 65);
    EXPECT_FALSE(r.exactHit);
    const SearchResult hit = literalSearch({20, 40, 60}, 60);
    EXPECT_TRUE(hit.exactHit);
    EXPECT_EQ(hit.bestDiff, 0);
    // T <= 0: the empty path, BestDiff = T.
    EXPECT_EQ(literalSearch({5, 6}, -1380).bestDiff, -1380);
    EXPECT_TRUE(literalSearch({5, 6}, 0).best.empty());
    // Nothing reaches the target: nothing recorded.
    const SearchResult none = literalSearch({5, 6}, 100);
    EXPECT_TRUE(none.best.empty());
    EXPECT_EQ(none.bestDiff, kInitialBestDiff);
}

TEST(LiteralSearch, AbortsOnCancelOrBudget) {
    std::vector<std::int32_t> album(11, 100);  // 11! orderings below a long tape
    std::atomic<bool> cancel{true};
    SearchControl c;
    c.cancel = &cancel;
    EXPECT_EQ(literalSearch(album, 100000, c).end, SearchEnd::Cancelled);
    SearchControl budget;
    budget.stepLimit = 5000;
    EXPECT_EQ(literalSearch(album, 100000, budget).end, SearchEnd::OutOfSteps);
}
