#include "cli/RosterCheckCache.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/RegularFile.h"
#include "record/CodePlugFingerprint.h"

namespace km640::cli {

namespace fs = std::filesystem;

RosterCheckCache::Entry RosterCheckCache::entryOf(const std::string& rosterBytes, const CodePlugImage& line) {
    const auto& image = line.bytes();
    const std::string roster = BytesSha256(rosterBytes);
    const std::string codePlug = BytesSha256(std::string(image.begin(), image.end()));
    return {"roster-" + roster + "-" + codePlug,
            "km640 roster check\nprogram " + ProgramVersionText() + "\nroster " + roster + "\ncode-plug " + codePlug +
                "\npassed\n"};
}

bool RosterCheckCache::passed(const std::string& rosterBytes, const CodePlugImage& line) {
    const Entry entry = entryOf(rosterBytes, line);
    std::lock_guard lock(mutex_);
    if (passed_.contains(entry.name)) return true;
    if (folder_.empty()) return false;
    const WholeFile file = ReadWholeRegularFile(folder_ / entry.name, entry.text.size());
    if (!file.ok() || file.bytes != entry.text) return false;
    passed_.insert(entry.name);
    return true;
}

void RosterCheckCache::rememberPassed(const std::string& rosterBytes, const CodePlugImage& line) {
    const Entry entry = entryOf(rosterBytes, line);
    std::lock_guard lock(mutex_);
    passed_.insert(entry.name);
    if (folder_.empty()) return;
    // Written beside its place and renamed into it, so that another station
    // reading it at this moment finds the old file or the whole new one. A
    // cache that cannot be written only costs the next run its check.
    std::error_code ec;
    fs::create_directories(folder_, ec);
    std::string temp = (folder_ / (".roster-XXXXXX")).string();
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return;
    const bool written = WriteAndFlush(fd, entry.text.data(), entry.text.size());
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), (folder_ / entry.name).c_str()) != 0)
        ::unlink(temp.c_str());
}

}  // namespace km640::cli
