#include "text_clean.h"

namespace ztp {

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

}  // namespace ztp
