#include "web/port/BrowserSerialPort.h"

#include <emscripten.h>

#include <algorithm>
#include <chrono>

#include "link/ECommError.h"
#include "link/ReadUnderTimeouts.h"

// The line's side in JavaScript. Negative results mean the line failed (the
// port was unplugged, the WebSocket closed).
EM_ASYNC_JS(int, km640_line_open, (const char* name, int baudRate, int dataBits, int evenParity, int stopBits), {
    return await Module.km640Line.open(UTF8ToString(name), {
        baudRate: baudRate, dataBits: dataBits, parity: evenParity ? "even" : "none", stopBits: stopBits
    });
});
EM_ASYNC_JS(void, km640_line_close, (), { await Module.km640Line.close(); });
// The bytes taken, or 0 when the line did not take them within timeoutMs.
EM_ASYNC_JS(int, km640_line_write, (const std::uint8_t* bytes, int count, int timeoutMs), {
    return await Module.km640Line.write(HEAPU8.slice(bytes, bytes + count), timeoutMs);
});
// Bytes received and not taken yet.
EM_JS(int, km640_line_pending, (), { return Module.km640Line.pending(); });
EM_JS(int, km640_line_take, (std::uint8_t* buffer, int count), {
    const bytes = Module.km640Line.take(count);
    HEAPU8.set(bytes, buffer);
    return bytes.length;
});
EM_JS(void, km640_line_clear, (), { Module.km640Line.clear(); });
// Resolves with the bytes waiting as soon as there are any, or after timeoutMs with 0.
EM_ASYNC_JS(int, km640_line_wait, (int timeoutMs), { return await Module.km640Line.waitForInput(timeoutMs); });

namespace km640 {

namespace {

using namespace porttimeouts;

}  // namespace

BrowserSerialPort::~BrowserSerialPort() {
    if (open_) km640_line_close();
}

void BrowserSerialPort::requireOpen() const {
    if (!open_) throw ECommError(commerror::kNotOpen, 0);
}

void BrowserSerialPort::OpenPort(const LineSettings& settings) {
    if (open_) return;
    settings_ = settings;
    if (km640_line_open(name_.c_str(), static_cast<int>(settings.baudRate), settings.dataBits,
                        settings.parity == Parity::Even ? 1 : 0, settings.stopBits) < 0)
        throw ECommError(commerror::kOpen, 0);
    open_ = true;
}

void BrowserSerialPort::ClosePort() {
    if (!open_) return;
    open_ = false;
    km640_line_close();
}

void BrowserSerialPort::SetPortName(const std::string& name) {
    if (open_) throw ECommError(commerror::kRenameWhileOpen, 0);
    name_ = name;
}

void BrowserSerialPort::SetBaud(std::uint32_t rate) {
    if (open_ && rate != settings_.baudRate) throw ECommError(commerror::kSetBaud, 0);
    settings_.baudRate = rate;
}

std::size_t BrowserSerialPort::Write(std::span<const std::uint8_t> bytes) {
    requireOpen();
    if (bytes.empty()) return 0;
    const int timeoutMs = kWriteTotalConstantMs + kWriteTotalPerByteMs * static_cast<int>(bytes.size());
    // Bytes the line did not take in time are dropped, as on the desktop:
    // the missing reply reports the failure.
    if (km640_line_write(bytes.data(), static_cast<int>(bytes.size()), timeoutMs) < 0)
        throw ECommError(commerror::kWrite, 0);
    return bytes.size();
}

std::size_t BrowserSerialPort::Read(std::span<std::uint8_t> buffer) {
    requireOpen();
    return ReadUnderTimeouts(
        buffer,
        [](std::span<std::uint8_t> rest) {
            return static_cast<std::size_t>(km640_line_take(rest.data(), static_cast<int>(rest.size())));
        },
        [](int ms) {
            const int waited = km640_line_wait(ms);
            if (waited < 0) throw ECommError(commerror::kRead, 0);
            return waited > 0;
        });
}

void BrowserSerialPort::Purge() {
    requireOpen();
    km640_line_clear();
}

std::size_t BrowserSerialPort::PendingInput() {
    requireOpen();
    const int pending = km640_line_pending();
    if (pending < 0) throw ECommError(commerror::kStatus, 0);
    return static_cast<std::size_t>(pending);
}

std::size_t BrowserSerialPort::WaitForInput(int ms) {
    if (const std::size_t pending = PendingInput(); pending > 0) return pending;
    const int waited = km640_line_wait(std::max(ms, 0));
    if (waited < 0) throw ECommError(commerror::kStatus, 0);
    return static_cast<std::size_t>(waited);
}

}  // namespace km640
