#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "SelcallFixture.h"
#include "selcall/ToneCommit.h"
#include "selcall/TonePlan.h"

using namespace km640;
using namespace km640::test;

namespace {

const std::string kStandardRange = "Please insert a number between 288.5 to 2468.2";
const std::string kPlectronRange = "Please insert a number between 282.2 to 3487.0";
const std::string kUserRange = "Please insert a number between 280 to 3500.0";

std::string spacingText(const char* percent) {
    return std::string("Tone Frequency Error!\n\nPlease check the tone spacing rule. \n"
                       "[1]Two tones in the same call address should not be the same.\n"
                       "[2]Any two tones should be separated by minimum of ") +
           percent + "%. \n\nThe original tone frequency is restored.";
}

struct CommitCase {
    const char* what;
    ToneSystem system;
    int bandwidth;
    std::vector<ToneSetting> tones;
    ToneField field;
    const char* text;
    ToneCommitOutcome outcome;
    int storedAfter;  // the field's tone after the commit
    std::string message = {};
    std::string caption = {};
};

// In the built-in code-plug every "#n" holds 1285.8 / 879.0, the groups 1285.8, and
// only "#1" of each channel is in use.
const std::vector<CommitCase> kCases = {
    {"standard fits to the plan", ToneSystem::Standard, 3, {{f1Tone1(1), 10069}}, f1Tone1(1), "1286",
     ToneCommitOutcome::Stored, 12858},
    {"standard lowest plan tone", ToneSystem::Standard, 3, {}, f1Tone1(1), "288.5", ToneCommitOutcome::Stored, 2885},
    {"standard below range", ToneSystem::Standard, 3, {}, f1Tone1(1), "288.4", ToneCommitOutcome::OutOfRange, 12858,
     kStandardRange, "KM600Pro"},
    {"standard above range, F2", ToneSystem::Standard, 3, {}, f2Tone1(1), "2468.3", ToneCommitOutcome::OutOfRange,
     12858, kStandardRange, "KM640"},
    {"plectron fits to the plan", ToneSystem::Plectron, 3, {}, f1Tone1(1), "1000", ToneCommitOutcome::Stored, 9920},
    {"plectron below range, F1 Tone 2", ToneSystem::Plectron, 3, {}, f1Tone2(1), "282.1",
     ToneCommitOutcome::OutOfRange, 8790, kPlectronRange, "KM600"},
    {"plectron above range, F1 group", ToneSystem::Plectron, 3, {}, f1Group(8), "3487.1",
     ToneCommitOutcome::OutOfRange, 12858, kPlectronRange, "KM640"},
    {"user lowest tone", ToneSystem::User, 3, {}, f1Tone1(1), "280", ToneCommitOutcome::Stored, 2800},
    {"user highest tone", ToneSystem::User, 3, {}, f2Group(11), "3500", ToneCommitOutcome::Stored, 35000},
    {"user below range", ToneSystem::User, 3, {}, f1Tone2(2), "279.9", ToneCommitOutcome::OutOfRange, 8790,
     kUserRange, "KM600Pro"},
    {"user above range, F2 group", ToneSystem::User, 3, {}, f2Group(8), "3500.1", ToneCommitOutcome::OutOfRange,
     12858, kUserRange, "KM640"},
    // Spacing at +/-2.5 % against 1000.0 Hz of "#2".
    {"upper band edge", ToneSystem::User, 12, {{f1Tone1(1), 10000}}, f1Tone1(0), "1051.0",
     ToneCommitOutcome::Stored, 10510},
    {"lower band edge", ToneSystem::User, 12, {{f1Tone1(1), 10000}}, f1Tone1(0), "949.0", ToneCommitOutcome::Stored,
     9490},
    {"just inside the upper edge", ToneSystem::User, 12, {{f1Tone1(1), 10000}}, f1Tone1(0), "1050.9",
     ToneCommitOutcome::Refused, 12858, spacingText("2.5"), "KM600Pro"},
    {"just inside the lower edge, F2", ToneSystem::User, 12, {{f2Tone1(1), 10000}}, f2Tone1(0), "949.1",
     ToneCommitOutcome::Refused, 12858, spacingText("2.5"), "KM640"},
    {"equal tone of another address", ToneSystem::User, 12, {{f1Tone1(1), 10000}}, f1Tone1(0), "1000",
     ToneCommitOutcome::Stored, 10000},
    {"conflict with a disabled address", ToneSystem::User, 12, {{f1Tone1(1), 10000, false}}, f1Tone1(0), "1050.9",
     ToneCommitOutcome::Stored, 10509},
    {"group tone against an address tone", ToneSystem::User, 12, {{f1Group(9), 10000}}, f1Tone2(0), "1020",
     ToneCommitOutcome::Refused, 8790, spacingText("2.5"), "KM600Pro"},
    {"single precision at +/-0.1 %", ToneSystem::User, 0, {{f1Tone1(1), 7000}}, f1Tone1(0), "697.9",
     ToneCommitOutcome::Refused, 12858, spacingText("0.1"), "KM600Pro"},
    {"just outside at +/-0.1 %", ToneSystem::User, 0, {{f1Tone1(1), 7000}}, f1Tone1(0), "697.8",
     ToneCommitOutcome::Stored, 6978},
    // Equal to the other tone of the address: refused before the range test.
    {"equal, standard", ToneSystem::Standard, 3, {}, f1Tone1(4), "879", ToneCommitOutcome::Refused, 12858,
     spacingText("0.7"), "KM600Pro"},
    {"equal, plectron", ToneSystem::Plectron, 3, {}, f2Tone2(4), "1285.8", ToneCommitOutcome::Refused, 8790,
     spacingText("0.7"), "KM640"},
    {"equal, user", ToneSystem::User, 3, {}, f1Tone2(0), "1285.80", ToneCommitOutcome::Refused, 8790,
     spacingText("0.7"), "KM600Pro"},
    {"equal and out of range", ToneSystem::Standard, 3, {{f1Tone2(6), 30000}}, f1Tone1(6), "3000",
     ToneCommitOutcome::Refused, 12858, spacingText("0.7"), "KM600Pro"},
    {"fitted onto the other tone", ToneSystem::Standard, 3, {}, f1Tone1(5), "879.5", ToneCommitOutcome::Refused, 12858,
     spacingText("0.7"), "KM600Pro"},
    {"blank", ToneSystem::Standard, 3, {}, f1Tone1(1), "", ToneCommitOutcome::Restored, 12858},
    {"blanks", ToneSystem::User, 3, {}, f2Tone2(1), "   ", ToneCommitOutcome::Restored, 8790},
    {"no number", ToneSystem::User, 3, {}, f1Tone1(1), "12x4", ToneCommitOutcome::NotANumber, 12858,
     "'12x4' is not a valid floating point value", "KM640"},
};

TEST(ToneCommit, Cases) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        CodePlugImage image = selcallImage(c.system, c.bandwidth, c.tones);
        const CodePlugImage before = image;
        const ToneCommitResult result = commitTone(image, c.field, c.text);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(storedTone(image, c.field), c.storedAfter);
        if (c.message.empty()) {
            EXPECT_FALSE(result.message);
        } else {
            ASSERT_TRUE(result.message);
            EXPECT_EQ(result.message->text, c.message);
            EXPECT_EQ(result.message->caption, c.caption);
        }
        if (c.outcome == ToneCommitOutcome::Stored) {
            EXPECT_EQ(image.word(toneWordOffset(c.field)), toneDecoderWord(c.storedAfter));
            EXPECT_EQ(result.fieldText, formatTone(c.storedAfter));
        } else {
            EXPECT_EQ(image, before) << "a refused entry leaves the code-plug as it was";
        }
    }
}

