// Subset sums as bit arrays, shared by the split engine's bounds and oracle.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

namespace ztp::split {

// Subset sums over [0, bits) as a bit array.
class SumBits {
public:
    void reset(std::int64_t bits) {
        bits_ = bits < 1 ? 1 : bits;
        words_.assign(static_cast<std::size_t>((bits_ + 63) / 64), 0);
        words_[0] = 1;
    }

    // sums |= sums << len
    void add(std::int64_t len) {
        if (len <= 0 || len >= bits_) return;
        const std::size_t q = static_cast<std::size_t>(len / 64);
        const std::size_t n = words_.size() - q;
        std::vector<std::uint64_t>& from = scratch();
        from.assign(words_.begin(), words_.begin() + static_cast<std::ptrdiff_t>(n));
        orShiftedWords(words_.data() + q, n, from.data(), n, ~std::uint64_t{0}, static_cast<unsigned>(len % 64));
        trimTail();
    }

    bool test(std::int64_t k) const {
        if (k < 0 || k >= bits_) return false;
        return (words_[static_cast<std::size_t>(k / 64)] >> (k % 64)) & 1;
    }

    // Any sum in [lo, hi] (clipped to the array)?
    bool anyIn(std::int64_t lo, std::int64_t hi) const {
        if (lo < 0) lo = 0;
        if (hi >= bits_) hi = bits_ - 1;
        for (std::int64_t k = lo; k <= hi;) {
            if (k % 64 == 0 && k + 63 <= hi) {
                if (words_[static_cast<std::size_t>(k / 64)] != 0) return true;
                k += 64;
            } else {
                if (test(k)) return true;
                ++k;
            }
        }
        return false;
    }

    // This array := other's sums below `bits`, over [0, bits).
    void copyBelow(const SumBits& other, std::int64_t bits) {
        bits_ = std::max<std::int64_t>(1, std::min(bits, other.bits_));
        const std::size_t n = static_cast<std::size_t>((bits_ + 63) / 64);
        words_.assign(other.words_.begin(), other.words_.begin() + static_cast<std::ptrdiff_t>(n));
        trimTail();
    }

    void clear() { std::fill(words_.begin(), words_.end(), 0); }

    // sums |= other
    void orWith(const SumBits& other) {
        for (std::size_t i = 0; i < words_.size() && i < other.words_.size(); ++i) words_[i] |= other.words_[i];
    }

    // sums |= (other's sums below limit) << len; other is not this array.
    void orShifted(const SumBits& other, std::int64_t limit, std::int64_t len) {
        if (len < 0 || len >= bits_) return;
        limit = std::min(limit, other.bits_);
        if (limit <= 0) return;
        const std::size_t q = static_cast<std::size_t>(len / 64);
        const unsigned tail = static_cast<unsigned>(limit % 64);
        orShiftedWords(words_.data() + q, words_.size() - q, other.words_.data(),
                       static_cast<std::size_t>((limit + 63) / 64),
                       tail ? (std::uint64_t{1} << tail) - 1 : ~std::uint64_t{0}, static_cast<unsigned>(len % 64));
        trimTail();
    }

    // Clears the sums at or above limit.
    void keepBelow(std::int64_t limit) {
        if (limit >= bits_) return;
        if (limit < 0) limit = 0;
        std::size_t w = static_cast<std::size_t>(limit / 64);
        const unsigned b = static_cast<unsigned>(limit % 64);
        if (b) words_[w++] &= (std::uint64_t{1} << b) - 1;
        for (; w < words_.size(); ++w) words_[w] = 0;
    }

    void set(std::int64_t k) {
        if (k >= 0 && k < bits_) words_[static_cast<std::size_t>(k / 64)] |= std::uint64_t{1} << (k % 64);
    }

    // sums |= sums >> len, on words from `first` on (for arrays kept
    // reversed: bit i standing for sum top - i, this adds a track of len
    // seconds; the words from `first` on depend only on those).
    void addDown(std::int64_t len, std::size_t first) {
        if (len <= 0 || len >= bits_) return;
        const std::size_t q = static_cast<std::size_t>(len / 64);
        const unsigned b = static_cast<unsigned>(len % 64);
        const std::size_t nw = words_.size();
        if (first + q >= nw) return;
        std::vector<std::uint64_t>& from = scratch();
        from.assign(words_.begin() + static_cast<std::ptrdiff_t>(first + q), words_.end());
        const std::size_t n = from.size();  // words written: first .. first + n - 1
        const std::uint64_t* __restrict src = from.data();
        std::uint64_t* __restrict dst = words_.data() + first;
        if (b == 0) {
            for (std::size_t k = 0; k < n; ++k) dst[k] |= src[k];
        } else {
            for (std::size_t k = 0; k + 1 < n; ++k) dst[k] |= (src[k] >> b) | (src[k + 1] << (64 - b));
            dst[n - 1] |= src[n - 1] >> b;
        }
    }

