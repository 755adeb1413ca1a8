// The result file: the tape's index card, in code page 932 with CR LF lines.
#pragma once
#include <array>
#include <cstdio>
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
// The same text as the file's bytes (code page 932); `unmapped` as for
// utf8ToCp932.
std::string resultBytes(const ResultSource& source, Date date, const std::string& dateSep = "/",
                        std::u32string* unmapped = nullptr);

// Windows system error codes that the save tells apart.
constexpr int kErrorAccessDenied = 5;
constexpr int kErrorHandleDiskFull = 39;
constexpr int kErrorFileExists = 80;
constexpr int kErrorDiskFull = 112;

// The file operations of a save. Each returns 0 or a Windows system error
// code (GetLastError's numbers; other systems map theirs onto them).
class SaveFileSystem {
public:
    virtual ~SaveFileSystem() = default;
    // Creates a file that must not exist yet (kErrorFileExists if it does)
    // and keeps it open for write().
    virtual int createNew(const std::filesystem::path& p) = 0;
    virtual int write(const std::string& bytes) = 0;
    // Flushes and closes the open file.
    virtual int close() = 0;
    // Puts from in to's place, replacing an existing file.
    virtual int replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    virtual void remove(const std::filesystem::path& p) = 0;
    virtual bool isDirectory(const std::filesystem::path& p) = 0;
};

// The C library and std::filesystem; errno values are mapped onto the
// Windows codes where one fits (access, disk full, missing folder).
class StandardFileSystem : public SaveFileSystem {
public:
    ~StandardFileSystem() override;
    int createNew(const std::filesystem::path& p) override;
    int write(const std::string& bytes) override;
    int close() override;
    int replace(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void remove(const std::filesystem::path& p) override;
    bool isDirectory(const std::filesystem::path& p) override;

private:
    std::FILE* f_ = nullptr;
};

// Replaces the file at target with bytes, or leaves it as it was: the bytes go
// to a new temporary file in the same folder first, every write, the flush and
// the close are checked, and only then the temporary file takes the target's
// place. On failure the temporary file is removed and EInOutError thrown
// ("ﾌｧｲﾙへのｱｸｾｽが拒否されました", "ﾃﾞｨｽｸがいっぱいです" or "I/O ｴﾗｰ (n)").
void writeFileReplacing(const std::filesystem::path& target, const std::string& bytes,
                        SaveFileSystem& fs);
// The same through a StandardFileSystem.
void writeFileReplacing(const std::filesystem::path& target, const std::string& bytes);

// The input/output error for a Windows system error code: 5 access denied,
// 39 and 112 disk full, any other "I/O ｴﾗｰ (code)".
EInOutError ioError(int code);
// The same for a C library error, mapped as StandardFileSystem does.
EInOutError ioError(std::error_code code);

}  // namespace ztp
