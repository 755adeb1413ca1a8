// The fast engine's tunables: its work budgets and thresholds, in one place.
// No field changes which split the engine finds, only how soon it finds it
// (docs/split-engine.md): every budget a bound runs out of leaves the node
// to the walk, which is exact on its own.
#pragma once
#include <array>
#include <cstdint>

namespace ztp {

// Whether the bounds by reaching track test their walls against kept prefix
// sums only where that is clearly cheaper, or wherever it is allowed.
enum class PrefixSumsUse { WhereCheaper, Always };

// When the children that follow an empty sibling are bounded together: after
// a run of them was shown empty one by one, or at once.
enum class SiblingGrouping { AfterRuns, Always };

// Each field: its meaning, then its range.
struct EngineTuning {
    // Walks from the root, each with a work budget per node for the bounds
    // by rule and limits after which the next one starts (a restart keeps
    // the best set, so the part already walked records nothing again).
    struct Phase {
        std::int64_t perNodeWork;  // words one node's bounds by rule may take; 0: cheap bound only
        std::uint64_t steps;       // steps after which the next walk starts; 0: none
        std::int64_t ruleWork;     // words of bounds after which the next walk starts; 0: none
    };
    static constexpr std::size_t kPhaseCount = 3;

    // The walk:
    // The walks in turn; perNodeWork, steps, ruleWork >= 0.
    std::array<Phase, kPhaseCount> phases;
    // The walk the search starts with; [0, kPhaseCount).
    std::size_t firstPhase;
    // Steps before the subset-sum bound runs (most walks end sooner); >= 0.
    std::uint64_t cheapBoundAfter;
    // Words the subset-sum bound of one node may touch; > 0.
    std::int64_t cheapBoundWords;
    // Up to this many tracks a node scans its list, past it asks the tree; >= 0.
    int scanUpTo;
    // Up to this many distinct lengths the subset-sum bound counts by length; >= 0.
    std::int64_t countsUpTo;

    // The bounds by rule of a node (the oracle, the superset and subset rules):
    // Words a node's bound may likely take on entering; past it, the bound
    // waits until the walk below has spent as much; > 0.
    std::int64_t eagerWork;
    // Words a step of the walk below a waiting node counts; > 0.
    std::int64_t workPerStep;
    // Words the bounds over the whole walk may take; > 0.
    std::int64_t rootWork;
    // The staircases' full budget, words (or 4 times the plain part); > 0.
    std::int64_t windowWork;
    // Their first budget, words (or a quarter of the plain part); > 0.
    std::int64_t firstWindowWork;
    // No staircase budget above this, words; > 0.
    std::int64_t windowWorkCap;
    // Nodes shown empty only by the full staircase budget, given at once,
    // before the small one comes first again; >= 0.
    int windowInFullRuns;
    // Words of bit arrays a rule may build; > 0.
    std::int64_t ruleMemoryWords;

    // Children of one node bounded together (SiblingBound):
    // Children bounded by one scan of their parent's list; >= 1.
    int siblingSpan;
    // Empty children bounded alone before the rest go together; >= 0.
    int siblingsAlone;
    // Words: a child's bound this dear goes together at once; > 0.
    std::int64_t siblingsAtOnceWork;
    // When children go together.
    SiblingGrouping siblingGrouping;
    // The parent's list is at least this many times the children bounded; >= 0.
    int siblingListShare;

    // The kept prefix sums of the bounds by reaching track (PrefixSums):
    // Kept only when asked for values up to this; [0, 3].
    std::int64_t prefixMaxBest;
    // Kept only when they fit in this many words; > 0.
    std::int64_t prefixWords;
    // Not kept for bit arrays shorter than this many words; >= 0.
    std::int64_t prefixMinWords;
    // Where they are used.
    PrefixSumsUse prefixSums;

    // The subtree oracle (split_oracle.cpp):
    // The plain sums are kept every this many tracks; >= 1.
    std::int64_t snapshotStride;
    // Or every more, so that they fit in this many words; > 0.
    std::int64_t snapshotWords;
    // Words of leaf sums kept by free list; >= 0.
    std::int64_t memoWords;
    // Words a leaf or a close is charged per free track; >= 0.
    std::int64_t leafWorkPerFree;
    // Free lists are counted in a table up to this many distinct lengths; >= 0.
    std::size_t freeTableUpTo;
    // The free lists' hashes are masked with it (0: every list collides).
    std::uint64_t freeHashMask;
};

// As shipped.
inline constexpr EngineTuning kShippedTuning = {
    .phases = {{
        {0, 500, 0},
        {std::int64_t{1} << 20, 20000, std::int64_t{1} << 28},
        {std::int64_t{1} << 32, 0, 0},
    }},
    .firstPhase = 0,
    .cheapBoundAfter = 500,
    .cheapBoundWords = std::int64_t{1} << 16,
    .scanUpTo = 64,
    .countsUpTo = 64,
    .eagerWork = std::int64_t{1} << 21,
    .workPerStep = std::int64_t{1} << 14,
    .rootWork = std::int64_t{1} << 31,
    .windowWork = std::int64_t{1} << 28,
    .firstWindowWork = std::int64_t{1} << 22,
    .windowWorkCap = INT64_MAX,
    .windowInFullRuns = 3,
    .ruleMemoryWords = std::int64_t{1} << 22,
    .siblingSpan = 64,
    .siblingsAlone = 2,
    .siblingsAtOnceWork = std::int64_t{1} << 26,
    .siblingGrouping = SiblingGrouping::AfterRuns,
    .siblingListShare = 8,
    .prefixMaxBest = 3,
    .prefixWords = std::int64_t{1} << 23,
    .prefixMinWords = 128,
    .prefixSums = PrefixSumsUse::WhereCheaper,
    .snapshotStride = 16,
    .snapshotWords = std::int64_t{1} << 22,
    .memoWords = std::int64_t{1} << 21,
    .leafWorkPerFree = 16,
    .freeTableUpTo = 256,
    .freeHashMask = ~std::uint64_t{0},
};

// Every bound from the first node: the last walk alone, nothing waiting.
constexpr EngineTuning everyBoundFromFirstNode(EngineTuning t) {
    t.firstPhase = EngineTuning::kPhaseCount - 1;
    t.eagerWork = t.phases[EngineTuning::kPhaseCount - 1].perNodeWork;
    return t;
}
inline constexpr EngineTuning kEagerBoundsTuning = everyBoundFromFirstNode(kShippedTuning);

// For tests: phases, budgets and thresholds cut to a few steps and words, so
// that small inputs go through every phase change, restart, late bound and
// fallback; the kept prefix sums wherever allowed, the oracle's plain sums
// kept at every second track and its free lists matched by a hash that
// always collides, in a table only with a few lengths.
inline constexpr EngineTuning kShortBudgetTuning = [] {
    EngineTuning t = kShippedTuning;
    t.phases = {{
        {0, 3, 0},
        {64, 6, 2000},
        {std::int64_t{1} << 26, 0, 0},
    }};
    t.cheapBoundAfter = 2;
    t.scanUpTo = 0;
    t.eagerWork = 16;
    t.workPerStep = 64;
    t.windowWorkCap = 40;
    t.siblingSpan = 2;
    t.siblingGrouping = SiblingGrouping::Always;
    t.siblingListShare = 0;
    t.prefixSums = PrefixSumsUse::Always;
    t.snapshotStride = 2;
    t.freeTableUpTo = 6;
    t.freeHashMask = 0;
    return t;
}();

}  // namespace ztp
