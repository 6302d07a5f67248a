#pragma once
// "Tone Table": the Motorola and GE two-tone plans for the Standard tone system,
// one column per plan with its header, one row per tone number "0".."9".

#include "app/pages/channels/TonePickerDialog.h"

namespace km640 {

class TfmToneTbl : public TonePickerDialog {
    Q_OBJECT
public:
    explicit TfmToneTbl(QWidget* parent);
};

}  // namespace km640
