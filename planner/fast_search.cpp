// The fast side split engine: the same split as literalSearch, found by a
// depth-first walk over the same tree that skips every subtree which provably
// cannot change the result.
//
// Terms. A node is a path (the tracks chosen so far) with sum s < T, or the
// root. Its room is R = T - s, its reaching track r the first track not on the
// path whose length is at least R, its children the tracks not on the path
// with index below r (all of them if there is no reaching track). When a node
// has a reaching track, its candidate is evaluated after all its children:
// value v = min(R, t(r) - R); it replaces the best one exactly when
// v < BestDiff (the tie rule only picks which of path / path+r is stored).
// So the result is the first candidate, in this post-order, whose value
// equals the minimum value over the whole walk, and a walk that evaluates the
// same candidates in the same order, minus candidates whose value is not
// below BestDiff at the moment they would be evaluated, gives the same result.
//
// Facts used below:
//  (F1) The subtree below a node depends only on the set of tracks on the path
//       (the membership test and the sum are all a level looks at), and in
//       fact only on the sequence of lengths of its children plus the
//       reaching track, and on R: nothing else is ever read below it.
//  (F2) BestDiff never rises. Once a subtree has been walked (or skipped by
//       one of the rules here), every value in it is >= BestDiff; any later
//       subtree whose values are the same can therefore record nothing.
//  (F3) Every track added below a node has an index below its reaching track,
//       and every later reaching track has an index no larger.
//  (F4) If all tracks together are shorter than T, nothing is recorded.
//
// Invariant: when a subtree is left (walked to the end or skipped), every
// value in it is >= BestDiff. Walking it records only values below BestDiff;
// each rule below skips only subtrees whose values are all >= BestDiff, so
// the candidates the walk leaves out are exactly ones that could not have
// been recorded, and the recorded sequence is the literal search's.
//
// Skipping rules, each a consequence of (F1)/(F2):
//  - Equal neighbours: if two consecutive children of a node have the same
//    length, the second child's subtree sees the same length sequence and the
//    same room as the first's (F1); after the first has been finished its
//    values are all >= BestDiff (F2).
//  - Earlier order: a node reached by adding track a, with child c < a, where
//    adding c before a is also a valid path, has the same set as a path that
//    comes earlier in the walk and has been finished already (F1, F2).
//  - Zero-length child: a track of 0 seconds never reaches, never changes a
//    sum, and as a non-path track never stops a level; the subtree below it
//    therefore holds exactly the values of the whole subtree of its parent
//    (map a set U to U without the track). Once it is finished, nothing else
//    below the parent, including the parent's own candidate, can record.
//  - Bounds: every candidate in a subtree is measured as s + w against T,
//    where w is the sum of some subset of the children plus the reaching
//    track (F3). If subset-sum bits show no such w with |s + w - T| below
//    BestDiff, the subtree can record nothing.
//  - Global bound: no value is smaller than the distance from T of the
//    closest subset sum of all tracks; once BestDiff reaches it, or an exact
//    hit is recorded, the walk is over.
// The walk uses an explicit stack (depth up to the number of tracks + 1) and
// at most a few bit arrays of (T + longest track) bits.
#include "split_search.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace ztp {
namespace {

// Subset sums over [0, bits) as a bit array.
class SumBits {
public:
    void reset(std::int64_t bits) {
        bits_ = bits < 1 ? 1 : bits;
        words_.assign(static_cast<std::size_t>((bits_ + 63) / 64), 0);
        words_[0] = 1;
    }

    // sums |= sums << len
    void add(std::int64_t len) {
        if (len <= 0 || len >= bits_) return;
        const std::size_t q = static_cast<std::size_t>(len / 64);
        const unsigned b = static_cast<unsigned>(len % 64);
        std::uint64_t* w = words_.data();
        const std::size_t nw = words_.size();
        if (b == 0) {
            for (std::size_t i = nw; i-- > q;) w[i] |= w[i - q];
        } else {
            for (std::size_t i = nw; i-- > q + 1;) w[i] |= (w[i - q] << b) | (w[i - q - 1] >> (64 - b));
            w[q] |= w[0] << b;
        }
        trimTail();
    }

    bool test(std::int64_t k) const {
        if (k < 0 || k >= bits_) return false;
        return (words_[static_cast<std::size_t>(k / 64)] >> (k % 64)) & 1;
    }

