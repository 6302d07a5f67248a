#include <gtest/gtest.h>

#include <vector>

#include "settings/AlertCoding.h"

using namespace km640::alerts;

TEST(AlertCoding, Tonality) {
    struct Case { int hz; std::uint16_t divider; std::uint8_t first; std::uint8_t second; };
    const Case cases[] = {
        {150, 1491, 1, 50}, {6000, 37, 60, 0}, {1700, 131, 17, 0},
        {200, 1118, 2, 0},  {400, 559, 4, 0},  {900, 248, 9, 0}, {2300, 97, 23, 0}, {1234, 181, 12, 34},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TonalityDivider(c.hz), c.divider) << c.hz;
        EXPECT_EQ(TonalityHzBytes(c.hz), (std::array<std::uint8_t, 2>{c.first, c.second})) << c.hz;
        EXPECT_EQ(TonalityShownHz(c.first, c.second), c.hz);
    }
}

TEST(AlertCoding, PatternLettersFromBytes) {
    struct Case { std::vector<std::uint8_t> bytes; const char* text; };
    const Case cases[] = {
        {{0x01, 0x23, 0x01, 0x23}, "ABCDABCD"},
        {{0x0F, 0x0F, 0xFF, 0xFF}, "A-A-----"},
        {{0x01, 0x45, 0x01, 0x23}, "AB"},  // a step without a letter ends the text
        {{0xE0, 0x00, 0x00, 0x00}, ""},
        {{0x3F, 0xF3, 0x21, 0x0F}, "D--DCBA-"},
    };
    for (const auto& c : cases) EXPECT_EQ(PatternLetters(c.bytes), c.text);
}

TEST(AlertCoding, TypedPatternLetters) {
    struct Case { const char* typed; const char* filled; std::array<std::uint8_t, 4> bytes; };
    const Case cases[] = {
        {"ab", "AB------", {0x01, 0xFF, 0xFF, 0xFF}},
        {"ABCDABCD", "ABCDABCD", {0x01, 0x23, 0x01, 0x23}},
        {" d-c ", "D-C-----", {0x3F, 0x2F, 0xFF, 0xFF}},
        {"abcdabcdab", "ABCDABCD", {0x01, 0x23, 0x01, 0x23}},  // a pasted text keeps eight steps
        {"AxB", "AXB-----", {0x00, 0x1F, 0xFF, 0xFF}},          // a pasted stranger sounds tone A
    };
    for (const auto& c : cases) {
        const std::string filled = PatternLettersFilled(c.typed);
        EXPECT_EQ(filled, c.filled) << c.typed;
        EXPECT_EQ(PatternToneBytes(filled), c.bytes) << c.typed;
    }
}

TEST(AlertCoding, StepBits) {
    struct Case { const char* typed; const char* filled; std::optional<std::uint8_t> byte; char offending; };
    const Case cases[] = {
        {"101", "10100000", 0xA0, 0},
        {"00010001", "00010001", 0x11, 0},
        {"11111111", "11111111", 0xFF, 0},
        {" 1 ", "10000000", 0x80, 0},
        {"1021", "10210000", std::nullopt, '2'},
        {"1x", "1x000000", std::nullopt, 'x'},
        {"0000000011", "00000000", 0x00, 0},
    };
    for (const auto& c : cases) {
        const std::string filled = StepBitsFilled(c.typed);
        EXPECT_EQ(filled, c.filled) << c.typed;
        const StepBitsParse parsed = StepBitsByte(filled);
        EXPECT_EQ(parsed.byte, c.byte) << c.typed;
        EXPECT_EQ(parsed.offending, c.offending) << c.typed;
    }
    for (std::uint8_t b : {0x00, 0x0F, 0x11, 0x33, 0xA0, 0xFF}) EXPECT_EQ(StepBitsByte(StepBitsText(b)).byte, b);
    EXPECT_EQ(StepBitsText(0x33), "00110011");
}
