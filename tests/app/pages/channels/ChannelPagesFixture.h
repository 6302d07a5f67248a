#pragma once
// The main window offscreen with a channel page in front, and the small moves a
// user makes on it: ticking boxes, picking list entries, typing into fields.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>
#include <vector>

#include "app/EditField.h"
#include "app/pages/channels/TfmPlectronTbl.h"
#include "app/pages/channels/TfmToneTbl.h"
#include "tests/app/MainWindowFixture.h"

namespace km640::testing {

// The spacing message at the built-in decoder bandwidth ("0.7").
inline const std::string kSpacingMessage =
    "Tone Frequency Error!\n\nPlease check the tone spacing rule. \n"
    "[1]Two tones in the same call address should not be the same.\n"
    "[2]Any two tones should be separated by minimum of 0.7%. \n\nThe original tone frequency is restored.";

struct ChannelBench {
    MainWindowFixture f;
    TfmMain& w;

    explicit ChannelBench(Page page = Page::ChF1) : w(f.start()) {
        w.pageControl()->setCurrentWidget(w.page(page));
        if (!QTest::qWaitForWindowActive(&w)) qWarning("the main window did not become active");
    }

    template <class T = QWidget>
    T* get(const QString& name) const {
        T* control = w.findChild<T*>(name);
        if (!control) qFatal("no control %s", qPrintable(name));
        return control;
    }
    EditField* field(const QString& name) const { return get<EditField>(name); }

    void click(const QString& box) { QTest::mouseClick(get<QAbstractButton>(box), Qt::LeftButton, {}, QPoint(6, 6)); }
    // A pick from a list, as the user makes it.
    void choose(const QString& list, int item) {
        auto* box = get<QComboBox>(list);
        box->setCurrentIndex(item);
        emit box->activated(item);
    }
    // Enters a field, types the keys and leaves it through the focus sink.
    void enter(const QString& name) {
        EditField* e = field(name);
        e->setFocus(Qt::MouseFocusReason);
        QVERIFY2(e->hasFocus(), qPrintable(name));
    }
    void typeInto(const QString& name, const char* keys) {
        enter(name);
        QTest::keyClicks(field(name), keys);
        w.commitEditing();
    }

    std::vector<int> bytes(int offset, int count) const {
        std::vector<int> out;
        for (int i = 0; i < count; ++i) out.push_back(w.image().byte(offset + i));
        return out;
    }
    std::vector<std::string> messageTexts() const {
        std::vector<std::string> out;
        for (const auto& m : f.messages.shown) out.push_back(m.text);
        return out;
    }
};

}  // namespace km640::testing
