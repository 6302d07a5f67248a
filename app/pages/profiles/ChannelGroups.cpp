#include "app/pages/profiles/ChannelGroups.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "app/ControlArrays.h"
#include "app/EditField.h"
#include "app/TfmMain.h"
#include "app/pages/system_block/ThresholdTables.h"
#include "rf/ChannelSpacing.h"
#include "rf/FrequencyBcd.h"
#include "rf/RfMessages.h"
#include "rf/SquelchThresholds.h"

namespace km640 {

namespace {

// Seven digits of 100 Hz are typed; an eighth digit only a loaded code-plug
// can bring is still shown whole.
constexpr int kFrequencyDigits = 7;
constexpr int kFrequencyFieldLength = 8;

const char* channelName(Channel channel) { return channel == Channel::F1 ? "F1" : "F2"; }

// "edt" + "F1" + "Freq" + profile: edtF1Freq0.
QString controlName(const char* kind, Channel channel, const char* field, int profile) {
    return QString("%1%2%3%4").arg(kind, channelName(channel), field).arg(profile);
}

QComboBox* makeList(const QString& name, int profile, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    SetControlTag(list, profile);
    return list;
}

QLabel* makeWordLabel(const QString& name, int profile, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    SetControlTag(label, profile);
    label->setMinimumWidth(70);
    return label;
}

template <std::size_t N>
void addItems(QComboBox* list, const std::array<std::string_view, N>& items) {
    for (const auto item : items) list->addItem(QString::fromLatin1(item.data(), static_cast<qsizetype>(item.size())));
}

void selectStored(QComboBox* list, int entry) {
    // A byte beyond the list (only a loaded code-plug brings one) shows no entry.
    list->setCurrentIndex(entry >= 0 && entry < list->count() ? entry : -1);
}

}  // namespace

ChannelGroups::ChannelGroups(TfmMain& window, ThresholdTables& thresholds)
    : QObject(&window), window_(window), thresholds_(thresholds) {}

ChannelGroups::Controls& ChannelGroups::at(ChannelRef ref) {
    return controls_[static_cast<std::size_t>(static_cast<int>(ref.channel) * profileLayout::kProfileCount + ref.profile)];
}

QGroupBox* ChannelGroups::build(Channel channel, int profile, QWidget* parent) {
    Controls& c = at({channel, profile});
    auto* group = new QGroupBox(QString("Channel %1").arg(channelName(channel)), parent);
    group->setObjectName(QString("grp%1Chan%2").arg(channelName(channel)).arg(profile));
    auto* grid = new QGridLayout(group);

    c.frequency = new EditField(window_, controlName("edt", channel, "Freq", profile), group, profile);
    c.frequency->setMaxLength(kFrequencyFieldLength);
    c.frequency->setMaximumWidth(90);
    c.frequency->setKeyFilter(KeyFilter::countedDigit(kFrequencyDigits))
        .setClearOnEntry()
        .setOnBlank([this](EditField&) { showChannels(); })
        .setOnCommit([this, channel](EditField& f) { frequencyExit(channel, f); });
    grid->addWidget(new QLabel("Frequency", group), 0, 0);
    grid->addWidget(c.frequency, 0, 1);
    grid->addWidget(new QLabel("00Hz", group), 0, 2);

    c.spacing = makeList(controlName("cbo", channel, "CS", profile), profile, group);
    addItems(c.spacing, kSpacingItems);
    connect(c.spacing, &QComboBox::activated, this,
            [this, channel, list = c.spacing](int item) { spacingClick(channel, *list, item); });
    auto* spacingLabel = new QLabel("Channel Space", group);
    spacingLabel->setToolTip("Select the channel.");
    grid->addWidget(spacingLabel, 1, 0);
    grid->addWidget(c.spacing, 1, 1, 1, 2);

    c.bandwidth = makeList(controlName("cbo", channel, "BW", profile), profile, group);
    addItems(c.bandwidth, kBandwidthItems);
    connect(c.bandwidth, &QComboBox::activated, this, [this, channel, list = c.bandwidth](int item) {
        choiceClick(channel, profileLayout::kBandwidth, *list, item);
    });
    grid->addWidget(new QLabel("Bandwidth", group), 2, 0);
    grid->addWidget(c.bandwidth, 2, 1, 1, 2);

    c.squelch = makeList(controlName("cbo", channel, "SQL", profile), profile, group);
    addItems(c.squelch, kSquelchItems);
    connect(c.squelch, &QComboBox::activated, this, [this, channel, list = c.squelch](int item) {
        choiceClick(channel, profileLayout::kSquelch, *list, item);
    });
    grid->addWidget(new QLabel("S.Q.L.", group), 3, 0);
    grid->addWidget(c.squelch, 3, 1, 1, 2);

    int row = 4;
    c.plln = makeWordLabel(controlName("lbl", channel, "PLLN", profile), profile, group);
    grid->addWidget(new QLabel("PLLN", group), row, 0);
    grid->addWidget(c.plln, row++, 1, 1, 2);
    // The F2 reference word has a label on the first profile only.
    if (channel == Channel::F1 || profile == 0) {
        c.pllr = makeWordLabel(controlName("lbl", channel, "PLLR", profile), profile, group);
        grid->addWidget(new QLabel("PLLR", group), row, 0);
        grid->addWidget(c.pllr, row++, 1, 1, 2);
    }
    c.multiplier = makeWordLabel(controlName("lbl", channel, "MUTL", profile), profile, group);
    grid->addWidget(new QLabel("MUTL", group), row, 0);
    grid->addWidget(c.multiplier, row, 1, 1, 2);

    CommitOnPointer(window_, group);
    return group;
}

void ChannelGroups::frequencyExit(Channel channel, EditField& field) {
    const auto typed = field.wholeNumber();
    if (!typed) return;
    const ChannelRef ref{channel, ControlTag(&field)};
    // A sign typed by pasting is no frequency the pager can take.
    if (*typed < 0) {
        field.refuse(std::string(rfText::kBelow33MHz), MessageStyle::Warning, AfterRefusal::BackToField);
        return;
    }
    const ChannelCommit result =
        commitFrequency(window_.image(), ref, static_cast<std::uint32_t>(*typed), at(ref).spacing->currentIndex());
    if (result.refusal) {
        field.refuse(std::string(*result.refusal), MessageStyle::Warning, AfterRefusal::BackToField);
        return;
    }
    showCommit(result, true);
}

void ChannelGroups::spacingClick(Channel channel, QComboBox& list, int item) {
    const ChannelRef ref{channel, ControlTag(&list)};
    const ChannelCommit result = commitSpacing(window_.image(), ref, channelUnits(window_.image(), ref), item);
    if (result.refusal) {
        window_.warn(std::string(*result.refusal));
        list.setCurrentIndex(spacingItemOfCode(spacingCode(window_.image(), ref)));
        return;
    }
    showCommit(result, true);
}

void ChannelGroups::choiceClick(Channel channel, int recordField, QComboBox& list, int item) {
    window_.image().setByte(profileLayout::channelField(ControlTag(&list), channel, recordField),
                            static_cast<std::uint8_t>(item));
}

void ChannelGroups::showCommit(const ChannelCommit& result, bool withMessages) {
    for (int p = 0; p < profileLayout::kProfileCount; ++p)
        for (const Channel channel : {Channel::F1, Channel::F2}) showChannel({channel, p});
    if (result.presetBand) thresholds_.showTable(ThresholdTable::Wide);
    // A channel that could not follow the band keeps its frequency; its
    // field offers the frequency it was asked to take, for the user to settle.
    for (const ChannelNotice& notice : result.notices) {
        at(notice.channel).frequency->setText(QString::fromStdString(frequencyFieldText(notice.proposedUnits)));
        if (withMessages) window_.warn(std::string(notice.message));
    }
}

void ChannelGroups::showChannels() { showCommit(refreshChannels(window_.image()), true); }

void ChannelGroups::showRefreshed(const ChannelCommit& result) { showCommit(result, false); }

void ChannelGroups::showChannel(ChannelRef ref) {
    const ChannelView view = channelView(window_.image(), ref);
    Controls& c = at(ref);
    c.frequency->setText(QString::fromStdString(view.frequencyText));
    c.plln->setText(QString::fromStdString(view.pllnText));
    if (c.pllr) c.pllr->setText(QString::fromStdString(view.pllrText));
    c.multiplier->setText(QString::fromStdString(view.multiplierText));
    showChoices(ref);
}

void ChannelGroups::showChoices(int profile) {
    for (const Channel channel : {Channel::F1, Channel::F2}) showChoices({channel, profile});
}

void ChannelGroups::showChoices(ChannelRef ref) {
    const CodePlugImage& image = window_.image();
    Controls& c = at(ref);
    c.spacing->setCurrentIndex(spacingItemOfCode(spacingCode(image, ref)));
    selectStored(c.squelch, image.byte(profileLayout::channelField(ref.profile, ref.channel, profileLayout::kSquelch)));
    // The low band receives in wide band only: the list says so, the stored
    // byte stays as it is.
    if (channelView(image, ref).bandwidthLocked) c.bandwidth->setCurrentIndex(kWideBandItem);
    else selectStored(c.bandwidth, image.byte(profileLayout::channelField(ref.profile, ref.channel, profileLayout::kBandwidth)));
    applyEnabling(ref);
}

void ChannelGroups::applyEnabling(ChannelRef ref) {
    const bool tuned = !(oneChannel_ && ref.channel == Channel::F2);
    Controls& c = at(ref);
    c.frequency->setEnabled(tuned);
    c.spacing->setEnabled(tuned);
    c.squelch->setEnabled(tuned);
    c.bandwidth->setEnabled(tuned && !channelView(window_.image(), ref).bandwidthLocked);
}

void ChannelGroups::setOneChannel(bool oneChannel) {
    oneChannel_ = oneChannel;
    for (int p = 0; p < profileLayout::kProfileCount; ++p) applyEnabling({Channel::F2, p});
}

}  // namespace km640
