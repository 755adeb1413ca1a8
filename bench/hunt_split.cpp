// hunt_split: searches for inputs on which the fast split engine is slow.
//
// Usage: hunt_split [--seconds S] [--seed N] [--out DIR] [--top K] [--limit S]
//                   [--plans]
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
//
// With --plans it hunts the plans for real tapes instead, timed whole as
// ztp-plan makes them: the fit (with pins, or in play order), the three
// modes with pins, gaps, leader or in play order, and sets of tapes (the
// fewest, at most N, in play order), on the same families.
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
#include "tape_plan.h"

namespace {

using Times = std::vector<std::int32_t>;
using Rng = std::mt19937_64;

constexpr int kMaxTracks = 2048;
constexpr int kMaxDiscs = 30;
constexpr int kDiscTracks = 255;
constexpr std::int64_t kDiscSeconds = 255 * 60 + 59;
constexpr double kSteadyAbove = 0.05;  // seconds: faster searches are timed once

bool plansMode = false;  // --plans: the inputs are plans for real tapes

enum class Mode { Equal, A, B, Fit, Tapes };
using ztp::tape::Pin;

struct Input {
    Times times;
    Mode mode = Mode::Equal;
    int tape = 0;  // minutes, modes A and B, the fit and sets of tapes
    std::string family;
    // The plans for real tapes (--plans).
    int gap = 0, leader = 0;
    bool keepOrder = false;
    int tapes = 0;          // Mode::Tapes: at most so many (0: the fewest)
    std::vector<Pin> pins;  // by track; empty: none
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

void choosePlan(Rng& rng, Input& in);

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

// A plan for real tapes over the input's tracks and tape.
void choosePlan(Rng& rng, Input& in) {
    const std::int64_t sum = total(in.times);
    if (in.mode == Mode::Equal && pick(rng, 0, 1)) in.tape = static_cast<int>(sum / 60 + pick(rng, -2, 3));
    in.tape = std::clamp(in.tape, 1, 9999);
    switch (pick(rng, 0, 4)) {
        case 0: in.mode = Mode::Fit; break;
        case 1: in.mode = Mode::Tapes; break;
        default: break;  // the mode, with what follows
    }
    in.gap = pick(rng, 0, 2) == 0 ? 0 : static_cast<int>(pick(rng, 0, 8));
    in.leader = pick(rng, 0, 2) == 0 ? 0 : static_cast<int>(pick(rng, 0, 10));
    in.keepOrder = pick(rng, 0, 3) == 0;
    in.tapes = in.mode == Mode::Tapes && pick(rng, 0, 2) == 0
                   ? static_cast<int>(pick(rng, 1, std::max<std::int64_t>(1, sum / (in.tape * 60 + 1) + 2)))
                   : 0;
    in.pins.clear();
    if (in.mode != Mode::Tapes && pick(rng, 0, 1)) {
        in.pins.assign(in.times.size(), Pin::Free);
        const std::int64_t every = pick(rng, 2, 50);
        for (std::size_t i = 0; i < in.pins.size(); ++i)
            if (static_cast<std::int64_t>(i) % every == 0) in.pins[i] = pick(rng, 0, 1) ? Pin::A : Pin::B;
        if (in.keepOrder)  // pins a cut can honour: side A's before side B's
            for (std::size_t i = 0; i < in.pins.size(); ++i)
                if (in.pins[i] != Pin::Free) in.pins[i] = 2 * i < in.pins.size() ? Pin::A : Pin::B;
    }
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
    if (plansMode) choosePlan(rng, in);
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
            default:
                chooseMode(rng, in);
                if (plansMode) choosePlan(rng, in);
                break;
        }
    }
    fit(t);
    if (t.empty()) t.push_back(1);
    if (!in.pins.empty()) in.pins.resize(t.size(), Pin::Free);
    return in;
}

