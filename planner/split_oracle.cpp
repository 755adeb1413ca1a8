// Exact smallest value of a walk (the subtree oracle): smallestValue with a
// rule that accepts exactly the sets of tracks after a wall that the walk
// visits. Outside the window [T - gap, T - 1] below the target those are all
// the plain subset sums; inside it, each staircase (which tracks after the
// wall are left out, raising the level) adds one deadline pass over its free
// tracks. Why that is exact, the outlier's shortcut included:
// docs/split-engine.md, section 7. Past its staircase budget the rule falls
// back to the plain sums, and the answer is a lower bound.
#include "split_oracle.h"

#include <algorithm>
#include <bit>
#include <unordered_map>

#include "split_bounds.h"

namespace ztp::split {
namespace {

// The one track longer than all the others, if any.
struct Outlier {
    std::int64_t length = 0;  // 0: none
    // the largest g any other track can have before it (see localClose)
    std::int64_t gapBefore = 0;
    // the g of every track after it is at least gapBefore (see leafTail)
    bool tailFirst = false;
};

// What an ExactRule scans.
struct ExactRuleSetup {
    std::int64_t T;
    std::int64_t slack;   // leftOutAtMost
    std::int64_t budget;  // words of the staircases
    std::size_t stride;   // the plain sums are kept at every stride-th track passed
    bool windowAsked;     // whether any wall may ask for the window (close() needs the kept sums)
    Outlier outlier;
};

class ExactRule {
public:
    static constexpr bool kAnyBelow = false;
    static constexpr bool kHasWindow = true;

    // The scratch's `snaps` and `midSnaps` (their bit arrays reused) keep
    // the sums at every `stride`-th track passed; its free table counts
    // free lists by key. The tuning's freeHashMask and freeTableUpTo say how
    // free lists are matched (tests match them every way on small inputs).
    ExactRule(const std::vector<std::int64_t>& lengths, const ExactRuleSetup& setup,
              OracleScratch& scratch, const EngineTuning& tuning)
        : lengths_(lengths), T_(setup.T), slack_(setup.slack), budget_(setup.budget),
          stride_(setup.stride), words_(setup.T / 64 + 1), snapshots_(setup.windowAsked),
          outlier_(setup.windowAsked ? setup.outlier.length : 0),
          gapBefore_(setup.outlier.gapBefore), tailFirst_(setup.outlier.tailFirst),
          width_(scratch.width), snaps_(scratch.snaps), midSnaps_(scratch.midSnaps),
          memoWords_(tuning.memoWords), leafWorkPerFree_(tuning.leafWorkPerFree),
          hashMask_(tuning.freeHashMask) {
        plain_.reset(T_, width_);
        snaps_[0].copyFrom(plain_);
        suffixSum_.push_back(0);
        counts_.assign(lengths_.size(), 0);
        freeSum_.push_back(0);
        freeHash_.push_back(0);
        const std::size_t d = lengths_.size();
        if (d <= tuning.freeTableUpTo) {
            if (scratch.freeTable.size() < d * d) scratch.freeTable.assign(d * d, 0);
            table_ = scratch.freeTable.data();
        }
    }
    // A staircase over budget (or an exception) leaves its free tracks.
    ~ExactRule() { popFree(0); }
    ExactRule(const ExactRule&) = delete;
    ExactRule& operator=(const ExactRule&) = delete;

    // The largest g a track after a wall of length tr can have: its need is
    // at most the longest of the wall and the tracks after it.
    std::int64_t gap(std::int64_t tr) const {
        return suffixMin_ == 0 ? 0 : std::max(tr, suffixMax_) - suffixMin_;
    }
    // Whether every answer so far was exact (no staircase over budget), the
    // word loops, and the staircases' work so far.
    bool exact() const { return exact_; }
    words::Width width() const { return width_; }
    std::int64_t spent() const { return spent_; }

    // The sums of the visited sets of the tracks passed, for a wall of
    // length tr: the plain ones, or with `window` those in the window by
    // the staircases (the plain ones once over budget).
    const SumBits& after(std::int64_t tr, bool window) {
        if (!window) return plain_;
        if (!exact_) return plain_;  // over budget: a superset
        gap_ = gap(tr);
        out_.copyFrom(plain_);
        out_.keepBelow(T_ - gap_);
        if (!stairs(static_cast<int>(suffix_.size()) - 1, tr, 0)) {
            exact_ = false;
            return plain_;
        }
        return out_;
    }

