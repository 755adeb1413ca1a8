// The string-to-integer conversion of the tape-time box.
#pragma once
#include <cstdint>
#include <string>

namespace ztp {

// Removes leading and trailing blanks and control characters (bytes <= 0x20).
std::string trimText(const std::string& text);

// Trims, then reads an optional sign followed by decimal digits or by "$" and
// hexadecimal digits. Anything else, or a value outside the 32-bit signed
// range, throws EConvertError "'<trimmed>' は整数ではありません".
std::int32_t StrToInt(const std::string& text);

enum class SearchMode { Ryoumen, AMen, BMen };  // 両面均等, A面優先, B面優先

// The search target in seconds: half the total in mode Ryoumen, otherwise the
// tape time in minutes times 30 (64-bit).
std::int64_t searchTarget(SearchMode mode, std::int64_t totalSeconds, const std::string& tapeText);

}  // namespace ztp
