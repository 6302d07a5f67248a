#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "codeplug/MemoryMap.h"

using namespace km640;
using namespace km640::memmap;

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

// Everything the pager firmware keeps for itself, as the code-plug
// documentation lists it: bytes and bits that no setting may touch.
std::map<int, std::uint8_t> documentedReserved() {
    std::map<int, std::uint8_t> m;
    auto add = [&m](int first, int last, std::uint8_t mask = 0xFF) {
        for (int o = first; o <= last; ++o) m[o] |= mask;
    };
    // System block: whole bytes.
    const std::pair<int, int> systemBytes[] = {
        {0, 0},     {3, 4},     {6, 7},     {20, 20},   {23, 23},   {30, 30},   {32, 33},
        {35, 35},   {40, 41},   {44, 44},   {46, 47},   {50, 50},   {56, 63},   {68, 79},
        {81, 82},   {85, 85},   {88, 111},  {144, 159}, {168, 168}, {170, 175}, {177, 178},
        {192, 227}, {229, 239}, {243, 243}, {245, 247}, {250, 255}};
    for (auto [first, last] : systemBytes) add(first, last);
    // Decoder timing sets: the odd bytes of both, and the Plectron set's
    // places of the timers only the standard set has.
    for (int set : {112, 128})
        for (int rel : {1, 5, 7, 9, 11, 15}) add(set + rel, set + rel);
    for (int rel : {3, 12, 13, 14}) add(112 + rel, 112 + rel);
    // System block: the bits next to the flags.
    const std::pair<int, std::uint8_t> spareBits[] = {{1, 0xFB},  {2, 0xF1},  {16, 0x21},  {17, 0xF0},
                                                      {31, 0xE0}, {34, 0xFE}, {49, 0xFD},  {80, 0xBF},
                                                      {169, 0xFE}, {244, 0xFB}, {249, 0xFC}};
    for (auto [offset, mask] : spareBits) add(offset, offset, mask);
    // Reserved and spare regions.
    const std::pair<int, int> regionsKept[] = {{448, 511},   {704, 767},   {912, 959},   {1104, 1151}, {1248, 1279},
                                               {1364, 1375}, {1401, 1407}, {1519, 1519}, {1535, 1535}, {1872, 1935}};
    for (auto [first, last] : regionsKept) add(first, last);
    // Call-address records: flag bits and bytes not interpreted; group
    // addresses have no tone 2 and no tone 2 word.
    for (int base : {256, 512}) {
        for (int k = 0; k < 12; ++k) {
            const int r = base + 16 * k;
            add(r + 6, r + 6, 0x66);
            add(r + 7, r + 8, 0xF0);
            add(r + 9, r + 13);
            if (k >= 8) add(r + 3, r + 5);
        }
    }
    for (int base : {1408, 1456})
        for (int k = 8; k < 12; ++k) add(base + 4 * k + 2, base + 4 * k + 3);
    for (int p = 0; p < 4; ++p) {
        const int r = 1536 + 64 * p;
        add(r + 14, r + 15);
        add(r + 17, r + 20);
        add(r + 27, r + 31);
        add(r + 45, r + 45);
        add(r + 61, r + 61);
    }
    for (int i = 0; i < 8; ++i) add(1808 + 8 * i + 6, 1808 + 8 * i + 7);
    // Identification block.
    add(1936, 1949);
    add(1978, 1981);
    add(1984, 1999);
    add(2008, 2014);
    return m;
}

std::string hexByte(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X", v);
    return buf;
}

}  // namespace

TEST(MemoryMap, RegionsTileTheImageInAddressOrder) {
    int next = 0;
    for (const auto& r : regions()) {
        EXPECT_EQ(r.first, next) << r.name;
        EXPECT_LE(r.first, r.last) << r.name;
        EXPECT_EQ(&regionAt(r.first), &r);
        EXPECT_EQ(&regionAt(r.last), &r);
        next = r.last + 1;
    }
    EXPECT_EQ(next, static_cast<int>(kImageSize));
    EXPECT_THROW(regionAt(-1), std::out_of_range);
    EXPECT_THROW(regionAt(2048), std::out_of_range);
}

