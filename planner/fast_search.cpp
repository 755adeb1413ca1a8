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
//
// Which sets are visited. For a set U with sum s < T, call the tracks not in
// U its outsiders, R = T - s its room and r(U) its reaching track, the first
// outsider of at least R seconds. U is the set of some node exactly when its
// tracks can be taken in an order in which each track x, taken with p seconds
// already taken, comes before the level's reaching track, i.e. every
// outsider before x is shorter than T - p (a track of U not yet taken is
// shorter than the room and never stops a level). Outsiders before r(U) are
// shorter than R <= T - p, so they never stop anything: only the tracks of U
// after r(U) are bound, each by the longest outsider between r(U) and it.
//
// Bounds by rule. By (F1) the subtree of a node is itself a walk: over the
// tracks off the path up to its reaching track, with the room as target.
// smallestValue looks at every possible reaching track r and room rho of a
// set in such a walk: the tracks before r of at least rho seconds are in the
// set, the shorter ones are free, and the set's tracks after r are those a
// rule accepts.
//  - PossibleRule accepts a superset of the visited ones: for every outsider o
//    at or after r, the set's tracks after o all start with p < T - t(o), and
//    the last of them to start does so at their sum less the longest of them
//    or later. A node whose smallest possible value is not below BestDiff
//    holds nothing that could be recorded, and is skipped.
//  - SureRule accepts only visited ones: the tracks after r taken first, from
//    the last index down, each checked against a level at least the longest
//    outsider before it. If a node surely holds a set of value v with
//    v + 1 < BestDiff, BestDiff drops to v + 1: that set lies in the part not
//    yet walked (everything walked is >= BestDiff) and will be recorded, and a
//    candidate of value above v can no longer be the final one.
// These cost bit arrays of the node's room times its number of tracks, so
// they run only within a work budget per node, and only once a first walk
// with the cheap rules has taken kRulesAfter steps without finishing. Then the
// walk starts again from the root, keeping BestDiff and the best set: the part
// already walked holds no value below BestDiff, so it records nothing again.
//
// The walk uses an explicit stack (depth up to the number of tracks + 1).
// Memory: bit arrays of (T + longest track) bits for the global bound, and
// for the rules at most kRuleMemoryWords words.
#include "split_search.h"

#include <algorithm>

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

    void clear() { std::fill(words_.begin(), words_.end(), 0); }

    // sums |= other
    void orWith(const SumBits& other) {
        for (std::size_t i = 0; i < words_.size() && i < other.words_.size(); ++i) words_[i] |= other.words_[i];
    }

    // sums |= (other's sums below limit) << len; other is not this array.
    void orShifted(const SumBits& other, std::int64_t limit, std::int64_t len) {
        if (len < 0 || len >= bits_) return;
        limit = std::min(limit, other.bits_);
        if (limit <= 0) return;
        const std::size_t q = static_cast<std::size_t>(len / 64);
        const unsigned b = static_cast<unsigned>(len % 64);
        const std::size_t nd = words_.size();
        const std::size_t nsrc = std::min(static_cast<std::size_t>((limit + 63) / 64), nd - q);
        const unsigned tail = static_cast<unsigned>(limit % 64);
        const std::uint64_t* src = other.words_.data();
        std::uint64_t* dst = words_.data() + q;
        std::uint64_t carry = 0;
        for (std::size_t k = 0; k < nsrc; ++k) {
            std::uint64_t w = src[k];
            if (k + 1 == static_cast<std::size_t>((limit + 63) / 64) && tail) w &= (std::uint64_t{1} << tail) - 1;
            if (b == 0) {
                dst[k] |= w;
            } else {
                dst[k] |= (w << b) | carry;
                carry = w >> (64 - b);
            }
        }
        if (b && q + nsrc < nd) dst[nsrc] |= carry;
        trimTail();
    }

    // Clears the sums at or above limit.
    void keepBelow(std::int64_t limit) {
        if (limit >= bits_) return;
        if (limit < 0) limit = 0;
        std::size_t w = static_cast<std::size_t>(limit / 64);
        const unsigned b = static_cast<unsigned>(limit % 64);
        if (b) words_[w++] &= (std::uint64_t{1} << b) - 1;
        for (; w < words_.size(); ++w) words_[w] = 0;
    }

private:
    void trimTail() {
        const unsigned extra = static_cast<unsigned>(words_.size() * 64 - static_cast<std::size_t>(bits_));
        if (extra) words_.back() &= ~std::uint64_t{0} >> extra;
    }

    std::int64_t bits_ = 1;
    std::vector<std::uint64_t> words_;
};

