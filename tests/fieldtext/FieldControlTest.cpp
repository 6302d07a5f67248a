// The window's controls as an editor without the window builds its pages:
// the window's tab order, page, group and label split from the window's
// names, a kind for each control, and a control the window has disabled
// found disabled, with the window's reason.

#include <gtest/gtest.h>

#include <algorithm>
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
