#include "text_codec.h"

#include <iconv.h>

#include <cstdint>

namespace ztp {
namespace {

// Code page 1252's 0x80-0x9F; the five bytes it leaves undefined keep their
// Latin-1 meaning (C1 controls), as Windows maps them.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) out += static_cast<char>(cp);
    else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool asciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool halfWidthKana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }
bool leadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool trailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Whether the bytes read as Japanese text in code page 932. Accented Latin
// letters of code page 1252 are also lead bytes or half-width katakana there,
// so a text is not taken for Japanese when it shows Latin-1's patterns: a
// lead byte of the upper rows (E0-FC: à-ü) before an ASCII letter, a
// user-defined character (F0-F9), or half-width katakana beside ASCII
// letters.
bool looksLikeCp932(const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) continue;
        if (halfWidthKana(c)) {
            const bool before = i > 0 && asciiLetter(static_cast<unsigned char>(s[i - 1]));
            const bool after = i + 1 < s.size() && asciiLetter(static_cast<unsigned char>(s[i + 1]));
            if (before || after) return false;
            continue;
        }
        if (!leadByte(c) || i + 1 >= s.size()) return false;
        const unsigned char t = static_cast<unsigned char>(s[i + 1]);
        if (!trailByte(t)) return false;
        if (c >= 0xF0 && c <= 0xF9) return false;
        if (c >= 0xE0 && asciiLetter(t)) return false;
        ++i;
    }
    return true;
}

bool cp932ToUtf8(const std::string& bytes, std::string& out) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in = bytes;
    out.assign(bytes.size() * 3 + 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t srcLeft = in.size(), dstLeft = out.size();
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1) || srcLeft != 0) return false;
    out.resize(out.size() - dstLeft);
    return true;
}

std::string cp1252ToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        appendUtf8(out, c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c);
    }
    return out;
}

}  // namespace

bool validUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t extra;
        unsigned long cp, min;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; min = 0x80; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; min = 0x800; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; min = 0x10000; }
        else return false;
        if (i + extra >= s.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const unsigned char b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

TextEncoding guessEncoding(const std::string& bytes) {
    if (validUtf8(bytes)) return TextEncoding::Utf8;
    std::string ignored;
    if (looksLikeCp932(bytes) && cp932ToUtf8(bytes, ignored)) return TextEncoding::Cp932;
    return TextEncoding::Cp1252;
}

std::string toUtf8(const std::string& bytes, TextEncoding encoding) {
    std::string out;
    switch (encoding) {
        case TextEncoding::Utf8:
            return bytes;
        case TextEncoding::Cp932:
            if (cp932ToUtf8(bytes, out)) return out;
            break;
        case TextEncoding::Cp1252:
            break;
    }
    return cp1252ToUtf8(bytes);
}

std::string takeTitle(const std::string& utf8) {
    // A disc file's line ends at a line break: control characters become blanks.
    std::string s = utf8;
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return s;
}

}  // namespace ztp
