#include "codeplug/MemoryMap.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <unordered_map>

namespace km640::memmap {
namespace {

using K = RegionKind;

constexpr RegionDef kRegions[] = {
    {Region::SystemBlock, "SystemBlock", 0, 255, K::Settings},
    {Region::F1AddressTable, "F1AddressTable", 256, 447, K::Settings},
    {Region::ReservedAfterF1Addresses, "ReservedAfterF1Addresses", 448, 511, K::Reserved},
    {Region::F2AddressTable, "F2AddressTable", 512, 703, K::Settings},
    {Region::ReservedAfterF2Addresses, "ReservedAfterF2Addresses", 704, 767, K::Reserved},
    {Region::F1AddressNames, "F1AddressNames", 768, 911, K::Settings},
    {Region::F1SpareNames, "F1SpareNames", 912, 959, K::Spare},
    {Region::F2AddressNames, "F2AddressNames", 960, 1103, K::Settings},
    {Region::F2SpareNames, "F2SpareNames", 1104, 1151, K::Spare},
    {Region::MenuPrompts0To7, "MenuPrompts0To7", 1152, 1247, K::Settings},
    {Region::SparePrompts, "SparePrompts", 1248, 1271, K::Spare},
    {Region::ReservedAfterSparePrompts, "ReservedAfterSparePrompts", 1272, 1279, K::Reserved},
    {Region::MenuPrompts8To14, "MenuPrompts8To14", 1280, 1363, K::Settings},
    {Region::ReservedAfterPrompts, "ReservedAfterPrompts", 1364, 1375, K::Reserved},
    {Region::PowerOnLogo, "PowerOnLogo", 1376, 1400, K::Settings},
    {Region::ReservedAfterLogo, "ReservedAfterLogo", 1401, 1407, K::Reserved},
    {Region::F1ToneWords, "F1ToneWords", 1408, 1455, K::Settings},
    {Region::F2ToneWords, "F2ToneWords", 1456, 1503, K::Settings},
    {Region::NbThresholds, "NbThresholds", 1504, 1518, K::Settings},
    {Region::ReservedAfterNbThresholds, "ReservedAfterNbThresholds", 1519, 1519, K::Reserved},
    {Region::WbThresholds, "WbThresholds", 1520, 1534, K::Settings},
    {Region::ReservedAfterWbThresholds, "ReservedAfterWbThresholds", 1535, 1535, K::Reserved},
    {Region::Profiles, "Profiles", 1536, 1791, K::Settings},
    {Region::AlertTonality, "AlertTonality", 1792, 1807, K::Settings},
    {Region::AlertPatterns, "AlertPatterns", 1808, 1871, K::Settings},
    {Region::ReservedAfterAlerts, "ReservedAfterAlerts", 1872, 1935, K::Reserved},
    {Region::Identification, "Identification", 1936, 2047, K::Settings},
};

// regionDef() indexes the table by the enum.
constexpr bool regionsInEnumOrder() {
    for (std::size_t k = 0; k < std::size(kRegions); ++k)
        if (static_cast<std::size_t>(kRegions[k].id) != k) return false;
    return true;
}
static_assert(regionsInEnumOrder());

std::string elementName(std::string_view pattern, const Repeat& outer, int i, const Repeat& inner, int j) {
    const Repeat* levels[] = {&outer, &inner};
    const int elements[] = {i, j};
    std::string out;
    int level = 0;
    for (std::size_t pos = 0; pos < pattern.size(); ++pos) {
        if (pattern.compare(pos, 2, "{}") == 0 && level < 2) {
            const Repeat& r = *levels[level];
            const int e = elements[level];
            if (r.labels.empty())
                out += std::to_string(r.first + e);
            else
                out += r.labels[static_cast<std::size_t>(e)];
            ++level;
            ++pos;
        } else {
            out += pattern[pos];
        }
    }
    return out;
}

Field element(const FieldDef& def, int i, int j) {
    const int index = def.outer.first + i;
    const Region region = def.outer.regions.empty() ? def.region : def.outer.regions[static_cast<std::size_t>(i)];
    FieldFlags flags = def.flags;
    if (index < 32 && ((def.hiddenElements >> index) & 1u) != 0) flags |= FieldFlag::Hidden;
    return Field{elementName(def.name, def.outer, i, def.inner, j),
                 region,
                 def.offset + i * def.outer.stride + j * def.inner.stride,
                 def.shift,
                 def.width,
                 def.length,
                 def.encoding,
                 flags,
                 &def,
                 index,
                 def.inner.first + j};
}

struct Table {
    std::vector<FieldDef> defs;
    std::vector<Field> fields;
    std::unordered_map<std::string_view, std::size_t> byName;
};

const Table& table() {
    static const Table t = [] {
        Table built;
        for (auto part : {systemBlockFieldDefs(), recordFieldDefs()})
            built.defs.insert(built.defs.end(), part.begin(), part.end());
        for (const auto& def : built.defs) {
            auto elements = expand(def);
            built.fields.insert(built.fields.end(), elements.begin(), elements.end());
        }
        std::stable_sort(built.fields.begin(), built.fields.end(), [](const Field& a, const Field& b) {
            if (a.offset != b.offset) return a.offset < b.offset;
            if (a.length != b.length) return a.length > b.length;
            return a.shift < b.shift;
        });
        for (std::size_t k = 0; k < built.fields.size(); ++k) built.byName.emplace(built.fields[k].name, k);
        return built;
    }();
    return t;
}

}  // namespace

std::span<const RegionDef> regions() { return kRegions; }

const RegionDef& regionDef(Region region) { return kRegions[static_cast<std::size_t>(region)]; }

const RegionDef& regionAt(int offset) {
    for (const auto& r : kRegions)
        if (offset >= r.first && offset <= r.last) return r;
    throw std::out_of_range("offset outside the code-plug: " + std::to_string(offset));
}

std::span<const FieldDef> fieldDefs() { return table().defs; }

std::vector<Field> expand(const FieldDef& def) {
    std::vector<Field> out;
    for (int i = 0; i < def.outer.count; ++i)
        for (int j = 0; j < def.inner.count; ++j) out.push_back(element(def, i, j));
    return out;
}

std::span<const Field> fields() { return table().fields; }

const Field* findField(std::string_view name) {
    const auto& t = table();
    const auto it = t.byName.find(name);
    return it == t.byName.end() ? nullptr : &t.fields[it->second];
}

const Field& field(std::string_view name) {
    if (const Field* f = findField(name)) return *f;
    throw std::out_of_range("no code-plug field named " + std::string(name));
}

const Field& field(std::string_view pattern, int index, int subIndex) {
    for (const auto& def : table().defs) {
        if (def.name != pattern) continue;
        const int i = index - def.outer.first;
        const int j = subIndex - def.inner.first;
        if (i < 0 || i >= def.outer.count || j < 0 || j >= def.inner.count) continue;
        return field(elementName(def.name, def.outer, i, def.inner, j));
    }
    throw std::out_of_range("no code-plug field " + std::string(pattern) + " [" + std::to_string(index) + "][" +
                            std::to_string(subIndex) + "]");
}

std::vector<std::uint8_t> readField(const CodePlugImage& image, const Field& f) {
    if (f.length == 1) return {image.GetBits(f.offset, f.shift, f.width)};
    const auto bytes = image.span(f.offset, f.length);
    return {bytes.begin(), bytes.end()};
}

std::uint32_t readNumber(const CodePlugImage& image, const Field& f) {
    if (f.length > 4) throw std::invalid_argument(f.name + " is wider than a 32-bit number");
    std::uint32_t value = 0;
    for (auto b : readField(image, f)) value = (value << 8) | b;
    return value;
}

std::vector<ReservedByte> reservedBytes() {
    std::array<std::uint8_t, kImageSize> covered{};
    for (const auto& f : fields())
        for (int k = 0; k < f.length; ++k) covered[static_cast<std::size_t>(f.offset + k)] |= f.mask();
    std::vector<ReservedByte> out;
    for (int offset = 0; offset < static_cast<int>(kImageSize); ++offset) {
        const auto free = static_cast<std::uint8_t>(~covered[static_cast<std::size_t>(offset)]);
        if (free != 0) out.push_back({offset, free, regionAt(offset).id});
    }
    return out;
}

std::array<std::uint8_t, kImageSize> bitsOfFields(FieldFlags flags) {
    std::array<std::uint8_t, kImageSize> bits{};
    for (const auto& f : fields())
        if ((f.flags & flags) != 0)
            for (int i = f.offset; i <= f.lastByte(); ++i) bits[static_cast<std::size_t>(i)] |= f.mask();
    return bits;
}

bool sameApartFrom(const CodePlugImage& a, const CodePlugImage& b, const std::array<std::uint8_t, kImageSize>& skipped) {
    for (std::size_t i = 0; i < kImageSize; ++i)
        if (((a.bytes()[i] ^ b.bytes()[i]) & ~skipped[i]) != 0) return false;
    return true;
}

bool sameUserSettings(const CodePlugImage& a, const CodePlugImage& b) {
    // Taken once: the window's title asks after every key and click.
    static const auto derivedOrStamped = bitsOfFields(FieldFlag::Derived | FieldFlag::Stamped);
    return sameApartFrom(a, b, derivedOrStamped);
}

}  // namespace km640::memmap
