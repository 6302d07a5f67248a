#pragma once
// A small reader for the JSON this program writes back in: objects (members
// kept in the order written), arrays, strings, numbers, true, false and null.
// Strings come out as 8-bit texts as the pager stores them: every character
// up to U+00FF is one byte; a character beyond that cannot be held by a
// code-plug and makes the document unreadable.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace km640::fieldtext {

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    std::string text;  // String: the decoded text; Number: the number as written; Bool: "true"/"false"
    std::vector<JsonValue> items;                            // Array
    std::vector<std::pair<std::string, JsonValue>> members;  // Object, in document order
    int line = 0;  // where the value starts, from 1

    // The member of an object with this key (the first one), or nullptr.
    const JsonValue* member(std::string_view key) const;
};

struct JsonParse {
    std::optional<JsonValue> value;
    std::string error;  // "line 3: a string ends inside" ...
};

// Reads one JSON document (blanks around it allowed, a UTF-8 byte-order mark
// at the start skipped). Nesting deeper than 64 levels is refused.
JsonParse parseJson(std::string_view document);

}  // namespace km640::fieldtext
