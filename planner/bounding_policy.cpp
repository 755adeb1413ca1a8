// The bounding policy of the fast engine. Every bound here only skips
// subtrees that hold nothing below bestDiff, or lowers bestDiff to one above
// a value that the walk will record (docs/split-engine.md); the choices of
// when, in which order and within what budget are heuristics.
#include "bounding_policy.h"

#include <algorithm>

namespace ztp::split {
namespace {

// How many times its plain part `plainWork` a bound that took `work` words
// took (at least once).
double dearness(std::int64_t plainWork, std::int64_t work) {
    return plainWork > 0 ? std::max(1.0, static_cast<double>(work) / static_cast<double>(plainWork))
                         : 1.0;
}

// The distance from T of the closest subset sum of `t`: no value of the walk
// is smaller. 0 where T <= 0.
std::int64_t closestSubsetDistance(const std::vector<std::int64_t>& t, std::int64_t T,
                                   std::int64_t longest, words::Width width) {
    if (T <= 0) return 0;
    SumBits bits;
    bits.reset(T + longest + 1, width);
    std::vector<std::int64_t> lengths = t;
    addAll(bits, lengths);
    std::int64_t distance = kInitialBestDiff;
    for (std::int64_t d = 0; d <= longest && d < distance; ++d)
        if (bits.test(T - d) || bits.test(T + d)) distance = d;
    return distance;
}

}  // namespace

BoundingPolicy::BoundingPolicy(const EngineTuning& tuning, PathTracks& tracks,
                               const std::vector<int>& path, OracleScratch& scratch, std::int64_t T)
    : tuning_(tuning), tracks_(tracks), path_(path), scratch_(scratch), T_(T) {}

std::size_t BoundingPolicy::decide(Moment moment, std::vector<Node>& stack, std::uint64_t steps,
                                   BoundState& state) {
    const std::size_t none = stack.size();
    switch (moment) {
        case Moment::WalkStarts:
            if (state.perNodeWork > 0 && !state.globalKnown) boundWholeWalk(state);
            return none;
        case Moment::Entered: return emptyOnEntry(stack, steps, state) ? stack.size() - 1 : none;
        case Moment::ChildFinished:
            return state.perNodeWork > 0 ? emptyAfterChild(stack, state) : none;
    }
    return none;
}

// The smallest value of the whole walk (the oracle on the root): a value
// below bestDiff lies in the part not yet walked and will be recorded, and
// once it is, nothing else can be. Where the oracle is not exact, a set sure
// to be visited does the same.
void BoundingPolicy::boundWholeWalk(BoundState& state) {
    const std::vector<std::int64_t>& t = tracks_.lengths();
    state.globalKnown = true;
    state.globalBound = closestSubsetDistance(t, T_, tracks_.longest(), scratch_.width);
    const std::int64_t work0 = state.ruleWork;
    const OracleAnswer all = exactValue(
        t, T_,
        {state.bestDiff, tuning_.rootWork, windowBudget(tuning_.windowWork, tuning_.rootWork)},
        state.ruleWork, scratch_, tuning_);
    rootDearness_ =
        dearness(oracleWork(tracks_.size(), tracks_.distinct(), T_), state.ruleWork - work0);
    if (all.value >= 0 && all.exact) {
        if (all.value < state.bestDiff) state.bestDiff = all.value + 1;
        state.globalBound = std::max(state.globalBound, all.value);
        if (all.value < state.bestDiff) rootHeldAt_ = state.bestDiff;
    } else {
        const std::int64_t sure = valueByRule<SureRule>(t, T_, state.bestDiff, tuning_.rootWork,
                                                        state.ruleWork, scratch_.width, tuning_);
        if (sure >= 0 && sure < state.bestDiff) state.bestDiff = sure + 1;
        if (sure >= 0 && sure < state.bestDiff) rootHeldAt_ = state.bestDiff;
    }
}

// The node on top of the stack, just entered: the subset-sum bound once the
// walk has a best value and has gone some steps; then, in a phase with
// bounds by rule, those where they are likely cheap, or where the parent
// holds a value below bestDiff that an earlier child did not (the children
// left are looked at one bound each, and so is the first child of the one
// found to hold it: where one child was empty, the next level's first often
// is too). A dear bound waits until the walk below has spent about as much
// (emptyAfterChild): most nodes on the way to the result would only confirm
// it.
bool BoundingPolicy::emptyOnEntry(std::vector<Node>& stack, std::uint64_t steps,
                                  BoundState& state) {
    Node& node = stack.back();
    Node* parent = stack.size() > 1 ? &stack[stack.size() - 2] : nullptr;
    if (!parent) node.memo.heldAt = rootHeldAt_;
    const std::int64_t room = T_ - node.sum;
    if (state.bestDiff < kInitialBestDiff && steps >= tuning_.cheapBoundAfter &&
        tracks_.subsetBoundEmpty(room, node.shape.reach, state.bestDiff, tuning_, scratch_.width))
        return true;
    if (state.perNodeWork == 0) return false;
    BoundMemo& memo = node.memo;
    tracks_.listOf(node.shape.reach, list_);
    memo.plainWork = oracleWork(static_cast<std::int64_t>(list_.size()), tracks_.distinct(), room);
    // The staircases can take far more than the plain part, and alike on a
    // node and its children: as many times more as the parent's last bound
    // (the whole walk's, at the root).
    memo.dearness = parent ? parent->memo.dearness : rootDearness_;
    const auto expect =
        static_cast<std::int64_t>(memo.dearness * static_cast<double>(memo.plainWork));
    const bool parentHolds = parent && (parent->memo.heldAt == state.bestDiff ||
                                        parent->memo.unknownAt == state.bestDiff);
    const bool afterEmpty = parentHolds && (parent->childSteps > 0 || parent->childWork > 0);
    const bool scanning = afterEmpty || (parentHolds && parent->memo.heldAfterEmpty);
    if (memo.heldAt == state.bestDiff) {
        memo.boundAt = state.bestDiff;  // the root, known to hold a value below bestDiff
        return false;
    }
    if (expect > tuning_.eagerWork && !(scanning && memo.plainWork <= state.perNodeWork))
        return false;
    // After a few empty children bounded alone, where the superset rule
    // showed them so (at once where their bounds are dear), the rest
    // together.
    const bool together =
        afterEmpty && (tuning_.siblingGrouping == SiblingGrouping::Always ||
                       (possibleFirst_ && expect > tuning_.eagerWork &&
                        parent->memo.emptyAfterEmpty >=
                            (expect > tuning_.siblingsAtOnceWork ? 0 : tuning_.siblingsAlone)));
    const std::int64_t work0 = state.ruleWork;
    // One the siblings' bound did not show empty is likely not.
    bool tried = false;
    const Bound b = together && siblingEmpty(node, *parent, tried, state)
                        ? Bound::Empty
                        : boundList(room, afterEmpty && !tried, state);
    note(memo, b, state.ruleWork - work0, state);
    memo.heldAfterEmpty = b != Bound::Empty && afterEmpty;
    if (afterEmpty && b == Bound::Empty) ++parent->memo.emptyAfterEmpty;
    return b == Bound::Empty;
}

// The node on top of the stack, once the walk has spent as much in its
// finished children as its bounds' plain part (a node whose first children
// lead to the result never needs them); bounded at a larger bestDiff, it may
// show empty now: again once the walk below has spent as much since. A node
// found empty so may lie below others on its path that are empty too (a
// node holds the subtrees of the nodes below it): the highest of them lies
// between the deepest node known to hold a value below bestDiff and this
// one. Most often it lies just below the node that holds or just above this
// one: both ends are looked at, at steps that double (the lower end first,
// where the lists are shorter), then the range is halved.
std::size_t BoundingPolicy::emptyAfterChild(std::vector<Node>& stack, BoundState& state) {
    const std::size_t none = stack.size();
    const Node& node = stack.back();
    if (node.finished || node.memo.plainWork > state.perNodeWork) return none;
    if (node.memo.boundAt == state.bestDiff) return none;
    if (spentBelow(node) - node.memo.spentAtBound < node.memo.plainWork) return none;
    const std::size_t k = stack.size() - 1;
    if (!emptyOnPath(stack, k, state)) return none;
    std::size_t lo = 0, hi = k;
    for (std::size_t i = k; i-- > 0;)
        if (stack[i].memo.heldAt == state.bestDiff) {
            lo = i + 1;
            break;
        }
    for (std::size_t step = 1; lo < hi && step <= hi - lo; step *= 2) {
        const std::size_t below = hi - step;
        if (!emptyOnPath(stack, below, state)) {
            // A node holds what the nodes below it hold.
            if (stack[below].memo.heldAt == state.bestDiff)
                for (std::size_t i = lo; i < below; ++i) stack[i].memo.heldAt = state.bestDiff;
            lo = below + 1;
            break;
        }
        hi = below;
        if (lo + step - 1 < hi) {
            const std::size_t probe = lo + step - 1;
            if (emptyOnPath(stack, probe, state)) {
                hi = probe;
                break;
            }
            lo = probe + 1;
        }
    }
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (emptyOnPath(stack, mid, state)) hi = mid;
        else lo = mid + 1;
    }
    return hi;
}

