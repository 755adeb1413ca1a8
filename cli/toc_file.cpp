#include "toc_file.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "text_codec.h"
#include "text_forms.h"

namespace ztp {
namespace {

constexpr std::int64_t kSamplesPerFrame = 588;

struct Token {
    enum Kind { End, Word, Number, String, Punct } kind = End;
    std::string text;
    int line = 0;
};

// Words, numbers and MSF times (digits with colons), strings with their
// escapes decoded (\" \\ and octal \ooo), and the marks { } : , #.
class Lexer {
public:
    Lexer(const std::string& s, const std::string& source) : s_(s), source_(source) {}

    Token next() {
        for (;;) {
            while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) {
                if (s_[i_] == '\n') ++line_;
                ++i_;
            }
            if (i_ + 1 < s_.size() && s_[i_] == '/' && s_[i_ + 1] == '/') {
                while (i_ < s_.size() && s_[i_] != '\n') ++i_;
                continue;
            }
            break;
        }
        Token t;
        t.line = line_;
        if (i_ >= s_.size()) return t;
        const char c = s_[i_];
        if (c == '"') {
            t.kind = Token::String;
            ++i_;
            for (;;) {
                if (i_ >= s_.size()) fail(t.line, "a string without its closing quote");
                char d = s_[i_++];
                if (d == '"') break;
                if (d == '\n') ++line_;
                if (d == '\\' && i_ < s_.size()) {
                    if (s_[i_] >= '0' && s_[i_] <= '7') {
                        int v = 0;
                        for (int k = 0; k < 3 && i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '7';
                             ++k)
                            v = v * 8 + (s_[i_++] - '0');
                        d = static_cast<char>(v & 0xFF);
                    } else {
                        d = s_[i_++];
                    }
                }
                t.text += d;
            }
            return t;
        }
        if (std::isdigit(static_cast<unsigned char>(c))) {
            t.kind = Token::Number;
            while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) ||
                                      (s_[i_] == ':' && i_ + 1 < s_.size() &&
                                       std::isdigit(static_cast<unsigned char>(s_[i_ + 1]))))) {
                t.text += s_[i_++];
            }
            return t;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            t.kind = Token::Word;
            while (i_ < s_.size() &&
                   (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_'))
                t.text += s_[i_++];
            return t;
        }
        if (c == '{' || c == '}' || c == ':' || c == ',' || c == '#') {
            t.kind = Token::Punct;
            t.text = std::string(1, c);
            ++i_;
            return t;
        }
        fail(line_, std::string("unexpected character '") + c + "'");
    }

    [[noreturn]] void fail(int line, const std::string& what) const {
        throw CdReadError(source_ + ": malformed table of contents (line " + std::to_string(line) +
                          ": " + what + ")");
    }

private:
    const std::string& s_;
    const std::string& source_;
    std::size_t i_ = 0;
    int line_ = 1;
};

// A part of a track: samples of silence, or samples from a file.
struct Piece {
    int file = -1;                // -1: silence or zero data
    std::int64_t byteOffset = 0;  // "#n": bytes skipped in a raw file
    std::int64_t start = 0;       // samples (audio) or bytes (data) after the offset
    std::int64_t length = -1;     // -1: to the end of the file
    bool data = false;            // a DATAFILE: start and length in bytes
};

struct TocTrack {
    bool audio = true;
    int sectorBytes = 2352;
    int line = 0;
    std::vector<Piece> pieces;
    std::int64_t startAt = -1;                    // START: samples from the track's start; -1 none
    bool startHere = false;                       // START without a time: where it stands
    std::size_t startPieces = 0;                  // the pieces before a START without a time
    std::map<int, std::string> title, performer;  // by CD-Text block
};

struct TocFileEntry {
    std::string name;
    bool decoded;
};

int modeBytes(const std::string& mode, bool& audio) {
    audio = mode == "AUDIO";
    static const std::pair<const char*, int> kModes[] = {
        {"AUDIO", 2352},       {"MODE0", 2336},          {"MODE1", 2048},
        {"MODE1_RAW", 2352},   {"MODE2", 2336},          {"MODE2_FORM1", 2048},
        {"MODE2_FORM2", 2324}, {"MODE2_FORM_MIX", 2336}, {"MODE2_RAW", 2352}};
    for (const auto& m : kModes)
        if (mode == m.first) return m.second;
    return 0;
}

class Parser {
public:
    Parser(const std::string& text, const std::string& source) : lex_(text, source) { advance(); }

