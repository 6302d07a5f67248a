#pragma once
// Rosters that passed their check against a line's code-plug. Checking a
// fleet's roster applies every row (over a second for ten thousand rows), and
// a script that runs `production --serial` once per pager would pay that for
// every pager; a roster already passed with this very code-plug is only read.
// A pass is kept for the run in memory (every board of a line) and across
// runs as a small file in the user's cache folder, named by the SHA-256 of
// the roster's bytes and of the code-plug's bytes. A file is believed only
// when it holds exactly the entry this program version would write for both;
// anything else is ignored and written afresh after the next pass. A failed
// check is never kept: its problems are reported each time.

#include <filesystem>
#include <mutex>
#include <set>
#include <string>

#include "codeplug/CodePlugImage.h"

namespace km640::cli {

class RosterCheckCache {
public:
    // folder empty: kept in memory only.
    explicit RosterCheckCache(std::filesystem::path folder) : folder_(std::move(folder)) {}

    bool passed(const std::string& rosterBytes, const CodePlugImage& line);
    void rememberPassed(const std::string& rosterBytes, const CodePlugImage& line);

private:
    struct Entry {
        std::string name;  // the file's name
        std::string text;  // what the file holds
    };
    static Entry entryOf(const std::string& rosterBytes, const CodePlugImage& line);

    std::filesystem::path folder_;
    std::mutex mutex_;
    std::set<std::string> passed_;  // entry names
};

}  // namespace km640::cli
