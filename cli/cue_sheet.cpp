#include "cue_sheet.h"

#include <algorithm>
#include <cctype>

#include "text_codec.h"

namespace ztp {
namespace {

struct CueFile {
    std::string name;  // raw bytes
    bool decoded;      // an audio file (WAVE, AIFF, MP3, FLAC ...), else raw frames
    int line;
};

struct CueIndex {
    int number;
    int file;
    std::int64_t offset;  // frames into the file
};

struct CueTrack {
    int number;
    bool audio;
    int sectorBytes;
    int session;
    int line;
    std::int64_t pregap = 0, postgap = 0;
    std::vector<CueIndex> indexes;
    std::string title, performer;  // raw bytes
    const CueIndex* index(int n) const {
        for (const CueIndex& i : indexes)
            if (i.number == n) return &i;
        return nullptr;
    }
};

struct Sheet {
    std::vector<CueFile> files;
    std::vector<CueTrack> tracks;
    std::string title, performer;
};

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

bool blank(char c) { return c == ' ' || c == '\t'; }

// One line's words: quoted strings (\" stands for a quote inside) or runs of
// non-blanks.
class Words {
public:
    explicit Words(const std::string& line) : s_(line) {}
    bool atEnd() {
        skip();
        return i_ >= s_.size();
    }
    std::string next() {
        skip();
        std::string w;
        if (i_ < s_.size() && s_[i_] == '"') {
            const std::size_t last = s_.rfind('"');
            ++i_;
            while (i_ < s_.size()) {
                const char c = s_[i_];
                if (c == '\\' && i_ + 1 < s_.size() && s_[i_ + 1] == '"' && i_ + 1 != last) {
                    w += '"';
                    i_ += 2;
                } else if (c == '"') {
                    ++i_;
                    break;
                } else {
                    w += c;
                    ++i_;
                }
            }
            return w;
        }
        while (i_ < s_.size() && !blank(s_[i_])) w += s_[i_++];
        return w;
    }
    // The rest of the line: one quoted string, or the text as it stands.
    std::string rest() {
        skip();
        if (i_ < s_.size() && s_[i_] == '"') return next();
        std::string r = s_.substr(std::min(i_, s_.size()));
        while (!r.empty() && blank(r.back())) r.pop_back();
        i_ = s_.size();
        return r;
    }
    bool quotedNext() {
        skip();
        return i_ < s_.size() && s_[i_] == '"';
    }

private:
    void skip() {
        while (i_ < s_.size() && blank(s_[i_])) ++i_;
    }
    const std::string& s_;
    std::size_t i_ = 0;
};

// Bytes per frame in the file for a track mode; 0 for an unknown mode.
int sectorBytes(const std::string& mode, bool& audio) {
    audio = mode == "AUDIO";
    static const struct {
        const char* mode;
        int bytes;
    } kModes[] = {{"AUDIO", 2352},      {"CDG", 2448},        {"MODE1/2048", 2048},
                  {"MODE1/2352", 2352}, {"MODE2/2048", 2048}, {"MODE2/2324", 2324},
                  {"MODE2/2336", 2336}, {"MODE2/2352", 2352}, {"CDI/2336", 2336},
                  {"CDI/2352", 2352}};
    for (const auto& m : kModes)
        if (mode == m.mode) return m.bytes;
    return 0;
}

bool parseMsf(const std::string& s, std::int64_t& frames) {
    unsigned long part[3] = {0, 0, 0};
    std::size_t k = 0, digits = 0;
    for (char c : s) {
        if (c == ':') {
            if (digits == 0 || ++k > 2) return false;
            digits = 0;
        } else if (c >= '0' && c <= '9') {
            if (++digits > 4) return false;
            part[k] = part[k] * 10 + static_cast<unsigned long>(c - '0');
        } else {
            return false;
        }
    }
    if (k != 2 || digits == 0 || part[1] > 59 || part[2] > 74) return false;
    frames = (static_cast<std::int64_t>(part[0]) * 60 + part[1]) * 75 + part[2];
    return true;
}

bool parseNumber(const std::string& s, int lo, int hi, int& value) {
    if (s.empty() || s.size() > 3) return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value >= lo && value <= hi;
}

bool decodedType(const std::string& type, bool& decoded) {
    static const char* const kAudio[] = {"WAVE", "WAV",  "AIFF", "AIF", "MP3", "FLAC",
                                         "OGG",  "OPUS", "APE",  "WV",  "M4A"};
    if (type == "BINARY" || type == "MOTOROLA") {
        decoded = false;
        return true;
    }
    for (const char* a : kAudio)
        if (type == a) {
            decoded = true;
            return true;
        }
    return false;
}

class Parser {
public:
    Parser(const std::string& source) : source_(source) {}

