#pragma once
// Rips of a made-up disc in the layouts rippers write: cue sheets over one
// image or one file a track (gaps at the end of a file, at the start of the
// next, left out with PREGAP lines or without), and cdrdao TOC files; data
// files are sparse raw images, WAV files with a header over sparse data, or
// FLAC files of silence.
#include <iconv.h>
#include <sndfile.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace rips {

namespace fs = std::filesystem;

struct Track {
    long gap;   // INDEX 00 to INDEX 01 before the track, frames (track 1: hidden audio)
    long body;  // INDEX 01 to the next track's INDEX 00
    std::string title;
};

struct Disc {
    std::string title, performer;
    std::vector<Track> tracks;
    long dataFrames = 0;  // a data track in a second session (CD-Extra)
    // The lengths a drive gives: a track and the gap after it.
    std::vector<long> lengths() const {
        std::vector<long> out;
        for (std::size_t i = 0; i < tracks.size(); ++i)
            out.push_back(tracks[i].body + (i + 1 < tracks.size() ? tracks[i + 1].gap : 0));
        return out;
    }
};

inline std::string msf(long frames) {
    char s[64];
    std::snprintf(s, sizeof s, "%02ld:%02ld:%02ld", frames / 75 / 60, frames / 75 % 60,
                  frames % 75);
    return s;
}
inline std::string length(long frames) {
    char s[64];
    std::snprintf(s, sizeof s, "%ld:%02ld:%02ld", frames / 75 / 60, frames / 75 % 60, frames % 75);
    return s;
}

// UTF-8 text in another code page.
inline std::string encode(const std::string& utf8, const char* code) {
    iconv_t cd = iconv_open(code, "UTF-8");
    std::string in = utf8, out(utf8.size() * 2 + 4, '\0');
    char *src = in.data(), *dst = out.data();
    std::size_t left = in.size(), room = out.size();
    iconv(cd, &src, &left, &dst, &room);
    iconv_close(cd);
    out.resize(out.size() - room);
    return out;
}

enum class Data { Bin, Wav, Flac };

class Maker {
public:
    Maker(fs::path dir, Disc disc) : dir_(std::move(dir)), disc_(std::move(disc)) {
        fs::create_directories(dir_);
    }

    // A data file of the given frames.
    void data(const std::string& name, long frames, Data kind) const {
        const fs::path p = dir_ / name;
        fs::create_directories(p.parent_path());
        if (kind == Data::Flac) {
            SF_INFO info{};
            info.samplerate = 44100;
            info.channels = 2;
            info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
            SNDFILE* f = sf_open(p.c_str(), SFM_WRITE, &info);
            std::vector<short> zeros(2 * 588 * 75, 0);
            for (long left = frames * 588; left > 0; left -= 588 * 75)
                sf_writef_short(f, zeros.data(), std::min<long>(left, 588 * 75));
            sf_close(f);
            return;
        }
        const std::uint32_t bytes = static_cast<std::uint32_t>(frames * 2352);
        std::string head;
        if (kind == Data::Wav) {
            auto le = [&](std::uint32_t v, int n) {
                for (int i = 0; i < n; ++i) head += static_cast<char>((v >> (8 * i)) & 0xFF);
            };
            head += "RIFF", le(36 + bytes, 4), head += "WAVEfmt ", le(16, 4), le(1, 2), le(2, 2),
                le(44100, 4);
            le(44100 * 4, 4), le(4, 2), le(16, 2), head += "data", le(bytes, 4);
        }
        std::ofstream(p, std::ios::binary) << head;
        fs::resize_file(p, head.size() + bytes);
    }

    // Cue sheets. text: the sheet's head (TITLE, PERFORMER ...) and the
    // titles are written as given (already in the sheet's encoding).
    std::string cueImage(const std::string& name, Data kind, const std::string& head,
                         const std::vector<std::string>& titles) const {
        const std::string file = name + (kind == Data::Bin   ? ".bin"
                                         : kind == Data::Wav ? ".wav"
                                                             : ".flac");
        long at = 0;
        std::string s =
            head + "FILE \"" + file + "\" " + (kind == Data::Bin ? "BINARY" : "WAVE") + "\n";
        for (std::size_t i = 0; i < disc_.tracks.size(); ++i) {
            const Track& t = disc_.tracks[i];
            s += track(i, titles);
            if (t.gap) s += "    INDEX 00 " + msf(at) + "\n";
            s += "    INDEX 01 " + msf(at + t.gap) + "\n";
            at += t.gap + t.body;
        }
        if (disc_.dataFrames && kind == Data::Bin) {
            s += "REM SESSION 02\n  TRACK " + number(disc_.tracks.size() + 1) +
                 " MODE1/2352\n    PREGAP 00:02:00\n"
                 "    INDEX 01 " +
                 msf(at) + "\n";
            data(file, at + disc_.dataFrames, kind);
        } else {
            data(file, at, kind);
            s += dataTrack("data.bin");
        }
        return sheet(name + ".cue", s);
    }

