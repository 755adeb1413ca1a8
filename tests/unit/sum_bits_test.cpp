#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sum_bits.h"

using ztp::split::SumBits;

namespace {

using Model = std::vector<bool>;

SumBits fromModel(const Model& m, ztp::split::words::Width width) {
    SumBits b;
    b.reset(static_cast<std::int64_t>(m.size()), width);
    b.clear();
    for (std::size_t i = 0; i < m.size(); ++i)
        if (m[i]) b.set(static_cast<std::int64_t>(i));
    return b;
}

std::string diff(const SumBits& b, const Model& m) {
    std::string out;
    for (std::size_t i = 0; i < m.size() + 70; ++i) {
        const bool want = i < m.size() && m[i];
        if (b.test(static_cast<std::int64_t>(i)) != want) out += " " + std::to_string(i);
    }
    return out;
}

Model randomModel(std::mt19937& rng, std::size_t bits) {
    Model m(bits);
    const int density = static_cast<int>(rng() % 4);  // sparse to full
    for (std::size_t i = 0; i < bits; ++i) m[i] = static_cast<int>(rng() % 4) < density;
    return m;
}

}  // namespace

// The word loops against a bit-by-bit model, over sizes around word
// boundaries and shifts of whole words, of parts and past the end; with the
// wide loops and with the narrow ones.
class SumBitsLoops : public ::testing::TestWithParam<bool> {
protected:
    // The wide loops where the processor runs them, else the narrow ones twice.
    ztp::split::words::Width width() const {
        return GetParam() ? ztp::split::words::fastest() : ztp::split::words::Width::Narrow;
    }
};

INSTANTIATE_TEST_SUITE_P(WideAndNarrow, SumBitsLoops, ::testing::Bool());

TEST_P(SumBitsLoops, ShiftsMatchABitModel) {
    std::mt19937 rng(5);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t bits = 1 + rng() % (round % 2 ? 330 : 1100);
        const Model m = randomModel(rng, bits);
        const std::int64_t len =
            static_cast<std::int64_t>(rng() % 3 == 0 ? 64 * (rng() % 5) : rng() % (bits + 70));
        const std::string where = "bits=" + std::to_string(bits) + " len=" + std::to_string(len);

        // add: sums |= sums << len
        SumBits a = fromModel(m, width());
        a.add(len);
        Model ma = m;
        if (len > 0 && len < static_cast<std::int64_t>(bits))
            for (std::size_t i = static_cast<std::size_t>(len); i < bits; ++i)
                ma[i] = m[i] || m[i - static_cast<std::size_t>(len)];
        EXPECT_EQ(diff(a, ma), "") << "add " << where;

        // addBelow, on the array add left: sums |= (sums << len2) below limit2
        const std::int64_t len2 = static_cast<std::int64_t>(rng() % (bits + 70));
        const std::int64_t limit2 = static_cast<std::int64_t>(rng() % (bits + 70));
        a.addBelow(len2, limit2);
        Model mb = ma;
        if (len2 > 0 && len2 < static_cast<std::int64_t>(bits))
            for (std::size_t i = static_cast<std::size_t>(len2);
                 i < bits && static_cast<std::int64_t>(i) < limit2; ++i)
                mb[i] = ma[i] || ma[i - static_cast<std::size_t>(len2)];
        EXPECT_EQ(diff(a, mb), "")
            << "addBelow " << where << " len2=" << len2 << " limit2=" << limit2;

        // orShifted: sums |= (other's sums below limit) << len
        const std::size_t otherBits = 1 + rng() % (round % 2 ? 330 : 1100);
        const Model o = randomModel(rng, otherBits);
        const std::int64_t limit = static_cast<std::int64_t>(rng() % (otherBits + 70));
        SumBits s = fromModel(m, width());
        s.orShifted(fromModel(o, width()), limit, len);
        Model ms = m;
        if (len >= 0 && len < static_cast<std::int64_t>(bits))
            for (std::size_t j = 0; j < otherBits && static_cast<std::int64_t>(j) < limit; ++j)
                if (o[j] && j + static_cast<std::size_t>(len) < bits)
                    ms[j + static_cast<std::size_t>(len)] = true;
        EXPECT_EQ(diff(s, ms), "")
            << "orShifted " << where << " otherBits=" << otherBits << " limit=" << limit;

        // keepBelowAdd: sums := (sums below limit) | sums << len
        SumBits k = fromModel(m, width());
        k.keepBelowAdd(limit, len);
        Model mk(bits);
        for (std::size_t i = 0; i < bits; ++i) {
            mk[i] = m[i] && (len == 0 || static_cast<std::int64_t>(i) < limit);
            if (len >= 0 && static_cast<std::size_t>(len) <= i)
                mk[i] = mk[i] || m[i - static_cast<std::size_t>(len)];
        }
        EXPECT_EQ(diff(k, mk), "") << "keepBelowAdd " << where << " limit=" << limit;

        // addDown: sums |= sums >> len on the words from `first` on
        const std::size_t words = (bits + 63) / 64;
        const std::size_t first = rng() % (words + 1);
        SumBits d = fromModel(m, width());
        d.addDown(len, first);
        Model md = m;
        if (len > 0 && len < static_cast<std::int64_t>(bits))
            for (std::size_t i = 64 * first; i < bits; ++i)
                if (i + static_cast<std::size_t>(len) < bits)
                    md[i] = m[i] || m[i + static_cast<std::size_t>(len)];
        EXPECT_EQ(diff(d, md), "") << "addDown " << where << " first=" << first;

        // meetsShifted: some k set here with k + off set in `o`, whose words
        // below `from` are left out (read as empty); a few bits each, so
        // that a meeting can lie anywhere
        Model m2(bits), o2(otherBits);
        for (int i = 0; i < 3; ++i) {
            m2[rng() % bits] = true;
            o2[rng() % otherBits] = true;
        }
        const std::size_t from = rng() % ((otherBits + 63) / 64 + 1);
        const std::int64_t off =
            static_cast<std::int64_t>(rng() % 3 == 0 ? 64 * (rng() % 4) : rng() % (otherBits + 10));
        if (const std::size_t k = rng() % bits;
            round % 2 == 0 && k + static_cast<std::size_t>(off) < otherBits) {
            m2[k] = true;  // a meeting at k, unless `from` leaves it out
            o2[k + static_cast<std::size_t>(off)] = true;
        }
        std::vector<std::uint64_t> kept;
        fromModel(o2, width()).copyWords(static_cast<std::int64_t>(from), kept);
        bool want = false;
        for (std::size_t k = 0; k < bits && !want; ++k) {
            const std::size_t j = k + static_cast<std::size_t>(off);
            want = m2[k] && j < otherBits && j >= 64 * from && o2[j];
        }
        EXPECT_EQ(fromModel(m2, width()).meetsShifted(kept, from, off), want)
            << "meetsShifted " << where << " otherBits=" << otherBits << " from=" << from
            << " off=" << off;
    }
}