    // The scan passes a track of `len` seconds (leftwards).
    void pass(std::int64_t len) {
        if (outlier_ > 0 && len == outlier_) passOutlier();
        longestTo_.push_back(std::max(longestTo_.empty() ? 0 : longestTo_.back(), len));
        tails_.emplace_back();
        suffix_.push_back(len);
        suffixSlot_.push_back(slotOf(lengths_, len));
        suffixSum_.push_back(suffixSum_.back() + len);
        if (len > 0) {
            suffixMax_ = std::max(suffixMax_, len);
            suffixMin_ = suffixMin_ == 0 ? len : std::min(suffixMin_, len);
        }
        const std::size_t k = suffix_.size() - 1;
        addPassed(plain_, k);
        if (ahead(static_cast<int>(k))) addPassed(mid_, k);
        if (suffix_.size() % stride_ != 0) return;
        const std::size_t at = suffix_.size() / stride_;
        if (snapshots_) snaps_[at].copyFrom(plain_);
        if (outIdx_ >= 0) midSnaps_[at].copyFrom(mid_);
    }

private:
    // `count` tracks of length lengths_[slot], free at level lengths_[level].
    struct Free {
        std::uint32_t level, slot;
        std::int64_t count;
    };
    // (level, slot) as one number.
    std::size_t keyOf(const Free& f) const { return f.level * lengths_.size() + f.slot; }

    // free_ as counts by key (with few lengths), and a hash of them, kept
    // as tracks are added and taken off: most staircases end with a free
    // list another one had, and a leaf then finds it without counting.
    // Equal lists have equal hashes; others mostly not (a match is checked).
    static std::uint64_t keyHash(std::size_t key) {
        const std::uint64_t z = (static_cast<std::uint64_t>(key) + 1) * 0x9e3779b97f4a7c15u;
        return z ^ (z >> 29);
    }
    // Puts `count` tracks of slot `slot` free at level `level` on free_.
    void pushFree(std::size_t level, std::size_t slot, std::int64_t count) {
        const Free f{static_cast<std::uint32_t>(level), static_cast<std::uint32_t>(slot), count};
        const std::size_t key = keyOf(f);
        free_.push_back(f);
        freeSum_.push_back(freeSum_.back() + lengths_[slot] * count);
        freeHash_.push_back(freeHash_.back() +
                            (static_cast<std::uint64_t>(count) * keyHash(key) & hashMask_));
        if (table_ && (table_[key] += static_cast<std::int32_t>(count)) == count) ++freeKinds_;
    }
    // Takes the free tracks from position `mark` on off free_.
    void popFree(std::size_t mark) {
        if (table_)
            for (std::size_t i = mark; i < free_.size(); ++i)
                if ((table_[keyOf(free_[i])] -= static_cast<std::int32_t>(free_[i].count)) == 0)
                    --freeKinds_;
        free_.resize(mark);
        freeSum_.resize(mark + 1);
        freeHash_.resize(mark + 1);
    }
    // `list` as (key, count), by key, each key once.
    using Counted = std::vector<std::pair<std::size_t, std::int64_t>>;
    void countByKey(const std::vector<Free>& list, Counted& out) const {
        out.clear();
        for (const Free& f : list) out.push_back({keyOf(f), f.count});
        std::sort(out.begin(), out.end());
        std::size_t m = 0;
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (m > 0 && out[m - 1].first == out[i].first) out[m - 1].second += out[i].second;
            else out[m++] = out[i];
        }
        out.resize(m);
    }
    // Whether free_ holds exactly `keys`.
    bool freeIs(const Counted& keys) {
        if (table_) {
            if (keys.size() != freeKinds_) return false;
            for (const auto& [key, c] : keys)
                if (table_[key] != c) return false;
            return true;
        }
        countByKey(free_, looked_);
        return looked_ == keys;
    }

