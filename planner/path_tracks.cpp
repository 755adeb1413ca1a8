#include "path_tracks.h"

namespace ztp::split {

bool PathTracks::subsetBoundEmpty(std::int64_t room, int reach, std::int64_t best,
                                  const EngineTuning& tuning, words::Width width) {
    const std::int64_t lo = room - best + 1, hi = room + best - 1;
    const std::int64_t tr = reach < n_ ? length(reach) : 0;
    const std::int64_t sum = off_.sum(0, static_cast<std::size_t>(reach)) + tr;
    if (sum < lo || hi < 0) return true;
    if (lo <= 0) return false;
    // Subset sums are symmetric (x is one exactly when sum - x is): look at
    // whichever end of the range is nearer to 0.
    std::int64_t a = lo, b = std::min(hi, sum);
    if (sum - lo < b) {
        a = std::max<std::int64_t>(0, sum - hi);
        b = sum - lo;
    }
    // Tracks longer than b make no sum up to b: the others, counted per
    // distinct length, shortest first.
    const std::int64_t words = (b + 1) / 64 + 1;
    touched_.clear();
    std::int64_t m = 0;
    bool over = false;
    const auto takeSlot = [&](std::size_t k, std::int64_t c) {
        m += c;
        if (m * words > tuning.cheapBoundWords) over = true;
        if (count_[k] == 0) touched_.push_back(k);
        count_[k] += c;
    };
    if (reach < n_ && tr <= b) takeSlot(slot_[static_cast<std::size_t>(reach)], 1);
    if (reach > tuning.scanUpTo && distinct() <= tuning.countsUpTo) {
        if (byLength_.empty())
            byLength_.build(lengths_.size(), slot_, [&](std::size_t i) { return on_[i] == 0; });
        for (std::size_t k = 0; k < lengths_.size() && lengths_[k] <= b && !over; ++k)
            if (const std::int64_t c = byLength_.below(k, static_cast<std::size_t>(reach)))
                takeSlot(k, c);
    } else {
        for (int i = 0; i < reach && !over; ++i)
            if (!onPath(i) && length(i) <= b) takeSlot(slot_[static_cast<std::size_t>(i)], 1);
    }
    std::sort(touched_.begin(), touched_.end());
    if (!over) bits_.reset(b + 1, width);
    for (const std::size_t k : touched_) {
        if (!over) addCopies(bits_, lengths_[k], count_[k]);
        count_[k] = 0;
    }
    return !over && !bits_.anyIn(a, b);
}

}  // namespace ztp::split
