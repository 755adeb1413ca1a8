// Side split search: finds the set of tracks whose total comes closest to a
// target, by the depth-first walk over ordered sequences described in
// literal_search.cpp.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "engine_tuning.h"

namespace ztp {

constexpr int kMaxTracks = 2048;
using IndexList = std::array<int, kMaxTracks>;  // -1-terminated table indices

// What a caller may limit a long search by: a cancel flag the search polls,
// and a budget of search steps (0: none). Either one ends the search
// undecided.
struct SearchControl {
    const std::atomic<bool>* cancel = nullptr;
    std::uint64_t stepLimit = 0;
};

// How a search ended: with the split, or undecided by the cancel flag or
// the step budget.
enum class SearchEnd { Finished, Cancelled, OutOfSteps };

struct SearchResult {
    std::vector<int> best;      // the best candidate's tracks, in the order found
    std::int64_t bestDiff = 0;  // its distance from the target (2000000000 if none)
    bool exactHit = false;
    std::uint64_t steps = 0;              // levels visited (informative)
    SearchEnd end = SearchEnd::Finished;  // not Finished: best, bestDiff, exactHit mean nothing

    bool finished() const { return end == SearchEnd::Finished; }
};

constexpr std::int64_t kInitialBestDiff = 2000000000;

// The reference search: the literal recursive walk. Exponential in the number
// of tracks that fit below the target.
SearchResult literalSearch(const std::vector<std::int32_t>& times, std::int64_t target,
                           const SearchControl& control = {});

// The word loops of the fast engine: the widest the processor runs, or the
// portable ones everywhere.
enum class WordLoops { Fastest, Narrow };

// How the fast engine runs: its tunables (as shipped, or those for tests) and
// its word loops. None changes the split it finds.
struct FastOptions {
    const EngineTuning& tuning = kShippedTuning;
    WordLoops wordLoops = WordLoops::Fastest;
};

// The fast engine: same result set as literalSearch for every input.
SearchResult fastSearch(const std::vector<std::int32_t>& times, std::int64_t target,
                        const SearchControl& control = {}, const FastOptions& options = {});

enum class Engine { Literal, Fast };

// The search of engine e, the fast one as shipped.
inline SearchResult runSearch(Engine e, const std::vector<std::int32_t>& times, std::int64_t target,
                              const SearchControl& control = {}) {
    return e == Engine::Literal ? literalSearch(times, target, control)
                                : fastSearch(times, target, control);
}

}  // namespace ztp
