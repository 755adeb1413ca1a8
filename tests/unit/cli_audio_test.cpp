// ztp-plan read over audio files, folders and playlists made here: lengths
// from the audio, sample-exact, titles from the tags; disc files with song
// titles read back to the same disc and reach the card.
#include <sndfile.h>
#include <sys/stat.h>
#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include "cli_run.h"

namespace fs = std::filesystem;

namespace {

class AudioRead : public CliRun {
protected:
    // An audio file of `samples` sample frames of a low tone, with tags.
    void audio(const std::string& name, int format, int rate, long samples,
               const std::string& title = "", const std::string& artist = "",
               const std::string& album = "", int track = 0) {
        const fs::path p = dir / name;
        fs::create_directories(p.parent_path());
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = 2;
        info.format = format;
        SNDFILE* f = sf_open(p.c_str(), SFM_WRITE, &info);
        ASSERT_NE(f, nullptr) << name << ": " << sf_strerror(nullptr);
        std::vector<short> buf(2 * 4096);
        for (long at = 0; at < samples;) {
            const long n = std::min<long>(4096, samples - at);
            for (long i = 0; i < 2 * n; ++i)
                buf[i] = static_cast<short>(((at * 2 + i) % 200) * 50 - 5000);
            sf_writef_short(f, buf.data(), n);
            at += n;
        }
        sf_close(f);
        if (title.empty() && artist.empty() && album.empty() && !track) return;
        TagLib::FileRef ref(p.c_str());
        ASSERT_FALSE(ref.isNull()) << name;
        TagLib::PropertyMap props = ref.file()->properties();
        auto set = [&](const char* key, const std::string& v) {
            if (!v.empty())
                props.replace(key, TagLib::StringList(TagLib::String(v, TagLib::String::UTF8)));
        };
        set("TITLE", title), set("ARTIST", artist), set("ALBUM", album);
        if (track) set("TRACKNUMBER", std::to_string(track));
        ref.file()->setProperties(props);
        ASSERT_TRUE(ref.save()) << name;
    }
};

constexpr int kFlac = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
constexpr int kWav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

}  // namespace

