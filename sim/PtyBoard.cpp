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

using Clock = std::chrono::steady_clock;
// One byte at 9600 baud: a start bit, eight data bits and a stop bit.
constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 9600);
// Paced replies go out in groups of this many bytes (about 4 ms of line time).
constexpr std::size_t kBytesPerWrite = 4;

[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

}  // namespace

PtyBoard::PtyBoard(PagerBoard board, bool pacing, MemoryHook memoryWritten)
    : pacing_(pacing), memoryWritten_(std::move(memoryWritten)), board_(std::move(board)) {
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
        const auto arrival = Clock::now();
        std::vector<BoardReply> replies;
        int writesBefore = 0, writesAfter = 0;
        CodePlugImage written;
        {
            std::lock_guard lock(mutex_);
            writesBefore = board_.writeCount();
            replies = board_.Receive(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)));
            writesAfter = board_.writeCount();
            if (writesAfter != writesBefore) written = board_.memory();
        }
        for (const auto& reply : replies) send(reply, arrival);
        if (writesAfter != writesBefore && memoryWritten_) memoryWritten_(written);
    }
}

void PtyBoard::send(const BoardReply& reply, Clock::time_point arrival) {
    if (!pacing_) {
        (void)!write(master_, reply.bytes.data(), reply.bytes.size());
        return;
    }
    // The request itself took its time on the line before the board had it.
    // Bytes go out a few at a time, each group when its last byte is due:
    // the reply ends exactly when a 9600-baud line would end it, and a PC
    // running many boards is not woken for every byte of every board.
    auto slot = arrival + kByteTime * static_cast<long>(reply.requestLength);
    const std::size_t total = reply.bytes.size();
    for (std::size_t sent = 0; sent < total;) {
        if (stopping_) return;
        const std::size_t group = std::min(kBytesPerWrite, total - sent);
        slot += kByteTime * static_cast<long>(group);
        std::this_thread::sleep_until(slot);
        (void)!write(master_, reply.bytes.data() + sent, group);
        sent += group;
    }
}

CodePlugImage PtyBoard::memory() const {
    std::lock_guard lock(mutex_);
    return board_.memory();
}

std::optional<PagerBoard::ClockPayload> PtyBoard::lastClockPayload() const {
    std::lock_guard lock(mutex_);
    return board_.lastClockPayload();
}

int PtyBoard::resetCount() const {
    std::lock_guard lock(mutex_);
    return board_.resetCount();
}

int PtyBoard::writeCount() const {
    std::lock_guard lock(mutex_);
    return board_.writeCount();
}

}  // namespace km640
