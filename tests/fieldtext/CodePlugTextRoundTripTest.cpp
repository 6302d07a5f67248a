// The code-plug text read back: a lossless export then import gives the same
// bytes, for the built-in code-plug, for code-plugs of every tone system,
// spacing and profile variety, and for code-plugs made by applying random
// accepted values; a template carries what a person sets and takes stamps
// and derived values from its base; texts that are not exactly understood
// are refused with the place of each problem.

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "codeplug/MemoryMap.h"
#include "fieldtext/CodePlugText.h"
#include "fieldtext/FieldTextRules.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/JsonWriter.h"
#include "settings/CodePlugNormalisation.h"

namespace km640::fieldtext {
namespace {


// The first differing byte, for a readable failure.
std::string firstDifference(const CodePlugImage& a, const CodePlugImage& b) {
    for (int k = 0; k < static_cast<int>(kImageSize); ++k)
        if (a.byte(k) != b.byte(k)) {
            const auto* field = fieldStartingAt(k);
            return "byte " + std::to_string(k) + " (" + (field ? field->name : std::string("?")) + "): " +
                   std::to_string(a.byte(k)) + " vs " + std::to_string(b.byte(k));
        }
    return "none";
}

void expectRoundTrip(const CodePlugImage& image, const CodePlugImage& base) {
    const std::string text = exportCodePlugText(image, TextForm::Lossless);
    const TextImport imported = importCodePlugText(text, base);
    ASSERT_TRUE(imported.error.empty()) << imported.error;
    for (const auto& r : imported.refusals) ADD_FAILURE() << refusalLine(r);
    EXPECT_EQ(imported.image, image) << firstDifference(imported.image, image);
}

// A template onto any base gives the code-plug's settings: everything but
// stamps, derived values and the pager's own reserved bytes.
void expectTemplateRoundTrip(const CodePlugImage& image, const CodePlugImage& base) {
    const TextImport imported = importCodePlugText(exportCodePlugText(image, TextForm::Template), base);
    ASSERT_TRUE(imported.error.empty()) << imported.error;
    for (const auto& r : imported.refusals) ADD_FAILURE() << refusalLine(r);
    CodePlugImage settings = imported.image;
    for (const auto& reserved : memmap::reservedBytes())
        if (reserved.region == memmap::Region::Identification) settings.setByte(reserved.offset, image.byte(reserved.offset));
    EXPECT_TRUE(memmap::sameUserSettings(settings, image)) << firstDifference(settings, image);
}

TEST(CodePlugTextRoundTrip, BuiltInCodePlugOntoItselfAndOntoZeros) {
    const CodePlugImage image = ProgrammedDefaultImage();
    expectRoundTrip(image, image);
    expectRoundTrip(image, DefaultImage());
    expectRoundTrip(image, CodePlugImage());
}

// A code-plug made from the built-in one by values the window takes, then
// normalised as the window shows it.
CodePlugImage variety(std::initializer_list<std::pair<const char*, const char*>> values) {
    CodePlugImage image = ProgrammedDefaultImage();
    for (const auto& [name, text] : values) {
        const auto refusal = setFieldFromText(image, name, text);
        EXPECT_FALSE(refusal) << name << "=" << text << ": " << (refusal ? refusal->message : "");
    }
    normaliseCodePlug(image);
    return image;
}

TEST(CodePlugTextRoundTrip, EveryToneSystemSpacingBandAndProfileVariety) {
    const CodePlugImage varieties[] = {
        variety({{"ToneSystem", "User"}, {"F1Tone1[0]", "1000.0"}, {"F1Tone2[0]", "1500.5"}}),
        variety({{"ToneSystem", "Plectron"}, {"PlectronTiming.DecodingTime", "0"}}),
        variety({{"DecodeBandwidth", "3.1"}, {"F1AddrOn[5]", "on"}, {"F1Tone1[5]", "2000"}}),
        variety({{"Profile[0].F1ChannelSpacing", "2.5 K"}, {"Profile[0].F2ChannelSpacing", "12.5 K"}}),
        variety({{"Profile[0].F1Freq", "1523125"}, {"Profile[0].F1ChannelSpacing", "6.25 K"}}),
        variety({{"Profile[0].F1Freq", "450000"}, {"Profile[0].F2Freq", "420000"}}),
        variety({{"Profile[0].F1Freq", "4500000"}, {"Profile[0].F2Freq", "4601250"}}),
        variety({{"Profile[1].PON", "on"}, {"Profile[2].PON", "on"}, {"Profile[3].PON", "on"},
                 {"InitialProfile", "Profile 3"}, {"IdleMenuItems", "{1,3,7}"}, {"Profile[2].PName", "Night"}}),
        variety({{"TwoChannelMode", "off"}, {"Profile[0].SwitchA.Mode", "Selective Call F1"}}),
        variety({{"FixedAlertTimeEnable", "on"}, {"F1AddrAlertTime[0]", "FIXED"}, {"F1AddrAlertSeconds[0]", "90"},
                 {"F1AddrAlertTone[0]", "User define 7"}}),
        variety({{"LcmVop", "20"}, {"Contrast", "2"}, {"DisableAllVibrator", "on"}, {"PrivacyEnable", "on"}}),
    };
    for (const auto& image : varieties) {
        expectRoundTrip(image, image);
        expectRoundTrip(image, DefaultImage());
        expectRoundTrip(image, ProgrammedDefaultImage());
        for (const auto& base : varieties) expectTemplateRoundTrip(image, base);
        expectTemplateRoundTrip(image, CodePlugImage());
    }
}

// ---- Randomised code-plugs ------------------------------------------------------

// A text for a field that the window may or may not take: an entry of its
// list, on or off, a set of items, a number of the field's kind or a text.
std::string randomText(std::mt19937& random, const CodePlugImage& image, const memmap::Field& field) {
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    using memmap::Encoding;
    const auto entries = shownEntries(image, field);
    if (!entries.empty()) return entries[static_cast<std::size_t>(pick(0, static_cast<int>(entries.size()) - 1))];
    switch (field.encoding) {
    case Encoding::Flag: return pick(0, 1) ? "on" : "off";
    case Encoding::BitSet: {
        std::string set = "{";
        for (int k = 0; k < field.length * field.width; ++k)
            if (pick(0, 1)) set += (set.size() > 1 ? "," : "") + std::to_string(k);
        return set + "}";
    }
    case Encoding::BcdFrequency: {
        const int bands[][2] = {{330000, 490000}, {1000000, 1990000}, {2000000, 4990000}};
        const auto& band = bands[pick(0, 2)];
        return std::to_string(pick(band[0], band[1]) / 125 * 125);
    }
    case Encoding::BcdTone: return std::to_string(pick(2800, 25000) / 10) + "." + std::to_string(pick(0, 9));
    case Encoding::Text: {
        std::string text;
        for (int k = pick(0, field.length); k > 0; --k) text += static_cast<char>(pick(0x21, 0x7E));
        return text.starts_with('"') ? "x" + text.substr(1) : text;
    }
    case Encoding::ThresholdCode: return "0." + std::to_string(pick(10, 99));
    case Encoding::PatternSteps: {
        std::string letters;
        for (int k = 0; k < 8; ++k) letters += "ABCD-"[pick(0, 4)];
        return letters;
    }
    case Encoding::StepBits: {
        std::string bits;
        for (int k = 0; k < 8; ++k) bits += pick(0, 1) ? '1' : '0';
        return bits;
    }
    default: break;
    }
    return std::to_string(pick(0, 300));
}

TEST(CodePlugTextRoundTrip, RandomisedCodePlugsOfAcceptedValues) {
    std::mt19937 random(23);
    std::vector<const memmap::Field*> shown;
    for (const auto& field : memmap::fields())
        if (!field.aggregate() && !field.hidden() && !field.stamped() && !field.derived()) shown.push_back(&field);
    int accepted = 0;
    for (int run = 0; run < 25; ++run) {
        CodePlugImage image = ProgrammedDefaultImage();
        for (int k = 0; k < 120; ++k) {
            const auto* field = shown[std::uniform_int_distribution<std::size_t>(0, shown.size() - 1)(random)];
            if (!setFieldFromText(image, field->name, randomText(random, image, *field))) ++accepted;
        }
        // The firmware's reserved bits hold whatever the pager left there.
        for (const auto& reserved : memmap::reservedBytes()) {
            const auto bits = static_cast<std::uint8_t>(random()) & reserved.mask;
            image.setByte(reserved.offset, static_cast<std::uint8_t>((image.byte(reserved.offset) & ~reserved.mask) | bits));
        }
        normaliseCodePlug(image);
        SCOPED_TRACE("run " + std::to_string(run));
        expectRoundTrip(image, DefaultImage());
        expectTemplateRoundTrip(image, ProgrammedDefaultImage());
    }
    // The values were mostly taken: the code-plugs are far from the built-in one.
    EXPECT_GT(accepted, 25 * 120 / 3);
}

// A text that names a few fields takes the others from the base.
TEST(CodePlugTextRoundTrip, APartialTextTakesTheRestFromTheBase) {
    const CodePlugImage base = variety({{"Profile[1].PON", "on"}, {"LogoLine1", "BASE"}});
    const std::string text = R"({"format": "km640-codeplug", "version": 1,
        "fields": {"MenuPrompt[1]": "Partial", "Profile[1].PName": "Second", "Profile[0].F1Freq": 1523400}})";
    const TextImport imported = importCodePlugText(text, base);
    ASSERT_TRUE(imported.ok()) << imported.error;
    EXPECT_EQ(fieldValueText(imported.image, memmap::field("LogoLine1")), "\"BASE\"");
    EXPECT_EQ(fieldValueText(imported.image, memmap::field("MenuPrompt[1]")), "\"Partial\"");
    EXPECT_EQ(fieldValueText(imported.image, memmap::field("Profile[1].PName")), "\"Second\"");
    EXPECT_EQ(fieldValueText(imported.image, memmap::field("Profile[1].PON")), "on");
    // A value may be a JSON number.
    EXPECT_EQ(fieldValueText(imported.image, memmap::field("Profile[0].F1Freq")), "1523400");
}

