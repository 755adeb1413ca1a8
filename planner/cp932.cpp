#include "cp932.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "text_clean.h"

namespace ztp {
namespace {

struct Mapping {
    std::uint16_t unicode;
    std::uint16_t bytes;
};

constexpr Mapping kTable[] = {
#include "cp932_table.inc"
};

}  // namespace

std::string utf8ToCp932(const std::string& utf8, std::u32string* unmapped) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t bytes;
        const long cp = decodeUtf8(utf8, i, bytes);
        i += bytes;
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
