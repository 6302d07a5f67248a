// The code-plug text read back: export then import gives the same bytes, for
// the built-in code-plug, for code-plugs of every tone system, spacing and
// profile variety, and for code-plugs made by applying random accepted values.

#include <gtest/gtest.h>

#include <random>

#include "codeplug/MemoryMap.h"
#include "fieldtext/CodePlugText.h"
#include "fieldtext/FieldTextRules.h"
#include "fieldtext/FieldValue.h"
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
    const std::string text = exportCodePlugText(image);
    const TextImport imported = importCodePlugText(text, base);
    ASSERT_TRUE(imported.error.empty()) << imported.error;
    for (const auto& r : imported.refusals) ADD_FAILURE() << refusalLine(r);
    EXPECT_EQ(imported.image, image) << firstDifference(imported.image, image);
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

// A text the window's rules refuse names every refusal; a text that is no
// code-plug text says why.
TEST(CodePlugTextRoundTrip, RefusalsAndUnreadableTexts) {
    const TextImport refused = importCodePlugText(
        R"({"format": "km640-codeplug", "version": 1, "fields": {"F1Tone1[0]": "9999", "Nothing": "1",
            "LogoLine1": ["a"], "Profile[0].F1Freq": "1523400"}})",
        DefaultImage());
    ASSERT_TRUE(refused.error.empty()) << refused.error;
    ASSERT_EQ(refused.refusals.size(), 3u);
    EXPECT_EQ(refused.refusals[0].field, "LogoLine1");
    EXPECT_EQ(refused.refusals[1], (FieldRefusal{"F1Tone1[0]", "9999", "Please insert a number between 288.5 to 2468.2"}));
    EXPECT_EQ(refused.refusals[2].field, "Nothing");
    const std::pair<const char*, const char*> unreadable[] = {
        {R"({"format": "km640-codeplug", "version": 2, "fields": {}})",
         "not KM640 code-plug text: it was written in format version 2 by a newer program; this program reads up to 1"},
        {R"({"format": "other", "version": 1})", "not KM640 code-plug text: it has no \"format\": \"km640-codeplug\""},
        {"{\"format\": \"km640-codeplug\",\n \"version\": 1,\n \"fields\": {\"a\": \"b\",}}",
         "not readable as JSON: line 3: a member name in double quotes was expected"},
        {R"({"format": "km640-codeplug", "version": 1, "fields": {"LogoLine1": "\u20ac"}})",
         "not readable as JSON: line 1: a character the code-plug cannot hold (beyond U+00FF)"},
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

// Characters beyond ASCII travel as \u00XX and come back as the same bytes.
TEST(CodePlugTextRoundTrip, EightBitTextsTravelAsTheirOwnCharacters) {
    CodePlugImage image = ProgrammedDefaultImage();
    image.setText(memmap::field("LogoLine1").offset, 12, "Gr\xFC\xDF \xA9");
    const std::string text = exportCodePlugText(image);
    EXPECT_NE(text.find(R"("LogoLine1": "Gr\u00fc\u00df \u00a9")"), std::string::npos);
    expectRoundTrip(image, DefaultImage());
}

}  // namespace
}  // namespace km640::fieldtext
