#pragma once
// Everything the program takes from the machine it runs on, as small
// interfaces. The program wires the real ones; tests wire fakes that record
// messages and return scripted answers, so nothing ever waits on a person,
// the wall clock or a real serial device.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace km640 {

enum class MsgIcon { None, Exclamation, Error, Warning, Information };
// YesNoDefaultNo: a question whose safe answer is No, so that an Enter
// typed by habit (or by a barcode scanner) does not say Yes.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// The answer when nobody is there to agree to anything (a terminal running
// a script, an operation under way in the browser): never Yes.
constexpr MsgAnswer UnattendedAnswer(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoDefaultNo: return MsgAnswer::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel: return MsgAnswer::Cancel;
    case MsgButtons::Ok: break;
    }
    return MsgAnswer::Ok;
}

// One problem of a list shown whole (a roster's rows, a code-plug text's
// values): where it is, the column or field, the value as written and why it
// is refused.
struct ListedProblem {
    std::string place;
    std::string column;
    std::string value;
    std::string message;
    bool operator==(const ListedProblem&) const = default;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MsgAnswer show(const std::string& text, const std::string& caption, MsgIcon icon,
                           MsgButtons buttons) = 0;
    // A list of problems, however long, under a heading. A window shows it in
    // a list that scrolls, never in a box taller than the screen; without
    // one, it is a message with a line per problem.
    virtual void showProblems(const std::string& heading, const std::vector<ListedProblem>& problems,
                              const std::string& caption) {
        std::string text = heading;
        for (const auto& p : problems) {
            text += "\n" + p.place;
            if (!p.column.empty()) text += ", " + p.column + (p.value.empty() ? "" : " = \"" + p.value + "\"");
            text += ": " + p.message;
        }
        show(text, caption, MsgIcon::Warning, MsgButtons::Ok);
    }
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Both dialogs start in startDir and offer "Table files (*.tbl)" and the
    // code-plug text "KM640 code-plug text (*.json)".
    // An empty optional means the user cancelled.
    virtual std::optional<std::string> openFile(const std::string& startDir) = 0;
    virtual std::optional<std::string> saveFile(const std::string& startDir) = 0;
    // A fleet's roster: "Roster files (*.csv)".
    virtual std::optional<std::string> openRoster(const std::string& startDir) = 0;
};

struct LocalDateTime {
    int year = 2000;   // full year
    int month = 1;     // 1..12
    int day = 1;       // 1..31
    int dayOfWeek = 6; // 0 = Sunday .. 6 = Saturday
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class LocalClock {
public:
    virtual ~LocalClock() = default;
    virtual LocalDateTime now() = 0;
};

// Millisecond tick count, used to tell a barcode scanner from a person typing.
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual std::uint32_t milliseconds() = 0;
};

// Choices the user makes once and finds again at the next start (the last
// code-plugs opened, whether a pager is backed up before a write, where the
// production record lives and the station's name).
class Preferences {
public:
    virtual ~Preferences() = default;
    virtual bool flag(const std::string& key, bool fallback) = 0;
    virtual void setFlag(const std::string& key, bool value) = 0;
    virtual std::vector<std::string> list(const std::string& key) = 0;
    virtual void setList(const std::string& key, const std::vector<std::string>& values) = 0;
    // A text; empty when never set.
    virtual std::string text(const std::string& key) = 0;
    virtual void setText(const std::string& key, const std::string& value) = 0;
};

// One serial device as the machine reports it.
struct SerialDeviceRecord {
    std::string portName;     // "ttyUSB0", or a full path such as "/dev/pts/3"
    std::string description;  // what the system calls it, may be empty
};

class SerialDeviceList {
public:
    virtual ~SerialDeviceList() = default;
    virtual std::vector<SerialDeviceRecord> devices() = 0;
};

}  // namespace km640
