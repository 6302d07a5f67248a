#include "fieldtext/CodePlugDiff.h"

#include <array>
#include <cstdio>

#include "fieldtext/FieldLabel.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/JsonWriter.h"

namespace km640::fieldtext {

namespace {

// The bits of every byte that fields other than blocks of fields cover.
const std::array<std::uint8_t, kImageSize>& innerFieldBits() {
    static const auto bits = [] {
        std::array<std::uint8_t, kImageSize> covered{};
        for (const auto& field : memmap::fields()) {
            if (field.aggregate()) continue;
            for (int offset = field.offset; offset <= field.lastByte(); ++offset)
                covered[static_cast<std::size_t>(offset)] |= field.length == 1 ? field.mask() : 0xFF;
        }
        return covered;
    }();
    return bits;
}

bool differs(const CodePlugImage& a, const CodePlugImage& b, const memmap::Field& field) {
    if (!field.aggregate()) return memmap::readField(a, field) != memmap::readField(b, field);
    const auto& covered = innerFieldBits();
    for (int offset = field.offset; offset <= field.lastByte(); ++offset) {
        const auto unexplained = static_cast<std::uint8_t>(~covered[static_cast<std::size_t>(offset)]);
        if (((a.byte(offset) ^ b.byte(offset)) & unexplained) != 0) return true;
    }
    return false;
}

std::string hexByte(unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", value);
    return buf;
}

// Values that read the same (two unreadable tones, say) are told apart by their bytes.
std::pair<std::string, std::string> shown(const FieldDifference& d) {
    if (d.valueA == d.valueB) return {d.valueA + " [" + d.rawA + "]", d.valueB + " [" + d.rawB + "]"};
    return {d.valueA, d.valueB};
}

}  // namespace

CodePlugDifferences diffCodePlugs(const CodePlugImage& a, const CodePlugImage& b) {
    CodePlugDifferences out;
    for (const auto& field : memmap::fields()) {
        if (!differs(a, b, field)) continue;
        out.fields.push_back({&field, fieldValueText(a, field), fieldValueText(b, field), rawBytesText(a, field),
                              rawBytesText(b, field)});
    }
    for (const auto& reserved : memmap::reservedBytes()) {
        const auto bitsA = static_cast<std::uint8_t>(a.byte(reserved.offset) & reserved.mask);
        const auto bitsB = static_cast<std::uint8_t>(b.byte(reserved.offset) & reserved.mask);
        if (bitsA != bitsB) out.reserved.push_back({reserved.offset, reserved.mask, bitsA, bitsB});
    }
    return out;
}

std::vector<DifferenceRow> differenceRows(const CodePlugDifferences& differences) {
    std::vector<DifferenceRow> rows;
    for (const auto& d : differences.fields) {
        const auto [a, b] = shown(d);
        rows.push_back({d.field->name, fieldPlace(*d.field), a, b, false, fieldLabel(*d.field), d.field->stamped()});
    }
    for (const auto& r : differences.reserved) {
        char offset[32];
        std::snprintf(offset, sizeof offset, "%d (0x%03X)", r.offset, static_cast<unsigned>(r.offset));
        rows.push_back({"reserved", offset + (r.mask != 0xFF ? " bits " + hexByte(r.mask) : std::string()),
                        hexByte(r.a), hexByte(r.b), true, "Reserved"});
    }
    return rows;
}

std::string diffText(const CodePlugDifferences& differences, const std::string& nameA, const std::string& nameB,
                     bool labels) {
    if (differences.empty()) return {};
    std::string out = "--- " + nameA + "\n+++ " + nameB + "\n";
    for (const auto& row : differenceRows(differences)) {
        out += row.reserved ? (labels ? row.label : row.name) + " " + row.place
                            : (labels ? row.label : row.name) + " (" + row.place + ")";
        out += ": " + row.valueA + " -> " + row.valueB + "\n";
    }
    return out;
}

std::string diffJson(const CodePlugDifferences& differences, const std::string& nameA, const std::string& nameB) {
    JsonWriter json;
    json.beginObject().value("a", nameA).value("b", nameB).beginArray("fields");
    for (const auto& d : differences.fields) {
        json.beginObject()
            .value("name", d.field->name)
            .value("offset", d.field->offset)
            .value("shift", d.field->shift)
            .value("width", d.field->width)
            .value("length", d.field->length)
            .beginObject("a")
            .value("raw", d.rawA)
            .value("value", d.valueA)
            .endObject()
            .beginObject("b")
            .value("raw", d.rawB)
            .value("value", d.valueB)
            .endObject()
            .endObject();
    }
    json.endArray().beginArray("reserved");
    for (const auto& r : differences.reserved) {
        json.beginObject()
            .value("offset", r.offset)
            .value("mask", static_cast<int>(r.mask))
            .value("a", static_cast<int>(r.a))
            .value("b", static_cast<int>(r.b))
            .endObject();
    }
    json.endArray().endObject();
    return json.text();
}

}  // namespace km640::fieldtext
