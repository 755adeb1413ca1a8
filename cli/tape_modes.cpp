#include "tape_modes.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "text_forms.h"

namespace ztp {
namespace {

using tape::Pin;

bool allDigits(const std::string& s) {
    return !s.empty() && s.size() <= 9 &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::string presetList() {
    std::string out;
    for (const TapePreset& p : tapePresets())
        out += (out.empty() ? "" : ", ") + std::string(p.name);
    return out;
}

// The disk and track numbers of an entry text ("   1.    3 -    4:05").
bool entryNumbers(const std::string& e, int& disk, int& track) {
    if (e.size() < 10) return false;
    disk = std::atoi(e.substr(0, 4).c_str());
    track = std::atoi(e.substr(5, 5).c_str());
    return disk > 0 && track > 0;
}

std::vector<Pin> pinsOf(const PlanInput& in, const std::vector<PinRequest>& requests) {
    std::vector<Pin> pins(in.times.size(), Pin::Free);
    for (const PinRequest& r : requests) {
        int found = -1;
        for (std::size_t i = 0; i < in.entries.size() && found < 0; ++i) {
            int d, t;
            if (entryNumbers(in.entries[i], d, t) && d == r.disk && t == r.track)
                found = static_cast<int>(i);
        }
        if (found < 0)
            throw TapePlanError("--pin " + r.text + ": there is no track " +
                                std::to_string(r.track) + " on disc " + std::to_string(r.disk));
        Pin& p = pins[static_cast<std::size_t>(found)];
        if (p != Pin::Free && p != r.side)
            throw TapePlanError("--pin " + r.text + ": that track is pinned to the other side too");
        p = r.side;
    }
    return pins;
}

std::int64_t musicOf(const PlanInput& in, const std::vector<int>& side) {
    std::int64_t s = 0;
    for (int i : side) s += in.times[static_cast<std::size_t>(i)];
    return s;
}

ResultSource sourceOf(const PlanInput& in, const std::vector<int>& a, const std::vector<int>& b,
                      const tape::SideRules& rules) {
    ResultSource s;
    for (int i : a) s.sideA.push_back(in.entries[static_cast<std::size_t>(i)]);
    for (int i : b) s.sideB.push_back(in.entries[static_cast<std::size_t>(i)]);
    const auto na = static_cast<std::int64_t>(a.size()), nb = static_cast<std::int64_t>(b.size());
    const std::int64_t pa = tape::planned(musicOf(in, a), na, rules),
                       pb = tape::planned(musicOf(in, b), nb, rules);
    s.totalA = totalsText(static_cast<int>(na), pa);
    s.totalB = totalsText(static_cast<int>(nb), pb);
    s.tapeLength = tapeLengthText(std::max(pa, pb));
    s.titles = in.titles;
    return s;
}

// The side's w target for a mode: half the w total, or the planned side
// as w (a side of T seconds holds tracks of w sum T - leader + gap).
std::int64_t modeTarget(const PlanInput& in, const PlanRequest& r) {
    if (r.mode == SearchMode::Ryoumen) return tape::equalTarget(in.times, r.rules);
    return r.target - r.rules.leader + r.rules.gap;
}

bool fitsOn(const PlanInput& in, const std::vector<Pin>& pins, const PlanRequest& r,
            std::int64_t side) {
    tape::SideRules rules = r.rules;
    rules.side = side;
    return r.keepOrder ? tape::fitCut(in.times, pins, rules).has_value()
                       : tape::fitSplit(in.times, pins, rules).has_value();
}

// "the shortest tape that takes them is C74", or that none does.
std::string shortestPreset(const PlanInput& in, const std::vector<Pin>& pins,
                           const PlanRequest& r) {
    for (const TapePreset& p : tapePresets())
        if (fitsOn(in, pins, r, std::int64_t{p.minutes} * 30))
            return "the shortest tape that takes them is " + std::string(p.name);
    return "not even a " + std::string(tapePresets().back().name) + " takes them (see --tapes)";
}

std::string sideText(const tape::SideRules& rules) { return "sides of " + minutesText(rules.side); }

Plan planSet(const PlanInput& in, const PlanRequest& r) {
    Plan plan;
    const tape::Packing p = tape::packSides(in.times, r.rules, r.tapes, r.keepOrder);
    const std::string tapeWord = " tape" + std::string(r.tapes == 1 ? "" : "s");
    if (p.sides.empty() && !in.times.empty()) {
        const std::string asked =
            r.tapes > 0 ? std::to_string(r.tapes) + tapeWord + " of " : "tapes of ";
        if (p.lowerBound == std::numeric_limits<int>::max())
            throw TapePlanError("a track is longer than a side (" + sideText(r.rules) +
                                "): no number of " + r.tapeName + " tapes takes it");
        if (r.tapes > 0 && p.lowerBound > 2 * r.tapes)
            throw TapePlanError("the tracks do not fit on " + asked + r.tapeName +
                                ": they need at least " + std::to_string((p.lowerBound + 1) / 2) +
                                " (try --tapes auto)");
        const tape::Packing any = tape::packSides(in.times, r.rules, 0, r.keepOrder);
        throw TapePlanError("no way was found to put the tracks on " + asked + r.tapeName +
                            " (the exact search ran "
                            "out of its budget); " +
                            std::to_string(any.sides.size() / 2) + " take them");
    }
    for (std::size_t k = 0; k + 1 < p.sides.size(); k += 2)
        plan.tapes.push_back(sourceOf(in, p.sides[k], p.sides[k + 1], r.rules));
    if (plan.tapes.empty())
        plan.tapes.push_back(sourceOf(in, {}, {}, r.rules));  // no tracks: one empty tape
    const int used = static_cast<int>(plan.tapes.size());
    const std::string order = r.keepOrder ? " in play order" : "";
    if (r.tapes == 0) {
        const int least = (p.lowerBound + 1) / 2;
        plan.notes.push_back(
            std::to_string(used) + " tape" + (used == 1 ? "" : "s") + " of " + r.tapeName + order +
            (p.fewest ? ": the fewest that take these tracks"
                      : "; at least " + std::to_string(least) +
                            " are needed, and the search could not settle whether fewer will do"));
    } else if (used < r.tapes) {
        plan.notes.push_back("the tracks take " + std::to_string(used) + " of the " +
                             std::to_string(r.tapes) + " tapes" + order);
    }
    return plan;
}

Plan planOne(const PlanInput& in, const PlanRequest& r, const SplitSearch& search) {
    Plan plan;
    const std::vector<Pin> pins = pinsOf(in, r.pins);
    const int n = static_cast<int>(in.times.size());
    std::vector<int> a, b;
    auto cutAt = [&](int cut) {
        for (int i = 0; i < n; ++i) (i < cut ? a : b).push_back(i);
    };
    if (r.fit) {
        if (r.keepOrder) {
            const auto cut = tape::fitCut(in.times, pins, r.rules);
            if (!cut)
                throw TapePlanError("no cut of the tracks in play order fits two " +
                                    sideText(r.rules) + " (" + r.tapeName + "); " +
                                    shortestPreset(in, pins, r));
            cutAt(*cut);
        } else {
            const auto split = tape::fitSplit(in.times, pins, r.rules);
            if (!split)
                throw TapePlanError("the tracks do not fit two " + sideText(r.rules) + " (" +
                                    r.tapeName + "); " + shortestPreset(in, pins, r));
            a = split->a;
            b = split->b;
        }
    } else if (r.keepOrder) {
        const auto cut = tape::closestCut(in.times, pins, r.rules, modeTarget(in, r),
                                          r.mode == SearchMode::BMen);
        if (!cut)
            throw TapePlanError(
                "--keep-order: a track pinned to side A comes after one pinned to side B");
        cutAt(*cut);
    } else {
        const Pin searched = r.mode == SearchMode::BMen ? Pin::B : Pin::A;
        const tape::PinnedSearch ps =
            tape::pinnedSearch(in.times, pins, r.rules, modeTarget(in, r), searched);
        const SearchResult result = search(ps.times, ps.target);
        std::vector<char> inSet(in.times.size(), 0);
        for (std::size_t i = 0; i < pins.size(); ++i)
            if (pins[i] == searched) inSet[i] = 1;
        for (int k : result.best)
            inSet[static_cast<std::size_t>(ps.freeTracks[static_cast<std::size_t>(k)])] = 1;
        for (int i = 0; i < n; ++i)
            ((inSet[static_cast<std::size_t>(i)] != 0) == (searched == Pin::A) ? a : b)
                .push_back(i);
    }
    plan.tapes.push_back(sourceOf(in, a, b, r.rules));
    return plan;
}

}  // namespace

const std::vector<TapePreset>& tapePresets() {
    static const std::vector<TapePreset> presets = {{"C46", 46},   {"C54", 54},   {"C60", 60},
                                                    {"C64", 64},   {"C74", 74},   {"C90", 90},
                                                    {"C100", 100}, {"C110", 110}, {"C120", 120}};
    return presets;
}

std::optional<int> presetMinutes(const std::string& text) {
    if (text.size() < 2 || (text[0] != 'C' && text[0] != 'c') || !allDigits(text.substr(1)))
        return std::nullopt;
    const int minutes = std::atoi(text.c_str() + 1);
    for (const TapePreset& p : tapePresets())
        if (p.minutes == minutes) return minutes;
    throw TapePlanError("--tape " + text + ": no such tape; the presets are " + presetList());
}

std::int64_t parseSideLength(const std::string& text) {
    const std::size_t colon = text.find(':');
    std::int64_t seconds = -1;
    if (colon == std::string::npos) {
        if (allDigits(text)) seconds = std::atoll(text.c_str());
    } else {
        const std::string m = text.substr(0, colon), s = text.substr(colon + 1);
        if (allDigits(m) && s.size() == 2 && allDigits(s) && std::atoi(s.c_str()) < 60)
            seconds = std::atoll(m.c_str()) * 60 + std::atoi(s.c_str());
    }
    if (seconds <= 0)
        throw TapePlanError("--side wants a side's length as M:SS or seconds, not '" + text + "'");
    return seconds;
}

std::string minutesText(std::int64_t seconds) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return buf;
}

PinRequest parsePin(const std::string& text) {
    PinRequest r;
    r.text = text;
    const std::size_t dot = text.find('.'), eq = text.find('=');
    const bool shaped =
        dot != std::string::npos && eq != std::string::npos && dot < eq && eq + 2 == text.size();
    const char side =
        shaped ? static_cast<char>(std::toupper(static_cast<unsigned char>(text.back()))) : 0;
    if (!shaped || !allDigits(text.substr(0, dot)) ||
        !allDigits(text.substr(dot + 1, eq - dot - 1)) || (side != 'A' && side != 'B'))
        throw TapePlanError("--pin wants DISC.TRACK=A or DISC.TRACK=B (as 1.3=A), not '" + text +
                            "'");
    r.disk = std::atoi(text.substr(0, dot).c_str());
    r.track = std::atoi(text.substr(dot + 1, eq - dot - 1).c_str());
    r.side = side == 'A' ? Pin::A : Pin::B;
    return r;
}

Plan planTapes(const PlanInput& input, const PlanRequest& request, const SplitSearch& search) {
    if (request.tapes != 1) {
        if (!request.pins.empty())
            throw TapePlanError(
                "--pin does not go with --tapes: a pin names side A or B of one tape");
        return planSet(input, request);
    }
    return planOne(input, request, search);
}

std::string numberedName(const std::string& path, int k, int n) {
    if (n <= 1) return path;
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const bool ext = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    const std::string suffix = "-" + std::to_string(k);
    return ext ? path.substr(0, dot) + suffix + path.substr(dot) : path + suffix;
}

}  // namespace ztp
