#include "app/pages/channels/TfmPlectronTbl.h"

#include "app/pages/Latin1Text.h"
#include "selcall/TonePlan.h"

namespace km640 {

TfmPlectronTbl::TfmPlectronTbl(QWidget* parent)
    : TonePickerDialog(parent, "fmPlectronTbl", latin1Text(kPlectronTableCaption), kPlectronGridColumns,
                       kPlectronGridRows, latin1Text(kPlectronPanelCaption), false) {
    for (int column = 0; column < kPlectronGridColumns; ++column)
        for (int row = 0; row < kPlectronGridRows; ++row) {
            const auto tone = plectronGridTone(column, row);
            setCell(column, row, tone ? QString::fromStdString(formatPickerTone(*tone)) : QString(), tone.has_value());
        }
    setFirstCell(0, 0);
    fitGrid();
}

}  // namespace km640
