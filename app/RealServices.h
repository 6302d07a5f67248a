#pragma once
// The machine's own services: Qt message boxes and file dialogs, the local
// clock, a monotonic millisecond tick and the serial device list.

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

class SystemClock : public LocalClock {
public:
    LocalDateTime now() override;
};

class SystemTicks : public TickSource {
public:
    SystemTicks() { timer_.start(); }
    std::uint32_t milliseconds() override { return static_cast<std::uint32_t>(timer_.elapsed()); }

private:
    QElapsedTimer timer_;
};

}  // namespace km640
