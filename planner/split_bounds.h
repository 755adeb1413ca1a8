// Bounds on the values a subtree of the split walk can record: smallest
// values by reaching track, with rules for which sets of tracks after the
// reaching track a visited set can hold.
#pragma once
#include <array>
#include <optional>
#include <stdexcept>

#include "engine_tuning.h"
#include "sum_bits.h"

namespace ztp::split {

// Candidate sets by reaching track. A set U the walk visits, with reaching
// track r and room rho, holds every track before r of at least rho seconds;
// its tracks after r are the ones a rule below accepts. Scanning r from the
// right, a rule keeps the sums its accepted sets of tracks after r can make;
// smallestValue combines them with the tracks before r and returns the
// smallest value min(rho, t(r) - rho) below `best` (or, for a rule with
// kAnyBelow, the first one found), else `best`.
// The rooms a scan looks at for a reaching track of length tr: those in
// [1, min(tr, T)] whose value min(rho, tr - rho) can be below `best`, as
// [1, top] and [from, hi] (not overlapping; either may be empty).
struct WallRooms {
    std::int64_t hi, top, from;
    WallRooms(std::int64_t tr, std::int64_t T, std::int64_t best)
        : hi(std::min(tr, T)), top(std::min(hi, best - 1)),
          from(std::max({std::int64_t{1}, tr - best + 1, top + 1})) {}
};

// Every set smallestValue looks at has the sum T - rho, rho at most the
// longest track and T: the tracks it leaves out sum to at most this. A sum
// made from some tracks with more than this left out of them is of no use,
// so bit arrays of sums over tracks passed (`passed` seconds of them) keep
// only the words from passed - slack on (SumBits' floor).
inline std::int64_t leftOutAtMost(const std::vector<std::int64_t>& t, std::int64_t T) {
    std::int64_t total = 0, longest = 0;
    for (std::int64_t len : t) {
        total += len;
        longest = std::max(longest, len);
    }
    return total - T + std::min(longest, T);
}

// addCopies onto sums over tracks of `passed` seconds (updated), with the
// floor raised item by item: an item's sums are made from the earlier ones'.
inline void addCopiesAbove(SumBits& bits, std::int64_t len, std::int64_t count,
                           std::int64_t& passed, std::int64_t slack) {
    if (len <= 0) return;
    inParts(count, [&](std::int64_t k) {
        passed += len * k;
        bits.raiseFloor(passed - slack);
        bits.add(len * k);
    });
}

// Whether a set with reaching track of length tr, a room rho that the scan
// below looks at, and tracks after the reaching track summing to at least
// T - gap exists at all: only then are those sums asked for. The tracks
// before the reaching track of at least rho seconds are in the set, so the
// sum after it is at most T - rho - (their sum).
inline bool windowNeeded(const std::vector<std::int64_t>& lengths,
                         const std::vector<std::int64_t>& count, std::int64_t beforeSum,
                         std::int64_t tr, std::int64_t T, std::int64_t best, std::int64_t gap) {
    const WallRooms rooms(tr, T, best);
    auto any = [&](std::int64_t lo, std::int64_t last) {
        last = std::min(last, gap);
        std::size_t k = 0;
        std::int64_t freed = 0;
        auto fits = [&](std::int64_t rho) {
            for (; k < lengths.size() && lengths[k] < rho; ++k) freed += lengths[k] * count[k];
            return rho + beforeSum - freed <= gap;
        };
        if (lo > last) return false;
        if (fits(lo)) return true;
        for (std::size_t j = 0; j < lengths.size(); ++j) {
            const std::int64_t rho = lengths[j] + 1;
            if (rho <= lo) continue;
            if (rho > last) break;
            if (fits(rho)) return true;
        }
        return false;
    };
    return any(1, rooms.top) || any(rooms.from, rooms.hi);
}

// The largest sum after a wall of length tr that a scan asks for: T - 1 less
// the tracks before the wall forced in at the largest room looked at,
// min(tr, T). Negative when there is none.
inline std::int64_t largestAsked(const std::vector<std::int64_t>& lengths,
                                 const std::vector<std::int64_t>& count, std::int64_t beforeSum,
                                 std::int64_t tr, std::int64_t T) {
    const std::int64_t hi = std::min(tr, T);
    std::int64_t freeAtHi = 0;
    for (std::size_t k = 0; k < lengths.size() && lengths[k] < hi; ++k)
        freeAtHi += lengths[k] * count[k];
    return T - 1 - (beforeSum - freeAtHi);
}

// Subset sums of the tracks before each wall r that are shorter than a
// room, for the (r, number of free lengths) pairs a scan of smallestValue
// with the given `best` can ask for (rooms only shrink as `best` drops).
// Kept reversed (bit i: sum T - 1 - i) so that holds() is one pass. Kept
// only when `best` is at most the tuning's prefixMaxBest and the arrays fit
// its prefixWords, and (unless `use` is Always) where that is clearly
// cheaper; else has() is false everywhere.
class PrefixSums {
public:
    static constexpr std::int64_t kMaxBest = 3;  // the largest prefixMaxBest the arrays below hold

