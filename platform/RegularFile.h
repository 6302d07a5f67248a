#pragma once
// Opening files that must be regular files: code-plugs and the production
// log. A named pipe in their place would make a plain open wait forever for
// a writer, a device would be opened (and a serial line's control lines
// raised), and a directory would only fail later with a vague read error;
// all of them are refused at once, with what the path really is.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace km640 {

// What path is when it exists as something other than a regular file:
// "is a directory", "is a named pipe, not a regular file", ...; empty for a
// regular file (or a link to one) and for a path that does not exist.
std::string NotRegularFileReason(const std::filesystem::path& path);

struct OpenedFile {
    int fd = -1;         // open descriptor, or -1
    std::string reason;  // why not: what the path is, or the system's error text
    bool notAFile = false;  // the path is there, but is no regular file
    bool ok() const { return fd >= 0; }
};

// Opens path with the open(2) flags given (O_CLOEXEC is added), never
// blocking on what it finds; only a regular file is handed back. The caller
// closes the descriptor.
OpenedFile OpenRegularFile(const std::filesystem::path& path, int flags, mode_t mode = 0644);

struct WholeFile {
    std::string bytes;   // the file, or its first maxBytes + 1 bytes when it is larger
    std::string reason;  // empty when read; else what the path is or the system's error text
    bool notAFile = false;  // the path is there, but is no regular file
    bool larger = false;    // the file holds more than maxBytes
    bool ok() const { return reason.empty(); }
};

// Reads a regular file (a roster, a code-plug text) whole, but never more
// than one byte past maxBytes: a huge file is seen to be too large without
// being read into memory.
WholeFile ReadWholeRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

// Writes all size bytes at data to fd, going on after interrupted and partial
// writes, then flushes them to disk. False, with errno set, when a step fails.
bool WriteAndFlush(int fd, const void* data, std::size_t size);

// The system's text for errno now ("No space left on device").
std::string SystemErrorText();

}  // namespace km640
