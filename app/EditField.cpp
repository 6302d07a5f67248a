#include "app/EditField.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include "app/ControlArrays.h"
#include "app/TfmMain.h"
#include "codeplug/EntryNumber.h"

namespace km640 {

namespace {

// Focus that goes to another window or a popup menu and comes back is no
// entry and no exit of the field.
bool windowFocusChange(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}


MsgIcon iconOf(KeyMessageIcon icon) { return icon == KeyMessageIcon::Error ? MsgIcon::Error : MsgIcon::Warning; }

}  // namespace

// The character a key event types, as the filters see it; 0 for keys that
// type nothing (arrows, Delete, shortcuts with Ctrl), which are not filtered.
char32_t TypedCharacter(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Backspace: return kKeyBackspace;
    case Qt::Key_Return:
    case Qt::Key_Enter: return kKeyEnter;
    default: break;
    }
    const QString text = event->text();
    if (text.isEmpty()) return 0;
    const char32_t c = text.toUcs4().value(0);
    return c < 0x20 || c == 0x7F ? 0 : c;
}

EditField::EditField(TfmMain& window, const QString& objectName, QWidget* parent, int tag)
    : QLineEdit(parent), window_(window) {
    setObjectName(objectName);
    if (tag >= 0) SetControlTag(this, tag);
}

EditField& EditField::setKeyFilter(const KeyFilter& filter) {
    filter_ = filter;
    return *this;
}

EditField& EditField::setClearOnEntry() {
    clearOnEntry_ = true;
    return *this;
}

EditField& EditField::setFirstClickSelects() {
    firstClickSelects_ = true;
    return *this;
}

EditField& EditField::setEnterCommitsTwice() {
    enterCommitsTwice_ = true;
    return *this;
}

EditField& EditField::setOnEntry(Action action) {
    onEntry_ = std::move(action);
    return *this;
}

EditField& EditField::setOnBlank(Action action) {
    onBlank_ = std::move(action);
    return *this;
}

EditField& EditField::setOnCommit(Action action) {
    onCommit_ = std::move(action);
    return *this;
}

void EditField::keyPressEvent(QKeyEvent* event) {
    const char32_t key = TypedCharacter(event);
    if (!filter_ || key == 0) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const KeyDecision d = FilterKey(*filter_, text().toLatin1().toStdString(), hasSelectedText(), key);
    switch (d.verdict) {
    case KeyVerdict::Pass:
        QLineEdit::keyPressEvent(event);
        return;
    case KeyVerdict::Swallow:
        break;
    case KeyVerdict::Refuse:
        window_.services().messages.show(std::string(d.message.text), std::string(d.message.caption),
                                         iconOf(d.message.icon), MsgButtons::Ok);
        takeFocusBack();
        break;
    case KeyVerdict::Commit:
        if (key == kKeyEnter && enterCommitsTwice_) commit();
        window_.commitEditing();
        break;
    }
    event->accept();
}

void EditField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (returning_ || windowFocusChange(event->reason())) {
        returning_ = false;
        return;
    }
    entered_ = true;
    if (clearOnEntry_) clear();
    if (onEntry_) onEntry_(*this);
}

void EditField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (windowFocusChange(event->reason()) || !entered_) return;
    entered_ = false;
    // A window being closed takes the focus from its fields as well; that is
    // no commit.
    if (!window_.isVisible()) return;
    commit();
}

void EditField::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (!firstClickSelects_ || event->button() != Qt::LeftButton || window_.selectOnFirstClick()) return;
    QString t = text();
    while (!t.isEmpty() && t.back().unicode() <= 0x20) t.chop(1);
    setText(t);
    selectAll();
    window_.setSelectOnFirstClick(true);
}

void EditField::commit() {
    if (firstClickSelects_) window_.setSelectOnFirstClick(false);
    if (onBlank_ && TrimBlanks(text().toLatin1().toStdString()).empty()) {
        onBlank_(*this);
        return;
    }
    if (onCommit_) onCommit_(*this);
}

