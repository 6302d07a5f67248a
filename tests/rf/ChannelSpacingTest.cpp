#include <gtest/gtest.h>

#include "rf/ChannelSpacing.h"

using namespace km640;

TEST(ChannelSpacing, CommitCheckGivesTheCodeToStore) {
    struct Row { int item; std::int64_t hz; std::optional<std::uint8_t> code; };
    const Row rows[] = {
        {kAutoSpacingItem, 152'000'000, 16},
        {kAutoSpacingItem, 152'006'250, 17},  // 12.5 kHz is tried before 6.25 kHz
        {kAutoSpacingItem, 152'340'000, 18},
        {kAutoSpacingItem, 152'000'100, std::nullopt},
        {0, 152'002'500, 0},
        {1, 161'125'000, 1},
        {1, 152'340'000, std::nullopt},
        {2, 152'000'000, 2},
        {2, 152'002'500, std::nullopt},
        {-1, 152'000'000, std::nullopt},  // no item selected
        {4, 152'000'000, std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(spacingCodeFor(row.item, row.hz), row.code) << row.item << " " << row.hz;
}

TEST(ChannelSpacing, StoredCodesShownAndComputedWith) {
    struct Row { std::uint8_t code; std::int64_t hz; int item; Spacing spacing; };
    const Row rows[] = {
        {0, 152'000'000, 0, Spacing::Hz2500},
        {1, 152'000'000, 1, Spacing::Hz6250},
        {2, 152'000'000, 2, Spacing::Hz12500},
        {16, 152'340'000, 3, Spacing::Hz12500},  // the code, not the frequency, decides
        {17, 152'000'000, 3, Spacing::Hz6250},
        {18, 152'000'000, 3, Spacing::Hz2500},
        // Codes only a loaded image brings: shown as "Auto" and resolved like it.
        {3, 152'000'000, 3, Spacing::Hz12500},
        {7, 152'340'000, 3, Spacing::Hz2500},
        {15, 152'006'250, 3, Spacing::Hz6250},
        {19, 152'340'000, 3, Spacing::Hz2500},
        {255, 152'000'100, 3, Spacing::Hz12500},  // on no raster
    };
    for (const auto& row : rows) {
        EXPECT_EQ(spacingItemOfCode(row.code), row.item) << int(row.code);
        EXPECT_EQ(spacingOfCode(row.code, row.hz), row.spacing) << int(row.code);
    }
}
