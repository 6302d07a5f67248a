#pragma once
// The page "Profiles": the group "Initial Profile" and the inner pages
// "Profile 1" to "Profile 4", each with its group "Configurations" (name,
// "ON", the two channel groups, the function switches, reset control and
// delay). The page owns the rules that tie the profiles to each other and,
// through the control arrays, to the menus and the call-address pages, and
// the window's one-channel layout.

#include <QObject>
#include <array>

#include "rf/ChannelCommit.h"
#include "settings/ProfileRules.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace km640 {

class TfmMain;
class EditField;
class ChannelGroups;
class FunctionSwitches;

// Builds the page, the squelch tables of "Advance" and, unless the page
// "Status Setting" already has it, the "One Channel" box; registers their
// refresh steps and installs the window hooks they serve.
void BuildProfilesPage(TfmMain& window);

class ProfilesPage : public QObject {
public:
    ProfilesPage(TfmMain& window, ChannelGroups& channels, FunctionSwitches& switches);

    // The refresh of the four records: their rules run on the image (the
    // single-profile rule, the switch modes, the channels and words), then
    // they are shown and the channels' messages follow.
    void showProfiles();
    // Shows the four records, in order: names, ON, address columns, relay
    // time, reset control and delay, channel lists; then the single-profile
    // rule, the function switches, the channels and words as `channels`
    // left them.
    void showProfileRecords(const ChannelCommit& channels);
    // The One Channel rule (the oneChannelLayout hook).
    void setOneChannel(bool oneChannel);
    void showProfilePage(int profile);

private:
    struct Profile {
        QRadioButton* initial = nullptr;  // radProf
        EditField* name = nullptr;        // edtPName
        QCheckBox* on = nullptr;          // chkPON
        QLineEdit* relayTime = nullptr;   // edtCRTM, never shown
        QComboBox* resetControl = nullptr;
        EditField* resetDelay = nullptr;
        QLabel* delayLabel = nullptr;     // lblDlyTM "Delay Time"
        QLabel* secLabel = nullptr;       // lblDlySec "sec"
    };

    void buildInitialProfile(QWidget* page);
    QWidget* buildProfile(int profile);
    QWidget* buildResetRow(int profile, QWidget* parent);

    // Handlers; the profile is the control's tag.
    void radProf0Click(QRadioButton& button);
    void edtPName0Exit(EditField& field);
    void chkPON0Click(QCheckBox& box);
    void cboRstCon0Click(QComboBox& list, int entry);
    void edtRstDly0Exit(EditField& field);
    void showResetDelay(int profile);
    void showResetControl(int profile);

    TfmMain& window_;
    ChannelGroups& channels_;
    FunctionSwitches& switches_;
    std::array<Profile, profiles::kProfileCount> profiles_{};
    QTabWidget* pages_ = nullptr;
    int profilesOnCount_ = 0;  // ProfilesOnCount
    bool oneChannel_ = false;
    // Set from the first step of the whole-image refresh until the profiles
    // are shown: a layout change meanwhile comes with the code-plug.
    bool imageArriving_ = false;
};

}  // namespace km640
