#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sum_bits.h"

using ztp::split::SumBits;

namespace {

using Model = std::vector<bool>;

SumBits fromModel(const Model& m) {
    SumBits b;
    b.reset(static_cast<std::int64_t>(m.size()));
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
    void SetUp() override { was_ = ztp::split::words::useWide(GetParam()); }
    void TearDown() override { ztp::split::words::useWide(was_); }
    bool was_ = false;
};

INSTANTIATE_TEST_SUITE_P(WideAndNarrow, SumBitsLoops, ::testing::Bool());

TEST_P(SumBitsLoops, ShiftsMatchABitModel) {
    std::mt19937 rng(5);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t bits = 1 + rng() % (round % 2 ? 330 : 1100);
        const Model m = randomModel(rng, bits);
        const std::int64_t len = static_cast<std::int64_t>(rng() % 3 == 0 ? 64 * (rng() % 5) : rng() % (bits + 70));
        const std::string where = "bits=" + std::to_string(bits) + " len=" + std::to_string(len);

        // add: sums |= sums << len
        SumBits a = fromModel(m);
        a.add(len);
        Model ma = m;
        if (len > 0 && len < static_cast<std::int64_t>(bits))
            for (std::size_t i = static_cast<std::size_t>(len); i < bits; ++i) ma[i] = m[i] || m[i - static_cast<std::size_t>(len)];
        EXPECT_EQ(diff(a, ma), "") << "add " << where;

        // addBelow, on the array add left: sums |= (sums << len2) below limit2
        const std::int64_t len2 = static_cast<std::int64_t>(rng() % (bits + 70));
        const std::int64_t limit2 = static_cast<std::int64_t>(rng() % (bits + 70));
        a.addBelow(len2, limit2);
        Model mb = ma;
        if (len2 > 0 && len2 < static_cast<std::int64_t>(bits))
            for (std::size_t i = static_cast<std::size_t>(len2); i < bits && static_cast<std::int64_t>(i) < limit2; ++i)
                mb[i] = ma[i] || ma[i - static_cast<std::size_t>(len2)];
        EXPECT_EQ(diff(a, mb), "") << "addBelow " << where << " len2=" << len2 << " limit2=" << limit2;

        // orShifted: sums |= (other's sums below limit) << len
        const std::size_t otherBits = 1 + rng() % (round % 2 ? 330 : 1100);
        const Model o = randomModel(rng, otherBits);
        const std::int64_t limit = static_cast<std::int64_t>(rng() % (otherBits + 70));
        SumBits s = fromModel(m);
        s.orShifted(fromModel(o), limit, len);
        Model ms = m;
        if (len >= 0 && len < static_cast<std::int64_t>(bits))
            for (std::size_t j = 0; j < otherBits && static_cast<std::int64_t>(j) < limit; ++j)
                if (o[j] && j + static_cast<std::size_t>(len) < bits) ms[j + static_cast<std::size_t>(len)] = true;
        EXPECT_EQ(diff(s, ms), "") << "orShifted " << where << " otherBits=" << otherBits << " limit=" << limit;

        // keepBelowAdd: sums := (sums below limit) | sums << len
        SumBits k = fromModel(m);
        k.keepBelowAdd(limit, len);
        Model mk(bits);
        for (std::size_t i = 0; i < bits; ++i) {
            mk[i] = m[i] && (len == 0 || static_cast<std::int64_t>(i) < limit);
            if (len >= 0 && static_cast<std::size_t>(len) <= i) mk[i] = mk[i] || m[i - static_cast<std::size_t>(len)];
        }
        EXPECT_EQ(diff(k, mk), "") << "keepBelowAdd " << where << " limit=" << limit;

        // addDown: sums |= sums >> len on the words from `first` on
        const std::size_t words = (bits + 63) / 64;
        const std::size_t first = rng() % (words + 1);
        SumBits d = fromModel(m);
        d.addDown(len, first);
        Model md = m;
        if (len > 0 && len < static_cast<std::int64_t>(bits))
            for (std::size_t i = 64 * first; i < bits; ++i)
                if (i + static_cast<std::size_t>(len) < bits) md[i] = m[i] || m[i + static_cast<std::size_t>(len)];
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
        const std::int64_t off = static_cast<std::int64_t>(rng() % 3 == 0 ? 64 * (rng() % 4) : rng() % (otherBits + 10));
        if (const std::size_t k = rng() % bits; round % 2 == 0 && k + static_cast<std::size_t>(off) < otherBits) {
            m2[k] = true;  // a meeting at k, unless `from` leaves it out
            o2[k + static_cast<std::size_t>(off)] = true;
        }
        std::vector<std::uint64_t> kept;
        fromModel(o2).copyWords(static_cast<std::int64_t>(from), kept);
        bool want = false;
        for (std::size_t k = 0; k < bits && !want; ++k) {
            const std::size_t j = k + static_cast<std::size_t>(off);
            want = m2[k] && j < otherBits && j >= 64 * from && o2[j];
        }
        EXPECT_EQ(fromModel(m2).meetsShifted(kept, from, off), want)
            << "meetsShifted " << where << " otherBits=" << otherBits << " from=" << from << " off=" << off;
    }
}
