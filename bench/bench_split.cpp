// Side split search benchmark: the fast engine on named input families, and
// where the literal search finishes within a step budget (about 10 s), the
// ratio literal time / fast time as the counter "literal_x" (and the
// literal time as "literal_s").
//
// Run: bench_split [--benchmark_filter=REGEX]
// A family on which the fast engine passes kFastNodeCap nodes is reported as
// an error with the time to the cap.
// Set ZTP_BENCH_LITERAL_STEPS to change the literal budget (0 = skip literal).
//
// The families named Plan_... time the plans for real tapes instead (the
// fit, cuts in play order, the mode's search with pins, gaps and leader,
// sets of tapes), the whole plan ztp-plan makes from the tracks.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench_util.h"
#include "split_search.h"
#include "tape_plan.h"

namespace {

using Times = std::vector<std::int32_t>;

struct Input {
    Times times;
    std::int64_t target;
};

using ztp::bench::total;

Times randomTimes(int n, int lo, int hi, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> d(lo, hi);
    Times t;
    for (int i = 0; i < n; ++i) t.push_back(d(rng));
    return t;
}

Times alphabetTimes(int n, std::uint64_t seed) {
    static const std::int32_t kAlphabet[] = {100, 101, 200, 300, 301, 997};
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> d(0, 5);
    Times t;
    for (int i = 0; i < n; ++i) t.push_back(kAlphabet[d(rng)]);
    return t;
}

// n tracks drawn from the given lengths.
Times pickTimes(int n, const std::vector<std::int32_t>& lengths, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<std::size_t> d(0, lengths.size() - 1);
    Times t;
    for (int i = 0; i < n; ++i) t.push_back(lengths[d(rng)]);
    return t;
}

std::int64_t half(const Times& t) { return total(t) / 2; }
std::int64_t tape(int minutes) { return static_cast<std::int64_t>(minutes) * 30; }

std::uint64_t literalBudget() {
    if (const char* env = std::getenv("ZTP_BENCH_LITERAL_STEPS"))
        return std::strtoull(env, nullptr, 10);
    return 100'000'000;  // about 10 s of the literal walk on this machine
}

// Seconds the literal search takes, or a negative value if it does not
// finish within the budget.
double literalSeconds(const Input& in) {
    const std::uint64_t budget = literalBudget();
    if (budget == 0) return -1;
    // Deep paths make literal steps slow, so a watchdog also stops it at 10 s.
    ztp::bench::CancelAfter watchdog(std::chrono::seconds(10));
    ztp::SearchControl control;
    control.stepLimit = budget;
    control.cancel = watchdog.flag();
    const auto start = std::chrono::steady_clock::now();
    const bool done = ztp::literalSearch(in.times, in.target, control).finished();
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return done ? secs : -1;
}

// Node cap for the fast engine, so that a family it cannot do in time is
// reported (with the time to the cap) instead of running for hours.
constexpr std::uint64_t kFastNodeCap = 5'000'000;

void runFamily(benchmark::State& state, const Input& in) {
    {
        ztp::SearchControl cap;
        cap.stepLimit = kFastNodeCap;
        const auto start = std::chrono::steady_clock::now();
        if (!ztp::fastSearch(in.times, in.target, cap).finished()) {
            const double secs =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            state.SkipWithError(
                ("fast engine passed its node cap after " + std::to_string(secs) + " s").c_str());
            for (auto _ : state) {}
            return;
        }
    }
    const double literal = literalSeconds(in);
    const auto start = std::chrono::steady_clock::now();
    std::int64_t iterations = 0;
    ztp::SearchResult last;
    for (auto _ : state) {
        last = ztp::fastSearch(in.times, in.target);
        benchmark::DoNotOptimize(last);
        ++iterations;
    }
    const double fast =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
        double(iterations);
    state.counters["tracks"] = static_cast<double>(in.times.size());
    state.counters["T"] = static_cast<double>(in.target);
    state.counters["diff"] = static_cast<double>(last.bestDiff);
    state.counters["nodes"] = static_cast<double>(last.steps);
    if (literal >= 0) {
        state.counters["literal_s"] = literal;
        state.counters["literal_x"] = literal / fast;
    }
}

void registerFamily(const std::string& name, std::function<Input()> make) {
    benchmark::RegisterBenchmark(name.c_str(), [make](benchmark::State& state) {
        runFamily(state, make());
    })->Unit(benchmark::kMillisecond);
}

void registerAll() {
    // One album on a long tape: every track fits on one side.
    registerFamily("Album12_LongTape_A", [] {
        Times t = randomTimes(12, 150, 300, 12);
        return Input{t, tape(120)};
    });
    // A tape just under the total.
    for (std::uint64_t seed : {1, 2, 3})
        registerFamily("Tracks14_TapeJustUnderTotal/seed:" + std::to_string(seed), [seed] {
            Times t = randomTimes(14, 150, 420, 100 + seed);
            return Input{t, (total(t) - 1) / 30 * 30};
        });
    // 40 album tracks in every mode (side B first searches like side A first).
    for (std::uint64_t seed : {1, 2, 3}) {
        const std::string s = "/seed:" + std::to_string(seed);
        registerFamily("Album40_Both" + s, [seed] {
            Times t = randomTimes(40, 120, 480, 200 + seed);
            return Input{t, half(t)};
        });
        registerFamily("Album40_Tape46" + s, [seed] {
            return Input{randomTimes(40, 120, 480, 200 + seed), tape(46)};
        });
        registerFamily("Album40_Tape90" + s, [seed] {
            return Input{randomTimes(40, 120, 480, 200 + seed), tape(90)};
        });
        registerFamily("Album40_TapeNearHalf" + s, [seed] {
            Times t = randomTimes(40, 120, 480, 200 + seed);
            return Input{t, (total(t) / 60 + 1) * 30};
        });
        registerFamily("Album40_TapeLong" + s, [seed] {
            Times t = randomTimes(40, 120, 480, 200 + seed);
            return Input{t, (total(t) / 30 + 2) * 30};
        });
    }
    // Many tracks.
    for (std::uint64_t seed : {1, 2}) {
        const std::string s = "/seed:" + std::to_string(seed);
        registerFamily("Random2048_Both" + s, [seed] {
            Times t = randomTimes(2048, 0, 15359, 300 + seed);
            return Input{t, half(t)};
        });
        registerFamily("Random2048_Album_Both" + s, [seed] {
            Times t = randomTimes(2048, 60, 600, 400 + seed);
            return Input{t, half(t)};
        });
        registerFamily("Random2048_Tape120" + s, [seed] {
            return Input{randomTimes(2048, 60, 600, 400 + seed), tape(120)};
        });
    }
    // Few lengths, some near sums or multiples of others: 2048 tracks drawn
    // from {50, 51, 100, 150, 151, 400} s, side A first and side B first
    // (the same search, the sides exchanged after it) and both sides equal.
    for (int minutes : {46, 120}) {
        for (const char* side : {"A", "B"})
            registerFamily(
                "NearMultiples2048_Tape" + std::to_string(minutes) + "_" + side, [minutes] {
                    return Input{pickTimes(2048, {50, 51, 100, 150, 151, 400}, 900), tape(minutes)};
                });
    }
    registerFamily("NearMultiples2048_Both", [] {
        Times t = pickTimes(2048, {50, 51, 100, 150, 151, 400}, 900);
        return Input{t, half(t)};
    });
    // Inputs hunt_split found slow: b, b + 1, 3b (and 2b, 3b + 1, a long one).
    registerFamily("NearMultiples1551_Both", [] {
        Times t = pickTimes(1551, {115, 116, 346}, 901);
        return Input{t, half(t)};
    });
    registerFamily("NearMultiples498_LongOne_Both", [] {
        Times t = pickTimes(498, {230, 231, 460, 690, 691, 2529}, 902);
        return Input{t, half(t)};
    });
    registerFamily("OneLength2048_Tape46", [] { return Input{Times(2048, 247), tape(46)}; });
    registerFamily("OneLength2048_Both", [] {
        Times t(2048, 247);
        return Input{t, half(t)};
    });
    // Small alphabets of lengths.
    for (int n : {20, 40, 60, 2048}) {
        registerFamily("Alphabet_Both/n:" + std::to_string(n), [n] {
            Times t = alphabetTimes(n, 500 + static_cast<std::uint64_t>(n));
            return Input{t, half(t)};
        });
        registerFamily("Alphabet_Tape46/n:" + std::to_string(n), [n] {
            return Input{alphabetTimes(n, 500 + static_cast<std::uint64_t>(n)), tape(46)};
        });
    }
    // Even lengths with an odd target: no exact hit exists.
    for (int n : {20, 40, 300}) {
        registerFamily("EvenOddTarget/n:" + std::to_string(n), [n] {
            Times t = randomTimes(n, 60, 240, 600 + static_cast<std::uint64_t>(n));
            for (auto& x : t) x *= 2;
            return Input{t, half(t) | 1};
        });
    }
    // A few hundred tracks, a hundred of them 0 seconds long.
    registerFamily("Zeros100of300_Both", [] {
        Times t = randomTimes(300, 60, 480, 700);
        std::mt19937_64 rng(701);
        for (int k = 0; k < 100; ++k)
            t[std::uniform_int_distribution<std::size_t>(0, 299)(rng)] = 0;
        return Input{t, half(t)};
    });
    registerFamily("Zeros100of300_Tape46", [] {
        Times t = randomTimes(300, 60, 480, 700);
        for (int k = 0; k < 100; ++k) t[static_cast<std::size_t>(k * 3)] = 0;
        return Input{t, tape(46)};
    });
    // A long first track followed by many short ones.
    registerFamily("LongFirst_ManyShort_Both", [] {
        Times t = randomTimes(400, 5, 60, 800);
        t.insert(t.begin(), 15359);
        return Input{t, half(t)};
    });
    registerFamily("LongFirst_ManyShort_Tape90", [] {
        Times t = randomTimes(400, 5, 60, 801);
        t.insert(t.begin(), 2600);
        return Input{t, tape(90)};
    });
}

// A plan for real tapes, timed whole; `plan` returns the tracks it put on
// side A of the first tape (or -1 when there is no plan), shown as "on_A".
void registerPlan(const std::string& name, std::function<Times()> make,
                  std::function<std::int64_t(const Times&)> plan) {
    benchmark::RegisterBenchmark(("Plan_" + name).c_str(), [make, plan](benchmark::State& state) {
        const Times t = make();
        std::int64_t last = 0;
        for (auto _ : state) {
            last = plan(t);
            benchmark::DoNotOptimize(last);
        }
        state.counters["tracks"] = static_cast<double>(t.size());
        state.counters["on_A"] = static_cast<double>(last);
    })->Unit(benchmark::kMillisecond);
}

using ztp::tape::Pin;
using ztp::tape::SideRules;

std::int64_t onA(const std::optional<ztp::tape::Split>& s) {
    return s ? static_cast<std::int64_t>(s->a.size()) : -1;
}
std::int64_t onA(const ztp::tape::Packing& p) {
    return p.sides.empty() ? -1 : static_cast<std::int64_t>(p.sides[0].size());
}

// Every fifth track pinned, to side A and B in turn.
std::vector<Pin> everyFifth(std::size_t n) {
    std::vector<Pin> pins(n, Pin::Free);
    for (std::size_t i = 0; i < n; i += 5) pins[i] = i % 10 == 0 ? Pin::A : Pin::B;
    return pins;
}

void registerPlans() {
    const SideRules c60{1800, 2, 8}, c90{2700, 4, 8};
    // Albums: one tape, the fit, in order, with pins.
    for (std::uint64_t seed : {1, 2, 3}) {
        const std::string s = "/seed:" + std::to_string(seed);
        auto album = [seed] { return randomTimes(12, 150, 330, 300 + seed); };
        registerPlan("Album12_Fit_C60" + s, album,
                     [c60](const Times& t) { return onA(ztp::tape::fitSplit(t, {}, c60)); });
        registerPlan("Album12_FitPinned_C60" + s, album, [c60](const Times& t) {
            return onA(ztp::tape::fitSplit(t, everyFifth(t.size()), c60));
        });
        registerPlan("Album12_KeepOrder_C60" + s, album, [c60](const Times& t) {
            return ztp::tape::fitCut(t, {}, c60).value_or(-1);
        });
        auto album40 = [seed] { return randomTimes(40, 120, 480, 200 + seed); };
        // A side just long enough for half the tracks with their gaps.
        registerPlan("Album40_Fit_JustLongEnough" + s, album40, [](const Times& t) {
            return onA(ztp::tape::fitSplit(t, {}, SideRules{(total(t) + 80) / 2 + 60, 2, 8}));
        });
        registerPlan("Album40_Tapes_C60" + s, album40,
                     [c60](const Times& t) { return onA(ztp::tape::packSides(t, c60, 0, false)); });
        // The mode's search with pins and gaps: side A first on a C90.
        registerPlan("Album40_PinnedSearch_C90" + s, album40, [c90](const Times& t) {
            const auto ps = ztp::tape::pinnedSearch(t, everyFifth(t.size()), c90,
                                                    c90.side - c90.leader + c90.gap, Pin::A);
            return static_cast<std::int64_t>(ztp::fastSearch(ps.times, ps.target).best.size());
        });
    }
    // 2048 tracks: a side near half their total (the fit's core), sets of
    // tapes of album tracks, of few lengths, of long tracks, in order, and
    // the mode's search with pins.
    auto random2048 = [] { return randomTimes(2048, 1, 15359, 500); };
    registerPlan("Random2048_Fit_HalfTotal", random2048, [](const Times& t) {
        return onA(ztp::tape::fitSplit(t, {}, SideRules{total(t) / 2 + 50, 0, 0}));
    });
    registerPlan("Random2048_FitPinned_HalfTotal", random2048, [](const Times& t) {
        return onA(ztp::tape::fitSplit(t, everyFifth(t.size()), SideRules{total(t) / 2 + 50, 0, 0}));
    });
    auto album2048 = [] { return randomTimes(2048, 120, 480, 501); };
    registerPlan("Album2048_Tapes_C90", album2048,
                 [c90](const Times& t) { return onA(ztp::tape::packSides(t, c90, 0, false)); });
    registerPlan("Album2048_TapesInOrder_C90", album2048,
                 [c90](const Times& t) { return onA(ztp::tape::packSides(t, c90, 0, true)); });
    registerPlan("Album2048_Tapes120_C90", album2048,
                 [c90](const Times& t) { return onA(ztp::tape::packSides(t, c90, 120, false)); });
    registerPlan("Album2048_KeepOrder_Equal", album2048, [](const Times& t) {
        return ztp::tape::closestCut(t, {}, SideRules{0, 2, 8}, ztp::tape::equalTarget(t, {0, 2, 8}), false)
            .value_or(-1);
    });
    registerPlan("Album2048_PinnedSearch_Equal", album2048, [](const Times& t) {
        const SideRules rules{0, 2, 8};
        const auto ps = ztp::tape::pinnedSearch(t, everyFifth(t.size()), rules, ztp::tape::equalTarget(t, rules),
                                                Pin::A);
        return static_cast<std::int64_t>(ztp::fastSearch(ps.times, ps.target).best.size());
    });
    registerPlan("Few2048_Tapes_C60", [] { return pickTimes(2048, {180, 200, 240, 300}, 502); },
                 [](const Times& t) { return onA(ztp::tape::packSides(t, SideRules{1800, 1, 0}, 0, false)); });
    registerPlan("Long2048_Tapes_Side34555s", [] { return randomTimes(2048, 14000, 15359, 503); },
                 [](const Times& t) { return onA(ztp::tape::packSides(t, SideRules{34555, 0, 0}, 0, false)); });
}

}  // namespace

int main(int argc, char** argv) {
    registerAll();
    registerPlans();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
