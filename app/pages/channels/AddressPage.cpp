#include "app/pages/channels/AddressPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "app/ControlArrays.h"
#include "app/EditField.h"
#include "app/TfmMain.h"
#include "app/pages/Latin1Text.h"
#include "app/pages/channels/ToneEditing.h"
#include "selcall/AddressRow.h"
#include "selcall/TonePlan.h"

namespace km640 {

namespace {

// Columns from left to right: caption and width. The Alert Tone Type caption
// breaks between "Alert" and "Tone Type".
namespace col {
enum Column { CallNo, Mark, Tone1, Tone2, Profile1, AlertToneType = Profile1 + 4, AlertPattern, AlertTime,
              PriorityAlert, VibratorInCharger, SwitchA, Count = SwitchA + 4 };
}  // namespace col
using col::Column;
struct ColumnDef {
    const char* caption;
    int width;
};
constexpr ColumnDef kColumns[col::Count] = {
    {"Call No.", 82},   {"Mark", 100},          {"Tone 1", 64},         {"Tone 2", 64},
    {"P1", 26},         {"P2", 26},             {"P3", 26},             {"P4", 26},
    {"Alert        Tone Type", 96},             {"Alert Pattern", 54},  {"Alert Time", 120},
    {"Pr. Alert", 48},  {"Vir.Ch.", 48},
    {"SW-A", 40},       {"SW-B", 40},           {"SW-C", 40},           {"SW-D", 40},
};

// The gap between two cells, the same in the caption row and in every address row.
constexpr int kCellSpacing = 4;

constexpr AddressFlagColumn kProfileBoxes[4] = {{"P1", address::kProfiles, 0, false},
                                                {"P2", address::kProfiles, 1, false},
                                                {"P3", address::kProfiles, 2, false},
                                                {"P4", address::kProfiles, 3, false}};
constexpr AddressFlagColumn kSwitchBoxes[4] = {{"SWA", address::kSwitches, 0, false},
                                               {"SWB", address::kSwitches, 1, false},
                                               {"SWC", address::kSwitches, 2, false},
                                               {"SWD", address::kSwitches, 3, false}};
constexpr AddressFlagColumn kPriorityAlertBox{"PArt", address::kFlags, address::kPriorityAlertBit, false};
constexpr AddressFlagColumn kVibratorBox{"VCh", address::kFlags, address::kNoVibInChargerBit, true};

constexpr int kFixedItem = 1;  // "FIXED" in the Alert Time list
constexpr int kUserDefineItem = static_cast<int>(AlertToneType::UserDefine);

template <std::size_t N>
QStringList items(const std::array<std::string_view, N>& texts) {
    QStringList list;
    for (auto t : texts) list << latin1Text(t);
    return list;
}


// The key rule of the alert seconds fields, which has its own message.
class AlertSecondsKeys : public QObject {
public:
    AlertSecondsKeys(TfmMain& window, QObject* parent) : QObject(parent), window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const char32_t key = TypedCharacter(static_cast<QKeyEvent*>(event));
        if (key == 0) return false;
        const KeyDecision d = alertSecondsKey(key);
        switch (d.verdict) {
        case KeyVerdict::Pass: return false;
        case KeyVerdict::Commit: window_.commitEditing(); return true;
        case KeyVerdict::Refuse:
            ShowMessage(window_, MessageStyle::Warning, std::string(d.message.text), std::string(d.message.caption));
            return true;
        case KeyVerdict::Swallow: return true;
        }
        return true;
    }

private:
    TfmMain& window_;
};

template <class W>
W* sized(W* widget, Column column) {
    widget->setFixedWidth(kColumns[column].width);
    return widget;
}

}  // namespace

AddressPage::AddressPage(TfmMain& window, ToneEditing& tones, CallChannel channel, QWidget* tab)
    : QWidget(tab), window_(window), tones_(tones), channel_(channel) {
    setObjectName(channel == CallChannel::F1 ? "Panel2" : "Panel3");
    setMouseTracking(true);
    auto* column = new QVBoxLayout(this);
    column->setSpacing(2);
    buildCaptions(column);
    for (int k = 0; k < address::kRecordCount; ++k) column->addWidget(buildRow(k));

    lblToneTbl_ = new QLabel(latin1Text(kOpenToneTableLabel), this);
    lblToneTbl_->setObjectName(name("lbl", "ToneTbl"));
    lblToneTbl_->setVisible(false);
    column->addWidget(lblToneTbl_);
    column->addStretch(1);
    for (QLabel* label : findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) label->setMouseTracking(true);

    auto* tabLayout = new QVBoxLayout(tab);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->addWidget(this);
}

QString AddressPage::name(const char* kind, const char* family, int record) const {
    const QString stem = QString("%1%2%3").arg(kind, channel_ == CallChannel::F1 ? "F1" : "F2", family);
    return record < 0 ? stem : stem + QString::number(record);
}

