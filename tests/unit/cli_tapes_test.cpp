// ztp-plan's plans for real tapes, run as a user runs them: the fit, gaps
// and leader in the totals, presets, pins, the album in its order and sets
// of tapes, read back from the result files.
#include <algorithm>
#include <map>
#include <random>

#include "cli_run.h"

namespace {

// A side of a result file: its tracks as (disk, track, seconds) and its total.
struct Side {
    std::vector<std::tuple<int, int, int>> tracks;
    int count = -1, total = -1;
};
struct Card {
    std::string tape;  // "56.53"
    Side a, b;
};

int secondsOf(const std::string& mmss) {
    const std::size_t colon = mmss.find(':');
    return std::stoi(mmss.substr(0, colon)) * 60 + std::stoi(mmss.substr(colon + 1));
}

// Result files one after another (code page 932 bytes; the fixed texts are
// found by their bytes).
std::vector<Card> cardsOf(const std::string& bytes) {
    const std::string sideA = "\x81\x9F\x82\x60\x96\xCA", sideB = "\x81\x9F\x82\x61\x96\xCA";
    const std::string tapeHead = "\x81\x9F\x8D\xC5\x93\x4B\x83\x65\x81\x5B\x83\x76\x20\x3A\x20";
    std::vector<Card> cards;
    std::istringstream in(bytes);
    std::string line;
    Side* side = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("Date.", 0) == 0) cards.emplace_back(), side = nullptr;
        else if (line.rfind(tapeHead, 0) == 0)
            cards.back().tape = line.substr(tapeHead.size(), line.size() - tapeHead.size() - 2);
        else if (line == sideA) side = &cards.back().a;
        else if (line == sideB) side = &cards.back().b;
        else if (side && line.size() >= 16 && line[0] == '\t' && line[1] != 'T' && line[1] != '-') {
            if (line.size() >= 27 && line.substr(16, 3) == " - ")
                side->tracks.emplace_back(std::stoi(line.substr(19, 4)),
                                          std::stoi(line.substr(1, 5)),
                                          secondsOf(line.substr(9, 7)));
            else
                side->count = std::stoi(line.substr(1, 5)),
                side->total = secondsOf(line.substr(9, 7));
        }
    }
    return cards;
}

int planned(const Side& s, int gap, int leader) {
    int music = 0;
    for (const auto& t : s.tracks) music += std::get<2>(t);
    return s.tracks.empty() ? 0 : music + gap * (static_cast<int>(s.tracks.size()) - 1) + leader;
}

// An album of `n` tracks of 2:30 to 6:00, and its lengths in seconds.
std::string album(unsigned seed, int discs, int n, std::vector<int>& lengths) {
    std::mt19937 rng(seed);
    std::string text;
    for (int d = 1; d <= discs; ++d) {
        text += "disc Box " + std::to_string(d) + "\n";
        for (int t = 0; t < n; ++t) {
            const int s = 150 + static_cast<int>(rng() % 211);
            lengths.push_back(s);
            char buf[16];
            std::snprintf(buf, sizeof buf, "%d:%02d ", s / 60, s % 60);
            text += buf;
        }
        text += "\n";
    }
    return text;
}

}  // namespace

class TapePlans : public CliRun {};