// Adds `count` tracks of one length as O(log count) items.
void addCopies(SumBits& bits, std::int64_t len, std::int64_t count) {
    if (len <= 0) return;
    for (std::int64_t part = 1; count > 0; part *= 2) {
        const std::int64_t take = std::min(part, count);
        bits.add(len * take);
        count -= take;
    }
}

// Adds a multiset of lengths (sorted in place).
void addAll(SumBits& bits, std::vector<std::int64_t>& lengths) {
    std::sort(lengths.begin(), lengths.end());
    for (std::size_t i = 0; i < lengths.size();) {
        std::size_t j = i;
        while (j < lengths.size() && lengths[j] == lengths[i]) ++j;
        addCopies(bits, lengths[i], static_cast<std::int64_t>(j - i));
        i = j;
    }
}

// Candidate sets by reaching track. A set U the walk visits, with reaching
// track r and room rho, holds every track before r of at least rho seconds;
// its tracks after r are the ones a rule below accepts. Scanning r from the
// right, a rule keeps the sums its accepted sets of tracks after r can make;
// smallestValue combines them with the tracks before r and returns the
// smallest value min(rho, t(r) - rho) below `best` (or, for a rule with
// kAnyBelow, the first one found), else `best`.
std::vector<std::int64_t> distinctLengths(const std::vector<std::int64_t>& t) {
    std::vector<std::int64_t> v(t);
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

template <typename Rule>
std::int64_t smallestValue(const std::vector<std::int64_t>& t, const std::vector<std::int64_t>& lengths, std::int64_t T,
                           std::int64_t best, Rule& rule) {
    const std::int64_t given = best;
    const int n = static_cast<int>(t.size());
    // The tracks before r, as counts per distinct length (`lengths`, ascending).
    auto slot = [&](std::int64_t len) {
        return static_cast<std::size_t>(std::lower_bound(lengths.begin(), lengths.end(), len) - lengths.begin());
    };
    std::vector<std::int64_t> count(lengths.size(), 0);
    std::int64_t beforeSum = 0;
    for (int i = 0; i + 1 < n; ++i) {
        ++count[slot(t[static_cast<std::size_t>(i)])];
        beforeSum += t[static_cast<std::size_t>(i)];
    }
    SumBits x;
    for (int r = n - 1; r >= 0 && best > 0 && !(Rule::kAnyBelow && best < given); --r) {
        const std::int64_t tr = t[static_cast<std::size_t>(r)];
        if (tr > 0) {
            x = rule.after(tr);
            std::int64_t forcedSum = beforeSum;
            std::size_t nf = 0;  // lengths below rho: free
            const std::int64_t hi = std::min(tr, T);
            auto scan = [&](std::int64_t lo, std::int64_t top) {
                for (std::int64_t rho = lo; rho <= top; ++rho) {
                    for (; nf < lengths.size() && lengths[nf] < rho; ++nf) {
                        forcedSum -= lengths[nf] * count[nf];
                        addCopies(x, lengths[nf], count[nf]);
                    }
                    const std::int64_t q = T - rho - forcedSum;
                    if (q >= 0 && x.test(q)) best = std::min(best, std::min(rho, tr - rho));
                }
            };
            const std::int64_t top = std::min(hi, best - 1);
            scan(1, top);
            scan(std::max({std::int64_t{1}, tr - best + 1, top + 1}), hi);
        }
        rule.pass(tr);
        if (r > 0) {
            --count[slot(t[static_cast<std::size_t>(r - 1)])];
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

    SureRule(const std::vector<std::int64_t>& lengths, std::int64_t T) : T_(T), levels_(lengths) {
        const std::size_t L = levels_.size();
        dp_.resize(L + 1);
        cum_.resize(L + 1);
        for (auto& b : dp_) {
            b.reset(T);
            b.clear();
        }
        for (auto& b : cum_) b.reset(T);
        dp_[L].reset(T);  // nothing taken yet
    }

    // Bit arrays touched per track (at least the number held).
    static std::int64_t cost(std::size_t distinct) { return static_cast<std::int64_t>(2 * distinct + 2); }

    const SumBits& after(std::int64_t tr) {
        cumulate();
        return cum_[level(tr)];
    }

    void pass(std::int64_t len) {
        cumulate();
        for (std::size_t l = 0; l < levels_.size(); ++l) {
            if (levels_[l] < len) dp_[l].clear();
            dp_[l].orShifted(cum_[l], T_ - levels_[l], len);
        }
    }

private:
    std::size_t level(std::int64_t len) const {
        return static_cast<std::size_t>(std::lower_bound(levels_.begin(), levels_.end(), len) - levels_.begin());
    }

    void cumulate() {
        for (std::size_t l = dp_.size(); l-- > 0;) {
            cum_[l] = dp_[l];
            if (l + 1 < dp_.size()) cum_[l].orWith(cum_[l + 1]);
        }
    }

    std::int64_t T_;
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

    PossibleRule(const std::vector<std::int64_t>& lengths, std::int64_t T) : T_(T), lengths_(lengths) {
        dp_.resize(lengths_.size() + 1);
        for (auto& b : dp_) {
            b.reset(T);
            b.clear();
        }
        dp_.back().reset(T);  // nothing taken yet
        out_.reset(T);
    }

    static std::int64_t cost(std::size_t distinct) { return static_cast<std::int64_t>(3 * distinct + 3); }

    const SumBits& after(std::int64_t tr) {
        out_.clear();
        for (std::size_t k = 0; k < lengths_.size(); ++k) out_.orShifted(dp_[k], T_ - tr + lengths_[k], 0);
        out_.orWith(dp_.back());
        return out_;
    }

    void pass(std::int64_t len) {
        const std::size_t own = static_cast<std::size_t>(std::lower_bound(lengths_.begin(), lengths_.end(), len) - lengths_.begin());
        // Taken: into the bucket of max(longest, len).
        SumBits& into = tmp_;
        into.reset(T_);
        into.clear();
        into.orShifted(dp_.back(), T_, len);
        for (std::size_t k = 0; k <= own; ++k) into.orShifted(dp_[k], T_, len);
        for (std::size_t k = own + 1; k < lengths_.size(); ++k) {
            keep_ = dp_[k];
            dp_[k].keepBelow(T_ - len + lengths_[k]);
            dp_[k].orShifted(keep_, T_, len);
        }
        for (std::size_t k = 0; k <= own; ++k) dp_[k].keepBelow(T_ - len + lengths_[k]);
        dp_[own].orWith(into);
    }

private:
    std::int64_t T_;
    std::vector<std::int64_t> lengths_;
    std::vector<SumBits> dp_;  // per longest taken track; last: none taken
    SumBits out_, tmp_, keep_;
};

constexpr std::int64_t kRuleMemoryWords = std::int64_t{1} << 22;  // 32 MiB of bit arrays

// smallestValue with a rule, unless its bit work (about the number of 64-bit
// words touched, added to `spent`) would pass `budget` or its bit arrays
// kRuleMemoryWords; then -1.
template <typename Rule>
std::int64_t valueByRule(const std::vector<std::int64_t>& t, std::int64_t T, std::int64_t best, std::int64_t budget,
                         std::int64_t& spent) {
    if (T <= 0 || t.empty()) return -1;
    const std::int64_t words = T / 64 + 1;
    if (static_cast<std::int64_t>(t.size()) * (Rule::cost(1) + 2) * words > budget) return -1;
    const std::vector<std::int64_t> lengths = distinctLengths(t);
    const std::size_t distinct = lengths.size();
    const std::int64_t work = static_cast<std::int64_t>(t.size()) * (Rule::cost(distinct) + 2 * static_cast<std::int64_t>(distinct)) * words;
    if (work > budget || Rule::cost(distinct) * words > kRuleMemoryWords) return -1;
    spent += work;
    Rule rule(lengths, T);
    return smallestValue(t, lengths, T, best, rule);
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
        rulesFromStart_ = control && control->eagerBounds;
    }

    SearchResult run() {
        SearchResult result;
        result.bestDiff = kInitialBestDiff;
        if (n_ == 0 || (T_ > 0 && total_ < T_)) return result;  // (F4)
        // Each phase walks from the root; one that passes its steps or its
        // rule work gives way to the next, which starts again from the root
        // keeping bestDiff_ and the best set: the part already walked holds
        // no value below bestDiff_, so it records nothing the second time.
        const std::size_t first = rulesFromStart_ ? kPhaseCount - 1 : 0;
        for (std::size_t k = first; k < kPhaseCount && !stop_; ++k) {
            phase_ = kPhases[k];
            if (phase_.perNodeWork > 0 && !globalKnown_) {
                computeGlobalBound();
                // A set sure to be visited has a value below bestDiff_, so it
                // lies in the part not yet walked, and will be recorded.
                const std::int64_t sure = valueByRule<SureRule>(t_, T_, bestDiff_, kRuleWorkRoot, ruleWork_);
                if (sure >= 0 && sure < bestDiff_) bestDiff_ = sure + 1;
                if (bestDiff_ <= globalBound_) break;
            }
            stack_.clear();
            path_.clear();
            std::fill(in_.begin(), in_.end(), 0);
            if (walk()) break;
        }
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
    // Most walks that end early end within a few hundred steps, sooner than
    // bounding would make them.
    static constexpr std::uint64_t kCheapBoundAfter = 500;
    // Walks from the root, each with a work budget per node for the bounds by
    // rule (0: cheap rules only) and limits after which the next one starts
    // (0: none). A first walk with the cheap rules settles most inputs; on
    // long lists, small budgets per node keep the rules to the deep nodes,
    // where they are cheap, and larger ones reach the shallow nodes too.
    struct Phase {
        std::int64_t perNodeWork;  // words
        std::uint64_t steps;
        std::int64_t ruleWork;     // words
    };
    static constexpr std::size_t kPhaseCount = 3;
    static constexpr Phase kPhases[kPhaseCount] = {
        {0, 2000, 0},
        {std::int64_t{1} << 20, 20000, std::int64_t{1} << 28},
        {std::int64_t{1} << 26, 0, 0},
    };
    static constexpr std::int64_t kRuleWorkRoot = std::int64_t{1} << 28;

    void tick() {
        ++steps_;
        // Steps with the bounds by rule can take milliseconds: look at every one.
        if (!control_ || (phase_.perNodeWork == 0 && (steps_ & 255) != 0)) return;
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
        {
            if (bestDiff_ < kInitialBestDiff && steps_ >= kCheapBoundAfter && cannotImprove(f)) {
                f.done = true;
            } else if (phase_.perNodeWork > 0) {
                // The subtree is the walk over the tracks off the path up to
                // the reaching track, with the room as target (F1).
                nodeList_.clear();
                for (int i = 0; i < f.r; ++i)
                    if (!in_[static_cast<std::size_t>(i)]) nodeList_.push_back(t_[static_cast<std::size_t>(i)]);
                if (f.r < n_) nodeList_.push_back(t_[static_cast<std::size_t>(f.r)]);
                const std::int64_t possible = valueByRule<PossibleRule>(nodeList_, R, bestDiff_, phase_.perNodeWork, ruleWork_);
                if (possible >= bestDiff_) {
                    f.done = true;
                } else if (possible >= 0 && bestDiff_ - 2 >= globalBound_) {
                    // A set sure to be visited below lies ahead: it will be recorded.
                    const std::int64_t sure = valueByRule<SureRule>(nodeList_, R, bestDiff_ - 1, phase_.perNodeWork, ruleWork_);
                    if (sure >= 0 && sure < bestDiff_ - 1) bestDiff_ = sure + 1;
                }
            }
        }
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
        lens_ = t_;
        addAll(bits_, lens_);
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

    // Walks from the root in the current phase: true when the walk is over,
    // false when the phase has passed one of its limits.
    bool walk() {
        const std::uint64_t steps0 = steps_;
        const std::int64_t work0 = ruleWork_;
        stack_.reserve(static_cast<std::size_t>(n_) + 2);
        path_.reserve(static_cast<std::size_t>(n_) + 1);
        enter(0, -1, n_);
        while (!stack_.empty() && !stop_) {
            if (phase_.steps && steps_ - steps0 >= phase_.steps) return false;
            if (phase_.ruleWork && ruleWork_ - work0 >= phase_.ruleWork) return false;
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
            }
            const int a = stack_.back().added;
            stack_.pop_back();
            if (a >= 0) {
                in_[static_cast<std::size_t>(a)] = 0;
                path_.pop_back();
                if (t_[static_cast<std::size_t>(a)] == 0 && !stack_.empty()) stack_.back().done = true;
            }
        }
        return true;
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
    std::vector<std::int64_t> nodeList_;
    bool rulesFromStart_ = false;
    Phase phase_{};
    std::int64_t ruleWork_ = 0;
};

}  // namespace

SearchResult fastSearch(const std::vector<std::int32_t>& times, std::int64_t target,
                        const SearchControl* control) {
    FastSearch search(times, target, control);
    return search.run();
}

}  // namespace ztp