// The bounds by rule on the node at stack index k: true if nothing in its
// subtree can be recorded. Its list is the tracks off its own path: off the
// whole path, or added below it. Asked again at the same bestDiff after they
// could tell neither, they would tell no more.
bool BoundingPolicy::emptyOnPath(std::vector<Node>& stack, std::size_t k, BoundState& state) {
    Node& node = stack[k];
    node.memo.spentAtBound = spentBelow(node);
    if (node.memo.plainWork > state.perNodeWork || node.memo.unknownAt == state.bestDiff)
        return false;
    tracks_.listAbove(node.shape.reach, path_, k, list_);
    const std::int64_t work0 = state.ruleWork;
    const Bound b = boundList(T_ - node.sum, false, state);
    note(node.memo, b, state.ruleWork - work0, state);
    return b == Bound::Empty;
}

// The bounds by rule for a node whose subtree is the walk over list_ with
// room `room`. The staircases can cost far more than the rest: first with a
// small budget for them, then the cheaper superset rule, then in full. Where
// the last node that went so needed them in full, and the superset rule did
// not settle it, they get the full budget at once: on chains of nodes that
// hold a value, each would otherwise run the staircases twice and the
// superset rule for nothing. That lasts while the staircases stay within
// the small budget or show a value, and for a few nodes that needed them in
// full to show empty. `emptyLikely`: most such nodes are empty (a sibling
// after an empty one); siblings are alike, so where the last one's small
// staircase budget did not settle it and the superset rule did, that rule
// comes first. A node is taken as holding a value below bestDiff only when
// an exact answer or the subset rule shows one.
Bound BoundingPolicy::boundList(std::int64_t room, bool emptyLikely, BoundState& state) {
    const std::int64_t budget = state.perNodeWork;
    const words::Width width = scratch_.width;
    std::int64_t possible = -1;
    if (emptyLikely && possibleFirst_) {
        possible = valueByRule<PossibleRule>(list_, room, state.bestDiff, budget, state.ruleWork,
                                             width, tuning_);
        if (possible >= state.bestDiff) return Bound::Empty;
    }
    const std::int64_t plain =
        oracleWork(static_cast<std::int64_t>(list_.size()), tracks_.distinct(), room);
    const std::int64_t first = std::max(tuning_.firstWindowWork, plain / 4);
    const std::int64_t full = std::max(tuning_.windowWork, 4 * plain);
    const bool fullFirst = windowInFull_;
    const std::int64_t work0 = state.ruleWork;
    OracleAnswer a = exactValue(
        list_, room,
        {state.bestDiff, budget,
         fullFirst ? windowBudget(full, budget) : windowBudget(first, tuning_.windowWork)},
        state.ruleWork, scratch_, tuning_);
    if (emptyLikely) possibleFirst_ = false;
    if (fullFirst &&
        (!a.exact || (a.value >= state.bestDiff && state.ruleWork - work0 - plain > first &&
                      ++fullToEmpty_ > tuning_.windowInFullRuns)))
        windowInFull_ = false;
    if (a.value >= 0 && !a.exact && a.value < state.bestDiff && !fullFirst) {
        if (possible < 0)
            possible = valueByRule<PossibleRule>(list_, room, state.bestDiff, budget,
                                                 state.ruleWork, width, tuning_);
        if (emptyLikely) possibleFirst_ = possible >= state.bestDiff;
        if (possible >= state.bestDiff) return Bound::Empty;
        a = exactValue(list_, room, {state.bestDiff, budget, windowBudget(full, budget)},
                       state.ruleWork, scratch_, tuning_);
        windowInFull_ = a.exact;
        fullToEmpty_ = 0;
    }
    if (a.value >= 0 && a.exact) {
        // Exact: nothing below bestDiff, or a value that will be recorded.
        if (a.value >= state.bestDiff) return Bound::Empty;
        if (a.value + 1 < state.bestDiff) state.bestDiff = a.value + 1;
        return Bound::Held;
    }
    if (a.value >= state.bestDiff) return Bound::Empty;
    if (possible < 0)
        possible = valueByRule<PossibleRule>(list_, room, state.bestDiff, budget, state.ruleWork,
                                             width, tuning_);
    if (possible >= state.bestDiff) return Bound::Empty;
    if (possible >= 0 && state.bestDiff - 2 >= state.globalBound) {
        // A set sure to be visited below lies ahead: it will be recorded.
        const std::int64_t sure = valueByRule<SureRule>(list_, room, state.bestDiff - 1, budget,
                                                        state.ruleWork, width, tuning_);
        if (sure >= 0 && sure < state.bestDiff - 1) {
            state.bestDiff = sure + 1;
            return Bound::Held;
        }
    }
    return Bound::Unknown;
}