    // out := the words from `first` on.
    void copyWords(std::int64_t first, std::vector<std::uint64_t>& out) const {
        const std::size_t f = std::min(static_cast<std::size_t>(std::max<std::int64_t>(0, first)), words_.size());
        out.assign(words_.begin() + static_cast<std::ptrdiff_t>(f), words_.end());
    }

    // Any k with bit k here and bit k + off in an array whose words from
    // `first` on are `other` (k + off below first * 64 never asked for)?
    bool meetsShifted(const std::vector<std::uint64_t>& other, std::size_t first, std::int64_t off) const {
        if (off < 0) return false;
        const std::size_t q = static_cast<std::size_t>(off / 64);
        const unsigned b = static_cast<unsigned>(off % 64);
        const std::size_t no = other.size() + first;
        for (std::size_t k = 0; k < words_.size() && k + q < no; ++k) {
            if (k + q + 1 < first) continue;
            std::uint64_t v = k + q >= first ? other[k + q - first] >> b : 0;
            if (b && k + q + 1 < no) v |= other[k + q + 1 - first] << (64 - b);
            if (words_[k] & v) return true;
        }
        return false;
    }

private:
    void trimTail() {
        const unsigned extra = static_cast<unsigned>(words_.size() * 64 - static_cast<std::size_t>(bits_));
        if (extra) words_.back() &= ~std::uint64_t{0} >> extra;
    }

    // dst[0 .. nd) |= src << b, src being nlim words of which the last is
    // masked with lastMask (dst and src apart). Kept free of branches in the
    // loop that does most of the work, so that it vectorizes.
    static void orShiftedWords(std::uint64_t* __restrict dst, std::size_t nd, const std::uint64_t* __restrict src,
                               std::size_t nlim, std::uint64_t lastMask, unsigned b) {
        if (nlim == 0 || nd == 0) return;
        const std::size_t nsrc = std::min(nlim, nd);
        auto word = [&](std::size_t k) { return k + 1 == nlim ? src[k] & lastMask : src[k]; };
        const std::size_t m = std::min(nsrc, nlim - 1);  // words below m are read unmasked
        if (b == 0) {
            for (std::size_t k = 0; k < m; ++k) dst[k] |= src[k];
            for (std::size_t k = m; k < nsrc; ++k) dst[k] |= word(k);
            return;
        }
        dst[0] |= word(0) << b;
        for (std::size_t k = 1; k < m; ++k) dst[k] |= (src[k] << b) | (src[k - 1] >> (64 - b));
        for (std::size_t k = std::max<std::size_t>(m, 1); k < nsrc; ++k)
            dst[k] |= (word(k) << b) | (word(k - 1) >> (64 - b));
        if (nsrc < nd) dst[nsrc] |= word(nsrc - 1) >> (64 - b);
    }

    static std::vector<std::uint64_t>& scratch() {
        thread_local std::vector<std::uint64_t> words;
        return words;
    }

    std::int64_t bits_ = 1;
    std::vector<std::uint64_t> words_;
};

// Adds `count` tracks of one length as O(log count) items.
inline void addCopies(SumBits& bits, std::int64_t len, std::int64_t count) {
    if (len <= 0) return;
    for (std::int64_t part = 1; count > 0; part *= 2) {
        const std::int64_t take = std::min(part, count);
        bits.add(len * take);
        count -= take;
    }
}

// Adds a multiset of lengths (sorted in place).
inline void addAll(SumBits& bits, std::vector<std::int64_t>& lengths) {
    std::sort(lengths.begin(), lengths.end());
    for (std::size_t i = 0; i < lengths.size();) {
        std::size_t j = i;
        while (j < lengths.size() && lengths[j] == lengths[i]) ++j;
        addCopies(bits, lengths[i], static_cast<std::int64_t>(j - i));
        i = j;
    }
}

inline std::vector<std::int64_t> distinctLengths(const std::vector<std::int64_t>& t) {
    std::vector<std::int64_t> v(t);
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

// The number of `lengths` (distinct, ascending) below len: len's slot when it is one of them.
inline std::size_t slotOf(const std::vector<std::int64_t>& lengths, std::int64_t len) {
    return static_cast<std::size_t>(std::lower_bound(lengths.begin(), lengths.end(), len) - lengths.begin());
}

}  // namespace ztp::split