TEST(MemoryMap, EveryFieldLiesInsideTheImageAndItsRegion) {
    int previous = 0;
    for (const auto& f : fields()) {
        SCOPED_TRACE(f.name);
        EXPECT_GE(f.offset, previous) << "fields come in image order";
        previous = f.offset;
        EXPECT_GE(f.shift, 0);
        EXPECT_GE(f.width, 1);
        EXPECT_LE(f.shift + f.width, 8);
        EXPECT_GE(f.length, 1);
        if (f.length > 1) {
            EXPECT_EQ(f.mask(), 0xFF) << "multi-byte fields are whole bytes";
        }
        EXPECT_GE(f.offset, 0);
        EXPECT_LE(f.lastByte(), static_cast<int>(kImageSize) - 1);
        const auto& region = regionDef(f.region);
        EXPECT_EQ(region.kind, RegionKind::Settings) << region.name;
        EXPECT_GE(f.offset, region.first) << region.name;
        EXPECT_LE(f.lastByte(), region.last) << region.name;
    }
}

TEST(MemoryMap, EncodingsMatchTheirSize) {
    struct Rule {
        Encoding encoding;
        int length;  // 0: any length
        bool bitsAllowed;
    };
    const Rule rules[] = {
        {Encoding::Flag, 1, true},          {Encoding::BitSet, 1, true},        {Encoding::Unsigned, 1, false},
        {Encoding::Item, 1, true},          {Encoding::Code, 1, true},          {Encoding::Doubled, 1, false},
        {Encoding::BcdFrequency, 4, false}, {Encoding::BcdTone, 3, false},      {Encoding::BcdClock, 7, false},
        {Encoding::BcdVersion, 2, false},   {Encoding::Word16, 2, false},       {Encoding::Word32, 4, false},
        {Encoding::DecimalPair, 2, false},  {Encoding::Text, 0, false},         {Encoding::ZeroPaddedText, 0, false},
        {Encoding::ThresholdCode, 1, false}, {Encoding::BatteryCode, 1, false}, {Encoding::PatternSteps, 4, false},
        {Encoding::StepBits, 1, false},     {Encoding::DottedNumbers, 3, false}, {Encoding::RawBlock, 0, false},
    };
    for (const auto& f : fields()) {
        SCOPED_TRACE(f.name);
        const Rule* rule = nullptr;
        for (const auto& r : rules)
            if (r.encoding == f.encoding) rule = &r;
        ASSERT_NE(rule, nullptr);
        if (rule->length != 0) {
            EXPECT_EQ(f.length, rule->length);
        }
        if (!rule->bitsAllowed) {
            EXPECT_EQ(f.mask(), 0xFF);
        }
        if (f.encoding == Encoding::Flag) {
            EXPECT_TRUE(f.width == 1 || f.width == 8);
        }
    }
}

TEST(MemoryMap, FieldsOverlapOnlyInsideTheBlocksThatSpanThem) {
    // The LCM block is replaced as a whole by the voltage presets; the pager's
    // info block starts with its firmware version.
    const std::set<std::pair<std::string, std::string>> intended = {
        {"LcmBlock", "Contrast"}, {"LcmBlock", "ContrastSteps"}, {"LcmBlock", "LcmVop"},
        {"LcmBlock", "LcmVopAux"}, {"PagerInfoBlock", "FirmwareVersion"},
    };
    std::vector<std::vector<const Field*>> owners(kImageSize * 8);
    std::set<std::pair<std::string, std::string>> overlaps;
    for (const auto& f : fields()) {
        for (int k = 0; k < f.length; ++k) {
            for (int bit = 0; bit < 8; ++bit) {
                if (((f.mask() >> bit) & 1) == 0) continue;
                auto& here = owners[static_cast<std::size_t>((f.offset + k) * 8 + bit)];
                for (const Field* other : here) {
                    const bool otherSpans = other->aggregate() && other->offset <= f.offset &&
                                            other->lastByte() >= f.lastByte();
                    overlaps.insert(otherSpans ? std::pair{other->name, f.name} : std::pair{f.name, other->name});
                }
                here.push_back(&f);
            }
        }
    }
    EXPECT_EQ(overlaps, intended);
}

TEST(MemoryMap, ReservedBytesAreExactlyTheOnesThePagerKeepsForItself) {
    const auto expected = documentedReserved();
    std::map<int, std::uint8_t> actual;
    for (const auto& r : reservedBytes()) {
        actual[r.offset] = r.mask;
        EXPECT_EQ(r.region, regionAt(r.offset).id);
    }
    std::string mismatches;
    for (int offset = 0; offset < static_cast<int>(kImageSize); ++offset) {
        const auto e = expected.count(offset) ? expected.at(offset) : 0;
        const auto a = actual.count(offset) ? actual.at(offset) : 0;
        if (e != a)
            mismatches += std::to_string(offset) + ": reserved " + hexByte(a) + ", documented " + hexByte(e) + "\n";
    }
    EXPECT_EQ(mismatches, "");
}

