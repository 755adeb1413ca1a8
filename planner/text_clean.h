// Text taken from outside (a typed or pasted title) made safe for the
// fixed-column card: no control characters.
#pragma once
#include <string>
#include <string_view>

namespace ztp {

// Replaces each control character of a UTF-8 text by one blank: the C0
// codes U+0000-U+001F (TAB, CR and LF among them), DEL U+007F and the C1
// codes U+0080-U+009F. Every other byte is kept as it is, malformed UTF-8
// included.
std::string blankControls(std::string_view utf8);

}  // namespace ztp
