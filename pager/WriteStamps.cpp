#include "pager/WriteStamps.h"

#include "pager/PagerClock.h"

namespace km640 {

namespace {

struct Span {
    int offset;
    int length;
};
// The clock setting, the serial number with its checksum, the version stamp
// and the board data block.
constexpr Span kTakenFromPager[] = {
    {kClockSettingOffset, 7},
    {ident::kSerialNo, ident::kSerialBlockLength},
    {ident::kVersionBcd, 2},
    {ident::kPagerInfoBlock, ident::kPagerInfoLength},
};

}  // namespace

bool SetBatteryLevelsForPager(CodePlugImage& codePlug, std::uint8_t pagerVersionHigh, std::uint8_t pagerVersionLow) {
    if (!CodePlugIsOld(pagerVersionHigh, pagerVersionLow)) return false;
    LegacyBatteryPatch(codePlug);
    return true;
}

bool HoldsLegacyBatteryLevels(const CodePlugImage& pager) {
    CodePlugImage patched = pager;
    LegacyBatteryPatch(patched);
    return patched == pager;
}

bool AssumesLegacyBatteryLevels(const CodePlugImage& codePlug, const CodePlugImage& pager) {
    return !CodePlugIsOld(pager.byte(ident::kVersionBcd), pager.byte(ident::kVersionBcd + 1)) &&
           HoldsLegacyBatteryLevels(pager) && !HoldsLegacyBatteryLevels(codePlug);
}

CodePlugImage AsWrittenTo(const CodePlugImage& codePlug, const CodePlugImage& pager) {
    CodePlugImage written = codePlug;
    if (!SetBatteryLevelsForPager(written, pager.byte(ident::kVersionBcd), pager.byte(ident::kVersionBcd + 1)) &&
        HoldsLegacyBatteryLevels(pager))
        LegacyBatteryPatch(written);
    for (const Span& s : kTakenFromPager) written.copyIn(s.offset, pager.span(s.offset, s.length));
    written.setWord(ident::kChecksum, ComputeImageChecksum(pager));
    return written;
}

}  // namespace km640
