#pragma once
// The code-plug's texts are 8-bit characters (ISO 8859-1), as the window
// stores what is typed. Text from outside (a roster, a text file) arrives as
// UTF-8 and is taken only when every character fits in 8 bits.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace km640::fieldtext {

struct Latin1Conversion {
    std::optional<std::string> text;  // the 8-bit text, when every character fits
    std::string problem;              // else why not, naming the character
};

Latin1Conversion latin1FromUtf8(std::string_view utf8);

// The UTF-8 character starting at text[at], moving at past it; nothing (at
// unmoved) for a byte that starts no well-formed character: a stray
// continuation byte, a sequence cut short, an overlong form (C0 80 for NUL,
// which would let one character hide behind another), a surrogate or a
// number beyond Unicode.
std::optional<char32_t> nextUtf8Character(std::string_view text, std::size_t& at);

// Whether the text is UTF-8 throughout.
bool isUtf8(std::string_view text);

// A text saved as Windows-1252 (what spreadsheets on Windows write when not
// told to write UTF-8) as UTF-8.
std::string utf8FromWindows1252(std::string_view text);

// The 8-bit text as UTF-8, for JSON and for terminals.
std::string utf8FromLatin1(std::string_view latin1);

// The characters of a UTF-8 text: the columns it takes on a terminal.
std::size_t utf8Length(std::string_view utf8);

}  // namespace km640::fieldtext
