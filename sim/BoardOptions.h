#pragma once
// How a simulated programmer board with its pager behaves: what the pager
// says about itself and which faults the board shows. Block numbers count
// 64-byte memory blocks from 0 (block 5 is address 320).

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace km640 {

// A fault of the reply itself. Without an address it hits every reply; with
// one, only replies to memory requests (reads, compares, writes) at it.
struct ReplyFault {
    bool enabled = false;
    std::optional<int> address;
    // requestAddress is empty for control commands (clock, reset).
    bool Hits(std::optional<int> requestAddress) const;
};

struct BoardFaults {
    bool silent = false;                    // never answers
    std::optional<int> stopAfterBlocks;     // answers this many blocks, then never again
    ReplyFault wrongChecksum;               // last checksum byte off by one
    ReplyFault wrongHeader;                 // echoed sub-command differs, checksum still right
    ReplyFault noise;                       // two noise bytes before the reply
    std::optional<int> noWriteAckAtBlock;   // this block is neither written nor acknowledged
    std::optional<int> corruptByte;         // this memory byte reads back inverted
    bool noClockAck = false;
    bool noResetAck = false;
};

enum class SerialBlockSetting {
    AsInMemory,     // keep what the memory holds
    Blank,          // 16 bytes 0xFF: no serial number
    Number,         // the number with its correct checksum
    WrongChecksum,  // the number with a checksum one off
};

struct BoardOptions {
    std::array<std::uint8_t, 3> firmware{1, 2, 10};  // shown as FirmVer. 1.2.10
    SerialBlockSetting serial = SerialBlockSetting::AsInMemory;
    std::string serialNumber;
    std::optional<int> softwareVersion;  // of the program that last wrote the pager, e.g. 119
    BoardFaults faults;
};

inline constexpr int kBlockSize = 64;

}  // namespace km640
