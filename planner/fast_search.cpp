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
//  - Equal lengths: if a child j of a node has the same length as an earlier
//    child i, with no track off the path between them longer, every set of
//    j's subtree has one in i's with no larger value, so after i's has been
//    finished j's can record nothing (F2). For V in j's subtree: if V holds
//    i, V itself, with i taken first and j where i was (a track between them
//    left out is no longer than i, which was taken then); if not, V - j + i,
//    taken in the same order (i has fewer tracks left out before it than j
//    had, and a track after j sees a track of the same length left out).
//    The same sum; V's reaching track is i or lies before i or after j, and
//    in the first case that of V - j + i lies between i and j, at least as
//    long as the room and no longer than i.
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
// smallestValue (split_bounds.h) looks at every possible reaching track r and
// room rho of a set in such a walk: the tracks before r of at least rho
// seconds are in the set, the shorter ones are free, and the set's tracks
// after r are those a rule accepts.
//  - The oracle (split_oracle.cpp) accepts exactly the visited ones, so it
//    gives the smallest value of the subtree. If that is not below BestDiff
//    the node holds nothing that could be recorded and is skipped; if it is
//    v < BestDiff - 1, BestDiff drops to v + 1: that set lies in the part not
//    yet walked (everything walked is >= BestDiff) and will be recorded, and a
//    candidate of value above v can no longer be the final one. Run on the
//    root it gives the smallest value of the whole walk, which is then also
//    the global bound: the walk ends as soon as it is recorded, and from a
//    node it goes down only into children whose subtrees hold it.
//  - Past the oracle's staircase budget its answer is only a lower bound
//    (every subset after r counted as visited); then PossibleRule (a superset
//    of the visited sets: for every outsider o at or after r, the set's
//    tracks after o all start with p < T - t(o), and the last of them to
//    start does so at their sum less the longest of them or later) and
//    SureRule (a subset: the tracks after r taken first, from the last index
//    down, each checked against a level at least the longest outsider
//    before it) are used the same way. The staircases get a small budget
//    first; when that answer is a lower bound below BestDiff, PossibleRule
//    runs before they get the full one (most nodes bounded so are empty,
//    and PossibleRule shows it at a fraction of the cost). Where the last
//    node that went that way was not settled by PossibleRule and its full
//    staircases gave an exact answer, the next node's get the full budget
//    at once (on chains of nodes that hold a value, each would otherwise
//    run the staircases twice and PossibleRule for nothing), until a node
//    is left inexact or, past the third since, needs more than the small
//    budget to show empty.
//    A node is taken as holding a value below BestDiff only when an exact
//    answer or SureRule shows one. A node whose bounds tell neither is not
//    bounded again while BestDiff stays the same (they would tell no more).
// All of these cost bit arrays of the node's room times its number of tracks
// (times its number of distinct lengths), so they run within work budgets:
//  - Phases: a first walk with the cheap rules only; if it passes its steps,
//    the walk starts again from the root with a work budget per node, then
//    with larger ones. A restart keeps BestDiff and the best set: the part
//    already walked holds no value below BestDiff, so it records nothing
//    again.
//  - A node whose bound is likely to cost more than kEagerWork is bounded
//    only once the walk has spent as much as its plain part in its finished
//    children (steps count kWorkPerStep words): on the way to the result
//    most nodes' first child is the right one, and bounding them would only
//    confirm it. The likely cost is the plain part times as many as the
//    parent's last bound took (the staircases cost alike on a node and its
//    children, and can take hundreds of times the plain part). Skipping
//    such a node when its bound comes is a skip like any other: the part of
//    it already walked holds nothing below BestDiff, the rest nothing either.
//    A node bounded at a larger BestDiff is bounded again so, counting what
//    its children spent since: it may be empty now, with all the children
//    it has left.
//    A node found empty so may lie below others on its path that are empty
//    too (a node's subtree holds those below it): the highest of them is
//    found between it and the deepest node known to hold a value below
//    BestDiff (the root, once the root bound has shown one), first at
//    doubling steps just below the one that holds, then by halving, and
//    left. The children that follow an empty child of a node known to hold
//    such a value are bounded on entering (within the phase's budget): one
//    of them holds it, and walking into each first would cost a dive and a
//    search per child. So are those of a node whose bounds could tell
//    neither (most of them are empty, and a dive costs the same). So is the
//    first child of the one found to hold it or found unknown: where a
//    level's first child was empty, the next level's often is too.
//    Most of those children are empty: where PossibleRule showed the last
//    one so after the small staircase budget did not, it comes first; and
//    once two children have been shown empty so (at once where a child's
//    bound is dear), for the children that follow one another from there,
//    at least as long as the first of them, it runs once over their
//    parent's list after them and then over each one's list only up to the
//    last of them (SiblingBound in split_bounds.h: a superset of each
//    child's sets, so a child it shows empty is one). A child it does not
//    is bounded alone, without PossibleRule first.
// SearchControl::shortBudgets cuts all of these to a few steps and words, so
// that tests on small inputs go through every phase change, restart, late
// bound and fallback, and has the bounds by reaching track test walls
// against kept prefix sums wherever allowed (split_bounds.h, PrefixSums).
//
// The walk uses an explicit stack (depth up to the number of tracks + 1).
// Memory: bit arrays of (T + longest track) bits for the global bound, and
// for the rules at most kRuleMemoryWords words (the oracle's kept subset sums
// at most 2^22 words more, its staircase memo 2^21, the kept prefix sums
// 2^23). A node's reaching track and the counts cannotImprove adds come from
// trees over the tracks off the path (O(log n) a query; per distinct length,
// up to 64 of them).
#include "split_search.h"

