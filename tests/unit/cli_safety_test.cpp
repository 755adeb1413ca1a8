// ztp-plan on what a new user may try: outputs that must not destroy
// anything, failures that must leave nothing half done, text of any bytes,
// inputs without bounds, and the messages for each.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "cli_run.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const char* const kDiscs = "disc Morning\n4:05 3:58 5:30\ndisc Evening\n6:12 4:44\n";

class Safety : public CliRun {
protected:
    void SetUp() override {
        CliRun::SetUp();
        write("d.disc", kDiscs);
    }
    // A WAV file of the given seconds of silence (sparse).
    void wav(const std::string& name, std::uint32_t seconds) {
        const std::uint32_t data = seconds * 44100 * 4;
        std::string h = "RIFF";
        auto le = [&](std::uint32_t v, int bytes) {
            for (int i = 0; i < bytes; ++i) h += static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        le(36 + data, 4), h += "WAVEfmt ", le(16, 4), le(1, 2), le(2, 2), le(44100, 4),
            le(44100 * 4, 4), le(4, 2), le(16, 2), h += "data", le(data, 4);
        write(name, h);
        fs::resize_file(dir / name, h.size() + data);
    }
    std::string temporaries() {
        std::string names;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename().string().rfind(".ztp-plan-", 0) == 0)
                names += e.path().filename().string() + " ";
        return names;
    }
    static int lines(const std::string& s) {
        return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
    }
};

}  // namespace

