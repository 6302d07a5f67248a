// The built-in code-plug: what a new pager carries and what every run of the
// program starts from before "default.tbl" is looked for.

#include "codeplug/CodePlugImage.h"

#include <cstdio>
#include <string>
#include <vector>

namespace km640 {
namespace {

// System settings block, 16 rows of 16 bytes. "pp" marks the power-on menu
// password characters, filled from kDefaultPassword.
constexpr const char* kSystemRows[16] = {
    "4A EE F5 20 00 00 FF FF 4B 4D 36 34 30 56 00 00",
    "B2 E4 00 FF E7 08 40 FF pp pp pp pp 08 0A FF 00",
    "00 00 00 00 78 FF 00 0A 00 00 03 00 C8 00 00 00",
    "08 01 FF FF 06 06 0A 0A FF FF FF FF FF FF FF FF",
    "00 11 22 03 00 00 00 00 00 00 00 00 00 00 00 00",
    "CF 00 00 03 1E 00 01 01 00 08 10 18 20 28 30 38",
    "20 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF",
    "05 FF 05 64 04 FF 04 FF 2D FF 2D FF 0F 96 0F FF",
    "08 FF 0F 64 05 FF 10 FF 7D FF 7D FF 32 96 0F FF",
    "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF",
    "00 00 12 02 01 01 09 15 00 FC 00 00 00 00 00 28",
    "14 FF 00 05 D4 D7 DA DD DF E1 E3 E5 E7 E9 16 10",
    "D0 0D C9 11 C9 96 CA 84 CB 0C CC 00 CC 8B CD 84",
    "CE 80 CF 0E D3 8A D1 80 C7 8E D2 84 C8 0D C8 8E",
    "00 00 00 00 03 1E 03 00 00 00 00 00 00 00 00 00",
    "95 A0 A6 91 07 00 00 00 14 00 00 00 00 00 00 00",
};

// Four profile records of 64 bytes.
constexpr const char* kProfileRows[16] = {
    "20 50 72 6F 66 69 6C 65 20 31 20 20 01 01 FF FF",
    "04 00 01 02 03 16 04 02 03 00 10 FF FF FF FF FF",
    "01 52 00 00 00 14 68 00 00 01 A3 11 10 00 00 03",
    "01 62 00 00 00 15 F8 00 00 01 A3 11 10 00 00 03",
    "20 50 72 6F 66 69 6C 65 20 32 20 20 00 01 FF FF",
    "00 00 01 02 03 14 25 06 10 01 1E FF FF FF FF FF",
    "01 52 34 00 00 66 4C 00 00 08 2F 11 12 00 00 03",
    "01 61 34 00 00 6D 54 00 00 08 2F 11 12 00 00 03",
    "20 50 72 6F 66 69 6C 65 20 33 20 20 00 01 FF FF",
    "04 00 01 02 03 21 02 13 24 02 1E FF FF FF FF FF",
    "01 52 12 50 00 66 21 00 00 08 2F 11 12 00 00 03",
    "01 61 12 50 00 2B AA 00 00 03 46 11 10 00 00 03",
    "20 50 72 6F 66 69 6C 65 20 34 20 20 00 01 FF FF",
    "04 00 01 02 03 05 16 20 01 03 1E FF FF FF FF FF",
    "01 55 00 00 00 68 60 00 00 08 2F 11 12 00 00 03",
    "01 60 00 00 00 6C 48 00 00 08 2F 11 12 00 00 03",
};

// Alert tonality (4 dividers, 4 frequencies) and the eight alert patterns.
constexpr const char* kAlertRows =
    "04 5E 02 2F 00 F8 00 83 02 00 04 00 09 00 17 00 "
    "01 23 01 23 11 0F FF FF 0F 0F FF FF 33 33 FF FF 1F 1F FF FF 77 0F FF FF "
    "2F 2F FF FF 55 33 FF FF 3F 3F FF FF 01 2F FF FF 00 11 22 33 03 23 FF FF "
    "00 00 11 11 07 23 FF FF 22 22 33 33 05 27 FF FF";

constexpr const char* kThresholdRows =
    "45 22 09 45 26 0D 45 2B 11 45 2F 15 45 33 1A FF 51 2F 09 51 2F 0D 51 33 11 51 33 26 51 44 33 FF";

// One call-address record of 16 bytes: tone 1 and tone 2 in BCD, flags.
constexpr const char* kAddressRecord = "12 85 80 08 79 00 62 FF FF FF FF FF FF FF 10 05";

void putHex(CodePlugImage& image, int offset, const char* hex) {
    std::string s(hex);
    std::size_t pos = 0;
    int at = offset;
    while (pos < s.size()) {
        while (pos < s.size() && s[pos] == ' ') ++pos;
        if (pos >= s.size()) break;
        const std::string tok = s.substr(pos, 2);
        pos += 2;
        if (tok == "pp") {
            const int k = at - 24;  // password bytes 24..27
            image.setByte(at++, static_cast<std::uint8_t>(kDefaultPassword[static_cast<std::size_t>(k)]));
        } else {
            image.setByte(at++, static_cast<std::uint8_t>(std::stoi(tok, nullptr, 16)));
        }
    }
}

void fill(CodePlugImage& image, int from, int to, std::uint8_t value) {
    for (int i = from; i <= to; ++i) image.setByte(i, value);
}

void addressTable(CodePlugImage& image, int base) {
    for (int r = 0; r < 12; ++r) {
        putHex(image, base + 16 * r, kAddressRecord);
        if (r == 0) image.setByte(base + 6, 0x63);
        if (r >= 8) fill(image, base + 16 * r + 3, base + 16 * r + 5, 0xFF);
    }
}

void addressNames(CodePlugImage& image, int base, const char* channel) {
    char buf[32];
    for (int r = 0; r < 12; ++r) {
        if (r < 8)
            std::snprintf(buf, sizeof buf, " Addr_%d %s", r + 1, channel);
        else
            std::snprintf(buf, sizeof buf, " Group_%d %s", r - 7, channel);
        image.setText(base + 12 * r, 12, buf);
    }
}

void spareNameSlots(CodePlugImage& image, int base) {
    for (int r = 0; r < 4; ++r) image.setText(base + 12 * r, 12, "-          .");
}

void toneWords(CodePlugImage& image, int base, bool f2) {
    for (int r = 0; r < 12; ++r) {
        const char* rec = r < 8 ? "CA 88 C7 14" : (f2 ? "CA 88 00 00" : "C2 AC 00 00");
        putHex(image, base + 4 * r, rec);
    }
}

CodePlugImage buildDefault() {
    CodePlugImage image;
    for (int r = 0; r < 16; ++r) putHex(image, 16 * r, kSystemRows[r]);
    addressTable(image, 256);
    fill(image, 448, 511, 0xFF);
    addressTable(image, 512);
    fill(image, 704, 767, 0xFF);
    addressNames(image, 768, "F1");
    spareNameSlots(image, 912);
    addressNames(image, 960, "F2");
    spareNameSlots(image, 1104);

    const char* prompts[] = {"Keyin PW?   ", "CLR MESSAGE ", "Clr all msg?", "  SET DATE  ",
                             "Sel FS alt? ", "Set new PW  ", "SET CONTRAST", "SEL PROFILE "};
    for (int k = 0; k < 8; ++k) image.setText(1152 + 12 * k, 12, prompts[k]);
    image.setText(1248, 12, "8SET 123456*");
    image.setText(1260, 12, "9SET 123456*");
    fill(image, 1272, 1279, 0xFF);
    const char* prompts2[] = {"  SET TIME  ", "CLEARING MSG", "    YES     ", "     NO     ",
                              "  NO PAGES  ", "     PAGE   ", "     PAGES  "};
    for (int k = 0; k < 7; ++k) image.setText(1280 + 12 * k, 12, prompts2[k]);
    fill(image, 1364, 1375, 0xFF);
    image.setText(1376, 12, "   NORVEX   ");
    image.setText(1388, 12, "   KM-640   ");
    image.setByte(1400, 0x01);
    fill(image, 1401, 1407, 0xFF);
    toneWords(image, 1408, false);
    toneWords(image, 1456, true);
    putHex(image, 1504, kThresholdRows);
    for (int r = 0; r < 16; ++r) putHex(image, 1536 + 16 * r, kProfileRows[r]);
    putHex(image, 1792, kAlertRows);
    fill(image, 1872, 1935, 0xFF);

    // Identification block: zeros, three digits the pager keeps for itself,
    // the init tag and the markers around the pager's own block.
    fill(image, 1936, 2047, 0x00);
    image.setText(1947, 3, "640");
    image.setText(ident::kInitTag, 8, "PROGRAM1");
    image.setByte(2015, 0xA7);
    image.setByte(2031, 0xAA);
    image.setByte(2047, 0x55);
    return image;
}

}  // namespace

const CodePlugImage& DefaultImage() {
    static const CodePlugImage image = buildDefault();
    return image;
}

}  // namespace km640