    Sheet parse(const std::string& text) {
        std::size_t pos = 0;
        while (pos <= text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            ++lineNo_;
            statement(line);
            pos = end + 1;
        }
        return std::move(sheet_);
    }

private:
    [[noreturn]] void fail(const std::string& what) {
        throw CdReadError(source_ + ": cannot read the image (line " + std::to_string(lineNo_) +
                          ": " + what + ")");
    }
    CueTrack& track(const std::string& keyword) {
        if (sheet_.tracks.empty()) fail(keyword + " before any TRACK");
        return sheet_.tracks.back();
    }
    std::int64_t msf(Words& w, const std::string& keyword) {
        const std::string t = w.next();
        std::int64_t frames;
        if (!parseMsf(t, frames)) fail(keyword + " wants MM:SS:FF, not '" + t + "'");
        return frames;
    }

    void statement(const std::string& line) {
        Words w(line);
        if (w.atEnd()) return;
        const std::string keyword = upper(w.next());
        if (keyword == "REM") {
            if (upper(w.next()) == "SESSION") {
                int n;
                if (parseNumber(w.next(), 1, 99, n)) session_ = n;
            }
        } else if (keyword == "FILE") {
            fileLine(w);
        } else if (keyword == "TRACK") {
            trackLine(w);
        } else if (keyword == "INDEX") {
            CueTrack& t = track(keyword);
            int n;
            const std::string number = w.next();
            if (!parseNumber(number, 0, 99, n))
                fail("INDEX wants a number 0-99, not '" + number + "'");
            const std::int64_t at = msf(w, "INDEX");
            if (!t.indexes.empty() && n <= t.indexes.back().number)
                fail("INDEX " + number + " out of order");
            if (t.indexes.empty() && n > 1)
                fail("track " + std::to_string(t.number) + " starts with INDEX " + number);
            const int file = static_cast<int>(sheet_.files.size()) - 1;
            if (!t.indexes.empty() && t.indexes.back().file == file && at < t.indexes.back().offset)
                fail("INDEX " + number + " lies before the index before it");
            t.indexes.push_back({n, file, at});
        } else if (keyword == "PREGAP") {
            track(keyword).pregap = msf(w, keyword);
        } else if (keyword == "POSTGAP") {
            track(keyword).postgap = msf(w, keyword);
        } else if (keyword == "TITLE" || keyword == "PERFORMER") {
            const std::string value = w.rest();
            if (sheet_.tracks.empty())
                (keyword == "TITLE" ? sheet_.title : sheet_.performer) = value;
            else
                (keyword == "TITLE" ? sheet_.tracks.back().title : sheet_.tracks.back().performer) =
                    value;
        } else if (keyword == "CATALOG" || keyword == "CDTEXTFILE" || keyword == "ISRC" ||
                   keyword == "FLAGS" || keyword == "SONGWRITER" || keyword == "COMPOSER" ||
                   keyword == "ARRANGER" || keyword == "MESSAGE" || keyword == "GENRE" ||
                   keyword == "DISC_ID" || keyword == "UPC_EAN") {
            // Accepted; nothing the plan needs.
        } else {
            fail("unknown command '" + keyword.substr(0, 40) + "'");
        }
    }

