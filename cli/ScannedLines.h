#pragma once
// The labels a barcode scanner types for production --serial-from-stdin,
// line by line. Read from a descriptor, the wait for the next label watches
// the stop signals' pipe as well, so Ctrl-C at the prompt ends the run as
// Ctrl-D does; read from a stream (no descriptor), it is a plain getline.

#include <istream>
#include <ostream>
#include <optional>
#include <string>

namespace km640::cli {

class ScannedLines {
public:
    // inFd: the descriptor behind in, or -1; stopFd: readable once a stop
    // signal arrived, or -1.
    ScannedLines(std::istream* in, int inFd, int stopFd) : in_(in), inFd_(inFd), stopFd_(stopFd) {}

    // The next line without its line end; nothing at the end of the input,
    // when it cannot be read, or once a stop signal arrived.
    std::optional<std::string> next();
    // The next line that is a serial number, without blanks around it;
    // lines that are none are echoed to err (short and escaped) and skipped.
    std::optional<std::string> nextSerial(std::ostream& err);

private:
    std::optional<std::string> nextFromDescriptor();

    std::istream* in_;
    int inFd_;
    int stopFd_;
    std::string buffer_;
    bool ended_ = false;
};

}  // namespace km640::cli
