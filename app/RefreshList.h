#pragma once
// RefreshAll: after the whole image was replaced and normalised (the values
// it derives and corrects are stored by normaliseCodePlug, in this same
// order), every setting control is shown from it in a fixed order. The steps
// only show: what a step needs from the normalisation (the re-validated
// tones, the channels that could not follow their band, where the contrast
// bar stands) it takes from the window's last normalisation. Pages register
// their steps into the numbered slots; a slot runs its steps in registration
// order.

#include <array>
#include <functional>
#include <vector>

namespace km640 {

enum class RefreshStep {
    AddressRows = 0,    // address-on boxes and row enabling, F1 then F2
    ToneFields,         // tone 1 and tone 2 of every address
    AddressNames,
    AddressOptions,     // profiles, alert time, vibrator, alert tone, priority, switches
    SystemBlock,        // menus, switches, tone system, display drive
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
