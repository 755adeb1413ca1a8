#include "tape_plan.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <numeric>

namespace ztp::tape {
namespace {

// Subset sums of a list of weights up to a cap, each sum with the first
// weight (in list order) that reached it: going back from a sum through
// those weights gives a set that makes it, every step to an earlier weight
// (the sum before a weight was reached before that weight came).
class FirstReach {
public:
    // Stops adding weights once the sum `enough` is reached.
    FirstReach(const std::vector<std::int64_t>& w, std::int64_t cap, std::int64_t enough = -1)
        : cap_(std::max<std::int64_t>(cap, 0)), bits_(static_cast<std::size_t>(cap_ / 64 + 1), 0),
          first_(static_cast<std::size_t>(cap_ + 1), -1) {
        bits_[0] = 1;
        std::int64_t top = 0;  // the largest sum reached so far
        for (std::size_t j = 0; j < w.size() && !has(enough); ++j) {
            if (w[j] <= 0 || w[j] > cap_) continue;
            top = std::min(cap_, top + w[j]);
            add(static_cast<int>(j), w[j], top);
        }
    }

    bool has(std::int64_t s) const {
        return s >= 0 && s <= cap_ &&
               (bits_[static_cast<std::size_t>(s / 64)] >> (s % 64) & 1) != 0;
    }

    // The largest sum in [lo, hi] reached, or -1.
    std::int64_t largestIn(std::int64_t lo, std::int64_t hi) const {
        for (std::int64_t s = std::min(hi, cap_); s >= std::max<std::int64_t>(lo, 0); --s)
            if (has(s)) return s;
        return -1;
    }

    // The smallest sum in [lo, hi] reached, or -1.
    std::int64_t smallestIn(std::int64_t lo, std::int64_t hi) const {
        for (std::int64_t s = std::max<std::int64_t>(lo, 0); s <= std::min(hi, cap_); ++s)
            if (has(s)) return s;
        return -1;
    }

    // Positions in the weight list of a set that makes s (s reached).
    std::vector<int> setOf(std::int64_t s, const std::vector<std::int64_t>& w) const {
        std::vector<int> out;
        while (s > 0) {
            const int j = first_[static_cast<std::size_t>(s)];
            out.push_back(j);
            s -= w[static_cast<std::size_t>(j)];
        }
        std::reverse(out.begin(), out.end());
        return out;
    }

private:
    // sums |= sums << len over [0, top], noting the sums that are new; from
    // the top word down, so that every word read is still the old one.
    void add(int j, std::int64_t len, std::int64_t top) {
        const std::size_t q = static_cast<std::size_t>(len / 64);
        const unsigned b = static_cast<unsigned>(len % 64);
        const std::size_t last = static_cast<std::size_t>(top / 64);
        for (std::size_t k = last + 1; k-- > q;) {
            std::uint64_t v = bits_[k - q] << b;
            if (b != 0 && k > q) v |= bits_[k - q - 1] >> (64 - b);
            if (k == last && top % 64 != 63) v &= (std::uint64_t{2} << (top % 64)) - 1;
            std::uint64_t fresh = v & ~bits_[k];
            bits_[k] |= v;
            while (fresh != 0) {
                const int bit = std::countr_zero(fresh);
                fresh &= fresh - 1;
                first_[k * 64 + static_cast<std::size_t>(bit)] = static_cast<std::int16_t>(j);
            }
        }
    }

