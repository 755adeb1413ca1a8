// ztp-plan read and "image" lines over CD images built here: cue sheets and
// TOC files over sparse data files, and Nero images.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "cli_run.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kRawFrame = 2352;

class ImageRead : public CliRun {
protected:
    // A data file of the given number of raw CD frames, sparse.
    void sparse(const std::string& name, std::uintmax_t frames) {
        write(name, "");
        fs::resize_file(dir / name, frames * kRawFrame);
    }
    // A cue sheet NAME.cue over NAME.bin of three minutes.
    void cue(const std::string& name, const std::string& head, const std::string& tracks) {
        sparse(name + ".bin", 3 * 60 * 75);
        write(name + ".cue", head + "FILE \"" + name + ".bin\" BINARY\n" + tracks);
    }
    // A Nero image (footer chunks ETN2, SINF, END!) of tracks {frames, mode}:
    // mode 7 audio, 0 mode-1 data.
    void nero(const std::string& name,
              const std::vector<std::pair<std::uint32_t, std::uint32_t>>& tracks,
              bool truncateChunk = false) {
        std::string chunks, entries;
        auto be = [](std::string& s, std::uint64_t v, int bytes) {
            for (int i = bytes - 1; i >= 0; --i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        std::uint64_t offset = 0;
        std::uint32_t lsn = 0;
        for (auto [frames, mode] : tracks) {
            const std::uint64_t size = frames * std::uint64_t(mode == 7 ? 2352 : 2048);
            be(entries, offset, 8), be(entries, size, 8), be(entries, mode, 4), be(entries, lsn, 4),
                be(entries, 0, 8);
            offset += size;
            lsn += frames;
        }
        chunks += "ETN2", be(chunks, entries.size() + (truncateChunk ? 4000 : 0), 4),
            chunks += entries;
        chunks += "SINF", be(chunks, 4, 4), be(chunks, 1, 4);
        chunks += "END!", be(chunks, 0, 4);
        chunks += "NER5", be(chunks, offset, 8);
        sparse(name, 0);
        fs::resize_file(dir / name, offset);
        std::ofstream(dir / name, std::ios::binary | std::ios::app) << chunks;
    }
};

const char* const kAlbumTracks =
    "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
    "  TRACK 02 AUDIO\n    INDEX 00 01:00:00\n    INDEX 01 01:02:00\n"
    "  TRACK 03 AUDIO\n    INDEX 01 02:00:00\n"
    "  TRACK 04 MODE1/2352\n    INDEX 01 02:30:10\n";

}  // namespace

TEST_F(ImageRead, CueSheetsGiveTitlesAndAudioLengthsFromTheTableOfContents) {
    // Track 2's pregap (index 0) counts to track 1, as the drive's table of
    // contents has it; the data track is left out with a note.
    cue("album", "REM by hand\nPERFORMER \"x\"\nTITLE \"朝のうた\"\n", kAlbumTracks);
    Outcome r = run("read album.cue");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "disc 朝のうた\n1:02:00 0:58:00 0:30:10\n");
    EXPECT_EQ(r.err, "ztp-plan: note: album.cue: track 4 is a data track and is left out\n");
    EXPECT_EQ(run("read album.bin").out, r.out) << "the .bin opens with its cue sheet";

