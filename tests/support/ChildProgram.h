#pragma once
// A program started as a child process, the way a production line starts
// km640-sim and km640-cli: its standard input and output are pipes the test
// (or benchmark) writes and reads line by line, its standard error goes to
// a file. Reads wait with poll on the pipe, never by spinning; the wait has
// a generous limit only so that a hung child fails the test instead of
// hanging it.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

namespace km640::testing {

class ChildProgram {
public:
    ChildProgram() = default;
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;
    ~ChildProgram() { stop(); }

    bool start(const std::vector<std::string>& argv, const std::string& errFile = "/dev/null") {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0) return false;
        if (::pipe2(out, O_CLOEXEC) != 0) return false;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (err >= 0) ::dup2(err, STDERR_FILENO);
            std::vector<char*> args;
            for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        in_ = in[1];
        out_ = out[0];
        return pid_ > 0;
    }

    // The next line of standard output without its line end; nothing at the
    // end of the output or after timeoutMs without a complete line.
    std::optional<std::string> readLine(int timeoutMs = 120000) {
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            pollfd fd{out_, POLLIN, 0};
            if (out_ < 0 || ::poll(&fd, 1, timeoutMs) != 1) return std::nullopt;
            char chunk[4096];
            const ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0) return std::nullopt;
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    bool write(const std::string& text) {
        return in_ >= 0 && ::write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }
    void closeInput() {
        if (in_ >= 0) ::close(in_);
        in_ = -1;
    }

    // Waits for the end; the exit status, or -1. usage, when given, gets the
    // CPU time the child used.
    int wait(rusage* usage = nullptr) {
        if (pid_ <= 0) return status_;
        int status = 0;
        rusage r{};
        if (::wait4(pid_, &status, 0, &r) == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            usage_ = r;
        }
        pid_ = -1;
        closeInput();
        if (out_ >= 0) ::close(out_);
        out_ = -1;
        if (usage) *usage = usage_;
        return status_;
    }

    void stop() {
        if (pid_ > 0) ::kill(pid_, SIGTERM);
        wait();
    }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int status_ = -1;
    rusage usage_{};
    std::string buffer_;
};

// A km640-sim on its own pseudo-terminal; the device path it prints first.
inline std::optional<std::string> startSimulator(ChildProgram& sim, const std::string& program,
                                                 std::vector<std::string> options) {
    options.insert(options.begin(), program);
    if (!sim.start(options)) return std::nullopt;
    return sim.readLine();
}

}  // namespace km640::testing
