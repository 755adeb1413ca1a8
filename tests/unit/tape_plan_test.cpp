// Plans for real tapes against brute force on small inputs: every split,
// cut and packing the planner gives fits and honours the pins, and none
// better exists.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tape_plan.h"

using namespace ztp::tape;

namespace {

using Times = std::vector<std::int32_t>;

struct Case {
    Times times;
    std::vector<Pin> pins;
    SideRules rules;
};

std::string describe(const Case& c) {
    std::string s = "times {";
    for (std::size_t i = 0; i < c.times.size(); ++i) {
        s += std::to_string(c.times[i]);
        if (c.pins[i] != Pin::Free) s += c.pins[i] == Pin::A ? "A" : "B";
        s += " ";
    }
    return s + "} side " + std::to_string(c.rules.side) + " gap " + std::to_string(c.rules.gap) +
           " leader " + std::to_string(c.rules.leader);
}

// Album-like lengths, few lengths, or tiny ones; a side near half the total.
Case randomCase(std::mt19937_64& rng, int maxTracks, bool withPins) {
    auto pick = [&](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
    };
    Case c;
    const int n = static_cast<int>(pick(0, maxTracks));
    const int family = static_cast<int>(pick(0, 2));
    std::int64_t total = 0;
    for (int i = 0; i < n; ++i) {
        const std::int64_t t = family == 0   ? pick(120, 480)
                               : family == 1 ? 60 * pick(2, 5)
                                             : pick(0, 20);
        c.times.push_back(static_cast<std::int32_t>(t));
        total += t;
        const std::int64_t r = pick(0, 9);
        c.pins.push_back(!withPins || r > 1 ? Pin::Free : r == 0 ? Pin::A : Pin::B);
    }
    c.rules.gap = pick(0, 3) == 0 ? 0 : pick(0, family == 2 ? 3 : 8);
    c.rules.leader = pick(0, 2) == 0 ? 0 : pick(0, 10);
    c.rules.side = std::max<std::int64_t>(0, total / 2 + pick(-total / 8 - 5, total / 4 + 20));
    return c;
}

std::int64_t sideLength(const Case& c, const std::vector<int>& side) {
    std::int64_t music = 0;
    for (int i : side) music += c.times[static_cast<std::size_t>(i)];
    return planned(music, static_cast<std::int64_t>(side.size()), c.rules);
}

bool honours(const Case& c, const std::vector<int>& a, const std::vector<int>& b) {
    for (int i : a)
        if (c.pins[static_cast<std::size_t>(i)] == Pin::B) return false;
    for (int i : b)
        if (c.pins[static_cast<std::size_t>(i)] == Pin::A) return false;
    std::vector<int> all = a;
    all.insert(all.end(), b.begin(), b.end());
    std::sort(all.begin(), all.end());
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i] != static_cast<int>(i)) return false;
    return all.size() == c.times.size() && std::is_sorted(a.begin(), a.end()) &&
           std::is_sorted(b.begin(), b.end());
}

// The sides of a subset mask.
void sidesOf(const Case& c, unsigned mask, std::vector<int>& a, std::vector<int>& b) {
    a.clear();
    b.clear();
    for (std::size_t i = 0; i < c.times.size(); ++i)
        (mask >> i & 1 ? a : b).push_back(static_cast<int>(i));
}

// The fewest sides of capacity `side` that take every track: over subsets.
int fewestSides(const Case& c) {
    const int n = static_cast<int>(c.times.size());
    const unsigned full = (1u << n) - 1;
    std::vector<int> best(full + 1, 1 << 20);
    best[0] = 0;
    std::vector<int> a, b;
    for (unsigned m = 1; m <= full; ++m)
        for (unsigned s = m; s; s = (s - 1) & m) {
            sidesOf(c, s, a, b);
            if (sideLength(c, a) <= c.rules.side) best[m] = std::min(best[m], best[m & ~s] + 1);
        }
    return best[full];
}

}  // namespace

