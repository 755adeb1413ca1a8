// ztp-plan as a user runs it: exit codes, messages and files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string out;
};

class ZtpPlan : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("ztp-cli-"s + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return dir / name;
    }
    std::string read(const fs::path& p) {
        std::ifstream f(p, std::ios::binary);
        std::ostringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    Outcome run(const std::string& args, const std::string& prefix = "") {
        const std::string cmd =
            prefix + std::string(ZTP_PLAN_EXE) + " " + args + " 2>" + (dir / "err").string();
        FILE* p = popen(cmd.c_str(), "r");
        std::string out;
        char buf[4096];
        for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        const int status = pclose(p);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
    }
    std::string err() { return read(dir / "err"); }

    fs::path dir;
};

const char* const kTwoDiscs = "disc Morning\n4:05 3:58 5:30\ndisc Evening\n6:12 4:44\n";

}  // namespace

TEST_F(ZtpPlan, WritesTheSplitToAFileOrStandardOutput) {
    const fs::path discs = write("d.disc", "disc A\n5:00 3:20 1:40\n");
    const fs::path out = dir / "tape.ztp";
    Outcome r = run("--date 1997/05/03 --out " + out.string() + " " + discs.string());
    ASSERT_EQ(r.status, 0) << err();
    const std::string file = read(out);
    EXPECT_EQ(file.substr(0, 17), "Date.1997/05/03 -");
    EXPECT_NE(file.find("10.00\x95\xAA\r\n"), std::string::npos);
    EXPECT_NE(
        file.find("\x81\x9F\x82\x60\x96\xCA\r\n"
                  "\tTrack -    Time -  No.: [Disk Title]\r\n\t    1 -    5:00 -    1: A\r\n"),
        std::string::npos);
    Outcome toStdout = run("--date=1997/05/03 " + discs.string());
    EXPECT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.out, file);
}

TEST_F(ZtpPlan, ModesTapeFormsAndEngines) {
    const fs::path discs = write("d.disc", "disc A\n5:00 3:20 1:40\n");
    // Side B first, tape 10 (T = 300): track 1 alone on side B.
    for (const char* tape : {"--tape 10", "--tape=' 10 '", "--tape '$A'"}) {
        for (const char* engine : {"", "--engine literal", "--engine fast"}) {
            Outcome r =
                run("--mode b "s + tape + " " + engine + " --date 2000/01/02 " + discs.string());
            ASSERT_EQ(r.status, 0) << tape << engine << err();
            const std::size_t b = r.out.find("\x81\x9F\x82\x61\x96\xCA");
            ASSERT_NE(b, std::string::npos);
            EXPECT_NE(r.out.find("\t    1 -    5:00 -    1: A\r\n", b), std::string::npos)
                << tape << engine;
        }
    }
    Outcome neg = run("--mode a --tape=-46 " + discs.string());
    EXPECT_EQ(neg.status, 0) << err();
}

TEST_F(ZtpPlan, BadInputExitsTwoWithOneLineAndNoFile) {
    const fs::path good = write("good.disc", kTwoDiscs);
    const fs::path bad = write("bad.disc", "disc X\n4:05 4:61\n");
    std::string tooMany;
    for (int i = 0; i < 31; ++i) tooMany += "disc\n1:00\n";
    const fs::path manyDisks = write("many.disc", tooMany);
    std::string bigDiscs;
    for (int d = 0; d < 9; ++d) {
        bigDiscs += "disc\n";
        for (int t = 0; t < 255; ++t) bigDiscs += "0:01 ";
        bigDiscs += "\n";
    }
    const fs::path manyTracks = write("tracks.disc", bigDiscs);
    const fs::path out = dir / "out.ztp";
    struct Case {
        std::string args, message;
    } cases[] = {
        {"", "no disc file"},
        {"--mode a " + good.string(), "needs --tape"},
        {"--mode c " + good.string(), "--mode must be"},
        {"--mode a --tape 46.5 " + good.string(), "'46.5' は整数ではありません"},
        {"--mode b --tape '' " + good.string(), "'' は整数ではありません"},
        {"--tape", "needs a value"},
        {"--date 1997-05-03 " + good.string(), "--date wants"},
        {"--engine slow " + good.string(), "--engine must be"},
        {"--frobnicate " + good.string(), "unknown option"},
        {good.string() + " " + good.string(), "only one disc file"},
        {bad.string(), "bad.disc:2: not a track length M:SS or M:SS:FF '4:61'"},
        {(dir / "none.disc").string(), "cannot read"},
        {manyDisks.string(), "30 disks"},
        {manyTracks.string(), "2048 tracks"},
    };
    for (const Case& c : cases) {
        Outcome r = run("--out " + out.string() + " " + c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        const std::string e = err();
        EXPECT_NE(e.find(c.message), std::string::npos) << c.args << " -> " << e;
        EXPECT_EQ(std::count(e.begin(), e.end(), '\n'), 1) << e;
        EXPECT_FALSE(fs::exists(out)) << c.args;
    }
}

TEST_F(ZtpPlan, FailedWriteKeepsTheEarlierFile) {
    const fs::path good = write("good.disc", kTwoDiscs);
    fs::create_directory(dir / "taken.ztp");
    Outcome r = run("--out " + (dir / "taken.ztp").string() + " " + good.string());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(err().find("taken.ztp is a folder, not a file that the result file can replace"),
              std::string::npos)
        << err();
    EXPECT_TRUE(fs::is_directory(dir / "taken.ztp"));
    Outcome help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("disc TITLE"), std::string::npos);
}

// A search stopped by Ctrl+C: a message, status 130, no file; with stderr not
// a terminal no progress line. The literal search on 14 tracks and a long
// tape would walk 14! orderings.
TEST_F(ZtpPlan, CtrlCStopsTheSearchWithoutAFile) {
    const fs::path discs =
        write("d.disc",
              "disc A\n4:05 3:58 5:30 6:12 4:44 3:21 4:12 5:02 3:47 4:29 6:12 3:33 4:58 2:15\n");
    const fs::path out = dir / "tape.ztp";
    const Outcome r =
        run("--mode a --tape 600 --engine literal --out " + out.string() + " " + discs.string(),
            "timeout --preserve-status -s INT 1 ");
    EXPECT_EQ(r.status, 130) << err();
    EXPECT_EQ(err(), "ztp-plan: search cancelled (Ctrl+C); no result written\n");
    EXPECT_FALSE(fs::exists(out));
}
