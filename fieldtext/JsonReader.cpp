#include "fieldtext/JsonReader.h"

#include <cstdint>

namespace km640::fieldtext {

namespace {

constexpr int kMaxDepth = 64;

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    JsonParse document() {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
        JsonParse out;
        skipBlanks();
        JsonValue value;
        if (!readValue(value, 0)) {
            out.error = error_;
            return out;
        }
        skipBlanks();
        if (pos_ != text_.size()) {
            out.error = where() + "text after the end of the document";
            return out;
        }
        out.value = std::move(value);
        return out;
    }

private:
    std::string where() const { return "line " + std::to_string(line_) + ": "; }

    bool fail(const std::string& what) {
        if (error_.empty()) error_ = where() + what;
        return false;
    }

    void skipBlanks() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') ++line_;
            else if (c != ' ' && c != '\t' && c != '\r') return;
            ++pos_;
        }
    }

    bool literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return fail("unexpected character");
        pos_ += word.size();
        return true;
    }

    bool readValue(JsonValue& value, int depth) {
        if (depth > kMaxDepth) return fail("nested too deeply");
        if (pos_ >= text_.size()) return fail("the document ends where a value should be");
        value.line = line_;
        const char c = text_[pos_];
        switch (c) {
        case '{': return readObject(value, depth);
        case '[': return readArray(value, depth);
        case '"': value.kind = JsonValue::Kind::String; return readString(value.text);
        case 't': value.kind = JsonValue::Kind::Bool; value.text = "true"; return literal("true");
        case 'f': value.kind = JsonValue::Kind::Bool; value.text = "false"; return literal("false");
        case 'n': value.kind = JsonValue::Kind::Null; return literal("null");
        default: break;
        }
        if (c == '-' || (c >= '0' && c <= '9')) return readNumber(value);
        return fail(std::string("unexpected character '") + c + "'");
    }

    bool readNumber(JsonValue& value) {
        const std::size_t start = pos_;
        auto digits = [&] {
            const std::size_t from = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
            return pos_ > from;
        };
        if (text_[pos_] == '-') ++pos_;
        if (!digits()) return fail("a number without digits");
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            if (!digits()) return fail("a number without digits after its point");
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
            if (!digits()) return fail("a number without digits in its exponent");
        }
        value.kind = JsonValue::Kind::Number;
        value.text = std::string(text_.substr(start, pos_ - start));
        return true;
    }

    bool hex4(std::uint32_t& out) {
        if (pos_ + 4 > text_.size()) return fail("a \\u escape ends inside");
        out = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = text_[pos_++];
            out <<= 4;
            if (h >= '0' && h <= '9') out |= static_cast<std::uint32_t>(h - '0');
            else if (h >= 'a' && h <= 'f') out |= static_cast<std::uint32_t>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F') out |= static_cast<std::uint32_t>(h - 'A' + 10);
            else return fail("a \\u escape with a character that is no hexadecimal digit");
        }
        return true;
    }

    // One UTF-8 character starting at pos_, whose first byte is above 0x7F.
    bool utf8(std::uint32_t& out) {
        const auto lead = static_cast<unsigned char>(text_[pos_]);
        int more = 0;
        if ((lead & 0xE0) == 0xC0) { out = lead & 0x1F; more = 1; }
        else if ((lead & 0xF0) == 0xE0) { out = lead & 0x0F; more = 2; }
        else if ((lead & 0xF8) == 0xF0) { out = lead & 0x07; more = 3; }
        else return fail("a byte that is no UTF-8");
        ++pos_;
        for (int i = 0; i < more; ++i, ++pos_) {
            if (pos_ >= text_.size() || (static_cast<unsigned char>(text_[pos_]) & 0xC0) != 0x80)
                return fail("a byte that is no UTF-8");
            out = (out << 6) | (static_cast<unsigned char>(text_[pos_]) & 0x3F);
        }
        return true;
    }

    bool readString(std::string& out) {
        ++pos_;  // the opening quote
        while (true) {
            if (pos_ >= text_.size()) return fail("a string ends inside");
            const char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return fail("a control character inside a string");
            std::uint32_t code = static_cast<unsigned char>(c);
            if (c == '\\') {
                if (++pos_ >= text_.size()) return fail("a string ends inside");
                const char e = text_[pos_++];
                switch (e) {
                case '"': code = '"'; break;
                case '\\': code = '\\'; break;
                case '/': code = '/'; break;
                case 'b': code = 8; break;
                case 'f': code = 12; break;
                case 'n': code = 10; break;
                case 'r': code = 13; break;
                case 't': code = 9; break;
                case 'u':
                    if (!hex4(code)) return false;
                    break;
                default: return fail(std::string("an unknown escape \\") + e);
                }
            } else if (code >= 0x80) {
                if (!utf8(code)) return false;
            } else {
                ++pos_;
            }
            if (code > 0xFF) return fail("a character the code-plug cannot hold (beyond U+00FF)");
            out += static_cast<char>(code);
        }
    }

    bool readArray(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Array;
        ++pos_;
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == ']') {
            ++pos_;
            return true;
        }
        while (true) {
            JsonValue item;
            if (!readValue(item, depth + 1)) return false;
            value.items.push_back(std::move(item));
            skipBlanks();
            if (pos_ >= text_.size()) return fail("the document ends inside an array");
            const char c = text_[pos_++];
            if (c == ']') return true;
            if (c != ',') return fail("a ',' or ']' was expected");
            skipBlanks();
        }
    }

    bool readObject(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Object;
        ++pos_;
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '}') {
            ++pos_;
            return true;
        }
        while (true) {
            if (pos_ >= text_.size() || text_[pos_] != '"') return fail("a member name in double quotes was expected");
            std::string key;
            if (!readString(key)) return false;
            skipBlanks();
            if (pos_ >= text_.size() || text_[pos_] != ':') return fail("a ':' was expected after \"" + key + "\"");
            ++pos_;
            skipBlanks();
            JsonValue member;
            if (!readValue(member, depth + 1)) return false;
            value.members.emplace_back(std::move(key), std::move(member));
            skipBlanks();
            if (pos_ >= text_.size()) return fail("the document ends inside an object");
            const char c = text_[pos_++];
            if (c == '}') return true;
            if (c != ',') return fail("a ',' or '}' was expected");
            skipBlanks();
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::string error_;
};

}  // namespace

const JsonValue* JsonValue::member(std::string_view key) const {
    for (const auto& [name, value] : members)
        if (name == key) return &value;
    return nullptr;
}

JsonParse parseJson(std::string_view document) { return Reader(document).document(); }

}  // namespace km640::fieldtext
