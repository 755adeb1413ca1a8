// The cassette card (J-card) of a planned tape as a printable page: PDF, SVG
// or PNG, drawn with cairo and laid out with pango.
#pragma once
#include <string>
#include <vector>

#include "errors.h"
#include "result_file.h"

namespace ztp {

enum class Paper { A4, Letter };

// A card that cannot be made: an unknown file type, lists too long to fit,
// or no font that draws Japanese text.
class CardError : public Exception {
public:
    using Exception::Exception;
};

// Card sizes in millimetres: the card folds into the front panel, the spine
// and the back flap, from the top down.
constexpr double kCardWidthMm = 101.6;
constexpr double kFrontHeightMm = 63.5;
constexpr double kSpineHeightMm = 12.7;
constexpr double kFlapHeightMm = 15.9;
constexpr double kCardTopMm = 30.0;  // from the top of the page; centred across it
constexpr double kPngDpi = 300.0;

enum class CardFormat { Pdf, Svg, Png };

// The format for a file name (.pdf, .svg or .png, any case); CardError otherwise.
CardFormat cardFormatOf(const std::string& path);

// Song titles: slot d-1 for disk d, within it slot t-1 for track t of that
// CD; "" (or no slot) where the title is not known.
using SongTitles = std::vector<std::vector<std::string>>;

// The card's page as the bytes of a file of the given format. The front
// panel lists each side's tracks as disk-track number, song title (else the
// disc's title) and length; the back flap lists the discs. The side lists
// shrink to 7 pt in one column, then flow into two columns at up to 7 pt and
// down to 5 pt (a longer list never gets a larger size); lists that still do
// not fit throw CardError; a title too long for its line ends in "…". A PNG
// is drawn at kPngDpi and records it (pHYs), so it prints at its true size.
// `tapeLabel` (as "2/3" for one tape of a set) follows the tape length on
// the spine.
std::string renderCard(const ResultSource& source, Date date, CardFormat format, Paper paper,
                       const SongTitles& songs = {}, const std::string& tapeLabel = "");

}  // namespace ztp
