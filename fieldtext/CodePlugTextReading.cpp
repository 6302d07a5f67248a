#include "fieldtext/CodePlugTextReading.h"

#include <array>
#include <map>

#include "fieldtext/FieldTextRules.h"
#include "fieldtext/JsonReader.h"
#include "fieldtext/Latin1.h"

namespace km640::fieldtext {

namespace {

constexpr std::array<std::string_view, 4> kTopMembers = {"format", "version", "fields", "reserved"};
constexpr std::array<std::string_view, 2> kReservedMembers = {"fields", "bytes"};

// A name from the text as a message shows it, in quotes. It is given as it
// stands: a terminal escapes what it must, as it does for values.
std::string named(std::string_view name) { return "\"" + std::string(name) + "\""; }

template <std::size_t N>
std::string memberList(const std::array<std::string_view, N>& members) {
    std::string out;
    for (std::size_t k = 0; k < N; ++k)
        out += (k == 0 ? "" : k + 1 == N ? " and " : ", ") + ("\"" + std::string(members[k]) + "\"");
    return out;
}

// A version number of at most five digits; -1 for anything else.
int wholeNumber(const std::string& text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits || text.find_first_not_of("0123456789") != std::string::npos ||
        (text.size() > 1 && text[0] == '0'))
        return -1;
    return std::stoi(text);
}

std::string formatError(const JsonValue& root, int& version) {
    if (root.kind != JsonValue::Kind::Object) return "it is no JSON object";
    const JsonValue* format = root.member("format");
    if (!format || format->kind != JsonValue::Kind::String || format->text != kTextFormatName)
        return "it has no \"format\": \"" + std::string(kTextFormatName) + "\"";
    const JsonValue* given = root.member("version");
    if (!given || given->kind != JsonValue::Kind::Number) return "it has no format \"version\" number";
    version = wholeNumber(given->text, 5);
    if (version < 1) return "its format version " + given->text + " is not one this program knows";
    if (version > kTextFormatVersion)
        return "it was written in format version " + given->text + " by a newer program; this program reads up to " +
               std::to_string(kTextFormatVersion);
    return {};
}

class FormReader {
public:
    explicit FormReader(ReadText& out) : out_(out) {}

    void problem(const JsonPlace& place, std::string message) {
        out_.problems.push_back({{}, {}, std::move(message), place.text()});
    }

    // An object member that must itself be an object; nullptr (and a
    // problem) when it is something else.
    const JsonValue* object(const JsonValue& value, const std::string& what) {
        if (value.kind == JsonValue::Kind::Object) return &value;
        problem(value.place, what + " must be an object, not " + value.kindName());
        return nullptr;
    }

    template <std::size_t N>
    void onlyMembers(const JsonValue& object, const std::array<std::string_view, N>& known, const std::string& what) {
        for (const auto& [name, value] : object.members) {
            bool isKnown = false;
            for (const auto k : known) isKnown = isKnown || name == k;
            if (!isKnown)
                problem(value.namePlace,
                        named(name) + " is no member of " + what + "; its members are " + memberList(known));
        }
    }

    // Field names with values, each name once in the whole text.
    void values(const JsonValue& object, std::vector<GivenValue>& into) {
        std::map<std::string, bool> inThisObject;
        for (const auto& [name, value] : object.members) {
            // A repeat within one object is listed with the object's repeats.
            if (!inThisObject.emplace(name, true).second) continue;
            const memmap::Field* field = memmap::findField(name);
            if (!field) {
                problem(value.namePlace, named(name) + " is no field of the code-plug");
                continue;
            }
            if (const auto [at, fresh] = given_.emplace(name, value.namePlace); !fresh) {
                problem(value.namePlace, named(name) + " is given a second time (first at " + at->second.text() + ")");
                continue;
            }
            // {"raw": "HEX"}: the field's bits as stored, a value the window's
            // control cannot take here.
            const JsonValue* raw = value.kind == JsonValue::Kind::Object && value.members.size() == 1
                                       ? value.member("raw")
                                       : nullptr;
            if (raw && raw->kind == JsonValue::Kind::String) {
                out_.rawFields.push_back({field, raw->text, value.namePlace.text()});
                continue;
            }
            if (value.kind != JsonValue::Kind::String && value.kind != JsonValue::Kind::Number) {
                problem(value.place, named(name) + " needs a string or a number as its value (or {\"raw\": \"HEX\"}), not " +
                                         value.kindName());
                continue;
            }
            // A value text is UTF-8, as `set` takes it; the reader gives the
            // string's characters as the pager's 8-bit letters.
            into.push_back({field, utf8FromLatin1(value.text), value.namePlace.text()});
        }
    }