void AddressPage::buildCaptions(QVBoxLayout* column) {
    auto* captions = new QHBoxLayout;
    captions->setSpacing(kCellSpacing);
    for (int c = 0; c < col::Count; ++c) {
        auto* label = sized(new QLabel(kColumns[c].caption, this), static_cast<Column>(c));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        label->setFixedHeight(2 * label->fontMetrics().lineSpacing() + 2);
        // The Alert Tone Type caption is set narrow, so it reads on two lines.
        if (c == col::AlertToneType) label->setContentsMargins(16, 0, 16, 0);
        captions->addWidget(label);
        if (c >= col::Profile1 && c < col::Profile1 + 4) {
            label->setObjectName(name("lbl", kProfileBoxes[c - col::Profile1].family));
            profileCaptions_[static_cast<std::size_t>(c - col::Profile1)] = label;
        }
    }
    captions->addStretch(1);
    column->addLayout(captions);
}

QCheckBox* AddressPage::flagBox(const AddressFlagColumn& column, int record, QWidget* parent) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(name("chk", column.family, record));
    SetControlTag(box, record);
    connect(box, &QCheckBox::clicked, this,
            [this, &column, box](bool checked) { chkFlagClick(column, ControlTag(box), checked); });
    return box;
}

EditField* AddressPage::buildToneField(ToneColumn column, int record, QWidget* parent) {
    const char* family = column == ToneColumn::Tone2 ? "T2" : "T1";
    auto* field = new EditField(window_, name("edt", family, record), parent, record);
    tones_.attach(*field, ToneField{channel_, column, record});
    return field;
}

QWidget* AddressPage::buildRow(int k) {
    auto* rowWidget = new QWidget(this);
    rowWidget->setObjectName(name("pnl", "Address", k));
    auto* line = new QHBoxLayout(rowWidget);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(kCellSpacing);
    Row& row = rows_[static_cast<std::size_t>(k)];
    const bool group = k >= address::kFirstGroup;

    row.callNo = sized(new QCheckBox(QString::fromStdString(callNumberCaption(k)), rowWidget), col::CallNo);
    row.callNo->setObjectName(name("chk", "CON", k));
    SetControlTag(row.callNo, k);
    connect(row.callNo, &QCheckBox::clicked, this,
            [this, box = row.callNo](bool on) { chkCONClick(ControlTag(box), on); });
    line->addWidget(row.callNo);

    row.mark = sized(new EditField(window_, name("edt", "Mark", k), rowWidget, k), col::Mark);
    row.mark->setMaxLength(address::kNameLength);
    row.mark->setKeyFilter(KeyFilter::text()).setFirstClickSelects().setOnCommit(
        [this](EditField& f) { edtMarkExit(f); });
    line->addWidget(row.mark);

    row.tone1 = sized(buildToneField(group ? ToneColumn::Group : ToneColumn::Tone1, k, rowWidget), col::Tone1);
    line->addWidget(row.tone1);
    if (group) {
        line->addSpacing(kColumns[col::Tone2].width + kCellSpacing);
    } else {
        row.tone2 = sized(buildToneField(ToneColumn::Tone2, k, rowWidget), col::Tone2);
        line->addWidget(row.tone2);
    }
    for (int p = 0; p < 4; ++p) {
        row.profiles[static_cast<std::size_t>(p)] =
            sized(flagBox(kProfileBoxes[p], k, rowWidget), static_cast<Column>(col::Profile1 + p));
        line->addWidget(row.profiles[static_cast<std::size_t>(p)]);
    }

    using ListHandler = void (AddressPage::*)(int record, int item);
    auto combo = [&](const char* family, const QStringList& texts, Column column, ListHandler handler) {
        auto* box = sized(new QComboBox(rowWidget), column);
        box->setObjectName(name("cbo", family, k));
        SetControlTag(box, k);
        box->addItems(texts);
        connect(box, &QComboBox::activated, this,
                [this, box, handler](int item) { (this->*handler)(ControlTag(box), item); });
        line->addWidget(box);
        return box;
    };
    row.alertToneType = combo("AlTT", items(kAlertToneTypeItems), col::AlertToneType, &AddressPage::cboAlTTClick);
    row.alertPattern = combo("APat", items(kAlertPatternItems), col::AlertPattern, &AddressPage::cboAPatClick);

    // Alert Time: the list, the seconds field and its unit, in one cell so the
    // columns to the right stay put while the seconds come and go.
    auto* timeCell = sized(new QWidget(rowWidget), col::AlertTime);
    auto* timeLine = new QHBoxLayout(timeCell);
    timeLine->setContentsMargins(0, 0, 0, 0);
    timeLine->setSpacing(2);
    row.alertTime = new QComboBox(timeCell);
    row.alertTime->setObjectName(name("cbo", "AT", k));
    SetControlTag(row.alertTime, k);
    row.alertTime->addItems(items(kAlertTimeItems));
    connect(row.alertTime, &QComboBox::activated, this,
            [this, box = row.alertTime](int item) { cboATClick(ControlTag(box), item); });
    row.alertSeconds = new EditField(window_, name("edt", "ATM", k), timeCell, k);
    row.alertSeconds->setFixedWidth(34);
    row.alertSeconds->setClearOnEntry()
        .setOnBlank([this](EditField&) { showAlertTimes(); })
        .setOnCommit([this](EditField& f) { edtATMExit(f); });
    row.alertSeconds->installEventFilter(new AlertSecondsKeys(window_, row.alertSeconds));
    row.secondsUnit = new QLabel("s", timeCell);
    row.secondsUnit->setObjectName(name("lbl", "AS", k));
    SetControlTag(row.secondsUnit, k);
    timeLine->addWidget(row.alertTime);
    timeLine->addWidget(row.alertSeconds);
    timeLine->addWidget(row.secondsUnit);
    timeLine->addStretch(1);
    line->addWidget(timeCell);

    row.priorityAlert = sized(flagBox(kPriorityAlertBox, k, rowWidget), col::PriorityAlert);
    line->addWidget(row.priorityAlert);
    row.vibratorInCharger = sized(flagBox(kVibratorBox, k, rowWidget), col::VibratorInCharger);
    line->addWidget(row.vibratorInCharger);
    for (int s = 0; s < 4; ++s) {
        row.switches[static_cast<std::size_t>(s)] =
            sized(flagBox(kSwitchBoxes[s], k, rowWidget), static_cast<Column>(col::SwitchA + s));
        line->addWidget(row.switches[static_cast<std::size_t>(s)]);
    }
    line->addStretch(1);

    // Moving the pointer over a row ends the entry being typed.
    CommitOnPointer(window_, rowWidget);
    return rowWidget;
}

