// cdrdao TOC files, read by our own parser: disc types, CATALOG, CD_TEXT at
// disc and track level, every track mode, flags, ISRC, SILENCE, ZERO,
// FILE/AUDIOFILE and DATAFILE (with and without lengths, one or several
// data files), START, PREGAP and INDEX; laid out as a drive's table of
// contents.
#pragma once
#include <string>
#include <vector>

#include "image_layout.h"

namespace ztp {

// Reads a TOC file's bytes (source names it in messages; probe finds and
// measures the files it names). Throws CdReadError on a malformed file.
ImageToc readTocFile(const std::string& bytes, const std::string& source,
                     const DataFileProbe& probe, std::vector<std::string>& notes);

// Whether a file name ends in an extension of the audio formats read
// through a decoder (.wav, .flac, .mp3, .ogg, ...), any case.
bool audioExtension(const std::string& name);

}  // namespace ztp
