#pragma once
// The behaviour of the system settings block (image bytes 0-255) on screen:
// how the whole-image refresh shows every control of the block, in its fixed
// order, with the enabling rules, from an image whose derived values and
// corrections the normalisation has stored (menu item counts, the active
// switch settings, auto monitor, the battery alert period, the logo flag);
// and the click actions of the boxes that store their own bit, whose effect
// on other controls the refresh also shows when it changes what a standard
// box shows.
//
// Rules that belong to other pages run through the window: the control
// arrays for the address rows, prompt fields, initial-profile buttons and logo
// lines (missing controls are skipped), and the WindowHooks for the tone
// system, the one-channel layout, the profile page shown and the tone-spacing
// tolerance.

#include <QObject>
#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "selcall/ToneCommit.h"
#include "settings/CodePlugNormalisation.h"
#include "settings/FieldRef.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;
class QWidget;

namespace km640 {

class TfmMain;
class CodePlugImage;

// Builds the block's controls on their pages and their behaviour, and
// registers the refresh steps. The view belongs to the window.
void BuildSystemBlock(TfmMain& window);

class SystemBlockView : public QObject {
public:
    explicit SystemBlockView(TfmMain& window);

    // The block up to step 12 of its order, from the normalised image.
    void showSection(const SystemBlockNormalisation& section);
    // What a blank entry in one of its section fields does: the section's
    // rules run on the image, the section is shown, then its messages.
    void refreshSection();
    // The state the refresh rules that act on a change of what is shown start from.
    ShownBeforeRefresh shownBeforeRefresh();
    void refreshDecoderPowerDown();
    // Battery gauge levels and the alert period.
    void refreshBattery();
    // Squelch-controlled recording and voice down in battery low.
    void refreshRecordAndVoice();

private:
    // How the refresh treats a box: set silently, run its click action when
    // the shown state changes (the standard boxes), or always run it.
    enum class OnRefresh { Silent, ClickOnChange, ClickAlways };

    struct BitBox {
        QCheckBox* box;
        FieldRef field;
        bool inverted;  // checked when the field is 0
        OnRefresh onRefresh;
        void (SystemBlockView::*rule)();  // what a click shows beyond the box itself
        void (*store)(CodePlugImage&);    // what a click stores beyond the bit
    };
    struct Number {
        QLineEdit* edit;
        std::array<FieldRef, 2> sets;  // by timing set (Plectron, standard); equal when the field has one place
        int (*shown)(std::uint8_t);
    };
    struct List {
        QComboBox* list;
        FieldRef field;
        int (*entry)(std::uint8_t);
    };

    CodePlugImage& image() const;
    BitBox& box(std::string_view name);
    void addBox(const char* name, FieldRef field, bool inverted, OnRefresh onRefresh,
                void (SystemBlockView::*rule)() = nullptr);
    void show(BitBox& b);
    void click(BitBox& b);
    void showNumber(const Number& n);
    int timingSet() const;

    // Click rules.
    void oneChannelRule();
    void privacyRule();
    void vibratorRule();
    void chargerRule();
    void showVersionRule();
    void enableChargerBoxes(bool oneChannelCounts);
    void applyLcmPreset(int button);
    void contrastMoved(int position);

    // Refresh steps.
    void showToneSystem(const std::vector<ToneRevalidation>& tones);
    void showAutoMonitor();
    void showInitialProfile();
    void showPowerOnMenu();
    void showIdleMenu();
    void showRemaining(int contrastShown);

    void wire();

    TfmMain& w_;
    std::map<std::string, BitBox, std::less<>> boxes_;
    std::map<std::string, Number, std::less<>> numbers_;  // the fields of step 12
    Number msgReadStatus_{};
    std::vector<List> lists_;
    std::array<QCheckBox*, 10> powerOn_{};
    std::array<QCheckBox*, 10> idle_{};
    std::array<QComboBox*, 3> battery_{};
    QComboBox* alertPeriod_ = nullptr;
    QComboBox* decodeBandwidth_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* playShowTime_ = nullptr;
    QSlider* contrast_ = nullptr;
    QLabel* contrastValue_ = nullptr;
    std::array<QRadioButton*, 2> lcmVop_{};
    std::vector<QWidget*> storedVoiceControls_;

    FieldRef noStoredVoice_, toneSystem_, initialProfile_;
    FieldRef powerOnItems_, password4_, idleItems_;
    FieldRef contrastField_, lcmVopField_, decodeBandwidthField_, alertPeriodField_;
    std::array<FieldRef, 3> batteryLevels_{};
};

}  // namespace km640