    void fileLine(Words& w) {
        // FILE "name" TYPE, or FILE name with blanks TYPE.
        std::string name, type;
        if (w.quotedNext()) {
            name = w.next();
            type = upper(w.next());
        } else {
            std::string rest = w.rest();
            const std::size_t cut = rest.find_last_of(" \t");
            if (cut == std::string::npos) fail("FILE wants a name and a type");
            name = rest.substr(0, cut);
            while (!name.empty() && blank(name.back())) name.pop_back();
            type = upper(rest.substr(cut + 1));
        }
        if (name.empty()) fail("FILE without a name");
        bool decoded;
        if (!decodedType(type, decoded)) fail("unknown file type '" + type.substr(0, 40) + "'");
        sheet_.files.push_back({name, decoded, lineNo_});
    }

    void trackLine(Words& w) {
        if (sheet_.files.empty()) fail("TRACK before any FILE");
        const std::string number = w.next(), mode = upper(w.next());
        int n;
        if (!parseNumber(number, 1, kMaxCdTracks, n))
            fail("TRACK wants a number 1-99, not '" + number + "'");
        if (!sheet_.tracks.empty() && n <= sheet_.tracks.back().number)
            fail("TRACK " + number + " out of order");
        if (!sheet_.tracks.empty() && sheet_.tracks.back().index(1) == nullptr)
            fail("track " + std::to_string(sheet_.tracks.back().number) + " has no INDEX 01");
        bool audio;
        const int bytes = sectorBytes(mode, audio);
        if (bytes == 0) fail("unknown track mode '" + mode.substr(0, 40) + "'");
        CueTrack t{n, audio, bytes, session_, lineNo_, 0, 0, {}, {}, {}};
        sheet_.tracks.push_back(t);
    }

