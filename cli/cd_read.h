// Reading discs: a CD drive or a Nero image over libcdio, cue sheets and
// cdrdao TOC files through our own readers, and audio files, folders and
// playlists; each becomes one disc of a disc file.
#pragma once
#include <string>
#include <vector>

#include "disc_file.h"
#include "image_layout.h"

namespace ztp {

// Reads the disc of one source (a device path, an image, an audio file, a
// folder or a playlist; "" for the system's default drive) or of several
// audio files. Notes (data tracks left out, files found under other names)
// go to notes; the disc's title is "" when the source names none, and
// nameHint then holds a folder's or playlist's name. Where opened is given,
// it gains the path of every file read (sheets, data files, audio files,
// playlists), as UTF-8.
Disc readSources(const std::vector<std::string>& sources, std::vector<std::string>& notes,
                 std::string& nameHint, std::vector<std::string>* opened = nullptr);

// One source; without a title of its own the disc takes the name hint,
// else fallbackTitle.
Disc readCd(const std::string& source, const std::string& fallbackTitle,
            std::vector<std::string>& notes, std::vector<std::string>* opened = nullptr);

// Reads "image PATH" lines of the disc file discFile: PATH is relative to the
// disc file's folder; notes go to standard error; opened, where given,
// gains every file read.
ImageReader imageLineReader(const std::string& discFile,
                            std::vector<std::string>* opened = nullptr);

// `ztp-plan read [--title TEXT] [SOURCE...]`; args without the word "read".
int runReadCommand(const std::vector<std::string>& args);

extern const char* const kReadUsage;

}  // namespace ztp
