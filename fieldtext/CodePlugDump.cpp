#include "fieldtext/CodePlugDump.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

#include "fieldtext/FieldValue.h"
#include "fieldtext/Latin1.h"
#include "fieldtext/JsonWriter.h"

namespace km640::fieldtext {

namespace {

constexpr std::string_view kReservedPrefix = "reserved ";

std::string hex(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned>(value));
    return buf;
}

// The text and blanks up to width; a longer text keeps two blanks after it.
std::string padded(std::string text, std::size_t width) {
    const std::size_t columns = utf8Length(text);  // a letter takes one column
    text.append(columns + 2 <= width ? width - columns : 2, ' ');
    return text;
}

std::string summaryText(const ReservedSummary& s) {
    std::string text = std::to_string(s.bytes) + (s.bytes == 1 ? " byte" : " bytes");
    if (s.partialBytes > 0) text += " (" + std::to_string(s.partialBytes) + " shared with fields)";
    if (s.distinctValues == 1) return text + ", all " + hex(s.commonValue);
    return text + ", " + std::to_string(s.distinctValues) + " values, mostly " + hex(s.commonValue) + " (" +
           std::to_string(s.commonCount) + ")";
}

}  // namespace

std::vector<ReservedSummary> summariseReserved(const CodePlugImage& image) {
    std::vector<ReservedSummary> out;
    std::map<memmap::Region, std::array<int, 256>> counts;
    for (const auto& reserved : memmap::reservedBytes()) {
        auto& histogram = counts[reserved.region];
        ++histogram[image.byte(reserved.offset) & reserved.mask];
        auto it = std::find_if(out.begin(), out.end(),
                               [&](const ReservedSummary& s) { return s.region->id == reserved.region; });
        if (it == out.end()) {
            out.push_back({&memmap::regionDef(reserved.region)});
            it = out.end() - 1;
        }
        ++it->bytes;
        if (reserved.mask != 0xFF) ++it->partialBytes;
    }
    for (auto& summary : out) {
        const auto& histogram = counts[summary.region->id];
        for (int value = 0; value < 256; ++value) {
            const int n = histogram[static_cast<std::size_t>(value)];
            if (n == 0) continue;
            ++summary.distinctValues;
            if (n > summary.commonCount) {
                summary.commonCount = n;
                summary.commonValue = static_cast<std::uint8_t>(value);
            }
        }
    }
    return out;
}

std::string dumpText(const CodePlugImage& image) {
    std::size_t nameWidth = 0;
    for (const auto& field : memmap::fields()) nameWidth = std::max(nameWidth, field.name.size());
    for (const auto& region : memmap::regions()) nameWidth = std::max(nameWidth, kReservedPrefix.size() + region.name.size());
    std::string out;
    for (const auto& field : memmap::fields()) {
        const std::string value = fieldValueText(image, field);
        const std::string raw = rawBytesText(image, field);
        std::string line = padded(field.name, nameWidth + 2) + padded(fieldPlace(field), 12);
        // A block without inner meaning shows its bytes as its value already.
        line += raw == value ? value : padded(value, 18) + "[" + raw + "]";
        out += line + "\n";
    }
    out += "\n";
    for (const auto& summary : summariseReserved(image)) {
        out += padded(std::string(kReservedPrefix) + std::string(summary.region->name), nameWidth + 2) +
               padded(std::to_string(summary.region->first) + "-" + std::to_string(summary.region->last), 12) +
               summaryText(summary) + "\n";
    }
    return out;
}

std::string dumpJson(const CodePlugImage& image) {
    JsonWriter json;
    json.beginObject().beginArray("fields");
    for (const auto& field : memmap::fields()) {
        json.beginObject()
            .value("name", field.name)
            .value("region", memmap::regionDef(field.region).name)
            .value("offset", field.offset)
            .value("shift", field.shift)
            .value("width", field.width)
            .value("length", field.length)
            .value("raw", rawBytesText(image, field))
            .value("value", fieldValueText(image, field))
            .endObject();
    }
    json.endArray().beginArray("reserved");
    for (const auto& summary : summariseReserved(image)) {
        json.beginObject()
            .value("region", summary.region->name)
            .value("first", summary.region->first)
            .value("last", summary.region->last)
            .value("bytes", summary.bytes)
            .value("partialBytes", summary.partialBytes)
            .value("distinctValues", summary.distinctValues)
            .value("commonValue", static_cast<int>(summary.commonValue))
            .value("commonCount", summary.commonCount)
            .endObject();
    }
    json.endArray().endObject();
    return json.text();
}

}  // namespace km640::fieldtext