// A child after an empty sibling (`node`, on top of the path, below
// `parent`): true if the superset rule, run for it together with the
// children that follow it (SiblingBound), shows it empty. Most such
// children are, and one scan of their parent's list after them, with a
// short scan per child, costs about as much as one bound of a child.
// `tried`: set when the bound ran.
bool BoundingPolicy::siblingEmpty(const Node& node, const Node& parent, bool& tried,
                                  BoundState& state) {
    const int c = node.added;
    const bool mine = siblingsOf_ == parent.enteredAtStep;
    if (mine && siblingsFailed_) return false;
    int at = -1;
    if (mine && siblings_.on()) {
        at = siblingAt(c);
        if (siblings_.covers(at)) {
            // its list goes past the one bounded
            if (node.shape.reach > siblingsCut_) return false;
        } else if (at <= siblingsFrom_) {
            return false;
        } else {
            at = -1;  // past them, or shorter: bound it with the ones after it
        }
    }
    if (at < 0) {
        if (!startSiblings(node, parent, state)) return false;
        at = siblingAt(c);
    }
    tried = true;
    return siblings_.value(at, state.bestDiff, state.ruleWork) >= state.bestDiff;
}

// The position of track c in the list of siblings_, -1 if not in it.
int BoundingPolicy::siblingAt(int c) const {
    const auto it = std::lower_bound(siblingIndex_.begin(), siblingIndex_.end(), c);
    return it != siblingIndex_.end() && *it == c ? static_cast<int>(it - siblingIndex_.begin())
                                                 : -1;
}

