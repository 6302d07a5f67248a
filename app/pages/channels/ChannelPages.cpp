#include "app/pages/channels/ChannelPages.h"

#include <QRadioButton>
#include <QShortcut>

#include "app/ControlArrays.h"
#include "app/TfmMain.h"
#include "app/pages/channels/AddressPage.h"
#include "app/pages/channels/ToneEditing.h"
#include "selcall/ToneSystem.h"

namespace km640 {

ChannelPages::ChannelPages(TfmMain& window) : QObject(&window), window_(window) {
    setObjectName("ChannelPages");
    tones_ = new ToneEditing(window);
    pages_ = {new AddressPage(window, *tones_, CallChannel::F1, window.page(Page::ChF1)),
              new AddressPage(window, *tones_, CallChannel::F2, window.page(Page::ChF2))};
    tones_->setPages(*pages_[0], *pages_[1]);
    registerRefresh();
    installHooks();
    connectToneSystem();

    // F9 anywhere in the main window opens the tone table for the pending field.
    auto* f9 = new QShortcut(QKeySequence(Qt::Key_F9), &window);
    f9->setObjectName("FormShortCutF9");
    f9->setContext(Qt::WindowShortcut);
    connect(f9, &QShortcut::activated, tones_, &ToneEditing::openToneTable);
}

void ChannelPages::registerRefresh() {
    RefreshList& refresh = window_.refreshList();
    const std::pair<RefreshStep, void (AddressPage::*)()> steps[] = {
        {RefreshStep::AddressRows, &AddressPage::showRows},
        {RefreshStep::ToneFields, &AddressPage::showTones},
        {RefreshStep::AddressNames, &AddressPage::showNames},
        {RefreshStep::AddressOptions, &AddressPage::showOptions},
    };
    for (const auto& [step, show] : steps)
        refresh.add(step, [this, show] {
            for (AddressPage* p : pages_) (p->*show)();
        });
}

void ChannelPages::installHooks() {
    WindowHooks& hooks = window_.hooks();
    hooks.toneSystemClick = [this](int tag) { tones_->radToneSystem0Click(tag); };
    hooks.toneSystemShown = [this](int tag, const std::vector<ToneRevalidation>& fields) {
        tones_->showToneSystem(tag, fields);
    };
    hooks.decodeBandwidthClick = [this](int entry) { tones_->cboDBWClick(entry); };
    hooks.profileOnChanged = [this] {
        for (AddressPage* p : pages_) p->applyEnabling();
    };
    hooks.addressRowsChanged = [this] {
        for (AddressPage* p : pages_) {
            p->showRows();
            p->showOptions();
        }
    };
}

void ChannelPages::connectToneSystem() {
    for (int tag = 0; tag < kToneSystemCount; ++tag) {
        auto* button = window_.findChild<QRadioButton*>(QString("radToneSystem%1").arg(tag));
        if (!button) continue;
        button->setChecked(tag == static_cast<int>(ToneSystem::Standard));
        // A click on the button already chosen changes nothing.
        connect(button, &QRadioButton::clicked, this, [this, button] {
            const int tag = ControlTag(button);
            if (window_.image().byte(kToneSystemOffset) != tag) window_.hooks().toneSystemClick(tag);
        });
    }
}

ChannelPages& BuildChannelPages(TfmMain& window) { return *new ChannelPages(window); }

}  // namespace km640
