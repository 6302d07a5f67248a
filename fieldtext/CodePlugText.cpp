#include "fieldtext/CodePlugText.h"

#include <set>

#include "codeplug/MemoryMap.h"
#include "fieldtext/FieldTextRules.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/JsonReader.h"
#include "fieldtext/JsonWriter.h"
#include "fieldtext/MessageLine.h"
#include "settings/CodePlugNormalisation.h"

namespace km640::fieldtext {

namespace {

using memmap::Encoding;
using memmap::Field;

// Reserved bytes are written in runs of at most this many bytes per line.
constexpr int kReservedRun = 16;
// Passes over the fields of a text: a value the rules refuse beside a value
// of the base that a later field of the text replaces (a tone too close to a
// tone about to change, say) is taken on the next pass.
constexpr int kImportPasses = 4;

std::string hexText(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (const auto byte : bytes) out += (out.empty() ? "" : " ") + hexByte(byte);
    return out;
}

// The field's bits or bytes as hexadecimal: a bit field as one byte holding
// its bits shifted down.
std::string rawValueText(const CodePlugImage& image, const Field& field) {
    if (field.length == 1 && field.width < 8) return hexByte(image.GetBits(field.offset, field.shift, field.width));
    return hexText(image.span(field.offset, field.length));
}


// Whether the field's value text sets the field to exactly its bits again,
// from the value it has and from other values (all bits clear, all set): a
// control the window has disabled here (a profile box of a profile that is
// off, say) takes no other value, and an import onto another code-plug could
// not set it. Such a value is kept with the reserved bytes.
bool textCarriesValue(const CodePlugImage& image, const Field& field, const std::string& text) {
    for (const int start : {0, 1, 2}) {
        CodePlugImage trial = image;
        if (start > 0) {
            for (int k = 0; k < field.length; ++k) {
                const std::uint8_t mask = field.length == 1 ? field.mask() : 0xFF;
                const int at = field.offset + k;
                trial.setByte(at, static_cast<std::uint8_t>(start == 1 ? trial.byte(at) & ~mask : trial.byte(at) | mask));
            }
        }
        if (setFieldFromText(trial, field.name, text)) return false;
        if (!sameFieldBits(trial, image, field)) return false;
    }
    return true;
}

// A block that other fields subdivide only in part (the pager's own data
// beside its firmware version): its own bytes carry the rest.
bool holdsUncoveredBytes(const Field& block) {
    std::vector<std::uint8_t> covered(static_cast<std::size_t>(block.length), 0);
    for (const Field& field : memmap::fields()) {
        if (field.aggregate() || field.offset < block.offset || field.lastByte() > block.lastByte()) continue;
        for (int k = 0; k < field.length; ++k)
            covered[static_cast<std::size_t>(field.offset - block.offset + k)] |= field.length == 1 ? field.mask() : 0xFF;
    }
    for (const auto bits : covered)
        if (bits != 0xFF) return true;
    return false;
}

struct ReservedRun {
    int offset;
    std::vector<std::uint8_t> bytes;
};

std::vector<ReservedRun> reservedRuns(const CodePlugImage& image) {
    std::vector<ReservedRun> runs;
    for (const auto& reserved : memmap::reservedBytes()) {
        const bool follows = !runs.empty() &&
                             runs.back().offset + static_cast<int>(runs.back().bytes.size()) == reserved.offset &&
                             static_cast<int>(runs.back().bytes.size()) < kReservedRun;
        if (!follows) runs.push_back({reserved.offset, {}});
        runs.back().bytes.push_back(image.byte(reserved.offset));
    }
    return runs;
}

// ---- Reading --------------------------------------------------------------------

struct ParsedText {
    std::vector<std::pair<std::string, std::string>> fields;  // name, value text, in the text's order
    std::vector<std::pair<std::string, std::string>> rawFields;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> reservedBytes;
    std::vector<FieldRefusal> refusals;  // members that are no value
    std::string error;
};

std::optional<std::string> scalarText(const JsonValue& value) {
    if (value.kind == JsonValue::Kind::String || value.kind == JsonValue::Kind::Number) return value.text;
    return std::nullopt;
}

std::string formatError(const JsonValue& root) {
    if (root.kind != JsonValue::Kind::Object) return "it is no JSON object";
    const JsonValue* format = root.member("format");
    if (!format || format->kind != JsonValue::Kind::String || format->text != kTextFormatName)
        return "it has no \"format\": \"" + std::string(kTextFormatName) + "\"";
    const JsonValue* version = root.member("version");
    if (!version || version->kind != JsonValue::Kind::Number) return "it has no format \"version\" number";
    const auto number = version->text.find_first_not_of("0123456789") == std::string::npos && version->text.size() < 6
                            ? std::stoi(version->text)
                            : -1;
    if (number < 1) return "its format version " + version->text + " is not one this program knows";
    if (number > kTextFormatVersion)
        return "it was written in format version " + version->text + " by a newer program; this program reads up to " +
               std::to_string(kTextFormatVersion);
    return {};
}

ParsedText parseText(std::string_view text) {
    ParsedText out;
    const JsonParse parsed = parseJson(text);
    if (!parsed.value) {
        out.error = "not readable as JSON: " + parsed.error;
        return out;
    }
    const JsonValue& root = *parsed.value;
    if (const std::string error = formatError(root); !error.empty()) {
        out.error = "not KM640 code-plug text: " + error;
        return out;
    }
    auto notAValue = [&](const std::string& name, const JsonValue& value) {
        out.refusals.push_back({name, value.text, "The value must be a JSON string or number (line " +
                                                      std::to_string(value.line) + ")"});
    };
    if (const JsonValue* fields = root.member("fields")) {
        for (const auto& [name, value] : fields->members) {
            if (const auto t = scalarText(value)) out.fields.emplace_back(name, *t);
            else notAValue(name, value);
        }
    }
    if (const JsonValue* reserved = root.member("reserved")) {
        if (const JsonValue* raw = reserved->member("fields"))
            for (const auto& [name, value] : raw->members) {
                if (const auto t = scalarText(value)) out.rawFields.emplace_back(name, *t);
                else notAValue(name, value);
            }
        if (const JsonValue* bytes = reserved->member("bytes"))
            for (const auto& [place, value] : bytes->members) {
                const auto offset = place.find_first_not_of("0123456789") == std::string::npos && place.size() < 5
                                        ? std::stoi(place)
                                        : -1;
                const auto hex = value.kind == JsonValue::Kind::String ? parseHexBytes(value.text) : std::nullopt;
                if (offset < 0 || !hex || offset + static_cast<int>(hex->size()) > static_cast<int>(kImageSize)) {
                    out.refusals.push_back({"reserved " + place, value.text,
                                            "Reserved bytes are given as \"OFFSET\": \"HEX BYTES\" within the image"});
                    continue;
                }
                out.reservedBytes.emplace_back(offset, *hex);
            }
    }
    return out;
}

// A field's raw bytes from the reserved section, unchecked: the window shows
// this value as another one and keeps it as loaded.
std::optional<FieldRefusal> setRawField(CodePlugImage& image, const std::string& name, const std::string& text) {
    const Field* field = memmap::findField(name);
    if (!field) return FieldRefusal{name, text, "No field of the code-plug has this name"};
    const auto bytes = parseHexBytes(text);
    const bool bits = field->length == 1 && field->width < 8;
    if (!bytes || static_cast<int>(bytes->size()) != field->length || (bits && (*bytes)[0] >= (1u << field->width)))
        return FieldRefusal{name, text, "The field's raw value must be " + std::to_string(field->length) +
                                            " bytes in hexadecimal"};
    if (bits) image.SetBits(field->offset, field->shift, (*bytes)[0], field->width);
    else image.copyIn(field->offset, *bytes);
    return std::nullopt;
}

void putReservedBytes(CodePlugImage& image, const std::vector<std::pair<int, std::vector<std::uint8_t>>>& runs) {
    std::array<std::uint8_t, kImageSize> mask{};
    for (const auto& reserved : memmap::reservedBytes()) mask[static_cast<std::size_t>(reserved.offset)] = reserved.mask;
    for (const auto& [offset, bytes] : runs)
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            const int at = offset + static_cast<int>(k);
            const std::uint8_t m = mask[static_cast<std::size_t>(at)];
            image.setByte(at, static_cast<std::uint8_t>((image.byte(at) & ~m) | (bytes[k] & m)));
        }
}

}  // namespace