#include <algorithm>

#include "split_bounds.h"
#include "split_oracle.h"

namespace ztp {
namespace {

using namespace split;

// The lengths of the tracks off the path, by index, with range sums and
// maxima in O(log n) (a track on the path counts 0 seconds and -1 as length).
class OffPath {
public:
    void reset(const std::vector<std::int64_t>& t) {
        size_ = 1;
        while (size_ < t.size()) size_ *= 2;
        sum_.assign(2 * size_, 0);
        max_.assign(2 * size_, -1);
        for (std::size_t i = 0; i < t.size(); ++i) {
            sum_[size_ + i] = t[i];
            max_[size_ + i] = t[i];
        }
        for (std::size_t k = size_; k-- > 1;) pull(k);
    }

    void set(std::size_t i, std::int64_t len, bool off) {
        std::size_t k = size_ + i;
        sum_[k] = off ? len : 0;
        max_[k] = off ? len : -1;
        for (k /= 2; k > 0; k /= 2) pull(k);
    }

    // Over the indices [b, e).
    std::int64_t sum(std::size_t b, std::size_t e) const {
        std::int64_t total = 0;
        for (b += size_, e += size_; b < e; b /= 2, e /= 2) {
            if (b & 1) total += sum_[b++];
            if (e & 1) total += sum_[--e];
        }
        return total;
    }
    std::int64_t longest(std::size_t b, std::size_t e) const {
        std::int64_t m = -1;
        for (b += size_, e += size_; b < e; b /= 2, e /= 2) {
            if (b & 1) m = std::max(m, max_[b++]);
            if (e & 1) m = std::max(m, max_[--e]);
        }
        return m;
    }
    // The first index in [b, e) with a length of at least len, or e.
    std::size_t firstAtLeast(std::size_t b, std::size_t e, std::int64_t len) const {
        return b < e ? find(1, 0, size_, b, e, len) : e;
    }

private:
    void pull(std::size_t k) {
        sum_[k] = sum_[2 * k] + sum_[2 * k + 1];
        max_[k] = std::max(max_[2 * k], max_[2 * k + 1]);
    }
    std::size_t find(std::size_t k, std::size_t lo, std::size_t hi, std::size_t b, std::size_t e,
                     std::int64_t len) const {
        if (hi <= b || e <= lo || max_[k] < len) return e;
        if (hi - lo == 1) return lo;
        const std::size_t mid = lo + (hi - lo) / 2;
        const std::size_t left = find(2 * k, lo, mid, b, e, len);
        return left != e ? left : find(2 * k + 1, mid, hi, b, e, len);
    }

