#include "cd_read.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "text_forms.h"
#include "utf8_path.h"

namespace ztp {
namespace {

namespace fs = std::filesystem;

// libcdio reports through a global log handler; keep its last complaint for
// our own message instead of letting it print. A failed assertion inside
// libcdio means a malformed image it cannot go on with: say so and stop
// before anything is written.
std::string lastCdioMessage;
std::string currentSource;

void keepCdioMessage(cdio_log_level_t level, const char* message) {
    if (level == CDIO_LOG_ASSERT) {
        std::fprintf(stderr, "ztp-plan: %s: malformed image (libcdio: %s)\n", currentSource.c_str(),
                     message ? message : "");
        std::_Exit(2);
    }
    if (level >= CDIO_LOG_WARN && message && *message) lastCdioMessage = message;
}

struct CdioCloser {
    void operator()(CdIo_t* p) const { cdio_destroy(p); }
};
using CdioHandle = std::unique_ptr<CdIo_t, CdioCloser>;

// Runs in a folder and comes back: libcdio opens the data files named in a
// TOC file relative to the working folder.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& dir) {
        std::error_code ec;
        previous_ = fs::current_path(ec);
        if (!ec && !dir.empty()) fs::current_path(dir, ec);
        changed_ = !ec && !dir.empty();
    }
    ~WorkingFolder() {
        std::error_code ec;
        if (changed_) fs::current_path(previous_, ec);
    }

private:
    fs::path previous_;
    bool changed_ = false;
};

std::string lowerExtension(const std::string& source) {
    std::string ext = utf8Path(source).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

bool validUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t extra;
        unsigned long cp, min;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; min = 0x80; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; min = 0x800; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; min = 0x10000; }
        else return false;
        if (i + extra >= s.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const unsigned char b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

// The bytes behind a text that was read as Latin-1 and handed over as UTF-8;
// false when it holds characters beyond Latin-1.
bool latin1Bytes(const std::string& utf8, std::string& bytes) {
    bytes.clear();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) bytes += static_cast<char>(c);
        else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            bytes += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        } else return false;
    }
    return true;
}

// Code page 932 bytes as UTF-8; false when they are not valid code page 932.
bool cp932ToUtf8(const std::string& bytes, std::string& out) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in = bytes;
    out.assign(bytes.size() * 3 + 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t srcLeft = in.size(), dstLeft = out.size();
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1) || srcLeft != 0) return false;
    out.resize(out.size() - dstLeft);
    return true;
}

// Cue sheets and TOC files carry their text in whatever encoding they were
// saved in, and libcdio passes it on as Latin-1: recover the bytes and read
// them as UTF-8, else as code page 932, else keep the Latin-1 reading.
std::string sheetText(const std::string& fromCdio) {
    std::string bytes, decoded;
    if (!latin1Bytes(fromCdio, bytes)) return fromCdio;
    if (validUtf8(bytes)) return bytes;
    if (cp932ToUtf8(bytes, decoded)) return decoded;
    return fromCdio;
}

// A title fit for a "disc TITLE" line: control characters become blanks.
std::string oneLine(std::string s) {
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return s;
}

std::string albumTitle(CdIo_t* p, bool fromSheet) {
    cdtext_t* text = cdio_get_cdtext(p);
    if (!text) return {};
    // A Japanese block first, when the disc has one.
    const char* title = nullptr;
    if (cdtext_select_language(text, CDTEXT_LANGUAGE_JAPANESE)) title = cdtext_get_const(text, CDTEXT_FIELD_TITLE, 0);
    if (!title || !*title) {
        cdtext_set_language_index(text, 0);
        title = cdtext_get_const(text, CDTEXT_FIELD_TITLE, 0);
    }
    if (!title || !*title) return {};
    return oneLine(fromSheet ? sheetText(title) : std::string(title));
}

// Lead-out, lead-in and pregap between the sessions of a multisession disc.
constexpr long kSessionGap = 11400;

