// The main window's track table: the selection list and its lengths, the disk
// titles, the index lists of the side split, the side lists and the captions
// of the total panels. Window-free: list boxes are ListModels and panels are
// strings, which the window mirrors.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "convert.h"
#include "list_model.h"
#include "split_search.h"

namespace ztp {

constexpr int kMaxDisks = 30;
extern const char* const kDesignCaption;  // "Disk.Track -    Time"

enum class AddRefusal { None, TooManyTracks, TooManyDisks };

class TrackTable {
public:
    TrackTable();

    // --- the table
    int DiskNo = 1;
    std::array<std::int32_t, kMaxTracks> TrackTime{};
    IndexList WorkList{};
    IndexList SideA{};
    IndexList SideB{};
    std::array<std::string, kMaxDisks> DiskTitle;  // slot d-1 holds disk d
    std::int64_t BestDiff = kInitialBestDiff;
    int Depth = 0;

    ListModel lstTrackSelect, lstA, lstB;
    std::string pnlSelectKei, pnlAKei, pnlBKei, pnlFin;
    std::string decimalSeparator = ".";

    // Title of disk d, or "" outside 1..30.
    const std::string& diskTitle(int diskNo) const;

    // --- sums and totals
    int ListCount(const ListModel& list) const { return list.count(); }
    // kind 0: selection list; 1: side A; 2: side B; else 0.
    std::int64_t SumTime(const ListModel& list, int kind) const;
    void ShowTotal(std::string& panel, std::int64_t seconds, const ListModel& list);
    void ShowSelectTotal();  // pnlSelectKei from the selection list
    void ShowSideTotals();   // pnlAKei, pnlBKei and pnlFin

    // Deletes the highlighted entries of the selection list, then refreshes
    // the selection total.
    void btnTrackDelClick();

    // --- growing by whole disks
    // Whether a CD of trackCount tracks may be added as disk DiskNo.
    AddRefusal checkAddDisk(int trackCount) const;
    // Appends one entry and one TrackTime slot per track (packed CD times).
    // Call only after checkAddDisk said None.
    void appendTracks(const std::vector<std::uint32_t>& lengths);
    // Stores the title of disk DiskNo and raises DiskNo.
    void storeTitle(const std::string& title);
    // checkAddDisk, appendTracks and storeTitle in one.
    AddRefusal addDisk(const std::vector<std::uint32_t>& lengths, const std::string& title);

    // --- the side split
    // Resets WorkList, SideA, SideB, BestDiff and Depth and empties the
    // side lists and the captions of pnlAKei, pnlBKei and pnlFin: nothing is
    // shown as a result until applySearch.
    void resetSearch();
    std::vector<std::int32_t> trackTimes() const;  // lengths of the selection list
    std::int64_t target(SearchMode mode, const std::string& tapeText) const;
    // Builds the sides from a search result (exchanged in mode BMen), fills
    // lstA and lstB and shows the totals. Ends the "no result" state.
    void applySearch(const SearchResult& result, SearchMode mode);
    // The page change: reset, and on entering the edit page the whole search.
    // Throws EConvertError for a bad tape time (the "no result" state stays,
    // with the sides empty).
    void pageChange(bool editPageActive, SearchMode mode, const std::string& tapeText,
                    Engine engine = Engine::Fast);
    // False before the first search, after a failed or cancelled one and
    // while the settings page is active: moves and saving do nothing then.
    bool hasResult() const { return hasResult_; }

    // --- hand editing
    void sbtTrackRClick();  // highlighted entries of side A to the end of side B
    void sbtTrackLClick();  // highlighted entries of side B to the end of side A

private:
    bool InWorkList(int index) const;
    void BuildSides(bool exchange);
    void MoveSelected(ListModel& src, IndexList& srcList, ListModel& dst, IndexList& dstList);

    bool hasResult_ = false;
};

}  // namespace ztp
