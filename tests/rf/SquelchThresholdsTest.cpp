#include <gtest/gtest.h>

#include <cmath>

#include "codeplug/CodePlugImage.h"
#include "rf/RfMessages.h"
#include "rf/SquelchThresholds.h"

using namespace km640;

TEST(SquelchThresholds, StoredByteShownInVolts) {
    struct Row { std::uint8_t code; const char* text; };
    const Row rows[] = {{0, "0.00"}, {9, "0.11"}, {26, "0.30"}, {81, "0.95"}, {137, "1.61"}, {218, "2.55"}, {255, "2.99"}};
    for (const auto& row : rows) {
        EXPECT_EQ(thresholdText(row.code), row.text) << int(row.code);
        EXPECT_EQ(shownHundredths(row.text), std::stoi(std::string(row.text).erase(1, 1)));
    }
}

TEST(SquelchThresholds, RangeRule) {
    struct Row { double volts; bool passes; };
    const Row rows[] = {{0.0, true}, {2.55, true}, {2.56, false}, {-0.01, false}, {NAN, false}, {INFINITY, false}};
    for (const auto& row : rows)
        EXPECT_EQ(thresholdRangeMessage(row.volts), row.passes ? std::nullopt : std::optional(rfText::kThresholdRange))
            << row.volts;
}

TEST(SquelchThresholds, CommitOfOneField) {
    using O = ThresholdCommit::Outcome;
    constexpr auto W = ThresholdTable::Wide;
    constexpr auto N = ThresholdTable::Narrow;
    constexpr auto Rssi = ThresholdColumn::Nrssi;
    constexpr auto Off = ThresholdColumn::SpeakerOff;
    constexpr auto On = ThresholdColumn::SpeakerOn;
    // Built-in levels: wide 1 = 0.95/0.55/0.11, wide 5 = 0.95/0.80/0.60, narrow 1 = 0.81/0.40/0.11.
    struct Row {
        ThresholdTable table; int level; ThresholdColumn column; const char* text;
        O outcome; const char* shown; std::string_view message; std::uint8_t stored;
    };
    const Row rows[] = {
        {W, 0, Rssi, "2.55", O::Stored, "2.55", {}, 218},
        {W, 0, On, "0", O::Stored, "0.00", {}, 0},
        {W, 0, On, "0.11", O::Stored, "0.11", {}, 9},
        {W, 0, On, "0.90", O::Stored, "0.90", {}, 77},  // above Speaker OFF: not compared
        {W, 4, Off, "0.95", O::Stored, "0.95", {}, 81},  // equal to NRSSI passes
        {W, 4, Off, "0.96", O::Refused, "0.96", rfText::kWideThresholdOrder, 68},
        {W, 0, Off, "1.5", O::Refused, "1.50", rfText::kWideThresholdOrder, 47},
        {N, 0, Rssi, "0.10", O::Refused, "0.10", rfText::kNarrowThresholdOrder, 69},
        {W, 0, Rssi, "2.56", O::Refused, "2.56", rfText::kThresholdRange, 81},
        {W, 0, Rssi, "-0.5", O::Refused, "-0.50", rfText::kThresholdRange, 81},
        {W, 0, Rssi, "", O::Blank, "0.95", {}, 81},
        {W, 0, Rssi, "1,5", O::NotANumber, "1,5", {}, 81},
    };
    for (const auto& row : rows) {
        CodePlugImage image = DefaultImage();
        const ThresholdCommit result = commitThreshold(image, row.table, row.level, row.column, row.text);
        SCOPED_TRACE(row.text);
        EXPECT_EQ(result.outcome, row.outcome);
        EXPECT_EQ(result.shownText, row.shown);
        EXPECT_EQ(result.message, row.message);
        const int offset = thresholdOffset(row.table, row.level, row.column);
        EXPECT_EQ(image.byte(offset), row.stored);
        for (int other = 1504; other <= 1534; ++other) {
            if (other != offset) {
                EXPECT_EQ(image.byte(other), DefaultImage().byte(other)) << other;
            }
        }
    }
}

TEST(SquelchThresholds, StoredShownValueStoresTheSameByte) {
    CodePlugImage image = DefaultImage();
    for (int code = 0; code <= 218; ++code) {
        image.setByte(1506, 0);  // narrow level 1 Speaker ON, below NRSSI whatever is typed
        image.setByte(1504, 218);
        const auto result = commitThreshold(image, ThresholdTable::Narrow, 0, ThresholdColumn::SpeakerOn,
                                            thresholdText(static_cast<std::uint8_t>(code)));
        EXPECT_EQ(result.code, code) << thresholdText(static_cast<std::uint8_t>(code));
    }
}

TEST(SquelchThresholds, WideBandPresetsPerBand) {
    using Table = std::array<std::uint8_t, 15>;
    const Table vhfUpper = {81, 47, 9, 81, 47, 13, 81, 51, 17, 81, 51, 38, 81, 68, 51};
    const Table low = {166, 111, 26, 166, 137, 51, 166, 137, 85, 166, 162, 111, 166, 162, 141};
    const struct { Band band; const Table& bytes; } rows[] = {
        {Band::Low, low}, {Band::Vhf, vhfUpper}, {Band::Upper, vhfUpper}};
    for (const auto& row : rows) {
        CodePlugImage image;
        image.bytes().fill(0xEE);
        loadWidebandPresets(image, row.band);
        for (int k = 0; k < 15; ++k) EXPECT_EQ(image.byte(1520 + k), row.bytes[static_cast<std::size_t>(k)]) << k;
        for (const int untouched : {1503, 1504, 1518, 1519, 1535}) EXPECT_EQ(image.byte(untouched), 0xEE);
    }
}