TEST(MemoryMap, EveryNameFindsItsOwnField) {
    for (const auto& f : fields()) EXPECT_EQ(findField(f.name), &f) << f.name << " is declared twice";
    EXPECT_EQ(findField("F1Tone2[8]"), nullptr) << "group addresses have no tone 2";
    EXPECT_EQ(findField("MenuPrompt[15]"), nullptr);
    EXPECT_THROW(field("NoSuchField"), std::out_of_range);
}

TEST(MemoryMap, RealFieldsSitAtTheirOffsetsInTheBuiltInCodePlug) {
    struct Case {
        const char* name;
        int offset;
        int shift;
        int width;
        std::vector<std::uint8_t> value;
    };
    const Case cases[] = {
        {"MsgReadStatus", 19, 0, 8, {255}},
        {"LcmVop", 190, 0, 8, {22}},
        {"TwoChannelMode", 1, 2, 1, {1}},
        {"ClearAllMsgOnOff", 2, 2, 1, {1}},
        {"DecoderPowerDown", 2, 3, 1, {0}},
        {"FunctionWithVibrationAlert", 16, 7, 1, {1}},
        {"KeyFunctions", 31, 0, 5, {0}},
        {"SquelchRecordOff", 80, 6, 1, {1}},
        {"ModelTag", 8, 0, 8, {'K', 'M', '6', '4', '0', 'V', 0, 0}},
        {"PlectronTiming.GroupCallDuration", 120, 0, 8, {45}},
        {"StdTiming.DecodingTime", 134, 0, 8, {16}},
        {"StdTiming.WaitingToneA", 131, 0, 8, {100}},
        {"StdTiming.GapMax", 140, 0, 8, {50}},
        {"ClockSetting", 160, 0, 8, {0x00, 0x00, 0x12, 0x02, 0x01, 0x01, 0x09}},
        {"BatteryGaugeLevels[2]", 242, 0, 8, {166}},
        {"VoiceDownBatteryLow", 244, 2, 1, {1}},
        {"F1Tone1[0]", 256, 0, 8, {0x12, 0x85, 0x80}},
        {"F1AddrOn[0]", 262, 0, 1, {1}},
        {"F1AddrOn[1]", 278, 0, 1, {0}},
        {"F1AddrNoVibInCharger[0]", 262, 3, 1, {0}},
        {"F1AddrAlertSeconds[3]", 319, 0, 8, {5}},
        {"F2Tone2[7]", 627, 0, 8, {0x08, 0x79, 0x00}},
        {"F2AddrProfiles[11]", 695, 0, 4, {15}},
        {"F2AddrAlertTone[11]", 702, 0, 8, {16}},
        {"F1AddrName[8]", 864, 0, 8, bytesOf(" Group_1 F1 ")},
        {"F2AddrName[0]", 960, 0, 8, bytesOf(" Addr_1 F2  ")},
        {"MenuPrompt[7]", 1236, 0, 8, bytesOf("SEL PROFILE ")},
        {"MenuPrompt[13]", 1340, 0, 8, bytesOf("     PAGE   ")},
        {"LogoLine2", 1388, 0, 8, bytesOf("   KM-640   ")},
        {"ShowVersion", 1400, 0, 8, {1}},
        {"F1ToneWords[7].Tone2", 1438, 0, 8, {0xC7, 0x14}},
        {"F1ToneWords[8].Tone1", 1440, 0, 8, {0xC2, 0xAC}},
        {"F2ToneWords[11].Tone1", 1500, 0, 8, {0xCA, 0x88}},
        {"NbSquelch[4].SpeakerOn", 1518, 0, 8, {0x1A}},
        {"WbSquelch[3].SpeakerOn", 1531, 0, 8, {0x26}},
        {"Profile[0].PName", 1536, 0, 8, bytesOf(" Profile 1  ")},
        {"Profile[0].F1Freq", 1568, 0, 8, {0x01, 0x52, 0x00, 0x00}},
        {"Profile[0].F1PLLN", 1572, 0, 8, {0x00, 0x14, 0x68, 0x00}},
        {"Profile[0].SwitchA.Mode", 1557, 0, 4, {6}},
        {"Profile[0].SwitchA.AlertType", 1557, 4, 3, {1}},
        {"Profile[1].F1Freq", 1632, 0, 8, {0x01, 0x52, 0x34, 0x00}},
        {"Profile[1].ResetDelay", 1626, 0, 8, {30}},
        {"Profile[2].F2PLLR", 1720, 0, 8, {0x00, 0x03, 0x46, 0x11}},
        {"Profile[2].F2ChannelSpacing", 1724, 0, 8, {0x10}},
        {"Profile[3].SwitchC.AlertType", 1751, 4, 3, {2}},
        {"Profile[3].SwitchD.PushToListen", 1752, 7, 1, {0}},
        {"Profile[3].F2Squelch", 1791, 0, 8, {3}},
        {"TonalityDivider[0]", 1792, 0, 8, {0x04, 0x5E}},
        {"TonalityHz[3]", 1806, 0, 8, {23, 0}},
        {"AlertPattern[0].Tones", 1808, 0, 8, {0x01, 0x23, 0x01, 0x23}},
        {"AlertPattern[1].Led", 1820, 0, 8, {0x33}},
        {"AlertPattern[7].Vibrator", 1869, 0, 8, {0x27}},
        {"InitTag", 2000, 0, 8, bytesOf("PROGRAM1")},
        {"IdentMarker", 2015, 0, 8, {0xA7}},
    };
    const CodePlugImage& image = DefaultImage();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Field& f = field(c.name);
        EXPECT_EQ(f.offset, c.offset);
        EXPECT_EQ(f.shift, c.shift);
        EXPECT_EQ(f.width, c.width);
        EXPECT_EQ(readField(image, f), c.value);
    }
}

