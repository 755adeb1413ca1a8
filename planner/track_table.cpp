#include "track_table.h"

#include <algorithm>

#include "index_list.h"
#include "text_forms.h"

namespace ztp {

const char* const kDesignCaption = "Disk.Track -    Time";

TrackTable::TrackTable()
    : selectionTotal(kDesignCaption), sideATotal(kDesignCaption), sideBTotal(kDesignCaption) {
    WorkList.fill(-1);
    SideA.fill(-1);
    SideB.fill(-1);
}

const std::string& TrackTable::diskTitle(int diskNo) const {
    static const std::string none;
    return diskNo >= 1 && diskNo <= kMaxDisks ? DiskTitle[diskNo - 1] : none;
}

std::int64_t TrackTable::SumTime(const ListModel& list, int kind) const {
    const int n = std::min(ListCount(list), kMaxTracks);
    std::int64_t sum = 0;
    for (int k = 0; k < n; ++k) {
        int index = k;
        if (kind == 1) index = SideA[k];
        else if (kind == 2) index = SideB[k];
        else if (kind != 0) return 0;
        if (index >= 0 && index < kMaxTracks) sum += TrackTime[index];
    }
    return sum;
}

void TrackTable::ShowTotal(std::string& total, std::int64_t seconds, const ListModel& list) {
    total = totalsText(ListCount(list), seconds);
}

void TrackTable::ShowSelectTotal() { ShowTotal(selectionTotal, SumTime(selection, 0), selection); }

void TrackTable::ShowSideTotals() {
    const std::int64_t a = SumTime(sideListA, 1);
    const std::int64_t b = SumTime(sideListB, 2);
    ShowTotal(sideATotal, a, sideListA);
    ShowTotal(sideBTotal, b, sideListB);
    tapeLength = tapeLengthText(std::max(a, b), decimalSeparator);
}

void TrackTable::deleteSelectedTracks() {
    for (int i = selection.count() - 1; i >= 0; --i) {
        if (!selection.selected(i)) continue;
        selection.remove(i);
        if (i < kMaxTracks) {
            std::copy(TrackTime.begin() + i + 1, TrackTime.end(), TrackTime.begin() + i);
            TrackTime[kMaxTracks - 1] = 0;
        }
    }
    ShowSelectTotal();
}

AddRefusal TrackTable::checkAddDisk(int trackCount) const {
    if (DiskNo < 1 || DiskNo > kMaxDisks) return AddRefusal::TooManyDisks;
    if (trackCount < 0 || selection.count() + trackCount > kMaxTracks)
        return AddRefusal::TooManyTracks;
    return AddRefusal::None;
}

void TrackTable::appendTracks(const std::vector<std::uint32_t>& lengths) {
    const int base = selection.count();
    for (std::size_t t = 0; t < lengths.size(); ++t) {
        const int slot = base + static_cast<int>(t);
        if (slot >= kMaxTracks) break;  // checkAddDisk keeps this from happening
        selection.add(entryText(DiskNo, static_cast<int>(t) + 1, lengths[t]));
        TrackTime[slot] = CdTimeToSec(lengths[t]);
    }
}

void TrackTable::storeTitle(const std::string& title) {
    if (DiskNo >= 1 && DiskNo <= kMaxDisks) DiskTitle[DiskNo - 1] = title;
    ++DiskNo;
}

AddRefusal TrackTable::addDisk(const std::vector<std::uint32_t>& lengths,
                               const std::string& title) {
    const AddRefusal refusal = checkAddDisk(static_cast<int>(lengths.size()));
    if (refusal != AddRefusal::None) return refusal;
    appendTracks(lengths);
    storeTitle(title);
    return AddRefusal::None;
}

void TrackTable::resetSearch() {
    WorkList.fill(-1);
    SideA.fill(-1);
    SideB.fill(-1);
    BestDiff = kInitialBestDiff;
    Depth = 0;
    sideListA.clear();
    sideListB.clear();
    sideATotal.clear();
    sideBTotal.clear();
    tapeLength.clear();
    hasResult_ = false;
}

std::vector<std::int32_t> TrackTable::trackTimes() const {
    const int n = std::min(selection.count(), kMaxTracks);
    return std::vector<std::int32_t>(TrackTime.begin(), TrackTime.begin() + n);
}

std::int64_t TrackTable::target(SearchMode mode, const std::string& tapeText) const {
    return searchTarget(mode, SumTime(selection, 0), tapeText);
}

void TrackTable::BuildSides(bool exchange) {
    const int n = std::min(selection.count(), kMaxTracks);
    WorkList = SideA;
    int k = 0;
    for (int i = 0; i < n; ++i)
        if (!inIndexList(WorkList, i)) SideB[k++] = i;
    WorkList = SideB;
    k = 0;
    for (int i = 0; i < n; ++i)
        if (!inIndexList(WorkList, i)) SideA[k++] = i;
    if (exchange) std::swap(SideA, SideB);
    sideListA.clear();
    for (k = 0; k < kMaxTracks && SideA[k] != -1; ++k) sideListA.add(selection.text(SideA[k]));
    sideListB.clear();
    for (k = 0; k < kMaxTracks && SideB[k] != -1; ++k) sideListB.add(selection.text(SideB[k]));
}

void TrackTable::applySearch(const SearchResult& result, SearchMode mode) {
    const int n = std::min(selection.count(), kMaxTracks);
    SideA.fill(-1);
    SideB.fill(-1);
    int k = 0;
    for (int index : result.best)
        if (index >= 0 && index < n && k < kMaxTracks) SideA[k++] = index;
    BestDiff = result.bestDiff;
    BuildSides(mode == SearchMode::BMen);
    ShowSideTotals();
    hasResult_ = true;
}

void TrackTable::splitSides(SearchMode mode, const std::string& tapeText, Engine engine) {
    resetSearch();
    const std::int64_t t = target(mode, tapeText);
    applySearch(runSearch(engine, trackTimes(), t), mode);
}

void TrackTable::MoveSelected(ListModel& src, IndexList& srcList, ListModel& dst,
                              IndexList& dstList) {
    if (!hasResult_) return;
    const int nS = src.count();
    const int nD = dst.count();
    int m = 0;
    for (int i = 0; i < nS; ++i) {
        if (!src.selected(i)) continue;
        dst.add(src.text(i));
        if (nD + m < kMaxTracks && i < kMaxTracks) dstList[nD + m] = srcList[i];
        ++m;
    }
    for (int i = nS - 1; i >= 0; --i) {
        if (!src.selected(i)) continue;
        src.remove(i);
        if (i < kMaxTracks) {
            std::copy(srcList.begin() + i + 1, srcList.end(), srcList.begin() + i);
            srcList[kMaxTracks - 1] = -1;
        }
    }
    ShowSideTotals();
}

void TrackTable::moveSelectedToSideB() { MoveSelected(sideListA, SideA, sideListB, SideB); }
void TrackTable::moveSelectedToSideA() { MoveSelected(sideListB, SideB, sideListA, SideA); }

}  // namespace ztp
