#include <gtest/gtest.h>

#include <sstream>

#include "fieldtext/CodePlugDump.h"
#include "fieldtext/JsonWriter.h"

using namespace km640;
using namespace km640::fieldtext;

namespace {

// The dump line of a field: its name, blanks, and the rest.
std::string lineOf(const std::string& dump, const std::string& name) {
    std::istringstream in(dump);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(name + " ")) return line;
    return {};
}

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

}  // namespace

TEST(CodePlugDump, DefaultCodePlugFieldsWithPlaceValueAndBytes) {
    const std::string dump = dumpText(DefaultImage());
    const struct {
        const char* field;
        std::vector<std::string> columns;
    } cases[] = {
        {"Profile[0].F1Freq", {"Profile[0].F1Freq", "1568", "1520000", "[01", "52", "00", "00]"}},
        {"F1Tone1[0]", {"F1Tone1[0]", "256", "1285.8", "[12", "85", "80]"}},
        {"WbSquelch[0].Nrssi", {"WbSquelch[0].Nrssi", "1520", "0.95", "[51]"}},
        {"TwoChannelMode", {"TwoChannelMode", "1", "b2", "on", "[EE]"}},
        {"ActiveSwitchSettings", {"ActiveSwitchSettings", "64", "00", "11", "22", "03"}},
    };
    for (const auto& c : cases) EXPECT_EQ(words(lineOf(dump, c.field)), c.columns) << c.field;

    std::size_t fieldLines = 0;
    for (const auto& field : memmap::fields()) fieldLines += lineOf(dump, field.name).empty() ? 0 : 1;
    EXPECT_EQ(fieldLines, memmap::fields().size());
}

TEST(CodePlugDump, ReservedBytesSummarisedByRegion) {
    CodePlugImage image = DefaultImage();
    EXPECT_EQ(words(lineOf(dumpText(image), "reserved ReservedAfterAlerts")),
              (std::vector<std::string>{"reserved", "ReservedAfterAlerts", "1872-1935", "64", "bytes,", "all", "0xFF"}));
    image.setByte(1900, 0x12);
    image.setByte(1, image.byte(1) ^ 0x01);  // a reserved bit beside TwoChannelMode
    const auto summaries = summariseReserved(image);
    const auto find = [&](memmap::Region region) {
        for (const auto& s : summaries)
            if (s.region->id == region) return s;
        return ReservedSummary{};
    };
    const auto alerts = find(memmap::Region::ReservedAfterAlerts);
    EXPECT_EQ(alerts.bytes, 64);
    EXPECT_EQ(alerts.distinctValues, 2);
    EXPECT_EQ(alerts.commonValue, 0xFF);
    EXPECT_EQ(alerts.commonCount, 63);
    EXPECT_GT(find(memmap::Region::SystemBlock).partialBytes, 0);
    EXPECT_NE(lineOf(dumpText(image), "reserved ReservedAfterAlerts").find("2 values, mostly 0xFF (63)"),
              std::string::npos);
}

TEST(CodePlugDump, JsonNamesEveryFieldWithItsValue) {
    const std::string json = dumpJson(DefaultImage());
    EXPECT_TRUE(json.starts_with("{\n  \"fields\": [\n    {\n      \"name\": \"TwoChannelMode\""));
    EXPECT_TRUE(json.ends_with("]\n}\n"));
    EXPECT_NE(json.find("\"name\": \"Profile[0].F1Freq\",\n      \"region\": \"Profiles\",\n      \"offset\": 1568,\n"
                        "      \"shift\": 0,\n      \"width\": 8,\n      \"length\": 4,\n"
                        "      \"raw\": \"01 52 00 00\",\n      \"value\": \"1520000\""),
              std::string::npos);
    // Text values carry their quotes, escaped.
    EXPECT_NE(json.find("\"value\": \"\\\" Addr_1 F1\\\"\""), std::string::npos);
    std::size_t names = 0;
    for (auto at = json.find("\"name\""); at != std::string::npos; at = json.find("\"name\"", at + 1)) ++names;
    EXPECT_EQ(names, memmap::fields().size());
}

TEST(JsonWriter, EscapesAndNests) {
    const struct {
        std::string text;
        std::string literal;
    } cases[] = {
        {"plain", "\"plain\""}, {"a\"b", "\"a\\\"b\""}, {"back\\slash", "\"back\\\\slash\""},
        {"line\nbreak\r\t", "\"line\\nbreak\\r\\t\""}, {std::string("\x01\x1f", 2), "\"\\u0001\\u001f\""},
    };
    for (const auto& c : cases) EXPECT_EQ(jsonString(c.text), c.literal);

    JsonWriter json;
    json.beginObject().value("n", 3).value("ok", true).beginArray("list").endArray().beginArray("one");
    json.beginObject().value("s", "x").endObject().endArray().endObject();
    EXPECT_EQ(json.text(), "{\n  \"n\": 3,\n  \"ok\": true,\n  \"list\": [],\n  \"one\": [\n    {\n      \"s\": \"x\"\n"
                           "    }\n  ]\n}\n");
}
