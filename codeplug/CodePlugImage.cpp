#include "codeplug/CodePlugImage.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace km640 {

CodePlugImage::CodePlugImage() = default;

std::uint8_t CodePlugImage::GetBits(int offset, int shift, int width) const {
    const unsigned mask = (1u << width) - 1u;
    return static_cast<std::uint8_t>((byte(offset) >> shift) & mask);
}

void CodePlugImage::SetBits(int offset, int shift, std::uint8_t value, int width) {
    const unsigned mask = ((1u << width) - 1u) << shift;
    const unsigned cleared = byte(offset) & ~mask;
    setByte(offset, static_cast<std::uint8_t>(cleared | (static_cast<unsigned>(value) << shift)));
}

std::uint16_t CodePlugImage::word(int offset) const {
    return static_cast<std::uint16_t>((byte(offset) << 8) | byte(offset + 1));
}

void CodePlugImage::setWord(int offset, std::uint16_t value) {
    setByte(offset, static_cast<std::uint8_t>(value >> 8));
    setByte(offset + 1, static_cast<std::uint8_t>(value & 0xFF));
}

std::string CodePlugImage::text(int offset, int width) const {
    auto s = span(offset, width);
    return std::string(s.begin(), s.end());
}

void CodePlugImage::setText(int offset, int width, std::string_view text) {
    for (int i = 0; i < width; ++i) {
        const auto idx = static_cast<std::size_t>(i);
        setByte(offset + i, idx < text.size() ? static_cast<std::uint8_t>(text[idx]) : ' ');
    }
}

std::span<const std::uint8_t> CodePlugImage::span(int offset, int length) const {
    if (offset < 0 || length < 0 || static_cast<std::size_t>(offset + length) > kImageSize)
        throw std::out_of_range("code-plug range");
    return std::span<const std::uint8_t>(bytes_.data() + offset, static_cast<std::size_t>(length));
}

void CodePlugImage::copyIn(int offset, std::span<const std::uint8_t> source) {
    if (offset < 0 || static_cast<std::size_t>(offset) + source.size() > kImageSize)
        throw std::out_of_range("code-plug range");
    std::copy(source.begin(), source.end(), bytes_.begin() + offset);
}

std::string displayText(std::string_view raw) {
    std::size_t end = raw.size();
    while (end > 0 && static_cast<unsigned char>(raw[end - 1]) <= 0x20) --end;
    return std::string(raw.substr(0, end));
}

namespace {
std::uint16_t sum16(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (auto b : bytes) sum = (sum + b) & 0xFFFFu;
    return static_cast<std::uint16_t>(sum);
}
}  // namespace

std::uint16_t ComputeImageChecksum(const CodePlugImage& image) {
    return sum16(image.span(0, ident::kChecksumSpan));
}

void ImageChecksum(CodePlugImage& image) { image.setWord(ident::kChecksum, ComputeImageChecksum(image)); }

bool ImageChecksumValid(const CodePlugImage& image) {
    return image.word(ident::kChecksum) == ComputeImageChecksum(image);
}

std::uint16_t SerialChecksum(std::span<const std::uint8_t> serialNo14) {
    return sum16(serialNo14.first(ident::kSerialNoLength));
}

void StoreSerialNumber(CodePlugImage& image, std::string_view serial) {
    for (int i = 0; i < ident::kSerialNoLength; ++i) {
        const auto idx = static_cast<std::size_t>(i);
        image.setByte(ident::kSerialNo + i, idx < serial.size() ? static_cast<std::uint8_t>(serial[idx]) : 0);
    }
    image.setWord(ident::kSerialChecksum, SerialChecksum(image.span(ident::kSerialNo, ident::kSerialNoLength)));
}

bool SerialBlockBlank(std::span<const std::uint8_t> block16) {
    for (auto b : block16.first(ident::kSerialBlockLength))
        if (b != 0xFF) return false;
    return true;
}

bool SerialBlockValid(std::span<const std::uint8_t> block16) {
    const auto stored = static_cast<std::uint16_t>((block16[14] << 8) | block16[15]);
    return stored == SerialChecksum(block16);
}

