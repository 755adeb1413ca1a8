#include "result_file.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

#include "cp932.h"
#include "errors.h"

namespace ztp {

const char* const kNotSavedMessage = "保存しませんでした。";

Date todayLocal() {
    const std::time_t now = std::time(nullptr);
    const std::tm* tm = std::localtime(&now);
    return Date{tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday};
}

ResultSource resultSource(const TrackTable& table) {
    ResultSource s;
    s.sideA = table.lstA.texts();
    s.sideB = table.lstB.texts();
    s.totalA = table.pnlAKei;
    s.totalB = table.pnlBKei;
    s.tapeLength = table.pnlFin;
    s.titles = table.DiskTitle;
    return s;
}

namespace {

const char* const kCrLf = "\r\n";

// Characters 6 to the end: track number (or count) and time.
std::string timePart(const std::string& text) { return text.size() > 5 ? text.substr(5) : std::string(); }

const std::string& titleOf(const ResultSource& s, const std::string& diskField) {
    static const std::string none;
    std::size_t i = 0;
    while (i < diskField.size() && diskField[i] == ' ') ++i;
    int disk = 0;
    bool digits = false;
    for (; i < diskField.size() && diskField[i] >= '0' && diskField[i] <= '9' && disk <= kMaxDisks; ++i) {
        disk = disk * 10 + (diskField[i] - '0');
        digits = true;
    }
    return digits && disk >= 1 && disk <= kMaxDisks ? s.titles[disk - 1] : none;
}

void sideBlock(std::string& out, const char* heading, const std::vector<std::string>& entries,
               const std::string& total, const ResultSource& s) {
    out += heading;
    out += kCrLf;
    out += "\tTrack -    Time -  No.: [Disk Title]";
    out += kCrLf;
    for (const std::string& entry : entries) {
        const std::string diskField = entry.substr(0, 4);
        out += "\t" + timePart(entry) + " - " + diskField + ": " + titleOf(s, diskField);
        out += kCrLf;
    }
    out += "\t" + std::string(36, '-');
    out += kCrLf;
    out += "\t" + timePart(total);
    out += kCrLf;
}

}  // namespace

std::string resultText(const ResultSource& s, Date date, const std::string& dateSep) {
    char ymd[64];
    std::snprintf(ymd, sizeof ymd, "%04d%s%02d%s%02d", date.year, dateSep.c_str(), date.month,
                  dateSep.c_str(), date.day);
    std::string out = std::string("Date.") + ymd + " - ZTP for win32 作成" + kCrLf + kCrLf;
    out += std::string(kCrLf) + "◆最適テープ : " + s.tapeLength + "分" + kCrLf + kCrLf;
    sideBlock(out, "◆Ａ面", s.sideA, s.totalA, s);
    sideBlock(out, "◆Ｂ面", s.sideB, s.totalB, s);
    return out;
}

std::string resultBytes(const ResultSource& s, Date date, const std::string& dateSep) {
    return utf8ToCp932(resultText(s, date, dateSep));
}

EInOutError ioError(std::error_code code) {
    if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted ||
        code == std::errc::is_a_directory)
        return EInOutError("ﾌｧｲﾙへのｱｸｾｽが拒否されました", code.value());
    if (code == std::errc::no_space_on_device) return EInOutError("ﾃﾞｨｽｸがいっぱいです", code.value());
    return EInOutError("I/O ｴﾗｰ (" + std::to_string(code.value()) + ")", code.value());
}

namespace {

std::FILE* openForWriting(const std::filesystem::path& p) {
#ifdef _WIN32
    return _wfopen(p.c_str(), L"wb");
#else
    return std::fopen(p.c_str(), "wb");
#endif
}

std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    static std::mt19937_64 rng(std::random_device{}() ^
                               static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    for (int attempt = 0;; ++attempt) {
        char name[40];
        std::snprintf(name, sizeof name, ".ztp-%016llx.tmp", static_cast<unsigned long long>(rng()));
        std::filesystem::path p = dir / name;
        std::error_code ec;
        if (!std::filesystem::exists(p, ec) || attempt > 100) return p;
    }
}

std::error_code lastErrno() { return std::error_code(errno, std::generic_category()); }

}  // namespace

void writeFileReplacing(const std::filesystem::path& target, const std::string& bytes) {
    std::error_code ec;
    if (std::filesystem::is_directory(target, ec)) throw ioError(std::make_error_code(std::errc::is_a_directory));
    const std::filesystem::path temp = temporaryBeside(target);
    errno = 0;
    std::FILE* f = openForWriting(temp);
    if (!f) throw ioError(lastErrno());
    auto fail = [&](std::error_code code) {
        if (f) std::fclose(f);
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        return ioError(code);
    };
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) throw fail(lastErrno());
    if (std::fflush(f) != 0) throw fail(lastErrno());
    const int closed = std::fclose(f);
    f = nullptr;
    if (closed != 0) throw fail(lastErrno());
    std::filesystem::rename(temp, target, ec);
    if (ec) throw fail(ec);
}

}  // namespace ztp
