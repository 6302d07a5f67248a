#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "selcall/TonePlan.h"
#include "selcall/ToneSystem.h"

using namespace km640;

namespace {

std::optional<int> pickerTone(std::string_view header, std::string_view rowLabel) {
    const auto column = std::find_if(kToneTable.begin(), kToneTable.end(),
                                     [&](const ToneTableColumn& c) { return c.header == header; });
    const auto row = std::find(kToneTableRowLabels.begin(), kToneTableRowLabels.end(), rowLabel);
    if (column == kToneTable.end() || row == kToneTableRowLabels.end()) return std::nullopt;
    return toneTableGridTone(static_cast<int>(column - kToneTable.begin()) + 1,
                             static_cast<int>(row - kToneTableRowLabels.begin()) + 1);
}

TEST(TonePlan, StandardPlanIsThePickerSortedWithTwoDoubledTones) {
    const auto plan = standardTonePlan();
    ASSERT_EQ(plan.size(), 140u);
    EXPECT_TRUE(std::is_sorted(plan.begin(), plan.end()));
    std::vector<int> doubled;
    for (std::size_t i = 1; i < plan.size(); ++i)
        if (plan[i] == plan[i - 1]) doubled.push_back(plan[i]);
    EXPECT_EQ(doubled, (std::vector<int>{7674, 8325}));
}

TEST(TonePlan, PlectronPlanAscends) {
    EXPECT_TRUE(std::is_sorted(kPlectronTonePlan.begin(), kPlectronTonePlan.end(), std::less_equal<int>()));
}

TEST(TonePlan, RangesOfTheToneSystems) {
    const struct {
        ToneSystem system;
        int lowest;
        int highest;
    } cases[] = {{ToneSystem::Standard, 2885, 24682}, {ToneSystem::User, 2800, 35000},
                 {ToneSystem::Plectron, 2822, 34870}};
    for (const auto& c : cases) {
        const ToneRange range = toneRange(c.system);
        EXPECT_EQ(range.lowest, c.lowest);
        EXPECT_EQ(range.highest, c.highest);
        const auto plan = tonePlan(c.system);
        if (!plan.empty()) {
            EXPECT_EQ(plan.front(), range.lowest);
            EXPECT_EQ(plan.back(), range.highest);
        }
    }
    EXPECT_TRUE(tonePlan(ToneSystem::User).empty());
}

TEST(TonePlan, PickerCellsByHeaderAndRow) {
    const struct {
        std::string_view header;
        std::string_view row;
        int tenths;
    } cases[] = {{"Mot 6", "5", 12858}, {"Mot 1", "0", 3305}, {"Mot 3", "1", 2885},
                 {"Mot 11", "9", 24682}, {"GE A' ", "0", 6825}, {"GE C' ", "9", 6225}};
    for (const auto& c : cases) EXPECT_EQ(pickerTone(c.header, c.row), c.tenths) << c.header << " " << c.row;
    EXPECT_EQ(formatPickerTone(12858), "1285.8");
    EXPECT_EQ(formatPickerTone(2885), "288.5");
}

TEST(TonePlan, PickerHeadersAndLabelsHoldNoTone) {
    for (auto [column, row] : {std::pair{0, 1}, {1, 0}, {15, 1}, {1, 11}, {-1, 3}})
        EXPECT_FALSE(toneTableGridTone(column, row)) << column << "," << row;
}

TEST(TonePlan, PlectronGridRunsColumnByColumnAndEndsEmpty) {
    const struct {
        int column;
        int row;
        std::optional<int> tenths;
    } cases[] = {{0, 0, 2822},  {0, 5, 3505},         {1, 0, 3660},         {5, 5, 12870},
                 {9, 4, 34870}, {9, 5, std::nullopt}, {10, 0, std::nullopt}, {0, 6, std::nullopt},
                 {-1, 0, std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(plectronGridTone(c.column, c.row), c.tenths) << c.column << "," << c.row;
}

TEST(TonePlan, NearestPlanToneTiesGoToTheHigherTone) {
    const std::vector<int> twoTones = {1000, 2000};
    const struct {
        std::span<const int> plan;
        int tenths;
        int fitted;
    } cases[] = {
        {standardTonePlan(), 12860, 12858}, {standardTonePlan(), 12900, 12858},
        {standardTonePlan(), 2925, 2965},  // halfway between 288.5 and 296.5
        {standardTonePlan(), 2924, 2885},   {standardTonePlan(), 2885, 2885},
        {standardTonePlan(), 100, 2885},    {standardTonePlan(), 40000, 24682},
        {kPlectronTonePlan, 10000, 9920},   // 992.0 is 8.0 away, 1036.0 is 36.0
        {kPlectronTonePlan, 10140, 10360},  // halfway between 992.0 and 1036.0
        {twoTones, 1500, 2000},             {twoTones, 1499, 1000},
    };
    for (const auto& c : cases) EXPECT_EQ(nearestPlanTone(c.plan, c.tenths), c.fitted) << c.tenths;
}

TEST(TonePlan, StoredToneSystemByte) {
    const struct {
        std::uint8_t stored;
        ToneSystem system;
    } cases[] = {{0, ToneSystem::Standard}, {1, ToneSystem::User}, {2, ToneSystem::Plectron},
                 {3, ToneSystem::Standard}, {0xFF, ToneSystem::Standard}};
    for (const auto& c : cases) EXPECT_EQ(toneSystemFromByte(c.stored), c.system) << int(c.stored);
    EXPECT_EQ(decoderTimingSet(ToneSystem::Plectron), 112);
    EXPECT_EQ(decoderTimingSet(ToneSystem::User), 128);
    EXPECT_EQ(decoderTimingSet(ToneSystem::Standard), 128);
}

TEST(TonePlan, TimingFieldsShowTheSetOfTheToneSystem) {
    // The built-in code-plug's two timing sets as the five fields show them.
    const struct {
        ToneSystem system;
        std::array<int, 5> offsets;
        std::array<int, 5> shown;
    } cases[] = {
        {ToneSystem::Plectron, {112, 114, 116, 118, 120}, {5, 5, 4, 4, 45}},
        {ToneSystem::Standard, {128, 130, 132, 134, 136}, {8, 15, 5, 16, 125}},
        {ToneSystem::User, {128, 130, 132, 134, 136}, {8, 15, 5, 16, 125}},
    };
    const CodePlugImage image = DefaultImage();
    for (const auto& c : cases) {
        const auto offsets = decoderTimingOffsets(c.system);
        EXPECT_EQ(offsets, c.offsets);
        for (std::size_t i = 0; i < offsets.size(); ++i) EXPECT_EQ(image.byte(offsets[i]), c.shown[i]) << i;
    }
}

}  // namespace