    std::int64_t cap_;
    std::vector<std::uint64_t> bits_;
    std::vector<std::int16_t> first_;  // by sum: the position of the weight that first reached it
};

std::vector<std::int64_t> weights(const std::vector<std::int32_t>& times, const SideRules& rules) {
    std::vector<std::int64_t> w;
    w.reserve(times.size());
    for (std::int32_t t : times) w.push_back(static_cast<std::int64_t>(t) + rules.gap);
    return w;
}

std::int64_t sumOf(const std::vector<std::int64_t>& w) {
    return std::accumulate(w.begin(), w.end(), std::int64_t{0});
}

// Above this many words of table work, a large range is tried first by its
// core (below).
constexpr std::int64_t kCoreAbove = std::int64_t{1} << 24;

// A subset of w whose sum is the largest in [lo, hi], as flags by position;
// empty when no sum lies there. No sum of w is above the largest multiple
// of their common divisor g at most hi: a subset that makes that one is
// taken as soon as one is found.
//  - A range far wider than the longest weight is tried by its core first:
//    the weights in order go in while they leave room for 64 longest ones,
//    and the table covers only the rest (their sums are dense by then); if
//    that reaches the bound, it is the answer.
//  - Otherwise the table covers [0, hi], or the complement's range where
//    that is smaller: the smallest sum in [total - hi, total - lo] of the
//    weights left out.
std::optional<std::vector<char>> largestSubsetOf(const std::vector<std::int64_t>& w,
                                                 std::int64_t lo, std::int64_t hi);

// The same, with the weights of no length always in.
std::optional<std::vector<char>> largestSubset(const std::vector<std::int64_t>& w, std::int64_t lo,
                                               std::int64_t hi) {
    auto in = largestSubsetOf(w, lo, hi);
    if (in)
        for (std::size_t i = 0; i < w.size(); ++i)
            if (w[i] == 0) (*in)[i] = 1;
    return in;
}

std::optional<std::vector<char>> largestSubsetOf(const std::vector<std::int64_t>& w,
                                                 std::int64_t lo, std::int64_t hi) {
    const std::int64_t total = sumOf(w);
    std::vector<char> in(w.size(), 0);
    lo = std::max<std::int64_t>(lo, 0);
    if (hi >= total) {
        if (total < lo) return std::nullopt;
        std::fill(in.begin(), in.end(), 1);
        return in;
    }
    if (lo > hi || hi < 0) return std::nullopt;
    std::int64_t g = 0, longest = 0;
    for (std::int64_t x : w)
        if (x > 0) g = std::gcd(g, x), longest = std::max(longest, x);
    if (g == 0) return lo == 0 ? std::optional<std::vector<char>>(in) : std::nullopt;
    const std::int64_t bound = hi / g * g;
    if (bound < lo) return std::nullopt;
    const std::int64_t n = static_cast<std::int64_t>(w.size());
    const std::int64_t direct = n * (hi / 64 + 1), complement = n * ((total - lo) / 64 + 1);
    if (std::min(direct, complement) > kCoreAbove && hi > 64 * longest) {
        std::int64_t fixed = 0;
        std::size_t k = 0;
        for (; k < w.size() && fixed + w[k] <= hi - 64 * longest; ++k) fixed += w[k];
        const std::vector<std::int64_t> core(w.begin() + static_cast<std::ptrdiff_t>(k), w.end());
        const FirstReach reach(core, hi - fixed, bound - fixed);
        if (reach.has(bound - fixed)) {
            std::fill(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(k), 1);
            for (int p : reach.setOf(bound - fixed, core)) in[k + static_cast<std::size_t>(p)] = 1;
            return in;
        }
    }
    if (direct <= complement) {
        const FirstReach reach(w, hi, bound);
        const std::int64_t x = reach.largestIn(lo, hi);
        if (x < 0) return std::nullopt;
        for (int p : reach.setOf(x, w)) in[static_cast<std::size_t>(p)] = 1;
    } else {
        const std::int64_t least = (total - hi + g - 1) / g * g;  // no sum left out is smaller
        const FirstReach reach(w, total - lo, least);
        const std::int64_t y = reach.smallestIn(total - hi, total - lo);
        if (y < 0) return std::nullopt;
        std::fill(in.begin(), in.end(), 1);
        for (int p : reach.setOf(y, w)) in[static_cast<std::size_t>(p)] = 0;
    }
    return in;
}

Pin pinOf(const std::vector<Pin>& pins, std::size_t i) {
    return i < pins.size() ? pins[i] : Pin::Free;
}

// Whether a side of `count` tracks with this w sum fits.
bool fits(std::int64_t wSum, std::int64_t count, std::int64_t cap) {
    return count == 0 || wSum <= cap;
}

// The cuts that leave every pinned track on its side: [first, last].
bool cutRange(const std::vector<Pin>& pins, int n, int& first, int& last) {
    first = 0;
    last = n;
    for (int i = 0; i < n; ++i) {
        if (pinOf(pins, static_cast<std::size_t>(i)) == Pin::A) first = std::max(first, i + 1);
        if (pinOf(pins, static_cast<std::size_t>(i)) == Pin::B) last = std::min(last, i);
    }
    return first <= last;
}

// --- sets of tapes

constexpr int kNoPacking = std::numeric_limits<int>::max();
constexpr std::int64_t kFillAtMost = std::int64_t{1} << 28;  // words of table work: some 0.2 s

// No packing into fewer sides: the larger of the total over the capacity
// and the bound of items above half the capacity (for each threshold a,
// the items above cap - a each need a side, as do those above half, and
// the items from a to half fill what those leave).
int sidesLowerBound(const std::vector<std::int64_t>& w, std::int64_t cap) {
    if (w.empty()) return 0;
    const std::int64_t total = sumOf(w);
    int best = cap > 0 ? static_cast<int>((total + cap - 1) / cap) : 0;
    // No side holds more tracks than the shortest ones that fit together.
    std::vector<std::int64_t> sorted = w;
    std::sort(sorted.begin(), sorted.end());
    std::int64_t most = 0, sum = 0;
    while (most < static_cast<std::int64_t>(sorted.size()) &&
           sum + sorted[static_cast<std::size_t>(most)] <= cap)
        sum += sorted[static_cast<std::size_t>(most++)];
    if (most > 0)
        best = std::max(best,
                        static_cast<int>((static_cast<std::int64_t>(w.size()) + most - 1) / most));
    std::vector<std::int64_t> thresholds{0};
    for (std::int64_t x : w)
        if (2 * x <= cap) thresholds.push_back(x);
    std::sort(thresholds.begin(), thresholds.end());
    thresholds.erase(std::unique(thresholds.begin(), thresholds.end()), thresholds.end());
    for (std::int64_t a : thresholds) {
        std::int64_t n1 = 0, n2 = 0, s2 = 0, s3 = 0;
        for (std::int64_t x : w) {
            if (x > cap - a) ++n1;
            else if (2 * x > cap) ++n2, s2 += x;
            else if (x >= a) s3 += x;
        }
        const std::int64_t left = n2 * cap - s2;
        const std::int64_t more = s3 > left ? (s3 - left + cap - 1) / cap : 0;
        best = std::max(best, static_cast<int>(n1 + n2 + more));
    }
    return best;
}

// Side after side, each filled as full as the remaining tracks allow.
std::vector<std::vector<int>> fillEachSide(const std::vector<std::int64_t>& w, std::int64_t cap) {
    std::vector<int> left(w.size());
    std::iota(left.begin(), left.end(), 0);
    std::vector<std::vector<int>> sides;
    while (!left.empty()) {
        std::vector<std::int64_t> lw;
        for (int i : left) lw.push_back(w[static_cast<std::size_t>(i)]);
        std::vector<char> taken = largestSubset(lw, 0, cap).value();
        std::vector<int> side, rest;
        for (std::size_t k = 0; k < left.size(); ++k) (taken[k] ? side : rest).push_back(left[k]);
        sides.push_back(side);
        left = rest;
    }
    return sides;
}

// Longest first, each into the first side with room.
std::vector<std::vector<int>> firstFitDecreasing(const std::vector<std::int64_t>& w,
                                                 std::int64_t cap) {
    std::vector<int> order(w.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return w[a] > w[b]; });
    std::vector<std::vector<int>> sides;
    std::vector<std::int64_t> room;
    for (int i : order) {
        std::size_t k = 0;
        while (k < room.size() && room[k] < w[static_cast<std::size_t>(i)]) ++k;
        if (k == room.size()) {
            sides.emplace_back();
            room.push_back(cap);
        }
        sides[k].push_back(i);
        room[k] -= w[static_cast<std::size_t>(i)];
    }
    return sides;
}

// Whether the tracks go into `sides` sides, by completing one side at a
// time: the longest track left opens a side, which then takes a set of the
// others that leaves no further track room (any other completion does no
// better), tried fullest first. What a side leaves empty is lost, so the
// search gives up a branch once more is lost than the sides have to spare.
// 1: found (into `out`), 0: none exists, -1: the budget (tracks looked at)
// ran out.
class ExactPacker {
public:
    ExactPacker(const std::vector<std::int64_t>& w, std::int64_t cap, std::int64_t budget)
        : w_(w), cap_(cap), budget_(budget), order_(w.size()), used_(w.size(), 0) {
        std::iota(order_.begin(), order_.end(), 0);
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return w[a] > w[b]; });
    }

    std::int64_t spent() const { return steps_; }

    int pack(int sides, std::vector<std::vector<int>>& out) {
        const std::int64_t spare = static_cast<std::int64_t>(sides) * cap_ - sumOf(w_);
        if (spare < 0) return 0;
        sides_.clear();
        if (openSide(sides, spare)) {
            out = sides_;
            return 1;
        }
        return outOfSteps_ ? -1 : 0;
    }

