#include "fieldtext/Latin1.h"

#include <cstdio>

namespace km640::fieldtext {

namespace {

std::string codePointName(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Windows-1252's letters and signs at 0x80 to 0x9F; the five bytes it leaves
// unassigned stand for the control characters of the same number.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

std::optional<char32_t> nextUtf8Character(std::string_view text, std::size_t& at) {
    if (at >= text.size()) return std::nullopt;
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return text[at++];
    int extra = 0;
    char32_t c = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        c = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (at + static_cast<std::size_t>(extra) >= text.size()) return std::nullopt;
    for (int k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[at + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    at += static_cast<std::size_t>(extra) + 1;
    return c;
}

Latin1Conversion latin1FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t start = i;
        const auto c = nextUtf8Character(utf8, i);
        if (!c) return {std::nullopt, "not UTF-8 text (byte " + std::to_string(start + 1) + ")"};
        if (*c > 0xFF) return {std::nullopt, "the character " + codePointName(*c) + " cannot be stored in the pager"};
        out += static_cast<char>(*c);
    }
    return {std::move(out), {}};
}

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();)
        if (!nextUtf8Character(text, i)) return false;
    return true;
}

std::string utf8FromWindows1252(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        appendUtf8(out, c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : char32_t{c});
    }
    return out;
}

std::string utf8FromLatin1(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char ch : latin1) appendUtf8(out, static_cast<unsigned char>(ch));
    return out;
}

std::size_t utf8Length(std::string_view utf8) {
    std::size_t characters = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    return characters;
}

}  // namespace km640::fieldtext
