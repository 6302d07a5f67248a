#include "fieldtext/Latin1.h"

#include <cstdio>

namespace km640::fieldtext {

namespace {

std::string codePointName(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

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

std::string utf8FromLatin1(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::size_t utf8Length(std::string_view utf8) {
    std::size_t characters = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    return characters;
}

}  // namespace km640::fieldtext