    PrefixSums(const std::vector<std::int64_t>& t, const std::vector<std::int64_t>& lengths,
               std::int64_t T, std::int64_t best, const EngineTuning& tuning, PrefixSumsUse use,
               words::Width width)
        : T_(T) {
        const int n = static_cast<int>(t.size());
        const bool always = use == PrefixSumsUse::Always;
        if (best > std::min(kMaxBest, tuning.prefixMaxBest) || T <= 0 || n == 0 ||
            (!always && T / 64 + 1 < tuning.prefixMinWords))
            return;
        const std::size_t d = lengths.size();
        std::vector<std::size_t> slot(static_cast<std::size_t>(n));  // by track: its length's slot
        for (int r = 0; r < n; ++r)
            slot[static_cast<std::size_t>(r)] = slotOf(lengths, t[static_cast<std::size_t>(r)]);
        // Per wall: the free counts its scan can reach (its WallRooms) and the
        // largest sum it asks for, as in smallestValue.
        // At most 2 * kMaxBest - 1 rooms per wall.
        struct Want {
            std::size_t nf[2 * kMaxBest];
            std::size_t size = 0;
            const std::size_t* begin() const { return nf; }
            const std::size_t* end() const { return nf + size; }
        };
        std::vector<Want> want(static_cast<std::size_t>(n));
        // Per (wall, free count), as in want: the words kept, [first, end).
        // Reversed, the sums below the free tracks' sum F less slack are of
        // no use (leftOutAtMost), and none is above F: at most slack / 64 + 2
        // words each.
        struct Range {
            std::int64_t first, end;
        };
        std::vector<std::array<Range, 2 * kMaxBest>> ranges(static_cast<std::size_t>(n));
        std::vector<std::int64_t> count(d, 0);
        std::int64_t beforeSum = 0, total = 0;
        std::int64_t perWall = 0;  // words the scan would touch adding the free tracks per wall
        std::int64_t allSum = 0;
        for (std::int64_t len : t) allSum += len;
        const std::int64_t slack = leftOutAtMost(t, T);
        const std::int64_t nw = (T + 63) / 64;
        // Reversed words holding the sums of tracks summing to F (with
        // slack): from the word of sum F, to the one of F - slack.
        auto window = [&](std::int64_t F) {
            return Range{std::max<std::int64_t>(0, T - 1 - F) / 64,
                         std::min(nw, std::max<std::int64_t>(0, T - 1 - F + slack) / 64 + 1)};
        };
        for (int r = 0; r < n; ++r) {
            const std::int64_t tr = t[static_cast<std::size_t>(r)];
            const std::int64_t qmax = largestAsked(lengths, count, beforeSum, tr, T);
            if (tr > 0 && qmax >= 0) {
                auto& out = want[static_cast<std::size_t>(r)];
                auto add = [&](std::int64_t lo, std::int64_t top) {
                    for (std::int64_t rho = lo; rho <= top; ++rho) {
                        const std::size_t nf = slotOf(lengths, rho);  // lengths below rho
                        if (nf > 0 && std::find(out.begin(), out.end(), nf) == out.end())
                            out.nf[out.size++] = nf;
                    }
                };
                const WallRooms rooms(tr, T, best);
                add(1, rooms.top);
                add(rooms.from, rooms.hi);
                const std::int64_t low = (T - 1 - qmax) / 64;
                std::size_t top = 0;
                for (std::size_t i = 0; i < out.size; ++i) {
                    const std::size_t nf = out.nf[i];
                    top = std::max(top, nf);
                    std::int64_t F = 0;
                    for (std::size_t k = 0; k < nf; ++k) F += lengths[k] * count[k];
                    Range w = window(F);
                    w.first = std::max(w.first, low);
                    w.end = std::max(w.end, w.first);
                    ranges[static_cast<std::size_t>(r)][i] = w;
                    total += w.end - w.first;
                }
                std::int64_t items = 1;  // the copy
                for (std::size_t k = 0; k < top; ++k)
                    for (std::int64_t c = count[k]; c > 0; c /= 2) ++items;
                const std::int64_t floor =
                    std::max<std::int64_t>(0, allSum - beforeSum - tr - slack);
                perWall +=
                    items * (std::min(slack, std::max<std::int64_t>(0, qmax - floor)) / 64 + 1);
            }
            ++count[slot[static_cast<std::size_t>(r)]];
            beforeSum += tr;
        }
        if (total > tuning.prefixWords) return;
        // From[nf][r]: the first word any wall from r on reads at nf.
        const std::size_t stride = static_cast<std::size_t>(n) + 1;
        std::vector<std::int64_t> fromWords((d + 1) * stride, T);
        auto from = [&](std::size_t nf, std::size_t r) -> std::int64_t& {
            return fromWords[nf * stride + r];
        };
        for (int r = n - 1; r >= 0; --r) {
            const std::size_t ru = static_cast<std::size_t>(r);
            for (std::size_t nf = 1; nf <= d; ++nf) from(nf, ru) = from(nf, ru + 1);
            for (std::size_t i = 0; i < want[ru].size; ++i)
                from(want[ru].nf[i], ru) = std::min(from(want[ru].nf[i], ru), ranges[ru][i].first);
        }
        // Kept only where it is clearly cheaper than adding per wall: each
        // track added costs the words between from() and its window's end.
        std::int64_t kept = total;
        {
            std::vector<std::int64_t> freeSum(d + 1, 0);  // by free count: the free tracks before r
            for (int r = 0; r < n; ++r) {
                const std::int64_t tr = t[static_cast<std::size_t>(r)];
                for (std::size_t nf = slot[static_cast<std::size_t>(r)] + 1; nf <= d; ++nf) {
                    freeSum[nf] += tr;
                    const Range w = window(freeSum[nf]);
                    kept += std::max<std::int64_t>(
                        0, w.end - std::max(w.first, from(nf, static_cast<std::size_t>(r) + 1)));
                }
            }
        }
        if (!always && 2 * kept > perWall) return;
        start_.assign(static_cast<std::size_t>(n) + 1, 0);
        for (int r = 0; r < n; ++r) {
            const std::size_t ru = static_cast<std::size_t>(r);
            for (std::size_t i = 0; i < want[ru].size; ++i)
                kept_.push_back(Kept{want[ru].nf[i], ranges[ru][i].first, {}});
            start_[ru + 1] = kept_.size();
        }
        // One free count at a time, so that its array stays in cache.
        SumBits rev;
        for (std::size_t nf = 1; nf <= d; ++nf) {
            rev.reset(T, width);
            rev.clear();
            rev.set(T - 1);      // the empty sum
            std::int64_t F = 0;  // the free tracks added
            SumBits::Ones ones(T - 1);
            for (int r = 0; r < n; ++r) {
                const std::size_t ru = static_cast<std::size_t>(r);
                for (std::size_t i = start_[ru]; i < start_[ru + 1]; ++i)
                    if (kept_[i].nf == nf)
                        rev.copyWords(kept_[i].first, kept_[i].words,
                                      ranges[ru][i - start_[ru]].end);
                // Track r is free for every free count above its slot; only
                // the words a later wall reads are kept up to date, and those
                // that hold every sum they can already are left (the sums of
                // many short tracks fill up from their middle out).
                const std::int64_t f = from(nf, ru + 1);
                if (f * 64 >= T) break;  // no later wall reads this count
                const std::int64_t tr = t[ru];
                if (slot[ru] < nf) {
                    F += tr;
                    const Range w = window(F);
                    rev.addDown(
                        tr, static_cast<std::size_t>(std::max(f, w.first)),
                        static_cast<std::size_t>(w.end), ones,
                        static_cast<std::size_t>(std::max<std::int64_t>(0, T - 1 - F / 2) / 64));
                }
            }
        }
        on_ = true;
    }

