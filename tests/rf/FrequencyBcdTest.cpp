#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>

#include "rf/FrequencyBcd.h"

using namespace km640;

using Bcd = std::array<std::uint8_t, 4>;

TEST(FrequencyBcd, DecodesDigitsAndReadsForeignNibblesAsNine) {
    struct Row { Bcd bytes; std::uint32_t units; };
    const Row rows[] = {
        {{0x01, 0x52, 0x00, 0x00}, 1'520'000},
        {{0x04, 0x50, 0x01, 0x25}, 4'500'125},
        {{0x00, 0x00, 0x00, 0x00}, 0},
        {{0x99, 0x99, 0x99, 0x99}, 99'999'999},
        {{0x01, 0x5A, 0x00, 0x00}, 1'590'000},   // low nibble 0xA
        {{0x0A, 0xB0, 0xC1, 0x2F}, 9'909'129},   // every position
        {{0xFF, 0xFF, 0xFF, 0xFF}, kMaxFrequencyUnits},  // erased memory
    };
    for (const auto& row : rows) EXPECT_EQ(decodeFrequencyBcd(row.bytes), row.units) << row.units;
}

TEST(FrequencyBcd, EncodesEightDigitsAndSaturatesBeyondThem) {
    struct Row { std::uint32_t units; Bcd bytes; };
    const Row rows[] = {
        {1'520'000, {0x01, 0x52, 0x00, 0x00}},
        {4'500'125, {0x04, 0x50, 0x01, 0x25}},
        {330'000, {0x00, 0x33, 0x00, 0x00}},
        {0, {0x00, 0x00, 0x00, 0x00}},
        {10'000'000, {0x10, 0x00, 0x00, 0x00}},
        {99'999'999, {0x99, 0x99, 0x99, 0x99}},
        {100'000'000, {0x99, 0x99, 0x99, 0x99}},
        {std::numeric_limits<std::uint32_t>::max(), {0x99, 0x99, 0x99, 0x99}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(encodeFrequencyBcd(row.units), row.bytes) << row.units;
        EXPECT_EQ(decodeFrequencyBcd(row.bytes), std::min(row.units, kMaxFrequencyUnits));
    }
}

TEST(FrequencyBcd, FieldTextAndEntry) {
    EXPECT_EQ(frequencyFieldText(330'000), "0330000");
    EXPECT_EQ(frequencyFieldText(4'500'125), "4500125");
    EXPECT_EQ(frequencyFieldText(10'000'000), "10000000");

    struct Row { const char* text; std::optional<std::uint32_t> units; };
    const Row rows[] = {
        {"0330000", 330'000}, {" 1520000 ", 1'520'000}, {"7", 7}, {"99999999", 99'999'999},
        {"", std::nullopt}, {"   ", std::nullopt}, {"12a", std::nullopt}, {"-5", std::nullopt},
        {"+5", std::nullopt}, {"1 5", std::nullopt}, {"123456789", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(parseFrequencyEntry(row.text), row.units) << '"' << row.text << '"';
}