// A text the window's rules refuse names every refusal with its place; a text
// that is no code-plug text says why.
TEST(CodePlugTextRoundTrip, RefusalsAndUnreadableTexts) {
    const TextImport refused = importCodePlugText(
        "{\"format\": \"km640-codeplug\", \"version\": 2, \"fields\": {\"F1Tone1[0]\": \"9999\", \"Nothing\": \"1\",\n"
        "  \"LogoLine1\": [\"a\"], \"Profile[0].F1Freq\": \"1523400\"}}",
        DefaultImage());
    ASSERT_TRUE(refused.error.empty()) << refused.error;
    std::vector<std::string> lines;
    for (const auto& refusal : refused.refusals) lines.push_back(refusalLine(refusal));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "line 1, column 77: \"Nothing\" is no field of the code-plug",
                         "line 2, column 16: \"LogoLine1\" needs a string or a number as its value (or {\"raw\": "
                         "\"HEX\"}), not an array",
                         "line 1, column 55: F1Tone1[0]=9999: Please insert a number between 288.5 to 2468.2",
                     }));
    const std::pair<const char*, const char*> unreadable[] = {
        {R"({"format": "km640-codeplug", "version": 3, "fields": {}})",
         "not KM640 code-plug text: it was written in format version 3 by a newer program; this program reads up to 2"},
        {R"({"format": "other", "version": 1})", "not KM640 code-plug text: it has no \"format\": \"km640-codeplug\""},
        {"{\"format\": \"km640-codeplug\",\n \"version\": 1,\n \"fields\": {\"a\": \"b\",}}",
         "not readable as JSON: line 3, column 21: a comma before `}`"},
        {R"({"format": "km640-codeplug", "version": 1, "fields": {"LogoLine1": "\u20ac"}})",
         "not readable as JSON: line 1, column 69: a character the code-plug cannot hold (beyond U+00FF)"},
    };
    for (const auto& [text, error] : unreadable) EXPECT_EQ(importCodePlugText(text, DefaultImage()).error, error);
    // Two channels of one profile in two bands: each commit moves the other
    // into its band, so the text cannot be held and says so.
    const TextImport bands = importCodePlugText(
        R"({"format": "km640-codeplug", "version": 1,
            "fields": {"Profile[0].F1Freq": "1520000", "Profile[0].F2Freq": "4500000"}})",
        ProgrammedDefaultImage());
    ASSERT_FALSE(bands.refusals.empty());
    EXPECT_EQ(bands.refusals[0].field, "Profile[0].F1Freq");
    EXPECT_EQ(bands.refusals[0].message,
              "The code-plug cannot hold this value beside the text's other values: the window's rules made it 4500000");
    EXPECT_TRUE(isCodePlugText(exportCodePlugText(DefaultImage())));
    EXPECT_FALSE(isCodePlugText(R"({"format": "other"})"));
    EXPECT_FALSE(isCodePlugText(std::string(2048, '\0')));
}

