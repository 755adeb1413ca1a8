// ztp-plan: plans a tape from a disc file and writes the result file.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "card.h"
#include "cd_read.h"
#include "convert.h"
#include "disc_file.h"
#include "errors.h"
#include "progress.h"
#include "result_file.h"
#include "track_table.h"
#include "utf8_path.h"

using namespace ztp;

namespace {

const char* const kUsage =
    "usage: ztp-plan [--mode equal|a|b] [--tape MINUTES] [--date YYYY/MM/DD]\n"
    "                [--engine fast|literal] [--out FILE]\n"
    "                [--card FILE.pdf|.svg|.png [--paper a4|letter]] DISCFILE\n"
    "       ztp-plan read [--title TEXT] [SOURCE]   (see ztp-plan read --help)\n"
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
    "                 (\" 46 \" and \"$2E\" are 46); use --tape=-46 for negatives\n"
    "  --date D       the date line, YYYY/MM/DD (default: today)\n"
    "  --engine E     fast (default) or literal, the reference search\n"
    "  --out FILE     write FILE (replaced only when complete)\n"
    "  --card FILE    also print the cassette card (J-card, 101.6 mm wide, with\n"
    "                 cut and fold marks) as PDF, SVG or PNG, by the extension\n"
    "  --paper P      the card's page: a4 (default) or letter\n"
    "\n"
    "Disc file (UTF-8):\n"
    "  # comment          blank lines and lines starting with # are ignored\n"
    "  disc TITLE         starts a disc; the title is the text after \"disc \"\n"
    "  4:05 3:58 5:30:12  track lengths M:SS or M:SS:FF, separated by blanks\n"
    "  empty              an empty drive (skipped here)\n"
    "  image PATH         the disc that \"ztp-plan read PATH\" gives (a CD image;\n"
    "                     PATH relative to the disc file's folder)\n"
    "  Minutes 0-255, seconds 0-59, frames 0-74; at most 255 tracks a disc, and\n"
    "  a disc's total within 255:59:74. At most 30 discs and 2048 tracks.\n"
    "\n"
    "On a terminal, a search running past half a second shows its time; Ctrl+C\n"
    "stops it.\n"
    "\n"
    "Exit status: 0 on success, 2 on any usage or input error, 130 when the\n"
    "search is stopped by Ctrl+C (no file written in either case).\n";

struct UsageError {
    std::string message;
};

struct Cancelled {};

bool parseDate(const std::string& s, Date& d) {
    int y, m, day;
    char c1, c2;
    char extra;
    if (std::sscanf(s.c_str(), "%4d%c%2d%c%2d%c", &y, &c1, &m, &c2, &day, &extra) != 5) return false;
    if (c1 != '/' || c2 != '/' || s.size() != 10 || m < 1 || m > 12 || day < 1 || day > 31 || y < 1) return false;
    d = Date{y, m, day};
    return true;
}

int run(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "read") == 0) return runReadCommand(std::vector<std::string>(argv + 2, argv + argc));
    std::string mode = "equal", tape, out, discFile, engineName = "fast", card, paperName = "a4";
    bool haveTape = false, haveDate = false;
    Date date{};
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
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
        auto take = [&]() -> std::string {
            if (inlineValue) return value;
            if (i + 1 >= argc) throw UsageError{arg + " needs a value"};
            return argv[++i];
        };
        if (arg == "--mode") mode = take();
        else if (arg == "--tape") { tape = take(); haveTape = true; }
        else if (arg == "--date") {
            const std::string d = take();
            if (!parseDate(d, date)) throw UsageError{"--date wants YYYY/MM/DD, not '" + d + "'"};
            haveDate = true;
        }
        else if (arg == "--out") out = take();
        else if (arg == "--engine") engineName = take();
        else if (arg == "--card") card = take();
        else if (arg == "--paper") paperName = take();
        else if (arg.size() > 1 && arg[0] == '-' && !inlineValue) throw UsageError{"unknown option " + arg};
        else if (inlineValue) throw UsageError{"unknown option " + arg};
        else if (!discFile.empty()) throw UsageError{"only one disc file, not also '" + arg + "'"};
        else discFile = arg;
    }
    if (discFile.empty()) throw UsageError{"no disc file given (see --help)"};
    if (paperName != "a4" && paperName != "letter") throw UsageError{"--paper must be a4 or letter, not '" + paperName + "'"};
    const Paper paper = paperName == "a4" ? Paper::A4 : Paper::Letter;
    const CardFormat cardFormat = card.empty() ? CardFormat::Pdf : cardFormatOf(card);
    SearchMode searchMode;
    if (mode == "equal") searchMode = SearchMode::Ryoumen;
    else if (mode == "a") searchMode = SearchMode::AMen;
    else if (mode == "b") searchMode = SearchMode::BMen;
    else throw UsageError{"--mode must be equal, a or b, not '" + mode + "'"};
    if (searchMode != SearchMode::Ryoumen && !haveTape) throw UsageError{"--mode " + mode + " needs --tape MINUTES"};
    Engine engine;
    if (engineName == "fast") engine = Engine::Fast;
    else if (engineName == "literal") engine = Engine::Literal;
    else throw UsageError{"--engine must be fast or literal, not '" + engineName + "'"};

    TrackTable table;
    int discNo = 0;
    for (const Disc& disc : readDiscFile(discFile, imageLineReader(discFile))) {
        if (disc.empty) continue;
        ++discNo;
        switch (table.addDisk(disc.tracks, disc.title)) {
            case AddRefusal::TooManyDisks:
                throw UsageError{discFile + ": disc " + std::to_string(discNo) + " is more than the 30 disks a tape plan holds"};
            case AddRefusal::TooManyTracks:
                throw UsageError{discFile + ": disc " + std::to_string(discNo) + " takes the plan past 2048 tracks"};
            case AddRefusal::None:
                break;
        }
    }
    table.ShowSelectTotal();
    table.pageChange(false, searchMode, tape, engine);  // resets the search state
    const std::int64_t target = table.target(searchMode, tape);
    SearchResult result;
    {
        SearchProgress progress;
        SearchControl control;
        control.cancel = progress.cancelFlag();
        result = runSearch(engine, table.trackTimes(), target, control);
        if (!result.finished()) {
            progress.finish();
            throw Cancelled{};
        }
    }
    table.applySearch(result, searchMode);
    if (!haveDate) date = todayLocal();
    const ResultSource source = resultSource(table);
    const std::string bytes = resultBytes(source, date, "/");
    // The card is laid out before anything is written: lists that do not fit stop here.
    const std::string cardBytes = card.empty() ? std::string() : renderCard(source, date, cardFormat, paper);
    if (out.empty()) {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        if (std::fflush(stdout) != 0) throw UsageError{"cannot write to standard output"};
    } else {
        writeFileReplacing(utf8Path(out), bytes);
    }
    if (!card.empty()) writeCardFile(card, cardBytes);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const Cancelled&) {
        std::fputs("ztp-plan: search cancelled (Ctrl+C); no result written\n", stderr);
        return 130;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "ztp-plan: %s\n", e.message.c_str());
    } catch (const CardWriteError& e) {
        std::fprintf(stderr, "ztp-plan: cannot write the card: %s\n", e.what());
        return 1;
    } catch (const EInOutError& e) {
        std::fprintf(stderr, "ztp-plan: cannot write the result file: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ztp-plan: %s\n", e.what());
    }
    return 2;
}
