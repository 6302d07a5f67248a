#include "record/CodePlugFingerprint.h"

#include <QByteArray>
#include <QCryptographicHash>

#include "codeplug/MemoryMap.h"

namespace km640 {

std::string CodePlugSha256(const CodePlugImage& image) {
    static const auto stamped = memmap::bitsOfFields(memmap::FieldFlag::Stamped);
    CodePlugImage settings = image;
    for (int offset = 0; offset < static_cast<int>(kImageSize); ++offset)
        settings.setByte(offset, static_cast<std::uint8_t>(settings.byte(offset) & ~stamped[static_cast<std::size_t>(offset)]));
    const QByteArray bytes(reinterpret_cast<const char*>(settings.bytes().data()), static_cast<int>(kImageSize));
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

std::string BytesSha256(const std::string& bytes) {
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

}  // namespace km640