// Every problem of a text's form is listed with its place; nothing is taken
// from a text with any (a repeated member is no second chance, a misspelled
// "fields" no empty code-plug).
TEST(CodePlugTextRoundTrip, ProblemsOfTheFormAreListedWithTheirPlaces) {
    const std::string head = "{\"format\": \"km640-codeplug\", \"version\": 2,\n";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {head + "\"Fields\": {\"LogoLine1\": \"A\"}}",
         {"line 2, column 1: \"Fields\" is no member of a code-plug text; its members are \"format\", \"version\", "
          "\"fields\" and \"reserved\"",
          "line 1, column 1: the text has no \"fields\" member with the code-plug's fields"}},
        {head + "\"fields\": {\"LogoLine1\": \"A\",\n \"LogoLine1\": \"B\"}}",
         {"line 3, column 2: \"LogoLine1\" is given a second time in one object (first at line 2, column 12)"}},
        {head + "\"fields\": {\"LogoLine1\": \"A\"}, \"fields\": {}}",
         {"line 2, column 31: \"fields\" is given a second time in one object (first at line 2, column 1)"}},
        {head + "\"version\": 1, \"fields\": {}}",
         {"line 2, column 1: \"version\" is given a second time in one object (first at line 1, column 30)"}},
        {head + "\"fields\": {\"LogoLine1\": 7, \"Clock24h\": {\"raw\": \"01\", \"x\": 1}, \"ToneSystem\": null}}",
         {"line 2, column 40: \"Clock24h\" needs a string or a number as its value (or {\"raw\": \"HEX\"}), not an object",
          "line 2, column 77: \"ToneSystem\" needs a string or a number as its value (or {\"raw\": \"HEX\"}), not null"}},
        {head + "\"fields\": [], \"reserved\": {\"bytes\": {\"448\": \"00 00\", \"449\": \"00\", \"1376\": \"00\", \"0448\": "
                "\"00\"}, \"more\": {}}}",
         {"line 2, column 11: \"fields\" must be an object, not an array",
          "line 2, column 96: \"more\" is no member of \"reserved\"; its members are \"fields\" and \"bytes\"",
          "line 2, column 54: reserved bytes \"449\": byte 449 is given a second time (first at line 2, column 38)",
          "line 2, column 67: reserved bytes \"1376\": byte 1376 is no reserved byte; a field holds it",
          "line 2, column 81: reserved bytes \"0448\": reserved bytes are given as \"OFFSET\": \"HEX BYTES\" within the "
          "image"}},
        {head + "\"fields\": {\"LogoLine1\": \"A\"}, \"reserved\": {\"fields\": {\"LogoLine1\": \"41\"}}}",
         {"line 2, column 55: \"LogoLine1\" is given a second time (first at line 2, column 12)"}},
        // A NUL and an escape sequence in a name, a line feed in a text the window types.
        {head + "\"fields\": {\"Logo\\u0000\\u001b[2J\": \"A\", \"LogoLine1\": \"A\\nB\", \"Profile[0].PName\": \"\\t\"}}",
         {"line 2, column 12: \"Logo" + std::string(1, '\0') + "\x1B[2J\" is no field of the code-plug",
          "line 2, column 40: LogoLine1=A\nB: The window's field cannot take a line feed",
          "line 2, column 61: Profile[0].PName=\t: The window's field cannot take a tab"}},
    };
    for (const auto& [text, expected] : cases) {
        const TextImport imported = importCodePlugText(text, ProgrammedDefaultImage());
        ASSERT_TRUE(imported.error.empty()) << text << ": " << imported.error;
        std::vector<std::string> lines;
        for (const auto& refusal : imported.refusals) lines.push_back(refusalLine(refusal));
        EXPECT_EQ(lines, expected) << text;
        EXPECT_FALSE(imported.ok());
    }
}

