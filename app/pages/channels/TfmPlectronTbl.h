#pragma once
// "Plectron Tone Table": the 59 Plectron format tones for the Plectron tone system,
// ascending column by column in a 10 x 6 grid whose last cell stays empty.

#include "app/pages/channels/TonePickerDialog.h"

namespace km640 {

class TfmPlectronTbl : public TonePickerDialog {
    Q_OBJECT
public:
    explicit TfmPlectronTbl(QWidget* parent);
};

}  // namespace km640
