#pragma once
// "One Channel" (group "Status" of the page "Status Setting"): the pager
// listens on F1 only. The box is a view of TwoChannelMode (ticked when the
// bit is 0); its click stores the bit and switches the window's layout
// through the oneChannelLayout hook.

class QCheckBox;
class QWidget;

namespace km640 {

class TfmMain;

// Builds chkOTCh into parent and registers its line of the system-block
// refresh: the box follows the bit, and when that changes what it shows, its
// click action runs as if the user had clicked it.
QCheckBox* BuildOneChannelBox(TfmMain& window, QWidget* parent);

}  // namespace km640