// Texts travel as their letters (UTF-8), control bytes and invisible ones as
// escapes; both come back as the same bytes.
TEST(CodePlugTextRoundTrip, EightBitTextsTravelAsTheirOwnLetters) {
    CodePlugImage image = ProgrammedDefaultImage();
    ASSERT_FALSE(setFieldFromText(image, "Profile[1].PName", "L\xC3\xB6schzug S\xC3\xBC" "d"));
    image.setText(memmap::field("LogoLine1").offset, 12, "Gr\xFC\xDF \xA9\x85\xA0\xAD");
    const std::string text = exportCodePlugText(image);
    EXPECT_NE(text.find("\"Profile[1].PName\": \"L\xC3\xB6schzug S\xC3\xBC" "d\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"LogoLine1\": {\"raw\": \"47 72 FC DF 20 A9 85 A0 AD 20 20 20\"}"), std::string::npos);
    EXPECT_EQ(text.find("\\u00fc"), std::string::npos);
    const TextImport imported = importCodePlugText(text, DefaultImage());
    ASSERT_TRUE(imported.ok()) << imported.error;
    EXPECT_EQ(imported.image.text(memmap::field("Profile[1].PName").offset, 12), "L\xF6schzug S\xFC" "d");
    expectRoundTrip(image, DefaultImage());
    // What the writer writes of every byte reads back as that byte.
    std::string all;
    for (int b = 0x20; b < 256; ++b) all += static_cast<char>(b);
    const std::string json = latin1JsonString(all);
    EXPECT_NE(json.find("~\\u007f\\u0080"), std::string::npos);
    EXPECT_NE(json.find("\\u009f\\u00a0\xC2\xA1"), std::string::npos);
    EXPECT_NE(json.find("\xC2\xAC\\u00ad\xC2\xAE"), std::string::npos);
    EXPECT_NE(json.find("\xC3\xBF\""), std::string::npos);
}

