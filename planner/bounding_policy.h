// When and how the fast engine bounds the nodes of its walk: the cheap
// subset-sum bound, the bounds by rule (the subtree oracle, the superset and
// subset rules, children bounded together) within the phase's budgets, and
// what the heuristics learn from one bound for the next.
#pragma once
#include <cstdint>
#include <vector>

#include "engine_tuning.h"
#include "path_tracks.h"
#include "split_bounds.h"
#include "split_oracle.h"
#include "split_search.h"

namespace ztp::split {

// What the bounds have shown of a node and what they cost there.
struct BoundMemo {
    std::int64_t boundAt = 0;       // bestDiff when the bounds by rule last ran, 0 if never
    std::int64_t spentAtBound = 0;  // spentBelow() then
    std::int64_t heldAt = 0;        // bestDiff when they showed a value below it here, else 0
    std::int64_t unknownAt = 0;     // bestDiff when they could tell neither, else 0
    bool heldAfterEmpty = false;    // held or unknown, and shown so after an empty sibling
    std::int64_t plainWork = 0;     // words the bounds by rule take without the staircases
    double dearness = 1;            // how many times plainWork they are likely to take
    int emptyAfterEmpty = 0;        // children after an empty one shown empty on entering
};

// A node of the walk: a path with sum below the target, or the root.
struct Node {
    std::int64_t sum;        // of the path
    NodeShape shape;         // its reaching track and longest tracks
    int added;               // the track that led here, -1 at the root
    int nextChild;           // the next index to look at as a child
    std::size_t lengthsEnd;  // end of its part of the walk's lengths looked at
    bool finished;           // nothing more in this subtree can record
    std::uint64_t enteredAtStep;
    std::int64_t enteredAtWork;  // rule work then
    std::uint64_t childSteps;    // steps spent in its finished children
    std::int64_t childWork;      // rule work spent in its finished children
    BoundMemo memo;
};

// What the walk and its bounds share.
struct BoundState {
    // The walk's; a bound lowers it to one above a value it will record.
    std::int64_t bestDiff = kInitialBestDiff;
    bool globalKnown = false;      // the whole walk bounded
    std::int64_t globalBound = 0;  // then: no value is below it
    std::int64_t ruleWork = 0;     // words the bounds by rule have taken
    std::int64_t perNodeWork = 0;  // the phase's budget for one node's bounds by rule
};

// What the bounds by rule show of a subtree.
enum class Bound { Empty, Held, Unknown };

// The moments the walk asks for a bound at.
enum class Moment {
    WalkStarts,     // a walk with bounds by rule starts from the root
    Entered,        // a node has been entered (on top of the stack)
    ChildFinished,  // a child of the node on top of the stack is finished
};

class BoundingPolicy {
public:
    // The policy of one search over `tracks` with target T; `path` is the
    // walk's (tracks, path and scratch must outlive it).
    BoundingPolicy(const EngineTuning& tuning, PathTracks& tracks, const std::vector<int>& path,
                   OracleScratch& scratch, std::int64_t T);

    // The one decision call. At WalkStarts: once, bounds the whole walk
    // (sets state.globalBound, and lowers state.bestDiff to one above the
    // smallest value where that is known). At Entered and ChildFinished: the
    // stack index of the highest node on the path that the bounds show can
    // record nothing more (the walk then leaves the nodes above it and
    // finishes it), or stack.size() if none. `steps`: the walk's so far.
    std::size_t decide(Moment moment, std::vector<Node>& stack, std::uint64_t steps,
                       BoundState& state);

private:
    void boundWholeWalk(BoundState& state);
    bool emptyOnEntry(std::vector<Node>& stack, std::uint64_t steps, BoundState& state);
    std::size_t emptyAfterChild(std::vector<Node>& stack, BoundState& state);
    bool emptyOnPath(std::vector<Node>& stack, std::size_t k, BoundState& state);
    Bound boundList(std::int64_t room, bool emptyLikely, BoundState& state);
    bool siblingEmpty(const Node& node, const Node& parent, bool& tried, BoundState& state);
    bool startSiblings(const Node& node, const Node& parent, BoundState& state);
    int siblingAt(int c) const;
    void note(BoundMemo& memo, Bound b, std::int64_t work, const BoundState& state) const;
    std::int64_t spentBelow(const Node& node) const;
    std::int64_t windowBudget(std::int64_t words, std::int64_t cap) const;

    const EngineTuning& tuning_;
    PathTracks& tracks_;
    const std::vector<int>& path_;  // the walk's: path_[k] led to stack node k + 1
    OracleScratch& scratch_;
    std::int64_t T_;
    std::vector<std::int64_t> list_;  // the track list of the node being bounded

    // Learnt from the bounds so far.
    std::int64_t rootHeldAt_ = 0;  // bestDiff when the whole walk's bound showed a value below it
    double rootDearness_ = 1;      // BoundMemo::dearness of the whole walk's bound
    bool possibleFirst_ = false;   // the superset rule first for a node likely empty
    bool windowInFull_ = false;    // the staircases' full budget at once
    int fullToEmpty_ = 0;          // nodes since windowInFull_ came on that needed it to show empty

    // Children bounded together: those of the node entered at step
    // siblingsOf_, from position siblingsFrom_ of its list cut at track
    // siblingsCut_ (siblingIndex_: the list's track indices).
    SiblingBound siblings_;
    std::uint64_t siblingsOf_ = 0;
    bool siblingsFailed_ = false;
    int siblingsCut_ = 0, siblingsFrom_ = 0;
    std::vector<int> siblingIndex_;
};

}  // namespace ztp::split
