// The literal side split search.
//
// One call of SearchSplit is one level of the path held in WorkList. Each
// level tries table indices from 0 upwards, skipping those on the path. A track
// that keeps the path below the target is put on the path and searched on; the
// first track that reaches the target ends the level: the closer of "path
// alone" (shortfall) and "path plus track" (overshoot) is recorded if strictly
// closer than BestDiff, ties going to the overshoot. An exact hit ends the
// whole search, and so does the caller's cancel flag or step budget (then
// undecided). Sums and differences are 64-bit.
#include "index_list.h"
#include "split_search.h"

namespace ztp {
namespace {

class LiteralSearch {
public:
    // A search over `times`, limited by `control` (both outlive it).
    LiteralSearch(const std::vector<std::int32_t>& times, const SearchControl& control)
        : TrackTime(times), control_(control) {
        WorkList.fill(-1);
        SideA.fill(-1);
    }

    // The path as the best set (the caller has put the reaching track on it
    // or not), then off it again.
    void SaveBest() {
        SideA = WorkList;
        WorkList[Depth] = -1;
    }

    // One level: true when the search is over (an exact hit, or stopped).
    bool SearchSplit(int last, std::int64_t s, std::int64_t T) {
        if (!tick()) return true;
        for (int i = 0; i <= last; ++i) {
            if (inIndexList(WorkList, i)) continue;
            const std::int64_t d = s + TrackTime[i];
            if (d < T) {
                WorkList[Depth] = i;
                ++Depth;
                if (SearchSplit(last, d, T)) return true;
                --Depth;
                WorkList[Depth] = -1;
                continue;
            }
            const std::int64_t shortfall = T - s;
            const std::int64_t overshoot = d - T;
            if (shortfall < BestDiff || overshoot < BestDiff) {
                if (overshoot <= shortfall) {
                    BestDiff = overshoot;
                    WorkList[Depth] = i;
                } else {
                    BestDiff = shortfall;
                    WorkList[Depth] = -1;
                }
                SaveBest();
            }
            return d == T;
        }
        return false;
    }

    const std::vector<std::int32_t>& TrackTime;
    IndexList WorkList{};
    IndexList SideA{};
    std::int64_t BestDiff = kInitialBestDiff;
    int Depth = 0;
    std::uint64_t steps = 0;
    SearchEnd end = SearchEnd::Finished;

private:
    // Counts a step: false once the cancel flag is up or the step budget is
    // spent (looked at every 1024 steps; `end` says which).
    bool tick() {
        ++steps;
        if ((steps & 1023) != 0) return true;
        if (control_.cancel && control_.cancel->load(std::memory_order_relaxed))
            end = SearchEnd::Cancelled;
        else if (control_.stepLimit && steps >= control_.stepLimit) end = SearchEnd::OutOfSteps;
        return end == SearchEnd::Finished;
    }

    const SearchControl& control_;
};

}  // namespace

SearchResult literalSearch(const std::vector<std::int32_t>& times, std::int64_t target,
                           const SearchControl& control) {
    const int n = static_cast<int>(times.size() > kMaxTracks ? kMaxTracks : times.size());
    LiteralSearch search(times, control);
    SearchResult result;
    result.exactHit = search.SearchSplit(n - 1, 0, target) && search.end == SearchEnd::Finished;
    for (int k = 0; k < kMaxTracks && search.SideA[k] != -1; ++k)
        result.best.push_back(search.SideA[k]);
    result.bestDiff = search.BestDiff;
    result.steps = search.steps;
    result.end = search.end;
    return result;
}

}  // namespace ztp
