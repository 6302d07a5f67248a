// The normalisation of a whole code-plug as the window and km640-cli run it:
// the order of its rules, the rules that act only when what the window shows
// changes, its messages and the changes it reports.

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <random>
#include <string>

#include "rf/ChannelRef.h"
#include "rf/FrequencyBand.h"
#include "rf/FrequencyBcd.h"
#include "selcall/ToneCoding.h"
#include "settings/CodePlugNormalisation.h"
#include "tests/support/HostileImages.h"

using namespace km640;
using namespace km640::testing;

namespace km640 {
void PrintTo(const RefreshMessage& m, std::ostream* out) { *out << m.caption << ": " << m.text; }
void PrintTo(const ByteChange& c, std::ostream* out) {
    *out << c.offset << ": " << int(c.before) << " -> " << int(c.after);
}
}  // namespace km640

// The changes list every byte normalising changes, with the value before and
// after, whether asked for or done.
TEST(CodePlugNormalisation, ReportsEveryByteItChanges) {
    for (const auto& [what, image] : hostileImages()) {
        const Normalisation planned = normalisationOf(image);
        CodePlugImage normalised = image;
        const Normalisation done = normaliseCodePlug(normalised);
        EXPECT_EQ(planned.changes, done.changes) << what;
        CodePlugImage replayed = image;
        for (const ByteChange& c : done.changes) {
            EXPECT_EQ(replayed.byte(c.offset), c.before) << what;
            replayed.setByte(c.offset, c.after);
        }
        EXPECT_EQ(replayed, normalised) << what;
    }
}

// What the window derived once it derives the same way again: a code-plug
// saved or written after it was shown holds nothing normalisation changes.
TEST(CodePlugNormalisation, ANormalisedImageStaysAsItIs) {
    for (const auto& [what, image] : hostileImages()) {
        CodePlugImage normalised = image;
        normaliseCodePlug(normalised);
        EXPECT_EQ(normalisationOf(normalised).changes, std::vector<ByteChange>{}) << what;
    }
}

TEST(CodePlugNormalisation, TheBuiltInCodePlugGetsItsDerivedValues) {
    const auto changes = normalisationOf(withModelText(DefaultImage())).changes;
    const ByteChange expected[] = {{21, 8, 7},  {28, 8, 4},  {64, 0x00, 0x16}, {65, 0x11, 0x04},
                                   {66, 0x22, 0x02}, {67, 0x03, 0x03}};
    for (const ByteChange& c : expected) {
        if (c.before == c.after) {
            EXPECT_TRUE(std::none_of(changes.begin(), changes.end(), [&](const ByteChange& d) { return d.offset == c.offset; }));
            continue;
        }
        EXPECT_NE(std::find(changes.begin(), changes.end(), c), changes.end()) << c.offset;
    }
    // The F1 group addresses get the decoder word of their 1285.8 Hz tone.
    for (int record = 8; record < 12; ++record)
        EXPECT_NE(std::find(changes.begin(), changes.end(), ByteChange{1408 + 4 * record + 1, 0xAC, 0x88}),
                  changes.end());

    const CodePlugImage programmed = ProgrammedDefaultImage();
    EXPECT_TRUE(ImageChecksumValid(programmed));
    EXPECT_TRUE(HasModelName(programmed.bytes()));
    EXPECT_EQ(CodePlugVersion(programmed.byte(ident::kVersionBcd), programmed.byte(ident::kVersionBcd + 1)), 119);
    EXPECT_TRUE(normalisationOf(programmed).changes.empty());
}