private:
    // Charges `work` (tracks looked at) to the budget.
    bool step(std::int64_t work) {
        steps_ += work;
        if (steps_ > budget_) outOfSteps_ = true;
        return !outOfSteps_;
    }

    bool openSide(int sidesLeft, std::int64_t spare) {
        std::size_t first = 0;
        while (first < order_.size() && used_[first]) ++first;
        if (first == order_.size()) return true;
        if (sidesLeft == 0 || !step(1)) return false;
        used_[first] = 1;
        side_.push_back(order_[first]);
        const bool ok = complete(first + 1, cap_ - w_[static_cast<std::size_t>(order_[first])],
                                 sidesLeft, spare);
        side_.pop_back();
        used_[first] = 0;
        return ok;
    }

    // The side being filled takes tracks from position k of the order on.
    bool complete(std::size_t k, std::int64_t room, int sidesLeft, std::int64_t spare) {
        if (!step(static_cast<std::int64_t>(order_.size() - k) + 1)) return false;
        std::int64_t reachable = 0;  // what the tracks left from k could still fill
        for (std::size_t j = k; j < order_.size(); ++j)
            if (!used_[j] && w_[static_cast<std::size_t>(order_[j])] <= room)
                reachable += w_[static_cast<std::size_t>(order_[j])];
        if (room - reachable > spare) return false;
        std::size_t j = k;
        while (j < order_.size() && (used_[j] || w_[static_cast<std::size_t>(order_[j])] > room))
            ++j;
        if (j == order_.size()) {
            // No track left fits: the side is closed, unless one it left out
            // fits (then taking it does better). The tracks it left out are
            // free again for the next sides.
            std::vector<std::size_t> leftOut;
            for (std::size_t i = 0; i < order_.size(); ++i) {
                if (used_[i] == 1) continue;
                if (w_[static_cast<std::size_t>(order_[i])] <= room) return false;
                if (used_[i] == 2) leftOut.push_back(i);
            }
            for (std::size_t i : leftOut) used_[i] = 0;
            std::vector<int> closed;
            closed.swap(side_);
            sides_.push_back(closed);
            const bool ok = openSide(sidesLeft - 1, spare - room);
            if (!ok) sides_.pop_back();
            side_.swap(closed);
            for (std::size_t i : leftOut) used_[i] = 2;
            return ok;
        }
        const std::int64_t x = w_[static_cast<std::size_t>(order_[j])];
        used_[j] = 1;
        side_.push_back(order_[j]);
        const bool taken = complete(j + 1, room - x, sidesLeft, spare);
        side_.pop_back();
        used_[j] = 0;
        if (taken || outOfSteps_) return taken;
        // Left out: so are the tracks of the same length after it.
        std::size_t after = j + 1;
        while (after < order_.size() && w_[static_cast<std::size_t>(order_[after])] == x) ++after;
        std::vector<std::size_t> skipped;
        for (std::size_t i = j; i < after; ++i)
            if (!used_[i]) {
                used_[i] = 2;
                skipped.push_back(i);
            }
        const bool ok = complete(after, room, sidesLeft, spare);
        for (std::size_t i : skipped) used_[i] = 0;
        return ok;
    }

    const std::vector<std::int64_t>& w_;
    std::int64_t cap_, budget_, steps_ = 0;
    bool outOfSteps_ = false;
    std::vector<int> order_;  // track indices, longest first
    std::vector<char>
        used_;  // by position in order_: 1 placed, 2 left out of the side being filled
    std::vector<int> side_;
    std::vector<std::vector<int>> sides_;
};

