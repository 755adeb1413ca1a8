#include "image_layout.h"

#include "text_clean.h"
#include "text_codec.h"
#include "text_forms.h"

namespace ztp {

Disc discFromToc(const std::string& source, const ImageToc& toc, std::vector<std::string>& notes) {
    Disc disc;
    disc.title = toc.title;
    long total = 0;
    const auto& tracks = toc.tracks;
    if (tracks.empty()) throw CdReadError(source + ": no track on the disc");
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const TocEntry& t = tracks[i];
        const std::int64_t end = i + 1 < tracks.size() ? tracks[i + 1].start : toc.leadOut;
        if (t.start < 0 || end <= t.start)
            throw CdReadError(source + ": malformed table of contents (track " +
                              std::to_string(t.number) +
                              (i + 1 == tracks.size() ? " starts past the end of the data)"
                                                      : " does not start before the next)"));
        if (!t.audio) {
            notes.push_back(source + ": track " + std::to_string(t.number) +
                            " is a data track and is left out");
            continue;
        }
        std::int64_t frames = end - t.start;
        // An audio track that ends its session stops before the next session's gap.
        const bool nextSession =
            i + 1 < tracks.size() && toc.lastSessionStart > t.start && end == toc.lastSessionStart;
        if (nextSession && frames > kSessionGap) frames -= kSessionGap;
        if (frames > kMaxDiscFrames || total + frames > kMaxDiscFrames)
            throw CdReadError(source + ": malformed table of contents (longer than 255:59:74)");
        if (static_cast<int>(disc.tracks.size()) >= kMaxDiscTracks)
            throw CdReadError(source + ": more than 255 audio tracks");
        total += static_cast<long>(frames);
        disc.tracks.push_back(packFrames(static_cast<long>(frames)));
        disc.trackTitles.push_back(t.title);
    }
    if (disc.tracks.empty()) throw CdReadError(source + ": no audio track on the disc");
    return disc;
}

std::string songTitle(const std::string& title, const std::string& performer,
                      const std::string& albumPerformer) {
    if (title.empty()) return {};
    if (performer.empty() || performer == albumPerformer) return takeTitle(title);
    return takeTitle(title + " / " + performer);
}

}  // namespace ztp
