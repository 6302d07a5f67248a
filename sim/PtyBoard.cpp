#include "sim/PtyBoard.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

namespace km640 {

namespace {

[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

}  // namespace

PtyBoard::PtyBoard(PagerBoard board, bool pacing, MemoryHook memoryWritten)
    : line_(std::move(board), pacing, std::move(memoryWritten)) {
    std::array<char, 256> name{};
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    if (openpty(&master_, &slave_, name.data(), &raw, nullptr) != 0) fail("openpty");
    slavePath_ = name.data();
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    // A host that stops reading must not stall the board: what the line
    // cannot take is lost, as on a real port.
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        const int saved = errno;
        close(master_);
        close(slave_);
        errno = saved;
        fail("pipe2");
    }
    thread_ = std::thread([this] { serve(); });
}

PtyBoard::~PtyBoard() {
    Close();
    for (int& fd : wakePipe_) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

void PtyBoard::Close() {
    if (thread_.joinable()) {
        stopping_ = true;
        const char wake = 1;
        (void)!write(wakePipe_[1], &wake, 1);
        thread_.join();
    }
    for (int* fd : {&master_, &slave_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

void PtyBoard::serve() {
    std::array<std::uint8_t, 512> buffer{};
    while (!stopping_) {
        std::array<pollfd, 2> fds{pollfd{master_, POLLIN, 0}, pollfd{wakePipe_[0], POLLIN, 0}};
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if ((fds[0].revents & POLLIN) == 0) {
            // No host side at the moment; wait for one without spinning.
            poll(&fds[1], 1, 20);
            continue;
        }
        const ssize_t n = read(master_, buffer.data(), buffer.size());
        if (n <= 0) continue;
        line_.Receive(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)),
                      std::chrono::steady_clock::now(),
                      [this](std::span<const std::uint8_t> bytes) { (void)!write(master_, bytes.data(), bytes.size()); },
                      stopping_);
    }
}

CodePlugImage PtyBoard::memory() const { return line_.memory(); }

std::optional<PagerBoard::ClockPayload> PtyBoard::lastClockPayload() const { return line_.lastClockPayload(); }

int PtyBoard::resetCount() const { return line_.resetCount(); }

int PtyBoard::writeCount() const { return line_.writeCount(); }

}  // namespace km640