// `budget` is what is left of the work allowed, less what this call spends.
int packExactly(const std::vector<std::int64_t>& w, std::int64_t cap, int sides,
                std::int64_t& budget, std::vector<std::vector<int>>& out) {
    ExactPacker packer(w, cap, budget);
    const int r = packer.pack(sides, out);
    budget = std::max<std::int64_t>(0, budget - packer.spent());
    return r;
}

// Sides in the order of their first tracks, each in table order, padded to
// whole tapes.
std::vector<std::vector<int>> inTableOrder(std::vector<std::vector<int>> sides) {
    for (auto& s : sides) std::sort(s.begin(), s.end());
    sides.erase(std::remove_if(sides.begin(), sides.end(), [](const auto& s) { return s.empty(); }),
                sides.end());
    std::sort(sides.begin(), sides.end(),
              [](const auto& a, const auto& b) { return a.front() < b.front(); });
    if (sides.size() % 2 != 0) sides.emplace_back();
    return sides;
}

}  // namespace

std::int64_t planned(std::int64_t music, std::int64_t count, const SideRules& rules) {
    return count == 0 ? 0 : music + (count - 1) * rules.gap + rules.leader;
}

std::int64_t capacity(const SideRules& rules) { return rules.side - rules.leader + rules.gap; }

