#pragma once
// The serial devices of this machine as Qt sees them, followed by the boards
// of running simulators.

#include <filesystem>

#include "link/SimulatorAnnouncements.h"
#include "platform/Services.h"

namespace km640 {

class QtSerialDeviceList : public SerialDeviceList {
public:
    explicit QtSerialDeviceList(std::filesystem::path announcementDirectory = DefaultAnnouncementDirectory());
    std::vector<SerialDeviceRecord> devices() override;

private:
    SimulatorAnnouncements announcements_;
};

}  // namespace km640
