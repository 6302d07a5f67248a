#include "fieldtext/CodePlugText.h"

#include <algorithm>
#include <map>

#include "codeplug/MemoryMap.h"
#include "fieldtext/CodePlugTextReading.h"
#include "fieldtext/FieldTextRules.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/JsonReader.h"
#include "fieldtext/JsonWriter.h"
#include "fieldtext/Latin1.h"
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
// not set it. Such a value is written as its raw bits.
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

// Whether the form writes the field: a template leaves out what the program
// stamps or derives; a block other fields subdivide is written only for the
// bytes they leave.
bool writes(TextForm form, const Field& field) {
    if (field.aggregate() && !holdsUncoveredBytes(field)) return false;
    return form == TextForm::Lossless || (!field.stamped() && !field.derived());
}

// The reserved bytes in runs; a template leaves out those among the pager's
// own data (serial block, model, version, what the pager reports).
std::vector<ReservedRun> reservedRuns(const CodePlugImage& image, TextForm form) {
    std::vector<ReservedRun> runs;
    for (const auto& reserved : memmap::reservedBytes()) {
        if (form == TextForm::Template && reserved.region == memmap::Region::Identification) continue;
        const bool follows = !runs.empty() &&
                             runs.back().offset + static_cast<int>(runs.back().bytes.size()) == reserved.offset &&
                             static_cast<int>(runs.back().bytes.size()) < kReservedRun;
        if (!follows) runs.push_back({reserved.offset, {}});
        runs.back().bytes.push_back(image.byte(reserved.offset));
    }
    return runs;
}

// ---- Reading --------------------------------------------------------------------

// A field's raw bits ({"raw": "HEX"}; the first form kept them in the
// reserved section), unchecked: the window shows this value as another one,
// or its control is disabled here, and keeps it as loaded.
std::optional<std::string> setRawField(CodePlugImage& image, const Field& field, const std::string& text) {
    const auto bytes = parseHexBytes(text);
    const bool bits = field.length == 1 && field.width < 8;
    if (!bytes || static_cast<int>(bytes->size()) != field.length || (bits && (*bytes)[0] >= (1u << field.width)))
        return "The field's raw value must be " + std::to_string(field.length) + " bytes in hexadecimal";
    if (bits) image.SetBits(field.offset, field.shift, (*bytes)[0], field.width);
    else image.copyIn(field.offset, *bytes);
    return std::nullopt;
}

void putReservedBytes(CodePlugImage& image, const std::vector<GivenBytes>& runs) {
    std::array<std::uint8_t, kImageSize> mask{};
    for (const auto& reserved : memmap::reservedBytes()) mask[static_cast<std::size_t>(reserved.offset)] = reserved.mask;
    for (const auto& run : runs)
        for (std::size_t k = 0; k < run.bytes.size(); ++k) {
            const int at = run.offset + static_cast<int>(k);
            const std::uint8_t m = mask[static_cast<std::size_t>(at)];
            image.setByte(at, static_cast<std::uint8_t>((image.byte(at) & ~m) | (run.bytes[k] & m)));
        }
}

FieldRefusal refusalOf(const GivenValue& given, std::string message) {
    return {given.field->name, given.text, messageLine(message), given.place};
}

// One step of an import: a field, or the fields of one squelch level, whose
// rule holds for the level as the text gives it.
using Step = std::vector<const GivenValue*>;

std::vector<Step> stepsOf(const std::vector<GivenValue>& fields) {
    std::vector<Step> steps;
    std::map<std::string, std::size_t> levels;
    for (const GivenValue& given : fields) {
        if (const auto level = squelchLevelOf(*given.field)) {
            if (const auto [at, fresh] = levels.emplace(*level, steps.size()); !fresh) {
                steps[at->second].push_back(&given);
                continue;
            }
        }
        steps.push_back({&given});
    }
    return steps;
}