// Bounds the children of `parent` from node's track on together, over the
// parent's list cut at node's reaching track (siblingSpan children, where
// their own scans stay short beside the list): false if that cannot be done
// or shows a value below bestDiff.
bool BoundingPolicy::startSiblings(const Node& node, const Node& parent, BoundState& state) {
    siblingsOf_ = parent.enteredAtStep;
    siblingsFailed_ = true;
    const int c = node.added, cut = node.shape.reach;
    if (cut <= c) return false;
    std::vector<std::int64_t> list;
    const int children = tracks_.listWithChild(c, cut, list, siblingIndex_);
    const int at = siblingAt(c);
    const int last = std::min(children - 1, at + tuning_.siblingSpan - 1);
    if (tuning_.siblingListShare * (last + 1) > static_cast<int>(list.size())) return false;
    siblingsCut_ = cut;
    siblingsFrom_ = at;
    siblingsFailed_ = !siblings_.start(std::move(list), T_ - parent.sum,
                                       {at, last, tracks_.length(c)}, state.bestDiff,
                                       state.perNodeWork, state.ruleWork, scratch_.width, tuning_);
    return !siblingsFailed_;
}

// Keeps in the memo what a bound showed, at the present bestDiff, and how
// dear it was (`work` words).
void BoundingPolicy::note(BoundMemo& memo, Bound b, std::int64_t work,
                          const BoundState& state) const {
    if (b == Bound::Held) memo.heldAt = state.bestDiff;
    if (b == Bound::Unknown) memo.unknownAt = state.bestDiff;
    memo.boundAt = state.bestDiff;
    memo.dearness = dearness(memo.plainWork, work);
}

// The walk's work in the node's finished children, in words (a step counts
// the tuning's workPerStep).
std::int64_t BoundingPolicy::spentBelow(const Node& node) const {
    return static_cast<std::int64_t>(node.childSteps) * tuning_.workPerStep + node.childWork;
}

// The staircases' budget: `words`, within `cap` and the tuning's cap.
std::int64_t BoundingPolicy::windowBudget(std::int64_t words, std::int64_t cap) const {
    return std::min({words, cap, tuning_.windowWorkCap});
}

}  // namespace ztp::split
