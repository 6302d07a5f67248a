#pragma once
// The published tone plans the pager's decoder is built for: the Motorola and GE
// two-tone columns of the "Tone Table" picker, whose 140 tones sorted form the
// standard plan, and the 59 Plectron format tones. Tones in tenths of a hertz.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace km640 {

// Texts of the two pickers and of the channel pages that open them.
constexpr std::string_view kToneTableCaption = "Tone Table";
constexpr std::string_view kPlectronTableCaption = "Plectron Tone Table";
constexpr std::string_view kPlectronPanelCaption = "Plectron Format Tones";
constexpr std::string_view kOpenToneTableLabel = "[F9] Open Tone Table";
constexpr std::string_view kToneFieldHint = "Press F9 to open Tone Table.";

// One column of the "Tone Table" picker: its header and the tones of rows "0".."9".
struct ToneTableColumn {
    std::string_view header;
    std::array<int, 10> tones;
};

constexpr int kToneTableRows = 10;
constexpr int kToneTableColumns = 14;

// Grid columns 1..14 of the picker, the eleven Motorola columns first. The GE
// headers end with a blank, as the published plan prints them.
extern const std::array<ToneTableColumn, kToneTableColumns> kToneTable;

// Row labels of the picker grid, "0".."9".
extern const std::array<std::string_view, kToneTableRows> kToneTableRowLabels;

// The standard plan: all 140 picker tones ascending (767.4 and 832.5 Hz twice).
constexpr int kStandardPlanSize = 140;
std::span<const int> standardTonePlan();

// The Plectron plan, ascending. The "Plectron Tone Table" picker shows it column by
// column in a 10 x 6 grid whose last cell stays empty.
constexpr int kPlectronPlanSize = 59;
extern const std::array<int, kPlectronPlanSize> kPlectronTonePlan;
constexpr int kPlectronGridColumns = 10;
constexpr int kPlectronGridRows = 6;

// The tone of a Plectron grid cell; empty for the empty last cell or a cell off the grid.
std::optional<int> plectronGridTone(int column, int row);

// The tone of a "Tone Table" cell by grid column (1..14) and grid row (1..10);
// empty for the header row, the row-label column or a cell off the grid.
std::optional<int> toneTableGridTone(int column, int row);

// A picker cell's text: "%0.1f" of the tone in hertz.
std::string formatPickerTone(int tenths);

// The plan tone nearest to a tone; on a tie the higher tone wins. The plan must be
// ascending and not empty.
int nearestPlanTone(std::span<const int> plan, int tenths);

}  // namespace km640
