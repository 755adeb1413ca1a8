// The word loops of SumBits. Each is written once over a vector type and
// built twice: with 4-word vectors for processors with AVX2, chosen at run
// time (not on Windows), and with 2-word ones for any x86 (or plain words
// elsewhere).
#include "sum_bits.h"

#include <cstring>

namespace ztp::split::words {
namespace {

// Not on Windows: GCC there may spill 32-byte vectors to a stack that is
// only 16-byte aligned.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#define ZTP_WIDE_WORDS 1
typedef std::uint64_t Quad __attribute__((vector_size(32), aligned(8)));
#else
#define ZTP_WIDE_WORDS 0
#endif
#if defined(__GNUC__)
#define ZTP_INLINE __attribute__((always_inline)) inline
#else
#define ZTP_INLINE inline
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ZTP_PAIRS 1
typedef std::uint64_t Pair __attribute__((vector_size(16), aligned(8)));
#else
#define ZTP_PAIRS 0
#endif

ZTP_INLINE bool anyLane(std::uint64_t v) { return v != 0; }
template <typename V>
ZTP_INLINE bool anyLane(V v) {
    for (std::size_t i = 0; i < sizeof v / 8; ++i)
        if (v[i]) return true;
    return false;
}

// V: a vector of W words (or one word). Unaligned loads and stores by memcpy.
// Whatever takes or returns a V is inlined: in the AVX2 functions a V lives
// in registers that functions built for any x86-64 do not pass it in.
template <typename V, std::size_t W>
struct Lanes {
    static ZTP_INLINE V load(const std::uint64_t* p) {
        V v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    static ZTP_INLINE void store(std::uint64_t* p, V v) { std::memcpy(p, &v, sizeof v); }
    // p[i] << b | p[i - 1] >> (64 - b) for the W words from p (p[-1] is read when b is not 0).
    static ZTP_INLINE V shiftedUp(const std::uint64_t* p, unsigned b) {
        return b == 0 ? load(p) : (load(p) << b) | (load(p - 1) >> (64 - b));
    }
};

// w[first + k] |= w[first + q + k] >> b | w[first + q + k + 1] << (64 - b),
// from the bottom up.
template <typename V, std::size_t W>
ZTP_INLINE void addDownBody(std::uint64_t* w, std::size_t n, std::size_t first, std::size_t q,
                            unsigned b) {
    using L = Lanes<V, W>;
    const std::size_t m = n - first - q;  // words written
    const std::uint64_t* src = w + first + q;
    std::uint64_t* dst = w + first;
    std::size_t k = 0;
    if (b == 0) {
        for (; k + W <= m; k += W) L::store(dst + k, L::load(dst + k) | L::load(src + k));
        for (; k < m; ++k) dst[k] |= src[k];
        return;
    }
    const unsigned c = 64 - b;
    for (; k + W + 1 <= m; k += W)
        L::store(dst + k, L::load(dst + k) | (L::load(src + k) >> b) | (L::load(src + k + 1) << c));
    for (; k + 1 < m; ++k) dst[k] |= (src[k] >> b) | (src[k + 1] << c);
    dst[m - 1] |= src[m - 1] >> b;
}

// w[j] := keep(w[j]) | w[j - q] << b | w[j - q - 1] >> (64 - b) for lo <= j,
// from the top down (so that every word is read before it is written),
// where keep leaves the words below kw, masks word kw with kmask and clears
// the rest.
template <typename V, std::size_t W>
ZTP_INLINE void keepAddBody(std::uint64_t* w, std::size_t n, std::size_t q, unsigned b,
                            std::size_t kw, std::uint64_t kmask, std::size_t lo) {
    using L = Lanes<V, W>;
    const unsigned c = 64 - b;
    auto shifted = [&](std::size_t j) -> std::uint64_t {
        if (j < q) return 0;
        if (b == 0) return w[j - q];
        return (w[j - q] << b) | (j > q ? w[j - q - 1] >> c : 0);
    };
    std::size_t j = n;  // words from j on are written
    if (kw < n) {
        const std::size_t stop = std::max(kw + 1, lo);  // words from stop on are replaced
        for (; j >= W + std::max(stop, q + 1); j -= W)
            L::store(w + j - W, L::shiftedUp(w + j - W - q, b));
        for (; j > stop; --j) w[j - 1] = shifted(j - 1);
        if (kw < lo) return;
        w[kw] = (w[kw] & kmask) | shifted(kw);
        j = kw;
    }
    for (; j >= W + std::max(q + 1, lo); j -= W)
        L::store(w + j - W, L::load(w + j - W) | L::shiftedUp(w + j - W - q, b));
    for (; j > lo; --j) w[j - 1] |= shifted(j - 1);
}

// dst[k] |= src[k] << b | src[k - 1] >> (64 - b) for lo <= k < nd, src being
// nsrc words of which the last is masked (the arrays apart).
template <typename V, std::size_t W>
ZTP_INLINE void orShiftedBody(std::uint64_t* dst, std::size_t nd, const std::uint64_t* src,
                              std::size_t nlim, std::uint64_t lastMask, unsigned b,
                              std::size_t lo) {
    using L = Lanes<V, W>;
    if (nlim == 0 || nd == 0) return;
    const std::size_t nsrc = std::min(nlim, nd);
    auto word = [&](std::size_t k) { return k + 1 == nlim ? src[k] & lastMask : src[k]; };
    const std::size_t m = std::min(nsrc, nlim - 1);  // words below m are read unmasked
    std::size_t k = lo;
    if (b == 0) {
        for (; k + W <= m; k += W) L::store(dst + k, L::load(dst + k) | L::load(src + k));
        for (; k < nsrc; ++k) dst[k] |= word(k);
        return;
    }
    const unsigned c = 64 - b;
    if (k == 0) {
        dst[0] |= word(0) << b;
        k = 1;
    }
    for (; k + W <= m; k += W)
        L::store(dst + k, L::load(dst + k) | (L::load(src + k) << b) | (L::load(src + k - 1) >> c));
    for (; k < nsrc; ++k) dst[k] |= (word(k) << b) | (word(k - 1) >> c);
    if (nsrc < nd && nsrc >= lo) dst[nsrc] |= word(nsrc - 1) >> c;
}

// Any k below n with a[k] & (o[k] >> b | o[k + 1] << (64 - b)) nonzero
// (o has n + 1 words, or n when b is 0)?
template <typename V, std::size_t W>
ZTP_INLINE bool meetBody(const std::uint64_t* a, const std::uint64_t* o, std::size_t n,
                         unsigned b) {
    using L = Lanes<V, W>;
    std::size_t k = 0;
    if (b == 0) {
        while (k + W <= n) {
            V acc = L::load(a + k) & L::load(o + k);
            for (k += W; k + W <= n && (k & 63) != 0; k += W)
                acc |= L::load(a + k) & L::load(o + k);
            if (anyLane(acc)) return true;
        }
        for (; k < n; ++k)
            if (a[k] & o[k]) return true;
        return false;
    }
    const unsigned c = 64 - b;
    while (k + W <= n) {
        V acc = L::load(a + k) & ((L::load(o + k) >> b) | (L::load(o + k + 1) << c));
        for (k += W; k + W <= n && (k & 63) != 0; k += W)
            acc |= L::load(a + k) & ((L::load(o + k) >> b) | (L::load(o + k + 1) << c));
        if (anyLane(acc)) return true;
    }
    for (; k < n; ++k)
        if (a[k] & ((o[k] >> b) | (o[k + 1] << c))) return true;
    return false;
}

#if ZTP_WIDE_WORDS
__attribute__((target("avx2"))) void addDownWide(std::uint64_t* w, std::size_t n, std::size_t first,
                                                 std::size_t q, unsigned b) {
    addDownBody<Quad, 4>(w, n, first, q, b);
}
__attribute__((target("avx2"))) void keepAddWide(std::uint64_t* w, std::size_t n, std::size_t q,
                                                 unsigned b, std::size_t kw, std::uint64_t kmask,
                                                 std::size_t lo) {
    keepAddBody<Quad, 4>(w, n, q, b, kw, kmask, lo);
}
__attribute__((target("avx2"))) void orShiftedWide(std::uint64_t* dst, std::size_t nd,
                                                   const std::uint64_t* src, std::size_t nlim,
                                                   std::uint64_t lastMask, unsigned b,
                                                   std::size_t lo) {
    orShiftedBody<Quad, 4>(dst, nd, src, nlim, lastMask, b, lo);
}
__attribute__((target("avx2"))) bool meetWide(const std::uint64_t* a, const std::uint64_t* o,
                                              std::size_t n, unsigned b) {
    return meetBody<Quad, 4>(a, o, n, b);
}

#endif
#if ZTP_PAIRS
using Narrow = Pair;
constexpr std::size_t kNarrow = 2;
#else
using Narrow = std::uint64_t;
constexpr std::size_t kNarrow = 1;
#endif

}  // namespace

Width fastest() {
#if ZTP_WIDE_WORDS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return Width::Wide;
#endif
    return Width::Narrow;
}

void addDown([[maybe_unused]] Width width, std::uint64_t* w, std::size_t n, std::size_t first,
             std::size_t q, unsigned b) {
#if ZTP_WIDE_WORDS
    if (width == Width::Wide) return addDownWide(w, n, first, q, b);
#endif
    addDownBody<Narrow, kNarrow>(w, n, first, q, b);
}

void keepAdd([[maybe_unused]] Width width, std::uint64_t* w, std::size_t n, std::size_t q,
             unsigned b, std::size_t kw, std::uint64_t kmask, std::size_t lo) {
#if ZTP_WIDE_WORDS
    if (width == Width::Wide) return keepAddWide(w, n, q, b, kw, kmask, lo);
#endif
    keepAddBody<Narrow, kNarrow>(w, n, q, b, kw, kmask, lo);
}

void orShifted([[maybe_unused]] Width width, std::uint64_t* dst, std::size_t nd,
               const std::uint64_t* src, std::size_t nlim, std::uint64_t lastMask, unsigned b,
               std::size_t lo) {
#if ZTP_WIDE_WORDS
    if (width == Width::Wide) return orShiftedWide(dst, nd, src, nlim, lastMask, b, lo);
#endif
    orShiftedBody<Narrow, kNarrow>(dst, nd, src, nlim, lastMask, b, lo);
}

bool meet([[maybe_unused]] Width width, const std::uint64_t* a, const std::uint64_t* o,
          std::size_t n, unsigned b) {
#if ZTP_WIDE_WORDS
    if (width == Width::Wide) return meetWide(a, o, n, b);
#endif
    return meetBody<Narrow, kNarrow>(a, o, n, b);
}

}  // namespace ztp::split::words
