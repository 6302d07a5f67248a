#pragma once
// An offscreen screen of the size KM640_TEST_SCREEN gives ("1366x768", the
// default), for the tests of how windows fit small screens. Call before the
// QApplication is made; dir keeps the platform's screen description.

#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace km640::testing {

inline bool useTestScreen(const QTemporaryDir& dir) {
    const QStringList size = qEnvironmentVariable("KM640_TEST_SCREEN", "1366x768").split('x');
    const QString config = dir.path() + "/screens.json";
    QFile file(config);
    if (size.size() != 2 || !file.open(QIODevice::WriteOnly)) return false;
    file.write(QString(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": %1, "height": %2, "logicalDpi": 96}]})")
                   .arg(size[0], size[1])
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
    return true;
}

}  // namespace km640::testing