    std::size_t size_ = 1;
    std::vector<std::int64_t> sum_, max_;
};

class FastSearch {
public:
    FastSearch(const std::vector<std::int32_t>& times, std::int64_t target, const SearchControl* control)
        : n_(static_cast<int>(std::min<std::size_t>(times.size(), kMaxTracks))), T_(target), control_(control),
          scratch_(control && control->narrowWords ? words::Width::Narrow : words::fastest()) {
        t_.resize(static_cast<std::size_t>(n_));
        for (int i = 0; i < n_; ++i) {
            t_[i] = times[static_cast<std::size_t>(i)];
            total_ += t_[i];
            maxLen_ = std::max(maxLen_, t_[i]);
        }
        in_.assign(static_cast<std::size_t>(n_) + 1, 0);
        rulesFromStart_ = control && control->eagerBounds;
        shortBudgets_ = control && control->shortBudgets;
        lengths_ = distinctLengths(t_);
        slot_.resize(t_.size());
        for (std::size_t i = 0; i < t_.size(); ++i) slot_[i] = slotOf(lengths_, t_[i]);
        count_.assign(lengths_.size(), 0);
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
            phase_ = shortBudgets_ ? kShortPhases[k] : kPhases[k];
            if (phase_.perNodeWork > 0 && !globalKnown_) {
                computeGlobalBound();
                // The smallest value of the whole walk: a value below bestDiff_
                // lies in the part not yet walked and will be recorded, and
                // once it is, nothing else can be.
                const std::int64_t work0 = ruleWork_;
                const OracleAnswer all = exactValue(t_, T_, bestDiff_, kRuleWorkRoot, windowBudget(kWindowBudget, kRuleWorkRoot), ruleWork_,
                                                    scratch_, shortBudgets_);
                rootDearer_ = dearer(oracleWork(n_, distinct(), T_), ruleWork_ - work0);
                if (all.value >= 0 && all.exact) {
                    if (all.value < bestDiff_) bestDiff_ = all.value + 1;
                    globalBound_ = std::max(globalBound_, all.value);
                    if (all.value < bestDiff_) rootHeld_ = bestDiff_;
                } else {
                    // A set sure to be visited has a value below bestDiff_, so it
                    // lies in the part not yet walked, and will be recorded.
                    const std::int64_t sure = valueByRule<SureRule>(t_, T_, bestDiff_, kRuleWorkRoot, ruleWork_, scratch_.width, shortBudgets_);
                    if (sure >= 0 && sure < bestDiff_) bestDiff_ = sure + 1;
                    if (sure >= 0 && sure < bestDiff_) rootHeld_ = bestDiff_;
                }
                if (bestDiff_ <= globalBound_) break;
            }
            stack_.clear();
            path_.clear();
            clearPath();
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
        std::size_t lengthsAt;  // end of its part of lengthsBefore_
        int arg1;        // index of max1
        std::int64_t max1, max2;  // two longest non-path tracks below `added`
        bool done;       // nothing more in this subtree can record
        std::int64_t checkedAt;   // bestDiff_ when the bounds by rule last ran, 0 if never
        std::int64_t spentAtCheck;  // childSpent() then
        std::uint64_t entry;  // steps_ when entered
        std::uint64_t failed; // steps spent in finished children
        std::int64_t entryWork;   // ruleWork_ when entered
        std::int64_t failedWork;  // bound work spent in finished children
        std::int64_t heldBelow;   // bestDiff_ when bounds showed a value below it here, else 0
        bool scanHeld;            // held or unknown, and found so after an empty sibling
        std::int64_t unknownAt;   // bestDiff_ when the bounds could tell neither, else 0
        std::int64_t cost;    // words the bounds by rule would take without the staircases
        double dearer;        // how many times that they are likely to take (see enter)
        int emptySiblings;    // children after an empty one that bounds on entering showed empty
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
        {0, 500, 0},
        {std::int64_t{1} << 20, 20000, std::int64_t{1} << 28},
        {std::int64_t{1} << 32, 0, 0},
    };
    // The same, cut short (SearchControl::shortBudgets): on small inputs every
    // phase change, restart and budget fallback then happens, for tests.
    static constexpr Phase kShortPhases[kPhaseCount] = {
        {0, 3, 0},
        {64, 6, 2000},
        {std::int64_t{1} << 26, 0, 0},
    };
    static constexpr std::int64_t kRuleWorkRoot = std::int64_t{1} << 31;
    // The oracle's staircases past this turn its answer into a lower bound;
    // its plain part may take the whole budget.
    static constexpr std::int64_t kWindowBudget = std::int64_t{1} << 28;
    // The staircases' first budget: at least this, and a quarter of the
    // plain part's words (where the plain part is dear, so many staircases
    // are cheap beside it; falling back then costs the superset rule too).
    // Their full one is kWindowBudget, or four times the plain part where
    // that is more: a node left undecided high up costs the walk far more.
    static constexpr std::int64_t kFirstWindowBudget = std::int64_t{1} << 22;
    static constexpr std::int64_t kShortWindowBudget = 40;

    // Bounds by rule cheaper than this run on entering a node; dearer ones
    // once the walk has spent kWorkPerStep words per step below the node.
    static constexpr std::int64_t kEagerWork = std::int64_t{1} << 21;
    static constexpr std::int64_t kWorkPerStep = std::int64_t{1} << 14;
    std::int64_t eagerWork() const { return rulesFromStart_ ? phase_.perNodeWork : shortBudgets_ ? 16 : kEagerWork; }
    std::int64_t workPerStep() const { return shortBudgets_ ? 64 : kWorkPerStep; }

    // The staircases' budget: `words`, within `cap`.
    std::int64_t windowBudget(std::int64_t words, std::int64_t cap) const {
        return shortBudgets_ ? kShortWindowBudget : std::min(words, cap);
    }

    void tick() {
        ++steps_;
        // Steps with the bounds by rule can take milliseconds: look at every one.
        if (!control_ || (phase_.perNodeWork == 0 && (steps_ & 255) != 0)) return;
        if (control_->cancel && control_->cancel->load(std::memory_order_relaxed)) throw SearchAborted{true};
        if (control_->stepLimit && steps_ >= control_->stepLimit) throw SearchAborted{false};
    }

    // Up to this many tracks a plain scan finds a node's reaching track and
    // longest tracks faster than the tree (shortBudgets: the tree always).
    static constexpr int kShortScan = 64;
    int shortScan() const { return shortBudgets_ ? 0 : kShortScan; }

