// Text forms of tracks, totals and the tape length, and packed CD times.
#pragma once
#include <cstdint>
#include <string>

namespace ztp {

// Packed CD time: byte 0 minutes, byte 1 seconds, byte 2 frames.
constexpr std::uint32_t packMsf(unsigned minutes, unsigned seconds, unsigned frames = 0) {
    return (minutes & 0xFF) | ((seconds & 0xFF) << 8) | ((frames & 0xFF) << 16);
}
constexpr unsigned msfMinutes(std::uint32_t t) { return t & 0xFF; }
constexpr unsigned msfSeconds(std::uint32_t t) { return (t >> 8) & 0xFF; }
constexpr unsigned msfFrames(std::uint32_t t) { return (t >> 16) & 0xFF; }

// CD frames: 75 a second; a disc holds at most 255:59:74.
constexpr long kFramesPerSecond = 75;
constexpr long kMaxDiscFrames = (255L * 60 + 59) * kFramesPerSecond + 74;
// A frame count as a packed CD time.
constexpr std::uint32_t packFrames(long frames) {
    return packMsf(static_cast<unsigned>(frames / kFramesPerSecond / 60),
                   static_cast<unsigned>(frames / kFramesPerSecond % 60),
                   static_cast<unsigned>(frames % kFramesPerSecond));
}

// Minutes byte * 60 + seconds byte; frames are dropped.
std::int32_t CdTimeToSec(std::uint32_t packed);
// "%4d:%02d" of the minutes and seconds bytes.
std::string CdTimeToText(std::uint32_t packed);

// "%4d.%5d - " followed by the CD time text.
std::string entryText(int diskNo, int trackNo, std::uint32_t packed);
// "    .%5d - %4d:%02d": entry count, seconds div 60, seconds mod 60.
std::string totalsText(int count, std::int64_t seconds);
// "%4.2f" of (2 * seconds) / 60 minutes, with the given decimal separator.
std::string tapeLengthText(std::int64_t longerSideSeconds, const std::string& decimalSep = ".");

}  // namespace ztp
