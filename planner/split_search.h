// Side split search: finds the set of tracks whose total comes closest to a
// target, by the depth-first walk over ordered sequences described in
// literal_search.cpp.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace ztp {

constexpr int kMaxTracks = 2048;
using IndexList = std::array<int, kMaxTracks>;  // -1-terminated table indices

// Optional controls for a long search: a cancel flag polled by the search,
// and a budget of search steps (0 = none). Either one stops the search with
// SearchAborted.
struct SearchControl {
    const std::atomic<bool>* cancel = nullptr;
    std::uint64_t stepLimit = 0;
    bool eagerBounds = false;   // fast engine: every bound from the first node (for tests)
    bool shortBudgets = false;  // fast engine: phases and work budgets cut to a few steps (for tests)
    bool narrowWords = false;   // fast engine: the portable word loops even where wider ones run (for tests)
};

struct SearchAborted {
    bool cancelled;  // true: the cancel flag; false: the step budget
};

struct SearchResult {
    std::vector<int> best;       // the best candidate's tracks, in the order found
    std::int64_t bestDiff = 0;   // its distance from the target (2000000000 if none)
    bool exactHit = false;
    std::uint64_t steps = 0;     // levels visited (informative)
};

constexpr std::int64_t kInitialBestDiff = 2000000000;

// The reference search: the literal recursive walk. Exponential in the number
// of tracks that fit below the target.
SearchResult literalSearch(const std::vector<std::int32_t>& times, std::int64_t target,
                           const SearchControl* control = nullptr);

// The fast engine: same result set as literalSearch for every input.
SearchResult fastSearch(const std::vector<std::int32_t>& times, std::int64_t target,
                        const SearchControl* control = nullptr);

enum class Engine { Literal, Fast };

inline SearchResult runSearch(Engine e, const std::vector<std::int32_t>& times,
                              std::int64_t target, const SearchControl* control = nullptr) {
    return e == Engine::Literal ? literalSearch(times, target, control)
                                : fastSearch(times, target, control);
}

}  // namespace ztp
