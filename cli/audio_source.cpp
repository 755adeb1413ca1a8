#include "audio_source.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <taglib/fileref.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tpropertymap.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "text_codec.h"
#include "text_forms.h"
#include "toc_file.h"
#include "utf8_path.h"

namespace ztp {
namespace fs = std::filesystem;
namespace {

// TagLib's complaints about malformed files are ours to word.
class QuietTagLib : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String&) override {}
};

// The MP3 decoder under libsndfile prints its notes on malformed data to
// stderr, which libsndfile does not let us turn off: the messages here are
// ours, so stderr points at /dev/null while libsndfile works.
class StderrMuted {
public:
    StderrMuted() {
        std::fflush(stderr);
        saved_ = ::dup(2);
        const int null = ::open("/dev/null", O_WRONLY);
        if (saved_ >= 0 && null >= 0) ::dup2(null, 2);
        if (null >= 0) ::close(null);
    }
    ~StderrMuted() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, 2);
            ::close(saved_);
        }
    }
    StderrMuted(const StderrMuted&) = delete;
    StderrMuted& operator=(const StderrMuted&) = delete;

private:
    int saved_;
};

void quietTagLib() {
    static QuietTagLib listener;
    static const bool set = (TagLib::setDebugListener(&listener), true);
    (void)set;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string u8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::string tagText(const TagLib::String& s) { return s.to8Bit(true); }

// Names in "natural" order: runs of digits compare by value.
bool naturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            std::size_t ie = i, je = j;
            while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) ++ie;
            while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) ++je;
            std::string x = a.substr(i, ie - i), y = b.substr(j, je - j);
            x.erase(0, std::min(x.find_first_not_of('0'), x.size()));
            y.erase(0, std::min(y.find_first_not_of('0'), y.size()));
            if (x.size() != y.size()) return x.size() < y.size();
            if (x != y) return x < y;
            i = ie, j = je;
            continue;
        }
        const char ca = static_cast<char>(std::tolower(static_cast<unsigned char>(a[i])));
        const char cb = static_cast<char>(std::tolower(static_cast<unsigned char>(b[j])));
        if (ca != cb) return ca < cb;
        ++i, ++j;
    }
    return a.size() - i < b.size() - j || (a.size() - i == b.size() - j && a < b);
}