struct TocTrack {
    int number;
    long start;  // frames
    bool audio;
};

// Track lengths from the starts and the lead-out, audio tracks only.
Disc discFromToc(const std::string& source, const std::vector<TocTrack>& tracks, long leadOut,
                 long lastSessionStart, std::vector<std::string>& notes) {
    Disc disc;
    long total = 0;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const TocTrack& t = tracks[i];
        const long end = i + 1 < tracks.size() ? tracks[i + 1].start : leadOut;
        if (t.start < 0 || end <= t.start)
            throw CdReadError(source + ": malformed table of contents (track " + std::to_string(t.number) +
                              (end == leadOut ? " starts past the end of the data)" : " does not start before the next)"));
        if (!t.audio) {
            notes.push_back(source + ": track " + std::to_string(t.number) + " is a data track and is left out");
            continue;
        }
        long frames = end - t.start;
        // An audio track that ends its session stops before the next session's gap.
        const bool nextSession = i + 1 < tracks.size() && lastSessionStart > t.start && end == lastSessionStart;
        if (nextSession && frames > kSessionGap) frames -= kSessionGap;
        total += frames;
        if (total > kMaxDiscFrames) throw CdReadError(source + ": malformed table of contents (longer than 255:59:74)");
        disc.tracks.push_back(packFrames(frames));
    }
    if (disc.tracks.empty()) throw CdReadError(source + ": no audio track on the disc");
    return disc;
}

std::uint64_t bigEndian(const unsigned char* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

// libcdio trusts the chunk sizes of a Nero image's footer: check that every
// chunk lies inside the footer and has a size its reader can take.
void checkNeroFooter(const std::string& source, const fs::path& p) {
    auto bad = [&](const std::string& why) { return CdReadError(source + ": malformed Nero image (" + why + ")"); };
    std::ifstream f(p, std::ios::binary);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(p, ec);
    if (!f || ec) throw CdReadError(source + ": cannot read the image");
    if (size < 12) throw bad("too short");
    unsigned char tail[12];
    f.seekg(static_cast<std::streamoff>(size - 12));
    f.read(reinterpret_cast<char*>(tail), 12);
    std::uint64_t footer;
    if (std::memcmp(tail, "NER5", 4) == 0) footer = bigEndian(tail + 4, 8);
    else if (std::memcmp(tail + 4, "NERO", 4) == 0) footer = bigEndian(tail + 8, 4);
    else throw bad("no NER5 or NERO mark at its end");
    if (footer >= size - 12 || size - footer > 4096) throw bad("footer out of place");
    std::vector<unsigned char> buf(static_cast<std::size_t>(size - 12 - footer));
    f.seekg(static_cast<std::streamoff>(footer));
    f.read(reinterpret_cast<char*>(buf.data()), static_cast<std::streamsize>(buf.size()));
    if (!f) throw CdReadError(source + ": cannot read the image");
    std::size_t tracks = 0;
    for (std::size_t pos = 0;;) {
        if (pos + 8 > buf.size()) throw bad("no END! chunk");
        const std::string id(reinterpret_cast<const char*>(&buf[pos]), 4);
        const std::uint64_t len = bigEndian(&buf[pos + 4], 4);
        if (id == "END!") return;
        if (pos + 8 + len > buf.size()) throw bad("chunk " + id + " runs past the footer");
        bool ok = true;
        if (id == "CUEX" || id == "CUES") {
            ok = len % 16 == 0 && len >= 16;
            tracks = len / 8 / 2 - 1;
        } else if (id == "DAOX") ok = len >= 22 + 42 * tracks;
        else if (id == "DAOI") ok = len >= 22 + 30 * tracks;
        else if (id == "ETNF") ok = len % 20 == 0;
        else if (id == "ETN2") ok = len % 32 == 0;
        else if (id == "SINF" || id == "MTYP") ok = len == 4;
        else if (id == "CDTX") ok = len % 18 == 0;
        if (!ok) throw bad("chunk " + id + " has a bad size");
        pos += 8 + len;
    }
}

CdioHandle openImage(const std::string& source, const std::string& ext) {
    const fs::path p = utf8Path(source);
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) throw CdReadError(source + ": no such image file");
    if (ext == ".cue" || ext == ".bin") {
        // libcdio takes NAME.cue and NAME.bin as one image, whichever is named.
        auto sibling = [&](const char* lower, const char* upper) {
            fs::path q = fs::path(p).replace_extension(lower);
            return fs::exists(q, ec) ? q : fs::path(p).replace_extension(upper);
        };
        const fs::path other = ext == ".cue" ? sibling(".bin", ".BIN") : sibling(".cue", ".CUE");
        if (!fs::exists(other, ec)) {
            throw CdReadError(source + (ext == ".cue" ? ": its data file " : ": no cue sheet ") +
                              fs::path(p).replace_extension(ext == ".cue" ? ".bin" : ".cue").filename().string() +
                              (ext == ".cue" ? " is missing (a cue sheet is read with the .bin of its own name)" : " beside it"));
        }
        return CdioHandle(cdio_open_bincue(source.c_str()));
    }
    if (ext == ".toc") {
        WorkingFolder in(p.parent_path());
        return CdioHandle(cdio_open_cdrdao(p.filename().c_str()));
    }
    checkNeroFooter(source, p);
    return CdioHandle(cdio_open_nrg(source.c_str()));
}

