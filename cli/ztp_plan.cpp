// ztp-plan: plans a tape from a disc file and writes the result file.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "card.h"
#include "cd_read.h"
#include "convert.h"
#include "disc_file.h"
#include "errors.h"
#include "output_files.h"
#include "progress.h"
#include "result_file.h"
#include "tape_modes.h"
#include "text_clean.h"
#include "track_table.h"
#include "utf8_path.h"

using namespace ztp;

namespace {

const char* const kUsage =
    "usage: ztp-plan [--mode equal|a|b | --fit] [--tape MINUTES|C60 ...] [--side M:SS]\n"
    "                [--gap S] [--leader S] [--pin DISC.TRACK=A|B ...] [--keep-order]\n"
    "                [--tapes N|auto] [--date YYYY/MM/DD] [--engine fast|literal]\n"
    "                [--out FILE] [--card FILE.pdf|.svg|.png [--paper a4|letter]]\n"
    "                [--] DISCFILE\n"
    "       ztp-plan read [--title TEXT] [--] [SOURCE...]   (see ztp-plan read --help)\n"
    "\n"
    "Loads every disc of DISCFILE as disks 1, 2, ... with their titles, splits\n"
    "all tracks over side A and side B of a cassette and writes the tape's index\n"
    "card (code page 932, CR LF lines) to FILE, or to standard output.\n"
    "\n"
    "  --mode equal   both sides equal (両面均等), the default\n"
    "  --mode a       side A first (A面優先): side A comes closest to half the tape\n"
    "  --mode b       side B first (B面優先)\n"
    "  --tape M       the tape's whole playing time in minutes (both sides), for\n"
    "                 modes a and b; read like the program's tape-time box\n"
    "                 (\" 46 \" and \"$2E\" are 46); use --tape=-46 for negatives;\n"
    "                 or a tape by its name: C46, C54, C60, C64, C74, C90, C100,\n"
    "                 C110, C120 (a side holds half the minutes)\n"
    "  --side L       a side's real length, M:SS or seconds (many tapes run about\n"
    "                 a minute a side longer than their name says); it stands for\n"
    "                 the side of --tape in every mode\n"
    "\n"
    "Plans for real tapes (all of them split the tracks exactly, the same on\n"
    "every run; the three modes above stay as they are):\n"
    "  --fit          both sides within the tape's side, side A as full as\n"
    "                 possible; if nothing fits, says which tape would take the\n"
    "                 tracks (exit status 2, nothing written)\n"
    "  --gap S        S seconds of silence between two tracks of a side\n"
    "  --leader S     S seconds of leader at the start of each side\n"
    "                 (a side's total, on the cards too, is its tracks, the gaps\n"
    "                 between them and the leader)\n"
    "  --pin D.T=A    track T of disc D on side A (or =B); may be repeated;\n"
    "                 with --fit and with the three modes (the mode then places\n"
    "                 the other tracks)\n"
    "  --keep-order   side A plays the first tracks in their order, side B the\n"
    "                 rest: the cut is chosen by the mode's rule or by --fit\n"
    "  --tapes N      the tracks on at most N tapes of the --tape length, each\n"
    "                 side within the tape's side, side after side as full as\n"
    "                 possible (with --keep-order in play order across the\n"
    "                 tapes); auto: the fewest tapes, and whether that is proven;\n"
    "                 one result file and one card a tape, named FILE-1, FILE-2\n"
    "                 ... (on standard output one after another)\n"
    "  --date D       the date line, YYYY/MM/DD, a day of the calendar (default:\n"
    "                 today)\n"
    "  --engine E     fast (the default), or literal: the reference search, which\n"
    "                 tries every split; its time grows exponentially with the\n"
    "                 number of tracks (hours for 20), so it is for checking only\n"
    "  --out FILE     write the result file to FILE (- for standard output)\n"
    "  --card FILE    also print the cassette card (J-card, 101.6 mm wide, with\n"
    "                 cut and fold marks) as PDF, SVG or PNG, by the extension\n"
    "                 (- writes a PDF to standard output, with --out FILE)\n"
    "  --paper P      the card's page: a4 (default) or letter, in any case\n"
    "  --             ends the options: DISCFILE may then start with -\n"
    "\n"
    "Outputs are regular files: each is replaced whole, keeping its permissions\n"
    "(a symbolic link is followed and kept); devices, pipes and folders are\n"
    "refused, and so is an output that names an input or the other output.\n"
    "Either every output is written or none is changed.\n"
    "\n"
    "Disc file (UTF-8 text, a regular file of at most 1 MiB):\n"
    "  # comment          blank lines and lines starting with # are ignored\n"
    "  disc TITLE         starts a disc; the title is the text after \"disc \"\n"
    "  4:05 3:58 5:30:12  track lengths M:SS or M:SS:FF, separated by blanks\n"
    "  track 4:05 TITLE   one track and its song title (the text after the\n"
    "                     length and one blank; the card shows it)\n"
    "  empty              an empty drive (skipped here)\n"
    "  image PATH         the disc that \"ztp-plan read PATH\" gives (a CD image,\n"
    "                     an audio file, a folder or a playlist; PATH relative to\n"
    "                     the disc file's folder)\n"
    "  Minutes 0-255, seconds 0-59, frames 0-74; at most 255 tracks a disc, and\n"
    "  a disc's total within 255:59:74. At most 30 discs and 2048 tracks. Titles\n"
    "  hold at most 255 characters; control characters in them read as blanks.\n"
    "\n"
    "Characters that code page 932 lacks are written as \"?\" (said on stderr).\n"
    "On a terminal, a search running past half a second shows its time; Ctrl+C\n"
    "stops it.\n"
    "\n"
    "Exit status: 0 on success; 1 when an output cannot be written; 2 for a\n"
    "usage error or bad input; 130 when the search is stopped by Ctrl+C.\n"
    "Nothing is written unless everything is: no file changes and nothing goes\n"
    "to standard output.\n";

constexpr int kExitWrite = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 130;

struct UsageError {
    std::string message;
};

struct Cancelled {};

std::string inQuotes(const std::string& s) { return "'" + messageText(s) + "'"; }

std::string lowerCase(std::string s) {
    for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

// YYYY/MM/DD, a day of the calendar; a message saying what is wrong otherwise.
std::string parseDate(const std::string& s, Date& d) {
    const std::string form = "--date wants YYYY/MM/DD, not " + inQuotes(s);
    if (s.size() != 10 || s[4] != '/' || s[7] != '/') return form;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (s[i] < '0' || s[i] > '9') return form;
    const int y = std::stoi(s.substr(0, 4)), m = std::stoi(s.substr(5, 2)),
              day = std::stoi(s.substr(8, 2));
    if (y < 1) return "--date " + s + ": years run from 0001";
    if (m < 1 || m > 12) return "--date " + s + ": months run from 01 to 12";
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    const int days[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day < 1 || day > days[m - 1])
        return "--date " + s + ": not a day of the calendar (" + s.substr(0, 7) + " has " +
               std::to_string(days[m - 1]) + " days)";
    d = Date{y, m, day};
    return {};
}

// The characters written as "?", for the note on stderr.
std::string unmappedList(const std::u32string& chars) {
    std::string out;
    for (char32_t c : chars) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        std::string utf8;
        if (c < 0x80) utf8 += static_cast<char>(c);
        else if (c < 0x800)
            utf8 += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        else if (c < 0x10000)
            utf8 +=
                {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                 static_cast<char>(0x80 | (c & 0x3F))};
        else
            utf8 +=
                {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                 static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        out += (out.empty() ? "" : ", ") + inQuotes(utf8) + " (" + code + ")";
    }
    return out;
}

int run(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "read") == 0)
        return runReadCommand(std::vector<std::string>(argv + 2, argv + argc));
    std::string mode = "equal", tape, discFile, engineName = "fast", paperName = "a4";
    std::optional<std::string> out, card, sideText, tapesText;
    bool haveTape = false, haveDate = false, operandsOnly = false, haveMode = false, fit = false,
         keepOrder = false;
    std::int64_t gap = 0, leader = 0;
    std::optional<int> presetTape;
    std::vector<PinRequest> pins;
    std::string lastValueOf;  // the option that took the last argument as its value
    Date date{};
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (operandsOnly || arg == "-" || arg.empty() || arg[0] != '-') {
            if (!discFile.empty())
                throw UsageError{"only one disc file, not also " + inQuotes(arg)};
            if (arg.empty()) throw UsageError{"the disc file name is empty"};
            discFile = arg;
            continue;
        }
        if (arg == "--") {
            operandsOnly = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        std::string value;
        bool inlineValue = false;
        const std::size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            inlineValue = true;
        }
        bool last = false;  // the value is the last argument
        auto take = [&]() -> std::string {
            if (inlineValue) return value;
            if (i + 1 >= argc) throw UsageError{arg + " needs a value (see --help)"};
            const std::string next = argv[i + 1];
            if (next.size() > 2 && next.rfind("--", 0) == 0)
                throw UsageError{arg + " needs a value before the option " + inQuotes(next)};
            ++i;
            last = i + 1 == argc;
            if (last) lastValueOf = arg;
            return next;
        };
        // A bad value; when it was the last argument, the option probably lacks its value.
        auto bad = [&](const std::string& message) {
            return UsageError{
                message + (last && discFile.empty() ? " (is " + arg + " missing its value?)" : "")};
        };
        // Seconds of a gap or a leader: 0 to an hour.
        auto seconds = [&](const std::string& v) {
            const bool digits = !v.empty() && v.size() <= 4 &&
                                v.find_first_not_of("0123456789") == std::string::npos;
            if (!digits || std::stoi(v) > 3600)
                throw bad(arg + " wants whole seconds from 0 to 3600, not " + inQuotes(v));
            return static_cast<std::int64_t>(std::stoi(v));
        };
        if (arg == "--fit" || arg == "--keep-order") {
            if (inlineValue) throw UsageError{arg + " takes no value"};
            (arg == "--fit" ? fit : keepOrder) = true;
        } else if (arg == "--gap") {
            gap = seconds(take());
        } else if (arg == "--leader") {
            leader = seconds(take());
        } else if (arg == "--side") {
            sideText = take();
            parseSideLength(*sideText);
        } else if (arg == "--pin") {
            pins.push_back(parsePin(take()));
        } else if (arg == "--tapes") {
            tapesText = take();
            const std::string& t = *tapesText;
            const bool digits = !t.empty() && t.size() <= 3 &&
                                t.find_first_not_of("0123456789") == std::string::npos;
            if (lowerCase(t) != "auto" && (!digits || std::stoi(t) < 1))
                throw bad("--tapes wants a number of tapes from 1 to 999, or auto, not " +
                          inQuotes(t));
        } else if (arg == "--mode") {
            haveMode = true;
            mode = take();
            if (mode != "equal" && mode != "a" && mode != "b")
                throw bad("--mode must be equal, a or b, not " + inQuotes(mode));
        } else if (arg == "--tape") {
            tape = take();
            haveTape = true;
            presetTape = presetMinutes(trimText(tape));
            try {
                if (!presetTape) StrToInt(tape);
            } catch (const EConvertError& e) {
                throw bad(std::string("--tape: ") + e.what());
            }
        } else if (arg == "--date") {
            const std::string d = take();
            const std::string why = parseDate(d, date);
            if (!why.empty()) throw bad(why);
            haveDate = true;
        } else if (arg == "--out") {
            out = take();
            if (out->empty()) throw UsageError{"--out needs a file name (- for standard output)"};
        } else if (arg == "--engine") {
            engineName = take();
            if (engineName != "fast" && engineName != "literal")
                throw bad("--engine must be fast or literal, not " + inQuotes(engineName));
        } else if (arg == "--card") {
            card = take();
            if (card->empty())
                throw UsageError{"--card needs a file name (.pdf, .svg or .png, or -)"};
        } else if (arg == "--paper") {
            const std::string given = take();
            paperName = lowerCase(given);
            if (paperName != "a4" && paperName != "letter")
                throw bad("--paper must be a4 or letter, not " + inQuotes(given));
        } else {
            throw UsageError{"unknown option " + inQuotes(argv[i]) + " (see --help)"};
        }
    }
    if (discFile.empty()) {
        if (!lastValueOf.empty())
            throw UsageError{"no disc file given (" + lastValueOf + " took " +
                             inQuotes(argv[argc - 1]) + " as its value)"};
        throw UsageError{"no disc file given (see --help)"};
    }
    const Paper paper = paperName == "a4" ? Paper::A4 : Paper::Letter;
    const CardFormat cardFormat = !card || *card == "-" ? CardFormat::Pdf : cardFormatOf(*card);
    SearchMode searchMode;
    if (mode == "equal") searchMode = SearchMode::Ryoumen;
    else if (mode == "a") searchMode = SearchMode::AMen;
    else searchMode = SearchMode::BMen;
    const bool haveSide = haveTape || sideText;
    if (searchMode != SearchMode::Ryoumen && !haveSide)
        throw UsageError{"--mode " + mode + " needs --tape MINUTES (or --side)"};
    if ((fit || tapesText) && haveMode)
        throw UsageError{std::string(fit ? "--fit" : "--tapes") +
                         " and --mode choose the split in two ways: give one"};
    if ((fit || tapesText) && !haveSide)
        throw UsageError{std::string(fit ? "--fit" : "--tapes") + " needs --tape (or --side)"};
    const int tapes = !tapesText ? 1 : lowerCase(*tapesText) == "auto" ? 0 : std::stoi(*tapesText);
    // Anything of the plans for real tapes asked for.
    const bool realTapes =
        fit || tapesText || gap > 0 || leader > 0 || !pins.empty() || keepOrder || sideText;
    if (presetTape) tape = std::to_string(*presetTape);
    const Engine engine = engineName == "fast" ? Engine::Fast : Engine::Literal;
    if (card && *card == "-" && out.value_or("-") == "-")
        throw UsageError{
            "--card - needs --out FILE: the result file would go to standard output too"};
    if (card && *card == "-" && tapes != 1)
        throw UsageError{"--card - writes one card; --tapes needs a file name for them"};

    // The outputs are checked before anything is read or searched (for a
    // set of tapes, again by their numbered names once the plan is made).
    OutputFiles outputs;
    outputs.add("the result file", out.value_or("-"));
    if (card) outputs.add("the card", *card);
    std::vector<std::string> inputs{discFile};

    TrackTable table;
    SongTitles songs;
    int discNo = 0;
    const std::vector<Disc> discs = readDiscFile(discFile, imageLineReader(discFile, &inputs));
    outputs.refuseInputs(inputs);
    for (const Disc& disc : discs) {
        if (disc.empty) continue;
        ++discNo;
        songs.push_back(disc.trackTitles);
        switch (table.addDisk(disc.tracks, disc.title)) {
            case AddRefusal::TooManyDisks:
                throw UsageError{messageText(discFile) + ": disc " + std::to_string(discNo) +
                                 " is more than the 30 disks a tape plan holds"};
            case AddRefusal::TooManyTracks:
                throw UsageError{messageText(discFile) + ": disc " + std::to_string(discNo) +
                                 " takes the plan past 2048 tracks"};
            case AddRefusal::None: break;
        }
    }
    table.ShowSelectTotal();
    table.resetSearch();
    if (!haveDate) date = todayLocal();
    // The split search with progress on a terminal and Ctrl+C.
    auto search = [&](const std::vector<std::int32_t>& times, std::int64_t target) {
        SearchProgress progress;
        SearchControl control;
        control.cancel = progress.cancelFlag();
        SearchResult result = runSearch(engine, times, target, control);
        if (!result.finished()) {
            progress.finish();
            throw Cancelled{};
        }
        return result;
    };
    std::vector<ResultSource> sources;
    std::vector<std::string> notes;
    if (!realTapes) {
        table.applySearch(search(table.trackTimes(), table.target(searchMode, tape)), searchMode);
        sources.push_back(resultSource(table));
    } else {
        PlanInput input;
        input.entries = table.selection.texts();
        input.times = table.trackTimes();
        input.titles = table.DiskTitle;
        PlanRequest request;
        request.fit = fit || (tapes == 1 && tapesText);
        request.mode = searchMode;
        request.rules.gap = gap;
        request.rules.leader = leader;
        if (sideText) {
            request.rules.side = parseSideLength(*sideText);
            request.tapeName = "a side of " + minutesText(request.rules.side);
        } else if (haveTape) {
            request.rules.side = static_cast<std::int64_t>(StrToInt(tape)) * 30;
            request.tapeName = presetTape ? "C" + tape : tape + " minutes";
        }
        request.target = request.rules.side;
        request.pins = pins;
        request.keepOrder = keepOrder;
        request.tapes = request.fit ? 1 : tapes;
        Plan plan = planTapes(input, request, search);
        sources = std::move(plan.tapes);
        notes = std::move(plan.notes);
    }
    const int n = static_cast<int>(sources.size());
    if (n != 1) {
        outputs = OutputFiles();
        if (out.value_or("-") == "-") outputs.add("the result file", "-");
        for (int k = 1; k <= n; ++k) {
            if (out.value_or("-") != "-")
                outputs.add("result file " + std::to_string(k), numberedName(*out, k, n));
            if (card) outputs.add("card " + std::to_string(k), numberedName(*card, k, n));
        }
        outputs.refuseInputs(inputs);
    }
    std::u32string unmapped;
    // Everything is made before anything is written: lists too long for the card stop here.
    std::vector<std::string> contents;
    std::string together;  // every result file, for standard output
    for (int k = 0; k < n; ++k) {
        const std::string bytes =
            resultBytes(sources[static_cast<std::size_t>(k)], date, "/", &unmapped);
        if (n != 1 && out.value_or("-") == "-") together += bytes;
        else contents.push_back(bytes);
        const std::string label = n == 1 ? "" : std::to_string(k + 1) + "/" + std::to_string(n);
        if (card)
            contents.push_back(renderCard(sources[static_cast<std::size_t>(k)], date, cardFormat,
                                          paper, songs, label));
    }
    if (n != 1 && out.value_or("-") == "-") contents.insert(contents.begin(), together);
    outputs.commit(contents);
    for (const std::string& note : notes)
        std::fprintf(stderr, "ztp-plan: %s\n", messageText(note).c_str());
    if (!unmapped.empty())
        std::fprintf(stderr,
                     "ztp-plan: note: code page 932 has no form for %s, written as \"?\" in the "
                     "result file\n",
                     unmappedList(unmapped).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    auto say = [](const std::string& message) {
        std::fprintf(stderr, "ztp-plan: %s\n", messageText(message).c_str());
    };
    try {
        return run(argc, argv);
    } catch (const Cancelled&) {
        std::fputs("ztp-plan: search cancelled (Ctrl+C); no result written\n", stderr);
        return kExitCancelled;
    } catch (const UsageError& e) {
        say(e.message);
    } catch (const TapePlanError& e) {
        say(e.what());
    } catch (const OutputWriteError& e) {
        say(std::string(e.what()) + "; nothing written");
        return kExitWrite;
    } catch (const EInOutError& e) {
        say(e.what());
        return kExitWrite;
    } catch (const std::bad_alloc&) {
        say("out of memory");
    } catch (const std::exception& e) {
        say(e.what());
    }
    return kExitUsage;
}