TEST(ToneCommit, WhatTheFieldShowsAfterwards) {
    CodePlugImage image = selcallImage(ToneSystem::Standard, 3, {});
    EXPECT_EQ(commitTone(image, f1Tone1(1), "2468.3").fieldText, "2468.3") << "the re-shown typed text stays";
    EXPECT_TRUE(commitTone(image, f1Tone1(1), "2468.3").keepsFocus());
    EXPECT_EQ(commitTone(image, f1Tone1(1), "5").fieldText, "05.0");
    EXPECT_EQ(commitTone(image, f1Tone1(1), "").fieldText, "1285.8") << "the stored tone reappears";
    EXPECT_EQ(commitTone(image, f1Tone1(1), "1286").hint, "(0x584, 0x585) = 0xca, 0x88");
}

TEST(ToneCommit, PendingConflictMarker) {
    CodePlugImage image = selcallImage(ToneSystem::User, 12, {{f1Group(10), 10000}});
    const auto failed = commitTone(image, f1Tone1(0), "1020");
    EXPECT_EQ(failed.marker, ConflictMarker::Set);
    EXPECT_EQ(failed.conflictRecord, 10);
    EXPECT_EQ(commitTone(image, f1Tone1(0), "1020x").marker, ConflictMarker::Unchanged);
    EXPECT_EQ(commitTone(image, f1Tone1(0), "5000").marker, ConflictMarker::Unchanged);
    EXPECT_EQ(commitTone(image, f1Tone1(0), "879").marker, ConflictMarker::Unchanged)
        << "an equal tone within the address is no spacing conflict";
    EXPECT_EQ(commitTone(image, f1Tone1(0), "1200").marker, ConflictMarker::Cleared);
}

