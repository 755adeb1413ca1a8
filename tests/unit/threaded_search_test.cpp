// The search as the window runs it: each search on a thread of its own that
// ends with it, many one after another and several side by side. Every
// result must be the one the same search gives on the test's own thread,
// and the literal search's where that one finishes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "split_search.h"

namespace {

using ztp::FastOptions;
using ztp::SearchResult;
using Times = std::vector<std::int32_t>;

struct Job {
    std::string name;
    Times times;
    std::int64_t target;
    FastOptions options;
    SearchResult want;  // on the test's thread
};

std::vector<int> sortedSet(std::vector<int> v) {
    std::sort(v.begin(), v.end());
    return v;
}

bool sameResult(const SearchResult& a, const SearchResult& b) {
    return sortedSet(a.best) == sortedSet(b.best) && a.bestDiff == b.bestDiff &&
           a.exactHit == b.exactHit;
}

Times pick(std::mt19937_64& rng, int n, const std::vector<std::int32_t>& lengths) {
    Times t;
    for (int i = 0; i < n; ++i) t.push_back(lengths[rng() % lengths.size()]);
    return t;
}

Times between(std::mt19937_64& rng, int n, int lo, int hi) {
    Times t;
    for (int i = 0; i < n; ++i)
        t.push_back(static_cast<std::int32_t>(lo + static_cast<int>(rng() % (hi - lo + 1))));
    return t;
}

std::int64_t half(const Times& t) {
    std::int64_t s = 0;
    for (auto x : t) s += x;
    return s / 2;
}

// Inputs that take the engine's paths: short lists the literal search can
// check (as shipped, every bound from the first node, budgets cut short, the
// narrow word loops), and long ones: few near multiples with one long track
// (the oracle's outlier), few lengths on a tape (kept sums over many
// tracks), album tracks and ascending runs.
std::vector<Job> jobs() {
    std::mt19937_64 rng(2311);
    std::vector<Job> out;
    const FastOptions shipped, eager{ztp::kEagerBoundsTuning},
        shortBudgets{ztp::kShortBudgetTuning},
        narrow{ztp::kShortBudgetTuning, ztp::WordLoops::Narrow};
    for (int k = 0; k < 24; ++k) {
        const int n = 6 + k % 7;
        Times t = k % 3 == 0   ? pick(rng, n, {92, 98, 101, 154})
                  : k % 3 == 1 ? between(rng, n, 120, 480)
                               : between(rng, n, 1, 40);
        const std::int64_t target =
            k % 2 ? half(t) : half(t) * 2 - static_cast<std::int64_t>(rng() % 60);
        const FastOptions* options[] = {&shipped, &eager, &shortBudgets, &narrow};
        out.push_back({"short " + std::to_string(k), t, target, *options[k % 4], {}});
    }
    Times outlier = pick(rng, 498, {230, 231, 460, 690, 691});
    outlier[250] = 2529;
    out.push_back({"near multiples with a long one", outlier, half(outlier), shipped, {}});
    out.push_back({"near multiples with a long one, narrow", outlier, half(outlier), narrow, {}});
    const Times few = pick(rng, 2048, {50, 51, 100, 150, 151, 400});
    out.push_back({"few lengths on 46 minutes", few, 46 * 30, shipped, {}});
    out.push_back({"few lengths, both sides equal", few, half(few), shipped, {}});
    const Times album = between(rng, 2048, 120, 480);
    out.push_back({"album tracks on 120 minutes", album, 120 * 30, shipped, {}});
    Times ascending;
    for (int run = 0; ascending.size() < 300; ++run)
        for (int s = 2; s <= 2 + run % 14; ++s)
            ascending.push_back(static_cast<std::int32_t>(s * 3));
    out.push_back({"ascending runs, short budgets", ascending, half(ascending), shortBudgets, {}});
    return out;
}

// The literal search on the short inputs, where it finishes within its steps.
void expectLiteralWhereItAnswers(const std::vector<Job>& all) {
    int checked = 0;
    for (const Job& j : all) {
        if (j.times.size() > 12) continue;
        ztp::SearchControl limit;
        limit.stepLimit = 2'000'000;
        const SearchResult lit = ztp::literalSearch(j.times, j.target, limit);
        if (!lit.finished()) continue;
        EXPECT_TRUE(sameResult(lit, j.want)) << j.name;
        ++checked;
    }
    EXPECT_GE(checked, 12);
}

}  // namespace

TEST(ThreadedSearch, FreshThreadsOneAfterAnotherAndSideBySideAgree) {
    std::vector<Job> all = jobs();
    for (Job& j : all) j.want = ztp::fastSearch(j.times, j.target, {}, j.options);
    expectLiteralWhereItAnswers(all);

    // One thread a search, one after another, each input three times.
    for (int round = 0; round < 3; ++round)
        for (const Job& j : all) {
            SearchResult got;
            std::thread([&] { got = ztp::fastSearch(j.times, j.target, {}, j.options); }).join();
            ASSERT_TRUE(sameResult(got, j.want)) << j.name << " round " << round;
        }

    // Four threads side by side, each through every input in its own order,
    // and again on fresh threads.
    for (int wave = 0; wave < 2; ++wave) {
        std::vector<std::vector<char>> ok(4, std::vector<char>(all.size(), 0));
        std::vector<std::thread> threads;
        for (std::size_t w = 0; w < 4; ++w)
            threads.emplace_back([&, w] {
                for (std::size_t k = 0; k < all.size(); ++k) {
                    const std::size_t i = ((w % 2 ? all.size() - 1 - k : k) + 7 * w) % all.size();
                    const Job& j = all[i];
                    ok[w][i] =
                        sameResult(ztp::fastSearch(j.times, j.target, {}, j.options), j.want);
                }
            });
        for (auto& t : threads) t.join();
        for (std::size_t w = 0; w < 4; ++w)
            for (std::size_t i = 0; i < all.size(); ++i)
                EXPECT_TRUE(ok[w][i]) << all[i].name << " on thread " << w << " of wave " << wave;
    }
}
