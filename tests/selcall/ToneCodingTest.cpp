#include <gtest/gtest.h>

#include "selcall/ToneCoding.h"

using namespace km640;

namespace {

struct WordCase {
    int tenths;
    std::uint16_t word;
};

TEST(ToneCoding, DecoderWordsOfKnownTones) {
    const WordCase cases[] = {{2800, 0xC245},  {2885, 0xC251},  {8790, 0xC714}, {10000, 0xC812},
                              {12858, 0xCA88}, {24682, 0xD40C}, {35000, 0xDD01}};
    for (const auto& c : cases) EXPECT_EQ(toneDecoderWord(c.tenths), c.word) << c.tenths;
}

TEST(ToneCoding, DecoderWordRisesWithTheToneAndKeepsItsFieldsInRange) {
    // Across the whole span the quarter-period count C and the remainder D stay in
    // their 7-bit fields and the word never falls as the tone rises.
    std::uint16_t previous = 0;
    for (int tenths = kLowestDecoderTone; tenths <= kHighestDecoderTone; ++tenths) {
        const auto word = toneDecoderWord(tenths);
        ASSERT_TRUE(word);
        ASSERT_EQ(*word & 0xC000, 0xC000) << tenths;
        const int c = (*word >> 7) & 0x7F;
        const int d = *word & 0x7F;
        ASSERT_GE(c, 4) << tenths;
        ASSERT_LE(c, 58) << tenths;
        ASSERT_LE(d, 99) << tenths;
        ASSERT_GE(*word, previous) << tenths;
        previous = *word;
    }
}

TEST(ToneCoding, NoDecoderWordOutsideTheDecoderSpan) {
    for (int tenths : {-100, 0, 2799, 35001, 1000000}) EXPECT_FALSE(toneDecoderWord(tenths)) << tenths;
}

TEST(ToneCoding, BcdHoldsTheToneInHundredths) {
    const struct {
        int tenths;
        ToneBcd bcd;
    } cases[] = {{12858, {0x12, 0x85, 0x80}}, {8790, {0x08, 0x79, 0x00}}, {2800, {0x02, 0x80, 0x00}},
                 {35000, {0x35, 0x00, 0x00}}, {99999, {0x99, 0x99, 0x90}}, {0, {0x00, 0x00, 0x00}}};
    for (const auto& c : cases) {
        EXPECT_EQ(toneToBcd(c.tenths), c.bcd) << c.tenths;
        EXPECT_EQ(toneFromBcd(c.bcd), c.tenths) << c.tenths;
    }
    EXPECT_FALSE(toneToBcd(-1));
    EXPECT_FALSE(toneToBcd(100000));
}

TEST(ToneCoding, EveryToneRoundTripsThroughBcd) {
    for (int tenths = 0; tenths <= 99999; ++tenths) {
        const auto bcd = toneToBcd(tenths);
        ASSERT_TRUE(bcd);
        ASSERT_EQ(toneFromBcd(*bcd), tenths);
    }
}

TEST(ToneCoding, HundredthsDigitIsIgnored) {
    for (std::uint8_t last : {0x80, 0x89, 0x8F}) EXPECT_EQ(toneFromBcd(ToneBcd{0x12, 0x85, last}), 12858);
}

TEST(ToneCoding, NonDecimalDigitReadsAsNoTone) {
    // Any of the five digits read holding 0xA..0xF, as an erased code-plug does.
    for (int nibble = 0; nibble < 5; ++nibble) {
        for (std::uint8_t bad = 0xA; bad <= 0xF; ++bad) {
            ToneBcd bcd{0x12, 0x85, 0x80};
            auto& byte = bcd[static_cast<std::size_t>(nibble / 2)];
            byte = nibble % 2 == 0 ? static_cast<std::uint8_t>((byte & 0x0F) | (bad << 4))
                                   : static_cast<std::uint8_t>((byte & 0xF0) | bad);
            EXPECT_FALSE(toneFromBcd(bcd)) << nibble << " " << int(bad);
        }
    }
    EXPECT_FALSE(toneFromBcd(ToneBcd{0xFF, 0xFF, 0xFF}));
}

TEST(ToneCoding, FieldFormat) {
    EXPECT_EQ(formatTone(12858), "1285.8");
    EXPECT_EQ(formatTone(2885), "288.5");
    EXPECT_EQ(formatTone(50), "05.0");
    EXPECT_EQ(formatTone(0), "00.0");
}

TEST(ToneCoding, TypedToneIsReshownAndReadFromTheReshownText) {
    const struct {
        const char* text;
        const char* shown;
        int tenths;
    } cases[] = {
        {"1286", "1286.0", 12860}, {"1285.8", "1285.8", 12858}, {" 879 ", "879.0", 8790},
        {"1285.86", "1285.9", 12859},  // a pasted second decimal rounds
        {"2.25", "02.2", 22},          // C rounding of an exact half: to even
        {"0.05", "00.1", 1},           {"+5", "05.0", 50}, {"-5", "-5.0", -50},
        {"1e3", "1000.0", 10000},
    };
    for (const auto& c : cases) {
        const auto typed = parseTypedTone(c.text);
        ASSERT_TRUE(typed) << c.text;
        EXPECT_EQ(typed->shown, c.shown) << c.text;
        EXPECT_EQ(typed->tenths, c.tenths) << c.text;
    }
}

TEST(ToneCoding, HugeTypedToneStaysFarOutOfRange) {
    const auto typed = parseTypedTone("1e30");
    ASSERT_TRUE(typed);
    EXPECT_GT(typed->tenths, kHighestDecoderTone);
    const auto negative = parseTypedTone("-1e30");
    ASSERT_TRUE(negative);
    EXPECT_LT(negative->tenths, kLowestDecoderTone);
}

TEST(ToneCoding, TextsThatAreNoNumber) {
    for (const char* text : {"", "   ", "abc", "12a", "1.2.3", "inf", "nan", "1e999", "0x10", "--5", "+-5", "+"})
        EXPECT_FALSE(parseTypedTone(text)) << text;
}

}  // namespace
