// What km640-cli draws and names on the terminal and on disk: the progress
// line, the terminal view of an operation and the backup file name.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/BoardStatusLines.h"
#include "cli/ProgressLine.h"
#include "cli/TerminalMessages.h"
#include "cli/TerminalText.h"
#include "cli/TerminalView.h"
#include "fieldtext/BackupName.h"

using namespace km640;
using namespace km640::cli;
using namespace km640::fieldtext;

TEST(ProgressLine, CaptionAndGauge) {
    const struct {
        std::string caption;
        GaugeState gauge;
        int width;
        std::string line;
    } cases[] = {
        {"  Target board testing ......", {0, 100, 0, false}, 10, "Target board testing ......"},
        {"Write Now ......", {0, 3200, 0, true}, 10, "Write Now ......  [----------]  0%"},
        {"Write Now ......", {0, 3200, 1635, true}, 10, "Write Now ......  [#####-----]  51%"},
        {" Read Now ......", {0, 3200, 3200, true}, 10, "Read Now ......  [##########]  100%"},
        {" Read Now ......", {0, 3200, 3488, true}, 4, "Read Now ......  [####]  100%"},
        {" Verify Now ......", {100, 100, 50, true}, 4, "Verify Now ......"},
    };
    for (const auto& c : cases) EXPECT_EQ(progressLine(c.caption, c.gauge, c.width), c.line) << c.line;
}

TEST(TerminalView, DrawsOnATerminalOnlyAndClearsForMessages) {
    std::ostringstream quiet;
    {
        TerminalView view(quiet, false, true);
        view.showProgress();
        view.setGaugeRange(0, 3200);
        view.setGaugeVisible(true);
        view.addToGauge(109);
        view.showFirmwareVersion("FirmVer. 1.2.10");
        EXPECT_EQ(view.firmwareText(), "FirmVer. 1.2.10");
        EXPECT_EQ(view.gauge().position, 109);
    }
    EXPECT_EQ(quiet.str(), "");

    std::ostringstream terminal;
    TerminalView view(terminal, true, false);
    TerminalMessages messages(terminal, view);
    EXPECT_FALSE(view.syncClockOnWrite());
    view.setProgressCaption(" Read Now ......");
    view.showProgress();
    view.setGaugeVisible(true);
    view.addToGauge(5000);  // never past the end
    EXPECT_EQ(view.gauge().position, 100);
    view.setProgressCaption("Read");
    EXPECT_EQ(messages.show("Read Serial No. Fail !", "KM640", MsgIcon::Exclamation, MsgButtons::Ok), MsgAnswer::Ok);
    EXPECT_EQ(messages.show("Save default?", "KM640", MsgIcon::Exclamation, MsgButtons::YesNo), MsgAnswer::No);
    const std::string full(30, '#'), empty(30, '-');
    EXPECT_EQ(terminal.str(), "\rRead Now ......"
                              "\rRead Now ......  [" + empty + "]  0%"
                              "\rRead Now ......  [" + full + "]  100%"
                              "\rRead  [" + full + "]  100%" + std::string(11, ' ') + "\rRead  [" + full + "]  100%"
                              "\r" + std::string(44, ' ') + "\r"
                              "Read Serial No. Fail !\nSave default?\n");
    EXPECT_TRUE(messages.lastShown("Save default?"));
    EXPECT_FALSE(messages.portOpenFailed());
    messages.show("Error opening comm port. Port already in use?", "KM640", MsgIcon::None, MsgButtons::Ok);
    EXPECT_TRUE(messages.portOpenFailed());
}

TEST(TerminalView, TellsABoardsProgressAsOneLine) {
    std::ostringstream nowhere;
    TerminalView view(nowhere, false, true);
    std::vector<std::string> seen;
    view.observe([&](const std::string& line) { seen.push_back(line); });
    view.setStatus(1, "  Target board testing ......");
    view.setProgressCaption("Write Now ......");
    view.showProgress();
    view.setGaugeRange(0, 3200);
    view.setGaugeVisible(true);
    for (int block = 0; block < 32; ++block) view.addToGauge(109);  // the gauge stops at its end, the count does not
    view.setProgressCaption(" Write Success !");
    view.closeProgress();
    view.setStatus(1, "  Ready ......");
    ASSERT_EQ(seen.size(), 38u);
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + 5),
              (std::vector<std::string>{"Target board testing ......", "Write Now ......",
                                        "Write Now ......  block 0 of 32", "Write Now ......  block 1 of 32",
                                        "Write Now ......  block 2 of 32"}));
    EXPECT_EQ(seen[34], "Write Now ......  block 32 of 32");
    EXPECT_EQ(seen[35], "Write Success !  block 32 of 32");
    // After the progress window: the activity panel, and nothing once ready.
    EXPECT_EQ(seen[36], "Target board testing ......");
    EXPECT_EQ(seen[37], "");
    EXPECT_EQ(nowhere.str(), "");
}