// Targets: devices, pipes and folders refused; links followed and kept;
// hard links, modes and owners kept; inputs and the other output refused.
TEST_F(Safety, OutputsReplaceOnlyRegularFilesAndNeverAnInput) {
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_directory(dir / "folder.ztp");
    struct Case {
        std::string args, message;
    } refused[] = {
        {"--out /dev/full d.disc",
         "/dev/full is a device, not a file that the result file can replace"},
        {"--out pipe d.disc", "pipe is a named pipe, not a file"},
        {"--out folder.ztp d.disc",
         "folder.ztp is a folder, not a file that the result file can replace"},
        {"--out d.disc d.disc",
         "d.disc is a file this command reads; the result file would replace it"},
        {"--out x.pdf --card x.pdf d.disc", "the result file and the card would both go to x.pdf"},
        {"--out x.pdf --card ./x.pdf d.disc", "would both go to ./x.pdf"},
        {"--card - d.disc", "--card - needs --out FILE"},
    };
    for (const Case& c : refused) {
        const Outcome r = shell("timeout 20 " + std::string(ZTP_PLAN_EXE) + " " + c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_TRUE(r.out.empty()) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << " -> " << r.err;
        EXPECT_EQ(lines(r.err), 1) << r.err;
    }
    struct stat st;
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << "/dev/full is still the device";
    EXPECT_FALSE(fs::exists(dir / "x.pdf"));

    // Every file an image line reads is an input: the sheet, its data file,
    // a playlist and its entries, through links too.
    write("rip.cue", "FILE \"rip.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    write("rip.bin", "");
    fs::resize_file(dir / "rip.bin", 75 * 2352 * 60);
    wav("song.wav", 90);
    write("list.m3u", "song.wav\n");
    write("shelf.disc", "image rip.cue\nimage list.m3u\n");
    fs::create_symlink("rip.bin", dir / "bin.link");
    const std::string before = read(dir / "rip.bin").substr(0, 16);
    for (const char* input :
         {"shelf.disc", "rip.cue", "rip.bin", "list.m3u", "song.wav", "bin.link"}) {
        const Outcome r = run("--out " + std::string(input) + " shelf.disc");
        EXPECT_EQ(r.status, 2) << input;
        EXPECT_NE(r.err.find(std::string(input) + " is a file this command reads"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_EQ(fs::file_size(dir / "rip.bin"), 75u * 2352 * 60);
    ASSERT_EQ(run("--out shelf.ztp shelf.disc").status, 0) << "the shelf itself plans";

    // A link is followed and kept; a hard link is written in place; the
    // mode and the owner stay.
    write("real.ztp", "old");
    fs::permissions(dir / "real.ztp", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(chown((dir / "real.ztp").c_str(), 4321, 4321), 0);
    fs::create_symlink("real.ztp", dir / "link.ztp");
    fs::create_hard_link(dir / "real.ztp", dir / "other-name.ztp");
    Outcome r = run("--date 2001/02/03 --out link.ztp d.disc");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "link.ztp"));
    EXPECT_EQ(read(dir / "real.ztp").substr(0, 15), "Date.2001/02/03");
    EXPECT_EQ(read(dir / "other-name.ztp"), read(dir / "real.ztp"));
    ASSERT_EQ(stat((dir / "real.ztp").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(st.st_nlink, 2u);
    EXPECT_EQ(st.st_uid, 4321u);
    fs::remove(dir / "other-name.ztp");
    ASSERT_EQ(run("--date 2001/02/04 --out real.ztp d.disc").status, 0);
    ASSERT_EQ(stat((dir / "real.ztp").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u) << "replaced by a rename, same mode";
    EXPECT_EQ(st.st_uid, 4321u);

    // "-" is standard output for either output.
    r = run("--out - --date 2001/02/03 d.disc");
    EXPECT_EQ(r.out, read(dir / "real.ztp").replace(14, 1, "3"));
    r = run("--out t.ztp --card - d.disc");
    EXPECT_EQ(r.out.substr(0, 5), "%PDF-");
    EXPECT_EQ(temporaries(), "");
}

// Nothing is written unless everything is: failed writes name the path and
// the system's reason, exit 1, and put back what a step had put in place.
TEST_F(Safety, AFailedOutputLeavesEveryOtherAsItWas) {
    write("keep.ztp", "old");
    Outcome r = run("--out keep.ztp --card /nonexistent/c.pdf d.disc");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(
        r.err,
        "ztp-plan: cannot write /nonexistent/c.pdf: No such file or directory; nothing written\n");
    r = run("--card /nonexistent/c.pdf d.disc");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty()) << "no text card on stdout";

    // The card goes last, to standard output; when that fails the file
    // already renamed into place is put back, a hard-linked one rewritten.
    r = run("--out keep.ztp --card - d.disc >/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(
        r.err,
        "ztp-plan: cannot write to standard output: No space left on device; nothing written\n");
    EXPECT_EQ(read(dir / "keep.ztp"), "old");
    fs::create_hard_link(dir / "keep.ztp", dir / "also.ztp");
    EXPECT_EQ(run("--out keep.ztp --card - d.disc >/dev/full").status, 1);
    EXPECT_EQ(read(dir / "keep.ztp"), "old");
    EXPECT_EQ(read(dir / "also.ztp"), "old");

    // A temporary file that cannot be written whole (the file size limit).
    r = shell("(trap '' XFSZ; ulimit -f 16; exec " + std::string(ZTP_PLAN_EXE) +
              " --out keep.ztp --card c.pdf d.disc)");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ztp-plan: cannot write c.pdf: File too large; nothing written\n");
    EXPECT_EQ(read(dir / "keep.ztp"), "old");
    EXPECT_FALSE(fs::exists(dir / "c.pdf"));

    // A card too long to print: neither file, nor the text on stdout.
    std::string many = "disc Long\n";
    for (int t = 0; t < 130; ++t) many += "1:0" + std::to_string(t % 10) + " ";
    write("many.disc", many + "\n");
    r = run("--card many.pdf many.disc");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("tracks on one side, at most"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("; nothing written"), std::string::npos) << r.err;
    EXPECT_EQ(temporaries(), "");

    const Outcome help = run("--help");
    for (const char* piece :
         {"1 when an output cannot be written", "2 for a\nusage error", "130 when the search",
          "exponentially with the\n                 number of tracks", "at most 1 MiB",
          "at most 255 characters"})
        EXPECT_NE(help.out.find(piece), std::string::npos) << piece;
}

// Disc files are UTF-8; control characters in titles become blanks; input in
// messages is escaped; code page 932 gets the wave dash and its kin, and the
// characters it still lacks are named once.
TEST_F(Safety, TextOfAnyBytes) {
    write("latin1.disc", "disc A\ndisc Caf\xe9\n4:00\n");
    write("sjis.disc", "disc \x83V\x83\x93\x83O\x83\x8b\n4:00\n");
    for (const char* f : {"latin1.disc", "sjis.disc"}) {
        const Outcome r = run("--card c.pdf " + std::string(f));
        EXPECT_EQ(r.status, 2) << f;
        EXPECT_NE(r.err.find(std::string(f) + (f[0] == 'l'
                                                   ? ":2: not UTF-8 text (byte 0xE9 at column 9)"
                                                   : ":1: not UTF-8 text (byte 0x83 at column 6)")),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(lines(r.err), 1) << r.err;
    }
    write("ctl.disc",
          "disc A\rB\x1b[31mC\tD\xc2\x85"
          "E\n4:00\ntrack 3:00 x\x01y\n4:0\x1b\n");
    Outcome r = run("ctl.disc");
    EXPECT_EQ(r.err, "ztp-plan: ctl.disc:4: not a track length M:SS or M:SS:FF '4:0\\x1b'\n");
    write("ctl.disc",
          "disc A\rB\x1b[31mC\tD\xc2\x85"
          "E\x7f\n4:00\ntrack 3:00 x\x01y\n");
    r = run("--card ctl.pdf ctl.disc");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("1: A B [31mC D E \r\n"), std::string::npos) << r.out;
    EXPECT_NE(shell("pdftotext ctl.pdf -").out.find("x y"), std::string::npos);
    write("ctl.disc", "disc x\n4:00\nnoise \x1b\xc2\x9b\0\n"s);
    r = run("ctl.disc");
    EXPECT_NE(r.err.find("unknown line 'noise \\x1b\\u009b\\x00'"), std::string::npos) << r.err;

    write("jp.disc", "disc 朝のうた 〜ライブ〜 ‖−—¢£¬\n4:00\ndisc Café é 한\n3:00\n");
    r = run("jp.disc");
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(
        r.out.find("\x92\xa9\x82\xcc\x82\xa4\x82\xbd \x81\x60\x83\x89\x83\x43\x83\x75\x81\x60 "
                   "\x81\x61\x81\x7c\x81\x5c\x81\x91\x81\x92\x81\xca\r\n"),
        std::string::npos);
    EXPECT_NE(r.out.find("Caf? ? ?\r\n"), std::string::npos);
    EXPECT_EQ(r.err,
              "ztp-plan: note: code page 932 has no form for 'é' (U+00E9), '한' (U+D55C), "
              "written as \"?\" in the result file\n");

    // Sheets without a label: Japanese with half-width katakana beside ASCII
    // and a kanji whose second byte is an ASCII letter ("連" 98 41), and code
    // page 1252 whose accented letters sit inside words.
    write("rip.bin", "");
    fs::resize_file(dir / "rip.bin", 75 * 2352 * 60);
    const std::string track = "FILE \"rip.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    write("jp.cue", "TITLE \"CD\xbc\xdd\xb8\xde\xd9 \x98\x41\x8d\xda\"\n" + track);
    write("latin.cue",
          "TITLE \"Cr\xe8me Br\xfbl\xe9"
          "e, Don\x92t\"\n" +
              track);
    EXPECT_EQ(run("read jp.cue").out, "disc CDｼﾝｸﾞﾙ 連載\n1:00:00\n");
    EXPECT_EQ(run("read latin.cue").out, "disc Crème Brûlée, Don’t\n1:00:00\n");
}

// Disc files (and ztp.exe's ZTP_DISCS, which reads them the same way) are
// read only from regular files of at most 1 MiB; titles hold 255 characters.
TEST_F(Safety, BoundedInput) {
    ASSERT_EQ(mkfifo((dir / "pipe.disc").c_str(), 0600), 0);
    fs::create_directory(dir / "folder.disc");
    write("big.disc", "disc A\n4:00\n# " + std::string((1 << 20) - 14, 'x') + "\n");
    write("fits.disc", "disc A\n4:00\n# " + std::string((1 << 20) - 15, 'x') + "\n");
    const std::string t255 = std::string(253, 'x') + "𝄞";  // a character beyond U+FFFF counts twice
    write("long.disc", "disc " + t255 + "\n4:00\ntrack 1:00 " + t255 + "y\n");
    write("titles.disc", "disc " + t255 + "\n4:00\ntrack 1:00 " + t255 + "\n");
    struct Case {
        std::string file, message;
    } cases[] = {
        {"/dev/zero",
         "/dev/zero: a device, not a disc file (disc files are read only from regular files)"},
        {"pipe.disc",
         "pipe.disc: a named pipe, not a disc file (disc files are read only from regular files)"},
        {"folder.disc", "folder.disc: is a folder, not a disc file"},
        {"big.disc", "big.disc: larger than a disc file may be (at most 1 MiB)"},
        {"long.disc", "long.disc:3: a song title of 256 characters; a title holds at most 255"},
        {"none.disc", "none.disc: cannot read the disc file (No such file or directory)"},
    };
    for (const Case& c : cases) {
        const Outcome r = shell("timeout 20 " + std::string(ZTP_PLAN_EXE) + " " + c.file);
        EXPECT_EQ(r.status, 2) << c.file;
        EXPECT_EQ(r.err, "ztp-plan: " + c.message + "\n");
    }
    EXPECT_EQ(run("fits.disc").status, 0);
    const Outcome r = run("titles.disc");
    EXPECT_EQ(r.status, 0) << r.err;
    // Titles read from sources are cut to the same bound.
    write("rip.bin", "");
    fs::resize_file(dir / "rip.bin", 75 * 2352 * 60);
    write("rip.cue", "TITLE \"" + std::string(300, 'z') +
                         "\"\nFILE \"rip.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    EXPECT_EQ(run("read rip.cue").out, "disc " + std::string(255, 'z') + "\n1:00:00\n");
}

// Messages that say what happened, naming what was given.
TEST_F(Safety, MessagesSayWhatHappened) {
    fs::create_directory(dir / "empty folder");
    write("k1.disc", "disk Typo\n");
    write("k2.disc", "DISC x\n");
    write("k3.disc", "disc\tx\n4:00\n");
    write("k4.disc", "disc a\n  track 1:00\n");
    write("k5.disc", "disc a\nfoo 1:00\n");
    struct Case {
        std::string args, message;
    } cases[] = {
        {"k1.disc", "k1.disc:1: unknown line 'disk Typo' (did you mean 'disc Typo'?)"},
        {"k2.disc",
         "k2.disc:1: unknown line 'DISC x' (did you mean 'disc x'? keywords are lower case)"},
        {"k3.disc",
         "k3.disc:1: unknown line 'disc\\tx' (did you mean 'disc x'? one blank, not a tab, follows "
         "the keyword)"},
        {"k4.disc",
         "k4.disc:2: unknown line '  track 1:00' (did you mean 'track 1:00'? a keyword starts the "
         "line)"},
        {"k5.disc",
         "k5.disc:2: unknown line 'foo 1:00' (a line is 'disc TITLE', 'track M:SS TITLE', 'image "
         "PATH', 'empty', track lengths or a # comment)"},
        {"read 'empty folder'", "empty folder: no audio files in the folder"},
        {"read nowhere", "nowhere: no such file, folder or CD drive"},
        {"read /dev/null", "/dev/null: a device that is not a CD drive"},
        {"read -- -x.cue", "-x.cue: no such image file"},
        {"--mode d.disc",
         "--mode must be equal, a or b, not 'd.disc' (is --mode missing its value?)"},
        {"--out d.disc", "no disc file given (--out took 'd.disc' as its value)"},
        {"--out --card c.pdf d.disc", "--out needs a value before the option '--card'"},
        {"--mode a --tape 46.5 d.disc", "--tape: '46.5' は整数ではありません"},
        {"--date 2024/02/30 d.disc",
         "--date 2024/02/30: not a day of the calendar (2024/02 has 29 days)"},
        {"--date 2023/13/01 d.disc", "--date 2023/13/01: months run from 01 to 12"},
        {"--card= d.disc", "--card needs a file name (.pdf, .svg or .png, or -)"},
        {"--out= d.disc", "--out needs a file name (- for standard output)"},
        {"--paper A5 --card c.pdf d.disc", "--paper must be a4 or letter, not 'A5'"},
        {"--frob=1 d.disc", "unknown option '--frob=1' (see --help)"},
        {"\"$(printf 'd\\033.disc')\"",
         "d\\x1b.disc: cannot read the disc file (No such file or directory)"},
    };
    for (const Case& c : cases) {
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.err, "ztp-plan: " + c.message + "\n") << c.args;
    }
    EXPECT_EQ(run("--date 2024/02/29 --paper A4 --card c.pdf -- d.disc").status, 0);
    EXPECT_EQ(run("--mode a --tape=-46 d.disc").status, 0);
}
