#include "fieldtext/BackupName.h"

#include <cstdio>

namespace km640::fieldtext {

namespace {

std::string serialPart(const CodePlugImage& memory) {
    const auto block = memory.span(ident::kSerialNo, ident::kSerialBlockLength);
    if (SerialBlockBlank(block)) return "noserial";
    if (!SerialBlockValid(block)) return "badserial";
    std::string serial = SerialNumberText(memory);
    if (serial.empty()) return "noserial";
    for (char& c : serial) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-';
        if (!plain) c = '_';
    }
    return serial;
}

}  // namespace

std::string backupFileName(const LocalDateTime& t, const CodePlugImage& memory) {
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return "km640-backup-" + std::string(stamp) + "-" + serialPart(memory) + ".tbl";
}

}  // namespace km640::fieldtext
