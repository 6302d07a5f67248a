#pragma once
// `diff`: the fields that differ between two code-plugs, by name, with both
// values, and the differing reserved bytes by offset. A block made of other
// fields (the LCM block, the pager data block) is named only for bytes that
// none of its inner fields explains, so one edit names exactly one field.

#include <cstdint>
#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "codeplug/MemoryMap.h"

namespace km640::fieldtext {

struct FieldDifference {
    const memmap::Field* field;
    std::string valueA, valueB;  // as the window shows them
    std::string rawA, rawB;
};

struct ReservedDifference {
    int offset;
    std::uint8_t mask;  // the reserved bits of the byte
    std::uint8_t a, b;  // the reserved bits of each side
};

struct CodePlugDifferences {
    std::vector<FieldDifference> fields;
    std::vector<ReservedDifference> reserved;
    bool empty() const { return fields.empty() && reserved.empty(); }
};

CodePlugDifferences diffCodePlugs(const CodePlugImage& a, const CodePlugImage& b);

// One difference as it is printed and listed: the field's name (or
// "reserved"), its name in the window (FieldLabel.h), where it lies, and the
// two values. Stamped fields are those a write or read fills in (clock,
// checksums, version stamp, serial block, board data).
struct DifferenceRow {
    std::string name, place, valueA, valueB;
    bool reserved = false;
    std::string label;
    bool stamped = false;
};
std::vector<DifferenceRow> differenceRows(const CodePlugDifferences& differences);

// nameA and nameB label the two sides (file names, or the port). With
// `labels` the fields are named as the window names them.
std::string diffText(const CodePlugDifferences& differences, const std::string& nameA, const std::string& nameB,
                     bool labels = false);
std::string diffJson(const CodePlugDifferences& differences, const std::string& nameA, const std::string& nameB);

}  // namespace km640::fieldtext