    // Whether the sums are kept for the wall r.
    bool has(int r) const {
        return on_ && start_[static_cast<std::size_t>(r) + 1] > start_[static_cast<std::size_t>(r)];
    }

    // Is q a sum of one of `after` and one of the free tracks before r (the
    // nf shortest lengths)?
    bool holds(const SumBits& after, int r, std::size_t nf, std::int64_t q) const {
        for (std::size_t i = start_[static_cast<std::size_t>(r)];
             i < start_[static_cast<std::size_t>(r) + 1]; ++i)
            if (const Kept& k = kept_[i]; k.nf == nf)
                return after.meetsShifted(k.words, static_cast<std::size_t>(k.first), T_ - 1 - q);
        throw std::logic_error("prefix sums not kept");
    }

private:
    struct Kept {
        std::size_t nf;
        std::int64_t first;                // first word kept
        std::vector<std::uint64_t> words;  // words from `first` on
    };
    std::int64_t T_;
    bool on_ = false;
    std::vector<Kept> kept_;  // by wall, from start_[r] to start_[r + 1]
    std::vector<std::size_t> start_;
};

// The walls a scan looks at: from `first` down to `last` (first < 0: from
// the last track), the rule having passed the tracks after `first`; the sums
// kept with at most `slack` seconds left out (< 0: leftOutAtMost). A scan
// that starts inside the list keeps no prefix sums.
struct ScanWalls {
    int first = -1;
    int last = 0;
    std::int64_t slack = -1;
};

// `prefix`: where the kept prefix sums (PrefixSums) are used.
template <typename Rule>
std::int64_t smallestValue(const std::vector<std::int64_t>& t,
                           const std::vector<std::int64_t>& lengths, std::int64_t T,
                           std::int64_t best, Rule& rule, const EngineTuning& tuning,
                           PrefixSumsUse prefix, ScanWalls walls = {}) {
    const std::int64_t given = best;
    const int n = static_cast<int>(t.size());
    const int first = walls.first < 0 ? n - 1 : std::min(walls.first, n - 1);
    // The tracks before r, as counts per distinct length (`lengths`, ascending).
    std::vector<std::int64_t> count(lengths.size(), 0);
    std::int64_t beforeSum = 0, total = 0;
    for (int i = 0; i < n; ++i) {
        if (i < first) {
            ++count[slotOf(lengths, t[static_cast<std::size_t>(i)])];
            beforeSum += t[static_cast<std::size_t>(i)];
        }
        total += t[static_cast<std::size_t>(i)];
    }
    const std::int64_t slack = walls.slack < 0 ? leftOutAtMost(t, T) : walls.slack;
    SumBits x;
    // With a small `best` each wall asks for a few rooms only: then its sums
    // are tested against the free tracks before it one room at a time, with
    // their subset sums built once from the left (kept reversed, so that a
    // test is one pass: q is a sum exactly when some sum a after the wall has
    // q - a among the free sums) instead of being added per wall.
    const PrefixSums prefixSums(t, lengths, T, first == n - 1 ? best : PrefixSums::kMaxBest + 1,
                                tuning, prefix, rule.width());
    for (int r = first; r >= walls.last && best > 0 && !(Rule::kAnyBelow && best < given); --r) {
        const std::int64_t tr = t[static_cast<std::size_t>(r)];
        const std::int64_t qmax = largestAsked(lengths, count, beforeSum, tr, T);
        if (tr > 0 && qmax >= 0) {
            // The smallest value below `best` this wall gives with the sums
            // `after` (best if none).
            auto wallValue = [&](const SumBits& after) {
                std::int64_t found = best;
                const bool kept = prefixSums.has(r);
                // The sums in x are over the tracks after r and the free ones added.
                std::int64_t passed = total - beforeSum - tr;
                if (!kept) {
                    x.copyBelow(after, qmax + 1);
                    x.raiseFloor(passed - slack);
                }
                std::int64_t forcedSum = beforeSum;
                std::size_t nf = 0;  // lengths below rho: free
                auto scan = [&](std::int64_t lo, std::int64_t top) {
                    for (std::int64_t rho = lo; rho <= top; ++rho) {
                        for (; nf < lengths.size() && lengths[nf] < rho; ++nf) {
                            forcedSum -= lengths[nf] * count[nf];
                            if (!kept) addCopiesAbove(x, lengths[nf], count[nf], passed, slack);
                        }
                        const std::int64_t q = T - rho - forcedSum;
                        if (q < 0) continue;
                        const bool hit = !kept     ? x.test(q)
                                         : nf == 0 ? after.test(q)
                                                   : prefixSums.holds(after, r, nf, q);
                        if (hit) found = std::min(found, std::min(rho, tr - rho));
                    }
                };
                const WallRooms rooms(tr, T, found);
                scan(1, rooms.top);
                scan(std::max(rooms.from, tr - found + 1), rooms.hi);  // found may have dropped
                return found;
            };
            if constexpr (Rule::kHasWindow) {
                // The window's sums are some of the plain ones: the staircases
                // are only worth their cost where the plain sums give a value.
                const bool window =
                    windowNeeded(lengths, count, beforeSum, tr, T, best, rule.gap(tr));
                std::int64_t v = wallValue(rule.after(tr, false));
                if (window && v < best) v = wallValue(rule.after(tr, true));
                best = v;
            } else {
                best = wallValue(rule.after(tr, qmax + 1));
            }
        }
        rule.pass(tr);
        if (r > 0) {
            --count[slotOf(lengths, t[static_cast<std::size_t>(r - 1)])];
            beforeSum -= t[static_cast<std::size_t>(r - 1)];
        }
    }
    return best;
}

// Sure to be visited: the tracks after r taken first, from the last index
// down, each while the room still exceeds every track left out between r
// and it. Kept per level lambda, a bound on the longest track left out so
// far that every taken track was checked against.
class SureRule {
public:
    static constexpr bool kAnyBelow = false;  // the smallest value is wanted
    static constexpr bool kHasWindow = false;