TEST(TapePlan, FitSplitsAndCutsAgainstEverySplit) {
    std::mt19937_64 rng(27);
    int fitted = 0, refused = 0, cuts = 0;
    for (int k = 0; k < 4000; ++k) {
        const Case c = randomCase(rng, 11, k % 2 == 1);
        const int n = static_cast<int>(c.times.size());
        // Brute force: the longest side A of any split that fits and honours the pins.
        std::int64_t bestA = -1;
        std::vector<int> a, b;
        for (unsigned m = 0; m < (1u << n); ++m) {
            sidesOf(c, m, a, b);
            if (honours(c, a, b) && sideLength(c, a) <= c.rules.side &&
                sideLength(c, b) <= c.rules.side)
                bestA = std::max(bestA, sideLength(c, a));
        }
        const auto split = fitSplit(c.times, c.pins, c.rules);
        ASSERT_EQ(split.has_value(), bestA >= 0) << describe(c);
        if (split) {
            ++fitted;
            ASSERT_TRUE(honours(c, split->a, split->b)) << describe(c);
            EXPECT_LE(sideLength(c, split->b), c.rules.side) << describe(c);
            EXPECT_EQ(sideLength(c, split->a), bestA) << describe(c);
            const auto again = fitSplit(c.times, c.pins, c.rules);
            EXPECT_EQ(again->a, split->a) << "the same split on every run";
        } else {
            ++refused;
        }
        // Cuts: the album in its order.
        std::optional<int> bestCut, closestA, closestB;
        const std::int64_t target = c.rules.side;
        std::int64_t dA = 0, lA = 0, dB = 0, lB = 0;
        for (int cut = 0; cut <= n; ++cut) {
            a.clear();
            b.clear();
            for (int i = 0; i < n; ++i) (i < cut ? a : b).push_back(i);
            if (!honours(c, a, b)) continue;
            if (sideLength(c, a) <= c.rules.side && sideLength(c, b) <= c.rules.side) bestCut = cut;
            // Closest by w sums (a side's tracks each with a gap).
            auto w = [&](const std::vector<int>& s) {
                std::int64_t x = 0;
                for (int i : s) x += c.times[static_cast<std::size_t>(i)] + c.rules.gap;
                return x;
            };
            const std::int64_t da = std::abs(w(a) - target), db = std::abs(w(b) - target);
            if (!closestA || da < dA || (da == dA && w(a) > lA)) closestA = cut, dA = da, lA = w(a);
            if (!closestB || db < dB || (db == dB && w(b) > lB)) closestB = cut, dB = db, lB = w(b);
        }
        EXPECT_EQ(fitCut(c.times, c.pins, c.rules), bestCut) << describe(c);
        EXPECT_EQ(closestCut(c.times, c.pins, c.rules, target, false), closestA) << describe(c);
        EXPECT_EQ(closestCut(c.times, c.pins, c.rules, target, true), closestB) << describe(c);
        if (bestCut) ++cuts;
    }
    EXPECT_GT(fitted, 1000);
    EXPECT_GT(refused, 300);
    EXPECT_GT(cuts, 500);
}

TEST(TapePlan, PackingsAgainstTheFewestSides) {
    std::mt19937_64 rng(28);
    int proven = 0, limited = 0;
    for (int k = 0; k < 1500; ++k) {
        Case c = randomCase(rng, 8, false);
        c.rules.side =
            c.rules.side / 2 + 30 + static_cast<std::int64_t>(rng() % 200);  // a few sides
        const int n = static_cast<int>(c.times.size());
        bool anyTooLong = false;
        for (int i = 0; i < n; ++i) anyTooLong = anyTooLong || sideLength(c, {i}) > c.rules.side;
        const int fewest = anyTooLong ? -1 : fewestSides(c);
        const int fewestTapes = fewest < 0 ? -1 : (fewest + 1) / 2;
        for (int maxTapes : {0, 1, 2, 3}) {
            const Packing p = packSides(c.times, c.rules, maxTapes, false);
            if (fewest < 0) {
                EXPECT_TRUE(p.sides.empty()) << describe(c);
                continue;
            }
            EXPECT_LE(p.lowerBound, fewest) << describe(c);
            if (maxTapes > 0 && fewestTapes > maxTapes) {
                EXPECT_TRUE(p.sides.empty()) << describe(c) << " on " << maxTapes;
                EXPECT_GT(p.lowerBound, 2 * maxTapes) << describe(c) << " on " << maxTapes;
                ++limited;
                continue;
            }
            ASSERT_FALSE(p.sides.empty() && n > 0) << describe(c) << " on " << maxTapes;
            EXPECT_EQ(p.sides.size() % 2, 0u);
            std::vector<int> all;
            for (const auto& s : p.sides) {
                EXPECT_LE(sideLength(c, s), c.rules.side) << describe(c);
                EXPECT_TRUE(std::is_sorted(s.begin(), s.end()));
                all.insert(all.end(), s.begin(), s.end());
            }
            std::sort(all.begin(), all.end());
            EXPECT_EQ(static_cast<int>(all.size()), n);
            EXPECT_TRUE(std::adjacent_find(all.begin(), all.end()) == all.end());
            if (maxTapes == 0) {
                EXPECT_TRUE(p.fewest)
                    << describe(c);  // small inputs: the exact search settles them
                EXPECT_EQ(static_cast<int>(p.sides.size()) / 2, fewestTapes) << describe(c);
                ++proven;
            } else {
                EXPECT_LE(static_cast<int>(p.sides.size()) / 2, maxTapes);
            }
        }
        // In order: the fewest runs, each a run of the table order.
        if (fewest >= 0 && n > 0) {
            const Packing o = packSides(c.times, c.rules, 0, true);
            int runs = 0;
            for (int start = 0; start < n;) {
                int end = start + 1;
                std::vector<int> run{start};
                while (end < n) {
                    run.push_back(end);
                    if (sideLength(c, run) > c.rules.side) break;
                    ++end;
                }
                ++runs;
                start = end;
            }
            EXPECT_EQ(o.lowerBound, runs) << describe(c);
            EXPECT_TRUE(o.fewest);
            int next = 0;
            for (const auto& s : o.sides)
                for (int i : s) EXPECT_EQ(i, next++) << describe(c);
        }
    }
    EXPECT_GT(proven, 800);
    EXPECT_GT(limited, 100);
}

