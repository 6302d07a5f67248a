#pragma once
// What a pager holds after this program wrote a code-plug to it. The write
// sends the code-plug as it is, except for what it takes from the pager or
// stamps at the moment of writing: the pager's own board data block and
// serial number block, the clock setting from the computer's clock, the
// version stamp and the image checksum that covers the clock. A verify of a
// file against a pager asks whether the pager holds what writing the file put
// there, so it takes those bytes from the pager before comparing.

#include "codeplug/CodePlugImage.h"

namespace km640 {

// `codePlug` (prepared for the pager as the write prepares it) with the
// bytes a write takes from the pager or stamps at write time as `pager`
// holds them. The image checksum is the one `pager` should hold for its own
// bytes: a pager whose checksum does not cover what it holds differs there.
CodePlugImage AsWrittenTo(const CodePlugImage& codePlug, const CodePlugImage& pager);

}  // namespace km640
