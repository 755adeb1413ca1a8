#include "text_clean.h"

#include <cstdint>
#include <cstdio>

namespace ztp {
namespace {

// The code point at s[i] and its byte count, or -1 (and 1) for a malformed byte.
long decode(std::string_view s, std::size_t i, std::size_t& bytes) {
    const long cp = decodeUtf8(s, i, bytes);
    if (cp < 0) bytes = 1;
    return cp;
}

bool escaped(long cp) {
    return (cp >= 0x80 && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029 || cp == 0x200E ||
           cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

}  // namespace

long decodeUtf8(std::string_view s, std::size_t i, std::size_t& bytes) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = at(i);
    bytes = 1;
    if (c < 0x80) return c;
    std::size_t extra;
    long cp, min;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
        min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
        min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
        min = 0x10000;
    } else {
        return -1;
    }
    for (std::size_t k = 1; k <= extra; ++k, ++bytes) {
        if (i + k >= s.size() || (at(i + k) & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (at(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    return cp;
}

std::string blankControls(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 || c == 0x7F) {
            out += ' ';
        } else if (c == 0xC2 && i + 1 < utf8.size() &&
                   static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            out += ' ';  // U+0080-U+009F are C2 80 to C2 9F
            ++i;
        } else {
            out += utf8[i];
        }
    }
    return out;
}

std::size_t titleLength(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t i = 0, n; i < utf8.size(); i += n)
        units += decode(utf8, i, n) >= 0x10000 ? 2 : 1;
    return units;
}

std::string cutTitle(std::string_view utf8, std::size_t max) {
    std::size_t units = 0, i = 0;
    for (std::size_t n; i < utf8.size(); i += n) {
        const std::size_t u = decode(utf8, i, n) >= 0x10000 ? 2 : 1;
        if (units + u > max) break;
        units += u;
    }
    return std::string(utf8.substr(0, i));
}

std::size_t invalidUtf8At(std::string_view s) {
    for (std::size_t i = 0, n; i < s.size(); i += n)
        if (decode(s, i, n) < 0) return i;
    return std::string_view::npos;
}

std::string messageText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    char buf[24];
    for (std::size_t i = 0, n; i < text.size(); i += n) {
        const long cp = decode(text, i, n);
        if (cp == '\t') out += "\\t";
        else if (cp == '\n') out += "\\n";
        else if (cp == '\r') out += "\\r";
        else if (cp < 0 || (cp < 0x20) || cp == 0x7F) {
            std::snprintf(buf, sizeof buf, "\\x%02x", static_cast<unsigned char>(text[i]));
            out += buf;
        } else if (escaped(cp)) {
            std::snprintf(buf, sizeof buf, "\\u%04lx", cp);
            out += buf;
        } else {
            out.append(text.substr(i, n));
        }
    }
    return out;
}

}  // namespace ztp