    enum class Gaps { Appended, Prepended, LeftOutWithPregap, LeftOut };
    std::string cuePerTrack(const std::string& name, Gaps gaps, Data kind, const std::string& head,
                            const std::vector<std::string>& titles) const {
        const char* ext = kind == Data::Wav ? ".wav" : kind == Data::Flac ? ".flac" : ".bin";
        const char* type = kind == Data::Bin ? "BINARY" : "WAVE";
        std::string s = head;
        const auto& ts = disc_.tracks;
        for (std::size_t i = 0; i < ts.size(); ++i) {
            const std::string file = name + "-" + number(i + 1) + ext;
            const long next = i + 1 < ts.size() ? ts[i + 1].gap : 0;
            long frames = ts[i].body;
            if (gaps == Gaps::Appended) {
                // The next track's gap ends this file; track 1's hidden audio starts it.
                frames += next + (i == 0 ? ts[0].gap : 0);
                if (i > 0) s += "FILE \"" + file + "\" " + type + "\n    INDEX 01 00:00:00\n";
                else
                    s += "FILE \"" + file + "\" " + type + "\n" + track(0, titles) +
                         (ts[0].gap ? "    INDEX 00 00:00:00\n" : "") + "    INDEX 01 " +
                         msf(ts[0].gap) + "\n";
                if (i + 1 < ts.size()) {
                    s += track(i + 1, titles);
                    if (next) s += "    INDEX 00 " + msf(frames - next) + "\n";
                }
            } else {
                s += "FILE \"" + file + "\" " + type + "\n" + track(i, titles);
                if (gaps == Gaps::Prepended) {
                    frames += ts[i].gap;
                    if (ts[i].gap) s += "    INDEX 00 00:00:00\n";
                    s += "    INDEX 01 " + msf(ts[i].gap) + "\n";
                } else {
                    if (gaps == Gaps::LeftOutWithPregap && ts[i].gap && i > 0)
                        s += "    PREGAP " + msf(ts[i].gap) + "\n";
                    s += "    INDEX 01 00:00:00\n";
                }
            }
            data(file, frames, kind);
        }
        s += dataTrack(name + "-data.bin");
        return sheet(name + ".cue", s);
    }

    // TOC files as cdrdao writes them. cdText: disc-level CD_TEXT block
    // body; titles: track titles as TOC strings (escaped).
    enum class Toc { Image, PerTrackWav, SilenceThenFile };
    std::string toc(const std::string& name, Toc form, const std::string& cdText,
                    const std::vector<std::string>& titles) const {
        std::string s =
            "CD_DA\n\nCD_TEXT {\n  LANGUAGE_MAP {\n    0 : EN\n  }\n\n  LANGUAGE 0 {\n" + cdText +
            "    SIZE_INFO { 1, 0, 3, 0, 3, 4, 0, 0, 0, 0, 0, 0,\n                0, 0, 0, 0, 0, "
            "0, 0, 0, 0, 0, 0, 0,\n"
            "                0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0}\n    GENRE { 0,  0,  0}\n  }\n}\n";
        long at = 0;
        for (std::size_t i = 0; i < disc_.tracks.size(); ++i) {
            const Track& t = disc_.tracks[i];
            s += "\n// Track " + std::to_string(i + 1) +
                 "\nTRACK AUDIO\nNO COPY\nNO PRE_EMPHASIS\nTWO_CHANNEL_AUDIO\n";
            if (i < titles.size())
                s += "CD_TEXT {\n  LANGUAGE 0 {\n    TITLE \"" + titles[i] +
                     "\"\n    PERFORMER \"\"\n  }\n}\n";
            const std::string file = name + "-" + number(i + 1);
            if (form == Toc::Image) {
                s += "FILE \"" + name + ".bin\" " + (at ? msf(at) : "0") + " " +
                     msf(t.gap + t.body) + "\n";
            } else if (form == Toc::PerTrackWav) {
                s += "AUDIOFILE \"" + file + ".wav\" 0\n";
                data(file + ".wav", t.gap + t.body, Data::Wav);
            } else {
                // The gap as silence (a sample count), then the track's file to its end.
                if (t.gap) s += "SILENCE " + std::to_string(t.gap * 588) + "\n";
                s += "FILE \"" + file + ".bin\" 0\n";
                data(file + ".bin", t.body, Data::Bin);
            }
            if (t.gap)
                s += form == Toc::SilenceThenFile ? "START " + msf(t.gap) + "\n"
                                                  : "START " + msf(t.gap) + "\n";
            at += t.gap + t.body;
        }
        if (form == Toc::Image) data(name + ".bin", at, Data::Bin);
        return sheet(name + ".toc", s);
    }

    // A cue sheet's track lines: TRACK and TITLE.
    std::string track(std::size_t i, const std::vector<std::string>& titles) const {
        std::string s = "  TRACK " + number(i + 1) + " AUDIO\n    FLAGS DCP\n    ISRC JPXX0970000" +
                        std::to_string(i % 10) + "\n";
        if (i < titles.size()) s += "    TITLE \"" + titles[i] + "\"\n    SONGWRITER \"Anon\"\n";
        return s;
    }

private:
    static std::string number(std::size_t n) {
        char s[32];
        std::snprintf(s, sizeof s, "%02zu", n);
        return s;
    }
    // CD-Extra in a per-track layout: the data track in a file of its own.
    std::string dataTrack(const std::string& file) const {
        if (!disc_.dataFrames) return {};
        data(file, disc_.dataFrames, Data::Bin);
        return "REM SESSION 02\nFILE \"" + file + "\" BINARY\n  TRACK " +
               number(disc_.tracks.size() + 1) + " MODE1/2352\n    INDEX 01 00:00:00\n";
    }
    std::string sheet(const std::string& name, const std::string& text) const {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return (dir_ / name).string();
    }

    fs::path dir_;
    Disc disc_;
};

}  // namespace rips
