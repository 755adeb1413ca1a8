// The table of contents a drive would show for a CD image: where each
// track's index 1 lies, the sessions and the lead-out. Cue sheets and TOC
// files are laid out into this; the track lengths follow from it as from a
// drive's table.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "disc_file.h"
#include "errors.h"
#include "text_clean.h"

namespace ztp {

// A source that cannot be read: "SOURCE: what", one line (names and text
// quoted from a source may hold any byte: they are escaped by messageText).
class CdReadError : public Exception {
public:
    explicit CdReadError(const std::string& message) : Exception(messageText(message)) {}
};

// Lead-out, lead-in and pregap between the sessions of a multisession disc.
constexpr std::int64_t kSessionGap = 11400;
// Sheets, playlists and TOC files larger than this are not read.
constexpr std::uintmax_t kMaxSheetBytes = 4u << 20;
// A CD holds tracks 1 to 99.
constexpr int kMaxCdTracks = 99;

struct TocEntry {
    int number = 0;
    std::int64_t start = 0;  // index 1, frames from the start of the disc
    bool audio = true;
    std::string title;  // a song title, UTF-8, or ""
};

struct ImageToc {
    std::vector<TocEntry> tracks;
    std::int64_t leadOut = 0;
    std::int64_t lastSessionStart = 0;  // 0 for a single session
    std::string title;                  // the album title, or ""
};

// The disc of a table of contents: lengths from index 1 to the next track's
// index 1 (the last to the lead-out), audio tracks only; a track that ends
// its session stops kSessionGap frames before the next session. Data tracks
// are left out with a note.
Disc discFromToc(const std::string& source, const ImageToc& toc, std::vector<std::string>& notes);

// A data file that a sheet names, found and measured.
struct DataFile {
    std::string path;          // as opened (UTF-8)
    std::uint64_t bytes = 0;   // its size
    bool decoded = false;      // an audio file read through its decoder
    std::int64_t samples = 0;  // decoded: its length in samples at 44.1 kHz
};

// Finds and measures the data file a sheet names (name as written, raw
// bytes and as UTF-8); decode asks for an audio file's decoded length.
// Throws CdReadError when it is missing or cannot be read.
using DataFileProbe =
    std::function<DataFile(const std::string& rawName, const std::string& utf8Name, bool decode)>;

// The song title from CD-Text or a sheet: the title, with the performer when
// it differs from the album's.
std::string songTitle(const std::string& title, const std::string& performer,
                      const std::string& albumPerformer);

}  // namespace ztp
