#include "link/TCommPort.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <QSerialPort>
#include <algorithm>
#include <cerrno>
#include <chrono>

#include "link/ECommError.h"
#include "link/ReadUnderTimeouts.h"

namespace km640 {

namespace {

using Clock = std::chrono::steady_clock;
using namespace porttimeouts;

// USB serial adapters hold received bytes back for up to 16 ms unless asked
// not to; a board reply then arrives in bursts. Ports that know no such mode
// (pseudo-terminals, some adapters) are fine as they are.
void requestLowLatency(int fd) {
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) != 0) return;
    serial.flags |= ASYNC_LOW_LATENCY;
    (void)ioctl(fd, TIOCSSERIAL, &serial);
}

QSerialPort::Parity qtParity(Parity parity) {
    return parity == Parity::Even ? QSerialPort::EvenParity : QSerialPort::NoParity;
}

}  // namespace

TCommPort::TCommPort() : port_(std::make_unique<QSerialPort>()) {}

TCommPort::~TCommPort() {
    if (port_->isOpen()) port_->close();
}

bool TCommPort::IsOpen() const { return port_->isOpen(); }

bool TCommPort::portFailed() const {
    const auto error = port_->error();
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

void TCommPort::requireOpen() const {
    if (!IsOpen()) throw ECommError(commerror::kNotOpen, 0);
}

bool TCommPort::applySettings() {
    return port_->setBaudRate(static_cast<qint32>(settings_.baudRate)) &&
           port_->setDataBits(static_cast<QSerialPort::DataBits>(settings_.dataBits)) &&
           port_->setParity(qtParity(settings_.parity)) &&
           port_->setStopBits(settings_.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
}

void TCommPort::OpenPort(const LineSettings& settings) {
    if (IsOpen()) return;
    settings_ = settings;
    // Never through a QSerialPortInfo: one built from a pseudo-terminal's path
    // is null. setPortName takes a device name or a full path alike.
    port_->setPortName(QString::fromStdString(name_));
    errno = 0;
    if (!port_->open(QIODevice::ReadWrite)) {
        // Qt's lock file refuses a port another program holds, even to root.
        const ECommError error(commerror::kOpen);
        port_->clearError();
        throw error;
    }
    requestLowLatency(static_cast<int>(port_->handle()));
    if (!applySettings()) {
        const ECommError error(commerror::kSetConfig);
        port_->close();
        port_->clearError();
        throw error;
    }
    port_->clearError();
}

void TCommPort::ClosePort() {
    if (!IsOpen()) return;
    port_->close();
    port_->clearError();
}

void TCommPort::SetPortName(const std::string& name) {
    if (IsOpen()) throw ECommError(commerror::kRenameWhileOpen, 0);
    name_ = name;
}

std::string TCommPort::PortName() const { return name_; }

void TCommPort::SetBaud(std::uint32_t rate) {
    const auto previous = settings_.baudRate;
    settings_.baudRate = rate;
    if (IsOpen() && !port_->setBaudRate(static_cast<qint32>(rate))) {
        const ECommError error(commerror::kSetBaud);
        settings_.baudRate = previous;
        port_->clearError();
        throw error;
    }
}

std::size_t TCommPort::Write(std::span<const std::uint8_t> bytes) {
    requireOpen();
    if (bytes.empty()) return 0;
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(kWriteTotalConstantMs + kWriteTotalPerByteMs * bytes.size());
    // QSerialPort only hands bytes to the device while events run or while
    // waiting for them to be written, so wait here until all have left.
    port_->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    while (port_->bytesToWrite() > 0 && !portFailed()) {
        const int left = MsUntil(deadline);
        if (left == 0 || !port_->waitForBytesWritten(left)) break;
    }
    if (portFailed()) {
        // The device went away under us: nothing can clear that.
        const ECommError error(commerror::kWrite);
        port_->clearError();
        throw error;
    }
    if (port_->bytesToWrite() > 0) {
        // Nobody took the bytes in time. Like a timed-out write they are
        // dropped; the missing reply reports the failure.
        port_->clear(QSerialPort::Output);
    }
    port_->clearError();
    return bytes.size();
}

std::size_t TCommPort::Read(std::span<std::uint8_t> buffer) {
    requireOpen();
    auto failed = [&] {
        const ECommError error(commerror::kRead);
        port_->clearError();
        throw error;
    };
    return ReadUnderTimeouts(
        buffer,
        [&](std::span<std::uint8_t> rest) {
            const qint64 got = port_->read(reinterpret_cast<char*>(rest.data()), static_cast<qint64>(rest.size()));
            if (got < 0 || portFailed()) failed();
            return static_cast<std::size_t>(got);
        },
        [&](int ms) {
            if (port_->waitForReadyRead(ms)) return true;
            if (portFailed()) failed();
            port_->clearError();
            return false;
        });
}

void TCommPort::Purge() {
    requireOpen();
    const bool purged = port_->clear(QSerialPort::Input) && port_->clear(QSerialPort::Output);
    if (!purged) {
        const ECommError error(commerror::kPurge);
        port_->clearError();
        throw error;
    }
}

std::size_t TCommPort::PendingInput() { return WaitForInput(0); }

std::size_t TCommPort::WaitForInput(int ms) {
    requireOpen();
    // bytesAvailable only counts what was pulled in from the device, which
    // happens in the event loop or while waiting. Waiting pulls in whatever
    // the device holds and returns as soon as it had something; with bytes
    // already pulled in, it only looks.
    const int wait = port_->bytesAvailable() > 0 ? 0 : std::max(ms, 0);
    if (!port_->waitForReadyRead(wait)) {
        if (portFailed()) {
            const ECommError error(commerror::kStatus);
            port_->clearError();
            throw error;
        }
        port_->clearError();
    }
    return static_cast<std::size_t>(port_->bytesAvailable());
}

TCommPort& CommPort() {
    static TCommPort port;
    return port;
}

}  // namespace km640
