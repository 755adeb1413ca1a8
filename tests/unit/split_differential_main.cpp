// Runs many random inputs through both search engines (the fast one as
// shipped, with every bound from the first node, and with its phases and
// budgets cut short) and reports every input
// on which the fast engine's split differs from the literal search's.
// Usage: split_differential [cases [seed [max_tracks [literal_steps]]]]
// With literal_steps, inputs on which the literal search passes that many
// steps are skipped (and counted).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "split_oracle.h"
#include "split_search.h"

namespace {

using Times = std::vector<std::int32_t>;

struct Case {
    Times times;
    std::int64_t target = 0;
};

// Families chosen to stress the level rules: zero-length tracks, repeated
// lengths, tiny alphabets, one track far longer than the others, targets at
// and around the total, T <= 0, and the three ways the target is made.
Case randomCase(std::mt19937_64& rng, int maxTracks) {
    auto pick = [&](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
    };
    Case c;
    const int n = static_cast<int>(pick(0, maxTracks));
    const int family = static_cast<int>(pick(0, 8));
    std::vector<std::int32_t> alphabet;
    const int alphabetSize = static_cast<int>(pick(1, family == 7 ? 6 : 4));
    for (int k = 0; k < alphabetSize; ++k)
        alphabet.push_back(static_cast<std::int32_t>(family == 7 ? pick(1, 1000) : pick(0, 12)));
    for (int i = 0; i < n; ++i) {
        std::int32_t len = 0;
        switch (family) {
            // any length
            case 0: len = static_cast<std::int32_t>(pick(0, 15359)); break;
            // album tracks
            case 1: len = static_cast<std::int32_t>(pick(120, 480)); break;
            case 2:  // tiny alphabet
            // few wide lengths
            case 7: len = alphabet[static_cast<std::size_t>(pick(0, alphabetSize - 1))]; break;
            // zeros
            case 3: len = static_cast<std::int32_t>(pick(0, 3) == 0 ? 0 : pick(1, 20)); break;
            // multiples
            case 4: len = static_cast<std::int32_t>(pick(0, 10) * 10); break;
            // even lengths
            case 5: len = static_cast<std::int32_t>(pick(1, 30) * 2); break;
            // short, and one long below
            case 8: len = static_cast<std::int32_t>(pick(1, 6)); break;
            default: len = static_cast<std::int32_t>(pick(0, 40)); break;
        }
        c.times.push_back(len);
    }
    if (family == 8 && n > 0)
        c.times[static_cast<std::size_t>(pick(0, n - 1))] = static_cast<std::int32_t>(pick(8, 40));
    std::int64_t total = 0;
    for (auto x : c.times) total += x;
    switch (static_cast<int>(pick(0, 5))) {
        case 0: c.target = total / 2; break;            // both sides equal
        case 1: c.target = pick(-3, 10) * 30; break;    // tape minutes x 30
        case 2: c.target = total + pick(-5, 2); break;  // around the total
        case 3: c.target = pick(-2, total + 2); break;  // anywhere
        case 4: c.target = (total / 60 + pick(-1, 1)) * 30 + (family == 5 ? 1 : 0); break;
        default: c.target = pick(-3, 3); break;
    }
    return c;
}

std::vector<int> sorted(std::vector<int> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::string show(const Case& c) {
    std::string s = "T=";
    s += std::to_string(c.target);
    s += " times={";
    for (std::size_t i = 0; i < c.times.size(); ++i) {
        if (i) s += ',';
        s += std::to_string(c.times[i]);
    }
    s += '}';
    return s;
}

std::string showSet(const std::vector<int>& v) {
    std::string s = "{";
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) s += ',';
        s += std::to_string(v[i]);
    }
    s += '}';
    return s;
}

}  // namespace

static int runCases(int argc, char** argv) {
    const long long cases = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    const int maxTracks = argc > 3 ? std::atoi(argv[3]) : 9;
    ztp::SearchControl literalBudget;
    literalBudget.stepLimit = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 0;
    long long skipped = 0;
    std::mt19937_64 rng(seed);
    long long mismatches = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long long k = 0; k < cases; ++k) {
        const Case c = randomCase(rng, maxTracks);
        const ztp::SearchResult lit = ztp::literalSearch(c.times, c.target, literalBudget);
        if (!lit.finished()) {
            ++skipped;
            continue;
        }
        const ztp::SearchResult fast = ztp::fastSearch(c.times, c.target);
        const ztp::SearchResult fastEager =
            ztp::fastSearch(c.times, c.target, {}, {ztp::kEagerBoundsTuning});
        const ztp::SearchResult fastShort =
            ztp::fastSearch(c.times, c.target, {}, {ztp::kShortBudgetTuning});
        const bool same =
            sorted(lit.best) == sorted(fast.best) && lit.bestDiff == fast.bestDiff &&
            lit.exactHit == fast.exactHit && sorted(fastEager.best) == sorted(fast.best) &&
            fastEager.bestDiff == fast.bestDiff && fastEager.exactHit == fast.exactHit &&
            sorted(fastShort.best) == sorted(fast.best) && fastShort.bestDiff == fast.bestDiff &&
            fastShort.exactHit == fast.exactHit;
        // The oracle alone: the smallest value of the whole walk is the
        // literal search's final distance.
        if (c.target > 0 && !c.times.empty()) {
            std::int64_t spent = 0;
            const std::vector<std::int64_t> lengths(c.times.begin(), c.times.end());
            ztp::split::OracleScratch scratch(ztp::split::words::fastest());
            const ztp::split::OracleAnswer a = ztp::split::exactValue(
                lengths, c.target, {ztp::kInitialBestDiff, INT64_MAX, INT64_MAX}, spent, scratch);
            if (!a.exact || a.value != lit.bestDiff) {
                ++mismatches;
                if (mismatches <= 20)
                    std::printf("ORACLE case %lld: %s literal diff=%lld oracle=%lld exact=%d\n", k,
                                show(c).c_str(), static_cast<long long>(lit.bestDiff),
                                static_cast<long long>(a.value), a.exact);
            }
        }
        if (!same) {
            ++mismatches;
            if (mismatches <= 20)
                std::printf(
                    "MISMATCH case %lld: %s literal=%s diff=%lld hit=%d fast=%s diff=%lld hit=%d "
                    "eager=%s diff=%lld "
                    "short=%s diff=%lld\n",
                    k, show(c).c_str(), showSet(sorted(lit.best)).c_str(),
                    static_cast<long long>(lit.bestDiff), lit.exactHit,
                    showSet(sorted(fast.best)).c_str(), static_cast<long long>(fast.bestDiff),
                    fast.exactHit, showSet(sorted(fastEager.best)).c_str(),
                    static_cast<long long>(fastEager.bestDiff),
                    showSet(sorted(fastShort.best)).c_str(),
                    static_cast<long long>(fastShort.bestDiff));
        }
    }
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%lld cases, seed %llu, up to %d tracks: %lld mismatches, %lld skipped (%.1f s)\n",
                cases, seed, maxTracks, mismatches, skipped, secs);
    return mismatches == 0 ? 0 : 1;
}

int main(int argc, char** argv) { return runCases(argc, argv); }

#ifdef _WIN32
// The Windows build enters at wmain; the arguments are plain numbers.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.emplace_back(argv[i], argv[i] + std::char_traits<wchar_t>::length(argv[i]));
    std::vector<char*> ptrs;
    for (auto& a : args) ptrs.push_back(a.data());
    return runCases(argc, ptrs.data());
}
#endif
