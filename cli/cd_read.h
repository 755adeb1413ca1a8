// Reading discs over libcdio: a CD drive or a CD image (.cue, .toc, .nrg,
// .bin) becomes one disc of a disc file: its CD-Text album title and the
// lengths of its audio tracks from the table of contents.
#pragma once
#include <string>
#include <vector>

#include "disc_file.h"
#include "errors.h"

namespace ztp {

// A source that cannot be read: "SOURCE: what".
class CdReadError : public Exception {
public:
    using Exception::Exception;
};

// Reads a disc. source: a device path, an image file, or "" for the system's
// default drive. Without a CD-Text album title the disc takes fallbackTitle.
// Data tracks are left out with a note in notes.
Disc readCd(const std::string& source, const std::string& fallbackTitle, std::vector<std::string>& notes);

// The disc as disc-file text: "disc TITLE" and its track lengths as M:SS:FF.
std::string discEntryText(const Disc& disc);

// Reads "image PATH" lines of the disc file discFile: PATH is relative to the
// disc file's folder; notes go to standard error.
ImageReader imageLineReader(const std::string& discFile);

// `ztp-plan read [--title TEXT] [SOURCE]`; args without the word "read".
int runReadCommand(const std::vector<std::string>& args);

extern const char* const kReadUsage;

}  // namespace ztp