    // Any sum in [lo, hi] (clipped to the array)?
    bool anyIn(std::int64_t lo, std::int64_t hi) const {
        if (lo < 0) lo = 0;
        if (hi >= bits_) hi = bits_ - 1;
        for (std::int64_t k = lo; k <= hi;) {
            if (k % 64 == 0 && k + 63 <= hi) {
                if (words_[static_cast<std::size_t>(k / 64)] != 0) return true;
                k += 64;
            } else {
                if (test(k)) return true;
                ++k;
            }
        }
        return false;
    }

    std::int64_t bits() const { return bits_; }

private:
    void trimTail() {
        const unsigned extra = static_cast<unsigned>(words_.size() * 64 - static_cast<std::size_t>(bits_));
        if (extra) words_.back() &= ~std::uint64_t{0} >> extra;
    }

    std::int64_t bits_ = 1;
    std::vector<std::uint64_t> words_;
};

// Adds a multiset of lengths, k equal lengths as O(log k) items.
template <typename Lengths>
void addAll(SumBits& bits, const Lengths& lengths) {
    std::map<std::int64_t, std::int64_t> counts;
    for (std::int64_t len : lengths)
        if (len > 0) ++counts[len];
    for (const auto& [len, count] : counts) {
        std::int64_t left = count;
        for (std::int64_t part = 1; left > 0; part *= 2) {
            const std::int64_t take = std::min(part, left);
            bits.add(len * take);
            left -= take;
        }
    }
}

class FastSearch {
public:
    FastSearch(const std::vector<std::int32_t>& times, std::int64_t target, const SearchControl* control)
        : n_(static_cast<int>(std::min<std::size_t>(times.size(), kMaxTracks))), T_(target), control_(control) {
        t_.resize(static_cast<std::size_t>(n_));
        for (int i = 0; i < n_; ++i) {
            t_[i] = times[static_cast<std::size_t>(i)];
            total_ += t_[i];
            maxLen_ = std::max(maxLen_, t_[i]);
        }
        in_.assign(static_cast<std::size_t>(n_) + 1, 0);
    }

    SearchResult run() {
        SearchResult result;
        result.bestDiff = kInitialBestDiff;
        if (n_ == 0 || (T_ > 0 && total_ < T_)) return result;  // (F4)
        walk();
        result.best = best_;
        result.bestDiff = bestDiff_;
        result.exactHit = exact_;
        result.steps = steps_;
        return result;
    }

private:
    struct Frame {
        std::int64_t s;
        int r;           // reaching track, n_ if none
        int next;        // next index to look at as a child
        int added;       // track that led here, -1 at the root
        int prevChild;   // last child looked at, -1 if none
        int arg1;        // index of max1
        std::int64_t max1, max2;  // two longest non-path tracks below `added`
        bool done;       // nothing more in this subtree can record
    };

    static constexpr std::int64_t kBoundBudget = 1 << 16;  // words touched per subtree bound
    static constexpr std::uint64_t kGlobalBoundAfter = 2000;

    void tick() {
        ++steps_;
        if (!control_ || (steps_ & 255) != 0) return;
        if (control_->cancel && control_->cancel->load(std::memory_order_relaxed)) throw SearchAborted{true};
        if (control_->stepLimit && steps_ >= control_->stepLimit) throw SearchAborted{false};
    }

    void enter(std::int64_t s, int added, int parentR) {
        tick();
        Frame f{};
        f.s = s;
        f.added = added;
        f.next = 0;
        f.prevChild = -1;
        f.arg1 = -1;
        f.max1 = f.max2 = -1;
        f.done = false;
        f.r = parentR;
        const std::int64_t R = T_ - s;
        bool found = false;
        for (int i = 0; i < parentR; ++i) {
            if (found && i >= added) break;
            if (in_[static_cast<std::size_t>(i)]) continue;
            const std::int64_t len = t_[static_cast<std::size_t>(i)];
            if (i < added) {
                if (len > f.max1) {
                    f.max2 = f.max1;
                    f.max1 = len;
                    f.arg1 = i;
                } else if (len > f.max2) {
                    f.max2 = len;
                }
            }
            if (!found && len >= R) {
                f.r = i;
                found = true;
            }
        }
        if (bestDiff_ < kInitialBestDiff && cannotImprove(f)) f.done = true;
        stack_.push_back(f);
    }