// Rules whose result depends on the order they run in, and the three that act
// only on a change of what the window shows.
TEST(CodePlugNormalisation, RulesInTheirOrderAndFromWhatTheWindowShows) {
    const ShownBeforeRefresh fresh = shownByNewWindow();
    const ShownBeforeRefresh sevenVoltsAtNine{false, 1, 9};
    const ShownBeforeRefresh fiveVoltsAtNine{false, 0, 9};
    const ShownBeforeRefresh allVibratorOff{true, 0, 5};
    const struct {
        const char* what;
        std::function<void(CodePlugImage&)> edit;
        ShownBeforeRefresh shown;
        std::vector<std::pair<int, std::uint8_t>> bytes;
        int contrastShown;
    } cases[] = {
        {"the new window starts from the built-in code-plug", [](CodePlugImage&) {}, {false, 0, 5}, {{179, 5}}, 5},
        {"7 V drive: its preset lands on the stored contrast",
         [](CodePlugImage& i) { i.setByte(190, 20); i.setByte(179, 7); }, fresh,
         {{179, 5}, {180, 0xDC}, {189, 0xF7}, {190, 20}, {191, 0x11}}, 7},
        {"7 V drive already shown: edited contrast steps stay",
         [](CodePlugImage& i) { i.setByte(190, 20); i.setByte(185, 0x42); i.setByte(179, 9); }, sevenVoltsAtNine,
         {{185, 0x42}, {179, 9}}, 9},
        {"contrast beyond the bar is stored where the bar stops", [](CodePlugImage& i) { i.setByte(179, 12); }, fresh,
         {{179, 9}}, 9},
        {"contrast beyond the bar already at 9 stays", [](CodePlugImage& i) { i.setByte(179, 12); }, fiveVoltsAtNine,
         {{179, 12}}, 9},
        {"the 5 V button newly selected puts its preset over it", [](CodePlugImage& i) { i.setByte(179, 12); },
         sevenVoltsAtNine, {{179, 5}}, 9},
        {"all vibrators off switches the charger's off too", [](CodePlugImage& i) { i.SetBits(17, 0, 1, 1); }, fresh,
         {{17, 0xE7}}, 5},
        {"all vibrators off already shown leaves the charger's", [](CodePlugImage& i) { i.SetBits(17, 0, 1, 1); },
         allVibratorOff, {{17, 0xE5}}, 5},
        {"one channel: F2 modes become their F1 modes and the active settings follow",
         [](CodePlugImage& i) { i.SetBits(1, 2, 0, 1); }, fresh,
         {{1560, 0x02}, {67, 0x02}, {1685, 0x20}, {1687, 0x12}, {1752, 0x00}}, 5},
        {"push-to-listen off in a monitor mode, also in the active settings",
         [](CodePlugImage& i) { i.setByte(1558, 0x80); }, fresh, {{1558, 0x00}, {65, 0x00}}, 5},
        {"Sel Profile off with one profile on: the idle count follows after the counts were stored",
         [](CodePlugImage& i) { i.setByte(29, 0x8A); }, fresh, {{29, 0x0A}, {28, 4}}, 5},
        {"privacy clears auto monitor", [](CodePlugImage& i) { i.SetBits(16, 2, 1, 1); i.SetBits(17, 3, 1, 1); }, fresh,
         {{17, 0xE4}}, 5},
        {"unknown alert period", [](CodePlugImage& i) { i.setByte(248, 7); }, fresh, {{248, 4}}, 5},
        {"show version 2", [](CodePlugImage& i) { i.setByte(1400, 2); }, fresh, {{1400, 1}}, 5},
        {"an initial profile beyond the four copies no switches", [](CodePlugImage& i) { i.setByte(18, 7); }, fresh,
         {{64, 0x00}, {65, 0x11}, {66, 0x22}, {67, 0x03}}, 5},
        {"a tone system no button stands for leaves the tone words",
         [](CodePlugImage& i) { i.setByte(5, 9); }, fresh, {{1408 + 4 * 8, 0xC2}, {1408 + 4 * 8 + 1, 0xAC}}, 5},
    };
    for (const auto& c : cases) {
        CodePlugImage image = withModelText(DefaultImage());
        c.edit(image);
        const Normalisation result = normaliseCodePlug(image, c.shown);
        for (const auto& [offset, value] : c.bytes) EXPECT_EQ(image.byte(offset), value) << c.what << ", byte " << offset;
        EXPECT_EQ(result.systemBlock.contrastShown, c.contrastShown) << c.what;
        EXPECT_TRUE(result.messages.empty()) << c.what;
    }
}

TEST(CodePlugNormalisation, MessagesInTheOrderTheWindowShowsThem) {
    CodePlugImage image = withModelText(DefaultImage());
    image.copyIn(259, *toneToBcd(12858));  // F1 address #1: both tones 1285.8 Hz
    // Profile 1 F1 in the upper band at 2.5 kHz; its F2 at 12.5 kHz cannot follow.
    setSpacingCode(image, {Channel::F1, 0}, 0);
    setChannelUnits(image, {Channel::F1, 0}, 4500025);
    setSpacingCode(image, {Channel::F2, 0}, 2);
    const Normalisation result = normaliseCodePlug(image);

    ASSERT_EQ(result.messages.size(), 3u);
    for (int k = 0; k < 2; ++k) {
        EXPECT_TRUE(result.messages[k].text.starts_with("Tone Frequency Error!")) << result.messages[k].text;
        EXPECT_EQ(result.messages[k].caption, "KM600Pro");
        EXPECT_EQ(result.messages[k].icon, MsgIcon::Exclamation);
    }
    EXPECT_EQ(result.messages[2], (RefreshMessage{"F2 Channel Spacing Error!", "KM640", MsgIcon::Exclamation}));
    ASSERT_EQ(result.channels.notices.size(), 1u);
    EXPECT_EQ(result.channels.notices[0].proposedUnits, 4500025u);
    EXPECT_EQ(channelUnits(image, {Channel::F2, 0}), 1620000u);  // kept
}