// One album onto one tape: both sides within it, side A the longest any
// split allows (against every split), totals that count the gaps and the
// leader, the same bytes on every run; too short a tape names the one that
// would do, writes nothing and exits 2; presets read like plain minutes.
TEST_F(TapePlans, TheFitThatReallyFits) {
    std::vector<int> t;
    write("album.disc", album(7, 1, 12, t));
    const Outcome r = run("--fit --tape C60 --gap 2 --leader 8 --date 2026/12/10 album.disc");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto cards = cardsOf(r.out);
    ASSERT_EQ(cards.size(), 1u);
    const Card& c = cards[0];
    EXPECT_EQ(c.a.total, planned(c.a, 2, 8));
    EXPECT_EQ(c.b.total, planned(c.b, 2, 8));
    EXPECT_EQ(c.a.count + c.b.count, 12);
    EXPECT_LE(c.a.total, 1800);
    EXPECT_LE(c.b.total, 1800);
    char tape[16];
    std::snprintf(tape, sizeof tape, "%4.2f", 2.0 * std::max(c.a.total, c.b.total) / 60);
    EXPECT_EQ(c.tape, tape);
    int best = -1;
    for (unsigned m = 0; m < (1u << 12); ++m) {
        Side a, b;
        for (int i = 0; i < 12; ++i)
            ((m >> i & 1) ? a : b).tracks.emplace_back(1, i + 1, t[static_cast<std::size_t>(i)]);
        if (planned(a, 2, 8) <= 1800 && planned(b, 2, 8) <= 1800)
            best = std::max(best, planned(a, 2, 8));
    }
    EXPECT_EQ(c.a.total, best);
    EXPECT_EQ(run("--fit --tape c60 --gap 2 --leader 8 --date 2026/12/10 album.disc").out, r.out);
    // Too short: one line, the tape that would do, nothing written.
    const Outcome shortTape = run("--fit --tape C46 --gap 2 --leader 8 --out plan.ztp album.disc");
    EXPECT_EQ(shortTape.status, 2);
    EXPECT_NE(shortTape.err.find("the shortest tape that takes them is C"), std::string::npos)
        << shortTape.err;
    EXPECT_EQ(std::count(shortTape.err.begin(), shortTape.err.end(), '\n'), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "plan.ztp"));
    // A side's real length stands for the tape's.
    const Outcome longer = run("--fit --tape C60 --side 31:00 --gap 2 --leader 8 album.disc");
    ASSERT_EQ(longer.status, 0) << longer.err;
    EXPECT_GE(cardsOf(longer.out)[0].a.total, c.a.total);
    EXPECT_LE(cardsOf(longer.out)[0].b.total, 1860);
    // The three modes stay as they are; a preset is its minutes.
    EXPECT_EQ(run("--mode a --tape C46 --date 2026/12/10 album.disc").out,
              run("--mode a --tape 46 --date 2026/12/10 album.disc").out);
    EXPECT_EQ(run("--tape C47 album.disc").status, 2);
    EXPECT_NE(
        run("--tape C47 album.disc").err.find("C46, C54, C60, C64, C74, C90, C100, C110, C120"),
        std::string::npos);
    for (const char* bad : {"--fit album.disc", "--fit --mode a --tape 60 album.disc",
                            "--gap -1 --fit --tape 60 album.disc", "--tapes 0 --tape 60 album.disc",
                            "--side 3:75 --fit album.disc"}) {
        const Outcome o = run(bad);
        EXPECT_EQ(o.status, 2) << bad;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << bad << ": " << o.err;
    }
}

// Pins in every mode that can honour them, and the album kept in its order.
TEST_F(TapePlans, PinsAndThePlayOrder) {
    std::vector<int> t;
    write("album.disc", album(8, 1, 10, t));
    auto onSide = [](const Side& s, int track) {
        return std::any_of(s.tracks.begin(), s.tracks.end(),
                           [&](const auto& x) { return std::get<1>(x) == track; });
    };
    for (const char* mode :
         {"--mode equal", "--mode a --tape 46", "--mode b --tape 46", "--fit --tape C60"}) {
        const Outcome r = run(std::string(mode) + " --pin 1.1=B --pin 1.10=a album.disc");
        ASSERT_EQ(r.status, 0) << mode << ": " << r.err;
        const Card c = cardsOf(r.out).at(0);
        EXPECT_TRUE(onSide(c.b, 1) && onSide(c.a, 10)) << mode;
        EXPECT_EQ(c.a.count + c.b.count, 10) << mode;
        // In play order: side A the first tracks, side B the rest.
        const Outcome k = run(std::string(mode) + " --keep-order album.disc");
        ASSERT_EQ(k.status, 0) << mode << ": " << k.err;
        const Card kc = cardsOf(k.out).at(0);
        for (std::size_t i = 0; i < kc.a.tracks.size(); ++i)
            EXPECT_EQ(std::get<1>(kc.a.tracks[i]), static_cast<int>(i) + 1);
        for (std::size_t i = 0; i < kc.b.tracks.size(); ++i)
            EXPECT_EQ(std::get<1>(kc.b.tracks[i]), static_cast<int>(kc.a.tracks.size() + i) + 1);
    }
    // The cut both ways closest to half: side A of equal mode in order.
    const Card eq = cardsOf(run("--keep-order album.disc").out).at(0);
    int total = 0, bestCut = 0, bestDist = 1 << 30, bestA = -1;
    for (int x : t) total += x;
    for (int cut = 0, a = 0; cut <= 10; ++cut) {
        const int d = std::abs(a - total / 2);
        if (d < bestDist || (d == bestDist && a > bestA)) bestDist = d, bestCut = cut, bestA = a;
        if (cut < 10) a += t[static_cast<std::size_t>(cut)];
    }
    EXPECT_EQ(eq.a.count, bestCut);
    for (const char* bad :
         {"--pin 1.11=A album.disc", "--pin 1.2=A --pin 1.2=B album.disc", "--pin 1.2=C album.disc",
          "--keep-order --pin 1.2=B --pin 1.5=A album.disc",
          "--tapes 2 --tape 60 --pin 1.1=A album.disc"}) {
        const Outcome o = run(bad);
        EXPECT_EQ(o.status, 2) << bad;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << bad << ": " << o.err;
    }
}

