#pragma once
// A simulated programmer board with a pager in it on a pseudo-terminal, for
// tests that run pager operations end to end. Pacing is off: the tests need
// the exchanges, not the 9600-baud timing.

#include <memory>

#include "codeplug/CodePlugImage.h"
#include "codeplug/MemoryMap.h"
#include "platform/Services.h"
#include "sim/PtyBoard.h"

namespace km640::testing {

// A code-plug as a pager holds it after a write: valid checksums, the given
// serial number, written by program version 119.
inline CodePlugImage PagerMemory(const std::string& serial = "A1B2C3D4E5F6") {
    CodePlugImage img = DefaultImage();
    WriteModelText(img);
    StampVersion(img);
    StoreSerialNumber(img, serial);
    img.setByte(36, 90);  // something the tests can recognise
    ImageChecksum(img);
    return img;
}

// Two images hold the same settings: every byte equal, except those the
// window derives from other settings when it shows an image (menu counts,
// synthesizer words, active switch settings...).
inline bool SameSettings(const CodePlugImage& a, const CodePlugImage& b) {
    return memmap::sameApartFrom(a, b, memmap::bitsOfFields(memmap::FieldFlag::Derived));
}

inline std::unique_ptr<PtyBoard> StartBoard(const CodePlugImage& memory, BoardOptions options = {}) {
    return std::make_unique<PtyBoard>(PagerBoard(memory, std::move(options)), false);
}

// The device list of a machine with a board on the pseudo-terminal: an
// absent USB adapter first, so the start-up search passes over one port.
inline std::vector<SerialDeviceRecord> DevicesWithBoard(const PtyBoard& board) {
    return {{"ttyUSB98", ""}, {board.slavePath(), "km640-sim board"}};
}

}  // namespace km640::testing
