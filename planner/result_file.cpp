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
    s.sideA = table.sideListA.texts();
    s.sideB = table.sideListB.texts();
    s.totalA = table.sideATotal;
    s.totalB = table.sideBTotal;
    s.tapeLength = table.tapeLength;
    s.titles = table.DiskTitle;
    return s;
}

namespace {

const char* const kCrLf = "\r\n";

// Characters 6 to the end: track number (or count) and time.
std::string timePart(const std::string& text) {
    return text.size() > 5 ? text.substr(5) : std::string();
}

const std::string& titleOf(const ResultSource& s, const std::string& diskField) {
    static const std::string none;
    std::size_t i = 0;
    while (i < diskField.size() && diskField[i] == ' ') ++i;
    int disk = 0;
    bool digits = false;
    for (; i < diskField.size() && diskField[i] >= '0' && diskField[i] <= '9' && disk <= kMaxDisks;
         ++i) {
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

std::string resultBytes(const ResultSource& s, Date date, const std::string& dateSep,
                        std::u32string* unmapped) {
    return utf8ToCp932(resultText(s, date, dateSep), unmapped);
}

EInOutError ioError(int code) {
    if (code == kErrorAccessDenied) return EInOutError("ﾌｧｲﾙへのｱｸｾｽが拒否されました", code);
    if (code == kErrorHandleDiskFull || code == kErrorDiskFull)
        return EInOutError("ﾃﾞｨｽｸがいっぱいです", code);
    return EInOutError("I/O ｴﾗｰ (" + std::to_string(code) + ")", code);
}

namespace {

// errno onto the Windows codes that mean the same; others keep their number.
int windowsCode(int err) {
    switch (err) {
        case 0: return 0;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS: return kErrorAccessDenied;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return kErrorDiskFull;
        case EEXIST: return kErrorFileExists;
        case ENOENT:
        case ENOTDIR: return 3;  // ERROR_PATH_NOT_FOUND
        default: return err;
    }
}

std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    std::mt19937_64 rng(
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const std::filesystem::path dir =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    char name[40];
    std::snprintf(name, sizeof name, ".ztp-%016llx.tmp", static_cast<unsigned long long>(rng()));
    return dir / name;
}

}  // namespace

StandardFileSystem::~StandardFileSystem() {
    if (f_) std::fclose(f_);
}

int StandardFileSystem::createNew(const std::filesystem::path& p) {
    errno = 0;
#ifdef _WIN32
    f_ = _wfopen(p.c_str(), L"wbx");
#else
    f_ = std::fopen(p.c_str(), "wbx");
#endif
    return f_ ? 0 : windowsCode(errno ? errno : EIO);
}
int StandardFileSystem::write(const std::string& bytes) {
    errno = 0;
    if (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f_) == bytes.size()) return 0;
    return windowsCode(errno ? errno : EIO);
}
int StandardFileSystem::close() {
    errno = 0;
    int rc = std::fflush(f_) == 0 ? 0 : windowsCode(errno ? errno : EIO);
    errno = 0;
    if (std::fclose(f_) != 0 && rc == 0) rc = windowsCode(errno ? errno : EIO);
    f_ = nullptr;
    return rc;
}
int StandardFileSystem::replace(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    return ec ? windowsCode(ec.value()) : 0;
}
void StandardFileSystem::remove(const std::filesystem::path& p) {
    std::error_code ec;
    std::filesystem::remove(p, ec);
}
bool StandardFileSystem::isDirectory(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_directory(p, ec);
}

EInOutError ioError(std::error_code code) { return ioError(windowsCode(code.value())); }

void writeFileReplacing(const std::filesystem::path& target, const std::string& bytes,
                        SaveFileSystem& fs) {
    // A folder in the way: what opening it for writing would say.
    if (fs.isDirectory(target)) throw ioError(kErrorAccessDenied);
    std::filesystem::path temp;
    int rc = kErrorFileExists;
    for (int attempt = 0; attempt < 100 && rc == kErrorFileExists; ++attempt) {
        temp = temporaryBeside(target);
        rc = fs.createNew(temp);
    }
    if (rc != 0) throw ioError(rc);
    rc = fs.write(bytes);
    const int closed = fs.close();
    if (rc == 0) rc = closed;
    if (rc == 0) rc = fs.replace(temp, target);
    if (rc != 0) {
        fs.remove(temp);
        throw ioError(rc);
    }
}

void writeFileReplacing(const std::filesystem::path& target, const std::string& bytes) {
    StandardFileSystem fs;
    writeFileReplacing(target, bytes, fs);
}

}  // namespace ztp
