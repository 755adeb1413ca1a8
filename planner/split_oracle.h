// The exact subtree oracle of the split walk: the smallest value the walk
// over a list of tracks with a target records, computed without walking.
#pragma once
#include <cstdint>
#include <vector>

#include "engine_tuning.h"
#include "sum_bits.h"

namespace ztp::split {

// What one search lends every oracle call it makes: the word loops to run,
// and storage kept from call to call so that its large arrays are not made
// again (the kept plain sums reach 32 MiB). One search, one scratch: calls
// that share it must not overlap.
struct OracleScratch {
    explicit OracleScratch(words::Width w) : width(w) {}
    words::Width width;
    std::vector<std::int32_t> freeTable;   // counts of free lists by key, all 0 between calls
    std::vector<SumBits> snaps, midSnaps;  // the kept plain sums, and those after the outlier
};

// What an oracle call is asked for, and within what work.
struct OracleQuery {
    std::int64_t best;          // values below this
    std::int64_t budget;        // words: no answer if the plain part would pass them
    std::int64_t windowBudget;  // words of the staircases: past them, a lower bound
};

struct OracleAnswer {
    std::int64_t value;  // -1: not computed (over budget or nothing to do)
    bool exact;          // false: `value` is only a lower bound
};

// The smallest value below `query.best` of any set the walk over (t, T)
// visits, or `query.best` if there is none. The bit work (64-bit words
// touched) is added to `spent`; if it would pass `query.budget` before
// starting the answer is -1, and if the part that follows which sets are
// visited passes `query.windowBudget`, the rest of the answer counts every
// subset as visited and is a lower bound. The tuning's oracle and prefix
// sums fields say how it keeps its sums (docs/split-engine.md).
OracleAnswer exactValue(const std::vector<std::int64_t>& t, std::int64_t T,
                        const OracleQuery& query, std::int64_t& spent, OracleScratch& scratch,
                        const EngineTuning& tuning = kShippedTuning);

// The plain bit work of exactValue on n tracks of at most `distinct` lengths
// (64-bit words), without the staircases.
inline std::int64_t oracleWork(std::int64_t n, std::int64_t distinct, std::int64_t T) {
    return n * (3 + 2 * distinct) * (T / 64 + 1);
}

}  // namespace ztp::split