TEST(MemoryMap, PatternLookupExpandsIndexes) {
    struct Case {
        const char* pattern;
        int index;
        int subIndex;
        const char* name;
        int offset;
    };
    const Case cases[] = {
        {"Profile[{}].{}Freq", 2, 1, "Profile[2].F2Freq", 1712},
        {"Profile[{}].Switch{}.PushToListen", 1, 3, "Profile[1].SwitchD.PushToListen", 1624},
        {"{}Tone2[{}]", 1, 7, "F2Tone2[7]", 627},
        {"{}Squelch[{}].Nrssi", 1, 4, "WbSquelch[4].Nrssi", 1532},
        {"MenuPrompt[{}]", 7, 0, "MenuPrompt[7]", 1236},
        {"MenuPrompt[{}]", 8, 0, "MenuPrompt[8]", 1280},
        {"{}Timing.Tone2Duration", 0, 0, "PlectronTiming.Tone2Duration", 116},
        {"BatteryGaugeLevels[{}]", 0, 0, "BatteryGaugeLevels[0]", 240},
        {"MsgReadStatus", 0, 0, "MsgReadStatus", 19},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        const Field& f = field(c.pattern, c.index, c.subIndex);
        EXPECT_EQ(f.name, c.name);
        EXPECT_EQ(f.offset, c.offset);
        EXPECT_EQ(f.index, c.index);
        EXPECT_EQ(f.subIndex, c.subIndex);
    }
    EXPECT_THROW(field("{}Tone2[{}]", 0, 8), std::out_of_range);
    EXPECT_THROW(field("MenuPrompt[{}]", 15), std::out_of_range);
    EXPECT_THROW(field("Profile[{}].PName", -1), std::out_of_range);
}

TEST(MemoryMap, ReadNumberIsBigEndian) {
    CodePlugImage image = DefaultImage();
    EXPECT_EQ(readNumber(image, field("Profile[0].F1PLLN")), 0x00146800u);
    EXPECT_EQ(readNumber(image, field("TonalityDivider[3]")), 131u);
    EXPECT_EQ(readNumber(image, field("Profile[0].SwitchA.AlertType")), 1u);
    ImageChecksum(image);
    EXPECT_EQ(readNumber(image, field("ImageChecksum")), ComputeImageChecksum(image));
    EXPECT_THROW(readNumber(image, field("SerialNo")), std::invalid_argument);
}

TEST(MemoryMap, PromptsOnTheHiddenPageAreMarkedNotEditable) {
    for (int k = 0; k < 15; ++k)
        EXPECT_EQ(field("MenuPrompt[{}]", k).hidden(), k == 0 || k == 2 || k == 4 || k == 5) << k;
}

TEST(MemoryMap, ValuesTheProgramComputesAreMarkedDerived) {
    for (const char* name : {"PowerOnMenuCount", "IdleMenuCount", "ActiveSwitchSettings", "Profile[3].F2PLLN",
                             "Profile[3].F2PLLR", "F2ToneWords[11].Tone1", "AuxDbDataCopy"})
        EXPECT_TRUE(field(name).derived()) << name;
    for (const char* name : {"PowerOnMenuItems", "Profile[3].F2Freq", "F2Tone1[11]", "AuxDbData"})
        EXPECT_FALSE(field(name).derived()) << name;
}
