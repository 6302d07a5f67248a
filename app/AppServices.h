#pragma once
// The set of machine services the main window and the pager operations use.
// The program wires the real ones (RealServices); tests wire fakes.

#include <string>

#include "platform/Services.h"
#include "record/RunTime.h"

namespace km640 {

class SerialPort;

struct AppServices {
    MessageBoxes& messages;
    FileDialogs& dialogs;
    LocalClock& clock;
    TickSource& ticks;
    SerialDeviceList& serialDevices;
    SerialPort& port;
    // The folder the program started in: Open and Save dialogs start here,
    // "default.tbl" and relative save names live here, and so does the
    // production log.
    std::string startDirectory;
    Preferences& preferences;
    // The user's own data folder (UserDataFolder): pager backups go into its
    // "backups" folder, and this PC's production record is kept here.
    std::string dataDirectory;
    // The production record: KM640_RECORD from the environment (the
    // preferences may name another), the station name runs are recorded
    // with unless the preferences give one, and the record's clock (none:
    // the machine's).
    std::string recordEnvironment = {};
    std::string hostName = {};
    RecordClock* recordClock = nullptr;
};

}  // namespace km640