    void enter(std::int64_t s, int added, int parentR) {
        tick();
        Frame f{};
        f.s = s;
        f.added = added;
        f.next = 0;
        f.lengthsAt = lengthsBefore_.size();
        f.arg1 = -1;
        f.max1 = f.max2 = -1;
        f.done = false;
        f.checkedAt = 0;
        f.spentAtCheck = 0;
        f.entry = steps_;
        f.failed = 0;
        f.entryWork = ruleWork_;
        f.failedWork = 0;
        f.heldBelow = stack_.empty() ? rootHeld_ : 0;
        f.scanHeld = false;
        f.unknownAt = 0;
        f.cost = 0;
        f.dearer = 1;
        f.emptySiblings = 0;
        const std::int64_t R = T_ - s;
        if (parentR <= shortScan()) {
            f.r = parentR;
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
        } else {
            f.r = static_cast<int>(off_.firstAtLeast(0, static_cast<std::size_t>(parentR), R));
            const auto below = static_cast<std::size_t>(std::max(added, 0));
            f.max1 = off_.longest(0, below);
            if (f.max1 >= 0) {
                const std::size_t a1 = off_.firstAtLeast(0, below, f.max1);
                f.arg1 = static_cast<int>(a1);
                f.max2 = std::max(off_.longest(0, a1), off_.longest(a1 + 1, below));
            }
        }
        {
            if (bestDiff_ < kInitialBestDiff && steps_ >= (shortBudgets_ ? 2 : kCheapBoundAfter) && cannotImprove(f)) {
                f.done = true;
            } else if (phase_.perNodeWork > 0) {
                fillNodeList(f.r);
                f.cost = oracleWork(static_cast<std::int64_t>(nodeList_.size()), distinct(), R);
                // A dear bound waits until the walk below has spent about as
                // much (most nodes on the way to the result would only
                // confirm it), unless the parent holds a value below
                // bestDiff_ that an earlier child did not: then the children
                // left are looked at one bound each, and so is the first
                // child of the one found to hold it (where one child was
                // empty, the next level's first often is too).
                const Frame* parent = stack_.empty() ? nullptr : &stack_.back();
                // The staircases can take far more than the plain part, and
                // alike on a node and its children: as many times more as
                // the parent's last bound (the root's, at the root).
                f.dearer = parent ? parent->dearer : rootDearer_;
                const auto expect = static_cast<std::int64_t>(f.dearer * static_cast<double>(f.cost));
                const bool afterEmpty = parent &&
                                        (parent->heldBelow == bestDiff_ || parent->unknownAt == bestDiff_) &&
                                        (parent->failed > 0 || parent->failedWork > 0);
                const bool scanning = afterEmpty || (parent && parent->scanHeld &&
                                                     (parent->heldBelow == bestDiff_ || parent->unknownAt == bestDiff_));
                if (f.heldBelow == bestDiff_) {
                    f.checkedAt = bestDiff_;  // the root, known to hold a value below bestDiff_
                } else if (expect <= eagerWork() || (scanning && f.cost <= phase_.perNodeWork)) {
                    // After a few empty children bounded alone, where the
                    // superset rule showed them so (at once where their
                    // bounds are dear), the rest together.
                    const bool together =
                        afterEmpty && (shortBudgets_ || (possibleFirst_ && expect > eagerWork() &&
                                                         parent->emptySiblings >= (expect > kDearBound ? 0 : kSiblingsAlone)));
                    const std::int64_t work0 = ruleWork_;
                    // One the siblings' bound did not show empty is likely not.
                    bool tried = false;
                    const Bound b = together && siblingEmpty(f, tried) ? Bound::Empty : boundNode(R, afterEmpty && !tried);
                    note(f, b, ruleWork_ - work0);
                    f.done = b == Bound::Empty;
                    f.scanHeld = b != Bound::Empty && afterEmpty;
                    if (afterEmpty && f.done) ++stack_.back().emptySiblings;
                }
            }
        }
        stack_.push_back(f);
    }

    // What the bounds by rule show of a subtree: nothing in it can be
    // recorded, it holds a value below bestDiff_, or neither is known.
    enum class Bound { Empty, Held, Unknown };

    // Keeps in the frame what its bound showed, at the present bestDiff_,
    // and how dear it was (`work` words).
    void note(Frame& f, Bound b, std::int64_t work) const {
        if (b == Bound::Held) f.heldBelow = bestDiff_;
        if (b == Bound::Unknown) f.unknownAt = bestDiff_;
        f.checkedAt = bestDiff_;
        f.dearer = dearer(f.cost, work);
    }

