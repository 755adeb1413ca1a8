// ztp-plan's plans for real tapes: tape presets, the fit that keeps both
// sides within the tape's side, gaps and leader, pinned tracks, the album in
// its order, and sets of tapes. Each tape comes out as the result file's
// source (its entries, side totals as planned and tape length).
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "convert.h"
#include "errors.h"
#include "result_file.h"
#include "split_search.h"
#include "tape_plan.h"

namespace ztp {

// A plan that cannot be made as asked (exit status 2).
class TapePlanError : public Exception {
public:
    using Exception::Exception;
};

struct TapePreset {
    const char* name;
    int minutes;  // both sides together
};
// C46 to C120, shortest first.
const std::vector<TapePreset>& tapePresets();
// The minutes of a preset named like "C60" (any case); none for a text that
// is not a C-number; TapePlanError for a C-number that is no preset.
std::optional<int> presetMinutes(const std::string& text);
// "M:SS" or whole seconds, as a side's real length (TapePlanError otherwise).
std::int64_t parseSideLength(const std::string& text);
// Seconds as "M:SS".
std::string minutesText(std::int64_t seconds);

struct PinRequest {
    int disk = 0, track = 0;
    tape::Pin side = tape::Pin::Free;
    std::string text;  // as given, for messages
};
// "DISC.TRACK=A" or "=B" (any case); TapePlanError otherwise.
PinRequest parsePin(const std::string& text);

// The planned tracks: entry texts and lengths in table order, and the
// disks' titles.
struct PlanInput {
    std::vector<std::string> entries;
    std::vector<std::int32_t> times;
    std::array<std::string, kMaxDisks> titles;
};

struct PlanRequest {
    bool fit = false;  // --fit: both sides within the side, A as full as possible
    SearchMode mode = SearchMode::Ryoumen;
    std::int64_t target = 0;    // the mode's target side (modes a and b), planned seconds
    tape::SideRules rules;      // side 0: no tape given
    std::string tapeName;       // for messages: "C60", "46 minutes", "a side of 31:00"
    bool presetsAsked = false;  // the side is a preset's or minutes' (not --side)
    std::vector<PinRequest> pins;
    bool keepOrder = false;
    int tapes = 1;  // 0: the fewest tapes that take the tracks
};

// The split search over w values and a target, as ztp-plan runs it (with
// its engine, progress and Ctrl+C).
using SplitSearch =
    std::function<SearchResult(const std::vector<std::int32_t>& times, std::int64_t target)>;

struct Plan {
    std::vector<ResultSource> tapes;  // one a tape
    std::vector<std::string> notes;   // for standard error
};

// The plan, or TapePlanError saying why there is none (no split fits: the
// shortest preset that would take the tracks; tapes that do not suffice).
Plan planTapes(const PlanInput& input, const PlanRequest& request, const SplitSearch& search);

// The file name of tape k (1-based) of n: "plan.ztp" -> "plan-2.ztp"; the
// name itself when n is 1.
std::string numberedName(const std::string& path, int k, int n);

}  // namespace ztp