    // The tracks of positive length from suffix index k to the right end,
    // as (slot, count), counted once.
    const std::vector<std::pair<std::size_t, std::int64_t>>& tailOf(int k) {
        auto& out = tails_[static_cast<std::size_t>(k)];
        if (!out.empty() || suffixSum_[static_cast<std::size_t>(k) + 1] == 0) return out;
        for (int j = k; j >= 0; --j) ++counts_[suffixSlot_[static_cast<std::size_t>(j)]];
        for (int j = k; j >= 0; --j) {
            const std::size_t slot = suffixSlot_[static_cast<std::size_t>(j)];
            if (counts_[slot] > 0 && lengths_[slot] > 0) out.push_back({slot, counts_[slot]});
            counts_[slot] = 0;
        }
        return out;
    }

    // Charges `w` words of staircase work: false once over budget.
    bool charge(std::int64_t w) {
        spent_ += w;
        return spent_ <= budget_;
    }

    // Adds suffix_[k] to sums over the tracks after it, keeping only the
    // words a set that leaves out at most slack_ of them can reach.
    void addPassed(SumBits& sums, std::size_t k) const {
        sums.raiseFloor(suffixSum_[k + 1] - slack_);
        sums.add(suffix_[k]);
    }

    // Is suffix index k left of the outlier?
    bool ahead(int k) const { return outIdx_ >= 0 && k > outIdx_; }

    // Staircases from suffix index k (tracks after the wall are suffix_[k],
    // suffix_[k-1], ..., suffix_[0], left to right).
    bool stairs(int k, std::int64_t level, std::int64_t F) {
        if (ahead(k + 1) && F >= gapBefore_) return localClose(k + 1, F);
        const std::size_t mark = free_.size();
        std::size_t levelSlot = slotOf(lengths_, level);
        bool tail = false;  // ended at the outlier
        for (; k >= 0; --k) {
            // Everything still possible stays below the window: plain sums only.
            if (F + freeSum_.back() + suffixSum_[static_cast<std::size_t>(k) + 1] < T_ - gap_)
                break;
            // The rest is free at this level.
            if (level >= longestTo_[static_cast<std::size_t>(k)]) {
                for (const auto& [slot, c] : tailOf(k)) pushFree(levelSlot, slot, c);
                k = -1;
                break;
            }
            const std::int64_t len = suffix_[static_cast<std::size_t>(k)];
            if (len == 0) continue;
            if (len <= level) {
                pushFree(levelSlot, suffixSlot_[static_cast<std::size_t>(k)], 1);
                continue;
            }
            if (!charge(1)) return false;
            if (F + len < T_) {  // in A, before the level
                if (F + len >= gap_) {
                    if (!close(k, F + len)) return false;
                } else if (ahead(k) && F + len >= gapBefore_) {
                    if (!localClose(k, F + len)) return false;
                } else if (!stairs(k - 1, level, F + len)) {
                    return false;
                }
            }
            if (k == outIdx_ && tailFirst_) {  // the outlier left out
                if (F + freeSum_.back() + suffixSum_[static_cast<std::size_t>(k)] >= T_ - gap_ &&
                    !leafTail(F))
                    return false;
                tail = true;
                break;
            }
            level = len;  // left out: the level rises
            levelSlot = suffixSlot_[static_cast<std::size_t>(k)];
        }
        if (!tail && k < 0 && F + freeSum_.back() >= T_ - gap_ && !leaf(F)) return false;
        popFree(mark);
        return true;
    }

    // Forced sum F >= gap after suffix index k: every completion is visited.
    bool close(int k, std::int64_t F) { return closeWith(false, k, F); }

    // Forced sum F >= gapBefore_ after suffix index k, left of the outlier:
    // every track left of the outlier that A takes then starts while the
    // room exceeds its need, at any time, so A is visited exactly when its
    // tracks after the outlier are: all of them with the outlier in A
    // (forced, F + outlier >= gap), else those the deadline pass at level
    // outlier takes with the room T - (their sum) (feas_). The sums are mid
    // snapshot k: tail_ plus any tracks between k and the outlier.
    bool localClose(int k, std::int64_t F) { return closeWith(true, k, F); }