TEST_F(AudioRead, FilesFoldersAndPlaylistsReadAsOneDiscWithSongTitles) {
    // A folder of FLAC files: track-number order (not name order), titles and
    // the album from the tags, lengths to the sample (a partial frame counts).
    audio("album/a.flac", kFlac, 44100, 588 * 75 * 3 + 1, "Sunrise", "Kaze", "朝のうた", 2);
    audio("album/b.flac", kFlac, 44100, 588 * 100, "朝の光", "Kaze", "朝のうた", 1);
    audio("album/c.flac", kFlac, 44100, 588 * 75 * 61, "Guest song", "Other", "朝のうた", 3);
    write("album/cover.jpg", "not audio");
    write("album/album.cue", "ignored in a folder");
    Outcome folder = run("read album");
    ASSERT_EQ(folder.status, 0) << folder.err;
    EXPECT_EQ(folder.out,
              "disc 朝のうた\ntrack 0:01:25 朝の光\ntrack 0:03:01 Sunrise\ntrack 1:01:00 Guest "
              "song / Other\n");
    EXPECT_EQ(folder.err, "");

    // Several files in the order given, each format libsndfile reads; an
    // untagged file takes its name; no shared album: --title, else 不明.
    audio("mix/one.wav", kWav, 44100, 44100, "One");
    audio("mix/two.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100, 44100 * 2);
    audio("mix/three.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 44100 * 3, "Three");
    audio("mix/four.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 48000 * 4, "Four");
    audio("mix/five.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 44100 * 5, "Five");
    audio("mix/six 10.wav", kWav, 22050, 22050 * 6 + 1);
    const std::string files =
        "mix/one.wav mix/two.aiff mix/three.ogg mix/four.opus mix/five.mp3 'mix/six 10.wav'";
    const std::string mix =
        "track 0:01:00 One\ntrack 0:02:00 two\ntrack 0:03:00 Three\ntrack 0:04:00 Four\ntrack "
        "0:05:00 Five\n"
        "track 0:06:01 six 10\n";
    Outcome list = run("read --title 'Car Mix' " + files);
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "disc Car Mix\n" + mix);
    EXPECT_EQ(run("read " + files).out, "disc 不明\n" + mix);

    // Untagged files in a folder: name order, numbers by their value.
    for (const char* name : {"10.wav", "2.wav", "1.wav"})
        audio(std::string("names/") + name, kWav, 44100, 44100 * std::atoi(name));
    EXPECT_EQ(run("read names").out,
              "disc names\ntrack 0:01:00 1\ntrack 0:02:00 2\ntrack 0:10:00 10\n");

    // Playlists: relative paths, Windows folders, file URLs, titles of their own.
    write("lists/car.m3u",
          "#EXTM3U\n#EXTINF:60,ignored for a tagged file\n..\\mix\\one.wav\n#EXTINF:120,Two "
          "(listed)\n"
          "../MIX/TWO.aiff\n\n"
          "file://" +
              (dir / "mix/three.ogg").string() + "\n");
    Outcome m3u = run("read lists/car.m3u");
    ASSERT_EQ(m3u.status, 0) << m3u.err;
    EXPECT_EQ(m3u.out,
              "disc car\ntrack 0:01:00 One\ntrack 0:02:00 Two (listed)\ntrack 0:03:00 Three\n");
    EXPECT_NE(m3u.err.find("\"../MIX/TWO.aiff\" is read as"), std::string::npos) << m3u.err;
    write("lists/pls.pls",
          "[playlist]\nFile2=../mix/five.mp3\nFile1=../mix/"
          "four.opus\nTitle2=Five!\nNumberOfEntries=2\nVersion=2\n");
    EXPECT_EQ(run("read lists/pls.pls").out, "disc pls\ntrack 0:04:00 Four\ntrack 0:05:00 Five\n");
    write("lists/utf.m3u8", "\xEF\xBB\xBF../album/b.flac\r\n");
    EXPECT_EQ(run("read lists/utf.m3u8").out, "disc 朝のうた\ntrack 0:01:25 朝の光\n");

    // Image lines name a folder, a playlist or a file; the disc file read
    // prints reads back to the same disc, and the card shows the songs.
    const std::string printed = folder.out;
    write("shelf.disc", "image album\n" + printed +
                            "image lists/car.m3u\nimage mix/five.mp3\ndisc Old style\n4:05 3:58\n");
    Outcome plan = run("--date 2001/02/03 --out shelf.ztp --card shelf.pdf shelf.disc");
    ASSERT_EQ(plan.status, 0) << plan.err;
    const std::string ztp = read(dir / "shelf.ztp");
    EXPECT_NE(ztp.find(" -    2: \x92\xa9\x82\xcc\x82\xa4\x82\xbd\r\n"), std::string::npos)
        << "the text card keeps disc titles";
    const std::string card = shell("pdftotext -layout shelf.pdf -").out;
    for (const char* piece : {"1-3 Guest song / Other", "2-1 朝の光", "3-2 Two (listed)",
                              "4-1 Five", "5-2 Old style", "5 Old style", "3 car"})
        EXPECT_NE(card.find(piece), std::string::npos) << piece << "\n" << card;
}

TEST_F(AudioRead, UndecodableAndOddFilesAreOneLineAndStatusTwo) {
    audio("ok.flac", kFlac, 44100, 44100);
    write("broken.flac", "fLaC\0\0\0\x22 and then nothing");
    write("text.mp3", "just words");
    fs::create_directories(dir / "empty");
    ASSERT_EQ(mkfifo((dir / "pipe.wav").c_str(), 0600), 0);
    write("web.m3u", "ok.flac\nhttp://radio.example/stream\n");
    write("missing.m3u", "ok.flac\nnowhere.flac\n");
    write("nested.m3u", "web.m3u\n");
    write("bad.pls", "[playlist]\nTitle1=Only a title\n");
    struct Case {
        std::string args, message;
    } cases[] = {
        {"read broken.flac", "broken.flac: cannot be decoded"},
        {"read ok.flac text.mp3", "text.mp3: cannot be decoded"},
        {"read empty", "empty: no audio files in the folder"},
        {"read pipe.wav", "pipe.wav: not a regular file"},
        {"read web.m3u", "web.m3u: line 2 is not a local file (http://radio.example/stream)"},
        {"read missing.m3u", "missing.m3u: its entry nowhere.flac is missing"},
        {"read nested.m3u", "nested.m3u: holds another playlist"},
        {"read bad.pls", "bad.pls: malformed playlist (Title1 without File1)"},
        {"read ok.flac empty", "read takes one source, or several audio files"},
    };
    for (const Case& c : cases) {
        Outcome r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << " -> " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}
