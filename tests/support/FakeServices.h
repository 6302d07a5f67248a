#pragma once
// Fakes of the machine services for window and operation tests: message
// boxes that record what was shown and answer from a script, dialogs that
// return scripted paths, a clock and a tick count the test sets.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace km640::testing {

struct ShownMessage {
    std::string text;
    std::string caption;
    MsgIcon icon;
    MsgButtons buttons;
};

class FakeMessages : public MessageBoxes {
public:
    MsgAnswer show(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons) override {
        shown.push_back({text, caption, icon, buttons});
        if (onShow) onShow(shown.back());
        if (!answers.empty()) {
            const MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (buttons) {
        case MsgButtons::YesNo: return MsgAnswer::Yes;
        case MsgButtons::YesNoDefaultNo: return MsgAnswer::No;  // what Enter gives
        case MsgButtons::YesNoCancel: return MsgAnswer::No;
        default: return MsgAnswer::Ok;
        }
    }
    void showProblems(const std::string& heading, const std::vector<ListedProblem>& problems,
                      const std::string& caption) override {
        problemLists.push_back({heading, problems, caption});
    }
    std::string last() const { return shown.empty() ? std::string() : shown.back().text; }
    void clear() {
        shown.clear();
        problemLists.clear();
    }

    struct ProblemList {
        std::string heading;
        std::vector<ListedProblem> problems;
        std::string caption;
    };
    std::vector<ProblemList> problemLists;

    std::vector<ShownMessage> shown;
    std::deque<MsgAnswer> answers;  // scripted answers; else the default button (OK, Yes, No to Yes/No/Cancel,
                                    // No to a question whose default is No)
    std::function<void(const ShownMessage&)> onShow;  // what happens while the box is up
};

class FakeDialogs : public FileDialogs {
public:
    std::optional<std::string> openFile(const std::string& startDir) override {
        lastStartDir = startDir;
        return next(openAnswers);
    }
    std::optional<std::string> saveFile(const std::string& startDir) override {
        lastStartDir = startDir;
        return next(saveAnswers);
    }
    std::optional<std::string> openRoster(const std::string& startDir) override {
        lastStartDir = startDir;
        return next(rosterAnswers);
    }
    std::deque<std::optional<std::string>> openAnswers, saveAnswers, rosterAnswers;  // nullopt = cancel
    std::string lastStartDir;

private:
    static std::optional<std::string> next(std::deque<std::optional<std::string>>& q) {
        if (q.empty()) return std::nullopt;
        auto a = q.front();
        q.pop_front();
        return a;
    }
};

class FakeClock : public LocalClock {
public:
    LocalDateTime now() override { return time; }
    LocalDateTime time{2010, 3, 7, 0, 14, 5, 9};
};

class FakeTicks : public TickSource {
public:
    std::uint32_t milliseconds() override { return ms; }
    std::uint32_t ms = 1000;
};

class FakePreferences : public Preferences {
public:
    bool flag(const std::string& key, bool fallback) override {
        const auto it = flags.find(key);
        return it == flags.end() ? fallback : it->second;
    }
    void setFlag(const std::string& key, bool value) override { flags[key] = value; }
    std::vector<std::string> list(const std::string& key) override { return lists[key]; }
    void setList(const std::string& key, const std::vector<std::string>& values) override { lists[key] = values; }
    std::string text(const std::string& key) override { return texts[key]; }
    void setText(const std::string& key, const std::string& value) override { texts[key] = value; }
    std::map<std::string, bool> flags;
    std::map<std::string, std::vector<std::string>> lists;
    std::map<std::string, std::string> texts;
};

class FakeDeviceList : public SerialDeviceList {
public:
    std::vector<SerialDeviceRecord> devices() override { return records; }
    std::vector<SerialDeviceRecord> records;
};

}  // namespace km640::testing
