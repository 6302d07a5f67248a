#pragma once
// The selective-calling side of the main window: the pages "Channel F1" and
// "Channel F2", the tone editing they share, the "Tone System" buttons, key F9,
// their steps of the whole-image refresh and the hooks other pages call.

#include <QObject>
#include <array>

#include "selcall/AddressLayout.h"

namespace km640 {

class TfmMain;
class AddressPage;
class ToneEditing;

class ChannelPages : public QObject {
    Q_OBJECT
public:
    explicit ChannelPages(TfmMain& window);

    AddressPage& page(CallChannel channel) const { return *pages_[static_cast<std::size_t>(channel)]; }
    ToneEditing& tones() const { return *tones_; }

private:
    void registerRefresh();
    void installHooks();
    void connectToneSystem();

    TfmMain& window_;
    ToneEditing* tones_ = nullptr;
    std::array<AddressPage*, 2> pages_{};
};

// Builds both channel pages into the main window; the window owns the result.
ChannelPages& BuildChannelPages(TfmMain& window);

}  // namespace km640