    // Titles saved as code page 932 (a 0x5C trail byte too) and as Latin-1.
    cue("sjis", "TITLE \"\x89\xc4\x82\xcc\x83\x5c\x83\x93\x83\x4f\"\n",
        "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    EXPECT_EQ(run("read sjis.cue").out, "disc 夏のソング\n3:00:00\n");
    cue("latin", "TITLE \"Caf\xe9\"\n", "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    EXPECT_EQ(run("read latin.cue").out, "disc Café\n3:00:00\n");

    // Without CD-Text: --title, else 不明. Eleven tracks wrap after ten.
    std::string many;
    for (int t = 1; t <= 11; ++t) {
        char line[64];
        std::snprintf(line, sizeof line, "  TRACK %02d AUDIO\n    INDEX 01 %02d:%02d:00\n", t,
                      (t - 1) / 6, (t - 1) % 6 * 10);
        many += line;
    }
    cue("plain", "", many);
    EXPECT_EQ(run("read --title 'My Mix' plain.cue").out,
              "disc My Mix\n0:10:00 0:10:00 0:10:00 0:10:00 0:10:00 0:10:00 0:10:00 0:10:00 "
              "0:10:00 0:10:00\n1:20:00\n");
    EXPECT_EQ(run("read plain.cue").out.substr(0, 12), "disc 不明\n");
}

TEST_F(ImageRead, TocFilesAndNeroImages) {
    // A cdrdao TOC file in another folder, naming its data file relative to
    // that folder; START marks track 2's pregap.
    sparse("rips/evening.bin", 3 * 60 * 75);
    write("rips/evening.toc",
          "CD_DA\nCD_TEXT {\n  LANGUAGE_MAP { 0 : 9 }\n  LANGUAGE 0 {\n    TITLE \"Evening "
          "Standards\"\n  }\n}\n"
          "// track 1\nTRACK AUDIO\nFILE \"evening.bin\" 0 01:00:00\n"
          "TRACK AUDIO\nFILE \"evening.bin\" 01:00:00 01:30:00\nSTART 00:02:00\n"
          "TRACK AUDIO\nFILE \"evening.bin\" 02:30:00 00:30:00\n");
    Outcome toc = run("read rips/evening.toc");
    ASSERT_EQ(toc.status, 0) << toc.err;
    EXPECT_EQ(toc.out, "disc Evening Standards\n1:02:00 1:28:00 0:30:00\n");

    // A track-at-once Nero image: two seconds between tracks, a data track.
    nero("live.nrg", {{4500, 7}, {3000, 7}, {1500, 0}});
    Outcome nrg = run("read --title=Live live.nrg");
    ASSERT_EQ(nrg.status, 0) << nrg.err;
    EXPECT_EQ(nrg.out, "disc Live\n1:02:00 0:42:00\n");
    EXPECT_NE(nrg.err.find("track 3 is a data track"), std::string::npos);
}

TEST_F(ImageRead, ImageLinesPlanAShelfOfRips) {
    cue("rips/album", "TITLE \"Morning\"\n", kAlbumTracks);
    nero("rips/live.nrg", {{4500, 7}, {3000, 7}});
    write("shelf.disc",
          "# a shelf\nimage rips/album.cue\ndisc Single\n4:31 3:59\nimage rips/live.nrg\n");
    // Run from elsewhere: image paths are relative to the disc file.
    Outcome r = shell("cd / && " + std::string(ZTP_PLAN_EXE) + " --date 2001/02/03 " +
                      (dir / "shelf.disc").string());
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line :
         {"\t    1 -    1:02 -    1: Morning\r\n", "\t    3 -    0:30 -    1: Morning\r\n",
          "\t    1 -    4:31 -    2: Single\r\n", "\t    2 -    0:40 -    3: \x95\x73\x96\xbe\r\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    int lines = 0;
    for (const char* disc : {" -    1: ", " -    2: ", " -    3: "})
        for (std::size_t at = 0; (at = r.out.find(disc, at)) != std::string::npos; ++at) ++lines;
    EXPECT_EQ(lines, 7) << "every audio track is planned";
    EXPECT_NE(r.err.find("track 4 is a data track"), std::string::npos);

    write("mixed.disc", "image rips/album.cue\n4:05\n");
    Outcome after = run("mixed.disc");
    EXPECT_EQ(after.status, 2);
    EXPECT_NE(after.err.find("mixed.disc:2: track lengths after 'image' '4:05'"), std::string::npos)
        << after.err;
}

TEST_F(ImageRead, BadSourcesExitTwoWithOneLineAndNothingWritten) {
    cue("dataonly", "", "  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n");
    cue("garbled", "", "  TRACK xx AUDIO\n    INDEX 01 00:00:00\n");
    cue("short", "",
        "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 09:00:00\n");
    cue("empty", "", "");
    write("lonely.cue", "FILE \"lonely.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    sparse("orphan.bin", 75);
    write("notes.txt", "hello\n");
    nero("cut.nrg", {{4500, 7}}, true);
    write("fake.nrg", std::string(64, 'x'));
    write("bad.disc", "disc A\n1:00\nimage nowhere.cue\n");
    struct Case {
        std::string args, message;
    } cases[] = {
        {"read nowhere.cue", "nowhere.cue: no such image file"},
        {"read lonely.cue", "lonely.cue: its data file lonely.bin is missing"},
        {"read orphan.bin", "orphan.bin: no cue sheet orphan.cue beside it"},
        {"read dataonly.cue", "dataonly.cue: no audio track on the disc"},
        {"read garbled.cue", "garbled.cue: cannot read the image"},
        {"read short.cue",
         "short.cue: malformed table of contents (track 2 starts past the end of the data)"},
        {"read empty.cue", "empty.cue: no track on the disc"},
        {"read notes.txt", "notes.txt: not a CD image"},
        {"read cut.nrg", "cut.nrg: malformed Nero image (chunk ETN2 runs past the footer)"},
        {"read fake.nrg", "fake.nrg: malformed Nero image (no NER5 or NERO mark at its end)"},
        {"read /dev/ztp-no-such-drive", "/dev/ztp-no-such-drive: no such file, folder or CD drive"},
        {"read a.cue b.cue", "read takes one source"},
        {"read --title", "--title needs a value"},
        {"read --fast x.cue", "unknown option --fast of read"},
        {"--out out.ztp bad.disc", "bad.disc:3: "},
    };
    for (const Case& c : cases) {
        Outcome r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_TRUE(r.out.empty()) << c.args << " -> " << r.out;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << " -> " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_NE(run("--out out.ztp bad.disc").err.find("nowhere.cue: no such image file"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "out.ztp"));
}
