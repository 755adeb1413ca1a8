#include "cp932.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace ztp {
namespace {

struct Mapping {
    std::uint16_t unicode;
    std::uint16_t bytes;
};

constexpr Mapping kTable[] = {
#include "cp932_table.inc"
};

// Decodes one code point at s[i], advancing i; returns -1 for a malformed sequence.
long nextCodePoint(const std::string& s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i++);
    if (c < 0x80) return c;
    int extra;
    long cp;
    long min;
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
    } else return -1;
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (byte(i) & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (byte(i++) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    return cp;
}

}  // namespace

std::string utf8ToCp932(const std::string& utf8, std::u32string* unmapped) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const long cp = nextCodePoint(utf8, i);
        if (cp >= 0 && cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        const auto it = std::lower_bound(std::begin(kTable), std::end(kTable), cp,
                                         [](const Mapping& m, long v) { return m.unicode < v; });
        if (cp < 0 || it == std::end(kTable) || it->unicode != cp) {
            out += '?';
            const char32_t c = cp < 0 ? U'\uFFFD' : static_cast<char32_t>(cp);
            if (unmapped && unmapped->find(c) == std::u32string::npos) *unmapped += c;
        } else if (it->bytes > 0xFF) {
            out += static_cast<char>(it->bytes >> 8);
            out += static_cast<char>(it->bytes & 0xFF);
        } else {
            out += static_cast<char>(it->bytes);
        }
    }
    return out;
}

}  // namespace ztp
