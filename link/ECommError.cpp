#include "link/ECommError.h"

#include <cerrno>
#include <string>

namespace km640 {

ECommError::ECommError(std::uint8_t code) : ECommError(code, static_cast<std::uint32_t>(errno)) {}

ECommError::ECommError(std::uint8_t code, std::uint32_t platformError)
    : std::runtime_error("serial port error " + std::to_string(code) + " (system error " +
                         std::to_string(platformError) + ")"),
      code_(code),
      platformError_(platformError) {}

}  // namespace km640