    // The bounds by rule for a node whose subtree is the walk over nodeList_
    // with room R (F1).
    // `emptyLikely`: most such nodes are empty (a sibling after an empty
    // one). Siblings are alike: where the last one's small staircase budget
    // did not settle it and the superset rule did, that rule comes first.
    Bound boundNode(std::int64_t R, bool emptyLikely = false) {
        std::int64_t possible = -1;
        if (emptyLikely && possibleFirst_) {
            possible = valueByRule<PossibleRule>(nodeList_, R, bestDiff_, phase_.perNodeWork, ruleWork_, scratch_.width, shortBudgets_);
            if (possible >= bestDiff_) return Bound::Empty;
        }
        // The staircases can cost far more than the rest: first with a small
        // budget for them, then the cheaper superset rule, then in full.
        // Where the last node that went so needed them in full, and the
        // superset rule did not settle it, they get the full budget at once.
        const std::int64_t plain = oracleWork(static_cast<std::int64_t>(nodeList_.size()), distinct(), R);
        const std::int64_t first = std::max(kFirstWindowBudget, plain / 4);
        const std::int64_t full = std::max(kWindowBudget, 4 * plain);
        const bool fullFirst = windowInFull_;
        const std::int64_t work0 = ruleWork_;
        OracleAnswer a = exactValue(nodeList_, R, bestDiff_, phase_.perNodeWork,
                                    fullFirst ? windowBudget(full, phase_.perNodeWork) : windowBudget(first, kWindowBudget),
                                    ruleWork_, scratch_, shortBudgets_);
        if (emptyLikely) possibleFirst_ = false;
        // Kept while the staircases stay within the small budget or show a
        // value, and for a few nodes that needed them in full to show empty
        // (the superset rule did not settle the last node that it ran on).
        if (fullFirst && (!a.exact || (a.value >= bestDiff_ && ruleWork_ - work0 - plain > first &&
                                       ++fullToEmpty_ > kFullToEmpty)))
            windowInFull_ = false;
        if (a.value >= 0 && !a.exact && a.value < bestDiff_ && !fullFirst) {
            if (possible < 0)
                possible = valueByRule<PossibleRule>(nodeList_, R, bestDiff_, phase_.perNodeWork, ruleWork_, scratch_.width, shortBudgets_);
            if (emptyLikely) possibleFirst_ = possible >= bestDiff_;
            if (possible >= bestDiff_) return Bound::Empty;
            a = exactValue(nodeList_, R, bestDiff_, phase_.perNodeWork, windowBudget(full, phase_.perNodeWork),
                           ruleWork_, scratch_, shortBudgets_);
            windowInFull_ = a.exact;
            fullToEmpty_ = 0;
        }
        if (a.value >= 0 && a.exact) {
            // Exact: nothing below bestDiff_, or a value that will be recorded.
            if (a.value >= bestDiff_) return Bound::Empty;
            if (a.value + 1 < bestDiff_) bestDiff_ = a.value + 1;
            return Bound::Held;
        }
        if (a.value >= bestDiff_) return Bound::Empty;
        if (possible < 0)
            possible = valueByRule<PossibleRule>(nodeList_, R, bestDiff_, phase_.perNodeWork, ruleWork_, scratch_.width, shortBudgets_);
        if (possible >= bestDiff_) return Bound::Empty;
        if (possible >= 0 && bestDiff_ - 2 >= globalBound_) {
            // A set sure to be visited below lies ahead: it will be recorded.
            const std::int64_t sure = valueByRule<SureRule>(nodeList_, R, bestDiff_ - 1, phase_.perNodeWork, ruleWork_, scratch_.width,
                                                                  shortBudgets_);
            if (sure >= 0 && sure < bestDiff_ - 1) {
                bestDiff_ = sure + 1;
                return Bound::Held;
            }
        }
        return Bound::Unknown;
    }

    // Bounds the node on top of the stack once the walk has spent enough
    // steps in its finished children (a node whose first children lead to
    // the result never needs it).
    void checkDeferred() {
        Frame& f = stack_.back();
        if (f.done || f.cost > phase_.perNodeWork) return;
        // Bounded at a larger bestDiff_, it may show empty now: again once
        // the walk below has spent as much since.
        if (f.checkedAt == bestDiff_) return;
        if (childSpent(f) - f.spentAtCheck < f.cost) return;
        const std::size_t k = stack_.size() - 1;
        if (!frameEmpty(k)) return;
        // The nodes on the path above may be empty as well (a node holds the
        // subtrees of the nodes below it): find the highest one between the
        // deepest node known to hold a value below bestDiff_ and this one,
        // and leave it. Most often it lies just below the node that holds or
        // just above this one: look at both ends, at steps that double (the
        // lower end first, where the lists are shorter), then halve.
        std::size_t lo = 0, hi = k;
        for (std::size_t i = k; i-- > 0;)
            if (stack_[i].heldBelow == bestDiff_) {
                lo = i + 1;
                break;
            }
        for (std::size_t step = 1; lo < hi && step <= hi - lo; step *= 2) {
            const std::size_t below = hi - step;
            if (!frameEmpty(below)) {
                // A node holds what the nodes below it hold.
                if (stack_[below].heldBelow == bestDiff_)
                    for (std::size_t i = lo; i < below; ++i) stack_[i].heldBelow = bestDiff_;
                lo = below + 1;
                break;
            }
            hi = below;
            if (lo + step - 1 < hi) {
                const std::size_t probe = lo + step - 1;
                if (frameEmpty(probe)) {
                    hi = probe;
                    break;
                }
                lo = probe + 1;
            }
        }
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (frameEmpty(mid)) hi = mid;
            else lo = mid + 1;
        }
        while (stack_.size() > hi + 1) {
            setIn(path_.back(), false);
            path_.pop_back();
            stack_.pop_back();
        }
        stack_.back().done = true;
    }

