// The window's controls as an editor without the window builds its pages:
// the window's tab order, page, group and label split from the window's
// names, a kind for each control, and a control the window has disabled
// found disabled, with the window's reason.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "fieldtext/CodePlugText.h"
#include "fieldtext/FieldControl.h"
#include "fieldtext/FieldTextRules.h"
#include "settings/CodePlugNormalisation.h"

using namespace km640;
using namespace km640::fieldtext;

namespace {

const FieldControl& controlOf(const std::string& name) {
    const auto& controls = windowControls();
    const auto at = std::find_if(controls.begin(), controls.end(),
                                 [&](const FieldControl& c) { return c.field->name == name; });
    EXPECT_NE(at, controls.end()) << name;
    return *at;
}

}  // namespace

TEST(FieldControl, PagesInTheWindowsTabOrderEachFieldOnce) {
    std::vector<std::string> pages;
    std::set<std::string> names;
    for (const FieldControl& c : windowControls()) {
        if (pages.empty() || pages.back() != c.page) pages.push_back(c.page);
        EXPECT_TRUE(names.insert(c.field->name).second) << c.field->name;
    }
    EXPECT_EQ(pages, std::vector<std::string>(kWindowPages.begin(), kWindowPages.end()));
    // Nothing stamped or hidden is on a page.
    for (const memmap::Field& field : memmap::fields()) {
        if (field.stamped() || field.hidden()) {
            EXPECT_FALSE(names.contains(field.name)) << field.name;
        }
    }
}

TEST(FieldControl, GroupLabelAndKind) {
    const struct {
        const char* field;
        const char* page;
        const char* group;
        const char* label;
        ControlKind kind;
        int width;
    } cases[] = {
        {"Profile[3].F2Freq", "Profiles", "Profile 4 › Channel F2", "Frequency", ControlKind::Frequency, 0},
        {"F1Tone1[2]", "Channel F1", "Address 3", "Tone 1", ControlKind::Tone, 0},
        {"Profile[0].ResetControl", "Profiles", "Profile 1", "Reset Control", ControlKind::List, 0},
        {"Profile[1].PON", "Profiles", "Profile 2", "ON", ControlKind::Check, 0},
        {"F2AddrSwitches[0]", "Channel F2", "Address 1", "SW-A to SW-D", ControlKind::Set, 4},
        {"LogoLine1", "Status Setting", "Power On Logo", "Line 1", ControlKind::Text, 12},
        {"F1ScanTime", "System", "System", "F1 Scan Time", ControlKind::Number, 0},
        {"Profile[0].F1PLLN", "Profiles", "Profile 1 › Channel F1", "PLLN", ControlKind::Shown, 0},
        {"InitialProfile", "Profiles", "Initial Profile", "Initial Profile", ControlKind::List, 0},
    };
    for (const auto& c : cases) {
        const FieldControl& control = controlOf(c.field);
        EXPECT_EQ(control.page, c.page) << c.field;
        EXPECT_EQ(control.group, c.group) << c.field;
        EXPECT_EQ(control.label, c.label) << c.field;
        EXPECT_EQ(control.kind, c.kind) << c.field;
        EXPECT_EQ(control.width, c.width) << c.field;
    }
    // A group box stands together: the address rows are not split by field.
    const auto& controls = windowControls();
    const auto first = std::find_if(controls.begin(), controls.end(), [](const FieldControl& c) { return c.group == "Address 1"; });
    const auto afterGroup = std::find_if(first, controls.end(), [](const FieldControl& c) { return c.group != "Address 1"; });
    EXPECT_TRUE(std::all_of(afterGroup, controls.end(),
                            [&](const FieldControl& c) { return c.group != "Address 1" || c.page != first->page; }));
}

