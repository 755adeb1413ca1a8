// Plans for real tapes: splits that keep both sides within the tape's side,
// tracks pinned to a side, the album kept in its order, and sets of tapes.
//
// A side plays its tracks, a gap between each two of them and the leader at
// its start: `count` tracks of `music` seconds take music + (count - 1) * gap
// + leader seconds (an empty side takes none). With w = t + gap for every
// track, a set fits a side of S seconds exactly when its w sum is at most
// S - leader + gap, so every question here is one about sums of w.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ztp::tape {

struct SideRules {
    std::int64_t side = 0;    // seconds one side of the tape holds
    std::int64_t gap = 0;     // seconds of silence between two tracks of a side
    std::int64_t leader = 0;  // seconds at the start of each side before its first track
};

// What a side takes: its tracks, the gaps between them and the leader.
std::int64_t planned(std::int64_t music, std::int64_t count, const SideRules& rules);

// The w sum that a side's tracks may reach (S - leader + gap); below 0 when
// not even one track of no length fits.
std::int64_t capacity(const SideRules& rules);

enum class Pin : std::uint8_t { Free, A, B };

// Two sides as table indices, each in table order.
struct Split {
    std::vector<int> a, b;
};

// Both sides within the tape's side, side A as full as possible (the largest
// planned side A of any such split; of several sets of that length, the one
// a first-reach subset-sum table gives, the same on every run). Pinned tracks
// stay on their sides. Empty when no split fits.
std::optional<Split> fitSplit(const std::vector<std::int32_t>& times, const std::vector<Pin>& pins,
                              const SideRules& rules);

// The album in its order: side A the first `cut` tracks, side B the rest.
// fitCut: the largest cut whose sides both fit, the pins honoured; empty when
// none does.
std::optional<int> fitCut(const std::vector<std::int32_t>& times, const std::vector<Pin>& pins,
                          const SideRules& rules);

// The cut whose side A (planned) comes closest to `target`, an equal distance
// going to the longer side A, as the split search's rule takes a track that
// reaches the target; with `sideB`, side B is the one measured. The pins
// honoured; empty when no cut honours them.
std::optional<int> closestCut(const std::vector<std::int32_t>& times, const std::vector<Pin>& pins,
                              const SideRules& rules, std::int64_t target, bool sideB);

// The split search's input for a mode's target with pins and gaps: the free
// tracks' w and the target less what the pinned tracks on the searched side
// already take. `searchedSide` is the side the search's set becomes.
struct PinnedSearch {
    std::vector<int> freeTracks;      // table indices of the tracks the search places
    std::vector<std::int32_t> times;  // their w, in table order
    std::int64_t target = 0;          // for the w sum of the searched set
};
PinnedSearch pinnedSearch(const std::vector<std::int32_t>& times, const std::vector<Pin>& pins,
                          const SideRules& rules, std::int64_t plannedTarget, Pin searchedSide);

// The target of "both sides equal" for the planned lengths: half of the w
// total (the remainder dropped), as w sums.
std::int64_t equalTarget(const std::vector<std::int32_t>& times, const SideRules& rules);

// Sides of several tapes: side 2k is side A of tape k + 1, side 2k + 1 its
// side B; each within the tape's side.
struct Packing {
    std::vector<std::vector<int>>
        sides;            // table indices in table order; trailing sides may be empty
    int lowerBound = 0;   // no packing has fewer sides than this
    bool fewest = false;  // no packing has fewer tapes than sides.size() / 2
};

// The fewest tapes that take every track (maxTapes 0), or the tracks on at
// most maxTapes tapes. keepOrder: the sides are runs of the table order, one
// after another. Where no packing is found, `sides` is empty and lowerBound
// says how many sides at least a packing needs (above 2 * maxTapes: none
// exists). `budget` bounds the exact searches that settle what the
// heuristics leave open (tracks looked at, over all of them; the default is
// some 0.15 s at most).
Packing packSides(const std::vector<std::int32_t>& times, const SideRules& rules, int maxTapes,
                  bool keepOrder, std::int64_t budget = 30'000'000);

}  // namespace ztp::tape
