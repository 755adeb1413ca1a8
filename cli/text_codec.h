// Text as the readers find it: bytes of unknown encoding become UTF-8, and
// every title taken from a source passes through takeTitle.
#pragma once
#include <string>

namespace ztp {

bool validUtf8(const std::string& s);

// How a text's bytes were read.
enum class TextEncoding { Utf8, Cp932, Cp1252 };

// The encoding of a text whose bytes come without a label: UTF-8 when they
// are valid UTF-8, else code page 932 when they read as Japanese text, else
// code page 1252 (which reads every byte, so no letter is lost).
TextEncoding guessEncoding(const std::string& bytes);

// The bytes as UTF-8, read in the given encoding.
std::string toUtf8(const std::string& bytes, TextEncoding encoding);

// A title (of a disc or a track) from any source, as the disc file holds it:
// one line, control characters as blanks, cut to kMaxTitleLength characters.
// Every title read from a sheet, a tag or CD-Text comes through here.
std::string takeTitle(const std::string& utf8);

}  // namespace ztp
