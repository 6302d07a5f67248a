#pragma once
// Which code-plug a pager was programmed with, as the production record
// keeps it: the SHA-256 of the 2048-byte code-plug with every byte that the
// program or the pager fills in for the moment (clock, serial number and its
// checksum, board data, version stamp, model text, image checksum) as zero.
// So every pager programmed from one code-plug shows the same value, whether
// it came from the window or the command line, and a changed setting shows a
// different one.

#include <string>

#include "codeplug/CodePlugImage.h"

namespace km640 {

// 64 lower-case hexadecimal digits.
std::string CodePlugSha256(const CodePlugImage& image);

// The SHA-256 of a file's bytes as they are (a fleet's roster), the same
// 64 digits.
std::string BytesSha256(const std::string& bytes);

}  // namespace km640
