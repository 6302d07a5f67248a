#include "selcall/TonePlan.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace km640 {

const std::array<ToneTableColumn, kToneTableColumns> kToneTable = {{
    {"Mot 1", {3305, 3490, 3685, 3890, 4108, 4337, 4579, 4835, 5105, 5390}},
    {"Mot 2", {5691, 6009, 6345, 6699, 7073, 7468, 7885, 8325, 8790, 9281}},
    {"Mot 3", {10924, 2885, 2965, 3047, 3130, 9537, 9799, 10069, 10347, 10632}},
    {"Mot 4", {3217, 3396, 3586, 3786, 3998, 4221, 4457, 4705, 4968, 5246}},
    {"Mot 5", {5539, 5848, 6174, 6519, 6883, 7268, 7674, 8102, 8555, 9032}},
    {"Mot 6", {11225, 11534, 11852, 12178, 12514, 12858, 13212, 13576, 13950, 14334}},
    {"Mot A", {3589, 3981, 4416, 4898, 5433, 6026, 6683, 7413, 8222, 9120}},
    {"Mot B", {3715, 4121, 4571, 5070, 5623, 6237, 6918, 7674, 8511, 9441}},
    {"Mot Z", {3467, 3846, 4266, 4732, 5248, 5821, 6457, 7161, 7943, 8810}},
    {"Mot 10", {14729, 15135, 15552, 15980, 16420, 16872, 17337, 17815, 18305, 18810}},
    {"Mot 11", {19302, 19890, 20438, 20945, 21556, 22122, 22717, 23346, 24010, 24682}},
    {"GE A' ", {6825, 5925, 7575, 8025, 8475, 8925, 9375, 5475, 7275, 6375}},
    {"GE B' ", {6525, 6075, 7875, 8325, 8775, 9225, 9675, 5175, 5625, 6975}},
    {"GE C' ", {6675, 7125, 7725, 8175, 8625, 9075, 9525, 5325, 5775, 6225}},
}};

const std::array<std::string_view, kToneTableRows> kToneTableRowLabels = {
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

const std::array<int, kPlectronPlanSize> kPlectronTonePlan = {
    2822,  2947,  3078,  3214,  3356,  3505,  3660,  3823,  3992,  4169,  4353,  4546,
    4748,  4958,  5178,  5407,  5647,  5897,  6158,  6430,  6720,  7010,  7320,  7650,
    7990,  8340,  8710,  9100,  9500,  9920,  10360, 10820, 11300, 11800, 12320, 12870,
    13440, 14030, 14650, 15300, 15980, 16690, 17430, 18200, 19010, 19850, 20730, 21640,
    22600, 23610, 24650, 25750, 26880, 28070, 29320, 30620, 31970, 33390, 34870};

std::span<const int> standardTonePlan() {
    static const std::array<int, kStandardPlanSize> plan = [] {
        std::array<int, kStandardPlanSize> tones{};
        auto out = tones.begin();
        for (const auto& column : kToneTable) out = std::copy(column.tones.begin(), column.tones.end(), out);
        std::sort(tones.begin(), tones.end());
        return tones;
    }();
    return plan;
}

std::optional<int> plectronGridTone(int column, int row) {
    if (column < 0 || column >= kPlectronGridColumns || row < 0 || row >= kPlectronGridRows) return std::nullopt;
    const int index = column * kPlectronGridRows + row;
    if (index >= kPlectronPlanSize) return std::nullopt;
    return kPlectronTonePlan[static_cast<std::size_t>(index)];
}

std::optional<int> toneTableGridTone(int column, int row) {
    if (column < 1 || column > kToneTableColumns || row < 1 || row > kToneTableRows) return std::nullopt;
    return kToneTable[static_cast<std::size_t>(column - 1)].tones[static_cast<std::size_t>(row - 1)];
}

std::string formatPickerTone(int tenths) {
    char text[32];
    std::snprintf(text, sizeof text, "%0.1f", tenths / 10.0);
    return text;
}

int nearestPlanTone(std::span<const int> plan, int tenths) {
    if (plan.empty()) throw std::invalid_argument("empty tone plan");
    // The first plan tone at or above the tone; the one below competes with it and
    // must be strictly nearer to win, so ties go to the higher tone.
    const auto above = std::lower_bound(plan.begin(), plan.end(), tenths);
    if (above == plan.begin()) return *above;
    if (above == plan.end()) return plan.back();
    const int below = *(above - 1);
    return (tenths - below) < (*above - tenths) ? below : *above;
}

}  // namespace km640
