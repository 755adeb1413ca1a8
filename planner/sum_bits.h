// Subset sums as bit arrays, shared by the split engine's bounds and oracle.
#pragma once
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace ztp::split {

// The word loops (sum_bits.cpp), vectorized: each comes in a narrow form
// that any processor runs and, where built, a wide one (AVX2).
namespace words {
enum class Width { Narrow, Wide };
// The widest loops this build has that the processor runs.
Width fastest();
// w[k] |= w[k + q] >> b | w[k + q + 1] << (64 - b) for first <= k, k + q < n, in place.
void addDown(Width width, std::uint64_t* w, std::size_t n, std::size_t first, std::size_t q,
             unsigned b);
// w[k] := keep(w[k]) | w[k - q] << b | w[k - q - 1] >> (64 - b) for lo <= k <
// n, in place; keep leaves the words below kw, masks word kw with kmask,
// clears the rest (kw >= n: keeps every word).
void keepAdd(Width width, std::uint64_t* w, std::size_t n, std::size_t q, unsigned b,
             std::size_t kw, std::uint64_t kmask, std::size_t lo = 0);
// dst[k] |= src[k] << b | src[k - 1] >> (64 - b) for lo <= k < nd, src being
// nlim words of which the last is masked with lastMask (dst and src apart).
void orShifted(Width width, std::uint64_t* dst, std::size_t nd, const std::uint64_t* src,
               std::size_t nlim, std::uint64_t lastMask, unsigned b, std::size_t lo = 0);
// Any k < n with a[k] & (o[k] >> b | o[k + 1] << (64 - b)) nonzero (o[n] is
// read when b is not 0)?
bool meet(Width width, const std::uint64_t* a, const std::uint64_t* o, std::size_t n, unsigned b);
}  // namespace words

// Subset sums over [0, bits) as a bit array.
//
// The words from top_ on are all 0, so that the operations skip them. A
// floor: the sums below it are of no use to the caller, who promises that
// nothing it will ask for is made from them (as when every set of interest
// leaves out at most some sum of the tracks added). The operations that
// write then leave the words below the floor as they are, whatever that
// holds; reset() and copyFrom() set it, raiseFloor() raises it.
class SumBits {
public:
    // The empty sum alone, over [0, bits), with the word loops of `width`
    // (which copies take from the array they copy).
    void reset(std::int64_t bits, words::Width width) {
        width_ = width;
        bits_ = bits < 1 ? 1 : bits;
        words_.assign(static_cast<std::size_t>((bits_ + 63) / 64), 0);
        words_[0] = 1;
        floor_ = 0;
        top_ = 1;
    }

    // The words wholly below `sum` need no longer be kept.
    void raiseFloor(std::int64_t sum) {
        if (sum <= 0) return;
        floor_ = std::max(floor_, std::min(static_cast<std::size_t>(sum / 64), words_.size()));
    }

    // This array := other (its words from other's floor on).
    void copyFrom(const SumBits& other) { copyBelow(other, other.bits_); }

    // sums |= sums << len
    void add(std::int64_t len) {
        if (len <= 0 || len >= bits_) return;
        const std::size_t q = static_cast<std::size_t>(len / 64);
        const unsigned b = static_cast<unsigned>(len % 64);
        const std::size_t n = shiftedTop(q, b);
        words::keepAdd(width_, words_.data(), n, q, b, n, 0, floor_);
        top_ = n;
        trimTail();
    }

    // sums |= (sums << len) below limit
    void addBelow(std::int64_t len, std::int64_t limit) {
        if (len <= 0 || len >= bits_ || limit <= len) return;
        if (limit >= bits_) return add(len);
        const std::size_t q = static_cast<std::size_t>(len / 64);
        const unsigned b = static_cast<unsigned>(len % 64);
        const std::size_t kw = static_cast<std::size_t>(limit / 64);
        const std::size_t n = std::min(kw + 1, shiftedTop(q, b));
        if (n <= floor_) return;
        const std::uint64_t kept = n == kw + 1 ? words_[kw] : 0;
        words::keepAdd(width_, words_.data(), n, q, b, n, 0, floor_);
        if (n == kw + 1)
            words_[kw] = kept | (words_[kw] & ((std::uint64_t{1} << (limit % 64)) - 1));
        top_ = std::max(top_, n);
    }

    // No sum at or above the floor.
    bool empty() const { return top_ <= floor_; }

    // Whether k is a sum (false outside the array).
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

    // This array := other's sums below `bits`, over [0, bits) (other's floor).
    void copyBelow(const SumBits& other, std::int64_t bits) {
        width_ = other.width_;
        bits_ = std::max<std::int64_t>(1, std::min(bits, other.bits_));
        const std::size_t n = static_cast<std::size_t>((bits_ + 63) / 64);
        floor_ = std::min(other.floor_, n);
        words_.resize(n);
        retop(std::min(other.top_, n));
        if (floor_ < top_)
            std::copy(other.words_.begin() + static_cast<std::ptrdiff_t>(floor_),
                      other.words_.begin() + static_cast<std::ptrdiff_t>(top_),
                      words_.begin() + static_cast<std::ptrdiff_t>(floor_));
        trimTail();
    }

    // No sum at all (at or above the floor).
    void clear() {
        if (floor_ < top_)
            std::fill(words_.begin() + static_cast<std::ptrdiff_t>(floor_),
                      words_.begin() + static_cast<std::ptrdiff_t>(top_), 0);
        top_ = std::min(top_, floor_);
    }

    // sums |= other
    void orWith(const SumBits& other) {
        const std::size_t n = std::min(words_.size(), other.top_);
        for (std::size_t i = floor_; i < n; ++i) words_[i] |= other.words_[i];
        top_ = std::max(top_, n);
    }

    // sums |= (other's sums below limit) << len; other is not this array.
    void orShifted(const SumBits& other, std::int64_t limit, std::int64_t len) {
        if (len < 0 || len >= bits_) return;
        limit = std::min(limit, other.bits_);
        if (limit <= 0) return;
        const std::size_t q = static_cast<std::size_t>(len / 64);
        const unsigned tail = static_cast<unsigned>(limit % 64);
        std::size_t nlim = static_cast<std::size_t>((limit + 63) / 64);
        std::uint64_t lastMask = tail ? (std::uint64_t{1} << tail) - 1 : ~std::uint64_t{0};
        if (other.top_ < nlim) {
            nlim = other.top_;
            lastMask = ~std::uint64_t{0};
        }
        if (nlim == 0) return;
        const std::size_t nd = std::min(words_.size() - q, nlim + 1);
        words::orShifted(width_, words_.data() + q, nd, other.words_.data(), nlim, lastMask,
                         static_cast<unsigned>(len % 64), floor_ > q ? floor_ - q : 0);
        top_ = std::max(top_, q + nd);
        trimTail();
    }

    // sums := (sums below limit) | sums << len, in place.
    void keepBelowAdd(std::int64_t limit, std::int64_t len) {
        if (len == 0) return;
        if (len < 0 || len >= bits_) return keepBelow(limit);
        limit = std::max<std::int64_t>(limit, 0);
        const std::size_t q = static_cast<std::size_t>(len / 64);
        const unsigned b = static_cast<unsigned>(len % 64);
        const std::size_t n = shiftedTop(q, b);
        const std::size_t kw =
            limit >= bits_ ? n : std::min(n, static_cast<std::size_t>(limit / 64));
        const std::uint64_t kmask = (std::uint64_t{1} << (limit % 64)) - 1;
        words::keepAdd(width_, words_.data(), n, q, b, kw, kmask, floor_);
        top_ = n;
        trimTail();
    }

    // Clears the sums at or above limit.
    void keepBelow(std::int64_t limit) {
        if (limit >= bits_) return;
        if (limit < 0) limit = 0;
        std::size_t w = static_cast<std::size_t>(limit / 64);
        if (w >= top_) return;
        const unsigned b = static_cast<unsigned>(limit % 64);
        if (b) words_[w++] &= (std::uint64_t{1} << b) - 1;
        for (std::size_t k = w; k < top_; ++k) words_[k] = 0;
        top_ = w;
    }

    // Makes k a sum (nothing outside the array).
    void set(std::int64_t k) {
        if (k < 0 || k >= bits_) return;
        words_[static_cast<std::size_t>(k / 64)] |= std::uint64_t{1} << (k % 64);
        top_ = std::max(top_, static_cast<std::size_t>(k / 64) + 1);
    }

    // sums |= sums >> len, on words from `first` on (for arrays kept
    // reversed: bit i standing for sum top - i, this adds a track of len
    // seconds; the words from `first` on depend only on those).
    // Only words below `last` need be right (for arrays kept reversed, the
    // sums above some floor).
    void addDown(std::int64_t len, std::size_t first, std::size_t last = SIZE_MAX) {
        if (len <= 0 || len >= bits_) return;
        const std::size_t q = static_cast<std::size_t>(len / 64);
        const unsigned b = static_cast<unsigned>(len % 64);
        const std::size_t nw = last >= top_ ? top_ : std::min(top_, last + q + 2);
        if (first + q >= nw) return;
        words::addDown(width_, words_.data(), nw, first, q, b);
    }

    // A run of words [lo, hi) of an array kept reversed (bit i: sum top - i)
    // that hold every sum they can: with g the greatest common divisor of
    // the lengths added (looked for only up to 64), every multiple of g.
    // Adding a track of a multiple of g leaves them so; one that is not
    // lowers g, and the run starts again.
    class Ones {
    public:
        explicit Ones(std::int64_t topSum) : top_(topSum) {}

        // Whether full words are looked for (g at most 64).
        bool looking() const { return mask_ != 0; }

        // Whether the run lies in the words [first, last).
        bool within(std::size_t first, std::size_t last) const {
            return lo < hi && hi > first && lo < last;
        }

        // A track of `len` seconds is added.
        void take(std::int64_t len) {
            if (g_ != 0 && len % g_ == 0) return;
            g_ = std::gcd(g_, len);
            lo = hi = 0;
            mask_ = 0;
            for (std::int64_t j = 0; g_ > 0 && g_ <= 64 && j < 64; j += g_)
                mask_ |= std::uint64_t{1} << j;
        }

        // Word k holding every multiple of g.
        std::uint64_t full(std::size_t k) const {
            const std::int64_t r = (top_ - 64 * static_cast<std::int64_t>(k)) % g_;
            return mask_ << (r < 0 ? r + g_ : r);
        }

        std::size_t lo = 0, hi = 0;

    private:
        std::int64_t top_;
        std::int64_t g_ = 0;
        std::uint64_t mask_ = 0;  // bits 0, g, 2g, ...
    };

    // addDown on an array kept reversed, for a track of `len` seconds,
    // skipping the words of `ones`, which it then widens over the words
    // between first and last that come out full; while it is empty, the run
    // is looked for at word `seed` (subset sums fill up from their middle
    // out).
    void addDown(std::int64_t len, std::size_t first, std::size_t last, Ones& ones,
                 std::size_t seed) {
        if (len <= 0 || len >= bits_) return;
        ones.take(len);
        last = std::min(last, words_.size());
        if (!ones.within(first, last)) {
            addDown(len, first, last);
        } else {
            // Below the run (writing no word above ones.lo, which is full),
            // then above it (reading words the first part left).
            const std::size_t q = static_cast<std::size_t>(len / 64);
            const std::size_t n = std::min(top_, ones.lo + q + 1);
            if (first < ones.lo && first + q < n)
                words::addDown(width_, words_.data(), n, first, q, static_cast<unsigned>(len % 64));
            if (ones.hi < last) addDown(len, ones.hi, last);
        }
        if (!ones.looking()) return;
        if (!ones.within(first, last)) {
            if (seed < first || seed >= last || words_[seed] != ones.full(seed)) return;
            ones.lo = seed;
            ones.hi = seed + 1;
        }
        while (ones.lo > first && words_[ones.lo - 1] == ones.full(ones.lo - 1)) --ones.lo;
        while (ones.hi < last && words_[ones.hi] == ones.full(ones.hi)) ++ones.hi;
    }

    // out := the words from `first` on, below `end`.
    void copyWords(std::int64_t first, std::vector<std::uint64_t>& out,
                   std::int64_t end = INT64_MAX) const {
        const std::size_t f =
            std::min(static_cast<std::size_t>(std::max<std::int64_t>(0, first)), words_.size());
        const std::size_t e = std::max(
            f, std::min(words_.size(), static_cast<std::size_t>(std::max<std::int64_t>(0, end))));
        out.assign(words_.begin() + static_cast<std::ptrdiff_t>(f),
                   words_.begin() + static_cast<std::ptrdiff_t>(e));
    }

    // Any k with bit k here and bit k + off in an array whose words from
    // `first` on are `other` (k + off below first * 64 never asked for)?
    bool meetsShifted(const std::vector<std::uint64_t>& other, std::size_t first,
                      std::int64_t off) const {
        if (off < 0) return false;
        const std::size_t q = static_cast<std::size_t>(off / 64);
        const unsigned b = static_cast<unsigned>(off % 64);
        // other's words stand for words first .. no - 1
        const std::size_t no = other.size() + first;
        auto at = [&](std::size_t j) -> std::uint64_t {
            return j >= first && j < no ? other[j - first] : 0;
        };
        auto meets = [&](std::size_t k) {
            const std::uint64_t v = b ? (at(k + q) >> b) | (at(k + q + 1) << (64 - b)) : at(k + q);
            return (words_[k] & v) != 0;
        };
        const std::size_t end = std::min(words_.size(), no > q ? no - q : 0);
        // Between the edges both words read lie in `other`.
        const std::size_t lo = std::min(end, first > q ? first - q : 0);
        const std::size_t hi = std::max(lo, std::min(end, no > q + 1 ? no - q - 1 : 0));
        for (std::size_t k = first > q + 1 ? first - q - 1 : 0; k < lo; ++k)
            if (meets(k)) return true;
        if (lo < hi &&
            words::meet(width_, words_.data() + lo, other.data() + (lo + q - first), hi - lo, b))
            return true;
        for (std::size_t k = hi; k < end; ++k)
            if (meets(k)) return true;
        return false;
    }

private:
    // Clears the bits past bits_ in the last word.
    void trimTail() {
        const unsigned extra =
            static_cast<unsigned>(words_.size() * 64 - static_cast<std::size_t>(bits_));
        if (extra) words_.back() &= ~std::uint64_t{0} >> extra;
    }

    // top_ once the sums are shifted up by q words and b bits.
    std::size_t shiftedTop(std::size_t q, unsigned b) const {
        return std::min(words_.size(), top_ + q + (b ? 1 : 0));
    }

    // The words from t on are 0: those between it and top_ are cleared.
    void retop(std::size_t t) {
        for (std::size_t k = t; k < std::min(top_, words_.size()); ++k) words_[k] = 0;
        top_ = t;
    }

    words::Width width_ = words::Width::Narrow;
    std::int64_t bits_ = 1;
    std::vector<std::uint64_t> words_;
    std::size_t floor_ = 0;  // words below it need not be kept
    std::size_t top_ = 0;    // words from here on are 0
};

// Calls each(k) for O(log count) parts k (1, 2, 4, ..., the rest) that sum
// to count: adding one item of k copies per part makes every number of
// copies up to count.
template <typename Each>
void inParts(std::int64_t count, Each each) {
    for (std::int64_t part = 1; count > 0; part *= 2) {
        const std::int64_t take = std::min(part, count);
        each(take);
        count -= take;
    }
}

// Adds `count` tracks of one length as O(log count) items.
inline void addCopies(SumBits& bits, std::int64_t len, std::int64_t count) {
    if (len > 0) inParts(count, [&](std::int64_t k) { bits.add(len * k); });
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

// The distinct lengths of `t`, ascending.
inline std::vector<std::int64_t> distinctLengths(const std::vector<std::int64_t>& t) {
    std::vector<std::int64_t> v(t);
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

// The number of `lengths` (distinct, ascending) below len: len's slot when it is one of them.
inline std::size_t slotOf(const std::vector<std::int64_t>& lengths, std::int64_t len) {
    return static_cast<std::size_t>(std::lower_bound(lengths.begin(), lengths.end(), len) -
                                    lengths.begin());
}

}  // namespace ztp::split