std::optional<int> EditField::wholeNumber() {
    const std::string t = text().toLatin1().toStdString();
    const auto v = ParseWholeNumber(t);
    if (!v) window_.services().messages.show(NotAWholeNumberMessage(t), window_.appTitle(), MsgIcon::Error, MsgButtons::Ok);
    return v;
}

std::optional<double> EditField::decimalNumber() {
    const std::string t = text().toLatin1().toStdString();
    const auto v = ParseDecimalNumber(t);
    if (!v)
        window_.services().messages.show(NotADecimalNumberMessage(t), window_.appTitle(), MsgIcon::Error, MsgButtons::Ok);
    return v;
}

void EditField::refuse(const std::string& message, MessageStyle style, AfterRefusal focus, const std::string& caption) {
    ShowMessage(window_, style, message, caption);
    if (focus == AfterRefusal::BackToField) takeFocusBack();
    else window_.commitEditing();
}

void EditField::showWhole(int value) { setText(QString::number(value)); }

void EditField::takeFocusBack() {
    if (hasFocus()) return;
    // The field keeps its typed text: coming back is not a new entry, and
    // leaving again repeats the commit.
    returning_ = true;
    setFocus(Qt::OtherFocusReason);
    if (hasFocus()) entered_ = true;
    returning_ = false;
}

void ShowMessage(TfmMain& window, MessageStyle style, const std::string& text, const std::string& caption) {
    switch (style) {
    case MessageStyle::Warning: window.warn(text, caption); return;
    case MessageStyle::Plain: window.plainMessage(text); return;
    case MessageStyle::Filter:
        window.services().messages.show(text, "Warning!", MsgIcon::Error, MsgButtons::Ok);
        return;
    }
}

void WholeNumberCommit::operator()(EditField& field) const {
    const auto v = field.wholeNumber();
    if (!v) return;
    for (const auto& check : checks)
        if (!check.accepts(*v)) {
            field.refuse(check.message, check.style, check.focus, check.caption);
            return;
        }
    if (reshow) field.showWhole(*v);
    if (store) store(*v);
}

std::function<bool(int)> inRange(int low, int high) {
    return [low, high](int v) { return v >= low && v <= high; };
}

namespace {

// Watches a surface and the labels on it. A label is part of the surface it
// sits on, as on the pager bench's original screens; any other control on the
// surface is a surface of its own. Moves over a control without mouse tracking
// never reach its parent, so the labels get tracking as they are shown.
class PointerCommit : public QObject {
public:
    PointerCommit(TfmMain& window, QWidget* surface, bool onPress)
        : QObject(surface), window_(window), surface_(surface), onPress_(onPress) {
        for (QLabel* label : surface->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) watch(label);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == surface_ && event->type() == QEvent::ChildPolished) {
            if (auto* label = qobject_cast<QLabel*>(static_cast<QChildEvent*>(event)->child())) watch(label);
            return false;
        }
        const QEvent::Type wanted = onPress_ ? QEvent::MouseButtonPress : QEvent::MouseMove;
        if (event->type() != wanted) return false;
        if (watched != surface_ || overSurface(static_cast<QMouseEvent*>(event))) window_.commitEditing();
        return false;
    }

private:
    void watch(QLabel* label) {
        if (!onPress_) label->setMouseTracking(true);
        label->installEventFilter(this);
    }

    bool overSurface(const QMouseEvent* event) const {
        QWidget* child = surface_->childAt(event->position().toPoint());
        return !child || (qobject_cast<QLabel*>(child) && child->parentWidget() == surface_);
    }

    TfmMain& window_;
    QWidget* surface_;
    bool onPress_;
};

}  // namespace

void CommitOnPointer(TfmMain& window, QWidget* surface, bool onPress) {
    if (!onPress) surface->setMouseTracking(true);
    surface->installEventFilter(new PointerCommit(window, surface, onPress));
}

}  // namespace km640