TEST(FieldControl, DisabledAsTheWindowDisablesIt) {
    CodePlugImage image = ProgrammedDefaultImage();
    EXPECT_EQ(controlDisabled(image, memmap::field("Profile[0].F2Freq")), std::nullopt);
    EXPECT_EQ(controlDisabled(image, memmap::field("LogoLine1")), std::nullopt);
    ASSERT_EQ(setFieldFromText(image, "TwoChannelMode", "off"), std::nullopt);
    for (const char* f2 : {"Profile[0].F2Freq", "F2Tone1[0]", "F2AddrOn[0]"}) {
        const auto why = controlDisabled(image, memmap::field(f2));
        ASSERT_TRUE(why) << f2;
        EXPECT_NE(why->find("\"One Channel\" switches channel F2 off"), std::string::npos) << *why;
    }
    EXPECT_EQ(controlDisabled(image, memmap::field("Profile[0].F1Freq")), std::nullopt);
    EXPECT_TRUE(controlDisabled(image, memmap::field("Profile[0].F1PLLN")));
    // Asking changes nothing.
    const CodePlugImage before = image;
    for (const FieldControl& c : windowControls()) controlDisabled(image, *c.field);
    EXPECT_EQ(image, before);
}

// The bounds a number control reports are the ones its rule keeps: the
// lowest and highest values commit, one step beyond each is refused.
TEST(FieldControl, RangeIsWhatTheRuleTakes) {
    CodePlugImage image = ProgrammedDefaultImage();
    normaliseCodePlug(image);
    for (const char* on : {"F1AddrOn[0]", "FixedAlertTimeEnable"}) ASSERT_EQ(setFieldFromText(image, on, "on"), std::nullopt);
    const struct {
        const char* field;
        double lowest, highest, step;
        int decimals;
        bool gap;  // the rule takes only part of what lies between ("0, or 5 to 255")
    } cases[] = {
        {"Profile[0].F1Freq", 330000, 9999999, 1, 0, true},
        {"F1Tone1[0]", 0, 0, 0.1, 1, true},  // the bounds of the tone system, checked below
        {"Profile[0].ResetDelay", 0, 127.5, 0.5, 1, false},
        {"F1AddrAlertSeconds[0]", 1, 127, 1, 0, false},
        {"TonalityHz[0]", 150, 6000, 1, 0, false},
        {"Contrast", 0, 9, 1, 0, false},
        {"NbSquelch[0].Nrssi", 0, 2.55, 0.01, 2, true},
        {"F1ScanTime", 1, 255, 1, 0, false},
        {"RemindRepetitionTime", 0, 255, 1, 0, true},
        {"BacklightAutoOff", 1, 255, 1, 0, true},
    };
    for (const auto& c : cases) {
        const FieldControl& control = controlOf(c.field);
        const auto range = controlRange(image, control);
        ASSERT_TRUE(range) << c.field;
        if (c.highest > 0) {
            EXPECT_DOUBLE_EQ(range->lowest, c.lowest) << c.field;
            EXPECT_DOUBLE_EQ(range->highest, c.highest) << c.field;
        }
        EXPECT_DOUBLE_EQ(range->step, c.step) << c.field;
        EXPECT_EQ(range->decimals, c.decimals) << c.field;
        const auto text = [&](double x) {
            char out[32];
            std::snprintf(out, sizeof out, "%.*f", range->decimals, x);
            return std::string(out);
        };
        if (c.gap) continue;  // a bound's neighbour may be refused for another reason (a partner, a tone's neighbour)
        for (const double bound : {range->lowest, range->highest}) {
            CodePlugImage trial = image;
            EXPECT_EQ(setFieldFromText(trial, c.field, text(bound)), std::nullopt) << c.field << " " << bound;
        }
        for (const double beyond : {range->lowest - range->step, range->highest + range->step}) {
            CodePlugImage trial = image;
            EXPECT_NE(setFieldFromText(trial, c.field, text(beyond)), std::nullopt) << c.field << " " << beyond;
        }
    }
    // The tone range follows the tone system; the decoding time's lowest too.
    const auto toneBounds = [&] {
        const auto r = controlRange(image, controlOf("F1Tone1[0]"));
        return std::pair(r->lowest, r->highest);
    };
    const auto decodingLowest = [&] { return controlRange(image, controlOf("StdTiming.DecodingTime"))->lowest; };
    const auto standardTones = toneBounds();
    const double standardDecoding = decodingLowest();
    ASSERT_EQ(setFieldFromText(image, "ToneSystem", "Plectron"), std::nullopt);
    EXPECT_NE(toneBounds(), standardTones);
    EXPECT_NE(controlRange(image, controlOf("PlectronTiming.DecodingTime"))->lowest, standardDecoding);
    // Lists, boxes and texts have none.
    for (const char* none : {"InitialProfile", "Profile[0].PON", "LogoLine1", "F1AddrSwitches[0]"})
        EXPECT_EQ(controlRange(image, controlOf(none)), std::nullopt) << none;
}

