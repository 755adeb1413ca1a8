// hunt_split: searches for inputs on which the fast split engine is slow.
//
// Usage: hunt_split [--seconds S] [--seed N] [--out DIR] [--top K] [--limit S]
//
// Draws inputs within the program's limits (at most 2048 tracks on at most 30
// discs of at most 255 tracks and 255:59 each) from families that have been
// hard for the engine: few lengths, near-duplicate lengths (b, b + 1, 2b, 3b,
// 3b + 1 and a long one), long lists of album tracks, ascending runs, lists
// with a tape near their total, in all three modes with short and long
// tapes. For the second half of the time it mutates the slowest inputs found
// and keeps a mutant that is slower than the input it came from. Times are
// the CPU time of the search (the machine may be shared), the fastest of
// three runs for a search that would be kept. A search longer
// than --limit seconds (default 20) is cancelled and counted at the limit.
//
// Prints the slowest inputs with their times and writes each as a disc file
// DIR/hunt-SEED-RANK.disc (default DIR: .) whose first line is the ztp-plan
// command that plans it.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench_util.h"
#include "split_search.h"

namespace {

using Times = std::vector<std::int32_t>;
using Rng = std::mt19937_64;

constexpr int kMaxTracks = 2048;
constexpr int kMaxDiscs = 30;
constexpr int kDiscTracks = 255;
constexpr std::int64_t kDiscSeconds = 255 * 60 + 59;
constexpr double kSteadyAbove = 0.05;  // seconds: faster searches are timed once

enum class Mode { Equal, A, B };

struct Input {
    Times times;
    Mode mode = Mode::Equal;
    int tape = 0;  // minutes, modes A and B
    std::string family;
};

struct Found {
    Input input;
    double seconds = 0;
    bool capped = false;
    std::int64_t diff = 0;
};

using ztp::bench::total;

std::int64_t target(const Input& in) {
    return in.mode == Mode::Equal ? total(in.times) / 2 : static_cast<std::int64_t>(in.tape) * 30;
}

// Splits the tracks into discs within the limits; false if they need more
// than 30 discs.
bool discsOf(const Times& t, std::vector<Times>& discs) {
    discs.clear();
    std::int64_t sum = 0;
    for (auto x : t) {
        if (x > kDiscSeconds) return false;
        if (discs.empty() || discs.back().size() >= kDiscTracks || sum + x > kDiscSeconds) {
            discs.emplace_back();
            sum = 0;
        }
        discs.back().push_back(x);
        sum += x;
    }
    return discs.size() <= kMaxDiscs;
}

// Cuts the list until it fits on 30 discs.
void fit(Times& t) {
    if (t.size() > kMaxTracks) t.resize(kMaxTracks);
    for (auto& x : t) x = std::clamp<std::int32_t>(x, 0, static_cast<std::int32_t>(kDiscSeconds));
    std::vector<Times> discs;
    while (!t.empty() && !discsOf(t, discs)) t.resize(t.size() * 15 / 16);
}

std::int64_t pick(Rng& rng, std::int64_t lo, std::int64_t hi) {
    return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
}

void chooseMode(Rng& rng, Input& in) {
    const std::int64_t sum = total(in.times);
    switch (pick(rng, 0, 5)) {
        case 0: in.mode = Mode::Equal; return;
        case 1: in.tape = static_cast<int>(pick(rng, 10, 60)); break;            // short tapes
        case 2: in.tape = static_cast<int>(pick(rng, 60, 200)); break;           // long tapes
        case 3: in.tape = static_cast<int>(sum / 30 + pick(rng, -3, 1)); break;  // near the total
        case 4:
            in.tape = static_cast<int>(sum / 60 + pick(rng, -2, 2));
            break;  // near half the total
        default:
            in.tape = static_cast<int>(pick(rng, 1, std::min<std::int64_t>(9999, sum / 30 + 2)));
            break;
    }
    in.tape = std::clamp(in.tape, 1, 9999);
    in.mode = pick(rng, 0, 1) ? Mode::A : Mode::B;
}

Input randomInput(Rng& rng) {
    Input in;
    const int family = static_cast<int>(pick(rng, 0, 6));
    const int n =
        static_cast<int>(pick(rng, 0, 3) == 0 ? pick(rng, 1, 300) : pick(rng, 300, kMaxTracks));
    std::vector<std::int32_t> alphabet;
    // m tracks drawn from the alphabet.
    auto drawn = [&](int m) {
        for (int i = 0; i < m; ++i)
            in.times.push_back(alphabet[static_cast<std::size_t>(
                pick(rng, 0, static_cast<std::int64_t>(alphabet.size()) - 1))]);
    };
    switch (family) {
        case 0: {  // a few lengths
            in.family = "few";
            const int d = static_cast<int>(pick(rng, 1, 6));
            const int hi = static_cast<int>(pick(rng, 0, 2) == 0 ? 5000 : 900);
            for (int k = 0; k < d; ++k)
                alphabet.push_back(static_cast<std::int32_t>(pick(rng, 1, hi)));
            drawn(n);
            break;
        }
        case 1: {  // near-duplicate lengths
            in.family = "near";
            const std::int32_t b = static_cast<std::int32_t>(pick(rng, 15, 300));
            const std::int32_t all[] = {
                b,     b + 1,     2 * b,
                3 * b, 3 * b + 1, static_cast<std::int32_t>(pick(rng, 4 * b, 12 * b))};
            for (auto x : all)
                if (pick(rng, 0, 5) != 0) alphabet.push_back(x);
            if (alphabet.empty()) alphabet.push_back(b);
            drawn(n);
            break;
        }
        case 2: {  // 2 to 6 lengths between 30 and 222 s
            in.family = "short";
            const int d = static_cast<int>(pick(rng, 2, 6));
            for (int k = 0; k < d; ++k)
                alphabet.push_back(static_cast<std::int32_t>(pick(rng, 30, 222)));
            drawn(n);
            break;
        }
        case 3: {  // album tracks
            in.family = "album";
            const int lo = static_cast<int>(pick(rng, 1, 200));
            const int hi = lo + static_cast<int>(pick(rng, 1, 600));
            for (int i = 0; i < n; ++i)
                in.times.push_back(static_cast<std::int32_t>(pick(rng, lo, hi)));
            break;
        }
        case 4: {  // ascending runs with a long track and a short repeated one
            in.family = "ascending";
            const int m = static_cast<int>(pick(rng, 5, 60));
            const std::int32_t rep = static_cast<std::int32_t>(pick(rng, 1, 5));
            const std::int32_t step = static_cast<std::int32_t>(pick(rng, 1, 20));
            for (int i = 0; i < n; ++i) {
                if (pick(rng, 0, 3) == 0) in.times.push_back(rep);
                else in.times.push_back(static_cast<std::int32_t>((i % m + 1) * step));
            }
            in.times.insert(
                in.times.begin() + static_cast<std::ptrdiff_t>(
                                       pick(rng, 0, static_cast<std::int64_t>(in.times.size()))),
                static_cast<std::int32_t>(pick(rng, 300, 3000)));
            break;
        }
        case 5: {  // an album-sized list of few lengths
            in.family = "album-few";
            const int d = static_cast<int>(pick(rng, 2, 8));
            for (int k = 0; k < d; ++k)
                alphabet.push_back(static_cast<std::int32_t>(pick(rng, 60, 600)));
            drawn(static_cast<int>(pick(rng, 10, 40)));
            break;
        }
        default: {
            in.family = "album40";
            const int m = static_cast<int>(pick(rng, 10, 40));
            for (int i = 0; i < m; ++i)
                in.times.push_back(static_cast<std::int32_t>(pick(rng, 30, 720)));
            break;
        }
    }
    fit(in.times);
    chooseMode(rng, in);
    return in;
}

Input mutate(Rng& rng, const Input& from) {
    Input in = from;
    Times& t = in.times;
    const int kinds = static_cast<int>(pick(rng, 1, 3));
    for (int k = 0; k < kinds && !t.empty(); ++k) {
        const std::size_t i =
            static_cast<std::size_t>(pick(rng, 0, static_cast<std::int64_t>(t.size()) - 1));
        const std::size_t j =
            static_cast<std::size_t>(pick(rng, 0, static_cast<std::int64_t>(t.size()) - 1));
        switch (pick(rng, 0, 8)) {
            case 0: t[i] = t[j]; break;  // copy a length
            case 1:
                t[i] = std::max(0, t[i] + static_cast<std::int32_t>(pick(rng, -2, 2)));
                break;                             // nudge
            case 2: std::swap(t[i], t[j]); break;  // swap two
            case 3:
                if (t.size() > 1) t.erase(t.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            case 4: t.insert(t.begin() + static_cast<std::ptrdiff_t>(i), t[j]); break;
            case 5:
                in.tape = std::clamp(in.tape + static_cast<int>(pick(rng, -5, 5)), 1, 9999);
                break;
            case 6: {  // reverse a stretch
                const std::size_t a = std::min(i, j), b = std::max(i, j);
                std::reverse(t.begin() + static_cast<std::ptrdiff_t>(a),
                             t.begin() + static_cast<std::ptrdiff_t>(b));
                break;
            }
            case 7:
                std::sort(t.begin() + static_cast<std::ptrdiff_t>(std::min(i, j)),
                          t.begin() + static_cast<std::ptrdiff_t>(std::max(i, j)));
                break;
            default: chooseMode(rng, in); break;
        }
    }
    fit(t);
    if (t.empty()) t.push_back(1);
    return in;
}

double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// CPU seconds of one search; cancelled after `limit` seconds of wall time.
Found timeSearch(const Input& in, double limit) {
    Found f;
    f.input = in;
    {
        ztp::bench::CancelAfter watchdog{std::chrono::duration<double>(limit)};
        ztp::SearchControl control;
        control.cancel = watchdog.flag();
        const double start = cpuNow();
        const ztp::SearchResult r = ztp::fastSearch(in.times, target(in), control);
        if (r.finished()) f.diff = r.bestDiff;
        else f.capped = true;
        f.seconds = cpuNow() - start;
    }
    if (f.capped) f.seconds = std::max(f.seconds, limit);
    return f;
}

// The machine may be shared: a search that would be kept (slower than
// `above`) is timed twice more and counted at its fastest, so that runs
// slowed by other work do not crowd out inputs that are slow every time.
Found timeSteady(const Input& in, double limit, double above) {
    Found f = timeSearch(in, limit);
    for (int again = 0; again < 2 && f.seconds > above && !f.capped; ++again)
        f.seconds = std::min(f.seconds, timeSearch(in, limit).seconds);
    return f;
}

std::string mss(std::int32_t s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d", s / 60, s % 60);
    return buf;
}

const char* modeName(Mode m) { return m == Mode::Equal ? "equal" : m == Mode::A ? "a" : "b"; }

std::string command(const Input& in, const std::string& file) {
    std::string c = "ztp-plan --mode ";
    c += modeName(in.mode);
    if (in.mode != Mode::Equal) c += " --tape " + std::to_string(in.tape);
    return c + " " + file;
}

std::string describe(const Found& f) {
    std::vector<std::int32_t> d(f.input.times);
    std::sort(d.begin(), d.end());
    d.erase(std::unique(d.begin(), d.end()), d.end());
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "%8.3f s%s  %-9s n=%4zu distinct=%4zu mode=%-5s T=%lld diff=%lld", f.seconds,
                  f.capped ? "+" : " ", f.input.family.c_str(), f.input.times.size(), d.size(),
                  modeName(f.input.mode), static_cast<long long>(target(f.input)),
                  static_cast<long long>(f.diff));
    std::string s = buf;
    if (d.size() <= 8) {
        s += " lengths={";
        for (std::size_t k = 0; k < d.size(); ++k) s += (k ? "," : "") + std::to_string(d[k]);
        s += "}";
    }
    return s;
}

bool writeDiscFile(const Found& f, const std::string& path, const std::string& name) {
    std::vector<Times> discs;
    if (!discsOf(f.input.times, discs)) return false;
    std::ofstream out(path, std::ios::binary);
    out << "# " << command(f.input, name) << "\n# hunt_split: " << describe(f) << "\n";
    int k = 0;
    for (const Times& disc : discs) {
        out << "disc hunt " << ++k << "\n";
        for (std::size_t i = 0; i < disc.size(); ++i)
            out << (i % 16 ? " " : (i ? "\n" : "")) << mss(disc[i]);
        out << "\n";
    }
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 60, limit = 20;
    std::uint64_t seed = 1;
    std::string dir = ".";
    std::size_t top = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--seconds") seconds = std::atof(argv[i + 1]);
        else if (a == "--seed") seed = std::strtoull(argv[i + 1], nullptr, 10);
        else if (a == "--out") dir = argv[i + 1];
        else if (a == "--top") top = static_cast<std::size_t>(std::atoi(argv[i + 1]));
        else if (a == "--limit") limit = std::atof(argv[i + 1]);
        else {
            std::fprintf(
                stderr,
                "usage: hunt_split [--seconds S] [--seed N] [--out DIR] [--top K] [--limit S]\n");
            return 2;
        }
    }
    Rng rng(seed);
    std::vector<Found> best;  // slowest first
    auto keep = [&](const Found& f) {
        best.push_back(f);
        std::sort(best.begin(), best.end(),
                  [](const Found& a, const Found& b) { return a.seconds > b.seconds; });
        if (best.size() > top) best.resize(top);
    };
    const double start = cpuNow();
    long long tries = 0, mutants = 0, kept = 0;
    double worst = 0;
    while (cpuNow() - start < seconds) {
        const bool mutating = cpuNow() - start > seconds / 2 && !best.empty();
        Found f;
        if (mutating) {
            // Mutate one of the slowest, favouring the slowest.
            const std::size_t k = static_cast<std::size_t>(
                pick(rng, 0, static_cast<std::int64_t>(best.size()) - 1) * pick(rng, 0, 1));
            const Found parent = best[k];
            f = timeSteady(mutate(rng, parent.input), limit, parent.seconds);
            ++mutants;
            if (f.seconds > parent.seconds) {
                ++kept;
                keep(f);
            }
        } else {
            f = timeSteady(randomInput(rng), limit,
                           best.size() < top ? kSteadyAbove : best.back().seconds);
            keep(f);
        }
        ++tries;
        if (f.seconds > worst) {
            worst = f.seconds;
            std::printf("new slowest after %lld tries: %s\n", tries, describe(f).c_str());
            std::fflush(stdout);
        }
    }
    std::printf(
        "seed %llu: %lld inputs (%lld mutants, %lld kept) in %.0f s of CPU time; slowest:\n",
        static_cast<unsigned long long>(seed), tries, mutants, kept, cpuNow() - start);
    for (std::size_t k = 0; k < best.size(); ++k) {
        const std::string name =
            "hunt-" + std::to_string(seed) + "-" + std::to_string(k + 1) + ".disc";
        const std::string path = dir + "/" + name;
        const bool written = writeDiscFile(best[k], path, name);
        std::printf("%2zu. %s\n    %s%s\n", k + 1, describe(best[k]).c_str(),
                    command(best[k].input, path).c_str(), written ? "" : " (not written)");
    }
    return 0;
}
