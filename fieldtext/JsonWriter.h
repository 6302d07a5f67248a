#pragma once
// A small writer for the JSON the dump and the diff print: objects and arrays
// of strings and numbers, indented one level per nesting, strings escaped.

#include <string>
#include <string_view>
#include <vector>

namespace km640::fieldtext {

class JsonWriter {
public:
    JsonWriter& beginObject(std::string_view key = {});
    JsonWriter& endObject();
    JsonWriter& beginArray(std::string_view key = {});
    JsonWriter& endArray();
    JsonWriter& value(std::string_view key, std::string_view text);
    JsonWriter& value(std::string_view key, const char* text) { return value(key, std::string_view(text)); }
    JsonWriter& value(std::string_view key, long long number);
    JsonWriter& value(std::string_view key, int number) { return value(key, static_cast<long long>(number)); }
    JsonWriter& value(std::string_view key, bool flag);
    // A value already written as JSON (a literal from latin1JsonString, say).
    JsonWriter& literal(std::string_view key, std::string_view json);

    // The document so far; complete once every object and array is closed.
    std::string text() const { return out_ + "\n"; }

private:
    void begin(std::string_view key);
    void open(std::string_view key, char bracket);
    void close(char bracket);

    std::string out_;
    std::vector<bool> hasMembers_;
};

// A JSON string literal: quotes, backslashes and control characters escaped.
std::string jsonString(std::string_view text);

// An 8-bit text as the pager stores it (ISO 8859-1), as a JSON string: its
// letters and signs as themselves in UTF-8 ("Löschzug Süd"), control bytes,
// the no-break space and the soft hyphen as \u00XX; each reads back to the
// same byte.
std::string latin1JsonString(std::string_view text);

}  // namespace km640::fieldtext
