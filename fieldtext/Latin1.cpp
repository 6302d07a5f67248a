#include "fieldtext/Latin1.h"

#include <cstdio>

namespace km640::fieldtext {

namespace {

std::string codePointName(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

// The character starting at utf8[i] and its length in bytes; no length when
// the bytes there are no UTF-8.
struct Decoded {
    char32_t c = 0;
    std::size_t length = 0;
};

Decoded decodeUtf8(std::string_view utf8, std::size_t i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) return {lead, 1};
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
        return {};
    }
    if (i + static_cast<std::size_t>(extra) >= utf8.size()) return {};
    for (int k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) return {};
        c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms would let one character hide behind another.
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {};
    return {c, static_cast<std::size_t>(extra) + 1};
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

Latin1Conversion latin1FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = decodeUtf8(utf8, i);
        if (d.length == 0) return {std::nullopt, "not UTF-8 text (byte " + std::to_string(i + 1) + ")"};
        if (d.c > 0xFF) return {std::nullopt, "the character " + codePointName(d.c) + " cannot be stored in the pager"};
        out += static_cast<char>(d.c);
        i += d.length;
    }
    return {std::move(out), {}};
}

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = decodeUtf8(text, i);
        if (d.length == 0) return false;
        i += d.length;
    }
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

}  // namespace km640::fieldtext
