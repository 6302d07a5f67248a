#pragma once
// The machine's own services that need the toolkit: message boxes, file
// dialogs and a monotonic millisecond tick.

#include <QElapsedTimer>

#include "platform/Services.h"

class QWidget;

namespace km640 {

class QtMessageBoxes : public MessageBoxes {
public:
    MsgAnswer show(const std::string& text, const std::string& caption, MsgIcon icon,
                   MsgButtons buttons) override;
};

class QtFileDialogs : public FileDialogs {
public:
    std::optional<std::string> openFile(const std::string& startDir) override;
    std::optional<std::string> saveFile(const std::string& startDir) override;
};

// The window's settings in the user's Qt settings file
// (~/.config/KM640/km640.conf).
class QtSettingsStore : public SettingsStore {
public:
    std::string value(const std::string& key) override;
    void setValue(const std::string& key, const std::string& value) override;
};

class SystemTicks : public TickSource {
public:
    SystemTicks() { timer_.start(); }
    std::uint32_t milliseconds() override { return static_cast<std::uint32_t>(timer_.elapsed()); }

private:
    QElapsedTimer timer_;
};

}  // namespace km640
