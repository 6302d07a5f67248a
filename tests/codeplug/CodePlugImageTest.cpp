#include <gtest/gtest.h>

#include "codeplug/CodePlugImage.h"

using namespace km640;

TEST(CodePlugImage, BitAccess) {
    CodePlugImage img = DefaultImage();
    EXPECT_EQ(img.byte(22), 0x40);
    EXPECT_EQ(img.GetBits(22, 6, 1), 1);
    EXPECT_EQ(img.GetBits(22, 0, 6), 0);
    img.SetBits(1, 2, 0, 1);
    EXPECT_EQ(img.byte(1), 0xEA);
    img.SetBits(1, 4, 0x3, 2);
    EXPECT_EQ(img.byte(1), 0xFA);
    img.setWord(100, 0xCA88);
    EXPECT_EQ(img.byte(100), 0xCA);
    EXPECT_EQ(img.byte(101), 0x88);
    EXPECT_EQ(img.word(100), 0xCA88);
}

TEST(CodePlugImage, TextIsBlankFilledAndShownTrimmed) {
    CodePlugImage img;
    img.setText(768, 12, " Addr_1");
    EXPECT_EQ(img.text(768, 12), " Addr_1     ");
    EXPECT_EQ(displayText(img.text(768, 12)), " Addr_1");
    img.setText(768, 12, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(img.text(768, 12), "ABCDEFGHIJKL");
    EXPECT_EQ(displayText(std::string("AB\x01\x1f  ", 6)), "AB");
}

TEST(CodePlugImage, ChecksumCoversOnlyBytesBeforeIt) {
    CodePlugImage img = DefaultImage();
    EXPECT_EQ(img.word(1950), 0) << "the built-in image carries no checksum";
    EXPECT_FALSE(ImageChecksumValid(img));
    ImageChecksum(img);
    EXPECT_TRUE(ImageChecksumValid(img));
    const auto sum = img.word(1950);
    img.setByte(2000, 0x00);  // outside the covered span
    img.setByte(1960, 0x41);
    EXPECT_EQ(ComputeImageChecksum(img), sum);
    img.setByte(1949, static_cast<std::uint8_t>(img.byte(1949) + 1));
    EXPECT_FALSE(ImageChecksumValid(img));

    CodePlugImage all;
    all.bytes().fill(0xFF);
    EXPECT_EQ(ComputeImageChecksum(all), (1950 * 255) % 65536);
}

TEST(CodePlugImage, SerialNumberBlock) {
    CodePlugImage img = DefaultImage();
    EXPECT_EQ(SerialNumberText(img), "") << "16 zero bytes show empty";
    for (int i = 0; i < 16; ++i) img.setByte(1952 + i, 0xFF);
    EXPECT_TRUE(SerialBlockBlank(img.span(1952, 16)));
    EXPECT_EQ(SerialNumberText(img), "");

    StoreSerialNumber(img, "A1B2C3D4E5F6G7");
    EXPECT_EQ(SerialNumberText(img), "A1B2C3D4E5F6G7") << "all 14 characters are kept";
    unsigned sum = 0;
    for (char c : std::string("A1B2C3D4E5F6G7")) sum += static_cast<unsigned char>(c);
    EXPECT_EQ(img.word(1966), sum);
    EXPECT_TRUE(SerialBlockValid(img.span(1952, 16)));

    StoreSerialNumber(img, "A1B2C3D4E5F6");
    EXPECT_EQ(img.byte(1964), 0);
    EXPECT_EQ(img.byte(1965), 0);
    EXPECT_EQ(SerialNumberText(img), "A1B2C3D4E5F6");
    img.setByte(1967, static_cast<std::uint8_t>(img.byte(1967) ^ 1));
    EXPECT_FALSE(SerialBlockValid(img.span(1952, 16)));
}

TEST(CodePlugImage, VersionRules) {
    struct Case { std::uint8_t hi, lo; int version; bool old; };
    const Case cases[] = {
        {0x01, 0x16, 116, true}, {0x01, 0x17, 117, false}, {0x00, 0x99, 99, true},
        {0xFF, 0x00, 25500, true}, {0x01, 0x19, 119, false}, {0x00, 0x00, 0, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodePlugVersion(c.hi, c.lo), c.version);
        EXPECT_EQ(CodePlugIsOld(c.hi, c.lo), c.old) << c.version;
    }
    CodePlugImage img;
    img.setByte(1982, 0xAB);
    img.setByte(1983, 0xCD);
    StampVersion(img);
    EXPECT_EQ(img.byte(1982), 0x01);
    EXPECT_EQ(img.byte(1983), 0x19);
    EXPECT_EQ(VersionDigits(), "0119");
    EXPECT_EQ(ProgramVersionText(), "1.1.9");

    img.setByte(240, 1);
    LegacyBatteryPatch(img);
    EXPECT_EQ(img.byte(240), 149);
    EXPECT_EQ(img.byte(241), 160);
    EXPECT_EQ(img.byte(242), 166);
}

TEST(CodePlugImage, ModelText) {
    CodePlugImage img = DefaultImage();
    EXPECT_FALSE(HasModelName(img.bytes()));
    img.setByte(1978, 0x77);
    WriteModelText(img);
    EXPECT_EQ(img.text(1968, 10), "KM640 V119");
    EXPECT_EQ(img.byte(1978), 0x77) << "bytes after the model text are not touched";
    EXPECT_TRUE(HasModelName(img.bytes()));
    img.setByte(1972, '1');
    EXPECT_FALSE(HasModelName(img.bytes()));
}

TEST(CodePlugImage, ThresholdCodes) {
    struct Case { int hundredths; int code; };
    const Case cases[] = {{45, 38}, {30, 26}, {81, 69}, {95, 81}, {40, 34}, {10, 9}, {255, 218}, {0, 0}};
    for (const auto& c : cases) EXPECT_EQ(ThresholdCode(c.hundredths), c.code) << c.hundredths;
    EXPECT_EQ(ThresholdCodeFromVolts(2.55f), 218);

    CodePlugImage built = DefaultImage();
    for (int i = 1504; i < 1536; ++i) built.setByte(i, 0xFF);
    BuildDefaultThresholds(built);
    EXPECT_EQ(built, DefaultImage()) << "the built thresholds equal the built-in bytes";
}

TEST(DefaultImage, Regions) {
    const CodePlugImage& img = DefaultImage();
    struct Probe { int offset; std::uint8_t value; };
    const Probe probes[] = {
        {0, 0x4A}, {15, 0x00}, {21, 0x08}, {22, 0x40}, {28, 0x08}, {29, 0x0A}, {64, 0x00}, {67, 0x03},
        {190, 0x16}, {191, 0x10}, {240, 0x95}, {255, 0x00},
        {256, 0x12}, {262, 0x63}, {278, 0x62}, {256 + 16 * 8 + 3, 0xFF}, {256 + 16 * 8 + 6, 0x62},
        {447, 0x05}, {448, 0xFF}, {511, 0xFF}, {512, 0x12}, {518, 0x63}, {704, 0xFF}, {767, 0xFF},
        {1272, 0xFF}, {1400, 0x01}, {1401, 0xFF}, {1408, 0xCA}, {1411, 0x14}, {1440, 0xC2}, {1443, 0x00},
        {1488, 0xCA}, {1489, 0x88}, {1504, 0x45}, {1519, 0xFF}, {1535, 0xFF},
        {1568, 0x01}, {1573, 0x14}, {1791, 0x03}, {1792, 0x04}, {1871, 0xFF}, {1872, 0xFF}, {1935, 0xFF},
        {1936, 0x00}, {1946, 0x00}, {2015, 0xA7}, {2031, 0xAA}, {2047, 0x55}, {1950, 0}, {1968, 0},
    };
    for (const auto& p : probes) EXPECT_EQ(img.byte(p.offset), p.value) << "offset " << p.offset;

    EXPECT_EQ(img.text(8, 6), "KM640V");
    for (int i = 24; i < 28; ++i) EXPECT_TRUE(std::isdigit(img.byte(i))) << "password digit " << i;
    EXPECT_EQ(img.text(768, 12), " Addr_1 F1  ");
    EXPECT_EQ(img.text(768 + 12 * 8, 12), " Group_1 F1 ");
    EXPECT_EQ(img.text(960 + 12 * 11, 12), " Group_4 F2 ");
    EXPECT_EQ(img.text(912, 12), "-          .");
    EXPECT_EQ(img.text(1104 + 36, 12), "-          .");
    EXPECT_EQ(img.text(1152, 12), "Keyin PW?   ");
    EXPECT_EQ(img.text(1236, 12), "SEL PROFILE ");
    EXPECT_EQ(img.byte(1248), '8');
    EXPECT_EQ(img.text(1249, 4), "SET ");
    EXPECT_EQ(img.byte(1259), '*');
    EXPECT_EQ(img.byte(1260), '9');
    EXPECT_EQ(img.text(1352, 12), "     PAGES  ");
    EXPECT_EQ(img.text(1388, 12), "   KM-640   ");
    EXPECT_EQ(img.text(1536, 12), " Profile 1  ");
    EXPECT_EQ(img.text(1728, 12), " Profile 4  ");
    EXPECT_EQ(img.text(2000, 8), "PROGRAM1");
    for (int i = 1947; i < 1950; ++i) EXPECT_TRUE(std::isdigit(img.byte(i)));
}
