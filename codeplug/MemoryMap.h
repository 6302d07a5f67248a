#pragma once
// The memory map of the pager's 2048-byte settings memory: every named field
// declared once, with its place (offset, bit shift and width or byte length),
// its encoding and the region of the image it lives in. Refresh steps, editors,
// dumps, diffs and code-plug checks take their offsets from here.
//
// Repeated records (profiles, call addresses, names, tone words, threshold
// rows, alert patterns, prompts) are declared once with a count and a stride
// and expanded into concrete fields with indexed names:
//
//   MsgReadStatus                 a single field
//   Profile[0].F1Freq             member of record 0 (the pager's "Profile 1")
//   Profile[2].SwitchB.AlertType  member of a sub-record
//   F2Tone1[11]                   element 11 of a per-address field of channel F2
//   NbSquelch[4].SpeakerOn        row 4 ("Level 5") of the narrow-band table
//   StdTiming.GapMax              member of a named set
//
// Indexes count from 0, like the record numbers in pager memory and the tags of
// the window's control arrays.
//
// Bytes and bits that no field covers are reserved: the pager firmware owns
// them and the program carries them unchanged.

#include "codeplug/CodePlugImage.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace km640::memmap {

// The rows of the image's region table, in address order.
enum class Region : std::uint8_t {
    SystemBlock,
    F1AddressTable,
    ReservedAfterF1Addresses,
    F2AddressTable,
    ReservedAfterF2Addresses,
    F1AddressNames,
    F1SpareNames,
    F2AddressNames,
    F2SpareNames,
    MenuPrompts0To7,
    SparePrompts,
    ReservedAfterSparePrompts,
    MenuPrompts8To14,
    ReservedAfterPrompts,
    PowerOnLogo,
    ReservedAfterLogo,
    F1ToneWords,
    F2ToneWords,
    NbThresholds,
    ReservedAfterNbThresholds,
    WbThresholds,
    ReservedAfterWbThresholds,
    Profiles,
    AlertTonality,
    AlertPatterns,
    ReservedAfterAlerts,
    Identification,
};

enum class RegionKind : std::uint8_t {
    Settings,  // holds fields (and possibly reserved bytes between them)
    Spare,     // further text slots the pager keeps; not shown, carried unchanged
    Reserved,  // firmware-owned filler, carried unchanged
};

struct RegionDef {
    Region id;
    std::string_view name;
    int first;  // first and last offset, inclusive
    int last;
    RegionKind kind;
};

enum class Encoding : std::uint8_t {
    Flag,            // boolean: one bit, or a whole byte 0 = off, 1 = on
    BitSet,          // bit k stands for item k (menu items, profiles, switches)
    Unsigned,        // plain number, often in a time unit
    Item,            // index of a list entry or radio button
    Code,            // a value with a table of meanings (spacing, alert tone, mode...)
    Doubled,         // stores twice the shown number (half seconds and the like)
    BcdFrequency,    // 8 BCD digits, units of 100 Hz
    BcdTone,         // 6 BCD digits, units of 0.01 Hz
    BcdClock,        // 7 BCD bytes: seconds, minutes, hours, weekday, day, month, year
    BcdVersion,      // 4 BCD digits
    Word16,          // 16-bit big-endian word
    Word32,          // 32-bit big-endian word
    DecimalPair,     // two bytes: value / 100 and value % 100
    Text,            // fixed width, blank filled
    ZeroPaddedText,  // fixed width, zero filled
    ThresholdCode,   // voltage, byte * 3 / 256 V
    BatteryCode,     // battery measurement code
    PatternSteps,    // eight 4-bit alert tone steps, high nibble first
    StepBits,        // eight on/off steps, bit 7 first
    DottedNumbers,   // unsigned bytes shown as a.b.c
    RawBlock,        // bytes without inner meaning for the program
};

using FieldFlags = std::uint8_t;
struct FieldFlag {
    // Computed or written by the program from other settings (menu counts,
    // the active switch settings, synthesizer and decoder words, copies).
    static constexpr FieldFlags Derived = 1 << 0;
    // No visible control: the user cannot change it and the program keeps the
    // value as loaded.
    static constexpr FieldFlags Hidden = 1 << 1;
    // Filled in by the program or the pager when the image goes out or comes in
    // (checksums, version, model text, clock, serial number, pager data).
    static constexpr FieldFlags Stamped = 1 << 2;
    // A block that other fields subdivide; the only intended overlaps.
    static constexpr FieldFlags Aggregate = 1 << 3;
};

// One level of repetition: count elements, stride bytes apart. Element i is
// named by labels[i] when labels are given, else by the number first + i.
// regions, when given, names the region of each element (channel F1 and F2
// tables lie in different regions).
struct Repeat {
    int count = 1;
    int stride = 0;
    std::span<const std::string_view> labels{};
    std::span<const Region> regions{};
    int first = 0;
};