    void parse() {
        while (tok_.kind != Token::End) {
            const std::string w = word();
            if (w == "CD_DA" || w == "CD_ROM" || w == "CD_ROM_XA" || w == "CD_I") continue;
            if (w == "CATALOG") {
                string();
            } else if (w == "CD_TEXT") {
                cdText(discTitle, discPerformer, true);
            } else if (w == "TRACK") {
                track();
            } else {
                fail("unknown keyword '" + w.substr(0, 40) + "'");
            }
        }
        if (tracks.empty()) return;
    }

    std::vector<TocTrack> tracks;
    std::vector<TocFileEntry> files;
    std::map<int, std::string> discTitle, discPerformer;
    std::map<int, int> languages;  // block -> language code

private:
    void advance() {
        last_ = tok_.line;
        tok_ = lex_.next();
    }
    [[noreturn]] void fail(const std::string& what) const {
        lex_.fail(tok_.kind == Token::End ? last_ : tok_.line, what);
    }
    bool is(Token::Kind k, const char* text = nullptr) const {
        return tok_.kind == k && (!text || tok_.text == text);
    }
    std::string word() {
        if (!is(Token::Word)) fail("a keyword expected, not '" + tok_.text.substr(0, 40) + "'");
        std::string w = tok_.text;
        advance();
        return w;
    }
    std::string string() {
        if (!is(Token::String)) fail("a quoted string expected");
        std::string s = tok_.text;
        advance();
        return s;
    }
    void punct(const char* p) {
        if (!is(Token::Punct, p)) fail(std::string("'") + p + "' expected");
        advance();
    }
    std::uint64_t number() {
        if (!is(Token::Number) || tok_.text.find(':') != std::string::npos || tok_.text.size() > 12)
            fail("a number expected, not '" + tok_.text.substr(0, 40) + "'");
        const std::uint64_t v = std::stoull(tok_.text);
        advance();
        return v;
    }
    // An MSF time as samples, or a plain count (samples, or bytes in a DATAFILE).
    std::int64_t length(bool* msf = nullptr) {
        if (!is(Token::Number)) fail("a length expected, not '" + tok_.text.substr(0, 40) + "'");
        const std::string t = tok_.text;
        advance();
        if (msf) *msf = t.find(':') != std::string::npos;
        if (t.find(':') == std::string::npos) {
            if (t.size() > 12) fail("length too large");
            return static_cast<std::int64_t>(std::stoll(t));
        }
        unsigned long part[3] = {0, 0, 0};
        std::size_t k = 0, digits = 0;
        for (char c : t) {
            if (c == ':') {
                ++k;
                digits = 0;
                if (k > 2) fail("bad time '" + t + "'");
            } else if (++digits > 4) {
                fail("bad time '" + t + "'");
            } else {
                part[k] = part[k] * 10 + static_cast<unsigned long>(c - '0');
            }
        }
        if (k != 2 || part[1] > 59 || part[2] > 74) fail("bad time '" + t + "' (MM:SS:FF)");
        return ((static_cast<std::int64_t>(part[0]) * 60 + part[1]) * 75 + part[2]) *
               kSamplesPerFrame;
    }

    // CD_TEXT { [LANGUAGE_MAP { n : code ... }] LANGUAGE n { ITEM value ... } ... }
    void cdText(std::map<int, std::string>& title, std::map<int, std::string>& performer,
                bool disc) {
        punct("{");
        while (!is(Token::Punct, "}")) {
            const std::string w = word();
            if (w == "LANGUAGE_MAP" && disc) {
                punct("{");
                while (!is(Token::Punct, "}")) {
                    // "0 : 9", "0: EN", or "0:9" read as one time-like token.
                    if (is(Token::Number) && tok_.text.find(':') != std::string::npos) {
                        const std::string t = tok_.text;
                        advance();
                        const std::size_t c = t.find(':'), d = t.find(':', c + 1);
                        const std::string block = t.substr(0, c),
                                          code = t.substr(c + 1,
                                                          d == std::string::npos ? d : d - c - 1);
                        if (block.size() > 3 || code.size() > 3 || d != std::string::npos)
                            fail("bad language map '" + t.substr(0, 40) + "'");
                        languages[std::stoi(block) % 8] = std::stoi(code);
                        continue;
                    }
                    const int block = static_cast<int>(number() % 8);
                    punct(":");
                    if (is(Token::Word)) {
                        const std::string code = word();
                        languages[block] = code == "EN"                   ? 9
                                           : code == "JA" || code == "JP" ? 105
                                                                          : -1;
                    } else {
                        languages[block] = static_cast<int>(number() % 256);
                    }
                }
                advance();
            } else if (w == "LANGUAGE") {
                const int block = static_cast<int>(number() % 8);
                punct("{");
                while (!is(Token::Punct, "}")) {
                    const std::string item = word();
                    if (is(Token::String)) {
                        const std::string value = string();
                        if (item == "TITLE") title[block] = value;
                        else if (item == "PERFORMER") performer[block] = value;
                    } else if (is(Token::Punct, "{")) {
                        // Binary items (SIZE_INFO, GENRE, TOC_INFO1 ...): skipped.
                        advance();
                        while (!is(Token::Punct, "}")) {
                            if (is(Token::End)) fail("a binary CD-Text item without its '}'");
                            advance();
                        }
                        advance();
                    } else {
                        fail("CD-Text item " + item.substr(0, 40) + " without a value");
                    }
                }
                advance();
            } else {
                fail("unknown CD-Text entry '" + w.substr(0, 40) + "'");
            }
        }
        advance();
    }