    // The node's track list: the tracks before r not on the path, then the
    // reaching track r.
    void fillNodeList(int r) {
        nodeList_.clear();
        for (int i = 0; i < r; ++i)
            if (!in_[static_cast<std::size_t>(i)]) nodeList_.push_back(t_[static_cast<std::size_t>(i)]);
        if (r < n_) nodeList_.push_back(t_[static_cast<std::size_t>(r)]);
    }

    // A child after an empty sibling (on top of the path, its parent on top
    // of the stack): true if PossibleRule, run for it together with the
    // children that follow it (SiblingBound), shows it empty. Most such
    // children are, and one scan of their parent's list after them, with
    // a short scan per child, costs about as much as one bound of a child.
    // `tried`: set when the bound ran.
    bool siblingEmpty(const Frame& f, bool& tried) {
        const Frame& parent = stack_.back();
        const int c = f.added;
        const bool mine = siblingsOf_ == parent.entry;
        if (mine && siblingsFailed_) return false;
        int at = -1;
        if (mine && siblings_.on()) {
            at = siblingAt(c);
            if (siblings_.covers(at)) {
                if (f.r > siblingsCut_) return false;  // its list goes past the one bounded
            } else if (at <= siblingsFrom_) {
                return false;
            } else {
                at = -1;  // past them, or shorter: bound it with the ones after it
            }
        }
        if (at < 0) {
            if (!startSiblings(parent, f)) return false;
            at = siblingAt(c);
        }
        tried = true;
        return siblings_.value(at, bestDiff_, ruleWork_) >= bestDiff_;
    }

    // Position of track c in the list of siblings_, -1 if not in it.
    int siblingAt(int c) const {
        const auto it = std::lower_bound(siblingIndex_.begin(), siblingIndex_.end(), c);
        return it != siblingIndex_.end() && *it == c ? static_cast<int>(it - siblingIndex_.begin()) : -1;
    }

    // Bounds the children of `parent` from f's track on together, over the
    // parent's list cut at f's reaching track (kSiblingSpan children, where
    // their own scans stay short beside the list).
    bool startSiblings(const Frame& parent, const Frame& f) {
        siblingsOf_ = parent.entry;
        siblingsFailed_ = true;
        const int c = f.added, cut = f.r;
        if (cut <= c) return false;
        std::vector<std::int64_t> list;
        siblingIndex_.clear();
        for (int i = 0; i < cut; ++i)
            if (i == c || !in_[static_cast<std::size_t>(i)]) {
                list.push_back(t_[static_cast<std::size_t>(i)]);
                siblingIndex_.push_back(i);
            }
        const int children = static_cast<int>(list.size());
        if (cut < n_) list.push_back(t_[static_cast<std::size_t>(cut)]);
        const int at = siblingAt(c);
        const int last = std::min(children - 1, at + (shortBudgets_ ? 2 : kSiblingSpan) - 1);
        if (!shortBudgets_ && 8 * (last + 1) > static_cast<int>(list.size())) return false;
        siblingsCut_ = cut;
        siblingsFrom_ = at;
        siblingsFailed_ = !siblings_.start(std::move(list), T_ - parent.s, at, last, t_[static_cast<std::size_t>(c)],
                                            bestDiff_, phase_.perNodeWork, ruleWork_, scratch_.width);
        return !siblingsFailed_;
    }

    // How many times its plain part `cost` a bound that took `work` words took.
    static double dearer(std::int64_t cost, std::int64_t work) {
        return cost > 0 ? std::max(1.0, static_cast<double>(work) / static_cast<double>(cost)) : 1.0;
    }

    // The walk's work in the node's finished children, in words.
    std::int64_t childSpent(const Frame& f) const {
        return static_cast<std::int64_t>(f.failed) * workPerStep() + f.failedWork;
    }

    // Runs the bounds by rule on the node at stack index k: true if nothing
    // in its subtree can be recorded. The node's list is the tracks off its
    // path: off the whole path, or added below it.
    bool frameEmpty(std::size_t k) {
        Frame& f = stack_[k];
        f.spentAtCheck = childSpent(f);
        // Asked again with the same bestDiff_, the bounds would tell no more.
        if (f.cost > phase_.perNodeWork || f.unknownAt == bestDiff_) return false;
        // Off the path for the list only (off_ is left as it is).
        for (std::size_t j = k; j < path_.size(); ++j) in_[static_cast<std::size_t>(path_[j])] = 0;
        fillNodeList(f.r);
        for (std::size_t j = k; j < path_.size(); ++j) in_[static_cast<std::size_t>(path_[j])] = 1;
        const std::int64_t work0 = ruleWork_;
        const Bound b = boundNode(T_ - f.s);
        note(f, b, ruleWork_ - work0);
        return b == Bound::Empty;
    }