// Subset sums kept reversed (bit i: sum top - i), each length added over the
// words from `first` (which only rises) to the end of the sums that leave
// out at most `slack` of those added, skipping the words already full:
// those sums are all right, while the lengths are multiples of 12 (or 36),
// then of 2 (or 6), then any (or of 3): the full words change with them, and
// the run is dropped.
TEST_P(SumBitsLoops, ReversedSumsSkipFullWordsRightly) {
    std::mt19937 rng(8);
    int widened = 0;
    for (int round = 0; round < 300; ++round) {
        const std::int64_t bits =
            64 * static_cast<std::int64_t>(2 + rng() % 40) - static_cast<std::int64_t>(rng() % 64);
        const std::int64_t top = bits - 1;
        const std::int64_t slack =
            static_cast<std::int64_t>(rng() % static_cast<std::uint32_t>(bits + 1));
        SumBits d;
        d.reset(bits, width());
        d.clear();
        d.set(top);
        std::vector<bool> sums(static_cast<std::size_t>(bits), false);  // by sum
        sums[0] = true;
        SumBits::Ones ones(top);
        std::int64_t added = 0;
        const std::size_t words = static_cast<std::size_t>((bits + 63) / 64);
        std::size_t first = 0;
        for (int step = 0; step < 60 && added < bits; ++step) {
            const std::int64_t unit = (step < 20 ? 12 : step < 40 ? 2 : 1) * (round % 2 ? 1 : 3);
            const std::int64_t len =
                unit * static_cast<std::int64_t>(1 + rng() % (round % 3 == 0 ? 200 : 12));
            added += len;
            const std::int64_t lowest = top - added + slack;  // bit of the smallest sum kept
            const std::size_t last = std::min<std::size_t>(
                words, static_cast<std::size_t>(std::max<std::int64_t>(0, lowest) / 64 + 1));
            if (rng() % 4 == 0) first = std::min(last, first + rng() % 3);
            const std::size_t before = ones.hi - ones.lo;
            d.addDown(len, first, last, ones, static_cast<std::size_t>(rng() % words));
            widened += ones.hi - ones.lo > before;
            for (std::int64_t s = bits - 1; s >= len; --s)
                sums[static_cast<std::size_t>(s)] =
                    sums[static_cast<std::size_t>(s)] || sums[static_cast<std::size_t>(s - len)];
            std::string wrong;
            for (std::int64_t i = 64 * static_cast<std::int64_t>(first); i <= std::min(top, lowest);
                 ++i)
                if (d.test(i) != sums[static_cast<std::size_t>(top - i)])
                    wrong += " " + std::to_string(i);
            ASSERT_EQ(wrong, "") << "bits=" << bits << " slack=" << slack << " step " << step
                                 << " len=" << len << " words [" << first << ", " << last << ")";
        }
    }
    EXPECT_GT(widened, 100);
}