    int fileIndex(const std::string& name, bool decoded) {
        const auto [it, added] = fileIndexes_.emplace(name, static_cast<int>(files.size()));
        if (added) {
            if (files.size() >= 1000) fail("more than 1000 data files");
            files.push_back({name, decoded});
        }
        return it->second;
    }

    void track() {
        if (static_cast<int>(tracks.size()) >= kMaxCdTracks) fail("more than 99 tracks");
        TocTrack t;
        t.line = last_;
        const std::string mode = word();
        t.sectorBytes = modeBytes(mode, t.audio);
        if (t.sectorBytes == 0) fail("unknown track mode '" + mode.substr(0, 40) + "'");
        if (is(Token::Word, "RW") || is(Token::Word, "RW_RAW")) {
            advance();
            t.sectorBytes += 96;
        }
        auto samplesOf = [&](std::int64_t v, bool msf) {
            // A plain count is samples in an audio track and bytes in a data track.
            return msf || t.audio ? v : (v + t.sectorBytes - 1) / t.sectorBytes * kSamplesPerFrame;
        };
        for (;;) {
            if (is(Token::End) || is(Token::Word, "TRACK")) break;
            const std::string w = word();
            if (w == "NO") {
                const std::string f = word();
                if (f != "COPY" && f != "PRE_EMPHASIS") fail("NO " + f.substr(0, 40) + "?");
            } else if (w == "COPY" || w == "PRE_EMPHASIS" || w == "TWO_CHANNEL_AUDIO" ||
                       w == "FOUR_CHANNEL_AUDIO") {
            } else if (w == "ISRC") {
                string();
            } else if (w == "CD_TEXT") {
                cdText(t.title, t.performer, false);
            } else if (w == "SILENCE" || w == "ZERO" || w == "PREGAP") {
                if (w == "ZERO") {
                    bool a;
                    if (is(Token::Word) && modeBytes(tok_.text, a)) advance();
                    if (is(Token::Word, "RW") || is(Token::Word, "RW_RAW")) advance();
                }
                bool msf = false;
                const std::int64_t v = length(&msf);
                Piece p;
                p.length = w == "PREGAP" ? v : samplesOf(v, msf);
                t.pieces.push_back(p);
                if (w == "PREGAP") {
                    t.startHere = true;
                    t.startPieces = t.pieces.size();
                }
            } else if (w == "FILE" || w == "AUDIOFILE" || w == "DATAFILE") {
                const bool data = w == "DATAFILE";
                const std::string name = string();
                Piece p;
                p.data = data;
                p.file = fileIndex(name, !data && audioExtension(name));
                if (is(Token::Punct, "#")) {
                    advance();
                    p.byteOffset = static_cast<std::int64_t>(number());
                }
                if (!data) {
                    p.start = length();
                    if (is(Token::Number)) p.length = length();
                } else if (is(Token::Number)) {
                    bool msf = false;
                    const std::int64_t v = length(&msf);
                    p.length = msf ? v / kSamplesPerFrame * t.sectorBytes : v;  // bytes
                }
                t.pieces.push_back(p);
            } else if (w == "FIFO") {
                fail("FIFO data is not read");
            } else if (w == "START") {
                if (is(Token::Number)) t.startAt = length();
                else {
                    t.startHere = true;
                    t.startPieces = t.pieces.size();
                }
            } else if (w == "INDEX") {
                length();
            } else {
                fail("unknown keyword '" + w.substr(0, 40) + "'");
            }
        }
        tracks.push_back(std::move(t));
    }

    Lexer lex_;
    Token tok_;
    std::map<std::string, int> fileIndexes_;
    int last_ = 1;
};

