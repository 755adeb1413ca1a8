// Counts of tracks by kind and index, one Fenwick tree of counts per kind:
// how many tracks of a kind lie below an index, in O(log n), kept as tracks
// come and go.
#pragma once
#include <cstdint>
#include <vector>

namespace ztp::split {

class FenwickCounts {
public:
    // Whether built, and unbuilt again.
    bool empty() const { return counts_.empty(); }
    void clear() { counts_.clear(); }

    // Counts track i of kind kindOf[i] for every i where counted(i), over
    // kinds [0, kinds) and indices [0, kindOf.size()).
    template <typename Counted>
    void build(std::size_t kinds, const std::vector<std::size_t>& kindOf, Counted counted) {
        stride_ = kindOf.size() + 1;
        counts_.assign(kinds * stride_, 0);
        for (std::size_t j = 1; j < stride_; ++j) {
            if (counted(j - 1)) counts_[kindOf[j - 1] * stride_ + j] += 1;
            for (std::size_t k = 0; k < kinds; ++k) {
                std::int32_t* tree = counts_.data() + k * stride_;
                const std::size_t up = j + lowBit(j);
                if (up < stride_) tree[up] += tree[j];
            }
        }
    }

    // Adds `delta` to the count of track i, of kind k.
    void add(std::size_t k, std::size_t i, std::int32_t delta) {
        std::int32_t* tree = counts_.data() + k * stride_;
        for (std::size_t j = i + 1; j < stride_; j += lowBit(j)) tree[j] += delta;
    }

    // The tracks of kind k counted with an index below `end`.
    std::int64_t below(std::size_t k, std::size_t end) const {
        const std::int32_t* tree = counts_.data() + k * stride_;
        std::int64_t c = 0;
        for (std::size_t j = end; j > 0; j -= lowBit(j)) c += tree[j];
        return c;
    }

private:
    // The lowest set bit of j: the span of the tree's entry j.
    static std::size_t lowBit(std::size_t j) { return j & (~j + 1); }

    std::size_t stride_ = 1;
    std::vector<std::int32_t> counts_;  // by kind, then index + 1
};

}  // namespace ztp::split
