#pragma once
// The setting pages of the main window are built by their own folders; this
// is the one place that calls them, in the order the controls are created.

namespace km640 {

class TfmMain;

// Builds the contents of every page, registers their refresh steps, and
// connects their handlers. Runs inside the main window's constructor, before
// the control arrays are built.
void BuildPages(TfmMain& window);

}  // namespace km640
