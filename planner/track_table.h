// The main window's track table: the selection list and its lengths, the disk
// titles, the index lists of the side split, the side lists and the totals
// texts. Window-free: the lists are ListModels and the totals strings, which
// the window shows.
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
// "Disk.Track -    Time": the header over the lists, and what the totals
// show before they are first set.
extern const char* const kDesignCaption;

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

    // The selection list (entry k is the track of table index k) and the
    // side lists, parallel to SideA and SideB.
    ListModel selection, sideListA, sideListB;
    // Totals texts of the three lists, and the tape length text.
    std::string selectionTotal, sideATotal, sideBTotal, tapeLength;
    std::string decimalSeparator = ".";

    // Title of disk d, or "" outside 1..30.
    const std::string& diskTitle(int diskNo) const;

    // --- sums and totals
    int ListCount(const ListModel& list) const { return list.count(); }
    // kind 0: selection list; 1: side A; 2: side B; else 0.
    std::int64_t SumTime(const ListModel& list, int kind) const;
    void ShowTotal(std::string& total, std::int64_t seconds, const ListModel& list);
    void ShowSelectTotal();  // selectionTotal from the selection list
    void ShowSideTotals();   // sideATotal, sideBTotal and tapeLength

    // Deletes the highlighted entries of the selection list, then refreshes
    // the selection total.
    void deleteSelectedTracks();

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
    // side lists, their totals and the tape length: nothing is shown as a
    // result until applySearch.
    void resetSearch();
    std::vector<std::int32_t> trackTimes() const;  // lengths of the selection list
    std::int64_t target(SearchMode mode, const std::string& tapeText) const;
    // Builds the sides from a search result (exchanged in mode BMen), fills
    // the side lists and shows the totals. Ends the "no result" state.
    void applySearch(const SearchResult& result, SearchMode mode);
    // Reset, then the whole search, on this thread. Throws EConvertError for
    // a bad tape time (the "no result" state stays, with the sides empty).
    void splitSides(SearchMode mode, const std::string& tapeText, Engine engine = Engine::Fast);
    // False before the first search, after a failed or cancelled one and
    // after a reset: moves and saving do nothing then.
    bool hasResult() const { return hasResult_; }

    // --- hand editing
    void moveSelectedToSideB();  // highlighted entries of side A to the end of side B
    void moveSelectedToSideA();  // highlighted entries of side B to the end of side A

private:
    void BuildSides(bool exchange);
    void MoveSelected(ListModel& src, IndexList& srcList, ListModel& dst, IndexList& dstList);

    bool hasResult_ = false;
};

}  // namespace ztp