std::string valueText(const CodePlugImage& image, const Field& field) {
    if (!shownByWindow(field)) return rawValueText(image, field);
    if (field.encoding == Encoding::Text) {
        const std::string text = displayText(image.text(field.offset, field.length));
        // A text that starts with a double quote is written quoted, as `dump` does.
        return text.starts_with('"') ? quotedText(text) : text;
    }
    return fieldValueText(image, field);
}

bool isCodePlugText(std::string_view fileBytes) {
    std::size_t start = fileBytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (start < fileBytes.size() && (fileBytes[start] == ' ' || fileBytes[start] == '\n' ||
                                        fileBytes[start] == '\r' || fileBytes[start] == '\t'))
        ++start;
    if (start >= fileBytes.size() || fileBytes[start] != '{') return false;
    const JsonParse parsed = parseJson(fileBytes);
    if (!parsed.value || parsed.value->kind != JsonValue::Kind::Object) return false;
    const JsonValue* format = parsed.value->member("format");
    return format && format->kind == JsonValue::Kind::String && format->text == kTextFormatName;
}

std::string exportCodePlugText(const CodePlugImage& image) {
    JsonWriter json;
    json.beginObject().value("format", kTextFormatName).value("version", kTextFormatVersion);
    std::vector<const Field*> uncarried;
    json.beginObject("fields");
    for (const Field& field : memmap::fields()) {
        if (field.aggregate() && !holdsUncoveredBytes(field)) continue;
        const std::string text = valueText(image, field);
        if (!textCarriesValue(image, field, text)) {
            uncarried.push_back(&field);
            continue;
        }
        json.literal(field.name, latin1JsonString(text));
    }
    json.endObject();
    json.beginObject("reserved");
    json.beginObject("fields");
    for (const Field* field : uncarried) json.value(field->name, rawValueText(image, *field));
    json.endObject();
    json.beginObject("bytes");
    for (const auto& run : reservedRuns(image)) json.value(std::to_string(run.offset), hexText(run.bytes));
    json.endObject();
    json.endObject();
    json.endObject();
    return json.text();
}

