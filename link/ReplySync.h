#pragma once
// Where each received byte of a board reply lands. Until the first signature
// byte ("K") of the run has been seen, bytes are dropped (a board that has
// just been powered or plugged in sends line noise); from then on every byte
// is stored where it arrives, with no further search, and the callers'
// validation rejects a reply that came shifted or short.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace km640 {

class ReplySync {
public:
    // Places one received byte (none if the read brought nothing) into the
    // reply buffer at position and returns the next position. position must
    // be below buffer.size().
    std::size_t Place(std::optional<std::uint8_t> received, std::span<std::uint8_t> buffer, std::size_t position);

    // True once the first signature byte of this session has arrived; never cleared.
    bool replySynced() const { return replySynced_; }

private:
    bool replySynced_ = false;
};

}  // namespace km640