EditField* AddressPage::toneField(ToneColumn column, int record) const {
    const Row& row = rows_.at(static_cast<std::size_t>(record));
    return column == ToneColumn::Tone2 ? row.tone2 : row.tone1;
}

// ---- Showing the image -------------------------------------------------------

void AddressPage::showRows() {
    for (int k = 0; k < address::kRecordCount; ++k)
        rows_[static_cast<std::size_t>(k)].callNo->setChecked(
            window_.image().GetBits(recordOffset(k) + address::kFlags, address::kAddrOnBit, 1) != 0);
    applyEnabling();
}

void AddressPage::applyEnabling() {
    const AddressRowContext context = addressRowContext(window_.image());
    for (int k = 0; k < address::kRecordCount; ++k) applyEnabling(k, context);
    for (int p = 0; p < 4; ++p)
        profileCaptions_[static_cast<std::size_t>(p)]->setEnabled(profileColumnEnabled(channel_, p, context));
}

void AddressPage::applyEnabling(int k, const AddressRowContext& context) {
    const AddressRowEnabling cells = addressRowEnabling(window_.image(), channel_, k, context);
    Row& row = rows_[static_cast<std::size_t>(k)];
    for (QWidget* w : {static_cast<QWidget*>(row.mark), static_cast<QWidget*>(row.tone1),
                       static_cast<QWidget*>(row.tone2), static_cast<QWidget*>(row.alertToneType),
                       static_cast<QWidget*>(row.priorityAlert)})
        if (w) w->setEnabled(cells.mark);
    for (QCheckBox* box : row.switches) box->setEnabled(cells.mark);
    for (std::size_t p = 0; p < row.profiles.size(); ++p) row.profiles[p]->setEnabled(cells.profiles[p]);
    row.alertPattern->setEnabled(cells.alertPattern);
    row.alertTime->setEnabled(cells.alertTime);
    row.alertSeconds->setEnabled(cells.alertTime);
    row.secondsUnit->setEnabled(cells.alertTime);
    row.vibratorInCharger->setEnabled(cells.vibratorInCharger);
}

void AddressPage::showTones() {
    for (const ToneField& field : channelToneFields(channel_))
        toneField(field.column, field.record)->setText(QString::fromStdString(shownToneText(window_.image(), field)));
}

void AddressPage::showNames() {
    for (int k = 0; k < address::kRecordCount; ++k)
        rows_[static_cast<std::size_t>(k)].mark->setText(QString::fromLatin1(
            displayText(window_.image().text(address::nameOffset(channel_, k), address::kNameLength))));
}

