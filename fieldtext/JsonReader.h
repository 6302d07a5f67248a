#pragma once
// A small, strict reader for the JSON this program reads back in: objects
// (members kept in the order written, with where each one stands), arrays,
// strings, numbers, true, false and null. Strings come out as 8-bit texts as
// the pager stores them: every character up to U+00FF is one byte; a
// character beyond that cannot be held by a code-plug and makes the document
// unreadable. What JSON does not allow is refused with its line, column and
// reason: a comma before a closing brace, a number with a leading zero, a
// byte that is no UTF-8 (an overlong form included).

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace km640::fieldtext {

// Where something stands in a document: line and column from 1, the column
// counted in characters.
struct JsonPlace {
    int line = 0;
    int column = 0;
    // "line 12, column 31"
    std::string text() const;
};

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    std::string text;  // String: the decoded text; Number: the number as written; Bool: "true"/"false"
    std::vector<JsonValue> items;                            // Array
    std::vector<std::pair<std::string, JsonValue>> members;  // Object, in document order, repeats kept
    JsonPlace place;      // where the value starts
    JsonPlace namePlace;  // a member of an object: where its name starts

    // The member of an object with this key (the first one), or nullptr.
    // A reader that trusts one member per name refuses repeats first
    // (repeatedMembers).
    const JsonValue* member(std::string_view key) const;
    // The kind as a person names it: "a string", "an object", ...
    std::string kindName() const;
};

struct JsonParse {
    std::optional<JsonValue> value;
    std::string error;  // "line 3, column 14: a string ends inside" ...
};

// Reads one JSON document (blanks around it allowed, a UTF-8 byte-order mark
// at the start skipped). Nesting deeper than 64 levels is refused.
JsonParse parseJson(std::string_view document);

// A name given a second time in one object, anywhere in the document.
struct JsonRepeat {
    std::string name;
    JsonPlace place;  // of the repeat
    JsonPlace first;  // of the first member of that name
};
std::vector<JsonRepeat> repeatedMembers(const JsonValue& root);

}  // namespace km640::fieldtext