    std::string source_;
    Sheet sheet_;
    int lineNo_ = 0;
    int session_ = 1;
};

// The lengths in frames of the sheet's files: decoded audio as its
// decoder gives it, raw files by their size and the frame sizes of the
// tracks they hold.
std::vector<std::int64_t> fileFrames(const std::string& source, const Sheet& sheet,
                                     const std::vector<DataFile>& data) {
    // Frame sizes change where a track starts in a file; the part of a file
    // before its first index belongs to the track that runs into it.
    struct Change {
        std::int64_t at;
        int bytesPer;
    };
    std::vector<std::vector<Change>> changes(sheet.files.size());
    int running = sheet.tracks.front().sectorBytes;
    for (const CueTrack& t : sheet.tracks) {
        for (const CueIndex& i : t.indexes) {
            auto& c = changes[i.file];
            if (c.empty()) c.push_back({0, running});
            if (c.back().bytesPer != t.sectorBytes) c.push_back({i.offset, t.sectorBytes});
            running = t.sectorBytes;
        }
    }
    std::vector<std::int64_t> frames(sheet.files.size(), 0);
    for (std::size_t f = 0; f < sheet.files.size(); ++f) {
        if (data[f].decoded) {
            frames[f] = (data[f].samples + 587) / 588;
            continue;
        }
        if (changes[f].empty()) changes[f].push_back({0, running});
        std::uint64_t before = 0;
        for (std::size_t k = 1; k < changes[f].size(); ++k)
            before += static_cast<std::uint64_t>(changes[f][k].at - changes[f][k - 1].at) *
                      static_cast<std::uint64_t>(changes[f][k - 1].bytesPer);
        const std::uint64_t size = data[f].bytes;
        if (before > size)
            throw CdReadError(
                source +
                ": malformed table of contents (a track starts past the end of its data file)");
        const std::uint64_t per = static_cast<std::uint64_t>(changes[f].back().bytesPer);
        frames[f] =
            changes[f].back().at + static_cast<std::int64_t>((size - before + per - 1) / per);
    }
    return frames;
}

}  // namespace

ImageToc readCueSheet(const std::string& bytesIn, const std::string& source,
                      const DataFileProbe& probe, std::vector<std::string>& notes) {
    std::string bytes = bytesIn;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    Sheet sheet = Parser(source).parse(bytes);
    if (sheet.tracks.empty()) throw CdReadError(source + ": no track on the disc");
    if (!sheet.tracks.back().index(1))
        throw CdReadError(source + ": cannot read the image (track " +
                          std::to_string(sheet.tracks.back().number) + " has no INDEX 01)");
    const TextEncoding encoding = guessEncoding(bytes);

    // Only files up to the last one that holds an index are part of the disc.
    std::size_t used = 0;
    for (const CueTrack& t : sheet.tracks)
        for (const CueIndex& i : t.indexes)
            used = std::max(used, static_cast<std::size_t>(i.file) + 1);
    sheet.files.resize(used);
    std::vector<DataFile> data;
    for (const CueFile& f : sheet.files)
        data.push_back(probe(f.name, toUtf8(f.name, encoding), f.decoded));
    const std::vector<std::int64_t> frames = fileFrames(source, sheet, data);
    std::vector<std::int64_t> base(frames.size() + 1, 0);
    for (std::size_t f = 0; f < frames.size(); ++f) base[f + 1] = base[f] + frames[f];

    ImageToc toc;
    const std::string albumPerformer = toUtf8(sheet.performer, encoding);
    toc.title = takeTitle(toUtf8(sheet.title, encoding));
    // Positions on the disc: the raw position in the files, moved by the
    // PREGAP and POSTGAP silence before it and by the gaps between sessions.
    std::int64_t shift = 0;
    bool gapsHeld = false;
    for (std::size_t k = 0; k < sheet.tracks.size(); ++k) {
        const CueTrack& t = sheet.tracks[k];
        for (const CueIndex& i : t.indexes) {
            if (i.offset > frames[i.file])
                throw CdReadError(source + ": malformed table of contents (track " +
                                  std::to_string(t.number) + " starts past the end of the data)");
        }
        const CueIndex& first = t.indexes.front();
        const CueIndex& one = *t.index(1);
        const std::int64_t rawFirst = base[first.file] + first.offset,
                           rawOne = base[one.file] + one.offset;
        if (k > 0 && rawOne <= base[sheet.tracks[k - 1].index(1)->file] +
                                   sheet.tracks[k - 1].index(1)->offset)
            throw CdReadError(source + ": malformed table of contents (track " +
                              std::to_string(t.number) +
                              " does not start after the track before it)");
        if (k > 0 && (t.pregap > 0 || rawOne > rawFirst)) gapsHeld = true;
        TocEntry e;
        e.number = t.number;
        e.audio = t.audio;
        e.title =
            songTitle(toUtf8(t.title, encoding), toUtf8(t.performer, encoding), albumPerformer);
        if (k > 0 && t.session > sheet.tracks[k - 1].session) {
            // A later session starts its first track a session gap after the
            // last data of the one before (its pregap is part of that gap).
            e.start = rawFirst + shift + kSessionGap;
            toc.lastSessionStart = e.start;
            shift = e.start - rawOne;
        } else {
            shift += t.pregap;
            e.start = rawOne + shift;
        }
        shift += t.postgap;
        toc.tracks.push_back(e);
    }
    toc.leadOut = base.back() + shift;
    if (sheet.files.size() > 1 && sheet.tracks.size() > 1 && !gapsHeld) {
        notes.push_back(
            source +
            ": the sheet holds no gaps between its tracks (no INDEX 00 or PREGAP lines); "
            "lengths are those of its files and may be short of the disc's");
    }
    return toc;
}

}  // namespace ztp