    // F plus the free tracks plus the sums at suffix index k (plain, or
    // `mid`): from the snapshot at or before k, with the tracks since.
    bool closeWith(bool mid, int k, std::int64_t F) {
        if (F + freeSum_.back() + suffixSum_[static_cast<std::size_t>(k)] < T_ - gap_) return true;
        if (!snapshots_) return false;
        const std::size_t to = static_cast<std::size_t>(k);
        std::size_t from = to / stride_ * stride_;
        if (!mid) {
            bits_.copyFrom(snaps_[from / stride_]);
        } else if (from > static_cast<std::size_t>(outIdx_)) {
            bits_.copyFrom(midSnaps_[from / stride_]);
        } else {
            from = static_cast<std::size_t>(outIdx_) + 1;  // mid_ starts as tail_ there
            bits_.copyFrom(tail_);
        }
        if (!charge(static_cast<std::int64_t>(to - from) * words_)) return false;
        for (std::size_t j = from; j < to; ++j) addPassed(bits_, j);
        if (!addFree() || !charge(2 * words_)) return false;
        out_.orShifted(bits_, T_ - F, F);
        return true;
    }

    // Adds the free tracks to bits_, each length's copies as O(log count)
    // items (counted by slot: many copies of a few lengths are usual),
    // charged for the counting as a leaf is.
    bool addFree() {
        slots_.clear();
        for (const Free& f : free_) {
            if (counts_[f.slot] == 0) slots_.push_back(f.slot);
            counts_[f.slot] += f.count;
        }
        std::int64_t parts = 0;
        for (const std::size_t slot : slots_)
            parts += std::bit_width(static_cast<std::uint64_t>(counts_[slot]));
        const bool ok =
            charge(parts * words_ + leafWorkPerFree_ * static_cast<std::int64_t>(free_.size()));
        for (const std::size_t slot : slots_) {
            if (ok) addCopies(bits_, lengths_[slot], counts_[slot]);
            counts_[slot] = 0;
        }
        return ok;
    }

    // The outlier left out with forced sum F < gapBefore_ (tailFirst_): the
    // tracks after it are free at its level, with g at least outlier -
    // second longest >= every g before it, so the deadline pass takes them
    // first: it starts from their sums, feas_.
    bool leafTail(std::int64_t F) { return leafFrom(true, F); }

    // The outlier is passed (it is the next track left of the suffix):
    // feas_ and tail_ for the tracks after it, mid_ from tail_.
    void passOutlier() {
        outIdx_ = static_cast<int>(suffix_.size());
        order_.clear();
        for (std::int64_t len : suffix_)
            if (len > 0)
                order_.push_back({static_cast<std::uint32_t>(slotOf(lengths_, outlier_)),
                                  static_cast<std::uint32_t>(slotOf(lengths_, len)), 1});
        bits_.reset(T_, width_);
        countByKey(order_, counted_);
        sortKeys(counted_);
        if (!deadline() || !charge(static_cast<std::int64_t>(lens_.size() + 4) * words_)) {
            outIdx_ = -1;  // over budget: staircases as without it
            outlier_ = 0;
            return;
        }
        addAll(bits_, lens_);
        feas_ = bits_;
        tail_ = feas_;
        tail_.orShifted(plain_, T_ - outlier_, outlier_);
        mid_ = tail_;
    }

    // The deadline pass for one staircase with forced sum F < gap.
    bool leaf(std::int64_t F) { return leafFrom(false, F); }

    // The sums of the free tracks (from feas_ with `tail`), plus F, into the
    // result. Most staircases leave the same tracks free at the same levels
    // as some other one (they differ in the tracks taken): the sums are
    // kept by free list, up to the tuning's memoWords in all, and found by the
    // list's hash (kept as the list grows), checked against its counts.
    bool leafFrom(bool tail, std::int64_t F) {
        if (!charge(leafWorkPerFree_ * static_cast<std::int64_t>(free_.size()))) return false;
        auto& memo = memo_[tail ? 1 : 0];
        const auto [from, to] = memo.equal_range(freeHash_.back());
        const Memo* found = nullptr;
        for (auto it = from; it != to && !found; ++it)
            if (freeIs(it->second.keys)) found = &it->second;
        if (!found) {
            Memo m;
            countByKey(free_, m.keys);
            sortKeys(m.keys);
            if (tail) bits_.copyFrom(feas_);
            else bits_.reset(T_, width_);
            if (!deadline()) return false;
            if (!charge(static_cast<std::int64_t>(lens_.size() + 2) * words_)) return false;
            addAll(bits_, lens_);
            if (memoUsed_ + words_ > memoWords_) {
                out_.orShifted(bits_, T_ - F, F);
                return true;
            }
            memoUsed_ += words_;
            m.sums = bits_;
            found = &memo.emplace(freeHash_.back(), std::move(m))->second;
        }
        if (!charge(words_)) return false;
        out_.orShifted(found->sums, T_ - F, F);
        return true;
    }

