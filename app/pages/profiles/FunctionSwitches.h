#pragma once
// The group "Function Switches" of each profile page: for SW-A to SW-D what
// the pager listens to in that switch position (the mode), how it alerts and
// whether it uses push-to-listen. Each switch has a mode list per channel
// layout; only the list of the layout in use is shown, and each list
// remembers the entry last chosen in it for when the layout comes back.

#include <QObject>
#include <array>

#include "settings/ProfileRules.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

namespace km640 {

class TfmMain;

class FunctionSwitches : public QObject {
public:
    explicit FunctionSwitches(TfmMain& window);

    // Builds the group of one profile page.
    QGroupBox* build(int profile, QWidget* parent);

    // Whole-image refresh: alert types and push-to-listen as stored, then the
    // mode list in use selects the stored mode and shows what its rule does
    // (the normalisation has stored it).
    void showSwitches();
    // "One Channel" changed: every switch shows the layout's list. When the
    // user changed it, each list goes to the entry last chosen in it and that
    // entry's rule runs; when a code-plug arriving in the other layout
    // changed it, the lists wait for the refresh to show the stored modes.
    void setLayout(profiles::ChannelLayout layout, bool restoreMemories);

    // The list of a switch in a layout (for the page's tests and rules).
    QComboBox* modeList(int profile, int sw, profiles::ChannelLayout layout) const;

private:
    struct Switch {
        QLabel* modeLabel = nullptr;
        QComboBox* twoChannel = nullptr;
        QComboBox* oneChannel = nullptr;
        QComboBox* alertType = nullptr;
        QCheckBox* pushToListen = nullptr;
    };
    Switch& at(int profile, int sw);

    // cboP1C2FM0Click ... cboP4C1FM0Click: one handler for the mode lists of
    // both layouts; the switch is the list's tag.
    void modeClick(profiles::ChannelLayout layout, int profile, int sw, int entry);
    // What a mode entry's rule shows: push-to-listen only where the mode has
    // a use for it; the list remembers the entry.
    void showMode(profiles::ChannelLayout layout, int profile, int sw, int entry);
    // cboP1FAT0Click ... cboP4FAT0Click.
    void alertTypeClick(int profile, int sw, int entry);
    // chkP1FPTL0Click ... chkP4FPTL0Click.
    void pushToListenClick(int profile, int sw, bool on);

    TfmMain& window_;
    std::array<std::array<Switch, profiles::kSwitchCount>, profiles::kProfileCount> switches_{};
    // TwoChannelModeMemory and OneChannelModeMemory.
    profiles::SwitchModeMemories memories_ = profiles::startingModeMemories();
    profiles::ChannelLayout layout_ = profiles::ChannelLayout::Two;
};

}  // namespace km640
