// ztp-plan read over rips made here in every layout rippers write: each
// layout of a disc gives the lengths a drive gives, with its titles.
#include <sys/stat.h>

#include "cli_run.h"
#include "rip_maker.h"

namespace fs = std::filesystem;
using rips::Data;
using rips::Maker;

namespace {

class RipRead : public CliRun {
protected:
    // What read prints for a disc of these lengths and song titles.
    static std::string expected(const std::string& title, const std::vector<long>& lengths,
                                const std::vector<std::string>& songs) {
        std::string s = "disc " + title + "\n";
        for (std::size_t i = 0; i < lengths.size(); ++i)
            s += "track " + rips::length(lengths[i]) +
                 (i < songs.size() && !songs[i].empty() ? " " + songs[i] : "") + "\n";
        return s;
    }
    Outcome readOk(const std::string& source) {
        Outcome r = run("read '" + source + "'");
        EXPECT_EQ(r.status, 0) << source << ": " << r.err;
        return r;
    }
};

// Hidden audio before track 1, gaps of 2 s, none and 37 frames.
const rips::Disc kAlbum{
    "", "", {{300, 1000, ""}, {150, 1500, ""}, {0, 500, ""}, {37, 1200, ""}}, 0};

}  // namespace

TEST_F(RipRead, EveryLayoutGivesTheLengthsADriveGivesWithItsTitles) {
    const std::vector<long> lengths = kAlbum.lengths();
    ASSERT_EQ(lengths, (std::vector<long>{1150, 1500, 537, 1200}));
    // Titles in each encoding a sheet is saved in.
    const std::vector<std::string> jp = {"朝の光", "夏のソング", "ｱｲｳ ｴｵ", "\"引用\" の歌"};
    const std::vector<std::string> latin = {"Björk", "Renée", "Jürgen", "Édith à Paris"};
    const std::vector<std::string> quoted = {"朝の光", "夏のソング", "ｱｲｳ ｴｵ", "\\\"引用\\\" の歌"};
    auto in = [](const std::vector<std::string>& v, const char* code) {
        std::vector<std::string> out;
        for (const std::string& s : v) out.push_back(rips::encode(s, code));
        return out;
    };
    const std::string headJp =
        "REM GENRE Folk\nREM DATE 1997\nCATALOG 4988001234567\nPERFORMER \"山田\"\nTITLE "
        "\"朝のうた\"\n";
    const std::string headLatin = "PERFORMER \"Anon\"\nTITLE \"Café Noir\"\nCDTEXTFILE \"x.cdt\"\n";
    struct Layout {
        std::string sheet, title;
        const std::vector<std::string>* songs;
    };
    std::vector<Layout> layouts;
    auto maker = [&](const char* sub) { return Maker(dir / sub, kAlbum); };
    using G = Maker::Gaps;
    // UTF-8 with a byte-order mark and CR LF, lowercase keywords.
    {
        const std::string text = read(maker("image").cueImage("album", Data::Bin, headJp, quoted));
        std::string crlf;
        for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        for (const char* word : {"TRACK", "INDEX", "FILE", "BINARY", "AUDIO"})
            for (std::size_t at; (at = crlf.find(word)) != std::string::npos;)
                for (std::size_t k = 0; word[k]; ++k)
                    crlf[at + k] = static_cast<char>(std::tolower(word[k]));
        write("image/album.cue", "\xEF\xBB\xBF" + crlf);
        layouts.push_back({(dir / "image/album.cue").string(), "朝のうた", &jp});
    }
    layouts.push_back({maker("wav").cueImage("album", Data::Wav, rips::encode(headJp, "CP932"),
                                             in(quoted, "CP932")),
                       "朝のうた", &jp});
    layouts.push_back(
        {maker("flac").cueImage("album", Data::Flac, rips::encode(headLatin, "CP1252"),
                                in(latin, "CP1252")),
         "Café Noir", &latin});
    layouts.push_back(
        {maker("appended").cuePerTrack("album", G::Appended, Data::Wav, headJp, quoted), "朝のうた",
         &jp});
    layouts.push_back({maker("prepended")
                           .cuePerTrack("album", G::Prepended, Data::Flac,
                                        rips::encode(headJp, "CP932"), in(quoted, "CP932")),
                       "朝のうた", &jp});
    layouts.push_back(
        {maker("pregap").cuePerTrack("album", G::LeftOutWithPregap, Data::Bin, headLatin, latin),
         "Café Noir", &latin});
    // cdrdao: octal escapes of UTF-8, code page 932 and Latin-1 bytes.
    auto octal = [](const std::string& s) {
        std::string out;
        for (unsigned char c : s) {
            char e[8];
            std::snprintf(e, sizeof e, "\\%03o", c);
            out += c >= 0x80 || c == '\\' ? std::string(e)
                   : c == '"'             ? std::string("\\\"")
                                          : std::string(1, static_cast<char>(c));
        }
        return out;
    };
    auto octalAll = [&](const std::vector<std::string>& v, const char* code) {
        std::vector<std::string> out;
        for (const std::string& s : v) out.push_back(octal(code ? rips::encode(s, code) : s));
        return out;
    };
    layouts.push_back(
        {maker("toc").toc("album", Maker::Toc::Image, "    TITLE \"" + octal("朝のうた") + "\"\n",
                          octalAll(jp, nullptr)),
         "朝のうた", &jp});
    layouts.push_back(
        {maker("tocwav").toc("album", Maker::Toc::PerTrackWav,
                             "    TITLE \"" + octal(rips::encode("朝のうた", "CP932")) + "\"\n",
                             octalAll(jp, "CP932")),
         "朝のうた", &jp});
    layouts.push_back({maker("tocsilence")
                           .toc("album", Maker::Toc::SilenceThenFile,
                                "    TITLE \"" + octal(rips::encode("Café Noir", "CP1252")) +
                                    "\"\n    PERFORMER \"Anon\"\n",
                                octalAll(latin, "CP1252")),
                       "Café Noir", &latin});

    for (const Layout& l : layouts) {
        Outcome r = readOk(l.sheet);
        EXPECT_EQ(r.out, expected(l.title, lengths, *l.songs)) << l.sheet;
        EXPECT_EQ(r.err, "") << l.sheet;
    }

    // Gaps left out with no PREGAP lines: the files' lengths, and a note.
    Outcome bare = readOk(maker("bare").cuePerTrack("album", G::LeftOut, Data::Wav, "", {}));
    EXPECT_EQ(bare.out, "disc 不明\n0:13:25 0:20:00 0:06:50 0:16:00\n");
    EXPECT_NE(bare.err.find("holds no gaps between its tracks"), std::string::npos) << bare.err;

    // A disc file of image lines plans every layout: the same 4 tracks each.
    std::string shelf;
    for (std::size_t i = 0; i < 8; ++i)
        shelf += "image " + fs::relative(layouts[i].sheet, dir).string() + "\n";
    write("shelf.disc", shelf);
    Outcome plan = run("--out shelf.ztp --card shelf.pdf shelf.disc");
    ASSERT_EQ(plan.status, 0) << plan.err;
    const std::string card = shell("pdftotext -layout shelf.pdf -").out;
    for (const char* piece :
         {"8-4", "1-1", "朝の光", "夏のソング", "Björk", "Édith à Paris", "6 Café Noir"})
        EXPECT_NE(card.find(piece), std::string::npos) << piece << "\n" << card;
}

