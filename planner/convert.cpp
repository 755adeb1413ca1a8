#include "convert.h"

#include "errors.h"

namespace ztp {

std::string trimText(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 0x20) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 0x20) --e;
    return text.substr(b, e - b);
}

std::int32_t StrToInt(const std::string& text) {
    const std::string t = trimText(text);
    auto fail = [&]() -> EConvertError {
        return EConvertError("'" + t + "' は整数ではありません");
    };
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    }
    if (i == t.size()) throw fail();
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else throw fail();
        value = value * base + digit;
        if (value > limit) throw fail();
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::int64_t searchTarget(SearchMode mode, std::int64_t totalSeconds, const std::string& tapeText) {
    if (mode == SearchMode::Ryoumen) return totalSeconds / 2;
    return static_cast<std::int64_t>(StrToInt(tapeText)) * 30;
}

}  // namespace ztp
