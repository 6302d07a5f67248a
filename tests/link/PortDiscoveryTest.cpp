#include "link/PortDiscovery.h"

#include <gtest/gtest.h>

using namespace km640;

namespace {

using Names = std::vector<std::string>;

Names fallback(Names extra = {}) {
    Names names;
    for (int n = 0; n < 16; ++n) names.push_back("ttyS" + std::to_string(n));
    names.insert(names.end(), extra.begin(), extra.end());
    return names;
}

SerialDeviceRecord sim(const std::string& path) { return {path, std::string(kSimulatorBoardDescription)}; }

class ScriptedDevices : public SerialDeviceList {
public:
    explicit ScriptedDevices(std::vector<SerialDeviceRecord> records) : records_(std::move(records)) {}
    std::vector<SerialDeviceRecord> devices() override { return records_; }

private:
    std::vector<SerialDeviceRecord> records_;
};

}  // namespace

struct DiscoveryCase {
    const char* what;
    std::vector<SerialDeviceRecord> records;
    Names expected;
};

void PrintTo(const DiscoveryCase& c, std::ostream* os) { *os << c.what; }

class Discovery : public ::testing::TestWithParam<DiscoveryCase> {};

TEST_P(Discovery, ListsPortsInOrder) {
    ScriptedDevices devices(GetParam().records);
    EXPECT_EQ(EnumeratePorts(devices), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Linux, Discovery,
    ::testing::Values(
        DiscoveryCase{"no serial device: ttyS0 to ttyS15", {}, fallback()},
        DiscoveryCase{"USB adapters first, then built-in ports, each by number",
                      {{"ttyUSB10", "FT232R USB UART"}, {"ttyS1", ""}, {"ttyUSB2", ""}, {"ttyACM0", "CDC"},
                       {"ttyS0", ""}, {"ttyUSB0", ""}},
                      {"ttyACM0", "ttyUSB0", "ttyUSB2", "ttyUSB10", "ttyS0", "ttyS1"}},
        DiscoveryCase{"devices that are no serial port for a board are left out",
                      {{"ttyAMA0", ""}, {"rfcomm0", ""}, {"ttyUSB", ""}, {"ttyS1a", ""}, {"/dev/pts/3", ""}},
                      fallback()},
        DiscoveryCase{"simulator boards follow the real ports",
                      {sim("/dev/pts/12"), {"ttyS0", ""}, sim("/dev/pts/7")},
                      {"ttyS0", "/dev/pts/7", "/dev/pts/12"}},
        DiscoveryCase{"simulator boards alone still get the fallback ports before them",
                      {sim("/dev/pts/4")}, fallback({"/dev/pts/4"})},
        DiscoveryCase{"a port reported twice is listed once",
                      {{"ttyUSB0", "a"}, {"/dev/ttyUSB0", "b"}}, {"ttyUSB0"}}));

struct OrderCase {
    const char* a;
    const char* b;
    bool less;
};

void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.a << (c.less ? " before " : " not before ") << c.b; }

class NaturalOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(NaturalOrder, ComparesNumbersByValue) {
    EXPECT_EQ(NaturalPortLess(GetParam().a, GetParam().b), GetParam().less) << GetParam().a << " < " << GetParam().b;
}

INSTANTIATE_TEST_SUITE_P(PortNames, NaturalOrder,
                         ::testing::Values(OrderCase{"ttyUSB2", "ttyUSB10", true}, OrderCase{"ttyUSB10", "ttyUSB2", false},
                                           OrderCase{"ttyUSB9", "ttyUSB9", false}, OrderCase{"ttyACM5", "ttyUSB0", true},
                                           OrderCase{"ttyS", "ttyS0", true}, OrderCase{"ttyS0", "ttyS", false},
                                           OrderCase{"/dev/pts/9", "/dev/pts/10", true},
                                           OrderCase{"ttyS007", "ttyS10", true}));
