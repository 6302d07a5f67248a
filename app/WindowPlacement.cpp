#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QWidget>
#include <QStringList>
#include <algorithm>

#include "platform/Services.h"

namespace km640 {

std::string WindowPlaceText(const WindowPlace& place) {
    const QRect& g = place.geometry;
    QString text = QString("%1,%2,%3,%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height());
    if (place.maximized) text += ",maximized";
    return text.toStdString();
}

std::optional<WindowPlace> ParseWindowPlace(const std::string& text) {
    const QStringList parts = QString::fromStdString(text).split(',');
    if (parts.size() != 4 && !(parts.size() == 5 && parts[4] == "maximized")) return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].toInt(&ok);
        if (!ok) return std::nullopt;
    }
    if (v[2] <= 0 || v[3] <= 0) return std::nullopt;
    return WindowPlace{QRect(v[0], v[1], v[2], v[3]), parts.size() == 5};
}

namespace {

const char* const kPlaceKey = "windowPlace";

// The largest area the window itself may take on a screen: its free area
// less the frame.
QRect usable(const QRect& screen, QMargins frame) { return screen.marginsRemoved(frame); }

// rect made to fit inside area, keeping its place where it can.
QRect fitInto(QRect rect, const QRect& area) {
    rect.setSize(rect.size().boundedTo(area.size()));
    rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() - rect.width() + 1));
    rect.moveTop(std::clamp(rect.top(), area.top(), area.bottom() - rect.height() + 1));
    return rect;
}

}  // namespace

WindowPlace PlaceWindow(const std::optional<WindowPlace>& saved, QSize natural, QSize minimum,
                        const std::vector<QRect>& screens, QMargins frame) {
    if (screens.empty()) return {QRect(QPoint(0, 0), natural.expandedTo(minimum)), false};
    // A place left on a monitor that is no longer there is forgotten.
    if (saved) {
        for (const QRect& screen : screens) {
            if (!screen.contains(saved->geometry.center())) continue;
            QRect rect = saved->geometry;
            rect.setSize(rect.size().expandedTo(minimum));
            return {fitInto(rect, usable(screen, frame)), saved->maximized};
        }
    }
    const QRect area = usable(screens.front(), frame);
    QRect rect(QPoint(0, 0), natural.expandedTo(minimum).boundedTo(area.size()));
    rect.moveCenter(area.center());
    return {fitInto(rect, area), false};
}

void PlaceOnScreen(QWidget& window, Preferences& preferences, QSize natural) {
    std::vector<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen()) screens.push_back(primary->availableGeometry());
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen()) screens.push_back(screen->availableGeometry());
    const WindowPlace place = PlaceWindow(ParseWindowPlace(preferences.text(kPlaceKey)), natural,
                                          window.minimumSizeHint(), screens);
    window.setGeometry(place.geometry);
    if (place.maximized) window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void RememberPlace(const QWidget& window, Preferences& preferences) {
    // A maximised window comes back maximised, over its last normal place.
    preferences.setText(kPlaceKey, WindowPlaceText({window.normalGeometry(), window.isMaximized()}));
}

}  // namespace km640
