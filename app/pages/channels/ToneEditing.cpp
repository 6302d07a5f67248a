#include "app/pages/channels/ToneEditing.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <functional>

#include "app/EditField.h"
#include "app/TfmMain.h"
#include "app/pages/Latin1Text.h"
#include "app/pages/channels/TfmPlectronTbl.h"
#include "app/pages/channels/TfmToneTbl.h"
#include "app/pages/channels/ToneFieldHost.h"
#include "selcall/TonePlan.h"
#include "selcall/ToneSystem.h"

namespace km640 {

namespace {

// Runs an action when the watched field is double-clicked; the field then goes on
// with its own double-click.
class DoubleClick : public QObject {
public:
    DoubleClick(QObject* field, std::function<void()> action) : QObject(field), action_(std::move(action)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) action_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> action_;
};

}  // namespace

ToneEditing::ToneEditing(TfmMain& window) : QObject(&window), window_(window) {}

void ToneEditing::setPages(ToneFieldHost& f1, ToneFieldHost& f2) { pages_ = {&f1, &f2}; }

ToneFieldHost& ToneEditing::page(CallChannel channel) const { return *pages_[static_cast<std::size_t>(channel)]; }

EditField& ToneEditing::edit(const ToneField& field) const {
    return *page(field.channel).toneField(field.column, field.record);
}

void ToneEditing::attach(EditField& edit, const ToneField& field) {
    edit.setToolTip(latin1Text(kToneFieldHint));
    edit.setKeyFilter(KeyFilter::decimal(1))
        .setClearOnEntry()
        .setOnEntry([this, field](EditField&) { entered(field); })
        .setOnCommit([this, field](EditField&) { commitToneField(field, true); });
    edit.installEventFilter(new DoubleClick(&edit, [this, field] { doubleClicked(field); }));
}

// ---- Entering and committing ---------------------------------------------------

void ToneEditing::entered(const ToneField& field) {
    pending_ = field;
    const bool picker = tonePickerFor(storedToneSystem(window_.image())) != TonePicker::None;
    page(field.channel).lblToneTbl()->setVisible(picker);
}

void ToneEditing::commitToneField(const ToneField& field, bool returnFocus) {
    EditField& e = edit(field);
    pending_ = field;
    const ToneCommitResult result = commitTone(window_.image(), field, e.text().toLatin1().toStdString());
    applyMarker(result);
    e.setText(QString::fromStdString(result.fieldText));
    if (!result.hint.empty()) e.setToolTip(QString::fromStdString(result.hint));
    if (result.message) {
        if (result.keepsFocus() && returnFocus)
            e.refuse(result.message->text, MessageStyle::Warning, AfterRefusal::BackToField, result.message->caption);
        else
            showMessage(*result.message);
    }
    if (result.reshowsChannel()) page(field.channel).showTones();
}

void ToneEditing::applyMarker(const ToneCommitResult& result) {
    switch (result.marker) {
    case ConflictMarker::Set: conflict_ = result.conflictRecord; break;
    case ConflictMarker::Cleared: conflict_.reset(); break;
    case ConflictMarker::Unchanged: break;
    }
}

void ToneEditing::showMessage(const SelcallMessage& message) {
    // A pasted text that is no number gets the toolkit's error box; every other
    // message of the tone fields is a warning box with the field's caption.
    if (message.icon == MsgIcon::Error)
        window_.services().messages.show(message.text, message.caption, message.icon, MsgButtons::Ok);
    else
        ShowMessage(window_, MessageStyle::Warning, message.text, message.caption);
}

// ---- Pickers -------------------------------------------------------------------

void ToneEditing::doubleClicked(const ToneField& field) {
    pending_ = field;
    openToneTable();
}

void ToneEditing::openToneTable() {
    if (!pending_) return;
    TonePickerDialog* picker = nullptr;
    switch (tonePickerFor(storedToneSystem(window_.image()))) {
    case TonePicker::ToneTable: picker = &window_.fmToneTbl(); break;
    case TonePicker::PlectronTable: picker = &window_.fmPlectronTbl(); break;
    case TonePicker::None: return;
    }
    picker->showFor({[this](const std::string& tone) { pick(tone); }, [this] { leave(); }});
}

void ToneEditing::pick(const std::string& tone) {
    if (!pending_) return;
    // The pick goes to the field that was pending, on its own channel, even when
    // another page has been brought up meanwhile.
    const ToneField field = *pending_;
    edit(field).setText(QString::fromStdString(tone));
    commitToneField(field, true);
    pending_.reset();
}

void ToneEditing::leave() {
    if (!pending_) return;
    const ToneField field = *pending_;
    commitToneField(field, true);
    pending_.reset();
}

void ToneEditing::pageBackgroundPointer(CallChannel channel) {
    // A pending spacing conflict keeps the tone edit, so the user can still
    // correct the tone from the table.
    if (conflict_) return;
    // Leaving the rows ends the tone edit first; the commit that follows makes
    // the field it commits the pending one again, so F9 still serves it.
    pending_.reset();
    page(channel).lblToneTbl()->setVisible(false);
    window_.commitEditing();
}

// ---- Tone system and decoder bandwidth -------------------------------------------

void ToneEditing::radToneSystem0Click(int tag) {
    if (tag < 0 || tag >= kToneSystemCount) return;
    if (auto* button = window_.findChild<QRadioButton*>(QString("radToneSystem%1").arg(tag))) button->setChecked(true);
    const auto fields = selectToneSystem(window_.image(), toneSystemFromByte(static_cast<std::uint8_t>(tag)));
    showTimingSet();
    applyRevalidation(fields, true);
}

void ToneEditing::showToneSystem(int tag, const std::vector<ToneRevalidation>& fields) {
    if (tag < 0 || tag >= kToneSystemCount) return;
    applyRevalidation(fields, false);
}

void ToneEditing::cboDBWClick(int entry) { applyRevalidation(selectDecodeBandwidth(window_.image(), entry), true); }

void ToneEditing::showTimingSet() {
    // The timing fields belong to the "Advance" page; they show the decoder timing
    // set of the tone system just chosen.
    const auto offsets = decoderTimingOffsets(storedToneSystem(window_.image()));
    for (std::size_t i = 0; i < offsets.size(); ++i)
        if (auto* field = window_.findChild<QLineEdit*>(latin1Text(kTimingFieldNames[i])))
            field->setText(QString::number(window_.image().byte(offsets[i])));
}

void ToneEditing::applyRevalidation(const std::vector<ToneRevalidation>& fields, bool clicked) {
    // Every failing field has its own say; the fields keep their places, as the
    // user typed nothing into them. The refresh shows the messages and the
    // tone fields itself.
    for (const ToneRevalidation& f : fields) {
        applyMarker(f.result);
        if (!f.result.hint.empty()) edit(f.field).setToolTip(QString::fromStdString(f.result.hint));
        if (f.result.message && clicked) showMessage(*f.result.message);
    }
    if (clicked)
        for (ToneFieldHost* p : pages_) p->showTones();
}

}  // namespace km640