    // Over the distinct `lengths`, target T, the sums kept with at most
    // `slack` left out (leftOutAtMost), with the word loops of `width`.
    SureRule(const std::vector<std::int64_t>& lengths, std::int64_t T, std::int64_t slack,
             words::Width width)
        : T_(T), slack_(slack), width_(width), levels_(lengths) {
        const std::size_t L = levels_.size();
        dp_.resize(L + 1);
        cum_.resize(L + 1);
        for (auto& b : dp_) {
            b.reset(T, width);
            b.clear();
        }
        for (auto& b : cum_) b.reset(T, width);
        dp_[L].reset(T, width);  // nothing taken yet
    }

    words::Width width() const { return width_; }

    // Bit arrays touched per track (at least the number held).
    static std::int64_t cost(std::size_t distinct) {
        return static_cast<std::int64_t>(2 * distinct + 2);
    }

    // The sums of the accepted sets of the tracks passed, for a wall of
    // length tr.
    const SumBits& after(std::int64_t tr, std::int64_t /*below*/) {
        cumulate();
        return cum_[level(tr)];
    }

    // The scan passes a track of `len` seconds (leftwards).
    void pass(std::int64_t len) {
        cumulate();
        passed_ += len;
        for (SumBits& b : dp_) b.raiseFloor(passed_ - slack_);
        for (std::size_t l = 0; l < levels_.size(); ++l) {
            if (levels_[l] < len) dp_[l].clear();
            dp_[l].orShifted(cum_[l], T_ - levels_[l], len);
        }
    }

private:
    // The level of a track of `len` seconds: its slot in levels_.
    std::size_t level(std::int64_t len) const { return slotOf(levels_, len); }

