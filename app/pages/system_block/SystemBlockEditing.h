#pragma once
// Editing the system settings block (image bytes 0-255) beyond the boxes that
// store their own bit: the commits of its number fields, the picks of its
// lists with the battery gauge's order rule, and "Enable Fixed Alert Time"
// with its confirmation and its effect on every call address.
//
// The decoder timing fields write into the timing set of the tone system
// chosen at the moment of the commit. The address rows are shown again
// through the addressRowsChanged hook, which belongs to the channel pages and
// is skipped while those are not there. The decoder bandwidth list goes to
// the channel pages as a whole (SystemBlockView passes its picks on).

#include <QObject>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "settings/FieldRef.h"

class QCheckBox;
class QComboBox;

namespace km640 {

class CodePlugImage;
class SystemBlockView;
class TfmMain;

class SystemBlockEditing : public QObject {
public:
    SystemBlockEditing(TfmMain& window, SystemBlockView& view);

private:
    using Store = std::function<void(int)>;

    CodePlugImage& image() const;
    Store storeIn(const char* field);
    void wireNumbers();
    void wireLists();
    // cboBatHighChange: the list with this tag (0 low, 1 medium, 2 high).
    void batteryChanged(int level);
    // chkEATMClick.
    void fixedAlertTimeClick();

    TfmMain& w_;
    SystemBlockView& view_;
    std::array<QComboBox*, 3> battery_{};
    std::array<FieldRef, 3> batteryLevels_{};
    QCheckBox* fixedAlertTime_ = nullptr;
};

}  // namespace km640