    // keys_ := `counted` as (g, length), sorted: g from largest to
    // smallest, then length.
    void sortKeys(const Counted& counted) {
        keys_.clear();
        const std::size_t d = lengths_.size();
        for (const auto& [key, c] : counted) {
            const std::int64_t len = lengths_[key % d];
            keys_.push_back(
                {(static_cast<std::uint64_t>(kKeyBias - (lengths_[key / d] - len)) << 32) |
                     static_cast<std::uint64_t>(len),
                 c});
        }
        std::sort(keys_.begin(), keys_.end());
    }

    // The deadline pass over keys_ into bits_: by g from largest to
    // smallest, each kept while the running sum stays below T - g. Tracks
    // with g <= 0 never fail and are left in lens_.
    bool deadline() {
        lens_.clear();
        for (const auto& [key, c] : keys_) {
            const std::int64_t g = kKeyBias - static_cast<std::int64_t>(key >> 32);
            const std::int64_t len = static_cast<std::int64_t>(key & 0xffffffffu);
            if (g <= 0) {
                lens_.insert(lens_.end(), static_cast<std::size_t>(c), len);
            } else {
                // c copies of one (g, length) add s + k len for k <= c where
                // that stays below T - g (then every step before it did, so
                // they go in as O(log c) items, each kept below T - g).
                if (!charge((3 + 2 * std::bit_width(static_cast<std::uint64_t>(c))) * words_))
                    return false;
                inParts(c, [&](std::int64_t k) { bits_.addBelow(len * k, T_ - g); });
            }
        }
        return true;
    }

    const std::vector<std::int64_t>& lengths_;  // distinct, ascending
    std::int64_t T_;
    std::int64_t slack_;    // leftOutAtMost: words of sums below passed - slack_ are not kept
    std::int64_t gap_ = 0;  // gap(t(w)) for the wall being scanned
    std::int64_t budget_;
    std::int64_t suffixMax_ = 0, suffixMin_ = 0;  // longest, shortest positive track passed
    std::size_t stride_;
    std::int64_t words_;
    std::int64_t spent_ = 0;
    bool exact_ = true;
    bool snapshots_;
    std::int64_t outlier_, gapBefore_;
    bool tailFirst_;
    words::Width width_;
    int outIdx_ = -1;  // the outlier's suffix index once passed
    SumBits plain_, out_, bits_;
    SumBits feas_;                    // sums the deadline pass takes after the outlier, left out
    SumBits tail_;                    // feas_, and the outlier plus any sums after it
    SumBits mid_;                     // tail_ plus the sums of the tracks passed since the outlier
    std::vector<SumBits>& snaps_;     // snaps_[k / stride_]: subset sums of suffix_[0..k-1]
    std::vector<SumBits>& midSnaps_;  // midSnaps_[k / stride_]: mid_ over suffix_[outIdx_ + 1..k-1]
    std::vector<std::int64_t> suffix_, suffixSum_;
    std::vector<std::size_t> suffixSlot_;  // slot of suffix_[k] in lengths_
    std::vector<std::int64_t> longestTo_;  // the longest of suffix_[0..k]
    // tailOf(k), once counted
    std::vector<std::vector<std::pair<std::size_t, std::int64_t>>> tails_;
    std::vector<Free> free_, order_;
    std::vector<std::pair<std::uint64_t, std::int64_t>> keys_;  // (g, length) as one key, copies
    std::vector<std::int64_t> counts_;                          // per slot, while counting
    std::vector<std::size_t> slots_;                            // the slots counted
    std::int64_t memoWords_;                                    // leaf sums kept, in words, at most
    // A leaf counts, sorts and looks up its free tracks, a close counts
    // them: at small rooms that costs far more than their words, so each
    // is charged so many a track.
    std::int64_t leafWorkPerFree_;
    struct Memo {
        Counted keys;  // the free list, countByKey
        SumBits sums;
    };
    // leafFrom's by free list hash, by `tail`
    std::unordered_multimap<std::uint64_t, Memo> memo_[2];
    std::int64_t memoUsed_ = 0;
    // kKeyBias - g fits 32 bits (lengths are below 2^31)
    static constexpr std::int64_t kKeyBias = std::int64_t{1} << 31;
    std::vector<std::int64_t> freeSum_, lens_;
    std::vector<std::uint64_t> freeHash_;  // of free_[0..k-1], as freeSum_
    std::uint64_t hashMask_;
    std::int32_t* table_ = nullptr;  // the scratch's free table, with few lengths
    std::size_t freeKinds_ = 0;      // keys with a count in table_
    Counted looked_, counted_;
};

// Whether smallestValue can ask any wall for the window: windowNeeded at
// the given `best` (it only drops during the scan, and windowNeeded never
// turns true as it drops), for every wall with its tracks before it.
bool windowAnywhere(const std::vector<std::int64_t>& t, const std::vector<std::int64_t>& lengths,
                    std::int64_t T, std::int64_t best, std::int64_t gap) {
    std::vector<std::int64_t> count(lengths.size(), 0);
    std::int64_t beforeSum = 0;
    for (std::int64_t len : t) {
        if (len > 0 && windowNeeded(lengths, count, beforeSum, len, T, best, gap)) return true;
        ++count[slotOf(lengths, len)];
        beforeSum += len;
    }
    return false;
}

}  // namespace