TEST(BoardStatusLines, MessagesGoAboveTheBoardsLines) {
    std::ostringstream terminal, out;
    {
        BoardStatusLines lines(terminal, true, 2);
        lines.set(0, "ttyUSB0  waiting for a label");
        lines.set(1, "ttyUSB1  waiting for a label");
        lines.prompt("Scan: ");
        lines.lineEchoed();  // the operator's label and Enter on the terminal
        lines.set(0, "ttyUSB0  A1B2C3D4E5F6  Write Now ......  block 3 of 32");
        lines.print(out, "ttyUSB0  2024-05-02 09:30:12  A1B2C3D4E5F6  Write Success !  6.1 s\n");
    }
    const std::string up2 = "\r\x1B[2A\x1B[J", up3 = "\r\x1B[3A\x1B[J";
    const std::string waiting = "ttyUSB1  waiting for a label\n";
    EXPECT_EQ(terminal.str(), "ttyUSB0  waiting for a label\n\n" + up2 + "ttyUSB0  waiting for a label\n" + waiting +
                                  up2 + "ttyUSB0  waiting for a label\n" + waiting + "Scan: " + up3 +
                                  "ttyUSB0  A1B2C3D4E5F6  Write Now ......  block 3 of 32\n" + waiting + "Scan: " +
                                  up2 + "ttyUSB0  A1B2C3D4E5F6  Write Now ......  block 3 of 32\n" + waiting + "Scan: " +
                                  up2 + "ttyUSB0  A1B2C3D4E5F6  Write Now ......  block 3 of 32\n" + waiting);
    EXPECT_EQ(out.str(), "ttyUSB0  2024-05-02 09:30:12  A1B2C3D4E5F6  Write Success !  6.1 s\n");

    // Without a terminal: messages and the prompt as they come, a message
    // never on the prompt's line.
    std::ostringstream plain;
    BoardStatusLines lines(plain, false, 2);
    lines.set(0, "ttyUSB0  waiting for a label");
    lines.prompt("Scan: ");
    lines.prompt("Scan: ");
    lines.print(plain, "km640-cli: ttyUSB1: the board is left out; the other boards go on.\n");
    EXPECT_EQ(plain.str(), "Scan: \nkm640-cli: ttyUSB1: the board is left out; the other boards go on.\n");
}

TEST(BackupName, DateTimeAndSerialNumber) {
    const LocalDateTime t{2010, 3, 7, 0, 14, 5, 9};
    const struct {
        std::function<void(CodePlugImage&)> serial;
        std::string name;
    } cases[] = {
        {[](CodePlugImage& i) { StoreSerialNumber(i, "A1B2C3D4E5F6"); }, "km640-backup-20100307-140509-A1B2C3D4E5F6.tbl"},
        {[](CodePlugImage& i) { StoreSerialNumber(i, "SN/7 x"); }, "km640-backup-20100307-140509-SN_7_x.tbl"},
        {[](CodePlugImage& i) {
             for (int k = 0; k < 16; ++k) i.setByte(1952 + k, 0xFF);
         },
         "km640-backup-20100307-140509-noserial.tbl"},
        {[](CodePlugImage& i) {
             StoreSerialNumber(i, "A1");
             i.setByte(1967, 0);
         },
         "km640-backup-20100307-140509-badserial.tbl"},
    };
    for (const auto& c : cases) {
        CodePlugImage memory;
        c.serial(memory);
        EXPECT_EQ(backupFileName(t, memory), c.name);
    }
}

// Text from outside on its way to a terminal: control characters escaped,
// letters of any language kept.
TEST(TerminalText, ControlCharactersEscaped) {
    const struct {
        std::string text;
        std::string shown;
        bool control;  // refused in a station name
    } cases[] = {
        {"line-2", "line-2", false},
        {"\x1b]0;owned\x07", "\\x1B]0;owned\\x07", true},
        {"a\tb\r\n", "a\\x09b\\x0D\\x0A", true},
        {"back\\slash", "back\\\\slash", false},
        {"del\x7f", "del\\x7F", true},
        {"Linie S\xC3\xBC" "d", "Linie S\xC3\xBC" "d", false},
        {"\xE2\x82\xAC 5", "\xE2\x82\xAC 5", false},       // the euro sign: its second byte is no C1 control
        {"csi\xC2\x9B" "2J", "csi\\xC2\\x9B2J", true},     // C1 CSI written in UTF-8
        {"raw\x9B" "2J", "raw\\x9B2J", true},                 // C1 CSI as one byte
        {"cut\xC3", "cut\\xC3", false},                       // a sequence cut short: escaped, no control
        {"over\xC0\xAF", "over\\xC0\\xAF", false},          // an overlong '/'
    };
    for (const auto& c : cases) {
        EXPECT_EQ(terminalText(c.text), c.shown) << c.shown;
        EXPECT_EQ(holdsControlCharacter(c.text), c.control) << c.shown;
    }
}

TEST(TerminalText, RejectedLineEchoedAtMostFortyColumns) {
    const struct {
        std::string line;
        std::string echoed;
    } cases[] = {
        {"A1B2C3", "A1B2C3"},
        {std::string(40, 'x'), std::string(40, 'x')},
        {std::string(41, 'x'), std::string(37, 'x') + "..."},
        {std::string(5000, 'y'), std::string(37, 'y') + "..."},
        // An escape is never cut in half.
        {std::string(35, 'z') + "\x1b[2J", std::string(35, 'z') + "..."},
        {std::string(30, 'z') + "\x1b[2J" + std::string(20, 'z'), std::string(30, 'z') + "\\x1B[2J..."},
    };
    for (const auto& c : cases) {
        const std::string echoed = echoedLine(c.line);
        EXPECT_EQ(echoed, c.echoed);
        EXPECT_LE(echoed.size(), 40u);
    }
}