    // cum_[l] := the sums of dp_ at levels l and above.
    void cumulate() {
        for (std::size_t l = dp_.size(); l-- > 0;) {
            cum_[l].copyFrom(dp_[l]);
            if (l + 1 < dp_.size()) cum_[l].orWith(cum_[l + 1]);
        }
    }

    std::int64_t T_;
    std::int64_t slack_;
    words::Width width_;
    std::int64_t passed_ = 0;  // seconds of the tracks passed
    std::vector<std::int64_t> levels_;
    std::vector<SumBits> dp_, cum_;
};

// Necessary for being visited: for every track o left out at or after r,
// the taken tracks after o all start while the room exceeds t(o), so their
// sum less the longest of them is below T - t(o). Kept per longest taken
// track.
class PossibleRule {
public:
    static constexpr bool kAnyBelow = true;  // any value below `best` will do
    static constexpr bool kHasWindow = false;

    // As SureRule's.
    PossibleRule(const std::vector<std::int64_t>& lengths, std::int64_t T, std::int64_t slack,
                 words::Width width)
        : T_(T), slack_(slack), width_(width), lengths_(lengths) {
        dp_.resize(lengths_.size() + 1);
        for (auto& b : dp_) {
            b.reset(T, width);
            b.clear();
        }
        dp_.back().reset(T, width);  // nothing taken yet
        out_.reset(T, width);
    }

