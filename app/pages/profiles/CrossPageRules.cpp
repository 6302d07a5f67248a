#include "app/pages/profiles/CrossPageRules.h"

#include <QAbstractButton>
#include <QSignalBlocker>
#include <QWidget>
#include <string>

#include "app/TfmMain.h"
#include "settings/FieldRef.h"
#include "settings/ProfileRules.h"
#include "settings/SystemBlock.h"

namespace km640::crossPage {

namespace {

using sysblock::kSelProfileItem;  // "Sel Profile" in both menus and its prompt
constexpr int kAddressCount = 12;

// Sets a box of another page without running that page's own rule.
void setChecked(QWidget* control, bool checked) {
    if (auto* box = qobject_cast<QAbstractButton*>(control)) {
        const QSignalBlocker quiet(box);
        box->setChecked(checked);
    }
}

void setEnabled(QWidget* control, bool enabled) {
    if (control) control->setEnabled(enabled);
}

bool isChecked(QWidget* control) {
    auto* box = qobject_cast<QAbstractButton*>(control);
    return box && box->isChecked();
}

// The idle item switched off, as profiles::selProfileFollowsProfilesOn stores it.
void showIdleSelProfileOff(TfmMain& window) {
    ControlArrays& arrays = window.arrays();
    setChecked(arrays.at("chk1IdelM", kSelProfileItem), false);
    setEnabled(arrays.at("edtManuItm", kSelProfileItem), false);
    setEnabled(arrays.at("chk1IdelM", kSelProfileItem), false);
    setEnabled(arrays.at("chk1POM", kSelProfileItem), false);
}

}  // namespace

void selProfileAfterOnRule(TfmMain& window, bool singleProfileOn) {
    ControlArrays& arrays = window.arrays();
    profiles::selProfileAfterProfileOnClick(window.image());
    if (singleProfileOn) {
        showIdleSelProfileOff(window);
    } else {
        setEnabled(arrays.at("chk1IdelM", kSelProfileItem), true);
        setEnabled(arrays.at("chk1POM", kSelProfileItem), true);
    }
    setChecked(arrays.at("chk1POM", kSelProfileItem), !singleProfileOn);
}

void selProfileAfterRefresh(TfmMain& window, bool singleProfileOn) {
    ControlArrays& arrays = window.arrays();
    if (singleProfileOn) showIdleSelProfileOff(window);
    else {
        setEnabled(arrays.at("chk1IdelM", kSelProfileItem), true);
        setEnabled(arrays.at("chk1POM", kSelProfileItem), true);
    }
}

void showProfileColumn(TfmMain& window, int profile, bool profileOn, bool oneChannel) {
    // The address pages apply all of a row's rules from the image when they are there.
    if (window.hooks().profileOnChanged) {
        window.hooks().profileOnChanged();
        return;
    }
    ControlArrays& arrays = window.arrays();
    const std::string column = std::to_string(profile + 1);
    for (int i = 0; i < kAddressCount; ++i) {
        setEnabled(arrays.at("chkF1P" + column, i), profileOn && isChecked(arrays.at("chkF1CON", i)));
        setEnabled(arrays.at("chkF2P" + column, i),
                   profileOn && !oneChannel && isChecked(arrays.at("chkF2CON", i)));
    }
}

void setF2AddressRowsEnabled(TfmMain& window, bool enabled) {
    ControlArrays& arrays = window.arrays();
    if (!enabled) {
        static const char* const kRowFamilies[] = {
            "chkF2CON", "edtF2Mark", "edtF2T1",  "edtF2T2",   "chkF2P1",   "chkF2P2", "chkF2P3",   "chkF2P4",
            "chkF2SWA", "chkF2SWB",  "chkF2SWC", "chkF2SWD",  "cboF2AlTT", "cboF2APat", "cboF2AT", "edtF2ATM",
            "lblF2AS",  "chkF2PArt", "chkF2VCh"};
        for (const char* family : kRowFamilies)
            for (QWidget* control : arrays.family(family)) setEnabled(control, false);
        return;
    }
    for (QWidget* on : arrays.family("chkF2CON")) setEnabled(on, true);
    // The address page shows its rows again with its own enabling rules.
    if (window.hooks().addressRowsChanged) {
        window.hooks().addressRowsChanged();
        return;
    }
    window.refreshList().runStep(RefreshStep::AddressRows);
    const bool chargerVibration = FieldRef::of("DisableVibratorInCharger").get(window.image()) == 0;
    for (int i = 0; i < kAddressCount; ++i)
        setEnabled(arrays.at("chkF2VCh", i), chargerVibration && isChecked(arrays.at("chkF2CON", i)));
}

}  // namespace km640::crossPage
