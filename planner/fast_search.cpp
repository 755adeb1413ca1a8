// The fast side split engine: the same split as literalSearch, found by a
// depth-first walk over the same tree that skips every subtree which provably
// cannot change the result. docs/split-engine.md gives the argument why its
// split is the literal one; the bounds and when they run are the bounding
// policy's (bounding_policy.h), the tracks and the path PathTracks'.
//
// The walk uses an explicit stack (depth up to the number of tracks + 1).
// Memory: bit arrays of (T + longest track) bits for the global bound, and
// for the rules at most the tuning's ruleMemoryWords words (the oracle's kept
// subset sums at most its snapshotWords more, its staircase memo memoWords,
// the kept prefix sums prefixWords).
#include "split_search.h"

#include <algorithm>

#include "bounding_policy.h"
#include "path_tracks.h"
#include "split_oracle.h"

// Entering a node is a call of its own: inlined, it leaves the walk's child
// loop short of registers, which then costs the walk a tenth of its time.
#if defined(__GNUC__)
#define ZTP_NOINLINE __attribute__((noinline))
#else
#define ZTP_NOINLINE
#endif

namespace ztp {
namespace {

using namespace split;

// The word loops a search runs.
words::Width widthOf(WordLoops loops) {
    return loops == WordLoops::Narrow ? words::Width::Narrow : words::fastest();
}

class FastSearch {
public:
    // A search over the first kMaxTracks of `times`; the control and the
    // options must outlive it.
    FastSearch(const std::vector<std::int32_t>& times, std::int64_t target,
               const SearchControl& control, const FastOptions& options)
        : tracks_(times, std::min<std::size_t>(times.size(), kMaxTracks)), n_(tracks_.size()),
          T_(target), control_(control), tuning_(options.tuning),
          scratch_(widthOf(options.wordLoops)), policy_(tuning_, tracks_, path_, scratch_, target) {
    }

    // Walks from the root in each phase in turn: one that passes its steps
    // or its rule work gives way to the next, which starts again from the
    // root keeping the best value and set (the part already walked holds no
    // value below it, so it records nothing the second time).
    SearchResult run() {
        SearchResult result;
        result.bestDiff = kInitialBestDiff;
        if (n_ == 0 || (T_ > 0 && tracks_.total() < T_)) return result;  // nothing is recorded
        for (std::size_t k = tuning_.firstPhase; k < EngineTuning::kPhaseCount && !stop_; ++k) {
            phase_ = tuning_.phases[k];
            state_.perNodeWork = phase_.perNodeWork;
            if (phase_.perNodeWork > 0) {
                policy_.decide(Moment::WalkStarts, stack_, steps_, state_);
                if (state_.bestDiff <= state_.globalBound) break;
            }
            stack_.clear();
            path_.clear();
            tracks_.clear();
            if (walk()) break;
        }
        result.best = best_;
        result.bestDiff = state_.bestDiff;
        result.exactHit = exact_;
        result.steps = steps_;
        result.end = end_;
        return result;
    }

private:
    // Walks from the root in the current phase: true when the walk is over,
    // false when the phase has passed one of its limits.
    bool walk() {
        const std::uint64_t steps0 = steps_;
        const std::int64_t work0 = state_.ruleWork;
        stack_.reserve(static_cast<std::size_t>(n_) + 2);
        path_.reserve(static_cast<std::size_t>(n_) + 1);
        lengthsBefore_.clear();
        enter(0, -1, n_);
        while (!stack_.empty() && !stop_) {
            if (phase_.steps && steps_ - steps0 >= phase_.steps) return false;
            if (phase_.ruleWork && state_.ruleWork - work0 >= phase_.ruleWork) return false;
            Node& node = stack_.back();
            if (!node.finished) {
                const int c = nextChild(node);
                if (c >= 0) {
                    tracks_.put(c, true);
                    path_.push_back(c);
                    enter(node.sum + tracks_.length(c), c, node.shape.reach);
                    continue;
                }
                if (node.shape.reach < n_) record(node);
            }
            leave();
        }
        return true;
    }

    // Enters the node reached by adding track `added` (-1: the root) with
    // sum `sum` below a node with reaching track `parentReach`, and lets the
    // bounding policy finish it or nodes above it. Stops the search instead
    // once the cancel flag or the step budget says so.
    ZTP_NOINLINE void enter(std::int64_t sum, int added, int parentReach) {
        if (!step()) return;
        Node& node = stack_.emplace_back();  // in place: the stack's room is reserved
        node.sum = sum;
        node.shape = tracks_.shape(parentReach, added, T_ - sum, tuning_.scanUpTo);
        node.added = added;
        node.nextChild = 0;
        node.lengthsEnd = lengthsBefore_.size();
        node.finished = false;
        node.enteredAtStep = steps_;
        node.enteredAtWork = state_.ruleWork;
        finishFrom(policy_.decide(Moment::Entered, stack_, steps_, state_));
    }