void printNotes(const std::vector<std::string>& notes) {
    for (const std::string& n : notes) std::fprintf(stderr, "ztp-plan: note: %s\n", n.c_str());
}

}  // namespace

Disc readCd(const std::string& sourceIn, const std::string& fallbackTitle, std::vector<std::string>& notes) {
    cdio_log_set_handler(keepCdioMessage);
    lastCdioMessage.clear();
    currentSource = sourceIn.empty() ? "the default CD drive" : sourceIn;
    const std::string ext = lowerExtension(sourceIn);
    const bool image = ext == ".cue" || ext == ".toc" || ext == ".nrg" || ext == ".bin";
    std::string source = sourceIn;
    CdioHandle cd;
    if (image) {
        cd = openImage(source, ext);
        if (!cd) {
            throw CdReadError(source + ": cannot read the image (" +
                              (lastCdioMessage.empty() ? std::string("malformed, or a form libcdio does not read")
                                                       : lastCdioMessage) + ")");
        }
    } else {
        std::error_code ec;
        if (!source.empty() && fs::is_regular_file(utf8Path(source), ec))
            throw CdReadError(source + ": not a CD image (.cue, .toc, .nrg or .bin) nor a CD drive");
        if (source.empty()) {
            driver_id_t driver = DRIVER_DEVICE;
            char* device = cdio_get_default_device_driver(&driver);
            if (!device) throw CdReadError("no CD drive found");
            source = device;
            std::free(device);
        }
        cd.reset(cdio_open(source.c_str(), DRIVER_DEVICE));
        if (!cd) throw CdReadError(source + ": no such CD drive, or it cannot be opened");
    }

    const track_t first = cdio_get_first_track_num(cd.get());
    const track_t count = cdio_get_num_tracks(cd.get());
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK) {
        throw CdReadError(source + (image ? ": malformed image, no table of contents" : ": no disc in the drive"));
    }
    if (count == 0) throw CdReadError(source + ": no track on the disc");
    std::vector<TocTrack> tracks;
    for (int t = first; t < first + count; ++t) {
        const lsn_t start = cdio_get_track_lsn(cd.get(), static_cast<track_t>(t));
        if (start == CDIO_INVALID_LSN) throw CdReadError(source + ": cannot read where track " + std::to_string(t) + " starts");
        tracks.push_back({t, static_cast<long>(start),
                          cdio_get_track_format(cd.get(), static_cast<track_t>(t)) == TRACK_FORMAT_AUDIO});
    }
    const lsn_t leadOut = cdio_get_track_lsn(cd.get(), CDIO_CDROM_LEADOUT_TRACK);
    if (leadOut == CDIO_INVALID_LSN) throw CdReadError(source + ": cannot read the disc's end (lead-out)");
    lsn_t lastSession = 0;
    if (cdio_get_last_session(cd.get(), &lastSession) != DRIVER_OP_SUCCESS) lastSession = 0;

    Disc disc = discFromToc(source, tracks, static_cast<long>(leadOut), static_cast<long>(lastSession), notes);
    disc.title = albumTitle(cd.get(), ext == ".cue" || ext == ".bin" || ext == ".toc");
    if (disc.title.empty()) disc.title = fallbackTitle;
    return disc;
}

