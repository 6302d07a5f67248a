#pragma once
// What the profiles change on other pages: the "Sel Profile" items of the two
// menus, the profile columns of the call-address rows and the rows of the
// page "Channel F2". The controls are reached through the control arrays; a
// control that is not there is skipped, the image bits are written anyway.

namespace km640 {

class TfmMain;

namespace crossPage {

// The ON rule: with a single profile on there is nothing to select, so the
// idle "Sel Profile" item is switched off and both items are disabled; with
// more, both are enabled and the power-on menu offers the choice.
void selProfileAfterOnRule(TfmMain& window, bool singleProfileOn);
// The same rule as the whole-image refresh shows it, after the normalisation
// stored it: the power-on item is left as loaded.
void selProfileAfterRefresh(TfmMain& window, bool singleProfileOn);

// The membership boxes of one profile's column on both address pages: a box
// can be ticked only for an address in use and a profile that is on, and on
// "Channel F2" only while the pager listens on two channels.
void showProfileColumn(TfmMain& window, int profile, bool profileOn, bool oneChannel);

// "One Channel" on: every control of every "Channel F2" row is disabled.
// Off: the rows are shown again with their own enabling rules.
void setF2AddressRowsEnabled(TfmMain& window, bool enabled);

}  // namespace crossPage
}  // namespace km640
