#pragma once
// The groups "WB Squelch" and "NB Squelch" on the page "Advance": five levels
// of NRSSI, Speaker OFF and Speaker ON thresholds per bandwidth, each field a
// view of one threshold byte.

#include <QObject>
#include <array>

#include "rf/ProfileLayout.h"
#include "rf/SquelchThresholds.h"

class QGroupBox;
class QLayout;

namespace km640 {

class TfmMain;
class EditField;

class ThresholdTables : public QObject {
public:
    // Builds both groups into the layout of the "Advance" page and
    // registers their refresh.
    ThresholdTables(TfmMain& window, QLayout* page);

    // Every field of a table shows its stored byte again.
    void showTable(ThresholdTable table);

private:
    QGroupBox* buildTable(ThresholdTable table, QWidget* parent);
    // edtWBNRSSI0Exit, edtWSQLOFF0Exit, ... : one handler per column, the
    // level is the field's tag.
    void thresholdExit(ThresholdTable table, ThresholdColumn column, EditField& field);
    EditField*& fieldAt(ThresholdTable table, int level, ThresholdColumn column);

    TfmMain& window_;
    // [table][level][column]
    std::array<std::array<std::array<EditField*, 3>, thresholdLayout::kLevelCount>, 2> fields_{};
};

}  // namespace km640