    // Subset-sum bound over the children and the reaching track (see header).
    bool cannotImprove(const Frame& f) {
        const std::int64_t R = T_ - f.s;
        const std::int64_t lo = R - bestDiff_ + 1, hi = R + bestDiff_ - 1;
        lens_.clear();
        std::int64_t sum = 0;
        for (int i = 0; i < f.r; ++i)
            if (!in_[static_cast<std::size_t>(i)]) {
                lens_.push_back(t_[static_cast<std::size_t>(i)]);
                sum += t_[static_cast<std::size_t>(i)];
            }
        if (f.r < n_) {
            lens_.push_back(t_[static_cast<std::size_t>(f.r)]);
            sum += t_[static_cast<std::size_t>(f.r)];
        }
        if (sum < lo || hi < 0) return true;
        if (lo <= 0) return false;
        const std::int64_t limit = std::min(hi, sum) + 1;
        if (static_cast<std::int64_t>(lens_.size()) * (limit / 64 + 1) > kBoundBudget) return false;
        bits_.reset(limit);
        addAll(bits_, lens_);
        return !bits_.anyIn(lo, hi);
    }

    void computeGlobalBound() {
        globalKnown_ = true;
        if (T_ <= 0) {
            globalBound_ = 0;
            return;
        }
        bits_.reset(T_ + maxLen_ + 1);
        addAll(bits_, t_);
        std::int64_t bestDist = kInitialBestDiff;
        for (std::int64_t d = 0; d <= maxLen_ && d < bestDist; ++d)
            if (bits_.test(T_ - d) || bits_.test(T_ + d)) bestDist = d;
        globalBound_ = bestDist;
    }

    void record(const Frame& f) {
        const std::int64_t shortfall = T_ - f.s;
        const std::int64_t overshoot = f.s + t_[static_cast<std::size_t>(f.r)] - T_;
        if (shortfall < bestDiff_ || overshoot < bestDiff_) {
            best_ = path_;
            if (overshoot <= shortfall) {
                bestDiff_ = overshoot;
                best_.push_back(f.r);
            } else {
                bestDiff_ = shortfall;
            }
        }
        if (overshoot == 0) {
            exact_ = true;
            stop_ = true;
        }
        if (globalKnown_ && bestDiff_ <= globalBound_) stop_ = true;
    }

    int nextChild(Frame& f) {
        while (f.next < f.r) {
            const int c = f.next++;
            if (in_[static_cast<std::size_t>(c)]) continue;
            const int prev = f.prevChild;
            f.prevChild = c;
            const std::int64_t len = t_[static_cast<std::size_t>(c)];
            if (prev >= 0 && t_[static_cast<std::size_t>(prev)] == len) continue;
            if (f.added >= 0 && c < f.added) {
                const std::int64_t others = c == f.arg1 ? f.max2 : f.max1;
                if (others < T_ - f.s + t_[static_cast<std::size_t>(f.added)] - len) continue;
            }
            return c;
        }
        return -1;
    }

    void walk() {
        stack_.reserve(static_cast<std::size_t>(n_) + 2);
        path_.reserve(static_cast<std::size_t>(n_) + 1);
        enter(0, -1, n_);
        while (!stack_.empty() && !stop_) {
            Frame& f = stack_.back();
            if (!f.done) {
                const int c = nextChild(f);
                if (c >= 0) {
                    in_[static_cast<std::size_t>(c)] = 1;
                    path_.push_back(c);
                    enter(f.s + t_[static_cast<std::size_t>(c)], c, f.r);
                    continue;
                }
                if (f.r < n_) record(f);
                if (!globalKnown_ && !stop_ && steps_ >= kGlobalBoundAfter) {
                    computeGlobalBound();
                    if (bestDiff_ <= globalBound_) stop_ = true;
                }
            }
            const int a = stack_.back().added;
            stack_.pop_back();
            if (a >= 0) {
                in_[static_cast<std::size_t>(a)] = 0;
                path_.pop_back();
                if (t_[static_cast<std::size_t>(a)] == 0 && !stack_.empty()) stack_.back().done = true;
            }
        }
    }

    int n_;
    std::int64_t T_;
    const SearchControl* control_;
    std::vector<std::int64_t> t_;
    std::int64_t total_ = 0;
    std::int64_t maxLen_ = 0;
    std::vector<char> in_;
    std::vector<int> path_;
    std::vector<Frame> stack_;
    std::vector<int> best_;
    std::int64_t bestDiff_ = kInitialBestDiff;
    bool exact_ = false;
    bool stop_ = false;
    bool globalKnown_ = false;
    std::int64_t globalBound_ = 0;
    std::uint64_t steps_ = 0;
    SumBits bits_;
    std::vector<std::int64_t> lens_;
};

}  // namespace

SearchResult fastSearch(const std::vector<std::int32_t>& times, std::int64_t target,
                        const SearchControl* control) {
    FastSearch search(times, target, control);
    return search.run();
}

}  // namespace ztp
