#include <gtest/gtest.h>

#include "rf/SynthesizerWords.h"

using namespace km640;

TEST(SynthesizerWords, DividersAndRegisterWords) {
    struct Row { std::int64_t hz; Spacing s; Band band; int m; std::uint32_t n, b, a, plln, pllr; };
    const Row rows[] = {
        {152'000'000, Spacing::Hz12500, Band::Vhf, 1, 10448, 326, 16, 0x00146800, 0x0001A311},
        {152'340'000, Spacing::Hz2500, Band::Vhf, 1, 52376, 1636, 24, 0x00664C00, 0x00082F11},
        {161'125'000, Spacing::Hz6250, Band::Vhf, 1, 22356, 698, 20, 0x002BAA00, 0x00034611},
        {45'000'000, Spacing::Hz12500, Band::Low, 1, 5312, 166, 0, 0x000A6000, 0x0001A311},
        {450'012'500, Spacing::Hz12500, Band::Upper, 2, 17144, 535, 24, 0x00217C00, 0x0001A311},  // 17144.5 cut
        // band edges
        {33'000'000, Spacing::Hz12500, Band::Low, 1, 4352, 136, 0, 0x00088000, 0x0001A311},
        {51'000'000, Spacing::Hz12500, Band::Low, 1, 5792, 181, 0, 0x000B5000, 0x0001A311},
        {100'000'000, Spacing::Hz12500, Band::Vhf, 1, 6288, 196, 16, 0x000C4800, 0x0001A311},
        {200'000'000, Spacing::Hz12500, Band::Vhf, 1, 14288, 446, 16, 0x001BE800, 0x0001A311},
        {200'000'100, Spacing::Hz2500, Band::Upper, 2, 35720, 1116, 8, 0x0045C400, 0x00082F11},
        {51'000'100, Spacing::Hz2500, Band::Upper, 2, 5920, 185, 0, 0x000B9000, 0x00082F11},
        {99'999'900, Spacing::Hz12500, Band::Upper, 2, 3143, 98, 7, 0x00062380, 0x0001A311},
        // below 33 MHz, only from a loaded image
        {32'999'900, Spacing::Hz2500, Band::Upper, 2, 2319, 72, 15, 0x00048780, 0x00082F11},
        {25'000'000, Spacing::Hz12500, Band::Upper, 2, 144, 4, 16, 0x00004800, 0x0001A311},
        {21'400'000, Spacing::Hz12500, Band::Upper, 2, 0, 0, 0, 0x00000000, 0x0001A311},
        {0, Spacing::Hz2500, Band::Upper, 2, 0, 0, 0, 0x00000000, 0x00082F11},
        // the largest eight-digit frequency
        {9'999'999'900, Spacing::Hz12500, Band::Upper, 2, 399143, 12473, 7, 0x030B9380, 0x0001A311},
    };
    for (const auto& r : rows) {
        const SynthesizerWords expected{r.band, r.m, r.n, r.b, r.a, r.plln, r.pllr};
        EXPECT_EQ(computeSynthesizerWords(r.hz, r.s), expected) << r.hz << " Hz at " << spacingHz(r.s);
    }
}

TEST(SynthesizerWords, ShownAsEightUppercaseHexDigits) {
    EXPECT_EQ(wordText(0x00146800), "00146800");
    EXPECT_EQ(wordText(0xABCDEF01), "ABCDEF01");
}
