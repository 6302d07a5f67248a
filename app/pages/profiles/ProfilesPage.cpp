#include "app/pages/profiles/ProfilesPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ControlArrays.h"
#include "app/EditField.h"
#include "app/TextWindow.h"
#include "app/TfmMain.h"
#include "app/pages/profiles/ChannelGroups.h"
#include "app/pages/profiles/CrossPageRules.h"
#include "app/pages/profiles/FunctionSwitches.h"
#include "app/pages/system_block/ThresholdTables.h"
#include "settings/CodePlugNormalisation.h"
#include "settings/FieldRef.h"

namespace km640 {

using profiles::kProfileCount;

namespace {

constexpr int kNameLength = 12;  // what the name field takes; the record holds as many
constexpr int kDelayDecimals = 1;

QString profileCaption(int profile) { return QString::fromStdString(profiles::profileCaption(profile)); }

template <class T>
T* profileControl(T* control, const char* family, int profile) {
    control->setObjectName(QString("%1%2").arg(family).arg(profile));
    SetControlTag(control, profile);
    return control;
}

// The "Help" label opens the reset-function help.
class HelpLink : public QObject {
public:
    HelpLink(TfmMain& window, QLabel* label) : QObject(label), window_(window) {
        label->setCursor(Qt::PointingHandCursor);
        label->setStyleSheet("color: blue; text-decoration: underline;");
        label->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonRelease ||
            static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        window_.frmHelp().showCentred();  // lblHelp0Click
        return true;
    }

private:
    TfmMain& window_;
};

std::uint8_t recordByte(const CodePlugImage& image, const char* member, int profile) {
    return image.byte(FieldRef::of(std::string("Profile[{}].") + member, profile).offset);
}

void setRecordByte(CodePlugImage& image, const char* member, int profile, std::uint8_t value) {
    image.setByte(FieldRef::of(std::string("Profile[{}].") + member, profile).offset, value);
}

// The layout of a page that other folders fill as well: the first to add a
// group gives the page its layout and takes in what was placed on it before.
QLayout* sharedPageLayout(QWidget* page) {
    if (page->layout()) return page->layout();
    const auto placed = page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    auto* layout = new QVBoxLayout(page);
    for (QWidget* w : placed) layout->addWidget(w);
    return layout;
}

}  // namespace

void BuildProfilesPage(TfmMain& window) {
    auto* thresholds = new ThresholdTables(window, sharedPageLayout(window.page(Page::Advance)));
    auto* channels = new ChannelGroups(window, *thresholds);
    auto* switches = new FunctionSwitches(window);
    auto* page = new ProfilesPage(window, *channels, *switches);
    window.hooks().oneChannelLayout = [page](bool oneChannel) { page->setOneChannel(oneChannel); };
    window.hooks().showProfilePage = [page](int profile) { page->showProfilePage(profile); };
}

ProfilesPage::ProfilesPage(TfmMain& window, ChannelGroups& channels, FunctionSwitches& switches)
    : QObject(&window), window_(window), channels_(channels), switches_(switches) {
    QWidget* page = window.page(Page::Profile);
    auto* column = new QVBoxLayout(page);
    buildInitialProfile(page);
    column->addWidget(profiles_[0].initial->parentWidget());
    pages_ = new QTabWidget(page);
    pages_->setObjectName("PageControl2");
    for (int p = 0; p < kProfileCount; ++p) pages_->addTab(buildProfile(p), profileCaption(p));
    column->addWidget(pages_);

    window.refreshList().add(RefreshStep::AddressRows, [this] { imageArriving_ = true; });
    window.refreshList().add(RefreshStep::Profiles, [this] {
        showProfileRecords(window_.normalisation().channels);
        imageArriving_ = false;
    });
}

void ProfilesPage::buildInitialProfile(QWidget* page) {
    auto* group = new QGroupBox("Initial Profile", page);
    group->setObjectName("grpInitialProfile");
    auto* row = new QHBoxLayout(group);
    for (int p = 0; p < kProfileCount; ++p) {
        auto* button = profileControl(new QRadioButton(profileCaption(p), group), "radProf", p);
        connect(button, &QRadioButton::clicked, this, [this, button] { radProf0Click(*button); });
        profiles_[static_cast<std::size_t>(p)].initial = button;
        row->addWidget(button);
    }
    row->addStretch(1);
}

QWidget* ProfilesPage::buildProfile(int profile) {
    Profile& P = profiles_[static_cast<std::size_t>(profile)];
    auto* tab = new QWidget;
    tab->setObjectName(QString("tabProf%1").arg(profile));
    auto* config = new QGroupBox("Configurations", tab);
    config->setObjectName(QString("grpConfig%1").arg(profile));
    (new QVBoxLayout(tab))->addWidget(config);
    auto* grid = new QGridLayout(config);

    auto* nameRow = new QHBoxLayout;
    P.name = new EditField(window_, QString("edtPName%1").arg(profile), config, profile);
    P.name->setMaxLength(kNameLength);
    P.name->setKeyFilter(KeyFilter::text(kNameLength))
        .setFirstClickSelects()
        .setOnCommit([this](EditField& f) { edtPName0Exit(f); });
    P.on = profileControl(new QCheckBox("ON", config), "chkPON", profile);
    connect(P.on, &QCheckBox::clicked, this, [this, box = P.on] { chkPON0Click(*box); });
    // The call relay time has no place on the page; the record keeps it.
    P.relayTime = profileControl(new QLineEdit(config), "edtCRTM", profile);
    P.relayTime->setReadOnly(true);
    P.relayTime->setVisible(false);
    nameRow->addWidget(new QLabel("Name", config));
    nameRow->addWidget(P.name);
    nameRow->addWidget(P.on);
    nameRow->addStretch(1);
    grid->addLayout(nameRow, 0, 0, 1, 2);

    grid->addWidget(channels_.build(Channel::F1, profile, config), 1, 0);
    grid->addWidget(channels_.build(Channel::F2, profile, config), 1, 1);
    grid->addWidget(switches_.build(profile, config), 2, 0, 1, 2);
    grid->addWidget(buildResetRow(profile, config), 3, 0, 1, 2);
    return tab;
}

QWidget* ProfilesPage::buildResetRow(int profile, QWidget* parent) {
    Profile& P = profiles_[static_cast<std::size_t>(profile)];
    auto* rowWidget = new QWidget(parent);
    auto* row = new QHBoxLayout(rowWidget);
    row->setContentsMargins(0, 0, 0, 0);

    auto* resetLabel = new QLabel("Reset Control", rowWidget);
    resetLabel->setToolTip("Determines how a select call pager squelches a message after receiving a page.");
    P.resetControl = profileControl(new QComboBox(rowWidget), "cboRstCon", profile);
    for (const auto item : profiles::resetControlItems(profile))
        P.resetControl->addItem(QString::fromLatin1(item.data(), static_cast<int>(item.size())));
    connect(P.resetControl, &QComboBox::activated, this,
            [this, list = P.resetControl](int entry) { cboRstCon0Click(*list, entry); });

    auto* help = new QLabel("Help", rowWidget);
    help->setObjectName(QString("lblHelp%1").arg(profile));
    help->setToolTip("To displays \"RESET FUNCTION HELP\".");
    new HelpLink(window_, help);

    P.delayLabel = profileControl(new QLabel("Delay Time", rowWidget), "lblDlyTM", profile);
    P.resetDelay = new EditField(window_, QString("edtRstDly%1").arg(profile), rowWidget, profile);
    P.resetDelay->setMaximumWidth(60);
    P.resetDelay->setKeyFilter(KeyFilter::decimal(kDelayDecimals))
        .setClearOnEntry()
        .setEnterCommitsTwice()
        .setOnBlank([this](EditField& f) { showResetDelay(ControlTag(&f)); })
        .setOnCommit([this](EditField& f) { edtRstDly0Exit(f); });
    P.secLabel = profileControl(new QLabel("sec", rowWidget), "lblDlySec", profile);

    for (QWidget* w : std::initializer_list<QWidget*>{resetLabel, P.resetControl, help, P.delayLabel, P.resetDelay,
                                                      P.secLabel})
        row->addWidget(w);
    row->addStretch(1);
    return rowWidget;
}

// ---- Handlers ----------------------------------------------------------------

void ProfilesPage::radProf0Click(QRadioButton& button) {
    const int profile = ControlTag(&button);
    FieldRef::of("InitialProfile").set(window_.image(), static_cast<std::uint8_t>(profile));
    profiles::copyActiveSwitchSettings(window_.image(), profile);
}

void ProfilesPage::edtPName0Exit(EditField& field) {
    // A blank name is a name too: twelve blanks. Leading blanks are kept.
    const auto name = FieldRef::of("Profile[{}].PName", ControlTag(&field));
    window_.image().setText(name.offset, name.length, field.text().toLatin1().toStdString());
    showProfiles();
}

void ProfilesPage::chkPON0Click(QCheckBox& box) {
    const int profile = ControlTag(&box);
    const bool on = box.isChecked();
    if (!on && profiles_[static_cast<std::size_t>(profile)].initial->isChecked()) {
        window_.warn(std::string(profiles::kProfileInUse));
        const QSignalBlocker quiet(&box);
        box.setChecked(true);
        return;
    }
    setRecordByte(window_.image(), "PON", profile, on ? 1 : 0);
    // Counted again rather than stepped: a loaded on byte of 2 shows "ON"
    // without counting, and must not make the count drift.
    profilesOnCount_ = profiles::profilesOnCount(window_.image());
    crossPage::selProfileAfterOnRule(window_, profilesOnCount_ == 1);
    profiles_[static_cast<std::size_t>(profile)].initial->setEnabled(on);
    crossPage::showProfileColumn(window_, profile, on, oneChannel_);
}

void ProfilesPage::cboRstCon0Click(QComboBox& list, int entry) {
    const int profile = ControlTag(&list);
    setRecordByte(window_.image(), "ResetControl", profile, static_cast<std::uint8_t>(entry));
    showResetControl(profile);
}

void ProfilesPage::showResetControl(int profile) {
    Profile& P = profiles_[static_cast<std::size_t>(profile)];
    const bool shown = profiles::resetDelayShown(P.resetControl->currentIndex());
    for (QWidget* w : std::initializer_list<QWidget*>{P.delayLabel, P.resetDelay, P.secLabel}) w->setVisible(shown);
}

void ProfilesPage::showResetDelay(int profile) {
    profiles_[static_cast<std::size_t>(profile)].resetDelay->setText(
        QString::fromStdString(profiles::resetDelayText(recordByte(window_.image(), "ResetDelay", profile))));
}

void ProfilesPage::edtRstDly0Exit(EditField& field) {
    const auto seconds = field.decimalNumber();
    if (!seconds) return;
    const int profile = ControlTag(&field);
    const profiles::ResetDelayEntry entry = profiles::judgeResetDelay(*seconds);
    switch (entry.outcome) {
    case profiles::ResetDelayEntry::Outcome::OutOfRange:
        field.refuse(std::string(profiles::kResetDelayRange), MessageStyle::Warning, AfterRefusal::BackToField);
        return;
    case profiles::ResetDelayEntry::Outcome::NotHalfSecond:
        ShowMessage(window_, MessageStyle::Warning, std::string(profiles::kResetDelayStep),
                    std::string(profiles::kResetDelayStepCaption));
        showResetDelay(profile);
        return;
    case profiles::ResetDelayEntry::Outcome::Stored:
        field.setText(QString::fromStdString(entry.shownText));
        setRecordByte(window_.image(), "ResetDelay", profile, entry.halfSeconds);
        return;
    }
}

// ---- Refresh -------------------------------------------------------------------

void ProfilesPage::showProfilePage(int profile) {
    if (profile >= 0 && profile < kProfileCount) pages_->setCurrentIndex(profile);
}

void ProfilesPage::showProfiles() {
    const ChannelCommit channels = normaliseProfileRecords(window_.image());
    showProfileRecords(channels);
    window_.showRefreshMessages(refreshMessages(channels));
}

void ProfilesPage::showProfileRecords(const ChannelCommit& channels) {
    const CodePlugImage& image = window_.image();
    for (int p = 0; p < kProfileCount; ++p) {
        Profile& P = profiles_[static_cast<std::size_t>(p)];
        const auto name = FieldRef::of("Profile[{}].PName", p);
        const std::string shown = displayText(image.text(name.offset, name.length));
        P.name->setText(QString::fromLatin1(shown.data(), static_cast<qsizetype>(shown.size())));
        const bool on = recordByte(image, "PON", p) != 0;
        {
            const QSignalBlocker quiet(P.on);
            P.on->setChecked(on);
        }
        P.initial->setEnabled(on);
        crossPage::showProfileColumn(window_, p, on, oneChannel_);
        P.relayTime->setText(QString::number(recordByte(image, "CallRelayTime", p)));
        const int reset = recordByte(image, "ResetControl", p);
        P.resetControl->setCurrentIndex(reset < P.resetControl->count() ? reset : -1);
        showResetDelay(p);
        showResetControl(p);
        channels_.showChoices(p);
    }
    profilesOnCount_ = profiles::profilesOnCount(image);
    crossPage::selProfileAfterRefresh(window_, profilesOnCount_ == 1);
    switches_.showSwitches();
    channels_.showRefreshed(channels);
}

void ProfilesPage::setOneChannel(bool oneChannel) {
    // The switch modes of a code-plug being loaded are its own: the mode
    // memories of the window must not overwrite them.
    const bool fromImage = imageArriving_;
    oneChannel_ = oneChannel;
    crossPage::setF2AddressRowsEnabled(window_, !oneChannel);
    imageArriving_ = fromImage;  // the address rows were shown again by their refresh step
    channels_.setOneChannel(oneChannel);
    switches_.setLayout(oneChannel ? profiles::ChannelLayout::One : profiles::ChannelLayout::Two, !fromImage);
    window_.page(Page::ChF2)->setEnabled(!oneChannel);
    // A code-plug being shown has its profiles shown by the refresh itself.
    if (!oneChannel && !fromImage) showProfiles();
}

}  // namespace km640
