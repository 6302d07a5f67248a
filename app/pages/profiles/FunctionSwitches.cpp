#include "app/pages/profiles/FunctionSwitches.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

#include "app/ControlArrays.h"
#include "app/TfmMain.h"
#include "settings/FieldRef.h"

namespace km640 {

using profiles::ChannelLayout;

namespace {

constexpr const char* kSwitchCaptions[] = {"SW-A", "SW-B", "SW-C", "SW-D"};
FieldRef switchField(const char* member, int profile, int sw) {
    return FieldRef::of(std::string("Profile[{}].Switch{}.") + member, profile, sw);
}

// cboP1C2FM0: the kind, the profile's number (1..4), the field, and the
// switch, which is also the tag.
template <class T>
T* switchControl(T* control, const char* kind, int profile, const char* field, int sw) {
    control->setObjectName(QString("%1P%2%3%4").arg(kind).arg(profile + 1).arg(field).arg(sw));
    SetControlTag(control, sw);
    return control;
}

template <std::size_t N>
void addItems(QComboBox* list, const std::array<std::string_view, N>& items) {
    for (const auto item : items) list->addItem(QString::fromLatin1(item.data(), static_cast<int>(item.size())));
}

}  // namespace

FunctionSwitches::FunctionSwitches(TfmMain& window) : QObject(&window), window_(window) {}

FunctionSwitches::Switch& FunctionSwitches::at(int profile, int sw) {
    return switches_[static_cast<std::size_t>(profile)][static_cast<std::size_t>(sw)];
}

QComboBox* FunctionSwitches::modeList(int profile, int sw, ChannelLayout layout) const {
    const Switch& s = switches_[static_cast<std::size_t>(profile)][static_cast<std::size_t>(sw)];
    return layout == ChannelLayout::Two ? s.twoChannel : s.oneChannel;
}

QGroupBox* FunctionSwitches::build(int profile, QWidget* parent) {
    auto* group = new QGroupBox("Function Switches", parent);
    group->setObjectName(QString("grpFunSw%1").arg(profile));
    auto* row = new QHBoxLayout(group);
    for (int sw = 0; sw < profiles::kSwitchCount; ++sw) {
        auto* box = new QGroupBox(kSwitchCaptions[sw], group);
        auto* grid = new QGridLayout(box);
        Switch& s = at(profile, sw);

        s.modeLabel = switchControl(new QLabel("Mode", box), "lbl", profile, "Mode", sw);
        s.twoChannel = switchControl(new QComboBox(box), "cbo", profile, "C2FM", sw);
        addItems(s.twoChannel, profiles::kTwoChannelModes);
        s.oneChannel = switchControl(new QComboBox(box), "cbo", profile, "C1FM", sw);
        addItems(s.oneChannel, profiles::kOneChannelModes);
        s.oneChannel->setVisible(false);
        for (const ChannelLayout layout : {ChannelLayout::Two, ChannelLayout::One}) {
            QComboBox* list = modeList(profile, sw, layout);
            connect(list, &QComboBox::activated, this, [this, layout, profile, list](int entry) {
                modeClick(layout, profile, ControlTag(list), entry);
            });
            grid->addWidget(list, 1, 0, 1, 2);
        }
        grid->addWidget(s.modeLabel, 0, 0, 1, 2);

        s.alertType = switchControl(new QComboBox(box), "cbo", profile, "FAT", sw);
        addItems(s.alertType, profiles::kAlertTypes);
        connect(s.alertType, &QComboBox::activated, this, [this, profile, list = s.alertType](int entry) {
            alertTypeClick(profile, ControlTag(list), entry);
        });
        grid->addWidget(new QLabel("Alert Type", box), 2, 0);
        grid->addWidget(s.alertType, 2, 1);

        s.pushToListen = switchControl(new QCheckBox("Push To Listen", box), "chk", profile, "FPTL", sw);
        connect(s.pushToListen, &QCheckBox::clicked, this, [this, profile, box = s.pushToListen](bool on) {
            pushToListenClick(profile, ControlTag(box), on);
        });
        grid->addWidget(s.pushToListen, 3, 0, 1, 2);
        row->addWidget(box);
    }
    return group;
}

void FunctionSwitches::modeClick(ChannelLayout layout, int profile, int sw, int entry) {
    profiles::storeSwitchMode(window_.image(), layout, profile, sw, entry);
    showMode(layout, profile, sw, entry);
}

void FunctionSwitches::showMode(ChannelLayout layout, int profile, int sw, int entry) {
    Switch& s = at(profile, sw);
    if (profiles::modeAllowsPushToListen(layout, entry)) {
        s.pushToListen->setEnabled(true);
    } else {
        // Monitor and audible scan modes have the speaker open anyway.
        const QSignalBlocker quiet(s.pushToListen);
        s.pushToListen->setChecked(false);
        s.alertType->setEnabled(true);
        s.pushToListen->setEnabled(false);
    }
    profiles::rememberMode(memories_, layout, profile, sw, entry);
}

void FunctionSwitches::alertTypeClick(int profile, int sw, int entry) {
    switchField("AlertType", profile, sw).set(window_.image(), static_cast<std::uint8_t>(entry));
    profiles::activeSwitchesFollow(window_.image(), profile);
}

void FunctionSwitches::pushToListenClick(int profile, int sw, bool on) {
    Switch& s = at(profile, sw);
    profiles::storePushToListen(window_.image(), profile, sw, on);
    // Listening is the user's own choice: the call itself only vibrates.
    if (on) s.alertType->setCurrentIndex(profiles::kPushToListenAlert);
    s.alertType->setEnabled(!on);
}

void FunctionSwitches::showSwitches() {
    const CodePlugImage& image = window_.image();
    for (int sw = 0; sw < profiles::kSwitchCount; ++sw) {
        for (int p = 0; p < profiles::kProfileCount; ++p) {
            Switch& s = at(p, sw);
            // An alert type beyond the list leaves the list as it was.
            if (const auto entry = profiles::alertTypeEntry(switchField("AlertType", p, sw).get(image)))
                s.alertType->setCurrentIndex(*entry);
            const bool pushToListen = switchField("PushToListen", p, sw).get(image) != 0;
            {
                const QSignalBlocker quiet(s.pushToListen);
                s.pushToListen->setChecked(pushToListen);
            }
            s.alertType->setEnabled(!pushToListen);

            QComboBox* list = modeList(p, sw, layout_);
            const auto entry = profiles::modeEntry(layout_, switchField("Mode", p, sw).get(image));
            if (!entry) {
                // A mode the list cannot show keeps its byte until the user picks one.
                list->setCurrentIndex(-1);
                s.pushToListen->setEnabled(true);
                continue;
            }
            list->setCurrentIndex(*entry);
            showMode(layout_, p, sw, *entry);
        }
    }
}

void FunctionSwitches::setLayout(ChannelLayout layout, bool restoreMemories) {
    layout_ = layout;
    // The lists' memories are stored as the code-plug text's rule stores them.
    if (restoreMemories) profiles::restoreRememberedModes(window_.image(), layout, memories_);
    const auto& memory = layout == ChannelLayout::Two ? memories_.two : memories_.one;
    for (int p = 0; p < profiles::kProfileCount; ++p) {
        for (int sw = 0; sw < profiles::kSwitchCount; ++sw) {
            Switch& s = at(p, sw);
            QComboBox* shown = modeList(p, sw, layout);
            QComboBox* hidden = layout == ChannelLayout::Two ? s.oneChannel : s.twoChannel;
            const int entry = memory[static_cast<std::size_t>(p)][static_cast<std::size_t>(sw)];
            shown->setVisible(true);
            hidden->setVisible(false);
            if (!restoreMemories) continue;
            shown->setCurrentIndex(entry);
            showMode(layout, p, sw, entry);
        }
    }
}

}  // namespace km640
