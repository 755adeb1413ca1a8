// The lengths of the tracks off the walk's path, by index, as a segment tree:
// range sums, range maxima and the first long enough track in O(log n).
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

namespace ztp::split {

// A track on the path counts 0 seconds and -1 as length.
class OffPathTree {
public:
    // Every track of `t` off the path.
    void reset(const std::vector<std::int64_t>& t) {
        size_ = 1;
        while (size_ < t.size()) size_ *= 2;
        sum_.assign(2 * size_, 0);
        max_.assign(2 * size_, -1);
        for (std::size_t i = 0; i < t.size(); ++i) {
            sum_[size_ + i] = t[i];
            max_[size_ + i] = t[i];
        }
        for (std::size_t k = size_; k-- > 1;) pull(k);
    }

    // Track i, of `len` seconds, off the path (`off`) or on it.
    void set(std::size_t i, std::int64_t len, bool off) {
        std::size_t k = size_ + i;
        sum_[k] = off ? len : 0;
        max_[k] = off ? len : -1;
        for (k /= 2; k > 0; k /= 2) pull(k);
    }

    // The seconds off the path over the indices [b, e).
    std::int64_t sum(std::size_t b, std::size_t e) const {
        std::int64_t total = 0;
        for (b += size_, e += size_; b < e; b /= 2, e /= 2) {
            if (b & 1) total += sum_[b++];
            if (e & 1) total += sum_[--e];
        }
        return total;
    }

    // The longest track off the path over [b, e), -1 if none.
    std::int64_t longest(std::size_t b, std::size_t e) const {
        std::int64_t m = -1;
        for (b += size_, e += size_; b < e; b /= 2, e /= 2) {
            if (b & 1) m = std::max(m, max_[b++]);
            if (e & 1) m = std::max(m, max_[--e]);
        }
        return m;
    }

    // The first index in [b, e) off the path with a length of at least len,
    // or e.
    std::size_t firstAtLeast(std::size_t b, std::size_t e, std::int64_t len) const {
        return b < e ? find(1, 0, size_, b, e, len) : e;
    }

private:
    // Node k from its two children.
    void pull(std::size_t k) {
        sum_[k] = sum_[2 * k] + sum_[2 * k + 1];
        max_[k] = std::max(max_[2 * k], max_[2 * k + 1]);
    }

    // firstAtLeast within node k, which covers [lo, hi).
    std::size_t find(std::size_t k, std::size_t lo, std::size_t hi, std::size_t b, std::size_t e,
                     std::int64_t len) const {
        if (hi <= b || e <= lo || max_[k] < len) return e;
        if (hi - lo == 1) return lo;
        const std::size_t mid = lo + (hi - lo) / 2;
        const std::size_t left = find(2 * k, lo, mid, b, e, len);
        return left != e ? left : find(2 * k + 1, mid, hi, b, e, len);
    }

    std::size_t size_ = 1;
    std::vector<std::int64_t> sum_, max_;
};

}  // namespace ztp::split
