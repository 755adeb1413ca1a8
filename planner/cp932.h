// UTF-8 to code page 932 (Shift-JIS, Microsoft variant) without best-fit
// mapping: a character that code page 932 lacks, or a malformed UTF-8
// sequence, becomes "?". The characters that Japanese text from other
// systems uses where Windows has others (the wave dash U+301C, U+2016,
// U+2212, U+2014, U+00A2, U+00A3, U+00AC) take the bytes of those.
#pragma once
#include <string>

namespace ztp {

// `unmapped`, where given, gains each character written as "?" once, in
// the order met (U+FFFD for a malformed sequence).
std::string utf8ToCp932(const std::string& utf8, std::u32string* unmapped = nullptr);

}  // namespace ztp
