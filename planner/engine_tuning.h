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

struct EngineTuning {
    // Walks from the root, each with a work budget per node for the bounds
    // by rule and limits after which the next one starts (a restart keeps
    // the best set, so the part already walked records nothing again).
    struct Phase {
        std::int64_t perNodeWork;  // words one node's bounds by rule may take; 0: cheap bound only
        std::uint64_t steps;       // steps of this walk after which the next starts; 0: none
        std::int64_t ruleWork;     // words of bounds by rule after which the next starts; 0: none
    };
    static constexpr std::size_t kPhaseCount = 3;

    // The walk.
    std::array<Phase, kPhaseCount> phases;
    std::size_t firstPhase;         // [0, kPhaseCount): the walk the search starts with
    std::uint64_t cheapBoundAfter;  // >= 0 steps: before, no subset-sum bound (most walks end sooner)
    std::int64_t cheapBoundWords;   // > 0: words the subset-sum bound of one node may touch
    int scanUpTo;                   // >= 0 tracks: up to this a node scans its list, past it asks the tree
    std::int64_t countsUpTo;        // >= 0 lengths: up to this the subset-sum bound counts by length

    // The bounds by rule (oracle, superset and subset rules) of a node.
    std::int64_t eagerWork;          // > 0 words: likely dearer, a node's bound waits for its children
    std::int64_t workPerStep;        // > 0 words: what a step of the walk below a waiting node counts
    std::int64_t rootWork;           // > 0 words: the budget of the bounds on the whole walk
    std::int64_t windowWork;         // > 0 words: the staircases' full budget (or 4x the plain part)
    std::int64_t firstWindowWork;    // > 0 words: their first budget (or a quarter of the plain part)
    std::int64_t windowWorkCap;      // > 0 words: no staircase budget above this
    int windowInFullRuns;            // >= 0 nodes: full staircase budget at once, shown empty so, before
                                     // the small one comes first again
    std::int64_t ruleMemoryWords;    // > 0 words: a rule's bit arrays past this are not built

    // Children of one node bounded together (SiblingBound).
    int siblingSpan;                 // >= 1: children bounded by one scan of their parent's list
    int siblingsAlone;               // >= 0: empty children bounded alone first
    std::int64_t siblingsAtOnceWork; // > 0 words: a child's bound this dear goes together at once
    SiblingGrouping siblingGrouping;
    int siblingListShare;            // >= 0: the parent's list is at least this many times the span

    // The kept prefix sums of the bounds by reaching track (PrefixSums).
    std::int64_t prefixMaxBest;   // [0, 3]: kept only when asked for values below this + 1
    std::int64_t prefixWords;     // > 0: kept only when they fit in this many words
    std::int64_t prefixMinWords;  // >= 0: not kept for bit arrays shorter than this
    PrefixSumsUse prefixSums;

    // The subtree oracle (split_oracle.cpp).
    std::int64_t snapshotStride;   // >= 1 tracks: the plain sums kept every this many tracks
    std::int64_t snapshotWords;    // > 0: or every more, so that they fit in this many words
    std::int64_t memoWords;        // >= 0: words of leaf sums kept by free list
    std::int64_t leafWorkPerFree;  // >= 0 words: a leaf's or a close's charge per free track
    std::size_t freeTableUpTo;     // >= 0 lengths: free lists counted in a table up to this many
    std::uint64_t freeHashMask;    // the free lists' hashes; 0: every list collides with every other
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
