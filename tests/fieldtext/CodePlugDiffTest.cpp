#include <gtest/gtest.h>

#include <functional>

#include "fieldtext/CodePlugDiff.h"

using namespace km640;
using namespace km640::fieldtext;

TEST(CodePlugDiff, ACodePlugAgainstItselfIsEmpty) {
    const auto differences = diffCodePlugs(DefaultImage(), DefaultImage());
    EXPECT_TRUE(differences.empty());
    EXPECT_EQ(diffText(differences, "a.tbl", "a.tbl"), "");
    EXPECT_EQ(diffJson(differences, "a.tbl", "a.tbl"),
              "{\n  \"a\": \"a.tbl\",\n  \"b\": \"a.tbl\",\n  \"fields\": [],\n  \"reserved\": []\n}\n");
}

// One edit names exactly the field edited; a block of fields is named only
// for bytes none of its fields explains; reserved bits are named by offset.
TEST(CodePlugDiff, OneEditNamesExactlyThatField) {
    const struct {
        const char* what;
        std::function<void(CodePlugImage&)> edit;
        std::vector<std::string> fields;
        std::vector<int> reserved;
    } cases[] = {
        {"frequency", [](CodePlugImage& i) { i.setByte(1569, 0x53); }, {"Profile[0].F1Freq"}, {}},
        {"bit flag", [](CodePlugImage& i) { i.SetBits(1, 2, 0, 1); }, {"TwoChannelMode"}, {}},
        {"bit beside it", [](CodePlugImage& i) { i.SetBits(1, 0, 1, 1); }, {}, {1}},
        {"tone", [](CodePlugImage& i) { i.setByte(513, 0x90); }, {"F2Tone1[0]"}, {}},
        {"name", [](CodePlugImage& i) { i.setText(1536, 12, "BENCH"); }, {"Profile[0].PName"}, {}},
        {"contrast inside the LCM block", [](CodePlugImage& i) { i.setByte(179, 9); }, {"Contrast"}, {}},
        {"firmware inside the pager data", [](CodePlugImage& i) { i.setByte(2017, 7); }, {"FirmwareVersion"}, {}},
        {"pager data beyond the firmware", [](CodePlugImage& i) { i.setByte(2020, 7); }, {"PagerInfoBlock"}, {}},
        {"reserved region", [](CodePlugImage& i) { i.setByte(450, 0); }, {}, {450}},
    };
    for (const auto& c : cases) {
        CodePlugImage edited = DefaultImage();
        c.edit(edited);
        const auto differences = diffCodePlugs(DefaultImage(), edited);
        std::vector<std::string> names;
        for (const auto& d : differences.fields) names.push_back(d.field->name);
        std::vector<int> offsets;
        for (const auto& r : differences.reserved) offsets.push_back(r.offset);
        EXPECT_EQ(names, c.fields) << c.what;
        EXPECT_EQ(offsets, c.reserved) << c.what;
    }
}

TEST(CodePlugDiff, TextAndJsonGiveBothValues) {
    CodePlugImage edited = DefaultImage();
    edited.setByte(1569, 0x53);
    edited.setByte(450, 0x00);
    edited.SetBits(1, 0, 1, 1);
    const auto differences = diffCodePlugs(DefaultImage(), edited);
    EXPECT_EQ(diffText(differences, "a.tbl", "b.tbl"),
              "--- a.tbl\n+++ b.tbl\n"
              "Profile[0].F1Freq (1568): 1520000 -> 1530000\n"
              "reserved 1 (0x001) bits 0xFB: 0xEA -> 0xEB\n"
              "reserved 450 (0x1C2): 0xFF -> 0x00\n");
    const std::string json = diffJson(differences, "a.tbl", "b.tbl");
    EXPECT_NE(json.find("\"name\": \"Profile[0].F1Freq\",\n      \"offset\": 1568,\n      \"shift\": 0,\n"
                        "      \"width\": 8,\n      \"length\": 4,\n      \"a\": {\n        \"raw\": \"01 52 00 00\",\n"
                        "        \"value\": \"1520000\"\n      },\n      \"b\": {\n        \"raw\": \"01 53 00 00\",\n"
                        "        \"value\": \"1530000\"\n      }"),
              std::string::npos);
    EXPECT_NE(json.find("\"offset\": 450,\n      \"mask\": 255,\n      \"a\": 255,\n      \"b\": 0"), std::string::npos);
}

TEST(CodePlugDiff, EqualShownValuesAreToldApartByTheirBytes) {
    CodePlugImage a = DefaultImage();
    CodePlugImage b = DefaultImage();
    const std::uint8_t noToneA[] = {0xFF, 0xFF, 0xFF};
    const std::uint8_t noToneB[] = {0xAA, 0xAA, 0xAA};
    a.copyIn(256, noToneA);
    b.copyIn(256, noToneB);
    EXPECT_EQ(diffText(diffCodePlugs(a, b), "a", "b"),
              "--- a\n+++ b\nF1Tone1[0] (256): (no tone) [FF FF FF] -> (no tone) [AA AA AA]\n");
}
