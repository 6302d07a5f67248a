// One code-plug file written to a pager by the window (Open, then Write) and
// by km640-cli write, for ordinary and hostile code-plugs: both normalise it
// the same way, so both pagers end with the same bytes. What the window holds
// and says on opening the file is what the normalisation says.

#include <QCheckBox>
#include <QTableWidget>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "app/TfmCompare.h"
#include "cli/CliRunner.h"
#include "settings/CodePlugNormalisation.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/BoardFixture.h"
#include "tests/support/HostileImages.h"

using namespace km640;
using namespace km640::testing;

namespace {

BoardOptions numberedPager() {
    BoardOptions options;
    options.serial = SerialBlockSetting::Number;
    options.serialNumber = "A1B2C3D4E5F6";
    options.softwareVersion = 119;
    return options;
}

void saveFile(const std::string& path, const CodePlugImage& image) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.bytes().data()), static_cast<std::streamsize>(kImageSize));
}

// The bytes of a file as Open takes them, before it shows them.
CodePlugImage asOpened(CodePlugImage file) {
    if (CodePlugIsOld(file.byte(ident::kVersionBcd), file.byte(ident::kVersionBcd + 1))) LegacyBatteryPatch(file);
    return file;
}

}  // namespace

class WindowAndCliWriteTest : public QObject {
    Q_OBJECT
private slots:
    void bothWriteTheBytesOfTheNormalisation();
    void compareAndDiffNameTheSameFields();
};

void WindowAndCliWriteTest::bothWriteTheBytesOfTheNormalisation() {
    for (const auto& [what, image] : hostileImages()) {
        const QByteArray name = QByteArray::fromStdString(what);
        MainWindowFixture f;
        const std::string file = f.path("bench.tbl");
        saveFile(file, image);

        auto windowPager = StartBoard(ProgrammedDefaultImage(), numberedPager());
        f.devices.records = DevicesWithBoard(*windowPager);
        TfmMain& w = f.start();
        f.dialogs.openAnswers.push_back(file);
        w.OpenCodePlug();

        CodePlugImage expected = asOpened(image);
        const Normalisation normalisation = normaliseCodePlug(expected);
        StampVersion(expected);
        QVERIFY2(w.image() == expected, name);
        QCOMPARE(f.messages.shown.size(), normalisation.messages.size());
        for (std::size_t k = 0; k < normalisation.messages.size(); ++k) {
            const RefreshMessage& said = normalisation.messages[k];
            const ShownMessage& shown = f.messages.shown[k];
            QVERIFY2(shown.text == said.text && shown.caption == said.caption && shown.icon == said.icon &&
                         shown.buttons == MsgButtons::Ok,
                     name + ": message " + QByteArray::number(qulonglong(k)));
        }
        f.messages.clear();
        w.Write1Click();
        QCOMPARE(w.statusText(0), QString(" Write Success !"));

        auto cliPager = StartBoard(ProgrammedDefaultImage(), numberedPager());
        std::ostringstream out, err;
        cli::PortSystemView system;
        system.self = getpid();
        cli::CliContext context{out, err, false, f.clock, f.devices, system};
        const std::vector<std::string> args = {"write", "--port", cliPager->slavePath(), file};
        QCOMPARE(cli::runCli(args, context), 0);
        // Each message the window showed is a line on standard error.
        const std::string said = err.str();
        std::size_t lines = 0;
        for (std::size_t at = 0; (at = said.find("km640-cli: " + file + ": ", at)) != std::string::npos; ++at) ++lines;
        QCOMPARE(lines, normalisation.messages.size());

        for (int k = 0; k < static_cast<int>(kImageSize); ++k)
            QVERIFY2(cliPager->memory().byte(k) == windowPager->memory().byte(k),
                     name + ": byte " + QByteArray::number(k));
    }
}

// The window's Compare and km640-cli diff --port take the same bytes from the
// pager (clock setting, version stamp, serial number, board data, image
// checksum), so for one pager and one file they name the same fields (the
// window as diff --labels does) and the pager by the same device path.
void WindowAndCliWriteTest::compareAndDiffNameTheSameFields() {
    CodePlugImage pagerMemory = ProgrammedDefaultImage();
    const std::uint8_t clock[] = {0x30, 0x15, 0x09, 0x04, 0x10, 0x12, 0x26};
    pagerMemory.copyIn(160, clock);
    ImageChecksum(pagerMemory);
    auto pager = StartBoard(pagerMemory, numberedPager());

    MainWindowFixture f;
    CodePlugImage file = ProgrammedDefaultImage();
    file.setText(1600, 12, "NIGHT");
    file.setByte(36, 121);
    const std::string path = f.path("bench.tbl");
    saveFile(path, file);
    f.devices.records = DevicesWithBoard(*pager);
    TfmMain& w = f.start();
    f.dialogs.openAnswers.push_back(path);
    w.OpenCodePlug();
    w.Compare1Click();
    // Stamped fields too: those are the ones the pager's bytes decide.
    w.fmCompare().showStamped()->click();
    QVERIFY(w.fmCompare().showStamped()->isChecked());
    const QTableWidget& grid = *w.fmCompare().grid();
    std::vector<std::string> shown;
    for (int r = 0; r < grid.rowCount(); ++r) shown.push_back(grid.item(r, 0)->text().toStdString());
    QVERIFY2(w.fmCompare().summary().contains(QString::fromStdString(pager->slavePath())),
             qPrintable(w.fmCompare().summary()));

    std::ostringstream out, err;
    cli::PortSystemView system;
    system.self = getpid();
    cli::CliContext context{out, err, false, f.clock, f.devices, system};
    const std::vector<std::string> args = {"diff", "--port", pager->slavePath(), path, "--labels"};
    QCOMPARE(cli::runCli(args, context), 1);
    std::vector<std::string> named;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("---", 0) != 0 && line.rfind("+++", 0) != 0)
            named.push_back(line.substr(0, line.rfind(" (", line.find("): "))));
    QCOMPARE(shown, named);
    QCOMPARE(shown, (std::vector<std::string>{"Status Setting › Call Remind Tone › Repetition Time",
                                              "Profiles › Profile 2 › Name"}));
}

QTEST_MAIN(WindowAndCliWriteTest)
#include "WindowAndCliWriteTest.moc"
