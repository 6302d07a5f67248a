#pragma once
// The main window offscreen with helpers to drive the profile page, the
// channel groups and the squelch tables through their real controls.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QtTest>

#include "app/TfmMain.h"
#include "tests/app/MainWindowFixture.h"

namespace km640::testing {

struct ProfileWindow {
    MainWindowFixture f;
    TfmMain& w;

    ProfileWindow() : w(f.start()) {
        w.resize(1200, 950);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

    template <class T = QWidget>
    T* get(const QString& name) const {
        T* control = w.findChild<T*>(name);
        if (!control) qFatal("no control %s", qPrintable(name));
        return control;
    }

    // Brings the pages that hold a control to the front, as a user does
    // before working with it.
    void reveal(QWidget* control) const {
        for (QWidget* c = control; c && c != &w; c = c->parentWidget())
            if (auto* stack = qobject_cast<QStackedWidget*>(c->parentWidget())) stack->setCurrentWidget(c);
    }

    // Enters a field, types, and leaves it through the focus sink.
    void enterText(const QString& name, const char* keys) const {
        auto* field = get<QLineEdit>(name);
        reveal(field);
        field->setFocus(Qt::MouseFocusReason);
        QVERIFY(field->hasFocus());
        QTest::keyClicks(field, keys);
        w.commitEditing();
    }

    // Picks an entry of a list as a user does.
    void pick(const QString& name, int entry) const {
        auto* list = get<QComboBox>(name);
        reveal(list);
        QVERIFY(list->isEnabled());
        list->setCurrentIndex(entry);
        emit list->activated(entry);
    }

    void click(const QString& name) const {
        QWidget* control = get(name);
        reveal(control);
        QVERIFY(control->isEnabled());
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
    }

    QString text(const QString& name) const {
        if (auto* list = w.findChild<QComboBox*>(name)) return list->currentText();
        if (auto* label = w.findChild<QLabel*>(name)) return label->text();
        return get<QLineEdit>(name)->text();
    }

    std::uint8_t byte(int offset) const { return w.image().byte(offset); }
    std::string lastMessage() const { return f.messages.last(); }
    std::string lastCaption() const { return f.messages.shown.empty() ? "" : f.messages.shown.back().caption; }
};

}  // namespace km640::testing
