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

CodePlugImage AsWrittenTo(const CodePlugImage& codePlug, const CodePlugImage& pager) {
    CodePlugImage written = codePlug;
    for (const Span& s : kTakenFromPager) written.copyIn(s.offset, pager.span(s.offset, s.length));
    written.setWord(ident::kChecksum, ComputeImageChecksum(pager));
    return written;
}

}  // namespace km640