void applyStep(CodePlugImage& image, const Step& step, int version, std::vector<FieldRefusal>& refusals) {
    const GivenValue& first = *step.front();
    if (step.size() == 1 && !squelchLevelOf(*first.field)) {
        // The first form gave the fields the window does not show as raw bytes.
        if (version == 1 && !shownByWindow(*first.field)) {
            if (auto message = setRawField(image, *first.field, first.text)) refusals.push_back(refusalOf(first, *message));
        } else if (auto refusal = setFieldFromText(image, first.field->name, first.text)) {
            refusals.push_back(refusalOf(first, refusal->message));
        }
        return;
    }
    std::vector<const Field*> fields;
    std::vector<std::string> texts;
    for (const GivenValue* given : step) {
        fields.push_back(given->field);
        texts.push_back(given->text);
    }
    // The level's values are the same as stored: no change, as for one field.
    CodePlugImage changed = image;
    const std::vector<Outcome> outcomes = squelchLevel(changed, fields, texts);
    for (std::size_t k = 0; k < step.size(); ++k)
        if (outcomes[k].refusal) refusals.push_back(refusalOf(*step[k], *outcomes[k].refusal));
    bool same = true;
    for (const Field* field : fields) same = same && sameFieldBits(changed, image, *field);
    if (!same) image = changed;
}

}  // namespace

// A text field's text as it stands (JSON carries every byte; a text that
// starts with a double quote is written quoted, as `dump` does), in UTF-8.
std::string valueText(const CodePlugImage& image, const Field& field) {
    if (field.encoding == Encoding::Text || field.encoding == Encoding::ZeroPaddedText) {
        const std::string stored = image.text(field.offset, field.length);
        const std::string text = field.encoding == Encoding::Text ? storedText(stored) : stored.substr(0, stored.find('\0'));
        return text.starts_with('"') ? quotedText(text) : utf8FromLatin1(text);
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

std::string exportCodePlugText(const CodePlugImage& image, TextForm form) {
    JsonWriter json;
    json.beginObject().value("format", kTextFormatName).value("version", kTextFormatVersion);
    json.beginObject("fields");
    for (const Field& field : memmap::fields()) {
        if (!writes(form, field)) continue;
        const std::string text = valueText(image, field);
        // A value the window's control cannot take here keeps its bits. The
        // value text is UTF-8; the text form carries the pager's 8-bit letters.
        const auto latin1 = latin1FromUtf8(text);
        if (latin1.text && textCarriesValue(image, field, text)) json.literal(field.name, latin1JsonString(*latin1.text));
        else json.literal(field.name, "{\"raw\": " + jsonString(rawValueText(image, field)) + "}");
    }
    json.endObject();
    json.beginObject("reserved");
    json.beginObject("bytes");
    for (const auto& run : reservedRuns(image, form)) json.value(std::to_string(run.offset), hexText(run.bytes));
    json.endObject().endObject().endObject();
    return json.text();
}

TextImport importCodePlugText(std::string_view text, const CodePlugImage& base) {
    TextImport out;
    out.image = base;
    const ReadText read = readCodePlugText(text);
    if (!read.error.empty()) {
        out.error = read.error;
        return out;
    }
    const std::vector<Step> steps = stepsOf(read.fields);
    std::vector<FieldRefusal> refusals;
    for (int pass = 0; pass < kImportPasses; ++pass) {
        const CodePlugImage before = out.image;
        refusals = read.problems;
        for (const Step& step : steps) applyStep(out.image, step, read.version, refusals);
        // Then the raw values, over what the rules stored beside them.
        for (const GivenValue& raw : read.rawFields)
            if (auto message = setRawField(out.image, *raw.field, raw.text)) refusals.push_back(refusalOf(raw, *message));
        putReservedBytes(out.image, read.reservedBytes);
        if (out.image == before) break;
    }
    // Values the rules moved again beside the text's other values (two
    // channels given in two bands, say): the code-plug does not hold what
    // the text says, which must not pass unnoticed.
    if (refusals.empty())
        for (const GivenValue& given : read.fields) {
            if (read.version == 1 && !shownByWindow(*given.field)) continue;
            CodePlugImage trial = out.image;
            if (setFieldFromText(trial, given.field->name, given.text) || sameFieldBits(trial, out.image, *given.field))
                continue;
            refusals.push_back(refusalOf(given, "The code-plug cannot hold this value beside the text's other values: "
                                                "the window's rules made it " + valueText(out.image, *given.field)));
        }
    out.refusals = std::move(refusals);
    for (const RefreshMessage& message : normaliseCodePlug(out.image).messages)
        out.messages.push_back(messageLine(message.text));
    // A template leaves the checksum out: it is worked out over what the text gave.
    const bool givesChecksum = std::any_of(read.fields.begin(), read.fields.end(), [](const GivenValue& given) {
        return given.field->name == "ImageChecksum";
    });
    if (!givesChecksum) ImageChecksum(out.image);
    return out;
}

}  // namespace km640::fieldtext
