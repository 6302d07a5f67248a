#include "fieldtext/JsonReader.h"

#include <cstdint>
#include <cstdio>
#include <map>

#include "fieldtext/Latin1.h"

namespace km640::fieldtext {

namespace {

constexpr int kMaxDepth = 64;

std::string byteName(char c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", unsigned{static_cast<unsigned char>(c)});
    return buf;
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    JsonParse document() {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = lineStart_ = 3;
        JsonParse out;
        skipBlanks();
        JsonValue value;
        if (!readValue(value, 0)) {
            out.error = error_;
            return out;
        }
        skipBlanks();
        if (pos_ != text_.size()) {
            fail("text after the end of the document");
            out.error = error_;
            return out;
        }
        out.value = std::move(value);
        return out;
    }

private:
    // The column counts characters: UTF-8 continuation bytes add none. It
    // is counted on from the place asked for last, so a document on one
    // long line is read in linear time.
    JsonPlace here() {
        if (countedLineStart_ != lineStart_ || countedTo_ > pos_) {
            countedLineStart_ = countedTo_ = lineStart_;
            countedColumn_ = 1;
        }
        for (; countedTo_ < pos_; ++countedTo_)
            if ((static_cast<unsigned char>(text_[countedTo_]) & 0xC0) != 0x80) ++countedColumn_;
        return {line_, countedColumn_};
    }

    bool failAt(const JsonPlace& place, const std::string& what) {
        if (error_.empty()) error_ = place.text() + ": " + what;
        return false;
    }
    bool fail(const std::string& what) { return failAt(here(), what); }

    void skipBlanks() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                lineStart_ = pos_ + 1;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                return;
            }
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
        value.place = here();
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
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            return fail("unexpected byte " + byteName(c));
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
        const std::size_t first = pos_;
        const JsonPlace firstPlace = here();
        if (!digits()) return fail("a number without digits");
        // 007 is no JSON number: a zero stands alone before the point.
        if (text_[first] == '0' && pos_ - first > 1) return failAt(firstPlace, "a number with a leading zero");
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
            const char h = text_[pos_];
            out <<= 4;
            if (h >= '0' && h <= '9') out |= static_cast<std::uint32_t>(h - '0');
            else if (h >= 'a' && h <= 'f') out |= static_cast<std::uint32_t>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F') out |= static_cast<std::uint32_t>(h - 'A' + 10);
            else return fail("a \\u escape with a character that is no hexadecimal digit");
            ++pos_;
        }
        return true;
    }

    bool readString(std::string& out) {
        ++pos_;  // the opening quote
        while (true) {
            if (pos_ >= text_.size()) return fail("a string ends inside");
            const JsonPlace at = here();
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
                default: return failAt(at, "an unknown escape \\" + std::string(1, e));
                }
            } else if (code >= 0x80) {
                const auto character = nextUtf8Character(text_, pos_);
                if (!character) return fail("a byte that is no UTF-8 (save the text as UTF-8)");
                code = static_cast<std::uint32_t>(*character);
            } else {
                ++pos_;
            }
            if (code > 0xFF) return failAt(at, "a character the code-plug cannot hold (beyond U+00FF)");
            out += static_cast<char>(code);
        }
    }

    // After a member or an item: the comma and what follows it, or the end.
    // True when the object or array goes on.
    bool next(char closing, bool& goesOn) {
        skipBlanks();
        if (pos_ >= text_.size())
            return fail(closing == '}' ? "the document ends inside an object" : "the document ends inside an array");
        const char c = text_[pos_];
        if (c == closing) {
            ++pos_;
            goesOn = false;
            return true;
        }
        if (c != ',') return fail(std::string("a comma or `") + closing + "` was expected");
        const JsonPlace comma = here();
        ++pos_;
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == closing) return failAt(comma, std::string("a comma before `") + closing + "`");
        goesOn = true;
        return true;
    }

    bool readArray(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Array;
        ++pos_;
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == ']') {
            ++pos_;
            return true;
        }
        for (bool goesOn = true; goesOn;) {
            JsonValue item;
            if (!readValue(item, depth + 1)) return false;
            value.items.push_back(std::move(item));
            if (!next(']', goesOn)) return false;
        }
        return true;
    }

    bool readObject(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Object;
        ++pos_;
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '}') {
            ++pos_;
            return true;
        }
        for (bool goesOn = true; goesOn;) {
            if (pos_ >= text_.size() || text_[pos_] != '"') return fail("a member name in double quotes was expected");
            const JsonPlace namePlace = here();
            std::string key;
            if (!readString(key)) return false;
            skipBlanks();
            if (pos_ >= text_.size() || text_[pos_] != ':') return fail("a `:` was expected after \"" + key + "\"");
            ++pos_;
            skipBlanks();
            JsonValue member;
            if (!readValue(member, depth + 1)) return false;
            member.namePlace = namePlace;
            value.members.emplace_back(std::move(key), std::move(member));
            if (!next('}', goesOn)) return false;
        }
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    int line_ = 1;
    std::size_t countedLineStart_ = 0;
    std::size_t countedTo_ = 0;
    int countedColumn_ = 1;
    std::string error_;
};

void collectRepeats(const JsonValue& value, std::vector<JsonRepeat>& out) {
    std::map<std::string, JsonPlace> seen;
    for (const auto& [name, member] : value.members) {
        if (const auto [at, fresh] = seen.emplace(name, member.namePlace); !fresh)
            out.push_back({name, member.namePlace, at->second});
        collectRepeats(member, out);
    }
    for (const JsonValue& item : value.items) collectRepeats(item, out);
}

}  // namespace

std::string JsonPlace::text() const { return "line " + std::to_string(line) + ", column " + std::to_string(column); }

const JsonValue* JsonValue::member(std::string_view key) const {
    for (const auto& [name, value] : members)
        if (name == key) return &value;
    return nullptr;
}

std::string JsonValue::kindName() const {
    switch (kind) {
    case Kind::Null: return "null";
    case Kind::Bool: return text;
    case Kind::Number: return "a number";
    case Kind::String: return "a string";
    case Kind::Array: return "an array";
    case Kind::Object: return "an object";
    }
    return {};
}

JsonParse parseJson(std::string_view document) { return Reader(document).document(); }

std::vector<JsonRepeat> repeatedMembers(const JsonValue& root) {
    std::vector<JsonRepeat> out;
    collectRepeats(root, out);
    return out;
}

}  // namespace km640::fieldtext
