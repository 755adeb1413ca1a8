// Audio files, folders of them and playlists (.m3u, .m3u8, .pls) as one
// disc: lengths from the audio itself (libsndfile, sample-exact; TagLib for
// the formats libsndfile does not read), titles from the tags.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "disc_file.h"
#include "image_layout.h"

namespace ztp {

struct AudioInfo {
    std::int64_t samples = 0;                       // at 44.1 kHz
    std::string title, artist, album, albumArtist;  // UTF-8, as tagged
    int track = 0, discNumber = 0;
};

// Refuses what is not a regular file (a folder, a FIFO, a device) before it
// is opened: "NAME: what" as CdReadError.
void requireRegularFile(const std::filesystem::path& p, const std::string& name);

// Reads an audio file's length and tags; one CdReadError line naming it
// when it cannot be decoded.
AudioInfo readAudioFile(const std::filesystem::path& p, const std::string& name);

// The file a sheet or playlist names (\ separates folders): as written,
// relative to folder; else the same with other letter case; else its base
// name beside the sheet (with a note naming what was used). Empty when none.
std::filesystem::path findNamedFile(const std::filesystem::path& folder, const std::string& name,
                                    const std::string& sheet, std::vector<std::string>& notes);

// A playlist's entries: paths as written (file:// URLs decoded) and titles
// where the list gives them. Throws CdReadError for a malformed list.
struct PlaylistEntry {
    std::string path, title;
};
std::vector<PlaylistEntry> parsePlaylist(const std::string& bytes, bool pls,
                                         const std::string& source);

bool playlistExtension(const std::string& name);

// The disc of audio sources: audio files, or one folder, or one playlist.
// nameHint is set to the folder's or playlist's name (a title to fall back on).
// opened, where given, gains the playlist's and every audio file's path.
Disc readAudioDisc(const std::vector<std::string>& sources, std::vector<std::string>& notes,
                   std::string& nameHint, std::vector<std::string>* opened = nullptr);

}  // namespace ztp
