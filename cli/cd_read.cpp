#include "cd_read.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/cdrom.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "audio_source.h"
#include "cue_sheet.h"
#include "text_codec.h"
#include "text_forms.h"
#include "toc_file.h"
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

std::string lowerExtension(const std::string& source) {
    std::string ext = utf8Path(source).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

std::string u8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

// CD-Text from libcdio (a drive's or a Nero image's), already UTF-8: the
// Japanese block first, when the disc has one.
std::string cdText(CdIo_t* p, cdtext_field_t field, track_t track) {
    cdtext_t* text = cdio_get_cdtext(p);
    if (!text) return {};
    const char* value = nullptr;
    if (cdtext_select_language(text, CDTEXT_LANGUAGE_JAPANESE))
        value = cdtext_get_const(text, field, track);
    if (!value || !*value) {
        cdtext_set_language_index(text, 0);
        value = cdtext_get_const(text, field, track);
    }
    return value ? std::string(value) : std::string();
}

std::uint64_t bigEndian(const unsigned char* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

// libcdio trusts the chunk sizes of a Nero image's footer: check that every
// chunk lies inside the footer and has a size its reader can take.
void checkNeroFooter(const std::string& source, const fs::path& p) {
    auto bad = [&](const std::string& why) {
        return CdReadError(source + ": malformed Nero image (" + why + ")");
    };
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

std::string readSheetFile(const fs::path& p, const std::string& source) {
    requireRegularFile(p, source);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(p, ec);
    if (ec) throw CdReadError(source + ": cannot read the image");
    if (size > kMaxSheetBytes)
        throw CdReadError(source + ": too large for a cue sheet or TOC file (over 4 MiB)");
    std::ifstream f(p, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    if (!f && !f.eof()) throw CdReadError(source + ": cannot read the image");
    return ss.str();
}

// The data files of a sheet, found beside it and measured; FIFOs, devices
// and folders are refused before they are opened.
DataFileProbe sheetProbe(const fs::path& sheet, const std::string& source,
                         std::vector<std::string>& notes, std::vector<std::string>* opened) {
    return [folder = sheet.parent_path(), source, &notes, opened](
               const std::string& raw, const std::string& utf8, bool decode) {
        fs::path p = findNamedFile(folder, raw, source, notes);
        if (p.empty() && utf8 != raw) p = findNamedFile(folder, utf8, source, notes);
        if (p.empty()) throw CdReadError(source + ": its data file " + utf8 + " is missing");
        DataFile d;
        d.path = u8(p);
        if (opened) opened->push_back(d.path);
        requireRegularFile(p, d.path);
        std::error_code ec;
        d.bytes = fs::file_size(p, ec);
        if (ec) throw CdReadError(d.path + ": cannot be read");
        if (decode) {
            d.decoded = true;
            d.samples = readAudioFile(p, d.path).samples;
        }
        return d;
    };
}

Disc readImageSheet(const std::string& source, const std::string& ext,
                    std::vector<std::string>& notes, std::vector<std::string>* opened) {
    fs::path p = utf8Path(source);
    std::string name = source;
    if (ext == ".bin") {
        // A raw image named by its data file: the cue sheet of its own name.
        std::error_code ec;
        fs::path cue = fs::path(p).replace_extension(".cue");
        if (!fs::exists(cue, ec)) cue = fs::path(p).replace_extension(".CUE");
        if (!fs::exists(cue, ec))
            throw CdReadError(source + ": no cue sheet " +
                              u8(fs::path(p).replace_extension(".cue").filename()) + " beside it");
        p = cue;
        name = u8(cue);
    }
    if (opened) opened->push_back(name);
    const std::string bytes = readSheetFile(p, name);
    const ImageToc toc = ext == ".toc"
                             ? readTocFile(bytes, name, sheetProbe(p, name, notes, opened), notes)
                             : readCueSheet(bytes, name, sheetProbe(p, name, notes, opened), notes);
    return discFromToc(name, toc, notes);
}

// A source that is neither a file nor a folder must be a CD drive: refuses
// what does not exist, FIFOs and sockets, and devices that are no CD drive
// (/dev/null) before libcdio takes them for an empty drive.
void requireCdDrive(const std::string& source) {
    struct stat st;
    if (::stat(source.c_str(), &st) != 0) {
        if (errno == ENOENT) throw CdReadError(source + ": no such file, folder or CD drive");
        throw CdReadError(source + ": cannot be read (" + std::strerror(errno) + ")");
    }
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
        throw CdReadError(source + ": a named pipe or socket, not a CD drive, image or audio file");
    if (!S_ISBLK(st.st_mode) && !S_ISCHR(st.st_mode))
        throw CdReadError(source + ": not a CD drive, image, audio file, folder or playlist");
#ifdef __linux__
    const int fd = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw CdReadError(source + ": the CD drive cannot be opened (" + std::strerror(errno) +
                          ")");
    const bool cd = ::ioctl(fd, CDROM_GET_CAPABILITY, 0) >= 0;
    ::close(fd);
    if (!cd) throw CdReadError(source + ": a device that is not a CD drive");
#endif
}

Disc readCdio(const std::string& sourceIn, bool nero, std::vector<std::string>& notes,
              std::vector<std::string>* opened) {
    cdio_log_set_handler(keepCdioMessage);
    lastCdioMessage.clear();
    currentSource = sourceIn.empty() ? "the default CD drive" : sourceIn;
    std::string source = sourceIn;
    CdioHandle cd;
    if (nero) {
        if (opened) opened->push_back(source);
        requireRegularFile(utf8Path(source), source);
        checkNeroFooter(source, utf8Path(source));
        cd.reset(cdio_open_nrg(source.c_str()));
        if (!cd) {
            throw CdReadError(source + ": cannot read the image (" +
                              (lastCdioMessage.empty()
                                   ? std::string("malformed, or a form libcdio does not read")
                                   : lastCdioMessage) +
                              ")");
        }
    } else {
        if (source.empty()) {
            driver_id_t driver = DRIVER_DEVICE;
            char* device = cdio_get_default_device_driver(&driver);
            if (!device) throw CdReadError("no CD drive found");
            source = device;
            std::free(device);
        }
        requireCdDrive(source);
        cd.reset(cdio_open(source.c_str(), DRIVER_DEVICE));
        if (!cd) throw CdReadError(source + ": the CD drive cannot be opened");
    }

    const track_t first = cdio_get_first_track_num(cd.get());
    const track_t count = cdio_get_num_tracks(cd.get());
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK) {
        throw CdReadError(
            source + (nero ? ": malformed image, no table of contents" : ": no disc in the drive"));
    }
    if (count == 0) throw CdReadError(source + ": no track on the disc");
    ImageToc toc;
    const std::string albumPerformer = cdText(cd.get(), CDTEXT_FIELD_PERFORMER, 0);
    for (int t = first; t < first + count; ++t) {
        const lsn_t start = cdio_get_track_lsn(cd.get(), static_cast<track_t>(t));
        if (start == CDIO_INVALID_LSN)
            throw CdReadError(source + ": cannot read where track " + std::to_string(t) +
                              " starts");
        TocEntry e;
        e.number = t;
        e.start = start;
        e.audio = cdio_get_track_format(cd.get(), static_cast<track_t>(t)) == TRACK_FORMAT_AUDIO;
        e.title = songTitle(cdText(cd.get(), CDTEXT_FIELD_TITLE, static_cast<track_t>(t)),
                            cdText(cd.get(), CDTEXT_FIELD_PERFORMER, static_cast<track_t>(t)),
                            albumPerformer);
        toc.tracks.push_back(e);
    }
    const lsn_t leadOut = cdio_get_track_lsn(cd.get(), CDIO_CDROM_LEADOUT_TRACK);
    if (leadOut == CDIO_INVALID_LSN)
        throw CdReadError(source + ": cannot read the disc's end (lead-out)");
    toc.leadOut = leadOut;
    lsn_t lastSession = 0;
    if (cdio_get_last_session(cd.get(), &lastSession) != DRIVER_OP_SUCCESS) lastSession = 0;
    toc.lastSessionStart = lastSession;
    toc.title = takeTitle(cdText(cd.get(), CDTEXT_FIELD_TITLE, 0));
    return discFromToc(source, toc, notes);
}

void printNotes(const std::vector<std::string>& notes) {
    for (const std::string& n : notes)
        std::fprintf(stderr, "ztp-plan: note: %s\n", messageText(n).c_str());
}

}  // namespace

Disc readSources(const std::vector<std::string>& sources, std::vector<std::string>& notes,
                 std::string& nameHint, std::vector<std::string>* opened) {
    if (sources.size() > 1) return readAudioDisc(sources, notes, nameHint, opened);
    const std::string source = sources.empty() ? std::string() : sources[0];
    const std::string ext = lowerExtension(source);
    std::error_code ec;
    const fs::path p = utf8Path(source);
    if (!source.empty() &&
        (fs::is_directory(p, ec) || playlistExtension(source) || audioExtension(source)))
        return readAudioDisc({source}, notes, nameHint, opened);
    if (ext == ".cue" || ext == ".toc" || ext == ".bin") {
        if (!fs::exists(p, ec)) throw CdReadError(source + ": no such image file");
        return readImageSheet(source, ext, notes, opened);
    }
    if (ext == ".nrg") {
        if (!fs::exists(p, ec)) throw CdReadError(source + ": no such image file");
        return readCdio(source, true, notes, opened);
    }
    if (!source.empty() && fs::is_regular_file(p, ec)) {
        // Another file: an audio file by its content, or nothing this reads.
        try {
            return readAudioDisc({source}, notes, nameHint, opened);
        } catch (const CdReadError&) {
            throw CdReadError(
                source +
                ": not a CD image (.cue, .toc, .nrg or .bin), audio file, playlist nor a CD drive");
        }
    }
    return readCdio(source, false, notes, opened);
}

Disc readCd(const std::string& source, const std::string& fallbackTitle,
            std::vector<std::string>& notes, std::vector<std::string>* opened) {
    std::string nameHint;
    Disc disc = readSources({source}, notes, nameHint, opened);
    if (disc.title.empty()) disc.title = nameHint.empty() ? fallbackTitle : takeTitle(nameHint);
    return disc;
}

ImageReader imageLineReader(const std::string& discFile, std::vector<std::string>* opened) {
    const fs::path folder = utf8Path(discFile).parent_path();
    return [folder, opened](const std::string& path) {
        const fs::path p = utf8Path(path);
        const fs::path full = p.is_absolute() || folder.empty() ? p : folder / p;
        std::vector<std::string> notes;
        Disc disc = readCd(u8(full), "不明", notes, opened);
        printNotes(notes);
        return disc;
    };
}

const char* const kReadUsage =
    "usage: ztp-plan read [--title TEXT] [--] [SOURCE...]\n"
    "\n"
    "Reads a CD, a CD image or audio files and writes them as one disc of a\n"
    "disc file to standard output. SOURCE is:\n"
    "  a CD drive          (default: the system's default drive)\n"
    "  a cue sheet (.cue)  over the files its FILE lines name: raw images (.bin),\n"
    "                      WAVE, FLAC and other audio files, one image or one\n"
    "                      file a track; a .bin is read with the .cue of its name\n"
    "  a cdrdao TOC file (.toc), or a Nero image (.nrg)\n"
    "  audio files         (WAV, AIFF, FLAC, Ogg Vorbis/Opus, MP3, M4A), one\n"
    "                      track each, in the order given\n"
    "  a folder            its audio files, in track-number order, else by name\n"
    "  a playlist          (.m3u, .m3u8, .pls)\n"
    "Images give the lengths a drive's table of contents gives (index 1 to the\n"
    "next track's index 1), whatever the layout of the rip; data tracks are\n"
    "left out with a note. Audio files give the lengths of their audio.\n"
    "\n"
    "The disc's title is the CD-Text album title or the album tag, else TEXT,\n"
    "else the folder's or playlist's name, else 不明. When song titles are found\n"
    "(CD-Text, the sheet's track TITLE, tags, else the file names), each track\n"
    "is written as \"track M:SS:FF TITLE\"; otherwise the lengths are written on\n"
    "lines of ten.\n"
    "\n"
    "In a disc file, a line \"image PATH\" (relative to the disc file's folder)\n"
    "stands for the disc that \"read PATH\" gives (an image, an audio file, a\n"
    "folder or a playlist).\n"
    "\n"
    "Titles are cut to 255 characters, control characters in them read as\n"
    "blanks. \"--\" ends the options: a SOURCE after it may start with -.\n"
    "\n"
    "Exit status: 0 on success, 1 when standard output cannot be written, 2 for\n"
    "a usage error or a source that cannot be read (nothing written).\n";

int runReadCommand(const std::vector<std::string>& args) {
    std::string title;
    bool haveTitle = false;
    std::vector<std::string> sources;
    bool operands = false;  // after "--": sources only
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (operands) {
            if (arg.empty()) throw CdReadError("read: the source is empty");
            sources.push_back(arg);
            continue;
        }
        if (arg == "--") {
            operands = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            std::fputs(kReadUsage, stdout);
            return 0;
        }
        if (arg == "--title" || arg.rfind("--title=", 0) == 0) {
            if (arg == "--title" && i + 1 >= args.size())
                throw CdReadError("--title needs a value");
            title = takeTitle(arg == "--title" ? args[++i] : arg.substr(8));
            haveTitle = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw CdReadError("unknown option " + arg + " of read");
        } else {
            if (arg.empty()) throw CdReadError("read: the source is empty");
            sources.push_back(arg);
        }
    }
    if (sources.size() > 1) {
        for (const std::string& s : sources) {
            std::error_code ec;
            const bool audio = audioExtension(s) && !fs::is_directory(utf8Path(s), ec);
            if (!audio)
                throw CdReadError("read takes one source, or several audio files, not also '" + s +
                                  "'");
        }
    }
    std::vector<std::string> notes;
    std::string nameHint;
    Disc disc = readSources(sources, notes, nameHint);
    if (disc.title.empty())
        disc.title = haveTitle ? title : !nameHint.empty() ? takeTitle(nameHint) : "不明";
    printNotes(notes);
    const std::string text = discEntryText(disc);
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        const int err = errno ? errno : EIO;
        throw EInOutError(std::string("cannot write to standard output: ") + std::strerror(err),
                          err);
    }
    return 0;
}

}  // namespace ztp
