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
// boundaries and shifts of whole words, of parts and past the end.
TEST(SumBits, ShiftsMatchABitModel) {
    std::mt19937 rng(5);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t bits = 1 + rng() % 330;
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

        // orShifted: sums |= (other's sums below limit) << len
        const std::size_t otherBits = 1 + rng() % 330;
        const Model o = randomModel(rng, otherBits);
        const std::int64_t limit = static_cast<std::int64_t>(rng() % (otherBits + 70));
        SumBits s = fromModel(m);
        s.orShifted(fromModel(o), limit, len);
        Model ms = m;
        if (len >= 0 && len < static_cast<std::int64_t>(bits))
            for (std::size_t j = 0; j < otherBits && static_cast<std::int64_t>(j) < limit; ++j)
                if (o[j] && j + static_cast<std::size_t>(len) < bits) ms[j + static_cast<std::size_t>(len)] = true;
        EXPECT_EQ(diff(s, ms), "") << "orShifted " << where << " otherBits=" << otherBits << " limit=" << limit;

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
    }
}
