#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <set>
#include <string>

#include "split_bounds.h"
#include "split_oracle.h"
#include "split_search.h"

using namespace ztp;

namespace {

using Times = std::vector<std::int32_t>;

std::vector<int> sortedSet(std::vector<int> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::string describe(const Times& times, std::int64_t target) {
    std::string s = "T=";
    s += std::to_string(target);
    s += " times:";
    for (auto x : times) {
        s += ' ';
        s += std::to_string(x);
    }
    return s;
}

// Compares the ways of running the fast engine: as shipped, with every
// bound applied from the first node, and with phases and budgets cut short.
void expectSameAsLiteral(const Times& times, std::int64_t target, const SearchResult& lit) {
    const EngineTuning* const modes[] = {&kShippedTuning, &kEagerBoundsTuning, &kShortBudgetTuning};
    for (const EngineTuning* tuning : modes) {
        const SearchResult fast = fastSearch(times, target, {}, {*tuning});
        const char* mode = tuning == &kShippedTuning       ? ""
                           : tuning == &kEagerBoundsTuning ? " (eager bounds)"
                                                           : " (short budgets)";
        EXPECT_EQ(sortedSet(fast.best), sortedSet(lit.best)) << describe(times, target) << mode;
        EXPECT_EQ(fast.bestDiff, lit.bestDiff) << describe(times, target) << mode;
        EXPECT_EQ(fast.exactHit, lit.exactHit) << describe(times, target) << mode;
    }
}

// Compares with the literal search if it finishes within `steps` steps.
bool comparedWithinBudget(const Times& times, std::int64_t target, std::uint64_t steps) {
    SearchControl budget;
    budget.stepLimit = steps;
    const SearchResult lit = literalSearch(times, target, budget);
    if (!lit.finished()) return false;
    expectSameAsLiteral(times, target, lit);
    return true;
}

struct HandCase {
    const char* name;
    Times times;
    std::int64_t target;
    std::vector<int> best;
    std::int64_t bestDiff;
    bool exactHit;
};

const HandCase kHandCases[] = {
    {"exact hit on the first level", {300, 200, 100}, 300, {0}, 0, true},
    {"not the closest subset", {90, 35, 30}, 60, {0}, 30, false},
    {"first shortfall kept over a later equal overshoot", {200, 250, 180}, 315, {1}, 65, false},
    {"tie goes to path plus track", {40, 40, 40}, 60, {0, 1}, 20, false},
    {"level ends at its first reaching track", {100, 40}, 70, {0}, 30, false},
    {"exact hit one level down", {20, 40, 60}, 60, {0, 1}, 0, true},
    {"overshoot past one side", {700, 700, 100}, 1380, {0, 1}, 20, false},
    {"all tracks shorter than the target", {100, 200, 300}, 2700, {}, kInitialBestDiff, false},
    {"target 0", {100, 200}, 0, {}, 0, false},
    {"target 0, first track 0 s", {0, 200}, 0, {0}, 0, true},
    {"negative target", {100, 200}, -1380, {}, -1380, false},
    {"empty list", {}, 150, {}, kInitialBestDiff, false},
    {"empty list, target 0", {}, 0, {}, kInitialBestDiff, false},
    {"zero-length tracks join the set", {0, 0, 120}, 60, {0, 1, 2}, 60, false},
    {"target far beyond any tape", {100, 200}, 9999 * 30, {}, kInitialBestDiff, false},
    {"four tracks of one length free where a staircase closes",
     {15, 15, 10, 10, 10, 10, 15, 16, 11, 199, 11, 10, 15},
     48,
     {2, 3, 7, 8},
     1,
     false},
    {"a child of a length seen before, after a longer one", {3, 4, 3}, 6, {0, 2}, 0, true},
    {"staircases ending with the same free lengths, counted differently",
     {4, 9, 4, 8, 4, 8, 37, 8, 5, 8, 4, 8, 4, 8, 4, 8, 5, 8, 4, 8},
     27,
     {0, 2, 3, 4, 5},
     1,
     false},
};

TEST(FastSearch, HandCasesMatchTheLiteralSearch) {
    for (const HandCase& c : kHandCases) {
        SCOPED_TRACE(c.name);
        const SearchResult lit = literalSearch(c.times, c.target);
        EXPECT_EQ(sortedSet(lit.best), c.best);
        EXPECT_EQ(lit.bestDiff, c.bestDiff);
        EXPECT_EQ(lit.exactHit, c.exactHit);
        expectSameAsLiteral(c.times, c.target, lit);
        // The oracle over the whole list gives the smallest value.
        if (c.target <= 0 || c.times.empty()) continue;
        const std::vector<std::int64_t> t(c.times.begin(), c.times.end());
        for (bool shortBudgets : {false, true}) {
            std::int64_t spent = 0;
            split::OracleScratch scratch(split::words::fastest());
            const split::OracleAnswer a =
                split::exactValue(t, c.target, {kInitialBestDiff, INT64_MAX, INT64_MAX}, spent,
                                  scratch, shortBudgets ? kShortBudgetTuning : kShippedTuning);
            EXPECT_TRUE(a.exact);
            EXPECT_EQ(a.value, c.bestDiff) << (shortBudgets ? "(short budgets)" : "");
        }
    }
}

// Random small inputs from families that stress the level rules.
TEST(FastSearch, RandomSmallInputsMatchTheLiteralSearch) {
    std::mt19937_64 rng(20240401);
    auto pick = [&](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
    };
    int compared = 0;
    for (int k = 0; k < 3000; ++k) {
        const int n = static_cast<int>(pick(0, k % 5 == 0 ? 9 : 7));
        const int family = k % 7;
        Times alphabet;
        for (int a = 0; a < 3; ++a) alphabet.push_back(static_cast<std::int32_t>(pick(0, 9)));
        Times times;
        for (int i = 0; i < n; ++i) {
            std::int64_t len = 0;
            switch (family) {
                case 0: len = pick(0, 15359); break;  // any length
                case 1: len = pick(120, 480); break;  // album tracks
                case 2: len = alphabet[static_cast<std::size_t>(pick(0, 2))]; break;  // few lengths
                case 3: len = pick(0, 2) == 0 ? 0 : pick(1, 20); break;               // many zeros
                case 4: len = pick(1, 6) * 50; break;  // equal lengths
                case 5: len = pick(1, 30) * 2; break;  // even lengths
                default: len = pick(0, 40); break;
            }
            times.push_back(static_cast<std::int32_t>(len));
        }
        std::int64_t total = 0;
        for (auto x : times) total += x;
        std::int64_t target = 0;
        switch (k % 6) {
            case 0: target = total / 2; break;            // both sides equal
            case 1: target = pick(-2, 8) * 30; break;     // tape minutes x 30
            case 2: target = total + pick(-4, 1); break;  // around the total
            case 3: target = pick(-1, total + 1); break;
            case 4: target = (total / 2) | 1; break;  // odd target
            default: target = pick(-2, 2); break;
        }
        // The step budget keeps the reference quick under sanitizers.
        if (comparedWithinBudget(times, target, 10000)) ++compared;
        if (HasFailure()) return;
    }
    EXPECT_GT(compared, 2500);
}

// 65 to 200 tracks (past the lists a node scans index by index) with a target
// of a few tracks, so that the literal search finishes: shallow walks over
// long levels (ascending runs, near multiples) that end only when walked.
TEST(FastSearch, LongLevelsMatchTheLiteralSearch) {
    std::mt19937_64 rng(6502);
    auto pick = [&](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
    };
    int compared = 0;
    for (int k = 0; k < 60; ++k) {
        const int n = static_cast<int>(pick(65, 200));
        const std::int64_t shortest = pick(20, 300);
        Times times;
        for (int i = 0; i < n; ++i) {
            std::int64_t len = 0;
            switch (k % 3) {
                // ascending runs
                case 0: len = shortest + (i % 17) * 7; break;
                // near multiples
                case 1: len = shortest * pick(1, 4) + pick(0, 1); break;
                default: len = pick(shortest, 3 * shortest); break;
            }
            if (pick(0, 9) == 0) len = shortest;  // runs broken by a short track
            times.push_back(static_cast<std::int32_t>(2 * len));
        }
        // Even lengths and an odd target: no exact hit ends the walk early.
        const std::int64_t target = pick(4 * shortest, 9 * shortest) | 1;
        if (comparedWithinBudget(times, target, 100000)) ++compared;
        if (HasFailure()) return;
    }
    EXPECT_GT(compared, 40);
}

// Up to 14 tracks from a few lengths far apart: deep walks in which many sets
// near the target are never visited.
TEST(FastSearch, FewWideLengthsMatchTheLiteralSearch) {
    std::mt19937_64 rng(5150);
    auto pick = [&](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
    };
    int compared = 0;
    for (int k = 0; k < 300; ++k) {
        Times alphabet;
        const int size = static_cast<int>(pick(2, 6));
        for (int a = 0; a < size; ++a) alphabet.push_back(static_cast<std::int32_t>(pick(1, 1000)));
        Times times;
        const int n = static_cast<int>(pick(8, 14));
        for (int i = 0; i < n; ++i)
            times.push_back(alphabet[static_cast<std::size_t>(pick(0, size - 1))]);
        std::int64_t total = 0;
        for (auto x : times) total += x;
        const std::int64_t target = k % 2 ? total / 2 : pick(1, total);
        if (comparedWithinBudget(times, target, 100000)) ++compared;
        if (HasFailure()) return;
    }
    EXPECT_GT(compared, 150);
}

// Properties that must hold for any result, on inputs too large for the
// literal search.
void expectConsistent(const Times& times, std::int64_t target, const SearchResult& r) {
    std::set<int> seen;
    std::int64_t sum = 0;
    for (int i : r.best) {
        ASSERT_GE(i, 0);
        ASSERT_LT(i, static_cast<int>(times.size()));
        ASSERT_TRUE(seen.insert(i).second) << "track " << i << " twice";
        sum += times[static_cast<std::size_t>(i)];
    }
    if (r.bestDiff == kInitialBestDiff) {
        EXPECT_TRUE(r.best.empty());
        return;
    }
    if (target > 0) {
        EXPECT_EQ(r.bestDiff, sum >= target ? sum - target : target - sum);
    }
    EXPECT_EQ(r.exactHit, target > 0 && sum == target);
}

// Whether the literal walk can record this result: the path set (the result,
// less the reaching track when it overshoots) can be taken level by level
// (tracks after the reaching track first, by T - longest left-out track
// before it + own length, then the rest), and its first reaching track gives
// the result's distance with the tie rule.
bool literalWalkCanRecord(const Times& times, std::int64_t T, const SearchResult& r) {
    const int n = static_cast<int>(times.size());
    const std::set<int> result(r.best.begin(), r.best.end());
    std::vector<int> options{-1};  // -1: shortfall, else the overshooting track
    options.insert(options.end(), result.begin(), result.end());
    for (int over : options) {
        std::vector<char> in(static_cast<std::size_t>(n), 0);
        std::int64_t s = 0;
        for (int i : result)
            if (i != over) {
                in[static_cast<std::size_t>(i)] = 1;
                s += times[static_cast<std::size_t>(i)];
            }
        if (s >= T) continue;
        int reach = -1;
        for (int i = 0; i < n && reach < 0; ++i)
            if (!in[static_cast<std::size_t>(i)] && times[static_cast<std::size_t>(i)] >= T - s)
                reach = i;
        if (reach < 0) continue;
        const std::int64_t shortfall = T - s,
                           overshoot = times[static_cast<std::size_t>(reach)] - shortfall;
        if (over < 0 ? !(shortfall < overshoot && shortfall == r.bestDiff)
                     : !(reach == over && overshoot <= shortfall && overshoot == r.bestDiff))
            continue;
        std::vector<std::pair<std::int64_t, int>> order;
        std::int64_t longestOut = -1;
        for (int i = 0; i < n; ++i) {
            if (!in[static_cast<std::size_t>(i)]) {
                if (i >= reach)
                    longestOut =
                        std::max<std::int64_t>(longestOut, times[static_cast<std::size_t>(i)]);
                continue;
            }
            const std::int64_t key =
                i > reach ? T - longestOut + times[static_cast<std::size_t>(i)] : INT64_MAX;
            order.emplace_back(key, i);
        }
        std::stable_sort(order.begin(), order.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<char> path(static_cast<std::size_t>(n), 0);
        std::int64_t p = 0;
        bool ok = true;
        for (const auto& [key, x] : order) {
            for (int i = 0; i < x && ok; ++i)
                if (!path[static_cast<std::size_t>(i)] &&
                    p + times[static_cast<std::size_t>(i)] >= T)
                    ok = false;
            path[static_cast<std::size_t>(x)] = 1;
            p += times[static_cast<std::size_t>(x)];
        }
        if (ok) return true;
    }
    return false;
}

TEST(FastSearch, LargeInputsGiveConsistentSplits) {
    std::mt19937_64 rng(7);
    Times album, varied, zeros;
    for (int i = 0; i < kMaxTracks; ++i) {
        album.push_back(std::uniform_int_distribution<std::int32_t>(60, 600)(rng));
        varied.push_back(std::uniform_int_distribution<std::int32_t>(0, 15359)(rng));
        zeros.push_back(i % 3 == 0 ? 0 : std::uniform_int_distribution<std::int32_t>(60, 400)(rng));
    }
    const Times oneLength(kMaxTracks, 247);
    std::int64_t albumTotal = 0;
    for (auto x : album) albumTotal += x;

    struct Large {
        const char* name;
        const Times& times;
        std::int64_t target;
    };
    const Large cases[] = {
        {"album tracks, both sides equal", album, albumTotal / 2},
        {"album tracks, 120-minute tape", album, 3600},
        {"any lengths, 90-minute tape", varied, 2700},
        {"a third of 0 s, 46-minute tape", zeros, 1380},
        {"one length, 46-minute tape", oneLength, 1380},
    };
    for (const Large& c : cases) {
        SCOPED_TRACE(c.name);
        const SearchResult r = fastSearch(c.times, c.target);
        expectConsistent(c.times, c.target, r);
        if (r.bestDiff != kInitialBestDiff) {
            EXPECT_TRUE(literalWalkCanRecord(c.times, c.target, r));
        }
    }
    // One length: five tracks stay below 1380, the sixth overshoots by 102.
    EXPECT_EQ(sortedSet(fastSearch(oneLength, 1380).best), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    // Rich random inputs reach the target exactly.
    EXPECT_TRUE(fastSearch(album, albumTotal / 2).exactHit);
    // Every track shorter together than the target: nothing recorded.
    EXPECT_TRUE(fastSearch(album, albumTotal + 1).best.empty());
    // A first track that reaches the target ends the search on the first level.
    Times first = album;
    first[0] = 15359;
    const SearchResult r = fastSearch(first, 15000);
    EXPECT_EQ(r.best, std::vector<int>{0});
    EXPECT_EQ(r.bestDiff, 359);
}

// 40 tracks of six lengths: no subset sum is closer to 5747 than 37, and the
// set that reaches 37 is only visited after a large part of the tree.
const Times kSmallAlphabet40 = {200, 301, 300, 101, 100, 997, 101, 101, 100, 101,
                                300, 997, 200, 200, 101, 300, 300, 200, 300, 200,
                                300, 200, 101, 100, 300, 100, 100, 200, 997, 100,
                                200, 100, 200, 200, 301, 997, 997, 301, 101, 100};

// Inputs the literal search cannot finish: both ways of running the engine
// agree, and the literal walk can record the result.
TEST(FastSearch, FewLengthsOnLongListsGiveRecordableSplits) {
    SearchResult unreachable;  // {40} on its own: the level stops at 100 first
    unreachable.best = {1};
    unreachable.bestDiff = 30;
    EXPECT_FALSE(literalWalkCanRecord({100, 40}, 70, unreachable));

    const FastOptions eager{kEagerBoundsTuning};
    const SearchResult r = fastSearch(kSmallAlphabet40, 5747);
    EXPECT_EQ(r.bestDiff, 37);
    EXPECT_TRUE(literalWalkCanRecord(kSmallAlphabet40, 5747, r));
    EXPECT_EQ(sortedSet(fastSearch(kSmallAlphabet40, 5747, {}, eager).best), sortedSet(r.best));

    std::mt19937_64 rng(99);
    auto pick = [&](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
    };
    for (int k = 0; k < 6; ++k) {
        Times alphabet;
        for (int a = static_cast<int>(pick(2, 5)); a > 0; --a)
            alphabet.push_back(static_cast<std::int32_t>(pick(1, 15359)));
        Times times;
        std::int64_t total = 0;
        for (int i = static_cast<int>(pick(30, 60)); i > 0; --i) {
            times.push_back(alphabet[static_cast<std::size_t>(
                pick(0, static_cast<std::int64_t>(alphabet.size()) - 1))]);
            total += times.back();
        }
        const std::int64_t target = k % 2 ? total / 2 : pick(1, total);
        SCOPED_TRACE(describe(times, target));
        const SearchResult a = fastSearch(times, target);
        const SearchResult b = fastSearch(times, target, {}, eager);
        expectConsistent(times, target, a);
        EXPECT_EQ(sortedSet(a.best), sortedSet(b.best));
        EXPECT_EQ(a.bestDiff, b.bestDiff);
        if (a.bestDiff != kInitialBestDiff) {
            EXPECT_TRUE(literalWalkCanRecord(times, target, a));
        }
    }
}

// Long lists of a few lengths, some near sums or multiples of others, that
// once took the engine tens of seconds: the shipped engine, every bound from
// the first node and the oracle alone agree, and the literal walk can record
// the result.
TEST(FastSearch, NearMultiplesOnLongListsGiveTheSmallestValue) {
    std::mt19937_64 rng(900);
    const std::int32_t lengths[] = {50, 51, 100, 150, 151, 400};
    Times times;
    for (int i = 0; i < kMaxTracks; ++i)
        times.push_back(lengths[std::uniform_int_distribution<int>(0, 5)(rng)]);
    struct Known {
        std::int64_t target, bestDiff;
        std::size_t tracks;
    };
    const Known known[] = {{1380, 11, 20}, {3600, 0, 55}};
    const FastOptions eager{kEagerBoundsTuning};
    for (const Known& k : known) {
        SCOPED_TRACE(k.target);
        const SearchResult r = fastSearch(times, k.target);
        expectConsistent(times, k.target, r);
        EXPECT_EQ(r.bestDiff, k.bestDiff);
        EXPECT_EQ(r.best.size(), k.tracks);
        EXPECT_TRUE(literalWalkCanRecord(times, k.target, r));
        const SearchResult e = fastSearch(times, k.target, {}, eager);
        EXPECT_EQ(sortedSet(e.best), sortedSet(r.best));
        std::int64_t spent = 0;
        split::OracleScratch scratch(split::words::fastest());
        const split::OracleAnswer a =
            split::exactValue(std::vector<std::int64_t>(times.begin(), times.end()), k.target,
                              {kInitialBestDiff, INT64_MAX, INT64_MAX}, spent, scratch);
        EXPECT_TRUE(a.exact);
        EXPECT_EQ(a.value, r.bestDiff);
    }
}

// The oracle alone: its smallest value is the literal walk's best value, on
// lists whose walls need the staircases (short tracks with a long one,
// ascending runs), with and without the kept prefix sums.
TEST(FastSearch, OracleGivesTheLiteralSmallestValue) {
    std::mt19937_64 rng(77);
    auto pick = [&](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
    };
    int compared = 0;
    for (int k = 0; k < 4000; ++k) {
        const int n = static_cast<int>(pick(1, 9));
        const std::int64_t unit = pick(1, 6);
        Times times;
        for (int i = 0; i < n; ++i) {
            std::int64_t len = 0;
            switch (k % 3) {
                case 0: len = pick(1, 4) * unit; break;                       // short ones ...
                case 1: len = (i % 4 + 1) * unit + (pick(0, 3) == 0); break;  // ascending runs
                default: len = pick(1, 12); break;
            }
            times.push_back(static_cast<std::int32_t>(len));
        }
        // ... and a long one
        if (k % 2 == 0)
            times[static_cast<std::size_t>(pick(0, n - 1))] =
                static_cast<std::int32_t>(pick(10, 60));
        if (k % 4 == 3)  // in seconds that span many words of the bit arrays
            for (auto& x : times) x = static_cast<std::int32_t>(x * 37);
        std::int64_t total = 0, longest = 0;
        for (auto x : times) {
            total += x;
            longest = std::max<std::int64_t>(longest, x);
        }
        // Every fourth target near the total: the sets then leave little
        // out, and the bit arrays keep only the sums near the top (scaled
        // up, so that those are words apart).
        const std::int64_t target =
            k % 4 == 3 ? std::max<std::int64_t>(1, total - pick(0, 2 * longest)) : pick(1, total);
        SearchControl budget;
        budget.stepLimit = 200000;
        const SearchResult lit = literalSearch(times, target, budget);
        if (!lit.finished()) continue;
        const std::vector<std::int64_t> t(times.begin(), times.end());
        // From the start, and asked for values below the literal one + 1
        // (the scans then look at a few rooms per reaching track); the
        // superset rule must find one as small, the subset rule none smaller.
        const std::int64_t justAbove =
            lit.bestDiff < kInitialBestDiff ? lit.bestDiff + 1 : kInitialBestDiff;
        for (bool prefix : {false, true})
            for (std::int64_t best : {kInitialBestDiff, justAbove}) {
                std::int64_t spent = 0;
                split::OracleScratch scratch(split::words::fastest());
                const EngineTuning& tuning = prefix ? kShortBudgetTuning : kShippedTuning;
                const split::OracleAnswer a = split::exactValue(
                    t, target, {best, INT64_MAX, INT64_MAX}, spent, scratch, tuning);
                ASSERT_TRUE(a.exact);
                ASSERT_EQ(a.value, std::min(best, lit.bestDiff))
                    << describe(times, target) << (prefix ? " (prefix sums)" : "") << " best "
                    << best;
                // (It stops at the first value below `best`.)
                const std::int64_t possible = split::valueByRule<split::PossibleRule>(
                    t, target, best, INT64_MAX, spent, scratch.width, tuning);
                if (best == justAbove) {
                    ASSERT_LE(possible, lit.bestDiff)
                        << describe(times, target) << " superset rule";
                }
                const std::int64_t sure = split::valueByRule<split::SureRule>(
                    t, target, best, INT64_MAX, spent, scratch.width, tuning);
                ASSERT_GE(sure, std::min(best, lit.bestDiff))
                    << describe(times, target) << " subset rule";
            }
        ++compared;
    }
    EXPECT_GT(compared, 3500);
}

// Children bounded together: a child that value() shows empty below `best`
// has no value below it in its own walk (the list without it, with the room
// less its length), for children anywhere in the list, the shortest of them
// or only the longer ones, and lists that go on past a child's reaching
// track. Also asked just above each child's value.
TEST(FastSearch, ChildrenBoundedTogetherMissNoValue) {
    std::mt19937_64 rng(91);
    auto pick = [&](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
    };
    int started = 0, shownEmpty = 0;
    for (int k = 0; k < 3000; ++k) {
        const int n = static_cast<int>(pick(3, 9));
        Times times;
        for (int i = 0; i < n; ++i)
            times.push_back(
                static_cast<std::int32_t>(k % 2 ? (i % 5 + 1) * 2 + pick(0, 1) : pick(1, 12)));
        if (k % 3 == 0) times.back() = static_cast<std::int32_t>(pick(12, 40));  // a reaching track
        if (k % 4 == 3)
            for (auto& x : times) x = static_cast<std::int32_t>(x * 37);
        std::int64_t total = 0;
        for (auto x : times) total += x;
        const std::int64_t room = pick(2, total);
        const std::vector<std::int64_t> list(times.begin(), times.end());
        // The children: the tracks before the first one of at least the room.
        int children = 0;
        while (children < n && list[static_cast<std::size_t>(children)] < room) ++children;
        if (children < 2) continue;
        const int first = static_cast<int>(pick(0, children - 2));
        const int last = static_cast<int>(pick(first, std::min(children, n - 1) - 1));
        std::vector<std::int64_t> truth;  // by child: the smallest value of its walk
        for (int c = first; c <= last; ++c) {
            Times own = times;
            own.erase(own.begin() + c);
            truth.push_back(literalSearch(own, room - times[static_cast<std::size_t>(c)]).bestDiff);
        }
        for (const std::int64_t best :
             {kInitialBestDiff, truth[0] + 1, *std::min_element(truth.begin(), truth.end()) + 1}) {
            split::SiblingBound together;
            std::int64_t spent = 0;
            // The children of at least the first one's length, or all of them.
            std::int64_t shortest = list[static_cast<std::size_t>(first)];
            if (k % 5 < 2)
                for (int c = first; c <= last; ++c)
                    shortest = std::min(shortest, list[static_cast<std::size_t>(c)]);
            if (!together.start(list, room, {first, last, shortest}, best, INT64_MAX, spent,
                                split::words::fastest(), kShippedTuning))
                continue;
            ++started;
            for (int c = first; c <= last; ++c) {
                if (!together.covers(c)) continue;
                const std::int64_t lit = truth[static_cast<std::size_t>(c - first)];
                for (const std::int64_t asked : {best, std::min(best, lit + 1)}) {
                    const std::int64_t v = together.value(c, asked, spent);
                    if (v >= asked) {
                        ++shownEmpty;
                        ASSERT_GE(lit, asked) << describe(times, room) << " child " << c << " of "
                                              << first << ".." << last;
                    }
                }
            }
        }
    }
    EXPECT_GT(started, 500);
    EXPECT_GT(shownEmpty, 500);
}

// Many tracks of a few lengths, the target near their total: the smallest
// value (4, over every set the walk visits, each checked by the condition
// on its tracks after the reaching one) needs a set that takes every track
// of 92 s before its reaching track, made of items whose sums the bit
// arrays must keep while they are added.
TEST(FastSearch, OracleKeepsTheSumsOfFreeTracksNearTheTop) {
    const std::vector<std::int64_t> t = {110, 92, 98,  92, 98,  98, 101, 98, 92,
                                         98,  92, 221, 92, 154, 92, 154, 101};
    for (bool prefix : {false, true})
        for (std::int64_t best : {std::int64_t{5}, kInitialBestDiff}) {
            std::int64_t spent = 0;
            split::OracleScratch scratch(split::words::fastest());
            const EngineTuning& tuning = prefix ? kShortBudgetTuning : kShippedTuning;
            const split::OracleAnswer a =
                split::exactValue(t, 1769, {best, INT64_MAX, INT64_MAX}, spent, scratch, tuning);
            EXPECT_TRUE(a.exact);
            EXPECT_EQ(a.value, 4) << "best " << best << (prefix ? " (prefix sums)" : "");
            EXPECT_EQ(split::valueByRule<split::SureRule>(t, 1769, best, INT64_MAX, spent,
                                                          scratch.width, tuning),
                      4);
        }
    std::int64_t spent = 0;
    EXPECT_LE(split::valueByRule<split::PossibleRule>(t, 1769, 5, INT64_MAX, spent,
                                                      split::words::fastest(), kShippedTuning),
              4);
}

TEST(FastSearch, CancelFlagAndStepBudgetStopTheSearch) {
    const Times& times = kSmallAlphabet40;
    std::atomic<bool> cancel{true};
    SearchControl control;
    control.cancel = &cancel;
    EXPECT_EQ(fastSearch(times, 5747, control).end, SearchEnd::Cancelled) << "not cancelled";
    SearchControl budget;
    budget.stepLimit = 256;
    EXPECT_EQ(fastSearch(times, 5747, budget).end, SearchEnd::OutOfSteps) << "budget not applied";
}

}  // namespace
