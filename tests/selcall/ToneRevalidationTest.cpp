#include <gtest/gtest.h>

#include <vector>

#include "SelcallFixture.h"
#include "selcall/ToneCommit.h"

using namespace km640;
using namespace km640::test;

namespace {

std::vector<SelcallMessage> messagesOf(const std::vector<ToneRevalidation>& fields) {
    std::vector<SelcallMessage> messages;
    for (const auto& f : fields)
        if (f.result.message) messages.push_back(*f.result.message);
    return messages;
}

std::vector<ToneField> changedFields(const std::vector<ToneRevalidation>& fields) {
    std::vector<ToneField> changed;
    for (const auto& f : fields)
        if (f.changed()) changed.push_back(f.field);
    return changed;
}

// The built-in code-plug with the F1 group words matching their tones, so a
// re-validation that fits nothing changes nothing.
CodePlugImage consistentImage(ToneSystem system, int bandwidth, const std::vector<ToneSetting>& tones) {
    CodePlugImage image = selcallImage(system, bandwidth, tones);
    for (const ToneField& field : revalidationOrder())
        if (const auto tone = storedTone(image, field)) image.setWord(toneWordOffset(field), *toneDecoderWord(*tone));
    return image;
}

TEST(ToneRevalidation, CommitOrder) {
    const auto order = revalidationOrder();
    EXPECT_EQ(order[0], f1Tone1(0));
    EXPECT_EQ(order[1], f1Tone2(0));
    EXPECT_EQ(order[2], f2Tone1(0));
    EXPECT_EQ(order[3], f2Tone2(0));
    EXPECT_EQ(order[31], f2Tone2(7));
    EXPECT_EQ(order[32], f1Group(8));
    EXPECT_EQ(order[33], f2Group(8));
    EXPECT_EQ(order[39], f2Group(11));
}

TEST(ToneRevalidation, UserToStandardFitsInRangeTonesAndKeepsOthersWithOneMessage) {
    CodePlugImage image = consistentImage(ToneSystem::User, 3, {{f1Tone1(2), 12900}, {f2Tone2(3), 30000}});
    const auto fields = selectToneSystem(image, ToneSystem::Standard);

    EXPECT_EQ(image.byte(kToneSystemOffset), 0);
    EXPECT_EQ(storedTone(image, f1Tone1(2)), 12858);
    EXPECT_EQ(image.word(toneWordOffset(f1Tone1(2))), 0xCA88);
    EXPECT_EQ(storedTone(image, f2Tone2(3)), 30000);
    EXPECT_EQ(changedFields(fields), std::vector<ToneField>{f1Tone1(2)});
    const std::vector<SelcallMessage> expected = {{"Please insert a number between 288.5 to 2468.2", "KM640"}};
    EXPECT_EQ(messagesOf(fields), expected);
}

TEST(ToneRevalidation, ToPlectronFitsEveryTone) {
    CodePlugImage image = consistentImage(ToneSystem::Standard, 3, {});
    const auto fields = selectToneSystem(image, ToneSystem::Plectron);
    EXPECT_EQ(fields.size(), 40u);
    for (const auto& f : fields) {
        SCOPED_TRACE(testing::Message() << f.field.record);
        EXPECT_EQ(f.result.outcome, ToneCommitOutcome::Stored);
        // 1285.8 -> 1287.0 and 879.0 -> 871.0, the nearest Plectron tones.
        EXPECT_EQ(f.after, f.field.column == ToneColumn::Tone2 ? 8710 : 12870);
        EXPECT_EQ(f.wordAfter, toneDecoderWord(*f.after));
    }
    EXPECT_TRUE(messagesOf(fields).empty());
}

TEST(ToneRevalidation, UserRecommitRewritesTheSameBytes) {
    CodePlugImage image = consistentImage(ToneSystem::Standard, 3, {{f1Tone1(3), 15000}, {f2Group(9), 22222}});
    const CodePlugImage before = image;
    const auto fields = selectToneSystem(image, ToneSystem::User);
    EXPECT_TRUE(changedFields(fields).empty());
    EXPECT_TRUE(messagesOf(fields).empty());
    image.setByte(kToneSystemOffset, 0);
    EXPECT_EQ(image, before);
}

TEST(ToneRevalidation, StaleWordsAreMended) {
    // The built-in code-plug's F1 group words do not match their 1285.8 Hz tones.
    CodePlugImage image = DefaultImage();
    const auto fields = revalidateAllTones(image);
    std::vector<ToneField> expected;
    for (int record = 8; record < 12; ++record) expected.push_back(f1Group(record));
    EXPECT_EQ(changedFields(fields), expected);
    EXPECT_EQ(image.word(1440), 0xCA88);
}

TEST(ToneRevalidation, WiderBandwidthRaisesOneMessagePerConflictAndChangesNothing) {
    CodePlugImage image = consistentImage(ToneSystem::User, 0, {{f1Tone1(0), 10000}, {f1Tone1(1), 10100}});
    const CodePlugImage before = image;
    const auto fields = selectDecodeBandwidth(image, 15);

    EXPECT_EQ(image.byte(kDecodeBandwidthOffset), 15);
    image.setByte(kDecodeBandwidthOffset, 0);
    EXPECT_EQ(image, before);
    const auto messages = messagesOf(fields);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].text.find("minimum of 3.1%. "), std::string::npos);
    EXPECT_EQ(messages[0].caption, "KM600Pro");
    EXPECT_EQ(fields[0].result.conflictRecord, 1);
    EXPECT_EQ(fields[4].result.conflictRecord, 0);
}

TEST(ToneRevalidation, UnreadableTonesAreLeftAlone) {
    CodePlugImage image = consistentImage(ToneSystem::User, 3, {});
    image.copyIn(toneBcdOffset(f2Tone1(0)), std::array<std::uint8_t, 3>{0xFF, 0xFF, 0xFF});
    const CodePlugImage before = image;
    const auto fields = selectToneSystem(image, ToneSystem::Standard);
    image.setByte(kToneSystemOffset, 1);
    EXPECT_EQ(image, before);
    EXPECT_TRUE(messagesOf(fields).empty());
    EXPECT_EQ(fields[2].result.outcome, ToneCommitOutcome::Restored);
}

}  // namespace