TextImport importCodePlugText(std::string_view text, const CodePlugImage& base) {
    TextImport out;
    out.image = base;
    const ParsedText parsed = parseText(text);
    if (!parsed.error.empty()) {
        out.error = parsed.error;
        return out;
    }
    std::set<std::string> named;
    for (const auto& field : parsed.fields) named.insert(field.first);
    std::vector<FieldRefusal> refusals;
    for (int pass = 0; pass < kImportPasses; ++pass) {
        const CodePlugImage before = out.image;
        refusals = parsed.refusals;
        for (const auto& [name, value] : parsed.fields)
            if (auto refusal = setFieldFromText(out.image, name, value)) refusals.push_back(*refusal);
        // Then the raw values, over what the rules stored beside them; a
        // field the text also gives through its rule keeps that value.
        for (const auto& [name, value] : parsed.rawFields)
            if (!named.contains(name))
                if (auto refusal = setRawField(out.image, name, value)) refusals.push_back(*refusal);
        putReservedBytes(out.image, parsed.reservedBytes);
        if (out.image == before) break;
    }
    // Values the rules moved again beside the text's other values (two
    // channels given in two bands, say): the code-plug does not hold what
    // the text says, which must not pass unnoticed.
    if (refusals.empty())
        for (const auto& [name, value] : parsed.fields) {
            CodePlugImage trial = out.image;
            const Field* field = memmap::findField(name);
            if (setFieldFromText(trial, name, value) || !field || sameFieldBits(trial, out.image, *field)) continue;
            refusals.push_back({name, value, "The code-plug cannot hold this value beside the text's other values: the "
                                             "window's rules made it " + valueText(out.image, *field)});
        }
    out.refusals = std::move(refusals);
    for (const RefreshMessage& message : normaliseCodePlug(out.image).messages)
        out.messages.push_back(messageLine(message.text));
    return out;
}

}  // namespace km640::fieldtext