OracleAnswer exactValue(const std::vector<std::int64_t>& t, std::int64_t T,
                        const OracleQuery& query, std::int64_t& spent, OracleScratch& scratch,
                        const EngineTuning& tuning) {
    const std::int64_t best = query.best;
    if (T <= 0 || t.empty()) return {-1, false};
    const std::int64_t words = T / 64 + 1;
    const std::vector<std::int64_t> lengths = distinctLengths(t);
    const std::int64_t n = static_cast<std::int64_t>(t.size());
    const std::int64_t work = oracleWork(n, static_cast<std::int64_t>(lengths.size()), T);
    if (work > query.budget) return {-1, false};
    std::int64_t lo = 0, hi = 0;
    for (std::int64_t len : lengths)
        if (len > 0) {
            if (lo == 0) lo = len;
            hi = len;
        }
    const bool window = windowAnywhere(t, lengths, T, best, hi - lo);
    // One track longer than all others: before it every g is at most
    // second - lo; after it, left out, every g is at least hi - second.
    Outlier outlier{0, hi - lo, false};
    if (const std::size_t d = lengths.size(); d >= 2 && std::count(t.begin(), t.end(), hi) == 1) {
        const std::int64_t second = lengths[d - 2];
        const std::int64_t g = second > 0 ? second - lo : 0;
        if (g < hi - lo) outlier = {hi, g, hi - second >= g};
    }
    // The plain sums kept for the staircases: one array per snapshotStride
    // tracks passed, or per more where they would pass snapshotWords. A
    // staircase that needs the sums between two of them adds the tracks
    // since the one before.
    const std::int64_t snapWords =
        outlier.length > 0 ? tuning.snapshotWords / 2 : tuning.snapshotWords;
    const std::int64_t slots = std::max<std::int64_t>(1, snapWords / words);
    // (n + 1) / stride arrays, rounded up, fit.
    const std::int64_t stride = std::max(tuning.snapshotStride, (n + slots) / slots);
    const auto kept = static_cast<std::size_t>(n / stride + 1);
    if (scratch.snaps.size() < kept) scratch.snaps.resize(kept);
    if (outlier.length > 0 && scratch.midSnaps.size() < kept) scratch.midSnaps.resize(kept);
    const ExactRuleSetup setup{
        T,      leftOutAtMost(t, T), query.windowBudget, static_cast<std::size_t>(stride), window,
        outlier};
    ExactRule rule(lengths, setup, scratch, tuning);
    const std::int64_t value = smallestValue(t, lengths, T, best, rule, tuning, tuning.prefixSums);
    spent += work + rule.spent();
    return {value, rule.exact()};
}

}  // namespace ztp::split