// The single boxes and entries the window disables on their own, with the
// rule's reason; the others usable.
TEST(FieldControl, ItemsDisabledAsTheWindowDisablesThem) {
    CodePlugImage image = ProgrammedDefaultImage();
    normaliseCodePlug(image);
    const auto items = [&](const char* name) {
        const FieldControl& control = controlOf(name);
        return controlItemsDisabled(image, control, controlChoices(image, control));
    };
    const auto disabledItems = [&](const char* name) {
        std::vector<int> out;
        const auto reasons = items(name);
        for (std::size_t k = 0; k < reasons.size(); ++k)
            if (!reasons[k].empty()) out.push_back(static_cast<int>(k));
        return out;
    };
    // With more than one profile on, "Sel Profile" can be chosen.
    for (const char* on : {"Profile[1].PON", "Profile[2].PON", "Profile[3].PON"})
        ASSERT_EQ(setFieldFromText(image, on, "on"), std::nullopt);
    // "Set Password" (5) needs "Keyin Password" (0), in both menus.
    for (const char* menu : {"PowerOnMenuItems", "IdleMenuItems"}) {
        ASSERT_EQ(setFieldFromText(image, menu, "{}"), std::nullopt) << menu;
        EXPECT_EQ(disabledItems(menu), std::vector<int>{5}) << menu;
        EXPECT_NE(items(menu)[5].find("Keyin Password"), std::string::npos) << items(menu)[5];
        ASSERT_EQ(setFieldFromText(image, menu, "{0}"), std::nullopt) << menu;
        EXPECT_EQ(disabledItems(menu), std::vector<int>{}) << menu;
        // With both on, "Keyin Password" stays usable: the window's click clears "Set Password" with it.
        ASSERT_EQ(setFieldFromText(image, menu, "{0,5}"), std::nullopt) << menu;
        EXPECT_EQ(disabledItems(menu), std::vector<int>{}) << menu;
    }
    // The radio button and the address boxes of a profile that is off.
    ASSERT_EQ(setFieldFromText(image, "F1AddrOn[0]", "on"), std::nullopt);
    ASSERT_EQ(setFieldFromText(image, "InitialProfile", "Profile 1"), std::nullopt);
    EXPECT_EQ(disabledItems("InitialProfile"), std::vector<int>{});
    EXPECT_EQ(disabledItems("F1AddrProfiles[0]"), std::vector<int>{});
    ASSERT_EQ(setFieldFromText(image, "Profile[2].PON", "off"), std::nullopt);
    const auto choices = controlChoices(image, controlOf("InitialProfile"));
    const auto third = std::find(choices.begin(), choices.end(), "Profile 3");
    ASSERT_NE(third, choices.end());
    EXPECT_EQ(disabledItems("InitialProfile"), std::vector<int>{static_cast<int>(third - choices.begin())});
    EXPECT_EQ(disabledItems("F1AddrProfiles[0]"), std::vector<int>{2});
    EXPECT_NE(items("F1AddrProfiles[0]")[2].find("Profile 3 is not on"), std::string::npos);
    // With a single profile on, "Sel Profile" (7) cannot be chosen in either menu.
    for (const char* off : {"Profile[1].PON", "Profile[3].PON"})
        ASSERT_EQ(setFieldFromText(image, off, "off"), std::nullopt);
    EXPECT_EQ(disabledItems("IdleMenuItems"), std::vector<int>{7});
    // A control disabled as a whole has no single items of its own.
    ASSERT_EQ(setFieldFromText(image, "F1AddrOn[0]", "off"), std::nullopt);
    EXPECT_TRUE(items("F1AddrProfiles[0]").empty());
    // Asking changes nothing.
    const CodePlugImage before = image;
    for (const FieldControl& c : windowControls()) controlItemsDisabled(image, c, controlChoices(image, c));
    EXPECT_EQ(image, before);
}
