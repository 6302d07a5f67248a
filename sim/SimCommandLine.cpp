#include "sim/SimCommandLine.h"

#include <QCommandLineParser>
#include <QHostAddress>
#include <functional>

#include "codeplug/CodePlugImage.h"

namespace km640 {

namespace {

constexpr int kMemorySize = static_cast<int>(kImageSize);
constexpr int kLastBlock = kMemorySize / kBlockSize - 1;

// Decimal, or hexadecimal with 0x.
std::optional<int> number(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok, 0);
    if (!ok || value < low || value > high) return std::nullopt;
    return value;
}

std::optional<std::array<std::uint8_t, 3>> firmware(const QString& text) {
    const auto parts = text.split('.');
    if (parts.size() != 3) return std::nullopt;
    std::array<std::uint8_t, 3> out{};
    for (int i = 0; i < 3; ++i) {
        const auto v = number(parts[i], 0, 255);
        if (!v) return std::nullopt;
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(*v);
    }
    return out;
}

// "127.0.0.1:8641", "localhost:8641" or "[::1]:8641"; nothing but a loopback address.
std::optional<WebSocketEndpoint> webSocketEndpoint(const QString& text) {
    const auto colon = text.lastIndexOf(':');
    if (colon <= 0) return std::nullopt;
    QString host = text.left(colon);
    if (host.startsWith('[') && host.endsWith(']')) host = host.mid(1, host.size() - 2);
    const QHostAddress address(host.compare("localhost", Qt::CaseInsensitive) == 0 ? "127.0.0.1" : host);
    const auto port = number(text.mid(colon + 1), 0, 65535);
    if (address.isNull() || !address.isLoopback() || !port) return std::nullopt;
    return WebSocketEndpoint{address.toString().toStdString(), static_cast<std::uint16_t>(*port)};
}

}  // namespace