// A template: what a person sets, in memory-map order, each value as `dump`
// shows it. Imported onto a base, the stamps are the base's and the derived
// values are worked out afresh, the checksum over the result.
TEST(CodePlugTextRoundTrip, ATemplateCarriesWhatAPersonSets) {
    CodePlugImage pager = variety({{"Profile[1].PON", "on"}, {"F1Tone1[0]", "1092.4"}, {"IdleMenuItems", "{1,3}"}});
    // What a pager and a write put into it: serial block, clock, version, the pager's own data.
    pager.setText(memmap::field("SerialNo").offset, 14, std::string("A1B2C3D4E5F6\0\0", 14));
    pager.copyIn(memmap::field("ClockSetting").offset, std::vector<std::uint8_t>{0x56, 0x34, 0x12, 0x05, 0x11, 0x12, 0x26});
    pager.copyIn(memmap::field("PagerInfoBlock").offset, std::vector<std::uint8_t>(32, 0x5A));
    pager.setByte(1940, 0x77);  // a reserved byte among the pager's own data
    StampVersion(pager);
    ImageChecksum(pager);

    const std::string text = exportCodePlugText(pager);
    for (const char* absent : {"SerialNo", "SerialChecksum", "ClockSetting", "ImageChecksum", "VersionBcd", "ModelText",
                               "PagerInfoBlock", "FirmwareVersion", "ToneWords", "PLLN", "PowerOnMenuCount",
                               "IdleMenuCount", "\"1936\"", "A1B2C3D4E5F6"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
    for (const char* present : {"\"NoStoredVoice\": \"off\"", "\"F1Tone1[0]\": \"1092.4\"", "\"Profile[1].PON\": \"on\"",
                                "\"KeyFunctions\": \"{}\"", "\"RemindToneType\": \"Same as alert type\""})
        EXPECT_NE(text.find(present), std::string::npos) << present;
    // Memory-map order: every field after the one before it.
    int lastOffset = -1;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line) && line.find("\"reserved\"") == std::string::npos;) {
        const auto open = line.find('"'), close = line.find('"', open + 1);
        const memmap::Field* field = memmap::findField(line.substr(open + 1, close - open - 1));
        if (!field) continue;
        EXPECT_GE(field->offset, lastOffset) << line;
        lastOffset = field->offset;
    }

    CodePlugImage base = ProgrammedDefaultImage();
    base.setText(memmap::field("SerialNo").offset, 14, std::string("FFEEDDCCBBAA\0\0", 14));
    const TextImport imported = importCodePlugText(text, base);
    ASSERT_TRUE(imported.ok()) << imported.error;
    // The settings are the pager's, the stamps and the pager's data the base's.
    CodePlugImage settings = pager;
    settings.setByte(1940, base.byte(1940));
    EXPECT_TRUE(memmap::sameUserSettings(imported.image, settings));
    for (const char* stamp : {"SerialNo", "ClockSetting", "PagerInfoBlock", "VersionBcd"}) {
        const memmap::Field& field = memmap::field(stamp);
        EXPECT_EQ(rawBytesText(imported.image, field), rawBytesText(base, field)) << stamp;
    }
    EXPECT_EQ(imported.image.byte(1940), base.byte(1940));
    // Derived values follow the settings, and the checksum is over the result.
    for (const char* derived : {"F1ToneWords[0].Tone1", "IdleMenuCount", "Profile[1].F1PLLN"}) {
        const memmap::Field& field = memmap::field(derived);
        EXPECT_EQ(rawBytesText(imported.image, field), rawBytesText(pager, field)) << derived;
    }
    EXPECT_EQ(memmap::readNumber(imported.image, memmap::field("ImageChecksum")), ComputeImageChecksum(imported.image));
}

