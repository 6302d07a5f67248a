#pragma once
// What a pager holds after this program wrote a code-plug to it. The write
// sends the code-plug as it is, except for what it takes from the pager or
// stamps at the moment of writing: the pager's own board data block and
// serial number block, the clock setting from the computer's clock, the
// version stamp and the image checksum that covers the clock. A verify of a
// file against a pager asks whether the pager holds what writing the file put
// there, so it takes those bytes from the pager before comparing.

#include <cstdint>

#include "codeplug/CodePlugImage.h"

namespace km640 {

// A pager last written by a program before version 117 keeps its battery
// levels in an older scale: a write to it sets them afresh with the legacy
// battery patch. `pagerVersion` are the two version bytes the pager holds
// before the write. Returns whether the levels were set.
bool SetBatteryLevelsForPager(CodePlugImage& codePlug, std::uint8_t pagerVersionHigh, std::uint8_t pagerVersionLow);

// Whether the pager holds the battery levels the legacy battery patch sets.
bool HoldsLegacyBatteryLevels(const CodePlugImage& pager);

// The file as a write sends it: `codePlug` (prepared for the pager as the
// write prepares it) with the battery levels a write to `pager` sets and the
// bytes a write takes from the pager or stamps at write time as `pager`
// holds them. The image checksum is the one `pager` should hold for its own
// bytes: a pager whose checksum does not cover what it holds differs there.
//
// Once written, a pager carries this program's version stamp, so the stamp
// it held before no longer tells whether the write set the legacy levels;
// the levels themselves do. A pager holding them is taken as written by a
// write that found it old. Verify, diff against a pager and the window's
// Compare all ask this one function.
CodePlugImage AsWrittenTo(const CodePlugImage& codePlug, const CodePlugImage& pager);

// Whether AsWrittenTo took the legacy battery levels the pager holds for
// levels of `codePlug` that differ from them, on the assumption above. The
// pager's memory is the same as that of a pager that never got the file's
// levels, so whoever compares says so.
bool AssumesLegacyBatteryLevels(const CodePlugImage& codePlug, const CodePlugImage& pager);

}  // namespace km640
