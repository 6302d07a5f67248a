#pragma once
// RefreshAll: after the whole image was replaced, every setting control is
// read back from it in a fixed order. Some steps store derived values (menu
// counts, synthesizer words, active switch settings) that later steps read,
// so the order is part of the behaviour. Pages register their steps into
// the numbered slots; a slot runs its steps in registration order.

#include <array>
#include <functional>
#include <vector>

namespace km640 {

enum class RefreshStep {
    AddressRows = 0,    // address-on boxes and row enabling, F1 then F2
    ToneFields,         // tone 1 and tone 2 of every address
    AddressNames,
    AddressOptions,     // profiles, alert time, vibrator, alert tone, priority, switches
    SystemBlock,        // stores menu counts and active switch settings
    Profiles,           // names, channels, synthesizer words, switches
    AlertsPromptsLogo,  // alert tonality, menu prompts, alert patterns, logo
    Thresholds,         // squelch and RSSI thresholds, decoder power down
    Battery,            // gauge levels and alert period
    SerialAndRecord,    // serial number, squelch record, voice down
    Count
};

class RefreshList {
public:
    void add(RefreshStep step, std::function<void()> action) {
        steps_[static_cast<std::size_t>(step)].push_back(std::move(action));
    }
    void runStep(RefreshStep step) const {
        for (const auto& action : steps_[static_cast<std::size_t>(step)]) action();
    }
    void run() const {
        for (const auto& slot : steps_)
            for (const auto& action : slot) action();
    }

private:
    std::array<std::vector<std::function<void()>>, static_cast<std::size_t>(RefreshStep::Count)> steps_;
};

}  // namespace km640