namespace {

// The BCD frequency field of a channel in its profile record.
int frequencyOffset(Channel c, int profile) { return 1536 + 64 * profile + (c == Channel::F1 ? 32 : 48); }

bool partnersAgree(const CodePlugImage& image, int profile) {
    const std::uint32_t f1 = channelUnits(image, {Channel::F1, profile});
    const std::uint32_t f2 = channelUnits(image, {Channel::F2, profile});
    return partnerAccepts(bandOf(frequencyHz(f1)), f2) && partnerAccepts(bandOf(frequencyHz(f2)), f1);
}

bool noticeNames(const Normalisation& n, int profile) {
    for (const ChannelNotice& notice : n.channels.notices)
        if (notice.channel.profile == profile) return true;
    return false;
}

// Normalises `image` twice: the second must change nothing, and every profile
// must end with both channels in one band, unless the refresh cannot settle
// it (a frequency no partner can be accepted beside, or a spacing that fits
// no proposal) and says so every time it runs.
void expectSettledOnce(const CodePlugImage& image, const std::string& what) {
    CodePlugImage once = image;
    normaliseCodePlug(once);
    CodePlugImage twice = once;
    const Normalisation second = normaliseCodePlug(twice);
    EXPECT_EQ(second.changes, std::vector<ByteChange>{}) << what;
    for (int p = 0; p < 4; ++p)
        EXPECT_TRUE(partnersAgree(once, p) || noticeNames(second, p))
            << what << ", profile " << p + 1 << ": F1 " << channelUnits(once, {Channel::F1, p}) << ", F2 "
            << channelUnits(once, {Channel::F2, p});
}

}  // namespace

// Found by fuzzing: profile 1 F1 52.0 MHz (in the gap of the upper band),
// F2 in the upper band, profile 2 F1 52.34 MHz. Profile 2's F2 refuses
// 52.34 MHz at first; once profile 1's F2 carried every F1 into the upper
// band it must follow its new partner instead of staying in the VHF band.
TEST(CodePlugNormalisation, ARefusedReplacementIsTriedAgainForItsNewPartner) {
    CodePlugImage image = withModelText(DefaultImage());
    image.setByte(1568, 0x00);
    image.setByte(1584, 0x39);
    image.setByte(1632, 0x00);
    const std::uint32_t upper = channelUnits(image, {Channel::F2, 0});
    EXPECT_EQ(bandOf(frequencyHz(upper)), Band::Upper);
    CodePlugImage once = image;
    normaliseCodePlug(once);
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(channelUnits(once, {Channel::F1, p}), upper) << p;
        EXPECT_TRUE(partnersAgree(once, p)) << p;
    }
    EXPECT_EQ(channelUnits(once, {Channel::F2, 1}), upper);
    expectSettledOnce(image, "the fuzzed code-plug");
}

// The same over many code-plugs: channel fields drawn from the band edges,
// the gaps, erased and foreign BCD, with spacing codes of every kind, beside
// random bytes elsewhere. Seeded, so a failure names a case that repeats.
TEST(CodePlugNormalisation, IsIdempotentAndLeavesPartnersInOneBand) {
    const std::uint32_t edges[] = {0,         329'999,   330'000,   490'000,   490'001,   500'000,
                                   510'000,   510'001,   520'000,   523'400,   999'999,   1'000'000,
                                   1'520'000, 1'523'400, 1'611'250, 2'000'000, 2'000'001, 3'962'000,
                                   4'500'125, 9'999'999};
    const std::uint8_t codes[] = {0, 1, 2, 3, 16, 17, 18, 0xFF};
    std::mt19937 random(21016);
    for (int round = 0; round < 3000; ++round) {
        CodePlugImage image = withModelText(DefaultImage());
        if (round % 4 == 3)
            for (int k = 0; k < 40; ++k) image.setByte(static_cast<int>(random() % 1536), static_cast<std::uint8_t>(random()));
        for (int p = 0; p < 4; ++p)
            for (const Channel c : {Channel::F1, Channel::F2}) {
                switch (random() % 4) {
                case 0: break;  // the built-in frequency
                case 1: setChannelUnits(image, {c, p}, edges[random() % std::size(edges)]); break;
                case 2: setChannelUnits(image, {c, p}, static_cast<std::uint32_t>(random() % 5'000'000)); break;
                default: image.setByte(frequencyOffset(c, p) + static_cast<int>(random() % 4),
                                       static_cast<std::uint8_t>(random()));
                }
                if (random() % 3 == 0) setSpacingCode(image, {c, p}, codes[random() % std::size(codes)]);
            }
        expectSettledOnce(image, "round " + std::to_string(round));
        if (::testing::Test::HasFailure()) break;
    }
}
