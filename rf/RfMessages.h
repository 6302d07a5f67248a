#pragma once
// Texts the channel and threshold editors show, byte for byte.

#include <string_view>

namespace km640::rfText {

// Caption of every validation box below (warning icon).
constexpr std::string_view kCaption = "KM640";

// Frequency key filter (caption "Warning!", error icon).
constexpr std::string_view kFilterCaption = "Warning!";
constexpr std::string_view kNotNumeric = "Please insert a numeric  !";

constexpr std::string_view kBelow33MHz = "Please input a number greater than 33MHz";
constexpr std::string_view kF1SpacingError = "F1 Channel Spacing Error!";
constexpr std::string_view kF2SpacingError = "F2 Channel Spacing Error!";
// A frequency in a band gap, where no partner channel can ever be accepted.
constexpr std::string_view kNoBandForFrequency = "Please input a frequency of 33~49MHz, 100~200MHz or above 200MHz";

constexpr std::string_view kThresholdRange = "Please insert a number between 0 to 2.55";
constexpr std::string_view kWideThresholdOrder = "You must let WB_NRSSI > WB_Speaker OFF > WB_Speaker ON !";
constexpr std::string_view kNarrowThresholdOrder = "You must let NB_NRSSI > NB_Speaker OFF > NB_Speaker ON !";

}  // namespace km640::rfText
