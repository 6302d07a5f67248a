#include "fieldtext/TerminalText.h"

#include <cstdio>
#include <vector>

namespace km640::fieldtext {

namespace {

// The text in pieces as they are shown: a character as it stands, or the
// escape of one byte.
struct Piece {
    std::string text;
    std::size_t columns = 1;
    int escaped = -1;  // the byte shown as \xNN, or -1
};

std::string escapedByte(unsigned char byte) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02X", unsigned{byte});
    return buffer;
}

// The length of the UTF-8 sequence starting at text[at], 0 when it is not one.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    unsigned long code = 0;
    if (byte >= 0xC2 && byte <= 0xDF) {
        length = 2;
        code = byte & 0x1Fu;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        length = 3;
        code = byte & 0x0Fu;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        length = 4;
        code = byte & 0x07u;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0u) != 0x80u) return 0;
        code = code << 6 | (next & 0x3Fu);
    }
    // Overlong forms, surrogates and numbers beyond Unicode are not UTF-8.
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    // C1 controls (U+0080 to U+009F) act on many terminals as the bytes do.
    if (code >= 0x80 && code <= 0x9F) return 0;
    return length;
}

std::vector<Piece> pieces(std::string_view text) {
    std::vector<Piece> out;
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x20 && byte < 0x7F) {
            const std::string shown = byte == '\\' ? "\\\\" : std::string(1, text[at]);
            out.push_back({shown, shown.size()});
            ++at;
        } else if (const std::size_t length = byte >= 0x80 ? sequenceLength(text, at) : 0; length > 0) {
            out.push_back({std::string(text.substr(at, length)), 1});
            at += length;
        } else {
            out.push_back({escapedByte(byte), 4, byte});
            ++at;
        }
    }
    return out;
}

}  // namespace

std::string terminalText(std::string_view text) {
    std::string out;
    for (const auto& piece : pieces(text)) out += piece.text;
    return out;
}

std::string echoedLine(std::string_view line, std::size_t maxColumns) {
    const auto all = pieces(line);
    std::size_t columns = 0;
    for (const auto& piece : all) columns += piece.columns;
    std::string out;
    if (columns <= maxColumns) {
        for (const auto& piece : all) out += piece.text;
        return out;
    }
    const std::string ellipsis = "...";
    std::size_t used = 0;
    for (const auto& piece : all) {
        if (used + piece.columns + ellipsis.size() > maxColumns) break;
        out += piece.text;
        used += piece.columns;
    }
    return out + ellipsis;
}

bool holdsControlCharacter(std::string_view text) {
    for (const auto& piece : pieces(text))
        if (piece.escaped >= 0 && (piece.escaped < 0x20 || (piece.escaped >= 0x7F && piece.escaped <= 0x9F)))
            return true;
    // C2 followed by 80 to 9F: a C1 control in UTF-8; its second byte is caught above.
    return false;
}

}  // namespace km640::fieldtext
