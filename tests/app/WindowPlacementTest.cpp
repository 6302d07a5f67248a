// Where the main window opens, as a table: remembered places on and off the
// screens there are now, sizes larger than the screen, the frame allowed for.

#include <gtest/gtest.h>

#include "app/WindowPlacement.h"

using namespace km640;

namespace {

const QRect kLaptop(0, 0, 1366, 768 - 32);  // a panel at the bottom
const QRect kScaled(0, 0, 1280, 720);       // 1920 × 1080 at 150 %
const QRect kRightMonitor(1366, 0, 1920, 1080);
const QMargins kFrame(8, 40, 8, 8);

}  // namespace

TEST(WindowPlacement, Table) {
    struct Case {
        const char* what;
        std::optional<WindowPlace> saved;
        QSize natural;
        std::vector<QRect> screens;
        WindowPlace expected;
    };
    const Case cases[] = {
        {"nothing remembered: centred at its natural size", std::nullopt, QSize(1000, 600), {kLaptop},
         {QRect(183, 84, 1000, 600), false}},
        {"natural size larger than the screen: the screen's free area less the frame", std::nullopt,
         QSize(1600, 900), {kScaled}, {QRect(8, 40, 1264, 672), false}},
        {"remembered on this screen: there", WindowPlace{QRect(30, 60, 900, 600), false}, QSize(1000, 600),
         {kLaptop}, {QRect(30, 60, 900, 600), false}},
        {"remembered maximised", WindowPlace{QRect(30, 60, 900, 600), true}, QSize(1000, 600), {kLaptop},
         {QRect(30, 60, 900, 600), true}},
        {"remembered partly off the bottom: moved up", WindowPlace{QRect(300, 300, 900, 600), false},
         QSize(1000, 600), {kLaptop}, {QRect(300, 128, 900, 600), false}},
        {"remembered larger than the screen now: shrunk", WindowPlace{QRect(10, 50, 1900, 1000), false},
         QSize(1000, 600), {kScaled}, {QRect(8, 40, 1264, 672), false}},
        {"remembered on the second monitor, which is there", WindowPlace{QRect(1500, 100, 1200, 800), false},
         QSize(1000, 600), {kLaptop, kRightMonitor}, {QRect(1500, 100, 1200, 800), false}},
        {"remembered on a monitor that has gone: centred on the primary",
         WindowPlace{QRect(1500, 100, 1200, 800), true}, QSize(1000, 600), {kLaptop},
         {QRect(183, 84, 1000, 600), false}},
    };
    for (const auto& c : cases) {
        const WindowPlace got = PlaceWindow(c.saved, c.natural, QSize(800, 560), c.screens, kFrame);
        EXPECT_EQ(got.geometry, c.expected.geometry) << c.what;
        EXPECT_EQ(got.maximized, c.expected.maximized) << c.what;
    }
}

TEST(WindowPlacement, RememberedText) {
    const WindowPlace place{QRect(-20, 40, 1000, 640), true};
    EXPECT_EQ(WindowPlaceText(place), "-20,40,1000,640,maximized");
    EXPECT_EQ(ParseWindowPlace("-20,40,1000,640,maximized"), place);
    EXPECT_EQ(ParseWindowPlace("5,6,700,500"), (WindowPlace{QRect(5, 6, 700, 500), false}));
    for (const char* bad : {"", "1,2,3", "a,2,3,4", "1,2,0,4", "1,2,3,4,minimized", "1,2,3,4,5"})
        EXPECT_FALSE(ParseWindowPlace(bad)) << bad;
}
