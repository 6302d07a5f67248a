// Text from outside (station and port names, file names, the record's
// errors) in the window's message boxes and labels is shown as it is: a
// name that looks like markup is not read as rich text.

#include <QLabel>
#include <QMessageBox>
#include <QtTest>

#include "app/RealServices.h"
#include "app/TfmCompare.h"

using namespace km640;

class MessageTextTest : public QObject {
    Q_OBJECT
private slots:
    void messageBoxShowsMarkupAsText();
    void compareNamesThePortAsText();
};

void MessageTextTest::messageBoxShowsMarkupAsText() {
    const std::string texts[] = {
        "Serial No. A1B2C3D4E5F6 was programmed at station <b>line-2</b> (port ttyUSB0)",
        "The production record <img src=\"/etc/passwd\"> cannot be opened",
        "<a href=\"https://example.invalid\">click</a>",
    };
    for (const auto& text : texts) {
        QMessageBox box;
        prepareMessageBox(box, text, "KM640", MsgIcon::Exclamation, MsgButtons::Ok);
        QCOMPARE(box.textFormat(), Qt::PlainText);
        QCOMPARE(box.text(), QString::fromStdString(text));
        // The label the box shows the text in: plain, not interpreted.
        auto* label = box.findChild<QLabel*>("qt_msgbox_label");
        QVERIFY(label != nullptr);
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
}

void MessageTextTest::compareNamesThePortAsText() {
    TfmCompare compare(nullptr);
    const CodePlugImage image;
    compare.showDifferences(image, image, "<b>ttyUSB0</b>");
    auto* label = compare.findChild<QLabel*>("lblCompareSummary");
    QVERIFY(label != nullptr);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QVERIFY(compare.summary().contains("<b>ttyUSB0</b>"));
    compare.close();
}

QTEST_MAIN(MessageTextTest)
#include "MessageTextTest.moc"