std::string SerialNumberText(const CodePlugImage& image) {
    const auto block = image.span(ident::kSerialNo, ident::kSerialBlockLength);
    if (SerialBlockBlank(block)) return {};
    std::string out;
    for (int i = 0; i < ident::kSerialNoLength && block[static_cast<std::size_t>(i)] != 0; ++i)
        out.push_back(static_cast<char>(block[static_cast<std::size_t>(i)]));
    return out;
}

std::string VersionDigits() {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", std::stoi(std::string(kProgramVersion)));
    return buf;
}

std::string ProgramVersionText() {
    const std::string d = VersionDigits();
    return std::string{d[1], '.', d[2], '.', d[3]};
}

void StampVersion(CodePlugImage& image) {
    const std::string d = VersionDigits();
    image.setByte(ident::kVersionBcd, static_cast<std::uint8_t>(((d[0] << 4) | (d[1] & 0x0F)) & 0xFF));
    image.setByte(ident::kVersionBcd + 1, static_cast<std::uint8_t>(((d[2] << 4) | (d[3] & 0x0F)) & 0xFF));
}

int CodePlugVersion(std::uint8_t b1982, std::uint8_t b1983) {
    return b1982 * 100 + (b1983 >> 4) * 10 + (b1983 & 0x0F);
}

bool CodePlugIsOld(std::uint8_t b1982, std::uint8_t b1983) {
    return CodePlugVersion(b1982, b1983) < 117 || b1982 == 0 || b1982 == 255;
}

void LegacyBatteryPatch(std::span<std::uint8_t> image) {
    image[240] = 149;
    image[241] = 160;
    image[242] = 166;
}

void LegacyBatteryPatch(CodePlugImage& image) { LegacyBatteryPatch(std::span<std::uint8_t>(image.bytes())); }

void WriteModelText(CodePlugImage& image) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s V%s", std::string(kModelName).c_str(), std::string(kProgramVersion).c_str());
    for (int i = 0; i < ident::kModelTextLength; ++i) image.setByte(ident::kModelText + i, static_cast<std::uint8_t>(buf[i]));
}

bool HasModelName(std::span<const std::uint8_t> image) {
    if (image.size() < static_cast<std::size_t>(ident::kModelText) + kModelName.size()) return false;
    for (std::size_t i = 0; i < kModelName.size(); ++i)
        if (image[ident::kModelText + i] != static_cast<std::uint8_t>(kModelName[i])) return false;
    return true;
}

std::uint8_t ThresholdCode(int hundredths) {
    // The pager firmware's own table was built in single precision, so the
    // same roundings are kept here: x * 0.01, * 256, / 3, nearest (ties to even).
    float v = static_cast<float>(hundredths) * 0.01f;
    v = v * 256.0f;
    v = v / 3.0f;
    const float r = std::nearbyint(v);
    if (!(r >= 0.0f)) return 0;
    if (r > 255.0f) return 255;
    return static_cast<std::uint8_t>(r);
}

std::uint8_t ThresholdCodeFromVolts(float volts) {
    float v = volts * 256.0f;
    v = v / 3.0f;
    const float r = std::nearbyint(v);
    if (!(r >= 0.0f)) return 0;
    if (r > 255.0f) return 255;
    return static_cast<std::uint8_t>(r);
}

namespace {
struct ThresholdRow {
    int nbSqlOff, nbSqlOn, nbRssi, wbSqlOff, wbSqlOn, wbRssi;
};
constexpr ThresholdRow kDefaultThresholds[5] = {
    {40, 10, 81, 55, 10, 95}, {45, 15, 81, 55, 15, 95}, {50, 20, 81, 60, 20, 95},
    {55, 25, 81, 60, 45, 95}, {60, 30, 81, 80, 60, 95},
};
}  // namespace

void BuildDefaultThresholds(CodePlugImage& image) {
    for (int k = 0; k < 5; ++k) {
        const auto& row = kDefaultThresholds[k];
        image.setByte(1504 + 3 * k, ThresholdCode(row.nbRssi));
        image.setByte(1505 + 3 * k, ThresholdCode(row.nbSqlOff));
        image.setByte(1506 + 3 * k, ThresholdCode(row.nbSqlOn));
        image.setByte(1520 + 3 * k, ThresholdCode(row.wbRssi));
        image.setByte(1521 + 3 * k, ThresholdCode(row.wbSqlOff));
        image.setByte(1522 + 3 * k, ThresholdCode(row.wbSqlOn));
    }
}

}  // namespace km640
