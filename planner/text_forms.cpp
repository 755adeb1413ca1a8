#include "text_forms.h"

#include <cstdio>

namespace ztp {

std::int32_t CdTimeToSec(std::uint32_t packed) {
    return static_cast<std::int32_t>(msfMinutes(packed) * 60 + msfSeconds(packed));
}

std::string CdTimeToText(std::uint32_t packed) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%4u:%02u", msfMinutes(packed), msfSeconds(packed));
    return buf;
}

std::string entryText(int diskNo, int trackNo, std::uint32_t packed) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%4d.%5d - ", diskNo, trackNo);
    return buf + CdTimeToText(packed);
}

std::string totalsText(int count, std::int64_t seconds) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "    .%5d - %4lld:%02lld", count,
                  static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
    return buf;
}

std::string tapeLengthText(std::int64_t longerSideSeconds, const std::string& decimalSep) {
    // 2s/60 minutes = s/30; in hundredths s*10/3. A multiple of 1/30 is never
    // halfway between two hundredths, so rounding half up is exact.
    const long long hundredths = (static_cast<long long>(longerSideSeconds) * 10 + 1) / 3;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%lld", hundredths / 100);
    std::string text = buf;
    std::snprintf(buf, sizeof buf, "%02lld", hundredths % 100);
    text += decimalSep;
    text += buf;
    // "%4.2f": at least four columns.
    const std::size_t width = text.size() - decimalSep.size() + 1;
    if (width < 4) text.insert(0, 4 - width, ' ');
    return text;
}

}  // namespace ztp
