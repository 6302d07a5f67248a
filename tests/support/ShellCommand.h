#pragma once
// Runs a command line through the shell as a user types it, for the tests
// that drive the installed programs themselves.

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace km640::testing {

struct ProgramRun {
    int status;       // the exit status; -1 when the command did not exit by itself
    std::string out;  // standard output, with standard error when asked for
};

enum class StandardError { Dropped, WithOutput };

inline ProgramRun runProgram(const std::string& command, StandardError err) {
    const std::string redirect = err == StandardError::Dropped ? " 2>/dev/null" : " 2>&1";
    FILE* pipe = popen((command + redirect).c_str(), "r");
    if (pipe == nullptr) return {-1, {}};
    std::string out;
    char buffer[512];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

}  // namespace km640::testing