TEST(ToneCommit, PickingMot6Row5IntoTone2OfAddress3) {
    CodePlugImage image = selcallImage(ToneSystem::Standard, 3, {{f1Tone1(2), 10347}});
    const auto column = std::find_if(kToneTable.begin(), kToneTable.end(),
                                     [](const ToneTableColumn& c) { return c.header == "Mot 6"; });
    ASSERT_NE(column, kToneTable.end());
    const std::string picked = formatPickerTone(column->tones[5]);

    const auto result = commitTone(image, f1Tone2(2), picked);
    EXPECT_EQ(result.outcome, ToneCommitOutcome::Stored);
    EXPECT_EQ(result.fieldText, "1285.8");
    EXPECT_EQ(image.byte(291), 0x12);
    EXPECT_EQ(image.byte(292), 0x85);
    EXPECT_EQ(image.byte(293), 0x80);
    EXPECT_EQ(image.byte(1418), 0xCA);
    EXPECT_EQ(image.byte(1419), 0x88);
}

TEST(ToneCommit, GroupToneWritesOnlyItsFirstWord) {
    CodePlugImage image = selcallImage(ToneSystem::User, 3, {});
    image.setWord(1442, 0x1234);
    ASSERT_EQ(commitTone(image, f1Group(8), "1000").outcome, ToneCommitOutcome::Stored);
    EXPECT_EQ(image.word(1440), 0xC812);
    EXPECT_EQ(image.word(1442), 0x1234);
    EXPECT_EQ(image.byte(256 + 16 * 8 + 3), 0xFF) << "a group record has no Tone 2";
}

TEST(ToneCommit, UnreadableStoredTonesNeitherMatchNorConflict) {
    CodePlugImage image = selcallImage(ToneSystem::User, 15, {});
    image.copyIn(toneBcdOffset(f1Tone2(0)), std::array<std::uint8_t, 3>{0x8F, 0xFF, 0xFF});
    EXPECT_EQ(commitTone(image, f1Tone1(0), "").fieldText, "1285.8");
    EXPECT_EQ(commitTone(image, f1Tone2(0), "").fieldText, "") << "unreadable digits show as an empty field";
    EXPECT_EQ(commitTone(image, f1Tone1(0), "879").outcome, ToneCommitOutcome::Stored);
    EXPECT_EQ(commitTone(image, f1Tone2(0), "1500").outcome, ToneCommitOutcome::Stored);
    EXPECT_EQ(storedTone(image, f1Tone2(0)), 15000);
}

TEST(ToneCommit, DamagedSystemBytesReadAsDefaults) {
    CodePlugImage image = selcallImage(ToneSystem::User, 3, {{f1Tone1(1), 10000}});
    image.setByte(kToneSystemOffset, 0x07);        // no such tone system: Standard
    image.setByte(kDecodeBandwidthOffset, 0xC8);   // no such item: "0.7"
    const auto fitted = commitTone(image, f1Tone1(0), "1286");
    EXPECT_EQ(fitted.outcome, ToneCommitOutcome::Stored);
    EXPECT_EQ(storedTone(image, f1Tone1(0)), 12858);
    const auto equal = commitTone(image, f1Tone1(0), "879");
    ASSERT_TRUE(equal.message);
    EXPECT_EQ(equal.message->text, spacingText("0.7"));
}

TEST(ToneCommit, NoSuchFieldIsAProgrammingError) {
    CodePlugImage image = DefaultImage();
    for (const ToneField field : {f1Tone1(8), f1Tone2(-1), f1Group(7), f2Group(12)})
        EXPECT_THROW(commitTone(image, field, "1000"), std::invalid_argument);
}

}  // namespace
