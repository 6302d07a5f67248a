#pragma once
// `dump`: every field of the memory-map table with its name, place, value as
// the window shows it and raw bytes, then the reserved bytes summarised by
// region, as text or as JSON.

#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "codeplug/MemoryMap.h"

namespace km640::fieldtext {

// The reserved bytes of one region: how many there are and what they hold.
// Only the bits no field covers count.
struct ReservedSummary {
    const memmap::RegionDef* region;
    int bytes = 0;           // bytes with reserved bits
    int partialBytes = 0;    // of those, bytes that also hold field bits
    int distinctValues = 0;
    std::uint8_t commonValue = 0;  // the most frequent value (lowest on a tie)
    int commonCount = 0;
};

std::vector<ReservedSummary> summariseReserved(const CodePlugImage& image);

std::string dumpText(const CodePlugImage& image);
std::string dumpJson(const CodePlugImage& image);

}  // namespace km640::fieldtext
