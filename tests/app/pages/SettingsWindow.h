#pragma once
// Driving the settings pages of a main window built by MainWindowFixture
// through their real controls: find a control, read what it shows, type into
// a field and leave it, pick a list entry, load an altered code-plug.

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <QtTest>
#include <functional>

#include "app/EditField.h"
#include "app/TfmMain.h"
#include "tests/app/MainWindowFixture.h"

namespace km640::testing {

template <class T = QWidget>
T* control(TfmMain& w, const char* name) {
    return w.findChild<T*>(name);
}

// What a control shows, as one text: a box "on"/"off", a list its entry.
inline QString shown(QWidget* c) {
    if (auto* b = qobject_cast<QAbstractButton*>(c)) return b->isChecked() ? "on" : "off";
    if (auto* e = qobject_cast<QLineEdit*>(c)) return e->text();
    if (auto* l = qobject_cast<QComboBox*>(c)) return l->currentText();
    if (auto* s = qobject_cast<QSlider*>(c)) return QString::number(s->value());
    if (auto* l = qobject_cast<QLabel*>(c)) return l->text();
    return "?";
}

// Starts the window and waits until it holds the keyboard focus, so that
// fields can be entered and left.
// One control as a new user finds it: on its page, showing a value, usable or not.
struct ShownControl {
    const char* name;
    Page page;
    const char* shows;
    bool enabled;
};

inline void verifyShown(TfmMain& w, std::initializer_list<ShownControl> rows) {
    for (const auto& r : rows) {
        QWidget* c = w.findChild<QWidget*>(r.name);
        QVERIFY2(c, r.name);
        QVERIFY2(w.page(r.page)->isAncestorOf(c), r.name);
        QCOMPARE(shown(c), QString(r.shows));
        QVERIFY2(c->isEnabled() == r.enabled, r.name);
    }
}

inline TfmMain& startActive(MainWindowFixture& f) {
    TfmMain& w = f.start();
    w.resize(1300, 900);
    if (!QTest::qWaitForWindowActive(&w)) qWarning("the main window did not become active");
    return w;
}

// Replaces the image as Open does and shows it.
inline void load(TfmMain& w, const std::function<void(CodePlugImage&)>& change) {
    CodePlugImage img = DefaultImage();
    change(img);
    w.image() = img;
    w.RefreshAll();
}

// Types a sequence: '\b' is Backspace, '\r' is Enter, anything else itself.
inline void type(QWidget* w, const char* keys) {
    for (const char* k = keys; *k; ++k) {
        if (*k == '\b') QTest::keyClick(w, Qt::Key_Backspace);
        else if (*k == '\r') QTest::keyClick(w, Qt::Key_Return);
        else QTest::keyClick(w, *k);
    }
}

// Shows the page holding a control, as the user does before using it.
inline void showPageOf(TfmMain& w, QWidget* c) {
    QTabWidget* pages = w.pageControl();
    for (int k = 0; k < pages->count(); ++k)
        if (pages->widget(k)->isAncestorOf(c)) pages->setCurrentIndex(k);
}

// Enters a field, types over whatever it shows, and leaves it through the
// focus sink, which commits it.
inline EditField* enter(TfmMain& w, const char* name, const char* keys) {
    auto* e = control<EditField>(w, name);
    if (!e) return nullptr;
    showPageOf(w, e);
    e->setFocus(Qt::MouseFocusReason);
    if (!e->hasFocus()) QTest::qFail(qPrintable(e->objectName() + " cannot be entered"), __FILE__, __LINE__);
    e->selectAll();
    type(e, keys);
    if (e->hasFocus()) w.commitEditing();
    return e;
}

// Picks a list entry by its text as the user does.
inline void pick(TfmMain& w, const char* name, const char* entry) {
    auto* list = control<QComboBox>(w, name);
    showPageOf(w, list);
    const int index = list->findText(entry);
    QVERIFY2(index >= 0, entry);
    list->setCurrentIndex(index);
    emit list->activated(index);
}

inline void click(TfmMain& w, const char* name) {
    auto* b = control<QAbstractButton>(w, name);
    showPageOf(w, b);
    b->click();
}

}  // namespace km640::testing
