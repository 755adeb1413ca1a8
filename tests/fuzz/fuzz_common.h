#pragma once
// What the fuzz harnesses and the replay test share: seeds made here (cue
// sheets, TOC files, playlists, audio file headers), a data-file probe that
// measures no real file, and a deterministic mutator.
#include <sndfile.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cue_sheet.h"
#include "toc_file.h"

namespace fuzzing {

// Files a sheet names get sizes from their names: some fit, some do not.
inline ztp::DataFile fakeFile(const std::string& raw, const std::string&, bool decode) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : raw) h = (h ^ c) * 1099511628211ull;
    if (h % 17 == 0) throw ztp::CdReadError("sheet: its data file " + raw + " is missing");
    ztp::DataFile d;
    d.path = raw;
    d.bytes = (h >> 8) % (2352ull * 75 * 60 * 80);
    d.decoded = decode;
    d.samples = static_cast<std::int64_t>((h >> 16) % (44100ull * 60 * 80));
    return d;
}

inline std::vector<std::string> cueSeeds() {
    return {
        "\xEF\xBB\xBFREM GENRE Rock\r\nPERFORMER \"P\"\r\nTITLE \"T \\\"q\\\"\"\r\nFILE \"a.bin\" "
        "BINARY\r\n"
        "  TRACK 01 AUDIO\r\n    INDEX 00 00:00:00\r\n    INDEX 01 00:02:00\r\n  TRACK 02 AUDIO\r\n"
        "    TITLE \"Two\"\r\n    INDEX 00 03:00:00\r\n    INDEX 01 03:02:10\r\n",
        "FILE \"01.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    "
        "INDEX 00 03:58:00\n"
        "FILE \"02.wav\" WAVE\n    INDEX 01 00:00:00\n  TRACK 03 AUDIO\n    PREGAP 00:02:00\n    "
        "INDEX 01 00:00:00\n"
        "    POSTGAP 00:01:00\nREM SESSION 02\nFILE \"d.bin\" BINARY\n  TRACK 04 MODE1/2352\n    "
        "INDEX 01 00:00:00\n",
        "catalog 0000000000000\nfile c:\\rips\\x y.flac flac\n track 70 audio\n  flags dcp pre\n  "
        "isrc ABC\n"
        "  songwriter \"s\"\n  index 01 00:00:00\n track 99 MODE2/2336\n  index 01 10:00:00\n",
    };
}

inline std::vector<std::string> tocSeeds() {
    return {
        "CD_DA\nCATALOG \"0000000000000\"\nCD_TEXT {\n  LANGUAGE_MAP {\n    0 : EN\n    1: 105\n  "
        "}\n  LANGUAGE 0 {\n"
        "    TITLE \"Caf\\351 \\\"x\\\"\"\n    PERFORMER \"\"\n    SIZE_INFO { 1, 0, 3, 0, 3, 4, "
        "0, 0}\n    GENRE { 0, 0, 0}\n"
        "  }\n}\n// Track 1\nTRACK AUDIO\nNO COPY\nPRE_EMPHASIS\nTWO_CHANNEL_AUDIO\nISRC "
        "\"DEX000000001\"\nCD_TEXT {\n"
        "  LANGUAGE 0 {\n    TITLE \"One\"\n  }\n}\nFILE \"data.bin\" 0 04:21:74\nTRACK "
        "AUDIO\nSILENCE 00:02:00\n"
        "START\nFILE \"data.bin\" 04:21:74 88200\nINDEX 00:30:00\nTRACK AUDIO\nPREGAP "
        "0:2:0\nAUDIOFILE \"t.wav\" 0\n",
        "CD_ROM_XA\nTRACK MODE2_FORM_MIX RW_RAW\nDATAFILE \"d.bin\" #1024 00:10:00\nZERO MODE2 "
        "00:02:00\n"
        "TRACK AUDIO\nFILE \"d.bin\" #235200 0\nSTART 00:01:00\nTRACK MODE1\nDATAFILE \"e.bin\"\n",
    };
}

inline std::vector<std::string> playlistSeeds() {
    return {
        "m#EXTM3U\n#EXTINF:123,Artist - Title\n..\\music\\01 "
        "a.flac\nfile:///srv/m%20x/b.mp3\nhttp://x/y\n",
        "p[playlist]\nFile1=a.flac\nTitle1=A\nFile2=b.ogg\nLength2=-1\nNumberOfEntries=2\nVersion="
        "2\n",
        "m\xEF\xBB\xBF"
        "caf\xe9.wav\r\n\x89\xc4.mp3\r\n",
    };
}