std::optional<Split> fitSplit(const std::vector<std::int32_t>& times, const std::vector<Pin>& pins,
                              const SideRules& rules) {
    if (times.empty()) return Split{};
    const std::vector<std::int64_t> w = weights(times, rules);
    const std::int64_t cap = capacity(rules);
    std::int64_t pinnedA = 0, pinnedB = 0, countA = 0, countB = 0;
    std::vector<std::int64_t> freeW;
    std::vector<int> freeAt;
    for (std::size_t i = 0; i < w.size(); ++i) {
        switch (pinOf(pins, i)) {
            case Pin::A: pinnedA += w[i], ++countA; break;
            case Pin::B: pinnedB += w[i], ++countB; break;
            case Pin::Free:
                freeW.push_back(w[i]);
                freeAt.push_back(static_cast<int>(i));
                break;
        }
    }
    if (!fits(pinnedA, countA, cap) || !fits(pinnedB, countB, cap)) return std::nullopt;
    const std::int64_t total = pinnedA + pinnedB + sumOf(freeW), freeSum = sumOf(freeW);
    // The free tracks on side A sum to x in [lo, hi]: both sides fit; the
    // largest such x is side A as full as possible.
    const std::int64_t lo = std::max<std::int64_t>(0, total - cap - pinnedA);
    const std::int64_t hi = std::min(freeSum, cap - pinnedA);
    const auto chosen = largestSubset(freeW, lo, hi);
    if (!chosen) return std::nullopt;
    const std::vector<char>& onA = *chosen;
    Split s;
    std::size_t f = 0;
    for (std::size_t i = 0; i < w.size(); ++i) {
        const Pin p = pinOf(pins, i);
        const bool a = p == Pin::A || (p == Pin::Free && onA[f]);
        if (p == Pin::Free) ++f;
        (a ? s.a : s.b).push_back(static_cast<int>(i));
    }
    return s;
}

std::optional<int> fitCut(const std::vector<std::int32_t>& times, const std::vector<Pin>& pins,
                          const SideRules& rules) {
    const std::vector<std::int64_t> w = weights(times, rules);
    const int n = static_cast<int>(w.size());
    const std::int64_t cap = capacity(rules), total = sumOf(w);
    int first, last;
    if (!cutRange(pins, n, first, last)) return std::nullopt;
    std::int64_t prefix = 0;
    for (int k = 0; k < first; ++k) prefix += w[static_cast<std::size_t>(k)];
    std::optional<int> best;
    for (int k = first; k <= last; ++k) {
        if (fits(prefix, k, cap) && fits(total - prefix, n - k, cap)) best = k;
        if (k < n) prefix += w[static_cast<std::size_t>(k)];
    }
    return best;
}

std::optional<int> closestCut(const std::vector<std::int32_t>& times, const std::vector<Pin>& pins,
                              const SideRules& rules, std::int64_t target, bool sideB) {
    const std::vector<std::int64_t> w = weights(times, rules);
    const int n = static_cast<int>(w.size());
    const std::int64_t total = sumOf(w);
    int first, last;
    if (!cutRange(pins, n, first, last)) return std::nullopt;
    std::int64_t prefix = 0;
    for (int k = 0; k < first; ++k) prefix += w[static_cast<std::size_t>(k)];
    std::optional<int> best;
    std::int64_t bestDist = 0, bestLen = 0;
    for (int k = first; k <= last; ++k) {
        const std::int64_t len = sideB ? total - prefix : prefix;
        const std::int64_t dist = len > target ? len - target : target - len;
        if (!best || dist < bestDist || (dist == bestDist && len > bestLen)) {
            best = k;
            bestDist = dist;
            bestLen = len;
        }
        if (k < n) prefix += w[static_cast<std::size_t>(k)];
    }
    return best;
}

