// The tracks of a fast search and which of them are on the walk's path, with
// what a node asks of them: its reaching track, the longest tracks before the
// one that led to it, its track list, and the subset-sum bound over it.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine_tuning.h"
#include "fenwick_counts.h"
#include "off_path_tree.h"
#include "sum_bits.h"

namespace ztp::split {

// A node's place among the tracks.
struct NodeShape {
    // the reaching track: the first off the path of at least the room, n if none
    int reach;
    int longestAt;  // index of `longest`, -1 if none
    // the two longest tracks off the path before the one added, -1 if none
    std::int64_t longest, second;
};

class PathTracks {
public:
    // The first `count` of `times`, none on the path.
    PathTracks(const std::vector<std::int32_t>& times, std::size_t count)
        : t_(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(count)),
          n_(static_cast<int>(count)) {
        for (const std::int64_t len : t_) {
            total_ += len;
            longest_ = std::max(longest_, len);
        }
        on_.assign(t_.size() + 1, 0);
        lengths_ = distinctLengths(t_);
        slot_.resize(t_.size());
        for (std::size_t i = 0; i < t_.size(); ++i) slot_[i] = slotWithoutBranches(t_[i]);
        count_.assign(lengths_.size(), 0);
    }

    // The number of tracks, their lengths by index, track i's, their sum,
    // the longest and the number of distinct lengths.
    int size() const { return n_; }
    const std::vector<std::int64_t>& lengths() const { return t_; }
    std::int64_t length(int i) const { return t_[static_cast<std::size_t>(i)]; }
    std::int64_t total() const { return total_; }
    std::int64_t longest() const { return longest_; }
    std::int64_t distinct() const { return static_cast<std::int64_t>(lengths_.size()); }

    // Whether track i is on the path.
    bool onPath(int i) const { return on_[static_cast<std::size_t>(i)] != 0; }

    // Puts track i on the path or takes it off.
    void put(int i, bool on) {
        const auto k = static_cast<std::size_t>(i);
        on_[k] = on ? 1 : 0;
        off_.set(k, t_[k], !on);
        if (!byLength_.empty()) byLength_.add(slot_[k], k, on ? -1 : 1);
    }

    // No track on the path.
    void clear() {
        std::fill(on_.begin(), on_.end(), 0);
        off_.reset(t_);
        byLength_.clear();
    }

    // The shape of the node reached by adding track `added` (-1: the root)
    // below a node with reaching track `parentReach`, with room `room`: by a
    // scan where parentReach is at most `scanUpTo`, else from the tree.
    NodeShape shape(int parentReach, int added, std::int64_t room, int scanUpTo) const {
        NodeShape s{parentReach, -1, -1, -1};
        if (parentReach <= scanUpTo) {
            bool found = false;
            for (int i = 0; i < parentReach; ++i) {
                if (found && i >= added) break;
                if (onPath(i)) continue;
                const std::int64_t len = length(i);
                if (i < added) {
                    if (len > s.longest) {
                        s.second = s.longest;
                        s.longest = len;
                        s.longestAt = i;
                    } else if (len > s.second) {
                        s.second = len;
                    }
                }
                if (!found && len >= room) {
                    s.reach = i;
                    found = true;
                }
            }
            return s;
        }
        s.reach =
            static_cast<int>(off_.firstAtLeast(0, static_cast<std::size_t>(parentReach), room));
        const auto below = static_cast<std::size_t>(std::max(added, 0));
        s.longest = off_.longest(0, below);
        if (s.longest >= 0) {
            const std::size_t a = off_.firstAtLeast(0, below, s.longest);
            s.longestAt = static_cast<int>(a);
            s.second = std::max(off_.longest(0, a), off_.longest(a + 1, below));
        }
        return s;
    }

    // out := a node's track list: the tracks before `reach` off the path,
    // then the reaching track (if any).
    void listOf(int reach, std::vector<std::int64_t>& out) const {
        out.clear();
        for (int i = 0; i < reach; ++i)
            if (!onPath(i)) out.push_back(length(i));
        if (reach < n_) out.push_back(length(reach));
    }

    // listOf for a node above the path's end: the tracks path[from..] (added
    // below it) count as off the path.
    void listAbove(int reach, const std::vector<int>& path, std::size_t from,
                   std::vector<std::int64_t>& out) {
        for (std::size_t j = from; j < path.size(); ++j) on_[static_cast<std::size_t>(path[j])] = 0;
        listOf(reach, out);
        for (std::size_t j = from; j < path.size(); ++j) on_[static_cast<std::size_t>(path[j])] = 1;
    }

    // The list of a node with child `child`, cut at `cut`: the tracks before
    // it off the path or the child, then track `cut` (if any); `index` gets
    // the tracks' indices but the cut's. Returns the number before the cut.
    int listWithChild(int child, int cut, std::vector<std::int64_t>& list,
                      std::vector<int>& index) const {
        list.clear();
        index.clear();
        for (int i = 0; i < cut; ++i)
            if (i == child || !onPath(i)) {
                list.push_back(length(i));
                index.push_back(i);
            }
        const int before = static_cast<int>(list.size());
        if (cut < n_) list.push_back(length(cut));
        return before;
    }

    // The subset-sum bound of a node with room `room` and reaching track
    // `reach`: true if no subset of its children and its reaching track
    // comes within `best` of the room (looked at within the tuning's word
    // budget; past it, false).
    bool subsetBoundEmpty(std::int64_t room, int reach, std::int64_t best,
                          const EngineTuning& tuning, words::Width width);

private:
    // slotOf(lengths_, len), found without branches: on thousands of tracks
    // the branches of a binary search are mostly guessed wrong.
    std::size_t slotWithoutBranches(std::int64_t len) const {
        const std::int64_t* first = lengths_.data();
        for (std::size_t n = lengths_.size(); n > 0;) {
            const std::size_t half = n / 2;
            first += static_cast<std::size_t>(first[half] < len) * (n - half);
            n = half;
        }
        return static_cast<std::size_t>(first - lengths_.data());
    }

    std::vector<std::int64_t> t_;
    int n_;
    std::int64_t total_ = 0;
    std::int64_t longest_ = 0;
    std::vector<char> on_;  // on the path, by index (one more, never set)
    OffPathTree off_;
    std::vector<std::int64_t> lengths_;  // the distinct lengths, ascending
    std::vector<std::size_t> slot_;      // by track: its length's index in lengths_
    // With few distinct lengths: per slot, the tracks of that length off the
    // path, by index, built when first needed.
    FenwickCounts byLength_;
    // subsetBoundEmpty's: counts by slot (all 0 between calls), the slots
    // counted, and the sums.
    std::vector<std::int64_t> count_;
    std::vector<std::size_t> touched_;
    SumBits bits_;
};

}  // namespace ztp::split
