#pragma once
// What the tone editing needs of a channel page: its tone fields, the hint
// "[F9] Open Tone Table" and the page's tone-field refresh. The page owns the
// tone editing's view of it through this, so the two do not reach into each
// other's whole class.

#include "selcall/ToneField.h"

class QLabel;

namespace km640 {

class EditField;

class ToneFieldHost {
public:
    virtual ~ToneFieldHost() = default;

    // The tone field of a call address: first or second tone.
    virtual EditField* toneField(ToneColumn column, int record) const = 0;
    // "[F9] Open Tone Table", shown while a picker serves the pending field.
    virtual QLabel* lblToneTbl() const = 0;
    // Shows every tone field of the page from the image.
    virtual void showTones() = 0;

protected:
    ToneFieldHost() = default;
    ToneFieldHost(const ToneFieldHost&) = default;
    ToneFieldHost& operator=(const ToneFieldHost&) = default;
};

}  // namespace km640
