#include "record/CodePlugFingerprint.h"

#include <QByteArray>
#include <QCryptographicHash>

#include "codeplug/MemoryMap.h"

namespace km640 {

std::string CodePlugSha256(const CodePlugImage& image) {
    CodePlugImage settings = image;
    for (const auto& field : memmap::fields()) {
        if (!field.stamped()) continue;
        for (int offset = field.offset; offset <= field.lastByte(); ++offset)
            settings.setByte(offset, static_cast<std::uint8_t>(settings.byte(offset) & ~field.mask()));
    }
    const QByteArray bytes(reinterpret_cast<const char*>(settings.bytes().data()), static_cast<int>(kImageSize));
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

}  // namespace km640
