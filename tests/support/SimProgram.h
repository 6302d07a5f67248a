#pragma once
// The km640-sim program started as a user starts it, in a child process
// whose simulator announcements go to a folder of the test's own.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace km640::testing {

class SimProgram {
public:
    SimProgram(const std::string& program, const std::vector<std::string>& args,
               const std::filesystem::path& runtimeDir) {
        int out[2];
        if (pipe(out) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        stdout_ = out[0];
    }
    SimProgram(const SimProgram&) = delete;
    SimProgram& operator=(const SimProgram&) = delete;
    ~SimProgram() {
        if (pid_ > 0) Stop();
        close(stdout_);
    }

    // The first line of output (the board's port); empty if the program
    // ended or said nothing for long.
    std::string FirstLine() {
        std::string line;
        char c = 0;
        pollfd fd{stdout_, POLLIN, 0};
        while (poll(&fd, 1, 20000) == 1 && read(stdout_, &c, 1) == 1 && c != '\n') line.push_back(c);
        return line;
    }
    // Ends the program as Ctrl+C would; returns its exit status.
    int Stop() {
        kill(pid_, SIGTERM);
        return Wait();
    }
    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
};

}  // namespace km640::testing