    // Puts track i on the path or takes it off.
    void setIn(int i, bool on) {
        in_[static_cast<std::size_t>(i)] = on ? 1 : 0;
        off_.set(static_cast<std::size_t>(i), t_[static_cast<std::size_t>(i)], !on);
        if (!slotCounts_.empty()) {
            const std::size_t stride = static_cast<std::size_t>(n_) + 1;
            std::int32_t* fen = slotCounts_.data() + slot_[static_cast<std::size_t>(i)] * stride;
            for (std::size_t k = static_cast<std::size_t>(i) + 1; k < stride; k += k & (~k + 1)) fen[k] += on ? -1 : 1;
        }
    }

    // The tracks off the path of slot k with index below r.
    std::int64_t offPathOfSlot(std::size_t k, int r) const {
        const std::int32_t* fen = slotCounts_.data() + k * (static_cast<std::size_t>(n_) + 1);
        std::int64_t c = 0;
        for (std::size_t j = static_cast<std::size_t>(r); j > 0; j -= j & (~j + 1)) c += fen[j];
        return c;
    }

    // No track on the path.
    void clearPath() {
        std::fill(in_.begin(), in_.end(), 0);
        off_.reset(t_);
        slotCounts_.clear();
    }

    // Builds slotCounts_ from the path as it stands.
    void countSlots() {
        const std::size_t stride = static_cast<std::size_t>(n_) + 1;
        slotCounts_.assign(lengths_.size() * stride, 0);
        for (std::size_t j = 1; j < stride; ++j) {
            if (!in_[j - 1]) slotCounts_[slot_[j - 1] * stride + j] += 1;
            for (std::size_t k = 0; k < lengths_.size(); ++k) {
                std::int32_t* fk = slotCounts_.data() + k * stride;
                const std::size_t up = j + (j & (~j + 1));
                if (up < stride) fk[up] += fk[j];
            }
        }
    }

    // Subset-sum bound over the children and the reaching track (see header).
    bool cannotImprove(const Frame& f) {
        const std::int64_t R = T_ - f.s;
        const std::int64_t lo = R - bestDiff_ + 1, hi = R + bestDiff_ - 1;
        const std::int64_t tr = f.r < n_ ? t_[static_cast<std::size_t>(f.r)] : 0;
        const std::int64_t sum = off_.sum(0, static_cast<std::size_t>(f.r)) + tr;
        if (sum < lo || hi < 0) return true;
        if (lo <= 0) return false;
        // Subset sums are symmetric (x is one exactly when sum - x is): look
        // at whichever end of the range is nearer to 0.
        std::int64_t a = lo, b = std::min(hi, sum);
        if (sum - lo < b) {
            a = std::max<std::int64_t>(0, sum - hi);
            b = sum - lo;
        }
        // Tracks longer than b make no sum up to b: the others, shortest first.
        const std::int64_t words = (b + 1) / 64 + 1;
        // Counted per distinct length, shortest first.
        touched_.clear();
        std::int64_t m = 0;
        bool over = false;
        const auto takeSlot = [&](std::size_t k, std::int64_t c) {
            m += c;
            if (m * words > kBoundBudget) over = true;
            if (count_[k] == 0) touched_.push_back(k);
            count_[k] += c;
        };
        if (f.r < n_ && tr <= b) takeSlot(slot_[static_cast<std::size_t>(f.r)], 1);
        if (f.r > shortScan() && distinct() <= kSlotCountsUpTo) {
            if (slotCounts_.empty()) countSlots();
            for (std::size_t k = 0; k < lengths_.size() && lengths_[k] <= b && !over; ++k)
                if (const std::int64_t c = offPathOfSlot(k, f.r)) takeSlot(k, c);
        } else {
            for (int i = 0; i < f.r && !over; ++i)
                if (!in_[static_cast<std::size_t>(i)] && t_[static_cast<std::size_t>(i)] <= b)
                    takeSlot(slot_[static_cast<std::size_t>(i)], 1);
        }
        std::sort(touched_.begin(), touched_.end());
        if (!over) bits_.reset(b + 1, scratch_.width);
        for (const std::size_t k : touched_) {
            if (!over) addCopies(bits_, lengths_[k], count_[k]);
            count_[k] = 0;
        }
        return !over && !bits_.anyIn(a, b);
    }