TEST_F(RipRead, CdExtraAndFileNamesAsRippersWriteThem) {
    // A CD-Extra: the audio ends where its data ends, in one image (the data
    // track in the second session after its own gap) or a file a track.
    const rips::Disc extra{"", "", {{0, 900, ""}, {75, 800, ""}}, 2000};
    const std::string want = "disc 不明\n0:13:00 0:10:50\n";
    for (const std::string& sheet :
         {Maker(dir / "x1", extra).cueImage("extra", Data::Bin, "", {}),
          Maker(dir / "x2", extra).cuePerTrack("extra", Maker::Gaps::Appended, Data::Bin, "", {}),
          Maker(dir / "x3", extra)
              .cuePerTrack("extra", Maker::Gaps::Prepended, Data::Wav, "", {})}) {
        Outcome r = readOk(sheet);
        EXPECT_EQ(r.out, want) << sheet;
        EXPECT_EQ(r.err,
                  "ztp-plan: note: " + sheet + ": track 3 is a data track and is left out\n");
    }
    // A data track first (a mixed-mode disc) is left out too.
    Maker(dir, kAlbum).data("mixed.bin", 3000, Data::Bin);
    write("mixed.cue",
          "FILE \"mixed.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"
          "  TRACK 02 AUDIO\n    INDEX 00 00:10:00\n    INDEX 01 00:12:00\n");
    EXPECT_EQ(readOk("mixed.cue").out, "disc 不明\n0:28:00\n");

    // A TOC file with data tracks before and after the audio: DATAFILE with
    // a length and without, audio at a byte offset in the same file.
    write("mixed.toc",
          "CD_ROM\nCATALOG \"0000000000000\"\nTRACK MODE1\nDATAFILE \"mixed.bin\" 00:10:00\n"
          "TRACK AUDIO\nPREGAP 00:02:00\nFILE \"mixed.bin\" #1536000 0 00:20:00\nTRACK "
          "MODE1\nDATAFILE \"tail.bin\"\n");
    write("tail.bin", std::string(100 * 2048, '\0'));
    fs::resize_file(dir / "mixed.bin", 1536000 + 1500 * 2352);
    Outcome toc = readOk("mixed.toc");
    EXPECT_EQ(toc.out, "disc 不明\n0:20:00\n");
    EXPECT_EQ(toc.err,
              "ztp-plan: note: mixed.toc: track 1 is a data track and is left out\n"
              "ztp-plan: note: mixed.toc: track 3 is a data track and is left out\n");

    // FILE lines honoured whatever the sheet's name; Windows folders, other
    // letter case and a bare name beside the sheet, each with a note.
    Maker m(dir, kAlbum);
    m.data("sub/One.bin", 1000, Data::Bin);
    m.data("two.wav", 500, Data::Wav);
    m.data("basic.bin", 600, Data::Bin);
    m.data("My Album (1997).bin", 9000, Data::Bin);
    write("My Album (1997).cue", "FILE \"basic.bin\" BINARY\n TRACK 1 AUDIO\n  INDEX 1 00:00:00\n");
    Outcome named = readOk("My Album (1997).cue");
    EXPECT_EQ(named.out, "disc 不明\n0:08:00\n")
        << "read from basic.bin, not the .bin of the sheet's name";
    write("names.cue",
          "FILE \"SUB\\one.BIN\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
          "FILE \"D:\\Rips\\two.wav\" WAVE\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n");
    Outcome r = readOk("names.cue");
    EXPECT_EQ(r.out, "disc 不明\n0:13:25 0:06:50\n");
    EXPECT_NE(r.err.find("names.cue: \"SUB\\one.BIN\" is read as sub/One.bin"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("\"D:\\Rips\\two.wav\" is read as two.wav"), std::string::npos) << r.err;

    // Sheets numbered from a high track, PREGAP and POSTGAP, escaped quotes.
    write("late.cue",
          "FILE \"basic.bin\" BINARY\n  TRACK 70 AUDIO\n    TITLE \"Say \\\"hi\\\"\"\n    INDEX 01 "
          "00:00:00\n"
          "    POSTGAP 00:01:00\n  TRACK 99 AUDIO\n    PREGAP 00:02:00\n    INDEX 01 00:04:00\n");
    EXPECT_EQ(readOk("late.cue").out, "disc 不明\ntrack 0:07:00 Say \"hi\"\ntrack 0:04:00\n");
}

TEST_F(RipRead, BadDataFilesAreRefusedInOneLine) {
    Maker m(dir, kAlbum);
    m.data("ok.bin", 750, Data::Bin);
    ASSERT_EQ(mkfifo((dir / "fifo.bin").c_str(), 0600), 0);
    fs::create_directory(dir / "folder.bin");
    write("fifo.cue", "FILE \"fifo.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    write("folder.cue", "FILE \"folder.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    write("three.toc", "CD_ROM\nTRACK MODE2\nDATAFILE \"d.bin\"\n");
    write("data.toc", "CD_ROM\nTRACK MODE2\nDATAFILE \"ok.bin\"\n");
    write("notwav.cue", "FILE \"ok.bin\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    write("bad.toc", "CD_DA\nTRACK AUDIO\nFILE \"ok.bin\" 0 00:20:00\n");
    write("words.cue", "FILE \"ok.bin\" BINARY\n  TRACK 01 AUDIO\n  FROB 1\n");
    write("noindex.cue",
          "FILE \"ok.bin\" BINARY\n  TRACK 01 AUDIO\n  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n");
    write("order.cue",
          "FILE \"ok.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n  TRACK 01 AUDIO\n    "
          "INDEX 01 00:01:00\n");
    write("text.toc", "CD_DA\nCD_TEXT { LANGUAGE 0 { TITLE \"open\n");
    write("map.toc",
          "CD_DA\nCD_TEXT { LANGUAGE_MAP { 1:6666666666 } }\nTRACK AUDIO\nSILENCE 44100\n");
    struct Case {
        std::string args, message;
    } cases[] = {
        {"read fifo.cue", "fifo.bin: not a regular file"},
        {"read folder.cue", "folder.bin: is a folder, not a file"},
        {"read three.toc", "three.toc: its data file d.bin is missing"},
        {"read data.toc", "data.toc: no audio track on the disc"},
        {"read notwav.cue", "ok.bin: cannot be decoded"},
        {"read bad.toc", "bad.toc: track 1 reads past the end of its data file"},
        {"read words.cue", "words.cue: cannot read the image (line 3: unknown command 'FROB')"},
        {"read noindex.cue",
         "noindex.cue: cannot read the image (line 3: track 1 has no INDEX 01)"},
        {"read order.cue", "order.cue: cannot read the image (line 4: TRACK 01 out of order)"},
        {"read text.toc",
         "text.toc: malformed table of contents (line 2: a string without its closing quote)"},
        {"read map.toc",
         "map.toc: malformed table of contents (line 2: bad language map '1:6666666666')"},
    };
    for (const Case& c : cases) {
        Outcome r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << " -> " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}