    words::Width width() const { return width_; }

    // Bit arrays touched per track.
    static std::int64_t cost(std::size_t distinct) {
        return static_cast<std::int64_t>(3 * distinct + 3);
    }

    // Exact below `below` (the sums above it are not asked for).
    const SumBits& after(std::int64_t tr, std::int64_t below) {
        out_.raiseFloor(passed_ - slack_);
        out_.clear();
        for (std::size_t k = 0; k < lengths_.size(); ++k)
            if (!dp_[k].empty()) out_.orShifted(dp_[k], std::min(T_ - tr + lengths_[k], below), 0);
        out_.orWith(dp_.back());
        return out_;
    }

    // The scan passes a track of `len` seconds (leftwards).
    void pass(std::int64_t len) {
        const std::size_t own = slotOf(lengths_, len);
        passed_ += len;
        for (SumBits& b : dp_) b.raiseFloor(passed_ - slack_);
        // Taken: into the bucket of max(longest, len).
        SumBits& into = tmp_;
        into.reset(T_, width_);
        into.raiseFloor(passed_ - slack_);
        into.clear();
        into.orShifted(dp_.back(), T_, len);
        // (Buckets with no sums at or above their floor are skipped.)
        for (std::size_t k = 0; k <= own; ++k)
            if (!dp_[k].empty()) {
                into.orShifted(dp_[k], T_, len);
                dp_[k].keepBelow(T_ - len + lengths_[k]);
            }
        for (std::size_t k = own + 1; k < lengths_.size(); ++k)
            if (!dp_[k].empty()) dp_[k].keepBelowAdd(T_ - len + lengths_[k], len);
        dp_[own].orWith(into);
    }

private:
    std::int64_t T_;
    std::int64_t slack_;
    words::Width width_;
    std::int64_t passed_ = 0;  // seconds of the tracks passed
    std::vector<std::int64_t> lengths_;
    std::vector<SumBits> dp_;  // per longest taken track; last: none taken
    SumBits out_, tmp_;
};

// The bit work of a scan with a rule per track, over `distinct` lengths and
// a target T; -1 where the rule's bit arrays would pass `memoryWords`.
template <typename Rule>
std::int64_t ruleWorkPerTrack(std::size_t distinct, std::int64_t T, std::int64_t memoryWords) {
    const std::int64_t words = T / 64 + 1;
    if (Rule::cost(distinct) * words > memoryWords) return -1;
    return (Rule::cost(distinct) + 2 * static_cast<std::int64_t>(distinct)) * words;
}

// Children of one node bounded together by PossibleRule. The node has the
// list L (its tracks off the path before its reaching track, then that
// track) and room R; its child c has the list L without c, cut at c's own
// reaching track, and the room R - t(c). One scan of L's walls after the
// last child bounded, at room R with the rule at target R - (the shortest
// child's length), bounds those walls for every child at once; the walls up
// to it are scanned per child, from the rule as it stands after them. A
// child it shows empty is empty (docs/split-engine.md, section 6). The kept
// prefix sums serve its scans only where they are clearly cheaper.
class SiblingBound;

// The children a SiblingBound bounds: those at the positions `first` to
// `last` of L of at least `shortest` seconds.
struct SiblingRange {
    int first, last;
    std::int64_t shortest;
};

class SiblingBound {
public:
    // Scans L's walls after `last` for the children of `range`: false if
    // they show a value below `best` (or the work would pass `budget`), else
    // those children can be bounded by value().
    bool start(std::vector<std::int64_t> list, std::int64_t room, const SiblingRange& range,
               std::int64_t best, std::int64_t budget, std::int64_t& spent, words::Width width,
               const EngineTuning& tuning) {
        on_ = false;
        tuning_ = &tuning;
        const int first = range.first, last = range.last;
        const std::int64_t shortest = range.shortest;
        const int n = static_cast<int>(list.size());
        if (room <= 0 || first < 0 || last < first || last + 1 >= n) return false;
        if (shortest <= 0 || shortest >= room) return false;
        lengths_ = distinctLengths(list);
        const std::int64_t perTrack =
            ruleWorkPerTrack<PossibleRule>(lengths_.size(), room, tuning.ruleMemoryWords);
        const std::int64_t work = (n - last) * perTrack;
        if (perTrack < 0 || work > budget) return false;
        spent += work;
        perTrack_ = perTrack;
        room_ = room;
        shortest_ = shortest;
        first_ = first;
        last_ = last;
        slack_ = leftOutAtMost(list, room);
        list_ = std::move(list);
        PossibleRule rule(lengths_, room - shortest, slack_, width);
        if (smallestValue(list_, lengths_, room, best, rule, tuning, PrefixSumsUse::WhereCheaper,
                          ScanWalls{-1, last + 1, -1}) < best)
            return false;
        rule_.emplace(std::move(rule));
        on_ = true;
        return true;
    }