PinnedSearch pinnedSearch(const std::vector<std::int32_t>& times, const std::vector<Pin>& pins,
                          const SideRules& rules, std::int64_t target, Pin searchedSide) {
    PinnedSearch s;
    s.target = target;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const std::int64_t w = static_cast<std::int64_t>(times[i]) + rules.gap;
        const Pin p = pinOf(pins, i);
        if (p == Pin::Free) {
            s.freeTracks.push_back(static_cast<int>(i));
            s.times.push_back(static_cast<std::int32_t>(w));
        } else if (p == searchedSide) {
            s.target -= w;
        }
    }
    return s;
}

std::int64_t equalTarget(const std::vector<std::int32_t>& times, const SideRules& rules) {
    return sumOf(weights(times, rules)) / 2;
}

Packing packSides(const std::vector<std::int32_t>& times, const SideRules& rules, int maxTapes,
                  bool keepOrder, std::int64_t budget) {
    const std::vector<std::int64_t> w = weights(times, rules);
    const std::int64_t cap = capacity(rules);
    Packing p;
    if (w.empty()) {
        p.fewest = true;
        return p;
    }
    for (std::int64_t x : w)
        if (x > cap) {
            p.lowerBound = kNoPacking;
            return p;
        }
    std::vector<std::vector<int>> found;
    if (keepOrder) {
        // Each side takes the longest run that fits: no packing in order has
        // fewer sides (a side that stops earlier never lets a later one end
        // later).
        std::int64_t sum = 0;
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (found.empty() || sum + w[i] > cap) {
                found.emplace_back();
                sum = 0;
            }
            found.back().push_back(static_cast<int>(i));
            sum += w[i];
        }
        p.lowerBound = static_cast<int>(found.size());
        if (maxTapes > 0 && p.lowerBound > 2 * maxTapes) return p;
        p.sides = inTableOrder(found);
        p.fewest = true;
        return p;
    }
    p.lowerBound = sidesLowerBound(w, cap);
    // Each side filled in turn where its tables are cheap enough, else (and
    // where it does better) longest first.
    found = firstFitDecreasing(w, cap);
    const std::int64_t fillWork =
        static_cast<std::int64_t>(found.size()) * static_cast<std::int64_t>(w.size()) / 2 *
        (std::min(cap, 64 * *std::max_element(w.begin(), w.end())) / 64 + 1);
    if (fillWork <= kFillAtMost)
        if (auto filled = fillEachSide(w, cap); filled.size() <= found.size())
            found = std::move(filled);
    const auto tapesOf = [](std::size_t sides) { return static_cast<int>((sides + 1) / 2); };
    if (maxTapes > 0 && tapesOf(found.size()) > maxTapes) {
        // The heuristics need more tapes: the exact search decides.
        if (p.lowerBound > 2 * maxTapes) return p;
        std::vector<std::vector<int>> exact;
        const int r = packExactly(w, cap, 2 * maxTapes, budget, exact);
        if (r == 0) p.lowerBound = 2 * maxTapes + 1;
        if (r != 1) return p;
        found = exact;
    } else if (maxTapes == 0) {
        // One tape fewer at a time, while the bound leaves room for it.
        while (tapesOf(found.size()) > tapesOf(static_cast<std::size_t>(p.lowerBound))) {
            std::vector<std::vector<int>> exact;
            const int fewer = tapesOf(found.size()) - 1;
            const int r = packExactly(w, cap, 2 * fewer, budget, exact);
            if (r == 0) p.lowerBound = std::max(p.lowerBound, 2 * fewer + 1);
            if (r != 1) break;
            found = exact;
        }
    }
    p.sides = inTableOrder(found);
    p.fewest = tapesOf(static_cast<std::size_t>(p.lowerBound)) >= tapesOf(p.sides.size());
    return p;
}

}  // namespace ztp::tape
