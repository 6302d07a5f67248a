#include "cli/BoardSearch.h"

#include <sstream>

#include "cli/TerminalView.h"
#include "codeplug/CodePlugImage.h"
#include "link/ECommError.h"
#include "link/PortDiscovery.h"
#include "link/TCommPort.h"
#include "pager/PagerOperations.h"

namespace km640::cli {

namespace {

// A port that cannot be opened (busy, not permitted) has no board to offer;
// why is not asked here.
class NoMessages : public MessageBoxes {
public:
    MsgAnswer show(const std::string&, const std::string&, MsgIcon, MsgButtons) override { return MsgAnswer::Ok; }
};

std::string portList(const std::vector<std::string>& ports) {
    std::string text;
    for (std::size_t i = 0; i < ports.size(); ++i)
        text += (i == 0 ? "" : i + 1 == ports.size() ? " and " : ", ") + ports[i];
    return text;
}

}  // namespace

BoardSearch searchBoards(SerialDeviceList& devices, LocalClock& clock) {
    BoardSearch search;
    search.tried = ReportedPorts(devices.devices());
    std::ostringstream nowhere;
    TerminalView view(nowhere, false, false);
    NoMessages messages;
    TCommPort port;
    CodePlugImage image;
    PagerOperations operations(image, port, view, messages, clock, "KM640");
    for (const auto& name : search.tried) {
        operations.setPortList({name});
        view.selectPortIndex(0);
        bool answered = false;
        try {
            answered = operations.ProbeSelectedPort();
        } catch (const ECommError&) {
        }
        ClosePortQuietly(port);
        if (answered) search.answering.push_back(name);
    }
    return search;
}

std::string boardSearchProblem(const BoardSearch& search) {
    if (search.answering.size() == 1) return {};
    if (search.tried.empty())
        return "the system reports no serial port and no km640-sim board runs; give the board's port with --port";
    if (search.answering.empty())
        return "no programmer board answers on " + portList(search.tried) + "; give its port with --port";
    return "programmer boards answer on " + portList(search.answering) + "; choose one with --port";
}

}  // namespace km640::cli
