// Cue sheets: every FILE line and every layout (one image, one file per
// track with the gaps at either end of the files or left out with PREGAP
// lines, hidden audio before track 1), laid out as a drive's table of
// contents.
#pragma once
#include <string>
#include <vector>

#include "image_layout.h"

namespace ztp {

// Reads a cue sheet's bytes (source names it in messages; probe finds and
// measures the files it names). Throws CdReadError on a malformed sheet.
ImageToc readCueSheet(const std::string& bytes, const std::string& source,
                      const DataFileProbe& probe, std::vector<std::string>& notes);

}  // namespace ztp
