#pragma once
// The production line's daily log: one file per day in the start directory,
// a header line when the file is created, one line per completed run.

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Services.h"

namespace km640 {

// "2012-04-25.log"
std::string DailyLogName(const LocalDateTime& t);
// "-------  KM645 Programming (Barcode) Start ------- \r\n"
std::string DailyLogHeader();
// "2012-04-25 09:30:12  Serial No. = A1B2C3D4E5F6  Write Success !\r\n";
// serial and result are trimmed of blanks.
std::string DailyLogLine(const LocalDateTime& t, const std::string& serial, const std::string& result);

// The log of one production run. Opening creates the day's file, or opens
// an existing one for appending; the header goes into a file that is still
// empty. Several processes (one per board) may log into the same folder at
// once: the header and every line are written under a lock on the file, so
// the header comes once and first and lines never mix. A line is flushed to
// disk as soon as it is written, so a crash right after a run does not lose it.
class ProductionLog {
public:
    // False when the file can be neither created nor opened for appending.
    bool open(const std::filesystem::path& folder, const LocalDateTime& now);
    bool append(const std::string& line);
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    int fd_ = -1;

public:
    ProductionLog() = default;
    ProductionLog(const ProductionLog&) = delete;
    ProductionLog& operator=(const ProductionLog&) = delete;
    ~ProductionLog();
};

}  // namespace km640
