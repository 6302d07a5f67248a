#pragma once
// The name a pager's backup is saved under before a write: the date, the time
// and the pager's serial number, so backups of many pagers can share a folder
// and each can be put back on its own pager.

#include <string>

#include "codeplug/CodePlugImage.h"
#include "platform/Services.h"

namespace km640::fieldtext {

// "km640-backup-20100307-140509-A1B2C3D4E5F6.tbl"; "noserial" for a pager
// without a serial number, "badserial" for one whose serial block fails its
// checksum. Characters that do not belong in a file name become "_".
std::string backupFileName(const LocalDateTime& t, const CodePlugImage& memory);

}  // namespace km640::fieldtext