// A declared field or family of fields. The name is a pattern: its first "{}"
// takes the outer element's label or number, the second the inner one's.
// offset is that of element [0][0]; element [i][j] lies at
// offset + i * outer.stride + j * inner.stride.
struct FieldDef {
    std::string_view name;
    Region region;
    int offset;
    int shift;   // bit position of the least significant bit
    int width;   // bits, 1..8; 8 for whole bytes
    int length;  // bytes; 1 for bit fields
    Encoding encoding;
    FieldFlags flags = 0;
    Repeat outer{};
    Repeat inner{};
    std::uint32_t hiddenElements = 0;  // bit n: outer element number n has no visible control

    constexpr FieldDef per(Repeat r) const { FieldDef d = *this; d.outer = r; return d; }
    constexpr FieldDef each(Repeat r) const { FieldDef d = *this; d.inner = r; return d; }
    constexpr FieldDef hiding(std::uint32_t elements) const { FieldDef d = *this; d.hiddenElements = elements; return d; }
};

constexpr FieldDef bitField(std::string_view name, Region region, int offset, int shift, int width, Encoding encoding,
                            FieldFlags flags = 0) {
    return FieldDef{name, region, offset, shift, width, 1, encoding, flags};
}
constexpr FieldDef byteField(std::string_view name, Region region, int offset, Encoding encoding, FieldFlags flags = 0) {
    return FieldDef{name, region, offset, 0, 8, 1, encoding, flags};
}
constexpr FieldDef blockField(std::string_view name, Region region, int offset, int length, Encoding encoding,
                              FieldFlags flags = 0) {
    return FieldDef{name, region, offset, 0, 8, length, encoding, flags};
}

// Labels and regions, when given, name every element; only the outer level
// may change the region.
constexpr bool wellFormed(const FieldDef& def) {
    auto fits = [](const Repeat& r) {
        const auto n = static_cast<std::size_t>(r.count);
        return r.count >= 1 && (r.labels.empty() || r.labels.size() == n) && (r.regions.empty() || r.regions.size() == n);
    };
    return fits(def.outer) && fits(def.inner) && def.inner.regions.empty();
}
constexpr bool wellFormed(std::span<const FieldDef> defs) {
    for (const auto& def : defs)
        if (!wellFormed(def)) return false;
    return true;
}

// One concrete field of the image.
struct Field {
    std::string name;
    Region region;
    int offset;
    int shift;
    int width;
    int length;
    Encoding encoding;
    FieldFlags flags;
    const FieldDef* def;
    int index;     // outer element number as it appears in the name (0 for single fields)
    int subIndex;  // inner element number

    int lastByte() const { return offset + length - 1; }
    // The bits of a one-byte field within its byte (0xFF for whole bytes).
    std::uint8_t mask() const { return static_cast<std::uint8_t>(((1u << width) - 1u) << shift); }
    bool derived() const { return (flags & FieldFlag::Derived) != 0; }
    bool hidden() const { return (flags & FieldFlag::Hidden) != 0; }
    bool stamped() const { return (flags & FieldFlag::Stamped) != 0; }
    bool aggregate() const { return (flags & FieldFlag::Aggregate) != 0; }
};

// Bits of one byte that no field covers.
struct ReservedByte {
    int offset;
    std::uint8_t mask;
    Region region;
};

std::span<const RegionDef> regions();
const RegionDef& regionDef(Region region);
// The region holding an image offset; throws std::out_of_range outside the image.
const RegionDef& regionAt(int offset);

std::span<const FieldDef> fieldDefs();
// Every element of one declaration, outer index first.
std::vector<Field> expand(const FieldDef& def);
// Every concrete field of the image, in image order (offset, then wider first).
std::span<const Field> fields();

const Field* findField(std::string_view name);
// Throws std::out_of_range for an unknown name.
const Field& field(std::string_view name);
// Element [index][subIndex] of the declaration with this name pattern, e.g.
// field("Profile[{}].{}Freq", 2, 1) is "Profile[2].F2Freq". Throws
// std::out_of_range when no declaration has that pattern and element.
const Field& field(std::string_view pattern, int index, int subIndex = 0);

// The raw value: for a field inside one byte, one byte holding its bits
// shifted down; otherwise its bytes.
std::vector<std::uint8_t> readField(const CodePlugImage& image, const Field& field);
// The raw value of a field of at most four bytes as a big-endian number;
// throws std::invalid_argument for longer fields.
std::uint32_t readNumber(const CodePlugImage& image, const Field& field);

// Every byte with bits that no field covers, in offset order.
std::vector<ReservedByte> reservedBytes();

// The bits of each byte that the fields carrying any of these flags cover.
std::array<std::uint8_t, kImageSize> bitsOfFields(FieldFlags flags);
// True when a and b agree in every bit outside `skipped` (bits as
// bitsOfFields gives them).
bool sameApartFrom(const CodePlugImage& a, const CodePlugImage& b, const std::array<std::uint8_t, kImageSize>& skipped);

// True when a and b hold the same settings of the user's. Fields the program
// derives from other settings and fields stamped when an image goes out or
// comes in (clock, checksums, version, serial number, pager data) are not
// compared: they change without anybody editing anything.
bool sameUserSettings(const CodePlugImage& a, const CodePlugImage& b);

// Parts of the table, one per group of regions.
std::span<const FieldDef> systemBlockFieldDefs();
std::span<const FieldDef> recordFieldDefs();

}  // namespace km640::memmap
