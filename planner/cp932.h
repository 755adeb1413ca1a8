// UTF-8 to code page 932 (Shift-JIS, Microsoft variant) without best-fit
// mapping: a character that code page 932 lacks, or a malformed UTF-8
// sequence, becomes "?".
#pragma once
#include <string>

namespace ztp {

std::string utf8ToCp932(const std::string& utf8);

}  // namespace ztp
