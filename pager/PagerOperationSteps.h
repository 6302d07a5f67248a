#pragma once
// What the pager operations share between their files: the pager memory's
// 64-byte blocks, the progress gauge's steps and the status texts the
// operations show. Private to pager/.

#include <cstdio>
#include <string>

#include "codeplug/CodePlugImage.h"
#include "pager/OperationView.h"

namespace km640::pagerops {

constexpr int kBlockSize = 64;
constexpr int kBlockCount = kTransferBlocks;
static_assert(kBlockCount * kBlockSize == static_cast<int>(kImageSize));
constexpr int kGaugeMax = 3200;
constexpr int kGaugeStep = 109;

constexpr const char* kReady = "  Ready ......";
constexpr const char* kReadyShort = "  Ready .....";
constexpr const char* kTesting = "  Target board testing ......";
constexpr const char* kReadMcuDataFail = "Read Read MCU Data Fail !";

// Address of a 64-byte block of the pager memory.
constexpr int blockAddress(int block) { return block * kBlockSize; }

inline std::string firmwareText(const CodePlugImage& image) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "FirmVer. %d.%d.%d", image.byte(ident::kPagerInfoBlock),
                  image.byte(ident::kPagerInfoBlock + 1), image.byte(ident::kPagerInfoBlock + 2));
    return buf;
}

}  // namespace km640::pagerops