    // The next child of `node` to walk into, -1 if none: the next track off
    // the path before its reaching track, unless an earlier child had the
    // same length (equal lengths rule) or adding it before the track that led
    // here is a path the walk has finished already (earlier order rule).
    int nextChild(Node& node) {
        // The lengths of the children looked at, each longer than every one
        // looked at after it. The node's part of lengthsBefore_ starts where
        // its parent's ends; its finished children's parts above it are
        // dropped.
        lengthsBefore_.resize(node.lengthsEnd);
        const std::size_t base = stack_.size() > 1 ? stack_[stack_.size() - 2].lengthsEnd : 0;
        const int reach = node.shape.reach;
        int c = node.nextChild;
        for (; c < reach; ++c) {
            if (tracks_.onPath(c)) continue;
            const std::int64_t len = tracks_.length(c);
            while (lengthsBefore_.size() > base && lengthsBefore_.back() < len)
                lengthsBefore_.pop_back();
            const bool equal = lengthsBefore_.size() > base && lengthsBefore_.back() == len;
            if (equal) continue;
            lengthsBefore_.push_back(static_cast<std::int32_t>(len));
            if (node.added >= 0 && c < node.added) {
                const std::int64_t others =
                    c == node.shape.longestAt ? node.shape.second : node.shape.longest;
                if (others < T_ - node.sum + tracks_.length(node.added) - len) continue;
            }
            break;
        }
        node.lengthsEnd = lengthsBefore_.size();
        if (c >= reach) {
            node.nextChild = reach;
            return -1;
        }
        node.nextChild = c + 1;
        return c;
    }

    // The node's candidate, after all its children: path alone (shortfall)
    // or path plus the reaching track (overshoot), the closer one if closer
    // than bestDiff, ties going to the overshoot. An exact hit ends the
    // search, and so does reaching the global bound.
    void record(const Node& node) {
        const std::int64_t shortfall = T_ - node.sum;
        const std::int64_t overshoot = node.sum + tracks_.length(node.shape.reach) - T_;
        if (shortfall < state_.bestDiff || overshoot < state_.bestDiff) {
            best_ = path_;
            if (overshoot <= shortfall) {
                state_.bestDiff = overshoot;
                best_.push_back(node.shape.reach);
            } else {
                state_.bestDiff = shortfall;
            }
        }
        if (overshoot == 0) {
            exact_ = true;
            stop_ = true;
        }
        if (state_.globalKnown && state_.bestDiff <= state_.globalBound) stop_ = true;
    }

    // Leaves the node on top of the stack, its subtree walked; a child of 0
    // seconds finishes its parent (its subtree held every value of the
    // parent's). Then the parent counts what the child spent, and the
    // bounding policy may finish it or nodes above it.
    void leave() {
        const int added = stack_.back().added;
        const std::uint64_t enteredAtStep = stack_.back().enteredAtStep;
        const std::int64_t enteredAtWork = stack_.back().enteredAtWork;
        stack_.pop_back();
        if (added >= 0) {
            tracks_.put(added, false);
            path_.pop_back();
            if (tracks_.length(added) == 0 && !stack_.empty()) stack_.back().finished = true;
        }
        if (stack_.empty() || stop_) return;
        Node& parent = stack_.back();
        parent.childSteps += steps_ - enteredAtStep;
        parent.childWork += state_.ruleWork - enteredAtWork;
        finishFrom(policy_.decide(Moment::ChildFinished, stack_, steps_, state_));
    }

    // Leaves the nodes above stack index k and finishes node k (k past the
    // stack: nothing).
    void finishFrom(std::size_t k) {
        if (k >= stack_.size()) return;
        while (stack_.size() > k + 1) {
            tracks_.put(path_.back(), false);
            path_.pop_back();
            stack_.pop_back();
        }
        stack_.back().finished = true;
    }

    // Counts a step: false, and the search stops, once the cancel flag is up
    // or the step budget is spent. Looked at every 256 steps, and at every
    // step where steps take bounds by rule (they can take milliseconds).
    bool step() {
        ++steps_;
        if (phase_.perNodeWork == 0 && (steps_ & 255) != 0) return true;
        if (control_.cancel && control_.cancel->load(std::memory_order_relaxed))
            end_ = SearchEnd::Cancelled;
        else if (control_.stepLimit && steps_ >= control_.stepLimit) end_ = SearchEnd::OutOfSteps;
        if (end_ == SearchEnd::Finished) return true;
        stop_ = true;
        return false;
    }

    PathTracks tracks_;
    int n_;
    std::int64_t T_;
    const SearchControl& control_;
    const EngineTuning& tuning_;
    OracleScratch scratch_;  // the word loops and the oracle's storage
    std::vector<int> path_;  // the tracks added, path_[k] leading to stack_[k + 1]
    std::vector<Node> stack_;
    BoundingPolicy policy_;
    BoundState state_;
    EngineTuning::Phase phase_{};
    std::vector<std::int32_t> lengthsBefore_;  // see nextChild
    std::vector<int> best_;
    std::uint64_t steps_ = 0;
    bool exact_ = false;
    bool stop_ = false;
    SearchEnd end_ = SearchEnd::Finished;
};

}  // namespace

SearchResult fastSearch(const std::vector<std::int32_t>& times, std::int64_t target,
                        const SearchControl& control, const FastOptions& options) {
    FastSearch search(times, target, control, options);
    return search.run();
}

}  // namespace ztp
