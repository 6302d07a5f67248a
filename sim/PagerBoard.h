#pragma once
// A programmer board with a pager in it, as bytes in and bytes out: requests
// arriving from the line are collected into frames and answered the way the
// real board does, with the faults of its options. No I/O and no clock; the
// replies say how long their request took on the line so a runner can pace
// them.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "link/Frame.h"
#include "sim/BoardOptions.h"

namespace km640 {

struct BoardReply {
    std::size_t requestLength = 0;  // bytes of the request it answers
    FrameBytes bytes;
};

class PagerBoard {
public:
    using ClockPayload = std::array<std::uint8_t, 16>;

    PagerBoard(const CodePlugImage& memory, BoardOptions options);

    // Takes bytes from the line; returns a reply for every complete request
    // among them that the board answers. A request with a bad checksum gets none.
    std::vector<BoardReply> Receive(std::span<const std::uint8_t> bytes);

    const CodePlugImage& memory() const { return memory_; }
    const BoardOptions& options() const { return options_; }
    std::optional<ClockPayload> lastClockPayload() const { return lastClockPayload_; }
    int resetCount() const { return resetCount_; }
    int writeCount() const { return writeCount_; }
    bool stopped() const { return stopped_; }

private:
    std::optional<FrameBytes> answer(std::span<const std::uint8_t> frame, bool leadForm);
    std::optional<FrameBytes> answerMemory(bool leadForm, std::uint8_t subCommand, std::span<const std::uint8_t> body);
    std::optional<FrameBytes> answerControl(std::uint8_t subCommand, std::span<const std::uint8_t> body);
    FrameBytes withFaults(FrameBytes reply, std::optional<int> address) const;

    CodePlugImage memory_;
    BoardOptions options_;
    FrameBytes pending_;
    std::optional<ClockPayload> lastClockPayload_;
    int resetCount_ = 0;
    int writeCount_ = 0;
    bool stopped_ = false;
};

// A board reply: signature, command, sub-command, the number of data bytes,
// the data and the checksum.
FrameBytes BuildBoardReply(std::uint8_t command, std::uint8_t subCommand, std::span<const std::uint8_t> data);

}  // namespace km640
