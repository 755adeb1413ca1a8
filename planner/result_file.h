// The result file: the tape's index card, in code page 932 with CR LF lines.
#pragma once
#include <array>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "errors.h"
#include "track_table.h"

namespace ztp {

struct Date {
    int year, month, day;
};

Date todayLocal();

// "保存しませんでした。": nothing was saved.
extern const char* const kNotSavedMessage;

// What the save reads: the side lists and captions the edit page shows, and
// the disk titles.
struct ResultSource {
    std::vector<std::string> sideA, sideB;  // entry texts, top to bottom
    std::string totalA, totalB;             // captions of the side total panels
    std::string tapeLength;                 // caption of the tape-length panel
    std::array<std::string, kMaxDisks> titles;
};

ResultSource resultSource(const TrackTable& table);

// The file's text, UTF-8, every line ended by CR LF.
std::string resultText(const ResultSource& source, Date date, const std::string& dateSep = "/");
// The same text as the file's bytes (code page 932).
std::string resultBytes(const ResultSource& source, Date date, const std::string& dateSep = "/");

// Replaces the file at target with bytes, or leaves it as it was: the bytes go
// to a new temporary file in the same folder first, every write, the flush and
// the close are checked, and only then the temporary file takes the target's
// place. Throws EInOutError ("ﾌｧｲﾙへのｱｸｾｽが拒否されました",
// "ﾃﾞｨｽｸがいっぱいです" or "I/O ｴﾗｰ (n)").
void writeFileReplacing(const std::filesystem::path& target, const std::string& bytes);

// The input/output error for a system error code.
EInOutError ioError(std::error_code code);

}  // namespace ztp