    void computeGlobalBound() {
        globalKnown_ = true;
        if (T_ <= 0) {
            globalBound_ = 0;
            return;
        }
        bits_.reset(T_ + maxLen_ + 1, scratch_.width);
        std::vector<std::int64_t> lengths = t_;
        addAll(bits_, lengths);
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
        // The lengths of the children looked at, each longer than every one
        // looked at after it (equal lengths rule). The node's part of
        // lengthsBefore_ starts where its parent's ends; its finished
        // children's parts above it are dropped.
        lengthsBefore_.resize(f.lengthsAt);
        const std::size_t base = stack_.size() > 1 ? stack_[stack_.size() - 2].lengthsAt : 0;
        while (f.next < f.r) {
            const int c = f.next++;
            if (in_[static_cast<std::size_t>(c)]) continue;
            const std::int64_t len = t_[static_cast<std::size_t>(c)];
            while (lengthsBefore_.size() > base && lengthsBefore_.back() < len) lengthsBefore_.pop_back();
            const bool equal = lengthsBefore_.size() > base && lengthsBefore_.back() == len;
            if (!equal) lengthsBefore_.push_back(static_cast<std::int32_t>(len));
            f.lengthsAt = lengthsBefore_.size();
            if (equal) continue;
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
        lengthsBefore_.clear();
        enter(0, -1, n_);
        while (!stack_.empty() && !stop_) {
            if (phase_.steps && steps_ - steps0 >= phase_.steps) return false;
            if (phase_.ruleWork && ruleWork_ - work0 >= phase_.ruleWork) return false;
            Frame& f = stack_.back();
            if (!f.done) {
                const int c = nextChild(f);
                if (c >= 0) {
                    setIn(c, true);
                    path_.push_back(c);
                    enter(f.s + t_[static_cast<std::size_t>(c)], c, f.r);
                    continue;
                }
                if (f.r < n_) record(f);
            }
            const int a = stack_.back().added;
            const std::uint64_t entry = stack_.back().entry;
            const std::int64_t entryWork = stack_.back().entryWork;
            stack_.pop_back();
            if (a >= 0) {
                setIn(a, false);
                path_.pop_back();
                if (t_[static_cast<std::size_t>(a)] == 0 && !stack_.empty()) stack_.back().done = true;
            }
            if (!stack_.empty() && !stop_) {
                stack_.back().failed += steps_ - entry;
                stack_.back().failedWork += ruleWork_ - entryWork;
                if (phase_.perNodeWork > 0) checkDeferred();
            }
        }
        return true;
    }

    int n_;
    std::int64_t T_;
    const SearchControl* control_;
    OracleScratch scratch_;  // the word loops and the oracle's storage
    std::vector<std::int64_t> t_;
    std::int64_t total_ = 0;
    std::int64_t maxLen_ = 0;
    std::vector<char> in_;           // on the path
    OffPath off_;
    std::vector<std::int64_t> lengths_;  // the distinct lengths, ascending
    std::int64_t distinct() const { return static_cast<std::int64_t>(lengths_.size()); }
    std::vector<std::size_t> slot_;      // by track: its length's index in lengths_
    std::vector<std::int64_t> count_;    // by slot, for cannotImprove (all 0 between calls)
    std::vector<std::size_t> touched_;
    // With few distinct lengths: per slot, the tracks of that length off
    // the path, by index (Fenwick trees of n_ + 1 counts each), built when
    // first needed.
    static constexpr std::int64_t kSlotCountsUpTo = 64;
    std::vector<std::int32_t> slotCounts_;
    std::vector<int> path_;
    std::vector<Frame> stack_;
    std::vector<int> best_;
    std::int64_t bestDiff_ = kInitialBestDiff;
    bool exact_ = false;
    bool stop_ = false;
    bool globalKnown_ = false;
    std::int64_t rootHeld_ = 0;  // bestDiff_ when the root bound showed a value below it
    std::int64_t globalBound_ = 0;
    std::uint64_t steps_ = 0;
    SumBits bits_;
    std::vector<std::int64_t> nodeList_;
    std::vector<std::int32_t> lengthsBefore_;  // see nextChild
    bool rulesFromStart_ = false;
    bool shortBudgets_ = false;
    Phase phase_{};
    std::int64_t ruleWork_ = 0;
    bool possibleFirst_ = false;  // see boundNode
    bool windowInFull_ = false;   // see boundNode
    int fullToEmpty_ = 0;         // nodes since windowInFull_ came on that needed it to show empty
    static constexpr int kFullToEmpty = 3;
    double rootDearer_ = 1;       // Frame::dearer of the root's first bound
    // Children bounded together (siblingEmpty): those of the node entered
    // at step siblingsOf_, from position siblingsFrom_ of its list cut at
    // track siblingsCut_ (siblingIndex_: the list's track indices).
    static constexpr int kSiblingSpan = 64;
    static constexpr int kSiblingsAlone = 2;  // bounded alone first: most runs of empty children are short
    static constexpr std::int64_t kDearBound = std::int64_t{1} << 26;  // words: from here on, together at once
    SiblingBound siblings_;
    std::uint64_t siblingsOf_ = 0;
    bool siblingsFailed_ = false;
    int siblingsCut_ = 0, siblingsFrom_ = 0;
    std::vector<int> siblingIndex_;
};

}  // namespace

SearchResult fastSearch(const std::vector<std::int32_t>& times, std::int64_t target,
                        const SearchControl* control) {
    FastSearch search(times, target, control);
    return search.run();
}

}  // namespace ztp