std::string pick(const std::map<int, std::string>& texts, int block) {
    const auto it = texts.find(block);
    return it == texts.end() ? std::string() : it->second;
}

}  // namespace

bool audioExtension(const std::string& name) {
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || name.find('/', dot) != std::string::npos) return false;
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const char* const kAudio[] = {"wav", "wave", "aif",  "aiff", "aifc", "flac",
                                         "ogg", "oga",  "opus", "mp3",  "m4a",  "mp4",
                                         "aac", "wma",  "ape",  "wv",   "mpc"};
    for (const char* a : kAudio)
        if (ext == a) return true;
    return false;
}

ImageToc readTocFile(const std::string& bytesIn, const std::string& source,
                     const DataFileProbe& probe, std::vector<std::string>& notes) {
    (void)notes;
    std::string bytes = bytesIn;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    Parser p(bytes, source);
    p.parse();
    if (p.tracks.empty()) throw CdReadError(source + ": no track on the disc");

    // The text's encoding, judged over all its CD-Text strings together.
    std::string allText;
    for (const auto* m : {&p.discTitle, &p.discPerformer})
        for (const auto& [k, v] : *m) allText += v + "\n";
    for (const TocTrack& t : p.tracks)
        for (const auto* m : {&t.title, &t.performer})
            for (const auto& [k, v] : *m) allText += v + "\n";
    const TextEncoding encoding = guessEncoding(allText);
    int block = 0;
    for (const auto& [b, code] : p.languages)
        if (code == 105) block = b;

    std::vector<DataFile> data;
    for (const TocFileEntry& f : p.files)
        data.push_back(probe(f.name, toUtf8(f.name, encoding), f.decoded));

    ImageToc toc;
    const std::string albumPerformer = toUtf8(pick(p.discPerformer, block), encoding);
    toc.title = takeTitle(toUtf8(pick(p.discTitle, block), encoding));
    std::int64_t trackStart = 0;  // frames
    for (std::size_t k = 0; k < p.tracks.size(); ++k) {
        const TocTrack& t = p.tracks[k];
        const std::string number = std::to_string(k + 1);
        std::int64_t samples = 0, startSamples = 0;
        for (std::size_t n = 0; n < t.pieces.size(); ++n) {
            if (t.startHere && n == t.startPieces) startSamples = samples;
            const Piece& piece = t.pieces[n];
            std::int64_t len = piece.length;
            if (piece.file >= 0) {
                const DataFile& f = data[static_cast<std::size_t>(piece.file)];
                const std::string what =
                    source + ": track " + number + " reads past the end of its data file " + f.path;
                if (piece.data) {
                    // Bytes, in frames of the track's mode.
                    const std::int64_t have = static_cast<std::int64_t>(f.bytes) - piece.byteOffset;
                    if (have < 0) throw CdReadError(what);
                    std::int64_t bytesLen = len < 0 ? have : len;
                    if (bytesLen > have) throw CdReadError(what);
                    len = (bytesLen + t.sectorBytes - 1) / t.sectorBytes * kSamplesPerFrame;
                } else {
                    const std::int64_t total =
                        f.decoded ? f.samples
                                  : (static_cast<std::int64_t>(f.bytes) - piece.byteOffset) / 4;
                    if (total < 0 || piece.start > total) throw CdReadError(what);
                    if (len < 0) len = total - piece.start;
                    if (piece.start + len > total) throw CdReadError(what);
                }
            }
            if (len < 0 || len > kMaxDiscFrames * kSamplesPerFrame * 4)
                throw CdReadError(source + ": track " + number + " is too long");
            samples += len;
            if (samples > kMaxDiscFrames * kSamplesPerFrame * 4)
                throw CdReadError(source + ": track " + number + " is too long");
        }
        if (t.startHere && t.startPieces == t.pieces.size()) startSamples = samples;
        if (t.startAt >= 0) startSamples = t.startAt;
        if (startSamples > samples)
            throw CdReadError(source + ": malformed table of contents (track " + number +
                              ": START past its end)");
        const std::int64_t frames = (samples + kSamplesPerFrame - 1) / kSamplesPerFrame;
        TocEntry e;
        e.number = static_cast<int>(k + 1);
        e.audio = t.audio;
        e.start = trackStart + startSamples / kSamplesPerFrame;
        e.title = songTitle(toUtf8(pick(t.title, block), encoding),
                            toUtf8(pick(t.performer, block), encoding), albumPerformer);
        toc.tracks.push_back(e);
        trackStart += frames;
    }
    toc.leadOut = trackStart;
    return toc;
}

}  // namespace ztp
