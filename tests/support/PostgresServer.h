#pragma once
// A real PostgreSQL server for tests: initdb into a fresh temporary folder,
// started with pg_ctl, listening on a Unix socket in that folder only (no
// TCP port), and stopped and removed at the end. The server refuses to run
// as root, so a test run by root starts it as the "postgres" user that the
// Debian package creates.

#include <fcntl.h>
#include <signal.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace km640::testing {

class PostgresServer {
public:
    // Where the server programs are: KM640_PG_BINDIR, else the newest
    // /usr/lib/postgresql/<version>/bin, else a folder on PATH with initdb.
    static std::optional<std::filesystem::path> findPrograms() {
        namespace fs = std::filesystem;
        auto complete = [](const fs::path& dir) {
            return fs::exists(dir / "initdb") && fs::exists(dir / "pg_ctl") && fs::exists(dir / "postgres");
        };
        if (const char* given = std::getenv("KM640_PG_BINDIR"); given && *given && complete(given)) return fs::path(given);
        std::vector<std::pair<int, fs::path>> versions;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
            const std::string name = entry.path().filename().string();
            if (!name.empty() && std::all_of(name.begin(), name.end(), ::isdigit) && complete(entry.path() / "bin"))
                versions.emplace_back(std::stoi(name), entry.path() / "bin");
        }
        if (!versions.empty()) return std::max_element(versions.begin(), versions.end())->second;
        if (const char* path = std::getenv("PATH")) {
            std::stringstream dirs(path);
            for (std::string dir; std::getline(dirs, dir, ':');)
                if (!dir.empty() && complete(dir)) return fs::path(dir);
        }
        return std::nullopt;
    }

    // Starts the server; on failure error() says why.
    bool start() {
        namespace fs = std::filesystem;
        const auto programs = findPrograms();
        if (!programs) {
            error_ = "the PostgreSQL server programs (initdb, pg_ctl, postgres) are not installed; "
                     "scripts/deps.sh installs the package postgresql";
            return false;
        }
        bin_ = *programs;
        if (geteuid() == 0) {
            const passwd* user = getpwnam("postgres");
            if (user == nullptr) {
                error_ = "running as root, and there is no user \"postgres\" to run the server as";
                return false;
            }
            uid_ = user->pw_uid;
            gid_ = user->pw_gid;
        }
        char pattern[] = "/tmp/km640-pg-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            error_ = "cannot make a temporary folder";
            return false;
        }
        folder_ = pattern;
        if (uid_ && chown(folder_.c_str(), *uid_, gid_) != 0) {
            error_ = "cannot hand the temporary folder to the postgres user";
            return false;
        }
        const std::string data = (folder_ / "data").string();
        if (run({bin_ / "initdb", "-D", data, "-U", "km640", "-A", "trust", "-E", "UTF8", "--no-locale"}) != 0) {
            error_ = "initdb failed: " + lastOutput();
            return false;
        }
        // No TCP at all: the socket in the folder is the only way in.
        const std::string options = "-c listen_addresses='' -k " + folder_.string() + " -c fsync=off";
        if (run({bin_ / "pg_ctl", "-D", data, "-l", (folder_ / "server.log").string(), "-o", options, "-w", "-t",
                 "60", "start"}) != 0) {
            error_ = "pg_ctl start failed: " + lastOutput() + serverLog();
            return false;
        }
        running_ = true;
        return true;
    }

    // Restarts the server, as an administrator or an update does: every
    // connection is dropped. True when it answers again.
    bool restart() {
        if (!running_) return false;
        const std::string options = "-c listen_addresses='' -k " + folder_.string() + " -c fsync=off";
        return run({bin_ / "pg_ctl", "-D", (folder_ / "data").string(), "-l", (folder_ / "server.log").string(), "-o",
                    options, "-m", "fast", "-w", "-t", "60", "restart"}) == 0;
    }

    // Freezes the server (SIGSTOP to it and every process it started), as a
    // server that hangs or a network that silently drops everything: a
    // connection stays open and nothing answers. thaw() lets it go on.
    bool freeze() { return signalAll(SIGSTOP); }
    bool thaw() { return signalAll(SIGCONT); }

    void stop() {
        thaw();
        if (running_)
            run({bin_ / "pg_ctl", "-D", (folder_ / "data").string(), "-m", "fast", "-w", "stop"});
        running_ = false;
        if (!folder_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(folder_, ec);
            folder_.clear();
        }
    }

    // A new empty database on the server.
    bool createDatabase(const std::string& name) {
        return run({bin_ / "createdb", "-h", folder_.string(), "-U", "km640", name}) == 0;
    }

    // The record URL of a database on the server, through its socket.
    std::string url(const std::string& database) const {
        return "postgresql://km640@/" + database + "?host=" + folder_.string();
    }
    const std::string& error() const { return error_; }
    bool running() const { return running_; }

    PostgresServer() = default;
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;
    ~PostgresServer() { stop(); }

private:
    // The server's process and its children, from its pid file and /proc.
    bool signalAll(int signal) {
        if (!running_) return false;
        std::ifstream pidFile(folder_ / "data" / "postmaster.pid");
        long postmaster = 0;
        if (!(pidFile >> postmaster) || postmaster <= 0) return false;
        std::vector<long> pids{postmaster};
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
            const std::string name = entry.path().filename().string();
            if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) continue;
            std::ifstream stat(entry.path() / "stat");
            std::string line;
            std::getline(stat, line);
            // pid (comm) state ppid ...: the command may hold blanks.
            const auto close = line.rfind(')');
            if (close == std::string::npos) continue;
            std::istringstream rest(line.substr(close + 1));
            std::string state;
            long parent = 0;
            if (rest >> state >> parent && parent == postmaster) pids.push_back(std::stol(name));
        }
        bool all = true;
        for (const long pid : pids) all = ::kill(static_cast<pid_t>(pid), signal) == 0 && all;
        return all;
    }

    // Runs a server program, as the postgres user when this is root, with its
    // output in the folder's command.log; the exit status, or -1.
    int run(const std::vector<std::string>& args) {
        const std::string log = (folder_ / "command.log").string();
        const pid_t child = fork();
        if (child == 0) {
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (out >= 0) {
                dup2(out, STDOUT_FILENO);
                dup2(out, STDERR_FILENO);
            }
            if (uid_) {
                if (out >= 0 && fchown(out, *uid_, gid_) != 0) _exit(126);
                if (setgroups(0, nullptr) != 0 || setgid(gid_) != 0 || setuid(*uid_) != 0) _exit(126);
                setenv("HOME", folder_.c_str(), 1);
            }
            setenv("LC_ALL", "C", 1);
            if (chdir(folder_.c_str()) != 0) _exit(126);
            std::vector<char*> argv;
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        if (child < 0) return -1;
        int status = 0;
        if (waitpid(child, &status, 0) != child) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string fileText(const std::filesystem::path& path) const {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string lastOutput() const { return fileText(folder_ / "command.log"); }
    std::string serverLog() const { return fileText(folder_ / "server.log"); }

    std::filesystem::path bin_;
    std::filesystem::path folder_;
    std::optional<uid_t> uid_;
    gid_t gid_ = 0;
    std::string error_;
    bool running_ = false;
};

}  // namespace km640::testing