double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The whole plan ztp-plan makes for an input of --plans, as its value (the
// tracks on side A of the first tape, -1 for none).
std::int64_t runPlan(const Input& in, const ztp::SearchControl& control, bool& stopped) {
    const ztp::tape::SideRules rules{static_cast<std::int64_t>(in.tape) * 30, in.gap, in.leader};
    stopped = false;
    if (in.mode == Mode::Tapes) {
        const ztp::tape::Packing p = ztp::tape::packSides(in.times, rules, in.tapes, in.keepOrder);
        return p.sides.empty() ? -1 : static_cast<std::int64_t>(p.sides[0].size());
    }
    if (in.mode == Mode::Fit) {
        if (in.keepOrder) return ztp::tape::fitCut(in.times, in.pins, rules).value_or(-1);
        const auto s = ztp::tape::fitSplit(in.times, in.pins, rules);
        return s ? static_cast<std::int64_t>(s->a.size()) : -1;
    }
    const std::int64_t w = in.mode == Mode::Equal ? ztp::tape::equalTarget(in.times, rules)
                                                  : rules.side - rules.leader + rules.gap;
    if (in.keepOrder) return ztp::tape::closestCut(in.times, in.pins, rules, w, in.mode == Mode::B).value_or(-1);
    const auto ps = ztp::tape::pinnedSearch(in.times, in.pins, rules, w, in.mode == Mode::B ? Pin::B : Pin::A);
    const ztp::SearchResult r = ztp::fastSearch(ps.times, ps.target, control);
    stopped = !r.finished();
    return static_cast<std::int64_t>(r.best.size());
}

// CPU seconds of one search; cancelled after `limit` seconds of wall time.
Found timeSearch(const Input& in, double limit) {
    Found f;
    f.input = in;
    if (plansMode) {
        ztp::bench::CancelAfter watchdog{std::chrono::duration<double>(limit)};
        ztp::SearchControl control;
        control.cancel = watchdog.flag();
        const double start = cpuNow();
        bool stopped = false;
        f.diff = runPlan(in, control, stopped);
        f.capped = stopped;
        f.seconds = cpuNow() - start;
        if (f.capped) f.seconds = std::max(f.seconds, limit);
        return f;
    }
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

const char* modeName(Mode m) {
    switch (m) {
        case Mode::Equal: return "equal";
        case Mode::A: return "a";
        case Mode::B: return "b";
        case Mode::Fit: return "fit";
        default: return "tapes";
    }
}

// The disc and track numbers of each track as writeDiscFile lays the discs out.
std::vector<std::pair<int, int>> numbering(const Times& t) {
    std::vector<Times> discs;
    std::vector<std::pair<int, int>> out;
    if (!discsOf(t, discs)) return out;
    for (std::size_t d = 0; d < discs.size(); ++d)
        for (std::size_t k = 0; k < discs[d].size(); ++k) out.emplace_back(int(d) + 1, int(k) + 1);
    return out;
}

std::string command(const Input& in, const std::string& file) {
    std::string c = "ztp-plan";
    if (in.mode == Mode::Fit) c += " --fit";
    else if (in.mode == Mode::Tapes) c += " --tapes " + (in.tapes ? std::to_string(in.tapes) : std::string("auto"));
    else c += std::string(" --mode ") + modeName(in.mode);
    if (in.mode != Mode::Equal) c += " --tape " + std::to_string(in.tape);
    if (in.gap) c += " --gap " + std::to_string(in.gap);
    if (in.leader) c += " --leader " + std::to_string(in.leader);
    if (in.keepOrder) c += " --keep-order";
    const auto numbers = numbering(in.times);
    for (std::size_t i = 0; i < in.pins.size() && i < numbers.size(); ++i)
        if (in.pins[i] != Pin::Free)
            c += " --pin " + std::to_string(numbers[i].first) + "." + std::to_string(numbers[i].second) +
                 (in.pins[i] == Pin::A ? "=A" : "=B");
    return c + " " + file;
}

std::string describe(const Found& f) {
    std::vector<std::int32_t> d(f.input.times);
    std::sort(d.begin(), d.end());
    d.erase(std::unique(d.begin(), d.end()), d.end());
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "%8.3f s%s  %-9s n=%4zu distinct=%4zu mode=%-5s T=%lld %s=%lld", f.seconds,
                  f.capped ? "+" : " ", f.input.family.c_str(), f.input.times.size(), d.size(),
                  modeName(f.input.mode), static_cast<long long>(target(f.input)),
                  plansMode ? "on_A" : "diff", static_cast<long long>(f.diff));
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
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--plans") {
            plansMode = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[++i] : nullptr;
        if (value && a == "--seconds") seconds = std::atof(value);
        else if (value && a == "--seed") seed = std::strtoull(value, nullptr, 10);
        else if (value && a == "--out") dir = value;
        else if (value && a == "--top") top = static_cast<std::size_t>(std::atoi(value));
        else if (value && a == "--limit") limit = std::atof(value);
        else {
            std::fprintf(stderr,
                         "usage: hunt_split [--seconds S] [--seed N] [--out DIR] [--top K] "
                         "[--limit S] [--plans]\n");
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
