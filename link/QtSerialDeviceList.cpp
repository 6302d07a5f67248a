#include "link/QtSerialDeviceList.h"

#include <QSerialPortInfo>

#include "link/PortDiscovery.h"

namespace km640 {

QtSerialDeviceList::QtSerialDeviceList(std::filesystem::path announcementDirectory)
    : announcements_(std::move(announcementDirectory)) {}

std::vector<SerialDeviceRecord> QtSerialDeviceList::devices() {
    std::vector<SerialDeviceRecord> records;
    for (const auto& info : QSerialPortInfo::availablePorts())
        records.push_back({info.portName().toStdString(), info.description().toStdString()});
    for (const auto& board : announcements_.Live())
        records.push_back({board.ptyPath, std::string(kSimulatorBoardDescription)});
    return records;
}

}  // namespace km640