// A text written before the values the window does not show were given as
// `dump` shows them (format version 1: raw hexadecimal, raw values in
// "reserved") is read as it was meant.
TEST(CodePlugTextRoundTrip, TheFirstFormIsStillRead) {
    const TextImport imported = importCodePlugText(
        R"({"format": "km640-codeplug", "version": 1,
            "fields": {"NoStoredVoice": "01", "RemindRepetitions": "10", "ModelTag": "41 42 43 44 45 46 47 00"},
            "reserved": {"fields": {"PowerOnMenuItems": "41"}, "bytes": {"448": "12 34"}}})",
        ProgrammedDefaultImage());
    ASSERT_TRUE(imported.ok()) << imported.error << (imported.refusals.empty() ? "" : refusalLine(imported.refusals[0]));
    EXPECT_EQ(fieldValueText(imported.image, memmap::field("NoStoredVoice")), "on");
    EXPECT_EQ(fieldValueText(imported.image, memmap::field("RemindRepetitions")), "16");
    EXPECT_EQ(rawBytesText(imported.image, memmap::field("ModelTag")), "41 42 43 44 45 46 47 00");
    EXPECT_EQ(rawBytesText(imported.image, memmap::field("PowerOnMenuItems")), "41");
    EXPECT_EQ(imported.image.byte(449), 0x34);
    // The second form gives the same values as `dump` shows them.
    const TextImport second = importCodePlugText(
        R"({"format": "km640-codeplug", "version": 2,
            "fields": {"NoStoredVoice": "on", "RemindRepetitions": "16", "ModelTag": {"raw": "41 42 43 44 45 46 47 00"},
                       "PowerOnMenuItems": {"raw": "41"}}, "reserved": {"bytes": {"448": "12 34"}}})",
        ProgrammedDefaultImage());
    ASSERT_TRUE(second.ok()) << second.error << (second.refusals.empty() ? "" : refusalLine(second.refusals[0]));
    EXPECT_EQ(second.image, imported.image);
}

// A level of the squelch table is checked as the text gives it, whatever
// order the base's level is in; a level the text gives in a wrong order is
// refused with the window's message.
TEST(CodePlugTextRoundTrip, ASquelchLevelIsCheckedWhole) {
    const CodePlugImage image = ProgrammedDefaultImage();
    CodePlugImage base = image;
    const int row = memmap::field("NbSquelch[3].Nrssi").offset;
    base.copyIn(row, std::vector<std::uint8_t>{0x10, 0xC0, 0xC0});  // NRSSI below both speaker thresholds
    const TextImport imported = importCodePlugText(exportCodePlugText(image), base);
    for (const auto& r : imported.refusals) ADD_FAILURE() << refusalLine(r);
    EXPECT_EQ(imported.image.span(row, 3)[0], image.byte(row));
    EXPECT_TRUE(memmap::sameUserSettings(imported.image, image));

    const TextImport wrong = importCodePlugText(
        R"({"format": "km640-codeplug", "version": 2, "fields": {"NbSquelch[3].Nrssi": "0.20",
            "NbSquelch[3].SpeakerOff": "0.50", "WbSquelch[0].SpeakerOn": "0.10"}})",
        base);
    ASSERT_EQ(wrong.refusals.size(), 2u);
    EXPECT_EQ(wrong.refusals[0].field, "NbSquelch[3].Nrssi");
    EXPECT_EQ(wrong.refusals[1].field, "NbSquelch[3].SpeakerOff");
    EXPECT_EQ(wrong.refusals[1].message, "You must let NB_NRSSI > NB_Speaker OFF > NB_Speaker ON !");
}

}  // namespace
}  // namespace km640::fieldtext