SimCommandLine ParseSimCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "A KM640 programmer board with a pager in it, on a pseudo-terminal (or a\n"
        "WebSocket with --websocket). Prints the device path (or the ws:// address)\n"
        "of the board on the first line, then answers the\n"
        "programming tool until it is stopped (Ctrl+C). Blocks are the 32 memory\n"
        "blocks of 64 bytes, numbered from 0 (block 5 is address 320); numbers may\n"
        "also be given in hexadecimal (0x7E0).");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption version("version", "Show the program's version.");
    const QCommandLineOption memory("memory", "Load the pager memory from a code-plug file (.tbl) instead of the built-in code-plug as this program's Write leaves it.", "file");
    const QCommandLineOption save("save", "Write the memory back to the --memory file after every written block.");
    const QCommandLineOption firmwareOpt("firmware", "Firmware version in the board data block (default 1.2.10).", "a.b.c");
    const QCommandLineOption serial("serial", "Serial number of the pager, stored with its correct checksum.", "number");
    const QCommandLineOption serialBlank("serial-blank", "The pager has no serial number (16 bytes 0xFF).");
    const QCommandLineOption serialBad("serial-bad-checksum", "Serial number stored with a wrong checksum.", "number");
    const QCommandLineOption software("software-version", "Version of the program that last wrote the pager, e.g. 116 or 119 (default: as the memory holds it).", "n");
    const QCommandLineOption noPacing("no-pacing", "Answer at once instead of at the pace of a 9600-baud line.");
    const QCommandLineOption silent("silent", "Fault: the board never answers.");
    const QCommandLineOption stopAfter("stop-after-blocks", "Fault: answer the first n memory blocks, then nothing more.", "n");
    const QCommandLineOption wrongChecksum("wrong-checksum", "Fault: every reply carries a wrong checksum.");
    const QCommandLineOption wrongChecksumAt("wrong-checksum-at", "Fault: replies to memory requests at this address carry a wrong checksum.", "address");
    const QCommandLineOption wrongHeader("wrong-header", "Fault: every reply echoes a wrong sub-command (its checksum is right).");
    const QCommandLineOption wrongHeaderAt("wrong-header-at", "Fault: replies to memory requests at this address echo a wrong sub-command.", "address");
    const QCommandLineOption noise("noise", "Fault: two noise bytes before every reply.");
    const QCommandLineOption noiseAt("noise-at", "Fault: two noise bytes before replies to memory requests at this address.", "address");
    const QCommandLineOption noWriteAck("no-write-ack-at-block", "Fault: this block is neither written nor acknowledged.", "block");
    const QCommandLineOption corrupt("corrupt-byte", "Fault: the memory byte at this address reads back inverted.", "address");
    const QCommandLineOption noClockAck("no-clock-ack", "Fault: the clock command is not acknowledged.");
    const QCommandLineOption noResetAck("no-reset-ack", "Fault: the reset command is not acknowledged.");
    const QCommandLineOption websocket("websocket", "Serve the board over a WebSocket on this loopback address instead of a pseudo-terminal, e.g. 127.0.0.1:8641 (port 0: any free port). Prints the board's ws:// address on the first line; binary messages carry the line's bytes.", "address:port");
    parser.addOptions({help, version, memory, save, firmwareOpt, serial, serialBlank, serialBad, software, noPacing, silent,
                       stopAfter, wrongChecksum, wrongChecksumAt, wrongHeader, wrongHeaderAt, noise, noiseAt, noWriteAck,
                       corrupt, noClockAck, noResetAck, websocket});

    SimCommandLine out;
    out.helpText = parser.helpText().replace("<executable_name>", "km640-sim");
    if (!parser.parse(arguments)) {
        out.error = parser.errorText();
        return out;
    }
    out.helpRequested = parser.isSet(help);
    out.versionRequested = parser.isSet(version);
    if (!parser.positionalArguments().isEmpty()) {
        out.error = "Unexpected argument: " + parser.positionalArguments().first();
        return out;
    }

    auto& s = out.settings;
    auto& faults = s.board.faults;
    // Each numeric option: its text, its range and where it goes.
    struct NumericOption {
        const QCommandLineOption& option;
        int low, high;
        std::function<void(int)> store;
    };
    const NumericOption numeric[] = {
        {software, 0, 999, [&](int v) { s.board.softwareVersion = v; }},
        {stopAfter, 0, kLastBlock + 1, [&](int v) { faults.stopAfterBlocks = v; }},
        {wrongChecksumAt, 0, kMemorySize - 1, [&](int v) { faults.wrongChecksum = {true, v}; }},
        {wrongHeaderAt, 0, kMemorySize - 1, [&](int v) { faults.wrongHeader = {true, v}; }},
        {noiseAt, 0, kMemorySize - 1, [&](int v) { faults.noise = {true, v}; }},
        {noWriteAck, 0, kLastBlock, [&](int v) { faults.noWriteAckAtBlock = v; }},
        {corrupt, 0, kMemorySize - 1, [&](int v) { faults.corruptByte = v; }},
    };
    for (const auto& n : numeric) {
        if (!parser.isSet(n.option)) continue;
        const auto value = number(parser.value(n.option), n.low, n.high);
        if (!value) {
            out.error = QString("--%1 takes a number from %2 to %3").arg(n.option.names().first()).arg(n.low).arg(n.high);
            return out;
        }
        n.store(*value);
    }

    if (parser.isSet(firmwareOpt)) {
        const auto version = firmware(parser.value(firmwareOpt));
        if (!version) {
            out.error = "--firmware takes three numbers 0 to 255, e.g. 1.2.10";
            return out;
        }
        s.board.firmware = *version;
    }
    const int serialChoices = int(parser.isSet(serial)) + int(parser.isSet(serialBlank)) + int(parser.isSet(serialBad));
    if (serialChoices > 1) {
        out.error = "Give only one of --serial, --serial-blank and --serial-bad-checksum";
        return out;
    }
    for (const auto* option : {&serial, &serialBad}) {
        if (!parser.isSet(*option)) continue;
        const auto text = parser.value(*option).toLatin1();
        if (text.size() > ident::kSerialNoLength) {
            out.error = QString("A serial number has at most %1 characters").arg(ident::kSerialNoLength);
            return out;
        }
        s.board.serial = option == &serial ? SerialBlockSetting::Number : SerialBlockSetting::WrongChecksum;
        s.board.serialNumber = text.toStdString();
    }
    if (parser.isSet(serialBlank)) s.board.serial = SerialBlockSetting::Blank;

    s.memoryFile = parser.value(memory).toStdString();
    s.save = parser.isSet(save);
    if (s.save && s.memoryFile.empty()) {
        out.error = "--save needs --memory";
        return out;
    }
    if (parser.isSet(websocket)) {
        s.websocket = webSocketEndpoint(parser.value(websocket));
        if (!s.websocket) {
            out.error = "--websocket takes a loopback address and a port, e.g. 127.0.0.1:8641";
            return out;
        }
    }
    s.pacing = !parser.isSet(noPacing);
    faults.silent = parser.isSet(silent);
    faults.noClockAck = parser.isSet(noClockAck);
    faults.noResetAck = parser.isSet(noResetAck);
    if (parser.isSet(wrongChecksum)) faults.wrongChecksum = {true, std::nullopt};
    if (parser.isSet(wrongHeader)) faults.wrongHeader = {true, std::nullopt};
    if (parser.isSet(noise)) faults.noise = {true, std::nullopt};
    return out;
}

}  // namespace km640
