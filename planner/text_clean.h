// Text taken from outside (a typed or pasted title, a disc file's line)
// made safe: titles without control characters and of a bounded length,
// and input quoted in messages with escapes instead of raw bytes.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace ztp {

// Replaces each control character of a UTF-8 text by one blank: the C0
// codes U+0000-U+001F (TAB, CR and LF among them), DEL U+007F and the C1
// codes U+0080-U+009F. Every other byte is kept as it is, malformed UTF-8
// included.
std::string blankControls(std::string_view utf8);

// The longest title, in characters as the window's title prompt counts them
// (UTF-16 units: a character beyond U+FFFF counts twice).
constexpr std::size_t kMaxTitleLength = 255;

// The length of a UTF-8 text in UTF-16 units (a malformed byte counts one).
std::size_t titleLength(std::string_view utf8);

// The text cut to at most max UTF-16 units, at a character boundary.
std::string cutTitle(std::string_view utf8, std::size_t max = kMaxTitleLength);

// The code point of the UTF-8 sequence at s[i] and its length in bytes; -1
// for a malformed one, whose length is then that of the longest start of a
// well-formed sequence it has (at least one byte).
long decodeUtf8(std::string_view s, std::size_t i, std::size_t& bytes);

// The offset of the first byte that is not part of well-formed UTF-8
// (overlong forms, surrogates and code points past U+10FFFF included), or
// npos when the whole text is well formed.
std::size_t invalidUtf8At(std::string_view s);

// Text quoted from input for a message: one line of printable UTF-8. TAB,
// CR and LF become \t, \r and \n, other C0 codes and DEL \xNN, C1 codes,
// line and paragraph separators and bidirectional controls \uNNNN, and each
// malformed byte \xNN. Everything else is kept; quoting twice changes
// nothing more.
std::string messageText(std::string_view text);

}  // namespace ztp
