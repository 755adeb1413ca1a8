#pragma once
#include <initializer_list>
#include <string>
#include <vector>

#include "text_forms.h"
#include "track_table.h"

// A table holding one disk whose tracks last the given seconds (frames 50).
inline ztp::TrackTable tableOf(const std::vector<int>& seconds, const std::string& title = "t") {
    ztp::TrackTable t;
    std::vector<std::uint32_t> lengths;
    for (int s : seconds) lengths.push_back(ztp::packMsf(s / 60, s % 60, 50));
    t.addDisk(lengths, title);
    t.ShowSelectTotal();
    return t;
}

// Track numbers (1-based, disk 1) that a side list shows.
inline std::vector<int> tracksShown(const ztp::ListModel& list) {
    std::vector<int> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(std::stoi(list.text(i).substr(5, 5)));
    return out;
}

// The entries of an index list before its -1.
inline std::vector<int> indices(const ztp::IndexList& list) {
    std::vector<int> out;
    for (int k = 0; k < ztp::kMaxTracks && list[k] != -1; ++k) out.push_back(list[k]);
    return out;
}
