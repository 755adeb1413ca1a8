#include "disc_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

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
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i - start < maxDigits) value = value * 10 + (s[i++] - '0');
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

}  // namespace

std::uint32_t Disc::length() const {
    long frames = 0;
    for (std::uint32_t t : tracks) frames += framesOf(t);
    return packFrames(frames > kMaxDiscFrames ? kMaxDiscFrames : frames);
}

std::vector<Disc> parseDiscText(const std::string& textIn, const std::string& fileName, const ImageReader& images) {
    std::string text = textIn;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    std::vector<Disc> discs;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    long discFrames = 0;
    bool afterImage = false;  // the last disc came from an image
    auto where = [&] { return fileName + ":" + std::to_string(lineNo) + ": "; };
    auto fail = [&](const std::string& what, const std::string& offending) {
        return DiscFileError(where() + what + " '" + offending + "'");
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t first = 0;
        while (first < line.size() && isBlank(line[first])) ++first;
        if (first == line.size() || line[first] == '#') continue;
        if (line == "disc" || line.compare(0, 5, "disc ") == 0) {
            Disc d;
            d.title = line.size() > 5 ? line.substr(5) : std::string();
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
                throw DiscFileError(where() + e.what());
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
            const std::string token = line.substr(std::min(i, line.size()), end - std::min(i, line.size()));
            std::uint32_t packed;
            if (!parseLength(token, packed)) throw fail("not a track length M:SS or M:SS:FF", token.empty() ? line : token);
            Disc& d = discs.back();
            if (static_cast<int>(d.tracks.size()) >= kMaxDiscTracks) throw fail("more than 255 tracks on one disc", token);
            discFrames += framesOf(packed);
            if (discFrames > kMaxDiscFrames) throw fail("disc longer than 255:59:74", token);
            d.tracks.push_back(packed);
            d.trackTitles.push_back(end < line.size() ? line.substr(end + 1) : std::string());
            continue;
        }
        if (line == "empty") {
            Disc d;
            d.empty = true;
            discs.push_back(d);
            continue;
        }
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
            std::uint32_t packed;
            if (!parseLength(token, packed)) throw fail("not a track length M:SS or M:SS:FF", token);
            Disc& d = discs.back();
            if (static_cast<int>(d.tracks.size()) >= kMaxDiscTracks)
                throw fail("more than 255 tracks on one disc", token);
            discFrames += framesOf(packed);
            if (discFrames > kMaxDiscFrames) throw fail("disc longer than 255:59:74", token);
            d.tracks.push_back(packed);
            d.trackTitles.emplace_back();
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
        std::snprintf(len, sizeof len, "%u:%02u:%02u", msfMinutes(disc.tracks[i]), msfSeconds(disc.tracks[i]),
                      msfFrames(disc.tracks[i]));
        if (titled) {
            const std::string& title = i < disc.trackTitles.size() ? disc.trackTitles[i] : std::string();
            out += std::string("track ") + len + (title.empty() ? "" : " " + title) + "\n";
            continue;
        }
        out += len;
        out += (i + 1) % 10 == 0 || i + 1 == disc.tracks.size() ? "\n" : " ";
    }
    return out;
}

std::vector<Disc> readDiscFile(const std::string& path, const ImageReader& images) {
    const std::filesystem::path p = utf8Path(path);
    std::error_code ec;
    std::ifstream f;
    if (std::filesystem::is_directory(p, ec)) throw DiscFileError(path + ": is a folder, not a disc file");
    f.open(p, std::ios::binary);
    if (!f) throw DiscFileError(path + ": cannot read the disc file");
    std::ostringstream ss;
    ss << f.rdbuf();
    if (f.bad()) throw DiscFileError(path + ": cannot read the disc file");
    return parseDiscText(ss.str(), path, images);
}

}  // namespace ztp
