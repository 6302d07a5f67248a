#pragma once
// The groups "Channel F1" and "Channel F2" of the four profile pages: the
// receive frequency, channel spacing, bandwidth and squelch level of each
// channel, and the synthesizer words and multiplier made from them. Every
// control is a view of the profile record; the commits go through
// rf/ChannelCommit, which keeps all eight channels in one band.

#include <QObject>
#include <array>

#include "rf/ChannelCommit.h"
#include "rf/ProfileLayout.h"

class QComboBox;
class QGroupBox;
class QLabel;

namespace km640 {

class TfmMain;
class EditField;
class ThresholdTables;

class ChannelGroups : public QObject {
public:
    // The wide-band squelch table is shown again whenever a commit loads the
    // presets of a band into it.
    ChannelGroups(TfmMain& window, ThresholdTables& thresholds);

    // Builds the group of one channel of one profile (the profile is the
    // controls' tag).
    QGroupBox* build(Channel channel, int profile, QWidget* parent);

    // The spacing, bandwidth and squelch lists of a profile as stored.
    void showChoices(int profile);
    // Every channel's frequency, words and multiplier: the band rules are
    // checked, the words computed and stored (a frequency field left blank).
    void showChannels();
    // The channels as the band rules left them (whole-image refresh, after
    // the normalisation ran them): a channel that could not follow its band
    // offers the frequency it was asked to take; the messages are the
    // window's to show.
    void showRefreshed(const ChannelCommit& result);
    // With "One Channel" the pager never tunes F2: its controls are disabled.
    void setOneChannel(bool oneChannel);

private:
    struct Controls {
        EditField* frequency = nullptr;
        QComboBox* spacing = nullptr;
        QComboBox* bandwidth = nullptr;
        QComboBox* squelch = nullptr;
        QLabel* plln = nullptr;
        QLabel* pllr = nullptr;  // F2 has one on the first profile only
        QLabel* multiplier = nullptr;
    };
    Controls& at(ChannelRef ref);

    // edtF1Freq0Exit, edtF2Freq0Exit: one handler per channel, the profile
    // is the field's tag.
    void frequencyExit(Channel channel, EditField& field);
    // cboF1CS0Click, cboF2CS0Click.
    void spacingClick(Channel channel, QComboBox& list, int item);
    // cboF1BW0Click, cboF1SQL0Click and their F2 twins: the entry is the
    // stored value of the record field.
    void choiceClick(Channel channel, int recordField, QComboBox& list, int item);

    void showCommit(const ChannelCommit& result, bool withMessages);
    void showChannel(ChannelRef ref);
    void showChoices(ChannelRef ref);
    void applyEnabling(ChannelRef ref);

    TfmMain& window_;
    ThresholdTables& thresholds_;
    std::array<Controls, 2 * profileLayout::kProfileCount> controls_{};
    bool oneChannel_ = false;
};

}  // namespace km640
