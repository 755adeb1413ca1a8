#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cp932.h"
#include "errors.h"
#include "result_file.h"
#include "test_util.h"

using namespace ztp;
namespace fs = std::filesystem;

namespace {

ResultSource workedExample() {
    ResultSource s;
    s.sideA = {"   1.    1 -    4:05", "   1.    3 -    5:30", "   2.    2 -    4:44"};
    s.sideB = {"   1.    2 -    3:58", "   2.    1 -    6:12"};
    s.totalA = "    .    3 -   14:19";
    s.totalB = "    .    2 -   10:10";
    s.tapeLength = "28.63";
    s.titles[0] = "Morning";
    s.titles[1] = "Evening";
    return s;
}

const std::string kHead = "\tTrack -    Time -  No.: [Disk Title]\r\n";
const std::string kRule = "\t------------------------------------\r\n";
const std::string kSideA = "\x81\x9F\x82\x60\x96\xCA\r\n";  // ◆Ａ面
const std::string kSideB = "\x81\x9F\x82\x61\x96\xCA\r\n";  // ◆Ｂ面
const std::string kTape =
    "\x81\x9F\x8D\xC5\x93\x4B\x83\x65\x81\x5B\x83\x76\x20\x3A\x20";  // ◆最適テープ :
const std::string kMinutes = "\x95\xAA";                             // 分
const std::string kMade = " - ZTP for win32 \x8D\xEC\x90\xAC\r\n";   // 作成

std::string readAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

class TempDir {
public:
    TempDir()
        : path_(fs::temp_directory_path() /
                ("ztp-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }
    std::size_t entries() const {
        return std::distance(fs::directory_iterator(path_), fs::directory_iterator());
    }

private:
    fs::path path_;
};

}  // namespace

TEST(ResultFile, WorkedExampleByteForByte) {
    const std::string want = "Date.1997/05/03" + kMade + "\r\n" + "\r\n" + kTape + "28.63" +
                             kMinutes + "\r\n" + "\r\n" + kSideA + kHead +
                             "\t    1 -    4:05 -    1: Morning\r\n"
                             "\t    3 -    5:30 -    1: Morning\r\n"
                             "\t    2 -    4:44 -    2: Evening\r\n" +
                             kRule + "\t    3 -   14:19\r\n" + kSideB + kHead +
                             "\t    2 -    3:58 -    1: Morning\r\n"
                             "\t    1 -    6:12 -    2: Evening\r\n" +
                             kRule + "\t    2 -   10:10\r\n";
    EXPECT_EQ(resultBytes(workedExample(), Date{1997, 5, 3}), want);
}

TEST(ResultFile, LayoutVariants) {
    ResultSource s = workedExample();
    s.sideA = {};
    s.totalA = "    .    0 -    0:00";
    s.sideB = {"  12.    7 -    3:05", "   1.    2 -    3:58", "  31.    1 -    1:00",
               "   3.    1 -    0:01"};
    s.titles[0] = "";       // confirmed empty
    s.titles[11] = "不明";  // cancelled prompt
    s.titles[2] = "€";      // not in code page 932
    s.totalB = "    .    4 - 10000:00";
    s.tapeLength = "120,00";
    const std::string got = resultBytes(s, Date{2026, 12, 8}, "-");
    EXPECT_EQ(got.substr(0, 16), "Date.2026-12-08 ");
    EXPECT_NE(got.find(kTape + "120,00" + kMinutes + "\r\n"), std::string::npos);
    EXPECT_NE(got.find(kSideA + kHead + kRule + "\t    0 -    0:00\r\n" + kSideB),
              std::string::npos);
    EXPECT_NE(got.find("\t    7 -    3:05 -   12: \x95\x73\x96\xBE\r\n"), std::string::npos);
    EXPECT_NE(got.find("\t    2 -    3:58 -    1: \r\n"), std::string::npos);
    EXPECT_NE(got.find("\t    1 -    1:00 -   31: \r\n"), std::string::npos);  // no disk 31 title
    EXPECT_NE(got.find("\t    1 -    0:01 -    3: ?\r\n"), std::string::npos);
    EXPECT_NE(got.find("\t    4 - 10000:00\r\n"), std::string::npos);  // not cut
    EXPECT_EQ(got.compare(got.size() - 2, 2, "\r\n"), 0);
    EXPECT_EQ(resultBytes(s, Date{1997, 5, 3}, ".").substr(0, 15), "Date.1997.05.03");
}

TEST(ResultFile, FromTheTable) {
    TrackTable t;
    t.addDisk({packMsf(4, 5), packMsf(3, 58), packMsf(5, 30)}, "朝のうた");
    t.ShowSelectTotal();
    t.splitSides(SearchMode::AMen, "100", Engine::Fast);  // all on side B
    const std::string got = resultBytes(resultSource(t), Date{1997, 5, 3});
    EXPECT_NE(got.find(kTape + "27.10" + kMinutes), std::string::npos);
    EXPECT_NE(got.find("\t    3 -    5:30 -    1: \x92\xA9\x82\xCC\x82\xA4\x82\xBD\r\n"),
              std::string::npos);
}

TEST(Cp932, EncodesWithoutBestFit) {
    EXPECT_EQ(utf8ToCp932("abc ~\\"), "abc ~\\");
    EXPECT_EQ(utf8ToCp932("ｱｲ"), "\xB1\xB2");
    EXPECT_EQ(utf8ToCp932("～"), "\x81\x60");  // fullwidth tilde
    EXPECT_EQ(utf8ToCp932("①Ⅰ"), "\x87\x40\x87\x54");
    EXPECT_EQ(utf8ToCp932("é€😀"), "???");
    // As Japanese text from other systems writes them.
    EXPECT_EQ(utf8ToCp932("朝のうた 〜ライブ〜"), utf8ToCp932("朝のうた ～ライブ～"));
    EXPECT_EQ(utf8ToCp932("〜‖−—¢£¬"), "\x81\x60\x81\x61\x81\x7C\x81\x5C\x81\x91\x81\x92\x81\xCA");
    std::u32string unmapped;
    EXPECT_EQ(utf8ToCp932("é〜é€\xFF", &unmapped), "?\x81\x60???");
    EXPECT_EQ(unmapped, U"é€\uFFFD");
    EXPECT_EQ(utf8ToCp932("a\xFF"
                          "b\xE3\x81"),
              "a?b?");
}

TEST(WriteFileReplacing, WritesAndReplacesWhole) {
    TempDir dir;
    const fs::path target = dir.path() / "tape.ztp";
    writeFileReplacing(target, "first, longer content\r\n");
    writeFileReplacing(target, "second\r\n");
    EXPECT_EQ(readAll(target), "second\r\n");
    EXPECT_EQ(dir.entries(), 1u);  // no temporary file left
}

TEST(WriteFileReplacing, FailureLeavesTheEarlierFileAndNoTemporary) {
    TempDir dir;
    const fs::path folder = dir.path() / "folder.ztp";
    fs::create_directory(folder);
    try {
        writeFileReplacing(folder, "x");
        ADD_FAILURE();
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "ﾌｧｲﾙへのｱｸｾｽが拒否されました");
    }
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(dir.entries(), 1u);

    try {
        writeFileReplacing(dir.path() / "missing" / "tape.ztp", "x");
        ADD_FAILURE();
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "I/O ｴﾗｰ (" + std::to_string(e.code()) + ")");
    }
    EXPECT_EQ(dir.entries(), 1u);

    EXPECT_STREQ(ioError(std::make_error_code(std::errc::no_space_on_device)).what(),
                 "ﾃﾞｨｽｸがいっぱいです");
}