// Small audio files of each format, as bytes.
inline std::vector<std::string> audioSeeds() {
    struct {
        int format, rate;
        const char* ext;
    } kinds[] = {{SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, ".wav"},
                 {SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100, ".aiff"},
                 {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, ".flac"},
                 {SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, ".ogg"},
                 {SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, ".opus"},
                 {SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, ".mp3"}};
    std::vector<std::string> seeds;
    char name[] = "/tmp/ztp-seed-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) return seeds;
    close(fd);
    for (std::size_t k = 0; k < sizeof kinds / sizeof kinds[0]; ++k) {
        SF_INFO info{};
        info.samplerate = kinds[k].rate;
        info.channels = 2;
        info.format = kinds[k].format;
        SNDFILE* f = sf_open(name, SFM_WRITE, &info);
        if (!f) continue;
        std::vector<short> buf(2 * 2000);
        for (std::size_t i = 0; i < buf.size(); ++i)
            buf[i] = static_cast<short>((i * 97) % 4000 - 2000);
        sf_writef_short(f, buf.data(), 2000);
        sf_set_string(f, SF_STR_TITLE, "t");
        sf_close(f);
        std::ifstream in(name, std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        seeds.push_back(std::string(1, static_cast<char>(k)) + ss.str());
    }
    std::remove(name);
    return seeds;
}

// The audio harness's file name for an input: its first byte picks the extension.
inline const char* audioExtensionFor(unsigned char c) {
    static const char* const kExt[] = {".wav",  ".aiff", ".flac", ".ogg",
                                       ".opus", ".mp3",  ".m4a",  ".ape"};
    return kExt[c % 8];
}

// A deterministic mutator: byte flips, inserted and deleted runs, repeated
// and swapped lines, interesting numbers.
class Mutator {
public:
    explicit Mutator(std::uint64_t seed) : s_(seed * 2654435761u + 1) {}
    std::uint64_t next() {
        s_ ^= s_ << 13, s_ ^= s_ >> 7, s_ ^= s_ << 17;
        return s_;
    }
    std::string mutate(std::string in) {
        const int rounds = 1 + static_cast<int>(next() % 4);
        for (int r = 0; r < rounds; ++r) {
            const std::size_t at = in.empty() ? 0 : next() % in.size();
            switch (next() % 8) {
                case 0:
                    if (!in.empty()) in[at] = static_cast<char>(next());
                    break;
                case 1:
                    if (!in.empty()) in[at] ^= static_cast<char>(1u << (next() % 8));
                    break;
                case 2: in.erase(at, next() % 16); break;
                case 3: in.insert(at, std::string(next() % 8, static_cast<char>(next()))); break;
                case 4: {
                    const std::size_t len = next() % 64;
                    in.insert(at, in.substr(next() % (in.size() + 1), len));
                    break;
                }
                case 5: {
                    static const char* const kWords[] = {
                        "99:59:74", "INDEX 00 ",   "\n  TRACK 01 AUDIO\n", "\"", "\\",
                        "{",        "}",           "4294967295",           "-1", "#",
                        "\r",       "\xEF\xBB\xBF"};
                    in.insert(at, kWords[next() % 12]);
                    break;
                }
                case 6:
                    if (in.size() > 8) in.resize(at);
                    break;
                default: {
                    const std::size_t a = in.find('\n', at),
                                      b = a == std::string::npos ? a : in.find('\n', a + 1);
                    if (b != std::string::npos) in.insert(0, in.substr(a + 1, b - a));
                }
            }
            if (in.size() > 1 << 16) in.resize(1 << 16);
        }
        return in;
    }

private:
    std::uint64_t s_;
};

}  // namespace fuzzing

#include <cstdlib>

#include "audio_source.h"
#include "disc_file.h"

namespace fuzzing {

// A refusal is one line; a disc that is read prints as a disc file that
// reads back to the same disc. Anything else aborts.
inline void check(bool ok) {
    if (!ok) std::abort();
}
inline void refused(const ztp::CdReadError& e) {
    if (std::string(e.what()).find('\n') != std::string::npos) {
        std::fprintf(stderr, "a refusal of more than one line: %s\n", e.what());
        std::abort();
    }
}

inline void readsBack(const ztp::Disc& d) {
    const std::vector<ztp::Disc> again = ztp::parseDiscText(ztp::discEntryText(d), "x");
    check(again.size() == 1 && again[0].tracks == d.tracks && again[0].title == d.title);
    for (std::size_t i = 0; i < d.tracks.size(); ++i)
        check(again[0].trackTitles[i] == d.trackTitles[i]);
}

inline void runSheet(const std::string& in, bool toc) {
    std::vector<std::string> notes;
    try {
        const ztp::ImageToc t = toc ? ztp::readTocFile(in, "sheet", fakeFile, notes)
                                    : ztp::readCueSheet(in, "sheet", fakeFile, notes);
        ztp::Disc d = ztp::discFromToc("sheet", t, notes);
        if (d.title.empty()) d.title = "x";
        readsBack(d);
    } catch (const ztp::CdReadError& e) {
        refused(e);
    }
}

inline void runPlaylist(const std::string& in) {
    if (in.empty()) return;
    try {
        for (const ztp::PlaylistEntry& e : ztp::parsePlaylist(in.substr(1), in[0] == 'p', "list"))
            check(e.title.find('\n') == std::string::npos);
    } catch (const ztp::CdReadError& e) {
        refused(e);
    }
}

inline void runAudio(const std::string& in, const std::string& folder) {
    if (in.empty()) return;
    const std::filesystem::path p =
        std::filesystem::path(folder) /
        (std::string("input") + audioExtensionFor(static_cast<unsigned char>(in[0])));
    std::ofstream(p, std::ios::binary | std::ios::trunc) << in.substr(1);
    try {
        const ztp::AudioInfo info = ztp::readAudioFile(p, p.string());
        check(info.samples >= 0);
    } catch (const ztp::CdReadError& e) {
        refused(e);
    }
}

}  // namespace fuzzing
