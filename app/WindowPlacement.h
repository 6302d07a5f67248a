#pragma once
// Where the main window opens and how large: where the user left it, when
// that is still on one of the screens, else centred on the primary screen;
// never larger than the screen's free area, window frame included, so the
// menu and the close button stay reachable on a small or scaled screen.

#include <QMargins>
#include <QRect>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace km640 {

class Preferences;

// What the window manager adds around the window (title bar and borders),
// allowed for before the frame is known.
inline constexpr QMargins kFrameAllowance{8, 40, 8, 8};

struct WindowPlace {
    QRect geometry;          // the window's own area, without the frame
    bool maximized = false;
    bool operator==(const WindowPlace&) const = default;
};

// The remembered place as the preferences keep it: "x,y,width,height" and
// ",maximized" when it was.
std::string WindowPlaceText(const WindowPlace& place);
std::optional<WindowPlace> ParseWindowPlace(const std::string& text);

// The place to open at. saved: what was remembered (if anything); natural:
// the size the window asks for; minimum: the smallest it can be; screens:
// the available areas of the screens, the primary one first.
WindowPlace PlaceWindow(const std::optional<WindowPlace>& saved, QSize natural, QSize minimum,
                        const std::vector<QRect>& screens, QMargins frame = kFrameAllowance);

// Sizes and places the window before it is first shown, from what the
// preferences remember and the screens there are now; natural is the size
// at which nothing needs scrolling.
void PlaceOnScreen(QWidget& window, Preferences& preferences, QSize natural);
// Remembers the window's place for the next start.
void RememberPlace(const QWidget& window, Preferences& preferences);

}  // namespace km640
