#pragma once
// The machine's own services that need the toolkit: message boxes, file
// dialogs and a monotonic millisecond tick.

#include <QElapsedTimer>
#include <QSettings>

#include "platform/Services.h"

class QMessageBox;
class QWidget;

namespace km640 {

// Title, plain text, icon and buttons of a message box as show() opens it.
void prepareMessageBox(QMessageBox& box, const std::string& text, const std::string& caption, MsgIcon icon,
                       MsgButtons buttons);

class QtMessageBoxes : public MessageBoxes {
public:
    MsgAnswer show(const std::string& text, const std::string& caption, MsgIcon icon,
                   MsgButtons buttons) override;
    void showProblems(const std::string& heading, const std::vector<ListedProblem>& problems,
                      const std::string& caption) override;
};

class QtFileDialogs : public FileDialogs {
public:
    std::optional<std::string> openFile(const std::string& startDir) override;
    std::optional<std::string> saveFile(const std::string& startDir) override;
    std::optional<std::string> openRoster(const std::string& startDir) override;
};

// The user's choices in the desktop's settings store
// (~/.config/km640/km640.conf on Linux).
class QtPreferences : public Preferences {
public:
    QtPreferences() : settings_("km640", "km640") {}
    bool flag(const std::string& key, bool fallback) override;
    void setFlag(const std::string& key, bool value) override;
    std::vector<std::string> list(const std::string& key) override;
    void setList(const std::string& key, const std::vector<std::string>& values) override;
    std::string text(const std::string& key) override;
    void setText(const std::string& key, const std::string& value) override;

private:
    QSettings settings_;
};

class SystemTicks : public TickSource {
public:
    SystemTicks() { timer_.start(); }
    std::uint32_t milliseconds() override { return static_cast<std::uint32_t>(timer_.elapsed()); }

private:
    QElapsedTimer timer_;
};

}  // namespace km640
