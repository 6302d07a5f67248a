#include "fieldtext/JsonWriter.h"

#include <cstdio>

#include "fieldtext/Latin1.h"

namespace km640::fieldtext {

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", unsigned{byte});
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string latin1JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        // A letter or sign of the 8-bit set is written as itself (UTF-8); a
        // control byte, the no-break space and the soft hyphen, which no one
        // can see, keep a visible escape.
        if (byte >= 0x7F && (byte < 0xA1 || byte == 0xAD)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", unsigned{byte});
            out += buf;
        } else if (byte >= 0xA1) {
            out += utf8FromLatin1(std::string_view(&c, 1));
        } else {
            const std::string one = jsonString(std::string_view(&c, 1));
            out += one.substr(1, one.size() - 2);
        }
    }
    return out + "\"";
}

void JsonWriter::begin(std::string_view key) {
    if (!hasMembers_.empty()) {
        if (hasMembers_.back()) out_ += ",";
        hasMembers_.back() = true;
        out_ += "\n" + std::string(2 * hasMembers_.size(), ' ');
    }
    if (!key.empty()) out_ += jsonString(key) + ": ";
}

void JsonWriter::open(std::string_view key, char bracket) {
    begin(key);
    out_ += bracket;
    hasMembers_.push_back(false);
}

void JsonWriter::close(char bracket) {
    const bool members = hasMembers_.back();
    hasMembers_.pop_back();
    if (members) out_ += "\n" + std::string(2 * hasMembers_.size(), ' ');
    out_ += bracket;
}

JsonWriter& JsonWriter::beginObject(std::string_view key) {
    open(key, '{');
    return *this;
}
JsonWriter& JsonWriter::endObject() {
    close('}');
    return *this;
}
JsonWriter& JsonWriter::beginArray(std::string_view key) {
    open(key, '[');
    return *this;
}
JsonWriter& JsonWriter::endArray() {
    close(']');
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view key, std::string_view text) {
    begin(key);
    out_ += jsonString(text);
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view key, long long number) {
    begin(key);
    out_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::literal(std::string_view key, std::string_view json) {
    begin(key);
    out_ += json;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view key, bool flag) {
    begin(key);
    out_ += flag ? "true" : "false";
    return *this;
}

}  // namespace km640::fieldtext