std::string discEntryText(const Disc& disc) {
    std::string out = "disc " + disc.title + "\n";
    for (std::size_t i = 0; i < disc.tracks.size(); ++i) {
        char len[16];
        std::snprintf(len, sizeof len, "%u:%02u:%02u", msfMinutes(disc.tracks[i]), msfSeconds(disc.tracks[i]),
                      msfFrames(disc.tracks[i]));
        out += len;
        out += (i + 1) % 10 == 0 || i + 1 == disc.tracks.size() ? "\n" : " ";
    }
    return out;
}

ImageReader imageLineReader(const std::string& discFile) {
    const fs::path folder = utf8Path(discFile).parent_path();
    return [folder](const std::string& path) {
        const fs::path p = utf8Path(path);
        const fs::path full = p.is_absolute() || folder.empty() ? p : folder / p;
        const std::u8string u8 = full.u8string();
        std::vector<std::string> notes;
        Disc disc = readCd(std::string(u8.begin(), u8.end()), "不明", notes);
        printNotes(notes);
        return disc;
    };
}

const char* const kReadUsage =
    "usage: ztp-plan read [--title TEXT] [SOURCE]\n"
    "\n"
    "Reads a CD and writes it as one disc of a disc file to standard output:\n"
    "\"disc TITLE\" and the lengths of its audio tracks (M:SS:FF). SOURCE is a CD\n"
    "drive (default: the system's default drive) or a CD image: a cue sheet\n"
    "NAME.cue over one raw data file NAME.bin (either may be named), a cdrdao\n"
    "TOC file (.toc) or a Nero image (.nrg). The title is the disc's CD-Text\n"
    "album title, else TEXT, else 不明. Data tracks are left out with a note.\n"
    "\n"
    "In a disc file, a line \"image PATH\" (relative to the disc file's folder)\n"
    "stands for the disc that \"read PATH\" gives.\n"
    "\n"
    "Exit status: 0 on success, 2 when the source cannot be read (nothing written).\n";

int runReadCommand(const std::vector<std::string>& args) {
    std::string source, title = "不明";
    bool haveSource = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kReadUsage, stdout);
            return 0;
        }
        if (arg == "--title" || arg.rfind("--title=", 0) == 0) {
            if (arg == "--title" && i + 1 >= args.size()) throw CdReadError("--title needs a value");
            title = oneLine(arg == "--title" ? args[++i] : arg.substr(8));
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw CdReadError("unknown option " + arg + " of read");
        } else if (haveSource) {
            throw CdReadError("read takes one source, not also '" + arg + "'");
        } else {
            source = arg;
            haveSource = true;
        }
    }
    if (haveSource && source.empty()) throw CdReadError("read: the source is empty");
    std::vector<std::string> notes;
    const Disc disc = readCd(source, title, notes);
    printNotes(notes);
    const std::string text = discEntryText(disc);
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0) throw CdReadError("cannot write to standard output");
    return 0;
}

}  // namespace ztp
