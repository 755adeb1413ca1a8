// Membership in a -1-terminated index list.
#pragma once
#include "split_search.h"

namespace ztp {

// Whether index stands in list: walks from slot 0 and stops at the first -1
// or after the last slot.
inline bool inIndexList(const IndexList& list, int index) {
    for (int k = 0; k < kMaxTracks; ++k) {
        if (list[k] == -1) return false;
        if (list[k] == index) return true;
    }
    return false;
}

}  // namespace ztp
