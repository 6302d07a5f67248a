#include "app/pages/channels/TfmToneTbl.h"

#include <QTableWidget>

#include "app/pages/Latin1Text.h"
#include "selcall/TonePlan.h"

namespace km640 {

TfmToneTbl::TfmToneTbl(QWidget* parent)
    : TonePickerDialog(parent, "fmToneTbl", latin1Text(kToneTableCaption), kToneTableColumns + 1, kToneTableRows + 1,
                       QString(), true) {
    grid()->setStyleSheet("QTableWidget { gridline-color: white; }");
    // Row 0 holds the plan headers, column 0 the tone numbers; the tones follow.
    setCell(0, 0, QString(), false);
    for (int column = 1; column <= kToneTableColumns; ++column)
        setCell(column, 0, latin1Text(kToneTable[static_cast<std::size_t>(column - 1)].header), false);
    for (int row = 1; row <= kToneTableRows; ++row) {
        setCell(0, row, latin1Text(kToneTableRowLabels[static_cast<std::size_t>(row - 1)]), false);
        for (int column = 1; column <= kToneTableColumns; ++column)
            setCell(column, row, QString::fromStdString(formatPickerTone(*toneTableGridTone(column, row))), true);
    }
    setFirstCell(1, 1);
    fitGrid();
}

}  // namespace km640