void AddressPage::showAlertTime(int k) {
    const CodePlugImage& image = window_.image();
    Row& row = rows_[static_cast<std::size_t>(k)];
    const bool fixed = image.GetBits(recordOffset(k) + address::kFlags, address::kFixedAlertTimeBit, 1) != 0;
    row.alertTime->setCurrentIndex(fixed ? kFixedItem : 0);
    row.alertSeconds->setText(QString::number(image.byte(recordOffset(k) + address::kAlertSeconds)));
    row.alertSeconds->setVisible(fixed);
    row.secondsUnit->setVisible(fixed);
}

void AddressPage::showAlertTimes() {
    for (int k = 0; k < address::kRecordCount; ++k) showAlertTime(k);
}

void AddressPage::showOptions() {
    const CodePlugImage& image = window_.image();
    auto ticked = [&](const AddressFlagColumn& column, int k) {
        return (image.GetBits(recordOffset(k) + column.recordByte, column.bit, 1) != 0) != column.inverted;
    };
    for (int k = 0; k < address::kRecordCount; ++k) {
        Row& row = rows_[static_cast<std::size_t>(k)];
        for (int p = 0; p < 4; ++p) row.profiles[static_cast<std::size_t>(p)]->setChecked(ticked(kProfileBoxes[p], k));
        showAlertTime(k);
        row.vibratorInCharger->setChecked(ticked(kVibratorBox, k));
        const AlertTone tone = alertToneFromByte(image.byte(recordOffset(k) + address::kAlertTone));
        auto& remembered = rememberedPattern_[static_cast<std::size_t>(k)];
        if (tone.type == AlertToneType::UserDefine) remembered = tone.pattern;
        row.alertToneType->setCurrentIndex(static_cast<int>(tone.type));
        row.alertPattern->setCurrentIndex(remembered);
        row.priorityAlert->setChecked(ticked(kPriorityAlertBox, k));
        for (int s = 0; s < 4; ++s) row.switches[static_cast<std::size_t>(s)]->setChecked(ticked(kSwitchBoxes[s], k));
    }
}

// ---- Handlers ------------------------------------------------------------------

void AddressPage::chkCONClick(int k, bool checked) {
    window_.image().SetBits(recordOffset(k) + address::kFlags, address::kAddrOnBit, checked ? 1 : 0, 1);
    applyEnabling(k, addressRowContext(window_.image()));
}

void AddressPage::chkFlagClick(const AddressFlagColumn& column, int k, bool checked) {
    window_.image().SetBits(recordOffset(k) + column.recordByte, column.bit, checked != column.inverted ? 1 : 0, 1);
}

void AddressPage::cboATClick(int k, int item) {
    const bool fixed = item == kFixedItem;
    window_.image().SetBits(recordOffset(k) + address::kFlags, address::kFixedAlertTimeBit, fixed ? 1 : 0, 1);
    Row& row = rows_[static_cast<std::size_t>(k)];
    row.alertSeconds->setVisible(fixed);
    row.secondsUnit->setVisible(fixed);
}

void AddressPage::cboAlTTClick(int k, int item) {
    Row& row = rows_[static_cast<std::size_t>(k)];
    AlertTone tone{static_cast<AlertToneType>(item), 0};
    if (item == kUserDefineItem) {
        tone.pattern = rememberedPattern_[static_cast<std::size_t>(k)];
        row.alertPattern->setCurrentIndex(tone.pattern);
    }
    row.alertPattern->setEnabled(item == kUserDefineItem);
    window_.image().setByte(recordOffset(k) + address::kAlertTone, alertToneByte(tone));
}

void AddressPage::cboAPatClick(int k, int item) {
    rememberedPattern_[static_cast<std::size_t>(k)] = item;
    window_.image().setByte(recordOffset(k) + address::kAlertTone,
                            alertToneByte({AlertToneType::UserDefine, item}));
}

void AddressPage::edtMarkExit(EditField& field) {
    const int k = ControlTag(&field);
    window_.image().setText(address::nameOffset(channel_, k), address::kNameLength,
                            addressNameToStore(field.text().toLatin1().toStdString()));
    showNames();
}

void AddressPage::edtATMExit(EditField& field) {
    const auto result =
        commitAlertSeconds(window_.image(), channel_, ControlTag(&field), field.text().toLatin1().toStdString());
    if (result.message)
        field.refuse(result.message->text, MessageStyle::Warning, AfterRefusal::BackToField, result.message->caption);
}

// ---- Pointer -------------------------------------------------------------------

void AddressPage::mouseMoveEvent(QMouseEvent* event) {
    // Only the page itself and its captions count, not the rows and their cells.
    QWidget* child = childAt(event->position().toPoint());
    if (!child || (qobject_cast<QLabel*>(child) && child->parentWidget() == this))
        tones_.pageBackgroundPointer(channel_);
    QWidget::mouseMoveEvent(event);
}

}  // namespace km640