    // Whether start() succeeded, and whether it bounds the child at position `at`.
    bool on() const { return on_; }
    bool covers(int at) const {
        return on_ && first_ <= at && at <= last_ &&
               list_[static_cast<std::size_t>(at)] >= shortest_;
    }

    // The smallest value below `best` of the child at position `at` (from
    // `first` to `last`), else `best`: its walls after `last` hold none below
    // the `best` start() had.
    std::int64_t value(int at, std::int64_t best, std::int64_t& spent) const {
        if (!covers(at)) throw std::logic_error("child not bounded together");
        if (last_ == 0) return best;  // the child is the first track: no wall before `last`
        std::vector<std::int64_t> own = list_;
        own.erase(own.begin() + at);
        PossibleRule rule = *rule_;
        spent += (last_ + 1) * perTrack_;
        return smallestValue(own, lengths_, room_ - list_[static_cast<std::size_t>(at)], best, rule,
                             *tuning_, PrefixSumsUse::WhereCheaper,
                             ScanWalls{last_ - 1, 0, slack_});
    }

private:
    bool on_ = false;
    std::vector<std::int64_t> list_, lengths_;
    std::int64_t room_ = 0, shortest_ = 0, slack_ = 0, perTrack_ = 0;
    int first_ = 0, last_ = -1;
    std::optional<PossibleRule> rule_;  // after L's tracks past last_
    const EngineTuning* tuning_ = nullptr;
};

// smallestValue with a rule, unless its bit work (about the number of 64-bit
// words touched, added to `spent`) would pass `budget` or its bit arrays the
// tuning's ruleMemoryWords; then -1.
template <typename Rule>
std::int64_t valueByRule(const std::vector<std::int64_t>& t, std::int64_t T, std::int64_t best,
                         std::int64_t budget, std::int64_t& spent, words::Width width,
                         const EngineTuning& tuning) {
    if (T <= 0 || t.empty()) return -1;
    const std::int64_t words = T / 64 + 1;
    if (static_cast<std::int64_t>(t.size()) * (Rule::cost(1) + 2) * words > budget) return -1;
    const std::vector<std::int64_t> lengths = distinctLengths(t);
    const std::int64_t perTrack = ruleWorkPerTrack<Rule>(lengths.size(), T, tuning.ruleMemoryWords);
    const std::int64_t work = static_cast<std::int64_t>(t.size()) * perTrack;
    if (perTrack < 0 || work > budget) return -1;
    spent += work;
    Rule rule(lengths, T, leftOutAtMost(t, T), width);
    return smallestValue(t, lengths, T, best, rule, tuning, tuning.prefixSums);
}

}  // namespace ztp::split
