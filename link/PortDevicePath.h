#pragma once
// The device a port name stands for, as the production record, the log and
// every message name the port: the window and km640-cli alike.

#include <string>
#include <string_view>

namespace km640 {

// A name with a slash is a path already, any other name is a device in /dev.
inline std::string portDevicePath(std::string_view port) {
    if (port.find('/') != std::string_view::npos) return std::string(port);
    return "/dev/" + std::string(port);
}

}  // namespace km640
