// Disc files: plain UTF-8 text describing audio CDs by their track lengths.
//
//   # comment            (lines starting with '#', and blank lines, are ignored)
//   disc Morning Songs   (starts a disc; the title is the text after "disc ")
//   4:05 3:58 5:30:12    (track lengths M:SS or M:SS:FF, blank-separated)
//   track 4:05 Sunrise   (one track with its song title: the text after the
//                         length and one blank; "track 4:05" has none)
//   empty                (an empty drive)
//   image rips/album.cue (a disc read from a CD image, where a reader is given)
//
// Minutes 0-255, seconds 0-59, frames 0-74; at most 255 tracks a disc, whose
// total must stay within 255:59:74. The text is UTF-8; control characters in
// titles read as blanks, and a title holds at most kMaxTitleLength
// characters. A line starting with a word that is no keyword is an error
// naming the keyword it was probably meant to be.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "errors.h"

namespace ztp {

struct Disc {
    bool empty = false;  // an empty drive
    std::string title;
    std::vector<std::uint32_t> tracks;     // packed CD times (minutes, seconds, frames)
    std::vector<std::string> trackTitles;  // song titles, parallel to tracks ("" unknown)
    std::uint32_t length() const;          // the tracks' total, packed
};

constexpr int kMaxDiscTracks = 255;
// A disc file is read only from a regular file of at most this size.
constexpr std::uintmax_t kMaxDiscFileBytes = std::uintmax_t{1} << 20;

// A malformed disc file: "FILE:LINE: what 'text'", one line (input quoted
// with messageText).
class DiscFileError : public Exception {
public:
    using Exception::Exception;
};

// Gives the disc that an "image PATH" line stands for (PATH as written) or
// throws an Exception saying why not.
using ImageReader = std::function<Disc(const std::string& path)>;

// Without an image reader, "image" lines are errors.
std::vector<Disc> parseDiscText(const std::string& text, const std::string& fileName,
                                const ImageReader& images = {});
// The disc as disc-file text: "disc TITLE", then its tracks: lengths M:SS:FF
// ten to a line, or, when any track has a song title, one "track" line each.
// parseDiscText reads it back to the same disc.
std::string discEntryText(const Disc& disc);

// Reads and parses a file (UTF-8 path): only a regular file of at most
// kMaxDiscFileBytes; one that cannot be read is a DiscFileError too.
std::vector<Disc> readDiscFile(const std::string& path, const ImageReader& images = {});

}  // namespace ztp