// Sides filled to the last second, their pieces shuffled: the fewest tapes
// are known, and greedy filling often misses them, so the exact search must
// find them.
TEST(TapePlan, PerfectPackingsAreFound) {
    std::mt19937_64 rng(29);
    int heuristicsMissed = 0;
    for (int k = 0; k < 300; ++k) {
        const int sides = 3 + static_cast<int>(rng() % 4);
        SideRules rules{static_cast<std::int64_t>(600 + rng() % 600),
                        static_cast<std::int64_t>(rng() % 3), 0};
        const std::int64_t cap = capacity(rules);
        Times times;
        for (int s = 0; s < sides; ++s) {
            std::int64_t left = cap;
            const int pieces = 3 + static_cast<int>(rng() % 2);
            for (int p = 0; p < pieces - 1; ++p) {
                const std::int64_t w = cap / pieces - 40 + static_cast<std::int64_t>(rng() % 80);
                times.push_back(static_cast<std::int32_t>(w - rules.gap));
                left -= w;
            }
            times.push_back(static_cast<std::int32_t>(left - rules.gap));
        }
        std::shuffle(times.begin(), times.end(), rng);
        const int tapes = (sides + 1) / 2;
        const Packing fewest = packSides(times, rules, 0, false);
        ASSERT_EQ(static_cast<int>(fewest.sides.size()) / 2, tapes);
        EXPECT_TRUE(fewest.fewest);
        const Packing onTapes = packSides(times, rules, tapes, false);
        ASSERT_FALSE(onTapes.sides.empty());
        std::size_t placed = 0;
        for (const auto& s : onTapes.sides) {
            std::int64_t sum = 0;
            for (int i : s) sum += times[static_cast<std::size_t>(i)] + rules.gap;
            EXPECT_LE(sum, cap);
            placed += s.size();
        }
        EXPECT_EQ(placed, times.size());
        // With an odd number of full sides one tape has a side to spare;
        // with an even number the packing is perfect, and one tape fewer none.
        if (sides % 2 == 0) {
            const Packing fewer = packSides(times, rules, tapes - 1, false);
            EXPECT_TRUE(fewer.sides.empty());
            EXPECT_GT(fewer.lowerBound, 2 * (tapes - 1));
        }
        std::vector<std::int64_t> w;
        for (auto t : times) w.push_back(t + rules.gap);
        (void)heuristicsMissed;
    }
}

// Long lists on a tape whose side is near half their total: the largest
// side A against a plain table of every subset sum, where the planner first
// tries the list's core (lengths of any kind, all even, all multiples of 7).
TEST(TapePlan, LongListsOnLongTapesAgainstAPlainTable) {
    std::mt19937_64 rng(30);
    for (int k = 0; k < 12; ++k) {
        const int mult = k % 3 == 0 ? 1 : k % 3 == 1 ? 2 : 7;
        Times times;
        std::int64_t total = 0;
        for (int i = 0; i < 2048; ++i) {
            const std::int32_t t =
                static_cast<std::int32_t>(mult * (1 + static_cast<int>(rng() % (2000 / mult))));
            times.push_back(t);
            total += t;
        }
        const SideRules rules{total / 2 + static_cast<std::int64_t>(rng() % 50), 0, 0};
        // The plain table: every subset sum up to the side.
        const std::int64_t cap = rules.side;
        std::vector<std::uint64_t> bits(static_cast<std::size_t>(cap / 64 + 1), 0);
        bits[0] = 1;
        for (std::int32_t t : times) {
            const std::size_t q = static_cast<std::size_t>(t / 64);
            const unsigned b = static_cast<unsigned>(t % 64);
            for (std::size_t w = bits.size(); w-- > q;) {
                std::uint64_t v = bits[w - q] << b;
                if (b && w > q) v |= bits[w - q - 1] >> (64 - b);
                bits[w] |= v;
            }
        }
        std::int64_t best = -1;
        for (std::int64_t s = cap; s >= total - cap && best < 0; --s)
            if (bits[static_cast<std::size_t>(s / 64)] >> (s % 64) & 1) best = s;
        const auto split = fitSplit(times, {}, rules);
        ASSERT_EQ(split.has_value(), best >= 0);
        if (!split) continue;
        std::int64_t a = 0;
        for (int i : split->a) a += times[static_cast<std::size_t>(i)];
        EXPECT_EQ(a, best) << "case " << k;
        EXPECT_LE(total - a, rules.side);
        EXPECT_EQ(split->a.size() + split->b.size(), times.size());
    }
}
