// The cassette card (J-card) of a planned tape as a printable page: PDF, SVG
// or PNG, drawn with cairo and laid out with pango.
#pragma once
#include <string>

#include "errors.h"
#include "result_file.h"

namespace ztp {

enum class Paper { A4, Letter };

// A card that cannot be made: an unknown file type, or lists too long to fit.
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
constexpr double kCardTopMm = 30.0;   // from the top of the page; centred across it
constexpr double kPngDpi = 300.0;

// A card file that could not be written.
class CardWriteError : public EInOutError {
public:
    using EInOutError::EInOutError;
};

enum class CardFormat { Pdf, Svg, Png };

// The format for a file name (.pdf, .svg or .png, any case); CardError otherwise.
CardFormat cardFormatOf(const std::string& path);

// The card's page as the bytes of a file of the given format. The side lists
// shrink to 5 pt and then flow into two columns; lists that still do not fit
// throw CardError, and nothing is cut.
std::string renderCard(const ResultSource& source, Date date, CardFormat format, Paper paper);

// Writes the card file whole or not at all (CardWriteError).
void writeCardFile(const std::string& path, const std::string& bytes);

}  // namespace ztp
