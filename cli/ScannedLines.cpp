#include "cli/ScannedLines.h"

#include "cli/CliArguments.h"
#include "cli/TerminalText.h"
#include "pager/ProductionLog.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace km640::cli {

std::optional<std::string> ScannedLines::next() {
    if (inFd_ >= 0 && stopFd_ >= 0) return nextFromDescriptor();
    std::string line;
    if (in_ && std::getline(*in_, line)) return line;
    return std::nullopt;
}

std::optional<std::string> ScannedLines::nextSerial(std::ostream& err) {
    while (const auto line = next()) {
        const std::string serial = TrimmedText(*line);
        if (serial.empty()) continue;
        if (const std::string problem = scannedSerialProblem(serial); !problem.empty()) {
            // Whatever the scanner sent, the terminal gets a short, harmless echo.
            err << "km640-cli: \"" << echoedLine(serial) << "\" is not read as a serial number: " << problem
                << "; scan it again.\n";
            continue;
        }
        return serial;
    }
    return std::nullopt;
}

std::optional<std::string> ScannedLines::nextFromDescriptor() {
    for (;;) {
        if (const auto end = buffer_.find('\n'); end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return line;
        }
        if (ended_) {
            if (buffer_.empty()) return std::nullopt;
            return std::exchange(buffer_, {});
        }
        // The operator's next scan may take any time; a stop signal or the
        // end of the input ends the wait.
        pollfd fds[2] = {{stopFd_, POLLIN, 0}, {inFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (fds[0].revents != 0) return std::nullopt;
        if (fds[1].revents == 0) continue;
        char chunk[512];
        const ssize_t n = ::read(inFd_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ended_ = true;
        else
            buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

}  // namespace km640::cli
