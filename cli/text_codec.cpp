#include "text_codec.h"

#include <iconv.h>

#include <cstdint>

#include "text_clean.h"

namespace ztp {
namespace {

// Code page 1252's 0x80-0x9F; the five bytes it leaves undefined keep their
// Latin-1 meaning (C1 controls), as Windows maps them.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

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

// Whether the bytes read as Japanese text in code page 932 rather than as
// code page 1252, which reads most of the same bytes. What tells them apart
// is how the high bytes sit among ASCII letters: code page 1252 puts an
// accented letter or a quote inside a word, between ASCII letters ("Crème",
// "MÜNCHEN", "Don’t"), while Japanese has double-byte characters whose
// second byte is high, and runs of half-width katakana ("CDｼﾝｸﾞﾙ"). Each
// character adds its evidence for one side; a double-byte character whose
// second byte is an ASCII letter ("連" is 98 41) counts for Japanese only
// among Japanese characters. User-defined characters (F0-F9, 1252's ð-ù)
// and byte pairs code page 932 lacks rule it out.
bool looksLikeCp932(const std::string& s) {
    int score = 0;
    bool japaneseBefore = false;  // the character before was a Japanese one
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            japaneseBefore = false;
            continue;
        }
        const bool letterBefore = i > 0 && asciiLetter(static_cast<unsigned char>(s[i - 1]));
        if (halfWidthKana(c)) {
            std::size_t end = i;
            while (end < s.size() && halfWidthKana(static_cast<unsigned char>(s[end]))) ++end;
            const bool letterAfter =
                end < s.size() && asciiLetter(static_cast<unsigned char>(s[end]));
            if (end - i >= 2 || japaneseBefore) score += static_cast<int>(end - i);
            else if (letterBefore && letterAfter) score -= 2;
            else if (!letterBefore && !letterAfter) score += 1;
            i = end - 1;
            japaneseBefore = true;
            continue;
        }
        if (!leadByte(c) || i + 1 >= s.size()) return false;
        const unsigned char t = static_cast<unsigned char>(s[i + 1]);
        if (!trailByte(t) || (c >= 0xF0 && c <= 0xF9)) return false;
        if (t >= 0x80) score += 2;
        else if (!asciiLetter(t)) score += 1;
        else if (letterBefore) score -= 2;
        else if (japaneseBefore) score += 1;
        japaneseBefore = true;
        ++i;
    }
    return score > 0;
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

bool validUtf8(const std::string& s) { return invalidUtf8At(s) == std::string::npos; }

TextEncoding guessEncoding(const std::string& bytes) {
    if (validUtf8(bytes)) return TextEncoding::Utf8;
    std::string ignored;
    if (looksLikeCp932(bytes) && cp932ToUtf8(bytes, ignored)) return TextEncoding::Cp932;
    return TextEncoding::Cp1252;
}

std::string toUtf8(const std::string& bytes, TextEncoding encoding) {
    std::string out;
    switch (encoding) {
        case TextEncoding::Utf8: return bytes;
        case TextEncoding::Cp932:
            if (cp932ToUtf8(bytes, out)) return out;
            break;
        case TextEncoding::Cp1252: break;
    }
    return cp1252ToUtf8(bytes);
}

std::string takeTitle(const std::string& utf8) {
    // A disc file's line ends at a line break, and a title there holds at
    // most kMaxTitleLength characters.
    return cutTitle(blankControls(utf8));
}

}  // namespace ztp