std::string readSmallFile(const fs::path& p, const std::string& name) {
    requireRegularFile(p, name);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(p, ec);
    if (ec) throw CdReadError(name + ": cannot be read");
    if (size > kMaxSheetBytes)
        throw CdReadError(name + ": too large for a playlist or sheet (over 4 MiB)");
    std::ifstream f(p, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    if (!f && !f.eof()) throw CdReadError(name + ": cannot be read");
    return ss.str();
}

std::string percentDecoded(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() &&
            std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

struct Track {
    fs::path path;
    std::string name;  // as shown in messages
    std::string listTitle;
    AudioInfo info;
};

}  // namespace

void requireRegularFile(const fs::path& p, const std::string& name) {
    struct stat st;
    if (::stat(p.c_str(), &st) != 0) throw CdReadError(name + ": no such file");
    if (S_ISDIR(st.st_mode)) throw CdReadError(name + ": is a folder, not a file");
    if (!S_ISREG(st.st_mode))
        throw CdReadError(name + ": not a regular file (a FIFO or a device), not read");
}

bool playlistExtension(const std::string& name) {
    const std::string ext = lower(utf8Path(name).extension().string());
    return ext == ".m3u" || ext == ".m3u8" || ext == ".pls";
}

AudioInfo readAudioFile(const fs::path& p, const std::string& name) {
    requireRegularFile(p, name);
    quietTagLib();
    AudioInfo info;
    bool measured = false;
    SF_INFO sf{};
    StderrMuted muted;
    if (SNDFILE* f = sf_open(p.c_str(), SFM_READ, &sf)) {
        // Up to a day at up to 1 MHz; frames beyond are a damaged header.
        if (sf.samplerate > 0 && sf.samplerate <= 1000000 && sf.frames >= 0 &&
            sf.frames <= static_cast<sf_count_t>(sf.samplerate) * 86400) {
            info.samples = (sf.frames * 44100 + sf.samplerate - 1) / sf.samplerate;
            measured = true;
        }
        sf_close(f);
    }
    TagLib::FileRef ref(p.c_str(), true, TagLib::AudioProperties::Accurate);
    if (!ref.isNull()) {
        if (!measured && ref.audioProperties()) {
            const int ms = ref.audioProperties()->lengthInMilliseconds();
            if (ms > 0) {
                info.samples = static_cast<std::int64_t>(ms) * 441 / 10;
                measured = true;
            }
        }
        if (const TagLib::Tag* tag = ref.tag()) {
            info.title = tagText(tag->title());
            info.artist = tagText(tag->artist());
            info.album = tagText(tag->album());
            info.track = static_cast<int>(std::min(tag->track(), 999u));
        }
        const TagLib::PropertyMap props = ref.file()->properties();
        auto first = [&](const char* key) {
            const auto it = props.find(key);
            return it == props.end() || it->second.isEmpty() ? std::string()
                                                             : tagText(it->second.front());
        };
        info.albumArtist = first("ALBUMARTIST");
        const std::string disc = first("DISCNUMBER");
        info.discNumber =
            disc.empty() || !std::isdigit(static_cast<unsigned char>(disc[0]))
                ? 0
                : std::atoi(disc.substr(0, std::min<std::size_t>(disc.size(), 3)).c_str());
    }
    if (!measured)
        throw CdReadError(name + ": cannot be decoded (not an audio file that can be read)");
    return info;
}

fs::path findNamedFile(const fs::path& folder, const std::string& nameIn, const std::string& sheet,
                       std::vector<std::string>& notes) {
    std::string name = nameIn;
    std::replace(name.begin(), name.end(), '\\', '/');
    std::error_code ec;
    const fs::path given = utf8Path(name);
    const fs::path direct = given.is_absolute() || folder.empty() ? given : folder / given;
    if (fs::exists(direct, ec)) return direct;
    auto noteUse = [&](const fs::path& used) {
        notes.push_back(sheet + ": \"" + nameIn + "\" is read as " + u8(used.lexically_normal()));
        return used;
    };
    // The same path with other letter case, folder by folder.
    auto caseless = [&](const fs::path& in, const fs::path& rel) -> fs::path {
        fs::path at = in.empty() ? fs::path(".") : in;
        for (const fs::path& part : rel) {
            if (part == "." || part.empty()) continue;
            if (part == "..") {
                at /= part;
                continue;
            }
            fs::path found;
            const std::string want = lower(part.string());
            for (fs::directory_iterator it(at, ec), end; !ec && it != end; it.increment(ec))
                if (lower(it->path().filename().string()) == want) {
                    found = it->path();
                    break;
                }
            if (found.empty()) return {};
            at = found;
        }
        return in.empty() && at.string().rfind("./", 0) == 0 ? fs::path(at.string().substr(2)) : at;
    };
    if (!given.is_absolute() && given.has_relative_path()) {
        if (fs::path p = caseless(folder, given.relative_path()); !p.empty()) return noteUse(p);
    }
    const fs::path base = given.filename();
    if (!base.empty() && base != given) {
        const fs::path beside = folder.empty() ? base : folder / base;
        if (fs::exists(beside, ec)) return noteUse(beside);
    }
    if (!base.empty()) {
        if (fs::path p = caseless(folder, base); !p.empty()) return noteUse(p);
    }
    return {};
}

std::vector<PlaylistEntry> parsePlaylist(const std::string& bytesIn, bool pls,
                                         const std::string& source) {
    std::string bytes = bytesIn;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    const std::string text = toUtf8(bytes, guessEncoding(bytes));
    std::vector<PlaylistEntry> entries;
    std::vector<std::pair<int, PlaylistEntry>> numbered;
    std::string pendingTitle;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto trim = [](std::string s) {
        const std::size_t a = s.find_first_not_of(" \t\r");
        if (a == std::string::npos) return std::string();
        return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
    };
    auto localPath = [&](const std::string& p) {
        if (lower(p.substr(0, 7)) == "file://") {
            std::string rest = p.substr(7);
            if (rest.rfind("localhost/", 0) == 0) rest = rest.substr(9);
            return percentDecoded(rest);
        }
        const std::size_t colon = p.find("://");
        if (colon != std::string::npos && colon > 1)
            throw CdReadError(source + ": line " + std::to_string(lineNo) +
                              " is not a local file (" +
                              p.substr(0, std::min<std::size_t>(p.size(), 60)) + ")");
        return p;
    };
    bool section = false;
    while (std::getline(in, line)) {
        ++lineNo;
        line = trim(line);
        if (line.empty()) continue;
        if (!pls) {
            if (line[0] == '#') {
                if (line.rfind("#EXTINF:", 0) == 0) {
                    const std::size_t comma = line.find(',');
                    pendingTitle =
                        comma == std::string::npos ? std::string() : trim(line.substr(comma + 1));
                }
                continue;
            }
            entries.push_back({localPath(line), pendingTitle});
            pendingTitle.clear();
        } else {
            if (line[0] == ';' || line[0] == '#') continue;
            if (line[0] == '[') {
                section = lower(line) == "[playlist]";
                continue;
            }
            const std::size_t eq = line.find('=');
            if (!section || eq == std::string::npos)
                throw CdReadError(source + ": malformed playlist (line " + std::to_string(lineNo) +
                                  ")");
            const std::string key = lower(trim(line.substr(0, eq))),
                              value = trim(line.substr(eq + 1));
            for (const char* k : {"file", "title"}) {
                const std::size_t kl = std::string(k).size();
                if (key.size() > kl && key.size() <= kl + 4 && key.compare(0, kl, k) == 0 &&
                    std::all_of(key.begin() + static_cast<long>(kl), key.end(),
                                [](unsigned char c) { return std::isdigit(c); })) {
                    const int n = std::stoi(key.substr(kl));
                    auto it = std::find_if(numbered.begin(), numbered.end(),
                                           [&](const auto& e) { return e.first == n; });
                    if (it == numbered.end()) {
                        numbered.push_back({n, {}});
                        it = numbered.end() - 1;
                    }
                    (k[0] == 'f' ? it->second.path : it->second.title) =
                        k[0] == 'f' ? localPath(value) : value;
                }
            }
        }
        if (entries.size() + numbered.size() > static_cast<std::size_t>(kMaxDiscTracks))
            throw CdReadError(source + ": more than 255 entries");
    }
    if (pls) {
        std::sort(numbered.begin(), numbered.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [n, e] : numbered) {
            if (e.path.empty())
                throw CdReadError(source + ": malformed playlist (Title" + std::to_string(n) +
                                  " without File" + std::to_string(n) + ")");
            entries.push_back(e);
        }
    }
    return entries;
}

Disc readAudioDisc(const std::vector<std::string>& sources, std::vector<std::string>& notes,
                   std::string& nameHint, std::vector<std::string>* opened) {
    std::vector<Track> tracks;
    bool byTags = false;
    std::error_code ec;
    if (sources.size() == 1 && fs::is_directory(utf8Path(sources[0]), ec)) {
        const fs::path folder = utf8Path(sources[0]);
        fs::path named = fs::absolute(folder, ec).lexically_normal();
        if (named.filename().empty()) named = named.parent_path();
        nameHint = u8(named.filename());
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string file = u8(it->path().filename());
            if (!audioExtension(file) || file[0] == '.') continue;
            std::error_code e2;
            if (!it->is_regular_file(e2)) continue;
            if (tracks.size() >= static_cast<std::size_t>(kMaxDiscTracks))
                throw CdReadError(sources[0] + ": more than 255 audio files");
            tracks.push_back({it->path(), u8(it->path()), {}, {}});
        }
        if (ec)
            throw CdReadError(sources[0] + ": the folder cannot be read (" + ec.message() + ")");
        if (tracks.empty()) throw CdReadError(sources[0] + ": no audio files in the folder");
        byTags = true;
    } else if (sources.size() == 1 && playlistExtension(sources[0])) {
        const fs::path list = utf8Path(sources[0]);
        nameHint = u8(list.stem());
        const bool pls = lower(list.extension().string()) == ".pls";
        if (opened) opened->push_back(sources[0]);
        const std::vector<PlaylistEntry> entries =
            parsePlaylist(readSmallFile(list, sources[0]), pls, sources[0]);
        if (entries.empty()) throw CdReadError(sources[0] + ": the playlist is empty");
        for (const PlaylistEntry& e : entries) {
            if (playlistExtension(e.path))
                throw CdReadError(sources[0] + ": holds another playlist (" + e.path + ")");
            const fs::path p = findNamedFile(list.parent_path(), e.path, sources[0], notes);
            if (p.empty()) throw CdReadError(sources[0] + ": its entry " + e.path + " is missing");
            tracks.push_back({p, u8(p), e.title, {}});
        }
    } else {
        if (sources.size() > static_cast<std::size_t>(kMaxDiscTracks))
            throw CdReadError("read: more than 255 audio files");
        for (const std::string& s : sources) {
            std::error_code e2;
            if (fs::is_directory(utf8Path(s), e2) || playlistExtension(s))
                throw CdReadError(s +
                                  ": a folder or playlist is read alone, not with other sources");
            tracks.push_back({utf8Path(s), s, {}, {}});
        }
    }
    for (Track& t : tracks) {
        if (opened) opened->push_back(u8(t.path));
        t.info = readAudioFile(t.path, t.name);
    }

    if (byTags) {
        // Track-number order when every file has a distinct number, else name order.
        std::vector<std::pair<int, int>> keys;
        for (const Track& t : tracks) keys.push_back({t.info.discNumber, t.info.track});
        std::sort(keys.begin(), keys.end());
        const bool numbered = std::all_of(tracks.begin(), tracks.end(),
                                          [](const Track& t) { return t.info.track > 0; }) &&
                              std::adjacent_find(keys.begin(), keys.end()) == keys.end();
        std::sort(tracks.begin(), tracks.end(), [&](const Track& a, const Track& b) {
            if (numbered)
                return std::make_pair(a.info.discNumber, a.info.track) <
                       std::make_pair(b.info.discNumber, b.info.track);
            return naturalLess(u8(a.path.filename()), u8(b.path.filename()));
        });
    }

    // The album and its performer when all files share them.
    auto shared = [&](auto field) {
        const std::string first = field(tracks.front().info);
        for (const Track& t : tracks)
            if (field(t.info) != first) return std::string();
        return first;
    };
    const std::string album = shared([](const AudioInfo& i) { return i.album; });
    // The album's performer: the album artist, else the artist of most tracks.
    std::string performer = shared([](const AudioInfo& i) { return i.albumArtist; });
    if (performer.empty()) {
        std::map<std::string, std::size_t> count;
        for (const Track& t : tracks) ++count[t.info.artist];
        for (const auto& [artist, n] : count)
            if (2 * n > tracks.size()) performer = artist;
    }

    Disc disc;
    disc.title = takeTitle(album);
    long total = 0;
    for (const Track& t : tracks) {
        const std::int64_t frames = (t.info.samples + 587) / 588;
        if (frames <= 0) throw CdReadError(t.name + ": holds no audio");
        if (frames > kMaxDiscFrames || total + frames > kMaxDiscFrames)
            throw CdReadError(t.name + ": takes the disc past 255:59:74");
        total += static_cast<long>(frames);
        disc.tracks.push_back(packFrames(static_cast<long>(frames)));
        std::string title = t.info.title.empty() ? t.listTitle : t.info.title;
        if (title.empty()) title = u8(t.path.stem());
        disc.trackTitles.push_back(songTitle(title, t.info.artist, performer));
    }
    return disc;
}

}  // namespace ztp
