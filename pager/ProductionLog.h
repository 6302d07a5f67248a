#pragma once
// The production line's daily log: one file per day in the start directory,
// a header line at its top, one line per completed run.

#include <filesystem>
#include <string>

#include "platform/Services.h"

namespace km640 {

// "2012-04-25.log"
std::string DailyLogName(const LocalDateTime& t);
// "-------  KM645 Programming (Barcode) Start ------- \r\n"
std::string DailyLogHeader();
// A serial number as typed or scanned, or an outcome as shown, without the
// blanks, tabs and line ends around it.
std::string TrimmedText(const std::string& text);
// "2012-04-25 09:30:12  Serial No. = A1B2C3D4E5F6  Write Success !\r\n";
// serial and result are trimmed of blanks.
std::string DailyLogLine(const LocalDateTime& t, const std::string& serial, const std::string& result);

// One step on the log: done, or the system's reason why not.
struct LogStep {
    bool ok = false;
    std::string reason;  // "No space left on device", "is a directory", ...
};

// The log of one production run. Several runs, also in other programs, may
// share a day's log: each step holds the file's lock while it writes, and a
// line is flushed to disk before the step reports it written.
class ProductionLog {
public:
    ProductionLog() = default;
    ProductionLog(const ProductionLog&) = delete;
    ProductionLog& operator=(const ProductionLog&) = delete;
    ~ProductionLog();

    // Opens the day's log in folder, creating it when it is new. A log
    // without its header (new, or left empty by a run whose header met a
    // full disk) gets the header first, so it heads every day's log exactly
    // once. Fails when the file can be neither created nor opened, when
    // something other than a file holds its name, or when its header cannot
    // be written; no pager may be programmed then.
    LogStep open(const std::filesystem::path& folder, const LocalDateTime& now);
    // Could open() write the day's log? Leaves no trace: a log that is not
    // there yet is not created (an unnamed file tries the folder instead).
    static LogStep check(const std::filesystem::path& folder, const LocalDateTime& now);
    // Appends one line. A line that cannot be written whole is taken back
    // out, so the log holds whole lines only.
    LogStep append(const std::string& line);
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    int fd_ = -1;
};

}  // namespace km640
