#include "link/ReplySync.h"

#include "link/Frame.h"

namespace km640 {

std::size_t ReplySync::Place(std::optional<std::uint8_t> received, std::span<std::uint8_t> buffer,
                             std::size_t position) {
    if (!replySynced_) {
        if (received && *received == static_cast<std::uint8_t>(kSignature.front())) {
            position = 0;
            buffer[0] = *received;
            replySynced_ = true;
        }
    } else if (received) {
        buffer[position] = *received;
    }
    return position + 1;
}

}  // namespace km640
