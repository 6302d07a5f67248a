#include "link/PortDiscovery.h"

#include <algorithm>
#include <cctype>

namespace km640 {

namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// "ttyUSB" followed by one or more digits and nothing else.
bool numberedName(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), isDigit);
}

std::string_view baseName(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Compares two runs of digits by their value.
int compareNumbers(std::string_view a, std::string_view b) {
    while (a.size() > 1 && a.front() == '0') a.remove_prefix(1);
    while (b.size() > 1 && b.front() == '0') b.remove_prefix(1);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

std::string_view takeRun(std::string_view& s) {
    std::size_t n = 1;
    while (n < s.size() && isDigit(s[n]) == isDigit(s[0])) ++n;
    const auto run = s.substr(0, n);
    s.remove_prefix(n);
    return run;
}

}  // namespace

PortKind ClassifyPort(const SerialDeviceRecord& record) {
    if (record.description == kSimulatorBoardDescription && !record.portName.empty() &&
        record.portName.front() == '/')
        return PortKind::Simulator;
    const auto name = baseName(record.portName);
    if (numberedName(name, "ttyUSB") || numberedName(name, "ttyACM")) return PortKind::UsbAdapter;
    if (numberedName(name, "ttyS")) return PortKind::BuiltIn;
    return PortKind::Unused;
}

bool NaturalPortLess(std::string_view a, std::string_view b) {
    std::string_view x = a, y = b;
    while (!x.empty() && !y.empty()) {
        const bool xDigits = isDigit(x.front()), yDigits = isDigit(y.front());
        const auto rx = takeRun(x), ry = takeRun(y);
        int c = 0;
        if (xDigits && yDigits)
            c = compareNumbers(rx, ry);
        else
            c = rx.compare(ry);
        if (c != 0) return c < 0;
    }
    if (x.empty() != y.empty()) return x.empty();
    return a < b;  // same value, different spelling ("ttyS01" and "ttyS1")
}

std::vector<std::string> DiscoverPorts(const std::vector<SerialDeviceRecord>& records) {
    struct Entry {
        PortKind kind;
        std::string name;
    };
    std::vector<Entry> entries;
    for (const auto& record : records) {
        const auto kind = ClassifyPort(record);
        if (kind == PortKind::Unused) continue;
        // Qt names real ports without /dev/; the list shows them the same way.
        const std::string name =
            kind == PortKind::Simulator ? record.portName : std::string(baseName(record.portName));
        entries.push_back({kind, name});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.kind != b.kind) return a.kind < b.kind;
        return NaturalPortLess(a.name, b.name);
    });

    std::vector<std::string> ports;
    const bool anyRealPort = std::any_of(entries.begin(), entries.end(),
                                         [](const Entry& e) { return e.kind != PortKind::Simulator; });
    if (!anyRealPort)
        for (int n = 0; n < kFallbackPortCount; ++n) ports.push_back("ttyS" + std::to_string(n));
    for (const auto& entry : entries)
        if (std::find(ports.begin(), ports.end(), entry.name) == ports.end()) ports.push_back(entry.name);
    return ports;
}

std::vector<std::string> ReportedPorts(const std::vector<SerialDeviceRecord>& records) {
    std::vector<std::string> ports;
    for (const auto& port : DiscoverPorts(records)) {
        const bool reported = std::any_of(records.begin(), records.end(), [&](const SerialDeviceRecord& record) {
            return record.portName == port || baseName(record.portName) == port;
        });
        if (reported) ports.push_back(port);
    }
    return ports;
}

std::vector<std::string> EnumeratePorts(SerialDeviceList& devices) { return DiscoverPorts(devices.devices()); }

}  // namespace km640