// A box set onto C90s: one result file and one card a tape, every track on
// exactly one side, each side within the tape's; the fewest tapes, said on
// stderr; in play order across the tapes with --keep-order; too few tapes
// refused with how many are needed.
TEST_F(TapePlans, ABoxSetOnSeveralTapes) {
    std::vector<int> t;
    write("box.disc", album(9, 3, 16, t));
    const Outcome r =
        run("--tapes auto --tape C90 --gap 2 --leader 5 --out box.ztp --card box.pdf box.disc");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("the fewest that take these tracks"), std::string::npos) << r.err;
    std::map<std::pair<int, int>, int> seen;
    int tapes = 0;
    for (int k = 1; std::filesystem::exists(dir / ("box-" + std::to_string(k) + ".ztp")); ++k) {
        ++tapes;
        EXPECT_TRUE(std::filesystem::exists(dir / ("box-" + std::to_string(k) + ".pdf")));
        const Card c = cardsOf(read(dir / ("box-" + std::to_string(k) + ".ztp"))).at(0);
        for (const Side* s : {&c.a, &c.b}) {
            EXPECT_LE(s->total, 2700);
            EXPECT_EQ(s->total, planned(*s, 2, 5));
            for (const auto& x : s->tracks) ++seen[{std::get<0>(x), std::get<1>(x)}];
        }
    }
    EXPECT_EQ(seen.size(), 48u);
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](const auto& p) { return p.second == 1; }));
    // No fewer tapes can hold the tracks with their gaps (sides of 2697 s of tracks and gaps each).
    int w = 0;
    for (int x : t) w += x + 2;
    const int least = (w + 2 * 2697 - 1) / (2 * 2697);
    EXPECT_GE(tapes, least);
    EXPECT_LE(tapes, least + 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "box.ztp"));
    // On standard output: the tapes one after another; in play order.
    const Outcome inOrder = run("--tapes auto --tape C90 --keep-order box.disc");
    ASSERT_EQ(inOrder.status, 0) << inOrder.err;
    int next = 0;
    for (const Card& c : cardsOf(inOrder.out))
        for (const Side* s : {&c.a, &c.b})
            for (const auto& x : s->tracks)
                EXPECT_EQ((std::get<0>(x) - 1) * 16 + std::get<1>(x), ++next);
    EXPECT_EQ(next, 48);
    // One tape is the fit; too few tapes say how many are needed.
    EXPECT_EQ(run("--tapes 1 --tape C120 --date 2026/12/10 box.disc").out,
              run("--fit --tape C120 --date 2026/12/10 box.disc").out);
    const Outcome few = run("--tapes 1 --tape C90 --out few.ztp box.disc");
    EXPECT_EQ(few.status, 2);
    EXPECT_NE(few.err.find("C"), std::string::npos);
    const Outcome two = run("--tapes 2 --tape C60 box.disc");
    EXPECT_EQ(two.status, 2);
    EXPECT_NE(two.err.find("at least"), std::string::npos) << two.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "few.ztp"));
}