    void reservedBytes(const JsonValue& bytes) {
        std::array<std::uint8_t, kImageSize> reservedMask{};
        for (const auto& reserved : memmap::reservedBytes())
            reservedMask[static_cast<std::size_t>(reserved.offset)] = reserved.mask;
        std::map<int, JsonPlace> seen;
        for (const auto& [place, value] : bytes.members) {
            const int offset = wholeNumber(place, 4);
            const auto hex = value.kind == JsonValue::Kind::String ? parseHexBytes(value.text) : std::nullopt;
            if (offset < 0 || !hex || offset + static_cast<int>(hex->size()) > static_cast<int>(kImageSize)) {
                problem(value.namePlace, "reserved bytes " + named(place) +
                                             ": reserved bytes are given as \"OFFSET\": \"HEX BYTES\" within the image");
                continue;
            }
            bool fits = true;
            for (int k = 0; k < static_cast<int>(hex->size()) && fits; ++k) {
                const int at = offset + k;
                if (reservedMask[static_cast<std::size_t>(at)] == 0) {
                    problem(value.namePlace, "reserved bytes " + named(place) + ": byte " + std::to_string(at) +
                                                 " is no reserved byte; a field holds it");
                    fits = false;
                } else if (const auto [first, fresh] = seen.emplace(at, value.namePlace); !fresh) {
                    problem(value.namePlace, "reserved bytes " + named(place) + ": byte " + std::to_string(at) +
                                                 " is given a second time (first at " + first->second.text() + ")");
                    fits = false;
                }
            }
            if (fits) out_.reservedBytes.push_back({offset, *hex, value.namePlace.text()});
        }
    }

private:
    ReadText& out_;
    std::map<std::string, JsonPlace> given_;  // field names given so far, in "fields" or "reserved"
};

}  // namespace

ReadText readCodePlugText(std::string_view text) {
    ReadText out;
    const JsonParse parsed = parseJson(text);
    if (!parsed.value) {
        out.error = "not readable as JSON: " + parsed.error;
        return out;
    }
    const JsonValue& root = *parsed.value;
    if (const std::string error = formatError(root, out.version); !error.empty()) {
        out.error = "not KM640 code-plug text: " + error;
        return out;
    }
    FormReader form(out);
    for (const JsonRepeat& repeat : repeatedMembers(root))
        form.problem(repeat.place, named(repeat.name) + " is given a second time in one object (first at " +
                                       repeat.first.text() + ")");
    form.onlyMembers(root, kTopMembers, "a code-plug text");
    if (const JsonValue* fields = root.member("fields")) {
        if (const JsonValue* object = form.object(*fields, "\"fields\"")) form.values(*object, out.fields);
    } else {
        form.problem(root.place, "the text has no \"fields\" member with the code-plug's fields");
    }
    const JsonValue* reserved = root.member("reserved");
    if (reserved && (reserved = form.object(*reserved, "\"reserved\""))) {
        form.onlyMembers(*reserved, kReservedMembers, "\"reserved\"");
        if (const JsonValue* raw = reserved->member("fields"))
            if (const JsonValue* object = form.object(*raw, "\"reserved\" \"fields\"")) form.values(*object, out.rawFields);
        if (const JsonValue* bytes = reserved->member("bytes"))
            if (const JsonValue* object = form.object(*bytes, "\"reserved\" \"bytes\"")) form.reservedBytes(*object);
    }
    return out;
}

}  // namespace km640::fieldtext
