#pragma once
// The pager's 2048-byte settings memory as the program edits it. Offsets are
// pager memory addresses; wider numbers are big-endian; texts are fixed width
// and blank filled.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace km640 {

constexpr std::size_t kImageSize = 2048;

// Offsets of the identification and integrity block at the end of the image.
namespace ident {
constexpr int kChecksum = 1950;        // ImageChecksum, covers bytes 0..1949
constexpr int kChecksumSpan = 1950;
constexpr int kSerialNo = 1952;        // up to 14 ASCII characters, zero padded
constexpr int kSerialNoLength = 14;
constexpr int kSerialChecksum = 1966;  // sum of 1952..1965
constexpr int kSerialBlockLength = 16; // serial number and its checksum
constexpr int kModelText = 1968;       // "KM640 V119"
constexpr int kModelTextLength = 10;
constexpr int kVersionBcd = 1982;
constexpr int kInitTag = 2000;
constexpr int kPagerInfoBlock = 2016;  // firmware version and board data
constexpr int kPagerInfoLength = 32;
}  // namespace ident

constexpr std::string_view kModelName = "KM640";
constexpr std::string_view kProgramVersion = "119";

class CodePlugImage {
public:
    using Bytes = std::array<std::uint8_t, kImageSize>;

    CodePlugImage();  // starts with zeros; see DefaultImage() for the built-in code-plug

    // Bit field (offset, shift, width): (byte >> shift) & (2^width - 1), width 1..8.
    std::uint8_t GetBits(int offset, int shift, int width) const;
    // Clears the width bits at shift and ORs value << shift in. Like the pager's
    // own editors the value is not masked: callers pass values that fit.
    void SetBits(int offset, int shift, std::uint8_t value, int width);

    std::uint8_t byte(int offset) const { return bytes_.at(static_cast<std::size_t>(offset)); }
    void setByte(int offset, std::uint8_t value) { bytes_.at(static_cast<std::size_t>(offset)) = value; }

    // 16-bit big-endian word.
    std::uint16_t word(int offset) const;
    void setWord(int offset, std::uint16_t value);

    // Raw fixed-width text, exactly width characters.
    std::string text(int offset, int width) const;
    // Stores text left-aligned, cut to width and padded with blanks.
    void setText(int offset, int width, std::string_view text);

    std::span<const std::uint8_t> span(int offset, int length) const;
    void copyIn(int offset, std::span<const std::uint8_t> source);

    const Bytes& bytes() const { return bytes_; }
    Bytes& bytes() { return bytes_; }

    bool operator==(const CodePlugImage&) const = default;

private:
    Bytes bytes_{};
};

// How a text field is shown: trailing blanks and control characters (every
// character up to 0x20) removed, leading blanks kept.
std::string displayText(std::string_view raw);

// 16-bit sum of bytes 0..1949 stored big-endian at 1950..1951.
std::uint16_t ComputeImageChecksum(const CodePlugImage& image);
void ImageChecksum(CodePlugImage& image);
bool ImageChecksumValid(const CodePlugImage& image);

// 16-bit sum of the serial number bytes 1952..1965.
std::uint16_t SerialChecksum(std::span<const std::uint8_t> serialNo14);
// Stores a serial number (up to 14 characters, zero padded) and its checksum.
void StoreSerialNumber(CodePlugImage& image, std::string_view serial);
// A serial block (16 bytes: number and checksum) of all 0xFF means "no serial number".
bool SerialBlockBlank(std::span<const std::uint8_t> block16);
// Checks a 16-byte serial block read from a pager against its own checksum.
bool SerialBlockValid(std::span<const std::uint8_t> block16);
// The serial number as the window shows it: empty for a blank block, else the
// characters up to the first zero byte.
std::string SerialNumberText(const CodePlugImage& image);

// The program's code-plug version "0119" as BCD at 1982..1983.
void StampVersion(CodePlugImage& image);
// The four-digit version text ("0119") the stamp and the window title use.
std::string VersionDigits();
// The program's version as people read it, "1.1.9": the last three of those
// digits. The window title, --version and the installed package carry it.
std::string ProgramVersionText();
int CodePlugVersion(std::uint8_t b1982, std::uint8_t b1983);
bool CodePlugIsOld(std::uint8_t b1982, std::uint8_t b1983);
// Battery gauge levels of code-plugs older than version 117 are rewritten.
void LegacyBatteryPatch(std::span<std::uint8_t> image);
void LegacyBatteryPatch(CodePlugImage& image);

// "KM640 V119" into 1968..1977.
void WriteModelText(CodePlugImage& image);
bool HasModelName(std::span<const std::uint8_t> image);

// Squelch and RSSI threshold voltage (hundredths of a volt) to its byte code:
// x * 0.01 * 256 / 3 in single precision, rounded half to even.
std::uint8_t ThresholdCode(int hundredths);
// The same from volts, for values typed into the threshold fields.
std::uint8_t ThresholdCodeFromVolts(float volts);
// Rebuilds the narrow- and wide-band threshold tables from the built-in voltages.
void BuildDefaultThresholds(CodePlugImage& image);

// The complete built-in code-plug every run starts with.
const CodePlugImage& DefaultImage();

// The four power-on menu password digits of the built-in code-plug.
constexpr std::string_view kDefaultPassword = "1234";

}  // namespace km640
