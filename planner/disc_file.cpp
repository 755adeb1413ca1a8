#include "disc_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "text_clean.h"
#include "text_forms.h"
#include "utf8_path.h"

namespace ztp {
namespace {

long framesOf(std::uint32_t packed) {
    return (msfMinutes(packed) * 60L + msfSeconds(packed)) * kFramesPerSecond + msfFrames(packed);
}

// Reads up to maxDigits decimal digits as a number no larger than max.
bool readNumber(const std::string& s, std::size_t& i, std::size_t minDigits, std::size_t maxDigits,
                unsigned max, unsigned& value) {
    const std::size_t start = i;
    value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i - start < maxDigits)
        value = value * 10 + (s[i++] - '0');
    return i - start >= minDigits && value <= max;
}

bool parseLength(const std::string& token, std::uint32_t& packed) {
    std::size_t i = 0;
    unsigned m, s, f = 0;
    if (!readNumber(token, i, 1, 3, 255, m) || i >= token.size() || token[i++] != ':') return false;
    if (!readNumber(token, i, 2, 2, 59, s)) return false;
    if (i < token.size()) {
        if (token[i++] != ':' || !readNumber(token, i, 2, 2, 74, f)) return false;
    }
    if (i != token.size()) return false;
    packed = packMsf(m, s, f);
    return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

const char* const kKeywords[] = {"disc", "track", "image", "empty"};

// Edit distance with adjacent transpositions, for short words.
std::size_t distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min(
                {d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// What a line that starts with a word but is no keyword line may have meant:
// the line with the nearest keyword, in lower case, at the line's start and
// one blank before its text.
std::string keywordHint(const std::string& line, std::size_t first) {
    std::size_t end = first;
    while (end < line.size() && !isBlank(line[end])) ++end;
    const std::string word = line.substr(first, end - first);
    std::string lower = word;
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const char* best = nullptr;
    std::size_t bestDistance = 3;
    for (const char* k : kKeywords) {
        const std::size_t d = lower.size() > 12 ? bestDistance : distance(lower, k);
        if (d < bestDistance) best = k, bestDistance = d;
    }
    if (!best)
        return "(a line is 'disc TITLE', 'track M:SS TITLE', 'image PATH', 'empty', track lengths "
               "or a # comment)";
    const std::string k = best;
    std::size_t text = end;
    while (text < line.size() && isBlank(line[text])) ++text;
    const std::string meant = k + (text < line.size() ? " " + line.substr(text) : std::string());
    const char* why = lower == k && word != k  ? " keywords are lower case"
                      : word == k && first > 0 ? " a keyword starts the line"
                      : word == k              ? " one blank, not a tab, follows the keyword"
                                               : "";
    return "(did you mean '" + messageText(meant) + "'?" + why + ")";
}

// A title as the disc file gives it: control characters as blanks.
std::string titleOf(const std::string& text) { return blankControls(text); }

}  // namespace

std::uint32_t Disc::length() const {
    long frames = 0;
    for (std::uint32_t t : tracks) frames += framesOf(t);
    return packFrames(frames > kMaxDiscFrames ? kMaxDiscFrames : frames);
}

std::vector<Disc> parseDiscText(const std::string& textIn, const std::string& fileName,
                                const ImageReader& images) {
    std::string text = textIn;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    std::vector<Disc> discs;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    long discFrames = 0;
    bool afterImage = false;  // the last disc came from an image
    auto where = [&] { return messageText(fileName) + ":" + std::to_string(lineNo) + ": "; };
    auto fail = [&](const std::string& what, const std::string& offending) {
        return DiscFileError(where() + what + " '" + messageText(offending) + "'");
    };
    auto boundTitle = [&](const std::string& title, const char* what) {
        const std::size_t n = titleLength(title);
        if (n > kMaxTitleLength)
            throw DiscFileError(where() + what + " of " + std::to_string(n) +
                                " characters; a title holds at most " +
                                std::to_string(kMaxTitleLength));
        return title;
    };
    // One track of the last disc, its length in `token`.
    auto addTrack = [&](const std::string& token, const std::string& offending, std::string title) {
        std::uint32_t packed;
        if (!parseLength(token, packed))
            throw fail("not a track length M:SS or M:SS:FF", offending);
        Disc& d = discs.back();
        if (static_cast<int>(d.tracks.size()) >= kMaxDiscTracks)
            throw fail("more than 255 tracks on one disc", token);
        discFrames += framesOf(packed);
        if (discFrames > kMaxDiscFrames) throw fail("disc longer than 255:59:74", token);
        d.tracks.push_back(packed);
        d.trackTitles.push_back(std::move(title));
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (const std::size_t bad = invalidUtf8At(line); bad != std::string::npos) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(line[bad]));
            throw DiscFileError(where() + "not UTF-8 text (byte " + byte + " at column " +
                                std::to_string(bad + 1) + "); a disc file is UTF-8 text");
        }
        std::size_t first = 0;
        while (first < line.size() && isBlank(line[first])) ++first;
        if (first == line.size() || line[first] == '#') continue;
        if (line == "disc" || line.compare(0, 5, "disc ") == 0) {
            Disc d;
            d.title = boundTitle(titleOf(line.size() > 5 ? line.substr(5) : std::string()),
                                 "a disc title");
            discs.push_back(d);
            discFrames = 0;
            afterImage = false;
            continue;
        }
        if (line.compare(0, 6, "image ") == 0 || line == "image") {
            const std::string path = line.size() > 6 ? line.substr(6) : std::string();
            if (!images) throw fail("disc images are read only by ztp-plan", line);
            if (path.empty()) throw fail("no image path after", line);
            try {
                discs.push_back(images(path));
                afterImage = true;
            } catch (const Exception& e) {
                throw DiscFileError(where() + messageText(e.what()));
            }
            continue;
        }
        if (line.compare(0, 6, "track ") == 0 || line == "track") {
            if (discs.empty() || discs.back().empty || afterImage) {
                throw fail(discs.empty()        ? "a track before any 'disc' line"
                           : discs.back().empty ? "a track after 'empty'"
                                                : "a track after 'image'",
                           line);
            }
            std::size_t i = 6;
            while (i < line.size() && isBlank(line[i])) ++i;
            std::size_t end = i;
            while (end < line.size() && !isBlank(line[end])) ++end;
            const std::string token =
                line.substr(std::min(i, line.size()), end - std::min(i, line.size()));
            addTrack(token, token.empty() ? line : token,
                     boundTitle(titleOf(end < line.size() ? line.substr(end + 1) : std::string()),
                                "a song title"));
            continue;
        }
        if (line == "empty" || (line.compare(0, 5, "empty") == 0 &&
                                line.find_first_not_of(" \t", 5) == std::string::npos)) {
            Disc d;
            d.empty = true;
            discs.push_back(d);
            continue;
        }
        if (isLetter(line[first]))
            throw DiscFileError(where() + "unknown line '" + messageText(line) + "' " +
                                keywordHint(line, first));
        if (discs.empty() || discs.back().empty || afterImage) {
            throw fail(discs.empty()        ? "track lengths before any 'disc' line"
                       : discs.back().empty ? "track lengths after 'empty'"
                                            : "track lengths after 'image'",
                       line);
        }
        std::size_t i = first;
        while (i < line.size()) {
            std::size_t end = i;
            while (end < line.size() && !isBlank(line[end])) ++end;
            const std::string token = line.substr(i, end - i);
            addTrack(token, token, std::string());
            i = end;
            while (i < line.size() && isBlank(line[i])) ++i;
        }
    }
    return discs;
}

std::string discEntryText(const Disc& disc) {
    std::string out = "disc " + disc.title + "\n";
    bool titled = false;
    for (const std::string& t : disc.trackTitles) titled = titled || !t.empty();
    for (std::size_t i = 0; i < disc.tracks.size(); ++i) {
        char len[16];
        std::snprintf(len, sizeof len, "%u:%02u:%02u", msfMinutes(disc.tracks[i]),
                      msfSeconds(disc.tracks[i]), msfFrames(disc.tracks[i]));
        if (titled) {
            const std::string& title =
                i < disc.trackTitles.size() ? disc.trackTitles[i] : std::string();
            out += std::string("track ") + len + (title.empty() ? "" : " " + title) + "\n";
            continue;
        }
        out += len;
        out += (i + 1) % 10 == 0 || i + 1 == disc.tracks.size() ? "\n" : " ";
    }
    return out;
}

std::vector<Disc> readDiscFile(const std::string& path, const ImageReader& images) {
    namespace fs = std::filesystem;
    const fs::path p = utf8Path(path);
    const std::string name = messageText(path);
    std::error_code ec;
    const fs::file_status st = fs::status(p, ec);
    if (ec || !fs::exists(st))
        throw DiscFileError(
            name + ": cannot read the disc file (" +
            (ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory)).message() + ")");
    if (fs::is_directory(st)) throw DiscFileError(name + ": is a folder, not a disc file");
    if (!fs::is_regular_file(st)) {
        const char* kind = fs::is_character_file(st) || fs::is_block_file(st) ? "a device"
                           : fs::is_fifo(st)                                  ? "a named pipe"
                                             : "not a regular file";
        throw DiscFileError(name + ": " + kind +
                            ", not a disc file (disc files are read only from regular files)");
    }
    const std::string tooLarge = name + ": larger than a disc file may be (at most " +
                                 std::to_string(kMaxDiscFileBytes >> 20) + " MiB)";
    const std::uintmax_t size = fs::file_size(p, ec);
    if (!ec && size > kMaxDiscFileBytes) throw DiscFileError(tooLarge);
    errno = 0;
#ifdef _WIN32
    std::FILE* f = _wfopen(p.c_str(), L"rb");
#else
    std::FILE* f = std::fopen(p.c_str(), "rb");
#endif
    if (!f)
        throw DiscFileError(name + ": cannot read the disc file (" +
                            std::strerror(errno ? errno : EIO) + ")");
    // Read at most one byte past the bound: a file that grows stops there.
    std::string text(kMaxDiscFileBytes + 1, '\0');
    const std::size_t n = std::fread(text.data(), 1, text.size(), f);
    const bool failed = std::ferror(f) != 0;
    const int err = errno;
    std::fclose(f);
    if (failed)
        throw DiscFileError(name + ": cannot read the disc file (" +
                            std::strerror(err ? err : EIO) + ")");
    if (n > kMaxDiscFileBytes) throw DiscFileError(tooLarge);
    text.resize(n);
    return parseDiscText(text, path, images);
}

}  // namespace ztp
